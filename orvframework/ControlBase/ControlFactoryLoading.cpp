// Loading the skin and string-table documents: reading a source, running the parser over it and
// handing its callbacks to the element handlers, and choosing the language of the string tables.
#include "ControlBase/ControlFactory.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"
#include "Utilities/Storage/OrvFile.h"
#include "platform/Resources.h"

#include <expat.h>

#include <climits>
#include <new>

namespace Orv
{
namespace
{
// The language the string tables fall back to when a document has none of the asked one.
int FallbackLanguage(int languageId)
{
    if (languageId == 0x0404 || languageId == 0x0C04 || languageId == 0x1404)
    {
        return LControlFactory::kLanguageChineseTraditional;
    }
    return languageId & 0xFF;
}

WString Utf8(const char* text)
{
    WString wide;
    wide.AssignUtf8(text);
    return wide;
}
} // namespace

// The parser's callbacks. No exception leaves them: one that a handler throws is kept as the
// last error and stops the parse.
class LControlFactory::Parser
{
public:
    static void XMLCALL Start(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        Guard(data, [&](LControlFactory& factory) { factory.XMLStartElement(name, attributes); });
    }
    static void XMLCALL End(void* data, const XML_Char*)
    {
        Guard(data, [](LControlFactory& factory) { factory.XMLEndElement(); });
    }
    static void XMLCALL Characters(void* data, const XML_Char* text, int length)
    {
        Guard(data, [&](LControlFactory& factory) { factory.XMLCharacterData(text, length); });
    }

private:
    template <class F>
    static void Guard(void* data, F handle)
    {
        LControlFactory& factory = *static_cast<LControlFactory*>(data);
        if (factory.mReader.stop)
        {
            return;
        }
        try
        {
            handle(factory);
        }
        catch (const std::exception& error)
        {
            Stop(factory, error.what());
        }
        catch (...)
        {
            Stop(factory, "unknown exception");
        }
    }

    static void Stop(LControlFactory& factory, const char* text)
    {
        auto* parser = static_cast<XML_Parser>(factory.mParser);
        factory.mReader.stop = true;
        factory.SetLastError(Utf8(text), static_cast<int>(XML_GetCurrentLineNumber(parser)));
        XML_StopParser(parser, XML_FALSE);
    }
};

void LControlFactory::SetLastError(const WString& text, int line)
{
    mLastErrorText = text;
    mLastErrorLine = line;
}

void LControlFactory::ReportProblem(const std::string& text)
{
    if (mReader.reportedProblems > kMaxReportedProblems)
    {
        return;
    }
    auto writer = GetDebugOutput().Narrow();
    writer << (mReader.stringTableMode ? "String-table document" : "Skin document");
    if (mParser != nullptr)
    {
        writer << " line " << XML_GetCurrentLineNumber(static_cast<XML_Parser>(mParser));
    }
    if (++mReader.reportedProblems > kMaxReportedProblems)
    {
        writer << ": further problems are not reported" << std::endl;
        return;
    }
    writer << ": " << text << std::endl;
}

void LControlFactory::ResetReader(bool stringTableMode)
{
    const PendingFont noFont;
    mReader.stringTableMode = stringTableMode;
    mReader.currentDescriptor = nullptr;
    mReader.subControlDepth = 0;
    mReader.currentLook = nullptr;
    mReader.currentLookList = nullptr;
    mReader.insideLooks = false;
    mReader.currentParams = nullptr;
    mReader.currentParamId.Clear();
    mReader.collectingParam = false;
    mReader.paramText.Clear();
    mReader.pendingFont = noFont;
    mReader.currentTable = nullptr;
    mReader.currentStringId.Clear();
    mReader.haveStringId = false;
    mReader.textTarget = nullptr;
    mReader.collecting = false;
    mReader.matchedLocales = 0;
}

ORVRESULT LControlFactory::ParseXML(const char* bytes, std::size_t length)
{
    mReader.skipRoot = true;
    mReader.stop = false;
    mReader.open.clear();
    mReader.reportedProblems = 0;
    if (length == 0 || bytes == nullptr)
    {
        // An empty document holds nothing.
        return S_OK;
    }
    if (length > static_cast<std::size_t>(INT_MAX))
    {
        SetLastError(WString(L"the document is too large"), 0);
        return E_OUTOFMEMORY;
    }
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr)
    {
        SetLastError(WString(L"no parser could be made"), 0);
        return E_OUTOFMEMORY;
    }
    XML_SetUserData(parser, this);
    XML_SetElementHandler(parser, &Parser::Start, &Parser::End);
    XML_SetCharacterDataHandler(parser, &Parser::Characters);
    mParser = parser;
    ORVRESULT result = S_OK;
    if (XML_Parse(parser, bytes, static_cast<int>(length), XML_TRUE) == XML_STATUS_ERROR)
    {
        if (!mReader.stop)
        {
            SetLastError(Utf8(XML_ErrorString(XML_GetErrorCode(parser))),
                         static_cast<int>(XML_GetCurrentLineNumber(parser)));
        }
        result = E_FAIL;
    }
    mParser = nullptr;
    XML_ParserFree(parser);
    // Sub-controls left open by an error get their children in layout order, as a closed one
    // has them.
    for (auto open = mReader.open.rbegin(); open != mReader.open.rend(); ++open)
    {
        if (!mReader.stringTableMode && open->element == XmlElement::kSubControl)
        {
            EndSkinElement(*open);
        }
    }
    mReader.open.clear();
    return result;
}

