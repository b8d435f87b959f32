#include "notification/NotificationName.h"

#include "Utilities/Threading/ScopedLock.h"

#include <algorithm>
#include <atomic>
#include <cstdint>
#include <cstring>
#include <cwchar>
#include <vector>

namespace Orv
{
namespace
{
// One interned name as the index knows it.
struct IndexedName
{
    std::size_t hash;
    std::size_t length;
    const wchar_t* text;
};

// An open-addressing index over the table: the pointers the table gave out, and the table's
// texts. Slots are only ever filled, never changed or emptied, so a lookup reads them without
// the lock; a lookup that finds nothing is repeated under the lock before a name is added. An
// index that fills up is replaced by one twice its size; the old one is kept, since a lookup
// may still be reading it (names are few: this is a few kilobytes for the whole process).
struct NameIndex
{
    explicit NameIndex(std::size_t capacity)
        : mask(capacity - 1)
        , pointers(new std::atomic<const wchar_t*>[capacity])
        , texts(new std::atomic<const IndexedName*>[capacity])
    {
        for (std::size_t i = 0; i < capacity; ++i)
        {
            pointers[i].store(nullptr, std::memory_order_relaxed);
            texts[i].store(nullptr, std::memory_order_relaxed);
        }
    }

    std::size_t mask;
    std::atomic<const wchar_t*>* pointers;
    std::atomic<const IndexedName*>* texts;
};

constexpr std::size_t kInitialIndexCapacity = 256;

// Everything here is made on first use and never destroyed (see the name table). Guarded by the
// notification lock, except the published index, which lookups read without it.
struct NameIndexState
{
    std::atomic<NameIndex*> index{new NameIndex(kInitialIndexCapacity)};
    // The indexes replaced by larger ones: kept, since a lookup may still read them.
    std::vector<const NameIndex*> replaced;
    std::vector<const IndexedName*> names;
};

NameIndexState& GetIndexState()
{
    static auto* state = new NameIndexState();
    return *state;
}

std::size_t HashPointer(const wchar_t* pointer)
{
    const auto value = static_cast<std::uint64_t>(reinterpret_cast<std::uintptr_t>(pointer));
    return static_cast<std::size_t>((value >> 2) * 0x9E3779B97F4A7C15ull >> 16);
}

std::uint64_t LoadWord(const wchar_t* at)
{
    std::uint64_t word = 0;
    std::memcpy(&word, at, std::min(sizeof(word), sizeof(wchar_t) * 2));
    return word;
}

// Names are short and mostly share their first characters ("NID_"): the length, the middle and
// the end tell them apart well enough, and cost the same for every name. Equal texts always give
// equal hashes; the lookup compares the whole text.
std::size_t HashText(const wchar_t* text, std::size_t length)
{
    std::uint64_t hash = length * 0x9E3779B97F4A7C15ull;
    if (length >= 2)
    {
        hash = (hash ^ LoadWord(text + length - 2)) * 0xFF51AFD7ED558CCDull;
        hash = (hash ^ LoadWord(text + (length - 2) / 2)) * 0xC4CEB9FE1A85EC53ull;
    }
    else
    {
        hash = (hash ^ static_cast<std::uint64_t>(text[0])) * 0xFF51AFD7ED558CCDull;
    }
    return static_cast<std::size_t>(hash ^ (hash >> 29));
}

bool IsIndexedPointer(const NameIndex& index, const wchar_t* pointer)
{
    for (std::size_t slot = HashPointer(pointer);; ++slot)
    {
        const wchar_t* found = index.pointers[slot & index.mask].load(std::memory_order_acquire);
        if (found == nullptr)
        {
            return false;
        }
        if (found == pointer)
        {
            return true;
        }
    }
}

const wchar_t* FindText(const NameIndex& index, const wchar_t* text, std::size_t length,
                        std::size_t hash)
{
    for (std::size_t slot = hash;; ++slot)
    {
        const IndexedName* found = index.texts[slot & index.mask].load(std::memory_order_acquire);
        if (found == nullptr)
        {
            return nullptr;
        }
        if (found->hash == hash && found->length == length &&
            std::wmemcmp(found->text, text, length) == 0)
        {
            return found->text;
        }
    }
}

// With the notification lock held.
void AddToIndex(NameIndex& index, const IndexedName* name)
{
    std::size_t slot = HashPointer(name->text);
    while (index.pointers[slot & index.mask].load(std::memory_order_relaxed) != nullptr)
    {
        ++slot;
    }
    index.pointers[slot & index.mask].store(name->text, std::memory_order_release);
    slot = name->hash;
    while (index.texts[slot & index.mask].load(std::memory_order_relaxed) != nullptr)
    {
        ++slot;
    }
    index.texts[slot & index.mask].store(name, std::memory_order_release);
}

// With the notification lock held: the index with room for one more name (kept at most half
// full, so that a lookup always meets an empty slot soon).
NameIndex& IndexWithRoom(NameIndexState& state)
{
    NameIndex* index = state.index.load(std::memory_order_relaxed);
    if ((state.names.size() + 1) * 2 <= index->mask + 1)
    {
        return *index;
    }
    auto* grown = new NameIndex((index->mask + 1) * 2);
    for (const IndexedName* name : state.names)
    {
        AddToIndex(*grown, name);
    }
    state.replaced.push_back(index);
    state.index.store(grown, std::memory_order_release);
    return *grown;
}
} // namespace

// The table and its index are made on first use and never destroyed, so that interned
// pointers stay valid for the whole process, also for notifications released by other globals
// at exit. The notification lock is one of the program's globals (Utilities/Globals.cpp).
WStringArray& GetNotificationNameTable()
{
    static WStringArray* table = new WStringArray();
    return *table;
}

const wchar_t* InternNotificationName(const wchar_t* name)
{
    if (name == nullptr || name[0] == 0)
    {
        return nullptr;
    }
    NameIndexState& state = GetIndexState();
    // Without the lock: an interned pointer is known without reading its text, a known text by
    // its hash.
    const NameIndex* index = state.index.load(std::memory_order_acquire);
    if (IsIndexedPointer(*index, name))
    {
        return name;
    }
    const std::size_t length = std::min<std::size_t>(std::wcslen(name), kMaxNameLength);
    const std::size_t hash = HashText(name, length);
    if (const wchar_t* found = FindText(*index, name, length, hash))
    {
        return found;
    }
    // A new name, or one added since the index was read: settled under the lock.
    ScopedLock<Mutex> lock(GetNotificationLock());
    index = state.index.load(std::memory_order_relaxed);
    if (const wchar_t* found = FindText(*index, name, length, hash))
    {
        return found;
    }
    WStringArray& table = GetNotificationNameTable();
    WString entry;
    entry.Assign(name, static_cast<unsigned int>(length));
    table.AddItem(entry);
    // The entry shares the buffer of entry, which no one writes to: its text stays where it is
    // when the table grows.
    const wchar_t* interned = table.GetConstElementPointer(table.GetCount() - 1).GetBuffer();
    NameIndex& indexWithRoom = IndexWithRoom(state);
    const IndexedName* indexed = new IndexedName{hash, length, interned};
    state.names.push_back(indexed);
    AddToIndex(indexWithRoom, indexed);
    return interned;
}
} // namespace Orv
