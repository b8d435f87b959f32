// Fuzz target of the skin document reader: the input is one skin document (any encoding the
// parser detects). Every control class the document names is then registered, and each top-level
// control of each skin is made and released, so that the descriptors the reader built go through
// the creation sequence and the release of a tree.
//
// What must hold: a load succeeds or fails with the error kept; the skins are root descriptors
// whose descriptors point back at their parents, every sub-control has a layout, children are in
// layout order, look lists are bounded; making and releasing controls from them keeps the child
// lists consistent.
#include "ControlBase/Control.h"
#include "ControlBase/ControlCreator.h"
#include "ControlBase/ControlFactory.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>

using namespace Orv;

namespace
{
#define SKIN_FUZZ_CHECK(condition)                                                                 \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

// Registers every class the tree names; returns the number of descriptors.
int Walk(LControlFactory& factory, const RCPtr<LControlDescriptor>& descriptor, int depth)
{
    SKIN_FUZZ_CHECK(depth <= LControlFactory::kMaxSubControlDepth + 1);
    factory.RegisterControlCreateFunction(descriptor->GetClassName(), &CreateControlOf<LControl>);
    if (const RCPtr<LSkinDescriptor>& skin = descriptor->GetSkin())
    {
        if (skin->GetLookList())
        {
            SKIN_FUZZ_CHECK(skin->GetLookList()->GetCount() <=
                            static_cast<unsigned int>(LControlFactory::kMaxLooksPerList));
        }
    }
    int count = 1;
    const LControlDescriptor::Children& children = descriptor->GetChildren();
    int lastOrder = INT32_MIN;
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        const RCPtr<LControlDescriptor>& child = children.GetConstElementPointer(i);
        SKIN_FUZZ_CHECK(child);
        SKIN_FUZZ_CHECK(child->GetParent() == descriptor.Get());
        SKIN_FUZZ_CHECK(child->GetLayout());
        if (depth > 0)
        {
            SKIN_FUZZ_CHECK(child->GetLayout()->layoutOrder >= lastOrder);
            lastOrder = child->GetLayout()->layoutOrder;
        }
        count += Walk(factory, child, depth + 1);
    }
    return count;
}

// The control and its descendants agree with their child lists.
void CheckTree(const LControl& control)
{
    const LControl::ChildControlList& children = control.GetChildren();
    for (unsigned int i = 0; i < children.GetCount(); ++i)
    {
        const RCPtr<LControl>& child = children.GetAt(i, LControl::kInsertionOrder);
        SKIN_FUZZ_CHECK(child->GetParent().Get() == &control);
        SKIN_FUZZ_CHECK(children.GetAt(i, LControl::kZOrder));
        SKIN_FUZZ_CHECK(children.GetAt(i, LControl::kTabOrder));
        CheckTree(*child);
    }
    SKIN_FUZZ_CHECK(control.GetUnclippedDescendantCount() >= 0);
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const RCPtr<LControlFactory> factory(new LControlFactory(WString(L"Fuzz")));
    SetControlFactory(factory);
    const ORVRESULT result = factory->LoadSkinDocument(
        LControlFactory::Document{reinterpret_cast<const char*>(data), size});
    SKIN_FUZZ_CHECK(result == S_OK || result == E_FAIL);
    if (result == E_FAIL)
    {
        SKIN_FUZZ_CHECK(!factory->GetLastErrorText().IsEmpty());
    }
    SKIN_FUZZ_CHECK(factory->GetCurrentSkinIndex() == 0);
    int descriptors = 0;
    for (unsigned int s = 0; s < factory->GetSkinCount(); ++s)
    {
        const RCPtr<LControlDescriptor>& root = factory->GetSkin(static_cast<int>(s));
        SKIN_FUZZ_CHECK(root && root->GetParent() == nullptr);
        SKIN_FUZZ_CHECK(root->GetClassName() == L"Application");
        descriptors += Walk(*factory, root, 0);
    }
    // Making controls is bounded by what was read: a few thousand at most.
    if (descriptors <= 4000)
    {
        for (unsigned int s = 0; s < factory->GetSkinCount(); ++s)
        {
            factory->SetCurrentSkinIndex(static_cast<int>(s));
            const LControlDescriptor::Children& top =
                factory->GetSkin(static_cast<int>(s))->GetChildren();
            for (unsigned int i = 0; i < top.GetCount(); ++i)
            {
                RCPtr<LControl> control;
                factory->CreateTopLevelControl(control, top.GetConstElementPointer(i)->GetName(),
                                               nullptr);
                SKIN_FUZZ_CHECK(control);
                CheckTree(*control);
                SKIN_FUZZ_CHECK(control->GetRefCount() - control->GetInternalRefCount() == 1);
            }
        }
    }
    SetControlFactory(nullptr);
    return 0;
}