ORVRESULT LControlFactory::ReadSource(const WString& source, std::vector<char>& storage,
                                      Document& document)
{
    document = Document();
    if (source.Left(2) == L"::")
    {
        WString name = source.Mid(2).ToUpper();
        name.ReplaceAnyOf(L". ", L'_');
        const HRSRC resource = FindResourceW(nullptr, name.GetBuffer(), L"ORVXML");
        const DWORD size = resource != nullptr ? SizeofResource(nullptr, resource) : 0;
        const HGLOBAL data = resource != nullptr ? LoadResource(nullptr, resource) : nullptr;
        const void* bytes = data != nullptr ? LockResource(data) : nullptr;
        if (size == 0 || bytes == nullptr)
        {
            SetLastError(WString(L"no ORVXML resource ") + name, 0);
            return E_FAIL;
        }
        document.bytes = static_cast<const char*>(bytes);
        document.length = size;
        return S_OK;
    }
    File file(source, WString());
    if (!file.IsOpen())
    {
        SetLastError(WString(L"the file cannot be opened: ") + source, 0);
        return E_FAIL;
    }
    const long long length = file.GetLength();
    if (length < 0 || length > INT_MAX)
    {
        file.Close();
        SetLastError(WString(L"the file is too large: ") + source, 0);
        return E_OUTOFMEMORY;
    }
    try
    {
        storage.resize(static_cast<std::size_t>(length));
    }
    catch (const std::bad_alloc&)
    {
        file.Close();
        SetLastError(WString(L"the file does not fit in memory: ") + source, 0);
        return E_OUTOFMEMORY;
    }
    const int read =
        length == 0 ? 0 : file.Read(storage.data(), static_cast<unsigned int>(length), 0);
    file.Close();
    document.bytes = storage.data();
    document.length = static_cast<std::size_t>(read);
    return S_OK;
}

ORVRESULT LControlFactory::LoadSkins(const WString& source)
{
    std::vector<char> storage;
    Document document;
    const ORVRESULT read = ReadSource(source, storage, document);
    if (FAILED(read))
    {
        GetDebugOutput().Narrow() << "Skins not loaded: " << mLastErrorText.ToNarrow().GetBuffer()
                                  << std::endl;
        return read;
    }
    return LoadSkinDocument(document);
}

ORVRESULT LControlFactory::LoadSkinDocument(const Document& document)
{
    ResetReader(false);
    const ORVRESULT result = ParseXML(document.bytes, document.length);
    ResetReader(false);
    mCurrentSkinIndex = 0;
    if (FAILED(result))
    {
        GetDebugOutput().Narrow() << "Skin document line " << mLastErrorLine << ": "
                                  << mLastErrorText.ToNarrow().GetBuffer() << std::endl;
    }
    return result;
}

ORVRESULT LControlFactory::ParseStringTableDocument(const Document& document, int& matched)
{
    ResetReader(true);
    const ORVRESULT result = ParseXML(document.bytes, document.length);
    matched = mReader.matchedLocales;
    ResetReader(false);
    if (FAILED(result))
    {
        GetDebugOutput().Narrow() << "String-table document line " << mLastErrorLine << ": "
                                  << mLastErrorText.ToNarrow().GetBuffer() << std::endl;
    }
    return result;
}

