// The skin's description of one control: its registered class, its name, its look list and font
// (skin descriptor), its placement (layout descriptor), its create parameters, and, as children,
// the descriptors of its sub-controls in creation order. A skin's root descriptor (class
// "Application") holds the skin's top-level controls and the skin-wide font settings.
#pragma once

#include "ControlBase/LayoutDescriptor.h"
#include "ControlBase/SkinDescriptor.h"
#include "ControlBase/StringTable.h"
#include "Utilities/Storage/RCPtrArray.h"

namespace Orv
{
class LControl;
class LControlDescriptor;

// Makes a control of one registered class for a descriptor under a parent (null for a top-level
// control); stores it in result (null when none is made) and returns result.
using CreateFunction = RCPtr<LControl>& (*)(RCPtr<LControl>& result, const RCPtr<LControl>& parent,
                                            const RCPtr<LControlDescriptor>& descriptor);

class LControlDescriptor : public virtual LRefCountedObject
{
public:
    using Children = RCPtrArray<LControlDescriptor>;

    // parent is not held: a descriptor lives inside its parent's child list.
    LControlDescriptor(const WString& className, const WString& name, LControlDescriptor* parent);

    static RCPtr<LControlDescriptor> Create(const WString& className, const WString& name,
                                            LControlDescriptor* parent)
    {
        return RCPtr<LControlDescriptor>(new LControlDescriptor(className, name, parent));
    }

    // A new descriptor sharing this one's class, create function, parent, children (the same
    // child objects in a new array), skin, layout and create parameters; named newName unless
    // that is empty. Stored in out; returns out.
    RCPtr<LControlDescriptor>& Clone(RCPtr<LControlDescriptor>& out, const WString& newName) const;

    const WString& GetClassName() const { return mClassName; }
    const WString& GetName() const { return mName; }
    void SetName(const WString& name) { mName = name; }
    LControlDescriptor* GetParent() const { return mParent; }

    const Children& GetChildren() const { return mChildren; }
    Children& GetChildren() { return mChildren; }

    const RCPtr<LSkinDescriptor>& GetSkin() const { return mSkin; }
    void SetSkin(const RCPtr<LSkinDescriptor>& skin) { mSkin = skin; }
    const RCPtr<LLayoutDescriptor>& GetLayout() const { return mLayout; }
    void SetLayout(const RCPtr<LLayoutDescriptor>& layout) { mLayout = layout; }
    // Null when the skin gives none.
    const RCPtr<LStringTable>& GetCreateParams() const { return mCreateParams; }
    void SetCreateParams(const RCPtr<LStringTable>& params) { mCreateParams = params; }
    // The create parameter's text, lower-cased and trimmed of blanks, is "true".
    bool GetCreateParamFlag(const wchar_t* name) const;

    // Null until the first control is made through this descriptor.
    CreateFunction GetCreateFunction() const { return mCreateFunction; }
    void SetCreateFunction(CreateFunction function) { mCreateFunction = function; }

private:
    WString mClassName;
    WString mName;
    LControlDescriptor* mParent;
    Children mChildren;
    RCPtr<LSkinDescriptor> mSkin;
    RCPtr<LLayoutDescriptor> mLayout;
    RCPtr<LStringTable> mCreateParams;
    CreateFunction mCreateFunction = nullptr;
};
} // namespace Orv
