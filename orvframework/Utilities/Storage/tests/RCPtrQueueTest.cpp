#include "Utilities/Storage/RCPtrQueue.h"
#include "Utilities/Threading/Mutex.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

using namespace Orv;

namespace
{
class Item : public LRefCountedObject
{
public:
    explicit Item(int value)
        : value(value)
    {
    }
    int value;
};

template <unsigned int N>
std::vector<int> Drain(RCPtrQueue<Item, N, Mutex>& queue)
{
    std::vector<int> values;
    while (queue.GetCount() != 0)
    {
        RCPtr<Item> item = queue.Dequeue();
        values.push_back(item ? item->value : -1);
    }
    return values;
}
} // namespace

TEST(RCPtrQueue, GrowsByOneCellPerFullEnqueueAndKeepsTheOrder)
{
    // Full with the oldest at cell 0, and full after wrapping round: both grow in place.
    for (int wrapped : {0, 3})
    {
        SCOPED_TRACE(wrapped);
        Mutex lock;
        RCPtrQueue<Item, 4, Mutex> queue(&lock);
        for (int i = 0; i < wrapped; ++i)
        {
            queue.Enqueue(RCPtr<Item>(new Item(-100)));
            queue.Dequeue();
        }
        std::vector<int> expected;
        for (int i = 0; i < 10; ++i)
        {
            EXPECT_EQ(queue.Enqueue(RCPtr<Item>(new Item(i))), S_OK);
            expected.push_back(i);
            EXPECT_EQ(queue.GetCount(), static_cast<unsigned int>(i + 1));
            EXPECT_EQ(queue.GetCellCount(), std::max(4u, static_cast<unsigned int>(i + 2)));
        }
        EXPECT_EQ(Drain(queue), expected);
        EXPECT_EQ(queue.GetCellCount(), 11u);
        // The grown ring is reused as it is.
        queue.Enqueue(RCPtr<Item>(new Item(42)));
        queue.Enqueue(nullptr);
        EXPECT_EQ(Drain(queue), (std::vector<int>{42, -1}));
        EXPECT_EQ(queue.GetCellCount(), 11u);
    }
}

TEST(RCPtrQueue, HoldsAReferenceWhileQueued)
{
    RCPtrQueue<Item, 256, Mutex> queue;
    RCPtr<Item> item(new Item(1));
    queue.Enqueue(item);
    EXPECT_EQ(item->GetRefCount(), 2);
    RCPtr<Item> out;
    EXPECT_TRUE(queue.TryDequeue(out));
    EXPECT_EQ(out.Get(), item.Get());
    EXPECT_EQ(item->GetRefCount(), 2);
    EXPECT_FALSE(queue.TryDequeue(out));
    EXPECT_FALSE(out);
    EXPECT_EQ(item->GetRefCount(), 1);
}

TEST(RCPtrQueue, AQueueWithoutCellsStartsWithTwo)
{
    RCPtrQueue<Item, 0, Mutex> queue;
    EXPECT_EQ(queue.GetCount(), 0u);
    EXPECT_EQ(queue.GetCellCount(), 0u);
    queue.Enqueue(RCPtr<Item>(new Item(1)));
    EXPECT_EQ(queue.GetCellCount(), 2u);
    queue.Enqueue(RCPtr<Item>(new Item(2)));
    EXPECT_EQ(queue.GetCellCount(), 3u);
    EXPECT_EQ(Drain(queue), (std::vector<int>{1, 2}));
}

TEST(RCPtrQueue, DequeueFromAnEmptyQueueThrows)
{
    RCPtrQueue<Item, 256, Mutex> queue;
    try
    {
        queue.Dequeue();
        FAIL() << "no exception";
    }
    catch (const Exception<std::runtime_error>& error)
    {
        const std::string text = error.what();
        EXPECT_EQ(text.rfind("Runtime Error : Orv::RCPtrQueue<class ", 0), 0u) << text;
        EXPECT_NE(text.find("Item,256,class Orv::Mutex>::Dequeue : "), std::string::npos) << text;
        EXPECT_NE(text.find("Utilities/Storage/RCPtrQueue.h : Line "), std::string::npos) << text;
    }
}
