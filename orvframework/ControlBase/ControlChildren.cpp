// The child list of a control: insertion, removal, and the z and tab orders.
#include "ControlBase/Control.h"

#include "Utilities/Storage/ArrayUtils.h"

namespace Orv
{
namespace
{
// The texts of the list's position and order errors name the list's own source and lines.
constexpr const char* kGetAtFunction = "Orv::LControl::ChildControlList::GetAt";
constexpr const char* kGetAtSource = "ControlBase\\Control";
constexpr int kBadIndexLine = 3356;
constexpr int kBadOrderLine = 3376;
constexpr int kBadIndexLineConst = 3384;
constexpr int kBadOrderLineConst = 3404;

const LLayoutDescriptor& LayoutOf(const LControl& control)
{
    static const LLayoutDescriptor defaults;
    return control.GetLayout() ? *control.GetLayout() : defaults;
}

int DockedAxes(const LLayoutDescriptor& layout)
{
    return (layout.axes[0].docked ? 1 : 0) + (layout.axes[1].docked ? 1 : 0);
}
} // namespace

LControl::ChildControlList::ChildControlList(LControl* owner)
    : owner(owner)
{
}

LControl::ChildControlList::~ChildControlList() = default;

void LControl::ChildControlList::SortIfStale() const
{
    if (sortedCount == changeCount)
    {
        return;
    }
    auto& self = const_cast<ChildControlList&>(*this);
    const unsigned int count = children.GetCount();
    ArrayUtils::SortIndecies(self.zOrder, children, 0, count,
                             [this](unsigned int a, unsigned int b)
                             {
                                 const LLayoutDescriptor& la =
                                     LayoutOf(*children.GetConstElementPointer(a));
                                 const LLayoutDescriptor& lb =
                                     LayoutOf(*children.GetConstElementPointer(b));
                                 if (la.clipToParent != lb.clipToParent)
                                 {
                                     return la.clipToParent;
                                 }
                                 const int da = DockedAxes(la);
                                 const int db = DockedAxes(lb);
                                 if (da != db)
                                 {
                                     return da < db;
                                 }
                                 if (la.zOrder != lb.zOrder)
                                 {
                                     return la.zOrder < lb.zOrder;
                                 }
                                 return a < b;
                             });
    ArrayUtils::SortIndecies(self.tabOrder, children, 0, count,
                             [this](unsigned int a, unsigned int b)
                             {
                                 const int ta =
                                     LayoutOf(*children.GetConstElementPointer(a)).tabStop;
                                 const int tb =
                                     LayoutOf(*children.GetConstElementPointer(b)).tabStop;
                                 return ta != tb ? ta < tb : a < b;
                             });
    self.sortedCount = changeCount;
}

RCPtr<LControl>& LControl::ChildControlList::GetAt(unsigned int index, int order)
{
    if (index >= children.GetCount())
    {
        ThrowException<std::runtime_error>(kGetAtFunction, kGetAtSource, kBadIndexLine);
    }
    switch (order)
    {
        case kInsertionOrder:
            return children.GetElementPointer(index);
        case kZOrder:
            SortIfStale();
            return children.GetElementPointer(zOrder.GetConstElementPointer(index));
        case kTabOrder:
            SortIfStale();
            return children.GetElementPointer(tabOrder.GetConstElementPointer(index));
        default:
            ThrowException<std::runtime_error>(kGetAtFunction, kGetAtSource, kBadOrderLine);
    }
}

const RCPtr<LControl>& LControl::ChildControlList::GetAt(unsigned int index, int order) const
{
    if (index >= children.GetCount())
    {
        ThrowException<std::runtime_error>(kGetAtFunction, kGetAtSource, kBadIndexLineConst);
    }
    switch (order)
    {
        case kInsertionOrder:
            return children.GetConstElementPointer(index);
        case kZOrder:
            SortIfStale();
            return children.GetConstElementPointer(zOrder.GetConstElementPointer(index));
        case kTabOrder:
            SortIfStale();
            return children.GetConstElementPointer(tabOrder.GetConstElementPointer(index));
        default:
            ThrowException<std::runtime_error>(kGetAtFunction, kGetAtSource, kBadOrderLineConst);
    }
}

ORVRESULT LControl::ChildControlList::Add(LControl* child)
{
    if (child == nullptr || child->mParent)
    {
        return E_INVALIDARG;
    }
    for (const LControl* ancestor = owner; ancestor != nullptr; ancestor = ancestor->mParent.Get())
    {
        if (ancestor == child)
        {
            return E_INVALIDARG;
        }
    }
    const std::wstring_view name(child->mName.GetBuffer());
    if (byName.find(name) != byName.end())
    {
        return E_FAIL;
    }
    // Appended first: the only step that can fail (memory) leaves everything as it was.
    byName.emplace(std::wstring(name), child);
    children.AddItem(RCPtr<LControl>(child));
    AddUnclipped(owner, child->UnclippedShare());
    child->mParent = owner;
    // The child's reference to the owner is internal on the owner.
    owner->AddInternalReference();
    ++changeCount;
    return S_OK;
}

void LControl::ChildControlList::TakeOut(unsigned int position)
{
    RCPtr<LControl> child = children.GetConstElementPointer(position);
    const auto named = byName.find(std::wstring_view(child->mName.GetBuffer()));
    if (named != byName.end() && named->second == child.Get())
    {
        byName.erase(named);
    }
    AddUnclipped(owner, -child->UnclippedShare());
    // Lowered before the child's reference to the owner goes.
    owner->ReleaseInternalReference();
    child->mParent = nullptr;
    {
        RCPtr<LControl> removed;
        children.RemoveItem(position, removed);
    }
    ++changeCount;
    owner->OnChildRemoved(child, static_cast<int>(position));
}

int LControl::ChildControlList::Remove(const LControl* child)
{
    for (unsigned int i = children.GetCount(); i-- > 0;)
    {
        if (children.GetConstElementPointer(i).Get() == child)
        {
            TakeOut(i);
            return static_cast<int>(i);
        }
    }
    return -1;
}

int LControl::ChildControlList::Clear()
{
    if (children.GetCount() == 0)
    {
        return 1;
    }
    for (unsigned int i = children.GetCount(); i-- > 0;)
    {
        if (i < children.GetCount())
        {
            TakeOut(i);
        }
    }
    return 0;
}
} // namespace Orv
