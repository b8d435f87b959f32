// Reading string-table documents: the language chosen and its fall-backs, the forms of a locale
// id, texts in pieces, UTF-16 documents, and bad input.
#include "ControlTestSupport.h"

using namespace Orv;
using namespace OrvTest;

namespace
{
using StringTables = ControlTest;

std::string N(const WString& text)
{
    return text.ToNarrow().GetBuffer();
}

// The text of id in table key, or "(none)".
std::string Text(const LControlFactory& factory, const wchar_t* key, const wchar_t* id)
{
    const auto table = factory.GetStringTables().find(WString(key));
    if (table == factory.GetStringTables().end())
    {
        return "(no table)";
    }
    const auto entry = table->second.find(WString(id));
    return entry == table->second.end() ? "(none)" : N(entry->second);
}

// A document with one table "T" whose strings have texts in the given locales.
std::string Document(std::initializer_list<std::pair<const char*, const char*>> texts)
{
    std::string xml = "<Definitions><StringTable ID=\"T\"><String ID=\"S\">";
    for (const auto& [lcid, text] : texts)
    {
        xml += std::string("<Locale LCID=\"") + lcid + "\">" + text + "</Locale>";
    }
    return xml + "</String></StringTable></Definitions>";
}

// The UTF-16 form of a document, with a byte-order mark.
std::string Utf16(const std::string& utf8, bool bigEndian)
{
    const WString wide(utf8.c_str());
    std::string bytes = bigEndian ? std::string("\xFE\xFF") : std::string("\xFF\xFE");
    for (unsigned int i = 0; i < wide.GetLength(); ++i)
    {
        const auto unit = static_cast<unsigned int>(wide.GetBuffer()[i]);
        const char high = static_cast<char>(unit >> 8);
        const char low = static_cast<char>(unit & 0xFF);
        bytes += bigEndian ? std::string{high, low} : std::string{low, high};
    }
    return bytes;
}

RCPtr<LControlFactory> Load(const std::string* application, const std::string* framework,
                            int language)
{
    RCPtr<LControlFactory> factory(new LControlFactory(WString(L"TestApp")));
    LControlFactory::Document app;
    LControlFactory::Document fw;
    if (application != nullptr)
    {
        app = AsDocument(*application);
    }
    if (framework != nullptr)
    {
        fw = AsDocument(*framework);
    }
    factory->LoadStringTableDocuments(application != nullptr ? &app : nullptr,
                                      framework != nullptr ? &fw : nullptr, language);
    return factory;
}
} // namespace

TEST_F(StringTables, TheLanguageFallsBackToItsPrimaryThenToEnglish)
{
    struct Case
    {
        std::initializer_list<std::pair<const char*, const char*>> texts;
        int asked;
        const char* text;
        int chosen;
    };
    const Case cases[] = {
        {{{"0x0009", "english"}, {"0x0407", "german (germany)"}},
         0x0407,
         "german (germany)",
         0x0407},
        {{{"0x0009", "english"}, {"0x0007", "german"}}, 0x0407, "german", 0x0007},
        {{{"0x0009", "english"}}, 0x0407, "english", 0x0009},
        {{{"0x7c04", "traditional"}, {"0x0009", "english"}}, 0x0C04, "traditional", 0x7C04},
        {{{"0x7c04", "traditional"}, {"0x0009", "english"}}, 0x1404, "traditional", 0x7C04},
        {{{"0x0004", "simplified"}, {"0x0009", "english"}}, 0x0804, "simplified", 0x0004},
        {{{"0x0011", "japanese"}}, 0x0407, "(none)", 0x0009},
    };
    for (const Case& c : cases)
    {
        const std::string document = Document(c.texts);
        const RCPtr<LControlFactory> factory = Load(&document, nullptr, c.asked);
        EXPECT_EQ(Text(*factory, L"T", L"S"), c.text) << c.asked;
        EXPECT_EQ(factory->GetLanguageId(), c.chosen) << c.asked;
    }
}

