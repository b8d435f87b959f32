// The look list and the font settings of one control of a skin, or, on a skin's root
// descriptor, of the whole skin.
#pragma once

#include "ControlBase/LookDescriptor.h"

namespace Orv
{
class LSkinDescriptor : public virtual LRefCountedObject
{
public:
    explicit LSkinDescriptor(const WString& name)
        : mName(name)
    {
    }

    static RCPtr<LSkinDescriptor> Create(const WString& name)
    {
        return RCPtr<LSkinDescriptor>(new LSkinDescriptor(name));
    }

    const WString& GetName() const { return mName; }

    // Null when the skin gives no look list.
    const RCPtr<LLookList>& GetLookList() const { return mLookList; }
    void SetLookList(const RCPtr<LLookList>& list) { mLookList = list; }

    bool GetFontInheritsFromParent() const { return mFontInheritsFromParent; }
    void SetFontInheritsFromParent(bool inherits) { mFontInheritsFromParent = inherits; }
    bool GetFontSizeIsRelative() const { return mFontSizeIsRelative; }
    void SetFontSizeIsRelative(bool relative) { mFontSizeIsRelative = relative; }
    // Empty: not set.
    const WString& GetFontName() const { return mFontName; }
    void SetFontName(const WString& name) { mFontName = name; }
    // 0: not set.
    float GetFontSize() const { return mFontSize; }
    void SetFontSize(float size) { mFontSize = size; }
    // -1: not set.
    int GetFontStyle() const { return mFontStyle; }
    void SetFontStyle(int style) { mFontStyle = style; }

private:
    WString mName;
    RCPtr<LLookList> mLookList;
    bool mFontInheritsFromParent = false;
    bool mFontSizeIsRelative = false;
    WString mFontName;
    float mFontSize = 0;
    int mFontStyle = -1;
};
} // namespace Orv
