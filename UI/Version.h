// The program's version record: the version block of the program's file (its resource of type
// RT_VERSION), read once, in the translation chosen for the user: the user's default language,
// else the system's, else one of English. The maker's name, the product's name and its version
// come from it.
#pragma once

#include "Utilities/Storage/StringT.h"

#include "platform/Resources.h"
#include "platform/Types.h"

#include <optional>
#include <vector>

namespace Orv
{
class Version
{
public:
    // Reads the version block of the module's file (null: the program). Throws the runtime error
    // of the start-up failure code 900 (FormatStartupErrorText) when the file has no block or
    // none of its translations fits.
    explicit Version(HMODULE module);

    // The value of a key of the chosen translation ("CompanyName"); empty for a key it does not
    // hold.
    WString GetStringFileInfo(const WString& key) const;
    // The chosen translation: the language in the low word, the code page in the high word.
    DWORD GetTranslation() const { return mTranslation; }

    // The index of the translation to use among translations (each language | code page << 16):
    // the first whose language is the user's, else the first whose language is the system's,
    // else the first whose primary language is English; nullopt when none is.
    static std::optional<std::size_t> ChooseTranslation(const std::vector<DWORD>& translations,
                                                        WORD userLanguage, WORD systemLanguage);

    // The program's record, read on first use (the first call throws when it cannot be read, and
    // so does every later one).
    static const Version& GetProgramVersion();
    // "CompanyName", "ProductName", "ProductVersion" of the program's record.
    static const WString& GetCompanyName();
    static const WString& GetProductName();
    static const WString& GetProductVersion();

private:
    std::vector<unsigned char> mBlock;
    DWORD mTranslation = 0;
};

// The text shown for a start-up failure with the code: the application string table's
// "EXCEPTION_ID" with the code in place of "%d", or, without an application string table, "The
// application encountered problems during startup and will now close.  (Error code = <code>)".
WString FormatStartupErrorText(int code);
} // namespace Orv