TEST_F(StringTables, OneLanguagePerDocumentAndTheFrameworkStartsFromTheApplications)
{
    const std::string app = ReadFile(TestDataPath("AppStrings.xml"));
    const std::string framework = ReadFile(TestDataPath("FrameworkStrings.utf16.xml"));
    // German: the application's texts are found in 0x0007 on the second pass, and only those.
    RCPtr<LControlFactory> factory = Load(&app, &framework, 0x0407);
    EXPECT_EQ(factory->GetApplicationName(), WString(L"TestApp"));
    EXPECT_EQ(Text(*factory, L"|TestApp", L"APP_TITLE"), "Firmware-Aktualisierung");
    EXPECT_EQ(Text(*factory, L"|TestApp", L"ONLY_ENGLISH"), "(none)");
    EXPECT_EQ(Text(*factory, L"TestApp|mainControl", L"LABEL"), "(none)");
    EXPECT_EQ(Text(*factory, L"Framework", L"UNDO_IN_PROGRESS"),
              "R\xC3\xBC"
              "ckg\xC3\xA4ngig wird ausgef\xC3\xBChrt");
    EXPECT_EQ(Text(*factory, L"Framework", L"CANCEL"), "Abbrechen");
    EXPECT_EQ(factory->GetLanguageId(), 0x0007);

    // Japanese: the application falls back to English, and so the framework's texts are
    // English too, though the framework has Japanese ones.
    factory = Load(&app, &framework, 0x0411);
    EXPECT_EQ(Text(*factory, L"|TestApp", L"APP_TITLE"), "Firmware Updater");
    EXPECT_EQ(Text(*factory, L"Framework", L"UNDO_IN_PROGRESS"), "Undo in progress");

    // Without the application's document the framework's starts from the language asked for
    // (and falls back to English only).
    factory = Load(nullptr, &framework, 0x0411);
    EXPECT_EQ(Text(*factory, L"Framework", L"UNDO_IN_PROGRESS"), "Undo in progress");
    factory = Load(nullptr, &framework, 0x0011);
    EXPECT_EQ(Text(*factory, L"Framework", L"UNDO_IN_PROGRESS"),
              "\xE5\x85\x83\xE3\x81\xAB\xE6\x88\xBB\xE3\x81\x97\xE3\x81\xA6\xE3\x81\x84\xE3\x81"
              "\xBE\xE3\x81\x99");
    EXPECT_EQ(Text(*factory, L"Framework", L"CANCEL"), "(none)");

    // A framework document without the application's language falls back to English.
    const std::string frenchApp = Document({{"0x000C", "bonjour"}});
    factory = Load(&frenchApp, &framework, 0x040C);
    EXPECT_EQ(Text(*factory, L"T", L"S"), "bonjour");
    EXPECT_EQ(Text(*factory, L"Framework", L"CANCEL"), "Cancel");
    EXPECT_EQ(factory->GetLanguageId(), 0x0009);
}

TEST_F(StringTables, LocaleIdsAreHexadecimalAfter0xOrDecimal)
{
    struct Case
    {
        const char* lcid;
        int language;
        bool matches;
    };
    const Case cases[] = {
        {"0x0009", 9, true},     {"9", 9, true},          {"0x7c04", 0x7C04, true},
        {"31748", 0x7C04, true}, {"0x7C04", 31748, true}, {"0x00090", 0x90, true},
        {"0x00090", 9, false},   {"0X0009", 9, false},    {" 0x0009 ", 9, true},
        {"0x0009x", 9, true},    {"1033abc", 1033, true}, {"9 ", 9, true},
        {"x9", 9, false},
    };
    for (const Case& c : cases)
    {
        const std::string document = Document({{c.lcid, "text"}});
        const RCPtr<LControlFactory> factory(new LControlFactory(WString(L"TestApp")));
        const LControlFactory::Document d = AsDocument(document);
        testing::internal::CaptureStderr();
        factory->LoadStringTableDocuments(&d, nullptr, c.language);
        testing::internal::GetCapturedStderr();
        // Without a match the language falls back, and the text is not found in any.
        EXPECT_EQ(Text(*factory, L"T", L"S"), c.matches ? "text" : "(none)")
            << c.lcid << " for " << c.language;
    }
}

TEST_F(StringTables, TextsAreCollectedWholeAndOnlyInsideTheirLocale)
{
    const std::string document = "<Definitions>\n"
                                 "  <StringTable ID=\"T\">\n"
                                 "    <String ID=\"SPLIT\"><Locale LCID=\"9\">Tom &amp; Jerry\n"
                                 "  second line &#x263A;</Locale></String>\n"
                                 "    <String ID=\"TWICE\"><Locale LCID=\"9\">one</Locale>"
                                 "<Locale LCID=\"9\">two</Locale></String>\n"
                                 "    <String ID=\"NESTED\"><Locale LCID=\"9\">a<b/>c</Locale>"
                                 "</String>\n"
                                 "  </StringTable>\n"
                                 "  <StringTable ID=\"U\"><String ID=\"X\">"
                                 "<Locale LCID=\"9\">x</Locale></String></StringTable>\n"
                                 "  <StringTable ID=\"T\"><String ID=\"LATER\">"
                                 "<Locale LCID=\"9\">later</Locale></String></StringTable>\n"
                                 "</Definitions>";
    const RCPtr<LControlFactory> factory = Load(&document, nullptr, 9);
    EXPECT_EQ(Text(*factory, L"T", L"SPLIT"), "Tom & Jerry\n  second line \xE2\x98\xBA");
    EXPECT_EQ(Text(*factory, L"T", L"TWICE"), "onetwo");
    // Text after a nested element's end tag is no longer collected.
    EXPECT_EQ(Text(*factory, L"T", L"NESTED"), "a");
    EXPECT_EQ(Text(*factory, L"T", L"LATER"), "later");
    EXPECT_EQ(Text(*factory, L"U", L"X"), "x");
    EXPECT_EQ(factory->GetStringTables().size(), 2u);
}

