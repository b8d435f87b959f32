// The one store of everything read from the skin and string-table documents, and the registry
// of control classes: every control is made through it, from a control descriptor, by the
// creator registered under the descriptor's dotted class name ("Framework.Button").
//
// Calling order: construct; register the control classes; load the string tables, then the
// skins; then make controls. Registration may come before or after loading, but before the
// first control of a class is made. The factory is used on the UI thread only.
//
// Loading reads documents in UTF-8 or, with a byte-order mark, UTF-16, from the program's
// resources ("::NAME", type "ORVXML") or from files. Bad input never stops the program: an
// element in the wrong place, an unknown attribute, a number or colour that cannot be read is
// ignored and reported in the debug output; a malformed document ends its parse with the
// parser's error text and line kept as the last error, and what earlier documents stored stays.
#pragma once

#include "ControlBase/ControlDescriptor.h"
#include "ControlBase/LookDescriptor.h"
#include "ControlBase/RootWindowInterface.h"
#include "ControlBase/StringTable.h"
#include "ControlBase/VisualPartDescriptor.h"
#include "ControlBase/XmlAttributes.h"
#include "Renderer/Font.h"

#include <cstddef>
#include <map>
#include <vector>

namespace Orv
{
class LControlFactory : public virtual LRefCountedObject
{
public:
    // The language ids the loading falls back to.
    static constexpr int kLanguageEnglish = 0x0009;
    static constexpr int kLanguageChineseTraditional = 0x7C04;
    // The most looks one look list may hold, and the deepest nesting of sub-controls.
    static constexpr int kMaxLooksPerList = 256;
    static constexpr int kMaxSubControlDepth = 256;
    // At most this many problems of one document are reported one by one.
    static constexpr int kMaxReportedProblems = 100;

    // A document already in memory: its bytes and their number.
    struct Document
    {
        const char* bytes = nullptr;
        std::size_t length = 0;
    };

    using TableEntries = LStringTable::Entries;
    using StringTables = std::map<WString, TableEntries>;

    explicit LControlFactory(const WString& applicationName);
    ~LControlFactory() override;
    LControlFactory(const LControlFactory&) = delete;
    LControlFactory& operator=(const LControlFactory&) = delete;

    // Registers function under className; the first registration of a name stays. S_OK.
    ORVRESULT RegisterControlCreateFunction(const WString& className, CreateFunction function);
    // S_OK and the registered function. Throws the runtime error "Runtime Error :
    // Orv::LControlFactory::GetControlCreateFunction : ControlBase\ControlFactory : Line 51"
    // for a name that is not registered.
    ORVRESULT GetControlCreateFunction(const WString& className, CreateFunction& function) const;

    // Makes a control for descriptor under parent (null for a top-level control) into out. The
    // descriptor keeps the create function of its class after the first search. S_OK when a
    // control was made; E_FAIL (out null) for a null descriptor, a class registered with a null
    // function, or a creator that made nothing. An unregistered class throws as
    // GetControlCreateFunction does.
    ORVRESULT CreateControl(RCPtr<LControl>& out, const RCPtr<LControlDescriptor>& descriptor,
                            const RCPtr<LControl>& parent);
    // Makes the top-level control of the current skin named name, visible, and gives it
    // rootWindow. S_OK; E_FAIL (out null) when the current skin has no such control or none
    // was made.
    ORVRESULT CreateTopLevelControl(RCPtr<LControl>& out, const WString& name,
                                    const RCPtr<IRootWindow>& rootWindow);
    // The top-level descriptor of the current skin named name (the last defined of several);
    // a null pointer when there is none, no skin is loaded or the current index names none.
    const RCPtr<LControlDescriptor>& FindControlDescriptor(const WString& name) const;
    // A clone of model (class, create function, children, skin and create parameters shared)
    // named name, with layout as its layout descriptor; stored in out, returned.
    static RCPtr<LControlDescriptor>& MakeControlDescriptor(RCPtr<LControlDescriptor>& out,
                                                            const RCPtr<LControlDescriptor>& model,
                                                            const RCPtr<LLayoutDescriptor>& layout,
                                                            const WString& name);
    // Applies the current skin's descriptor of the control's name to it. E_FAIL for a null
    // control or when the current skin has no descriptor of that name; else ApplyDescriptor's
    // result.
    ORVRESULT ReapplyDescriptor(const RCPtr<LControl>& control);
    // The current skin's font name (when not empty), size (when at least 1) and style (when not
    // -1) into the outputs; the others keep what the caller put there. S_OK when anything was
    // copied, S_FALSE when nothing was, E_FAIL when no skin is current.
    ORVRESULT GetSkinFontSettings(WString& fontName, float& fontSize, int& fontStyle) const;
    // The name a font name stands for in the current language, or the name itself.
    WString TranslateFontName(const WString& fontName) const;
    // The application's skin font: the base font of every control that does not take its font
    // from its parent. Set with the skin (null until then).
    const ConstRCPtr<LFont>& GetSkinFont() const { return mSkinFont; }
    void SetSkinFont(const ConstRCPtr<LFont>& font) { mSkinFont = font; }

