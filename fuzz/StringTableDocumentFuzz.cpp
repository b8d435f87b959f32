// Fuzz target of the string-table document reader. Input: two bytes giving the language asked
// for (low byte first), then one string-table document, read as the application's document and
// again as the framework's.
//
// What must hold: the load answers S_OK or S_FALSE; the language chosen is the one asked for, its
// fall-back or English; the tables handed out are copies of what was stored.
#include "ControlBase/ControlFactory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Orv;

namespace
{
#define STRINGS_FUZZ_CHECK(condition)                                                              \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (size < 2)
    {
        return 0;
    }
    const int language = data[0] | data[1] << 8;
    const LControlFactory::Document document{reinterpret_cast<const char*>(data + 2), size - 2};
    const RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Fuzz")));
    const ORVRESULT result = factory->LoadStringTableDocuments(&document, &document, language);
    STRINGS_FUZZ_CHECK(result == S_OK || result == S_FALSE);
    const int chosen = factory->GetLanguageId();
    const int fallback = language == 0x0404 || language == 0x0C04 || language == 0x1404
                             ? LControlFactory::kLanguageChineseTraditional
                             : language & 0xFF;
    STRINGS_FUZZ_CHECK(chosen == language || chosen == fallback ||
                       chosen == LControlFactory::kLanguageEnglish);

    RCPtr<LStringTable> table;
    factory->GetApplicationStringTable(table);
    const auto stored =
        factory->GetStringTables().find(WString(L"|") + factory->GetApplicationName());
    STRINGS_FUZZ_CHECK(bool(table) == (stored != factory->GetStringTables().end()));
    if (table)
    {
        STRINGS_FUZZ_CHECK(table->GetEntries() == stored->second);
        for (const auto& [id, text] : stored->second)
        {
            WString found;
            STRINGS_FUZZ_CHECK(table->Lookup(id.GetBuffer(), found) && found == text);
        }
    }
    factory->GetFrameworkStringTable(table);
    return 0;
}
