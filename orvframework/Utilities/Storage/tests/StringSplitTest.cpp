#include "ObjectBase/Holder.h"
#include "Utilities/Storage/StringArrayT.h"
#include "Utilities/Storage/WrapperStringable.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
std::vector<std::wstring> Pieces(const WStringArray& parts)
{
    std::vector<std::wstring> pieces;
    for (unsigned int i = 0; i < parts.GetCount(); ++i)
    {
        pieces.emplace_back(parts.GetConstElementPointer(i).GetBuffer());
    }
    return pieces;
}
} // namespace

TEST(StringSplit, PiecesBetweenTheSeparators)
{
    struct Case
    {
        const wchar_t* text;
        const wchar_t* separator;
        int maxCount;
        std::vector<std::wstring> pieces;
    };
    const Case cases[] = {
        {L"MENU.0.1.NID_OPEN", L".", -1, {L"MENU", L"0", L"1", L"NID_OPEN"}},
        {L"MENU.0.1.NID_OPEN", L".", 2, {L"MENU", L"0.1.NID_OPEN"}},
        {L"MENU.0.1.NID_OPEN", L".", 1, {L"MENU.0.1.NID_OPEN"}},
        {L"a..b.", L".", -1, {L"a", L"", L"b", L""}},
        {L"no separator", L".", -1, {L"no separator"}},
        {L"", L".", -1, {L""}},
        {L"key::value::rest", L"::", -1, {L"key", L"value", L"rest"}},
    };
    for (const Case& c : cases)
    {
        WStringArray parts;
        EXPECT_EQ(WString(c.text).Split(WString(c.separator), c.maxCount, parts),
                  static_cast<int>(c.pieces.size()))
            << c.text;
        EXPECT_EQ(Pieces(parts), c.pieces) << c.text;
    }

    WStringArray parts;
    parts.AddItem(WString(L"old"));
    EXPECT_EQ(WString(L"a.b").Split(WString(), -1, parts), E_INVALIDARG);
    EXPECT_EQ(parts.GetCount(), 0u);
    EXPECT_EQ(WString(L"a.b").Split(WString(L"."), 0, parts), E_INVALIDARG);
}

TEST(StringSplit, InsertsNarrowTextConverted)
{
    WString text(L"ac");
    EXPECT_EQ(text.Insert(1, "b\xC3\xA9"), S_OK);
    EXPECT_EQ(std::wstring(text.GetBuffer()), std::wstring(L"ab\u00E9c"));
    EXPECT_EQ(text.Insert(5, "x"), E_INVALIDARG);
    EXPECT_EQ(std::wstring(text.GetBuffer()), std::wstring(L"ab\u00E9c"));
    EXPECT_EQ(text.Insert(4, "!"), S_OK);
    EXPECT_EQ(std::wstring(text.GetBuffer()), std::wstring(L"ab\u00E9c!"));
}

TEST(StringSplit, WrappedStringAndHolderValues)
{
    const RCPtr<LWrapperStringable<>> wrapped = LWrapperStringable<>::Create(WString(L"item"));
    const RCPtr<LTaggableObject> data(wrapped);
    EXPECT_EQ(std::wstring(data->ToString().GetBuffer()), L"item");
    wrapped->SetValue(WString(L"other"));
    EXPECT_EQ(std::wstring(data->ToString().GetBuffer()), L"other");

    const RCPtr<LHolder<int>> holder = LHolder<int>::Create(7);
    holder->GetValue() = 8;
    EXPECT_EQ(holder->GetValue(), 8);
    EXPECT_EQ(holder->GetRefCount(), 1);
}