    // Each gives a new table holding a copy of the entries stored under its key, or null when
    // the key is not stored, and returns out. The framework's key is "Framework", the
    // application's "|" and the application name, a control's its parent's class name (the
    // application name for a top-level control), "|" and tableName.
    RCPtr<LStringTable>& GetFrameworkStringTable(RCPtr<LStringTable>& out) const;
    RCPtr<LStringTable>& GetApplicationStringTable(RCPtr<LStringTable>& out) const;
    RCPtr<LStringTable>& GetStringTable(RCPtr<LStringTable>& out, const RCPtr<LControl>& control,
                                        const WString& tableName) const;

    // Reads a skin document from source ("::NAME": the resource NAME upper-cased with '.' and
    // ' ' as '_'; else a file path) and adds its skins; the first skin is current afterwards.
    // S_OK; E_FAIL when the source cannot be read or the document is malformed (the last error
    // says why); E_OUTOFMEMORY when the document does not fit in memory.
    ORVRESULT LoadSkins(const WString& source);
    // The same for a document in memory.
    ORVRESULT LoadSkinDocument(const Document& document);
    // Reads the application's and the framework's string-table documents and keeps the texts of
    // one language: the language asked for, or, when the application's document has none of
    // it, 0x7C04 for 0x0404, 0x0C04 and 0x1404, else the primary language, and then English.
    // The framework's document starts from the language the application's texts were found in.
    // S_OK; S_FALSE when a document could not be read or was malformed (what was read stays;
    // the last error says why); E_OUTOFMEMORY when a document does not fit in memory.
    ORVRESULT LoadStringTables(const WString& applicationSource, const WString& frameworkSource,
                               int languageId);
    // The same for documents in memory; a null document counts as missing.
    ORVRESULT LoadStringTableDocuments(const Document* application, const Document* framework,
                                       int languageId);
    // Parses one document in the current mode (skins, or string tables while loading them).
    // S_OK; E_FAIL for a malformed document or one the element handlers stopped; an empty
    // document is parsed as nothing.
    ORVRESULT ParseXML(const char* bytes, std::size_t length);

    const WString& GetApplicationName() const { return mApplicationName; }
    // The language the string tables were loaded in.
    int GetLanguageId() const { return mLanguageId; }
    const WString& GetImagePathPrefix() const { return mImagePathPrefix; }
    void SetImagePathPrefix(const WString& prefix) { mImagePathPrefix = prefix; }
    unsigned int GetSkinCount() const { return mSkins.GetCount(); }
    // The root descriptor of skin index; null outside the loaded skins.
    const RCPtr<LControlDescriptor>& GetSkin(int index) const;
    int GetCurrentSkinIndex() const { return mCurrentSkinIndex; }
    void SetCurrentSkinIndex(int index) { mCurrentSkinIndex = index; }
    const StringTables& GetStringTables() const { return mStringTables; }
    // The text and line of the last error of loading; empty and 0 while there was none.
    const WString& GetLastErrorText() const { return mLastErrorText; }
    int GetLastErrorLine() const { return mLastErrorLine; }

private:
    // How one open element changed the reader's state, undone at its end tag.
    struct OpenElement
    {
        XmlElement element = XmlElement::kUnknown;
        // A sub-control that made a descriptor, or a skin of the top-level form.
        bool pushed = false;
        RCPtr<LControlDescriptor> previous;
        RCPtr<LControlDescriptor> made;
    };

