// The elements of a string-table document: tables by ID, strings by ID, and one Locale per
// language holding the text. Only the texts of the factory's language id are kept.
#include "ControlBase/ControlFactory.h"

namespace Orv
{
void LControlFactory::StartStringTableElement(XmlElement element)
{
    XmlAttributes& attributes = mReader.attributes;
    switch (element)
    {
        case XmlElement::kStringTable:
        {
            WString id;
            if (!attributes.GetText(XmlAttr::kId, id))
            {
                ReportProblem("StringTable without ID ignored");
                mReader.currentTable = nullptr;
                return;
            }
            // A table named twice is filled further.
            mReader.currentTable = &mStringTables[id];
            mReader.haveStringId = false;
            break;
        }
        case XmlElement::kString:
            if (mReader.currentTable == nullptr)
            {
                ReportProblem("String outside a StringTable ignored");
            }
            else if (attributes.GetText(XmlAttr::kId, mReader.currentStringId))
            {
                mReader.haveStringId = true;
            }
            else
            {
                ReportProblem("String without ID ignored");
            }
            break;
        case XmlElement::kLocale:
        {
            int locale = 0;
            if (mReader.currentTable == nullptr || !mReader.haveStringId)
            {
                ReportProblem("Locale outside a String of a StringTable ignored");
            }
            else if (!attributes.GetInt(XmlAttr::kLcid, locale))
            {
                if (!attributes.Has(XmlAttr::kLcid))
                {
                    ReportProblem("Locale without LCID ignored");
                }
            }
            else if (locale == mLanguageId)
            {
                ++mReader.matchedLocales;
                mReader.collecting = true;
                mReader.textTarget =
                    &mReader.currentTable->try_emplace(mReader.currentStringId).first->second;
            }
            break;
        }
        default:
            // Skin elements are not read here.
            break;
    }
}
} // namespace Orv