TEST_F(StringTables, Utf16DocumentsLoadAsTheirUtf8Form)
{
    const std::string app = ReadFile(TestDataPath("AppStrings.xml"));
    const std::string framework = ReadFile(TestDataPath("FrameworkStrings.utf16.xml"));
    const RCPtr<LControlFactory> utf8 = Load(&app, &framework, 9);
    for (const bool bigEndian : {false, true})
    {
        std::string appUtf16 = app;
        appUtf16.replace(appUtf16.find("UTF-8"), 5, "UTF-16");
        appUtf16 = Utf16(appUtf16, bigEndian);
        const RCPtr<LControlFactory> utf16 = Load(&appUtf16, &framework, 9);
        EXPECT_EQ(utf16->GetStringTables(), utf8->GetStringTables());
    }
    EXPECT_EQ(utf8->GetStringTables().size(), 4u);
    EXPECT_EQ(Text(*utf8, L"Test.Panel|second", L"LABEL"), "Second & last");
}

TEST_F(StringTables, TheResourcesAndMissingOrBadDocuments)
{
    EXPECT_EQ(
        factory->LoadStringTables(WString(L"::app_strings"), WString(L"::FRAMEWORK.STRINGS"), 9),
        S_OK);
    EXPECT_EQ(Text(*factory, L"|TestApp", L"APP_TITLE"), "Firmware Updater");
    EXPECT_EQ(Text(*factory, L"Framework", L"CANCEL"), "Cancel");

    // A missing document is reported, and the other one still loads.
    const RCPtr<LControlFactory> other(new LControlFactory(WString(L"TestApp")));
    testing::internal::CaptureStderr();
    EXPECT_EQ(other->LoadStringTables(WString(L"::NO_STRINGS"), WString(L"::FRAMEWORK_STRINGS"), 7),
              S_FALSE);
    std::string report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("no ORVXML resource NO_STRINGS"), std::string::npos) << report;
    EXPECT_EQ(Text(*other, L"Framework", L"CANCEL"), "Abbrechen");

    // A malformed document keeps what it gave before its error, and what was there.
    const std::string broken = "<Definitions><StringTable ID=\"T\"><String ID=\"NEW\">"
                               "<Locale LCID=\"9\">new</Locale></String><String ID=\"B\">"
                               "</StringTable></Definitions>";
    const LControlFactory::Document d = AsDocument(broken);
    testing::internal::CaptureStderr();
    EXPECT_EQ(other->LoadStringTableDocuments(&d, nullptr, 9), S_FALSE);
    report = testing::internal::GetCapturedStderr();
    EXPECT_NE(report.find("mismatched tag"), std::string::npos) << report;
    EXPECT_EQ(N(other->GetLastErrorText()), "mismatched tag");
    EXPECT_EQ(other->GetLastErrorLine(), 1);
    EXPECT_EQ(Text(*other, L"T", L"NEW"), "new");
    EXPECT_EQ(Text(*other, L"Framework", L"CANCEL"), "Abbrechen");
}

TEST_F(StringTables, StringsAndLocalesOutsideATableAreIgnored)
{
    const std::string document = "<Definitions>"
                                 "<String ID=\"EARLY\"><Locale LCID=\"9\">early</Locale></String>"
                                 "<Locale LCID=\"9\">stray</Locale>"
                                 "<StringTable><String ID=\"NO_TABLE_ID\"/></StringTable>"
                                 "<StringTable ID=\"T\"><Locale LCID=\"9\">no string</Locale>"
                                 "<String ID=\"S\"><Locale>no id</Locale>"
                                 "<Locale LCID=\"nine\">bad</Locale>"
                                 "<Locale LCID=\"9\">kept</Locale></String>"
                                 "<Skin Name=\"ignored\"/></StringTable></Definitions>";
    const LControlFactory::Document d = AsDocument(document);
    testing::internal::CaptureStderr();
    EXPECT_EQ(factory->LoadStringTableDocuments(&d, nullptr, 9), S_FALSE);
    const std::string report = testing::internal::GetCapturedStderr();
    for (const char* expected :
         {"String outside a StringTable ignored", "Locale outside a String of a StringTable",
          "StringTable without ID ignored", "Locale without LCID ignored",
          "attribute LCID = \"nine\" read as 0"})
    {
        EXPECT_NE(report.find(expected), std::string::npos) << expected << "\n" << report;
    }
    EXPECT_EQ(report.find("Skin"), std::string::npos) << report;
    ASSERT_EQ(factory->GetStringTables().size(), 1u);
    EXPECT_EQ(Text(*factory, L"T", L"S"), "kept");
    EXPECT_EQ(factory->GetStringTables().begin()->second.size(), 1u);
}
