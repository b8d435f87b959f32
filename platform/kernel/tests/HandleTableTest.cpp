#include "platform/HandleTable.h"
#include "platform/Kernel.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <set>

using OrvPlatform::HandleObject;

namespace
{
struct Entry : HandleObject
{
    static constexpr Kind kKind = Kind::MidiOut;

    Entry()
        : HandleObject(kKind)
    {
    }
};
} // namespace

TEST(HandleTable, ValuesAreNeverHandedOutTwiceAcrossKinds)
{
    std::set<std::uintptr_t> seen;
    for (int round = 0; round < 50; ++round)
    {
        const HANDLE event = CreateEventW(nullptr, FALSE, FALSE, nullptr);
        const HANDLE entry = OrvPlatform::InsertHandle(std::make_shared<Entry>());
        for (const HANDLE handle : {event, entry})
        {
            const auto value = reinterpret_cast<std::uintptr_t>(handle);
            EXPECT_EQ(value % 4, 0u);
            // Never taken for a small device number.
            EXPECT_GE(value, 0x10000u);
            EXPECT_TRUE(seen.insert(value).second) << value;
        }
        // Closing each before the next is made: a value freed is still not given again.
        EXPECT_TRUE(CloseHandle(event));
        EXPECT_TRUE(OrvPlatform::RemoveHandle(entry, Entry::kKind));
    }
}

TEST(HandleTable, AHandleServesOnlyTheCallsOfItsKind)
{
    const auto object = std::make_shared<Entry>();
    const HANDLE entry = OrvPlatform::InsertHandle(object);
    const HANDLE event = CreateEventW(nullptr, TRUE, TRUE, nullptr);

    EXPECT_EQ(OrvPlatform::FindHandleObject<Entry>(entry), object);
    EXPECT_EQ(OrvPlatform::FindHandle(event, Entry::kKind), nullptr);
    EXPECT_EQ(OrvPlatform::FindHandle(entry, HandleObject::Kind::Event), nullptr);

    // The kernel's calls refuse a handle of another family, which stays open.
    EXPECT_EQ(WaitForSingleObject(entry, 0), WAIT_FAILED);
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(CloseHandle(entry));
    EXPECT_EQ(GetLastError(), ERROR_INVALID_HANDLE);
    EXPECT_FALSE(SetEvent(entry));
    // And the family's removal refuses a kernel handle.
    EXPECT_EQ(OrvPlatform::RemoveHandle(event, Entry::kKind), nullptr);
    EXPECT_EQ(WaitForSingleObject(event, 0), WAIT_OBJECT_0);

    EXPECT_EQ(OrvPlatform::RemoveHandle(entry, Entry::kKind), object);
    EXPECT_EQ(OrvPlatform::FindHandle(entry, Entry::kKind), nullptr);
    EXPECT_EQ(OrvPlatform::RemoveHandle(entry, Entry::kKind), nullptr);
    EXPECT_TRUE(CloseHandle(event));
}
