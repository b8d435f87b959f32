// The parameter objects of input and value notifications.
#include "notification/ConditionsParam.h"
#include "notification/KeyParam.h"
#include "notification/MenuActivationParam.h"
#include "notification/MouseButtonParam.h"
#include "notification/MouseWheelParam.h"
#include "notification/PointWithModifiersParam.h"
#include "notification/SiblingKeyParam.h"
#include "notification/ValueParam.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>

using namespace Orv;

namespace
{
std::wstring Text(const LRefCountedObject& object)
{
    return object.ToString().GetBuffer();
}
} // namespace

TEST(Parameters, TextForms)
{
    KeyCode altF4;
    altF4.code = 0x24730000;
    EXPECT_EQ(Text(*LPointWithModifiersParam::Create({10, 20}, 4, 0)),
              L"point(10, 20)  modifiers: 0x00000004");
    EXPECT_EQ(Text(*LPointWithModifiersParam::Create({-3, 0}, 0x8000000F, 9)),
              L"point(-3, 0)  modifiers: 0x8000000f");
    EXPECT_EQ(Text(*LMouseButtonParam::Create(4, {1, 2}, 8, true, 7, 0)),
              L"point(1, 2)  modifiers: 0x00000008");
    EXPECT_EQ(Text(*LMouseWheelParam::Create({5, 6}, 1, -120)),
              L"point(5, 6)  modifiers: 0x00000001");
    EXPECT_EQ(Text(*LValueParam::Create(0.5, 50.0)), L"ValueParam = 0.500000");
    EXPECT_EQ(Text(*LConditionsParam::Create(1, 3, {1.5, 2.0})), L"(1.5, 2)");
    EXPECT_EQ(Text(*LKeyParam::Create(altF4, false)), L"Alt+VKEY_F4");
}

TEST(Parameters, FieldsAreThoseGivenAtCreation)
{
    const auto button = LMouseButtonParam::Create(2, {3, 4}, 8, true, 0x55, 9);
    EXPECT_EQ(button->button, 2u);
    EXPECT_EQ(button->point, (PointT<LONG>(3, 4)));
    EXPECT_EQ(button->modifiers, 8u);
    EXPECT_TRUE(button->pressed);
    EXPECT_EQ(button->clickData, 0x55u);
    EXPECT_EQ(button->extra, 9u);

    const auto wheel = LMouseWheelParam::Create({1, 2}, 64, 3);
    EXPECT_EQ(wheel->amount, 3);
    EXPECT_EQ(wheel->extra, 0u);

    const auto conditions = LConditionsParam::Create(0x400, 0x404, {2.5, -1.0});
    EXPECT_EQ(conditions->oldConditions, 0x400u);
    EXPECT_EQ(conditions->newConditions, 0x404u);
    EXPECT_EQ(conditions->point, (PointT<double>(2.5, -1.0)));

    const auto value = LValueParam::Create(0.25, 12.5);
    EXPECT_EQ(value->value, 0.25);
    EXPECT_EQ(value->scaledValue, 12.5);

    KeyCode key;
    key.code = 0x20090000;
    key.modifiers = 3;
    const RCPtr<LRefCountedObject> control(new LRefCountedObject());
    const auto keyParam = LKeyParam::Create(key, true);
    EXPECT_EQ(keyParam->key.code, key.code);
    EXPECT_EQ(keyParam->key.modifiers, 3u);
    EXPECT_TRUE(keyParam->keyUp);
    EXPECT_EQ(keyParam->visitedControls.GetCount(), 0u);
    keyParam->visitedControls.AddItem(control);
    EXPECT_EQ(control->GetRefCount(), 2);

    const auto sibling = LSiblingKeyParam::Create(key, control);
    EXPECT_EQ(sibling->sibling.Get(), control.Get());
    EXPECT_EQ(sibling->index, -1);
    EXPECT_EQ(sibling->key.code, key.code);

    const auto menu = LMenuActivationParam::Create(control, 5);
    EXPECT_EQ(menu->menu.Get(), control.Get());
    EXPECT_EQ(menu->value, 5);
}

TEST(Parameters, ReceiversFindTheTypeByDynamicCast)
{
    const RCPtr<LRefCountedObject> param(LMouseButtonParam::Create(1, {0, 0}, 0, false, 0, 0));
    EXPECT_TRUE(DynamicCast<LPointWithModifiersParam>(param));
    EXPECT_TRUE(DynamicCast<LPointParam>(param));
    EXPECT_TRUE(DynamicCast<LMouseButtonParam>(param));
    EXPECT_FALSE(DynamicCast<LMouseWheelParam>(param));
    EXPECT_FALSE(DynamicCast<LValueParam>(param));
}

TEST(Parameters, PooledClassesReuseTheirStorage)
{
    struct Case
    {
        const char* what;
        std::function<RCPtr<LRefCountedObject>()> make;
    };
    const Case cases[] = {
        {"point with modifiers",
         [] {
             return LPointWithModifiersParam::Create({1, 2}, 0, 0);
         }},
        {"mouse button",
         [] {
             return LMouseButtonParam::Create(1, {1, 2}, 0, true, 0, 0);
         }},
        {"mouse wheel",
         [] {
             return LMouseWheelParam::Create({1, 2}, 0, 1);
         }},
        {"value", [] { return LValueParam::Create(0.5, 1.0); }},
        {"conditions",
         [] {
             return LConditionsParam::Create(0, 1, {0.0, 0.0});
         }},
        {"menu activation", [] { return LMenuActivationParam::Create(nullptr, 1); }},
    };
    for (const Case& c : cases)
    {
        SCOPED_TRACE(c.what);
        RCPtr<LRefCountedObject> first = c.make();
        RCPtr<LRefCountedObject> second = c.make();
        const void* firstAddress = first.Get();
        const void* secondAddress = second.Get();
        EXPECT_NE(firstAddress, secondAddress);
        first = nullptr;
        second = nullptr;
        // The last freed block comes back first.
        RCPtr<LRefCountedObject> again = c.make();
        EXPECT_EQ(static_cast<const void*>(again.Get()), secondAddress);
        RCPtr<LRefCountedObject> more = c.make();
        EXPECT_EQ(static_cast<const void*>(more.Get()), firstAddress);
    }
}