    // The pending font of the latest sub-control, taken over by its nested skin.
    struct PendingFont
    {
        WString name;
        float size = 0;
        int style = -1;
        bool inherits = false;
        bool relative = false;
    };

    // The state of the reader while a document is parsed.
    struct ReaderState
    {
        bool skipRoot = false;
        bool stringTableMode = false;
        // Stops the parse after the element handler that set it.
        bool stop = false;
        std::vector<OpenElement> open;
        RCPtr<LControlDescriptor> currentDescriptor;
        int subControlDepth = 0;
        RCPtr<LLookDescriptor> currentLook;
        RCPtr<LLookList> currentLookList;
        bool insideLooks = false;
        RCPtr<LStringTable> currentParams;
        WString currentParamId;
        bool collectingParam = false;
        WString paramText;
        PendingFont pendingFont;
        int fontLocale = 0;
        // String tables.
        TableEntries* currentTable = nullptr;
        WString currentStringId;
        bool haveStringId = false;
        WString* textTarget = nullptr;
        bool collecting = false;
        int matchedLocales = 0;
        int reportedProblems = 0;
        // The name of the element being handled, for the reports.
        const char* elementName = "";
        XmlAttributes attributes;
    };

    class Parser;
    friend class Parser;

    // The bytes of source: a resource's own, or a file's read into storage. S_OK; E_FAIL (last
    // error set) when it cannot be read; E_OUTOFMEMORY when it does not fit in memory.
    ORVRESULT ReadSource(const WString& source, std::vector<char>& storage, Document& document);
    void SetLastError(const WString& text, int line);
    // One line in the debug output about the document being read, with its line number.
    void ReportProblem(const std::string& text);
    // Parses a string-table document once for mLanguageId; the number of matched locales, or
    // a failure.
    ORVRESULT ParseStringTableDocument(const Document& document, int& matched);

    // Clears what the reader keeps between elements, before a document is loaded.
    void ResetReader(bool stringTableMode);
    void XMLStartElement(const char* name, const char** attributes);
    // Reports the attributes of the element just handled that were unknown or unreadable.
    void ReportAttributeProblems();
    void XMLEndElement();
    void XMLCharacterData(const char* text, int length);
    // Skin documents (ControlFactorySkinElements.cpp).
    void StartSkinElement(XmlElement element, OpenElement& open);
    void StartSkin(OpenElement& open);
    void StartSubControl(OpenElement& open);
    void ReadSubControlLayout(LLayoutDescriptor& layout, bool topLevel);
    void ReadPendingFont();
    void StartLookList();
    void StartLookEntry();
    void StartLook();
    void StartClientPart();
    void StartNonClientPart();
    void StartTextProperties();
    void StartPart();
    void StartColorizer();
    void EndSkinElement(OpenElement& open);
    // String-table documents (ControlFactoryStringTableElements.cpp).
    void StartStringTableElement(XmlElement element);
    // The registered definitions; the first of a name stays.
    template <class T>
    static bool Register(std::map<WString, RCPtr<T>>& table, const WString& name,
                         const RCPtr<T>& object);
    template <class T>
    static RCPtr<T> Lookup(const std::map<WString, RCPtr<T>>& table, const WString& name);

    WString mApplicationName;
    int mLanguageId = 0;
    WString mImagePathPrefix;
    RCPtrArray<LControlDescriptor> mSkins;
    int mCurrentSkinIndex = 0;
    std::map<WString, CreateFunction> mCreateFunctions;
    StringTables mStringTables;
    std::map<WString, RCPtr<LColorizer>> mColorizers;
    std::map<WString, RCPtr<LVisualPartDescriptor>> mParts;
    std::map<WString, RCPtr<LLookDescriptor>> mLooks;
    std::map<WString, RCPtr<LLookList>> mLookLists;
    std::map<WString, WString> mFontTranslations;
    ConstRCPtr<LFont> mSkinFont;
    ReaderState mReader;
    // The document's parser while one is parsed.
    void* mParser = nullptr;
    WString mLastErrorText;
    int mLastErrorLine = 0;
};

// The factory that controls fetch their string tables from and make their children with: the
// one the application made (null before it set one).
const RCPtr<LControlFactory>& GetControlFactory();
void SetControlFactory(const RCPtr<LControlFactory>& factory);
} // namespace Orv