ORVRESULT LControlFactory::LoadStringTables(const WString& applicationSource,
                                            const WString& frameworkSource, int languageId)
{
    std::vector<char> applicationStorage;
    std::vector<char> frameworkStorage;
    Document application;
    Document framework;
    const ORVRESULT applicationRead =
        ReadSource(applicationSource, applicationStorage, application);
    if (applicationRead == E_OUTOFMEMORY)
    {
        return applicationRead;
    }
    if (FAILED(applicationRead))
    {
        GetDebugOutput().Narrow() << "String tables: " << mLastErrorText.ToNarrow().GetBuffer()
                                  << std::endl;
    }
    const ORVRESULT frameworkRead = ReadSource(frameworkSource, frameworkStorage, framework);
    if (frameworkRead == E_OUTOFMEMORY)
    {
        return frameworkRead;
    }
    if (FAILED(frameworkRead))
    {
        GetDebugOutput().Narrow() << "String tables: " << mLastErrorText.ToNarrow().GetBuffer()
                                  << std::endl;
    }
    const ORVRESULT loaded =
        LoadStringTableDocuments(SUCCEEDED(applicationRead) ? &application : nullptr,
                                 SUCCEEDED(frameworkRead) ? &framework : nullptr, languageId);
    return FAILED(applicationRead) || FAILED(frameworkRead) ? S_FALSE : loaded;
}

ORVRESULT LControlFactory::LoadStringTableDocuments(const Document* application,
                                                    const Document* framework, int languageId)
{
    bool complete = application != nullptr && framework != nullptr;
    int matched = 0;
    mLanguageId = languageId;
    if (application != nullptr)
    {
        complete &= SUCCEEDED(ParseStringTableDocument(*application, matched));
        for (const int fallback : {FallbackLanguage(languageId), kLanguageEnglish})
        {
            if (matched != 0 || fallback == mLanguageId)
            {
                continue;
            }
            mLanguageId = fallback;
            complete &= SUCCEEDED(ParseStringTableDocument(*application, matched));
        }
    }
    if (framework != nullptr)
    {
        complete &= SUCCEEDED(ParseStringTableDocument(*framework, matched));
        if (matched == 0 && mLanguageId != kLanguageEnglish)
        {
            mLanguageId = kLanguageEnglish;
            complete &= SUCCEEDED(ParseStringTableDocument(*framework, matched));
        }
    }
    return complete ? S_OK : S_FALSE;
}

void LControlFactory::XMLStartElement(const char* name, const char** attributes)
{
    OpenElement open;
    if (mReader.skipRoot)
    {
        // The document's root element, whatever its name.
        mReader.skipRoot = false;
        mReader.open.push_back(open);
        return;
    }
    mReader.elementName = name;
    open.element = FindXmlElement(name);
    if (open.element == XmlElement::kApplication)
    {
        mReader.attributes.Bind(open.element, attributes);
        WString applicationName;
        mReader.attributes.GetText(XmlAttr::kName, applicationName);
        if (applicationName != mApplicationName)
        {
            mApplicationName = applicationName;
        }
        ReportAttributeProblems();
    }
    else if (open.element == XmlElement::kUnknown)
    {
        ReportProblem(std::string("unknown element ") + name + " ignored");
    }
    else
    {
        mReader.attributes.Bind(open.element, attributes);
        if (mReader.stringTableMode)
        {
            StartStringTableElement(open.element);
        }
        else
        {
            StartSkinElement(open.element, open);
        }
        ReportAttributeProblems();
    }
    mReader.open.push_back(std::move(open));
}

void LControlFactory::ReportAttributeProblems()
{
    for (const std::string& unknown : mReader.attributes.GetUnknownNames())
    {
        ReportProblem(std::string("element ") + mReader.elementName + ": unknown attribute " +
                      unknown + " ignored");
    }
    for (const std::string& problem : mReader.attributes.GetProblems())
    {
        ReportProblem(std::string("element ") + mReader.elementName + ": " + problem);
    }
}

void LControlFactory::XMLEndElement()
{
    if (mReader.open.empty())
    {
        return;
    }
    OpenElement open = std::move(mReader.open.back());
    mReader.open.pop_back();
    if (mReader.stringTableMode)
    {
        mReader.collecting = false;
        mReader.textTarget = nullptr;
        return;
    }
    EndSkinElement(open);
}

void LControlFactory::XMLCharacterData(const char* text, int length)
{
    const bool toText = mReader.stringTableMode && mReader.collecting && mReader.textTarget;
    const bool toParam = !mReader.stringTableMode && mReader.collectingParam;
    if (!toText && !toParam)
    {
        return;
    }
    WString piece;
    piece.AssignUtf8(text, length);
    (toText ? *mReader.textTarget : mReader.paramText).Append(piece);
}
} // namespace Orv
