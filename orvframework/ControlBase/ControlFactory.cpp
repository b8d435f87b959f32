#include "ControlBase/ControlFactory.h"

#include "ControlBase/Control.h"

namespace Orv
{
namespace
{
const RCPtr<LControlDescriptor>& NoDescriptor()
{
    static const RCPtr<LControlDescriptor> none;
    return none;
}

RCPtr<LControlFactory>& FactorySlot()
{
    static RCPtr<LControlFactory> factory;
    return factory;
}

// The table of key, or null.
RCPtr<LStringTable>& TableOf(RCPtr<LStringTable>& out, const LControlFactory::StringTables& tables,
                             const WString& key)
{
    out = nullptr;
    const auto found = tables.find(key);
    if (found != tables.end())
    {
        LStringTable::Create(out, found->second);
    }
    return out;
}
} // namespace

const RCPtr<LControlFactory>& GetControlFactory()
{
    return FactorySlot();
}

void SetControlFactory(const RCPtr<LControlFactory>& factory)
{
    FactorySlot() = factory;
}

LControlFactory::LControlFactory(const WString& applicationName)
    : mApplicationName(applicationName)
{
}

LControlFactory::~LControlFactory() = default;

ORVRESULT LControlFactory::RegisterControlCreateFunction(const WString& className,
                                                         CreateFunction function)
{
    mCreateFunctions.emplace(className, function);
    return S_OK;
}

ORVRESULT LControlFactory::GetControlCreateFunction(const WString& className,
                                                    CreateFunction& function) const
{
    const auto found = mCreateFunctions.find(className);
    if (found == mCreateFunctions.end())
    {
        // The text names no class: it is the same for every unknown name.
        ThrowException<std::runtime_error>("Orv::LControlFactory::GetControlCreateFunction",
                                           "ControlBase\\ControlFactory", 51);
    }
    function = found->second;
    return S_OK;
}

ORVRESULT LControlFactory::CreateControl(RCPtr<LControl>& out,
                                         const RCPtr<LControlDescriptor>& descriptor,
                                         const RCPtr<LControl>& parent)
{
    out = nullptr;
    if (!descriptor)
    {
        return E_FAIL;
    }
    if (descriptor->GetCreateFunction() == nullptr)
    {
        CreateFunction function = nullptr;
        GetControlCreateFunction(descriptor->GetClassName(), function);
        descriptor->SetCreateFunction(function);
    }
    const CreateFunction function = descriptor->GetCreateFunction();
    if (function == nullptr)
    {
        return E_FAIL;
    }
    function(out, parent, descriptor);
    return out ? S_OK : E_FAIL;
}

ORVRESULT LControlFactory::CreateTopLevelControl(RCPtr<LControl>& out, const WString& name,
                                                 const RCPtr<IRootWindow>& rootWindow)
{
    out = nullptr;
    const RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(name);
    if (!descriptor)
    {
        return E_FAIL;
    }
    if (descriptor->GetLayout())
    {
        descriptor->GetLayout()->visible = true;
    }
    const ORVRESULT result = CreateControl(out, descriptor, RCPtr<LControl>());
    if (out)
    {
        out->SetRootWindow(rootWindow);
    }
    return result;
}

const RCPtr<LControlDescriptor>& LControlFactory::FindControlDescriptor(const WString& name) const
{
    const RCPtr<LControlDescriptor>& skin = GetSkin(mCurrentSkinIndex);
    if (!skin)
    {
        return NoDescriptor();
    }
    const LControlDescriptor::Children& children = skin->GetChildren();
    for (unsigned int i = children.GetCount(); i-- > 0;)
    {
        const RCPtr<LControlDescriptor>& child = children.GetConstElementPointer(i);
        if (child && child->GetName() == name)
        {
            return child;
        }
    }
    return NoDescriptor();
}

RCPtr<LControlDescriptor>&
LControlFactory::MakeControlDescriptor(RCPtr<LControlDescriptor>& out,
                                       const RCPtr<LControlDescriptor>& model,
                                       const RCPtr<LLayoutDescriptor>& layout, const WString& name)
{
    out = nullptr;
    if (model)
    {
        model->Clone(out, name);
        out->SetLayout(layout);
    }
    return out;
}

ORVRESULT LControlFactory::ReapplyDescriptor(const RCPtr<LControl>& control)
{
    if (!control)
    {
        return E_FAIL;
    }
    const RCPtr<LControlDescriptor> descriptor = FindControlDescriptor(control->GetName());
    if (!descriptor)
    {
        return E_FAIL;
    }
    return control->ApplyDescriptor(descriptor);
}

ORVRESULT LControlFactory::GetSkinFontSettings(WString& fontName, float& fontSize,
                                               int& fontStyle) const
{
    const RCPtr<LControlDescriptor>& skin = GetSkin(mCurrentSkinIndex);
    if (!skin || !skin->GetSkin())
    {
        return E_FAIL;
    }
    const LSkinDescriptor& settings = *skin->GetSkin();
    bool copied = false;
    if (!settings.GetFontName().IsEmpty())
    {
        fontName = settings.GetFontName();
        copied = true;
    }
    if (settings.GetFontSize() >= 1.0f)
    {
        fontSize = settings.GetFontSize();
        copied = true;
    }
    if (settings.GetFontStyle() != -1)
    {
        fontStyle = settings.GetFontStyle();
        copied = true;
    }
    return copied ? S_OK : S_FALSE;
}

WString LControlFactory::TranslateFontName(const WString& fontName) const
{
    const auto found = mFontTranslations.find(fontName);
    return found == mFontTranslations.end() ? fontName : found->second;
}

RCPtr<LStringTable>& LControlFactory::GetFrameworkStringTable(RCPtr<LStringTable>& out) const
{
    return TableOf(out, mStringTables, WString(L"Framework"));
}

RCPtr<LStringTable>& LControlFactory::GetApplicationStringTable(RCPtr<LStringTable>& out) const
{
    return TableOf(out, mStringTables, WString(L"|") + mApplicationName);
}

RCPtr<LStringTable>& LControlFactory::GetStringTable(RCPtr<LStringTable>& out,
                                                     const RCPtr<LControl>& control,
                                                     const WString& tableName) const
{
    WString key = mApplicationName;
    if (control)
    {
        key = control->GetDescriptor() ? control->GetDescriptor()->GetClassName() : WString();
    }
    key.Append(L'|');
    key.Append(tableName);
    return TableOf(out, mStringTables, key);
}

const RCPtr<LControlDescriptor>& LControlFactory::GetSkin(int index) const
{
    if (index < 0 || static_cast<unsigned int>(index) >= mSkins.GetCount())
    {
        return NoDescriptor();
    }
    return mSkins.GetConstElementPointer(static_cast<unsigned int>(index));
}
} // namespace Orv
