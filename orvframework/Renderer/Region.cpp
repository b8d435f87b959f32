#include "Renderer/Region.h"

#include <cmath>
#include <utility>
#include <vector>

namespace Orv
{
namespace
{
constexpr double kDoubleEpsilon = 2.220446049250313e-16;

bool IsEmptyRect(const RECT& rect)
{
    return rect.right <= rect.left || rect.bottom <= rect.top;
}

// Overlap of a node and a rectangle: rectangles that only touch do not overlap.
bool Overlaps(const RECT& node, const RECT& rect)
{
    const bool horizontal = rect.left < node.left ? rect.right > node.left : rect.left < node.right;
    const bool vertical = rect.top < node.top ? rect.bottom > node.top : rect.top < node.bottom;
    return horizontal && vertical;
}

LONG Saturate(long long value)
{
    if (value < -2147483647LL - 1)
    {
        return static_cast<LONG>(0x80000000u);
    }
    if (value > 2147483647LL)
    {
        return 0x7FFFFFFF;
    }
    return static_cast<LONG>(value);
}

// Adds 0.5 and truncates, saturating at the 32-bit range (NaN gives the lowest value).
LONG TruncateHalfUp(double value)
{
    const double shifted = std::trunc(value + 0.5);
    if (!(shifted >= -2147483648.0))
    {
        return static_cast<LONG>(0x80000000u);
    }
    if (shifted > 2147483647.0)
    {
        return 0x7FFFFFFF;
    }
    return static_cast<LONG>(shifted);
}

RegionNodePool& Pool()
{
    return RegionNodePool::Instance();
}
} // namespace

LRegion::LRegion(const LRegion& other)
{
    CopyFrom(other);
}

LRegion& LRegion::operator=(const LRegion& other)
{
    if (this != &other)
    {
        LRegion copy(other);
        Swap(copy);
    }
    return *this;
}

LRegion::LRegion(LRegion&& other) noexcept
    : mFirst(std::exchange(other.mFirst, nullptr))
{
}

LRegion& LRegion::operator=(LRegion&& other) noexcept
{
    if (this != &other)
    {
        Clear();
        mFirst = std::exchange(other.mFirst, nullptr);
    }
    return *this;
}

LRegion::~LRegion()
{
    Clear();
}

void LRegion::Swap(LRegion& other) noexcept
{
    std::swap(mFirst, other.mFirst);
}

unsigned int LRegion::CountNodes(const RegionNode* first)
{
    unsigned int count = 0;
    for (; first != nullptr; first = first->next)
    {
        ++count;
    }
    return count;
}

void LRegion::CopyFrom(const LRegion& other)
{
    // The nodes in one pass through the pool, filled in other's order.
    RegionNode* copy = Pool().AllocateChain(CountNodes(other.mFirst));
    mFirst = copy;
    for (const RegionNode* node = other.mFirst; node != nullptr; node = node->next)
    {
        copy->rect = node->rect;
        copy = copy->next;
    }
}

void LRegion::PushFront(const RECT& rect)
{
    RegionNode* node = Pool().Allocate();
    node->rect = rect;
    node->next = mFirst;
    mFirst = node;
}

void LRegion::AddRect(const RECT& rect)
{
    if (IsEmptyRect(rect))
    {
        return;
    }
    SubtractRect(rect, nullptr);
    PushFront(rect);
}

void LRegion::AddRect(const RectT<double>& rect)
{
    const LONG x = TruncateHalfUp(rect.x);
    const LONG y = TruncateHalfUp(rect.y);
    const LONG width = TruncateHalfUp(rect.width);
    const LONG height = TruncateHalfUp(rect.height);
    AddRect(RECT{x, y, Saturate(static_cast<long long>(x) + width),
                 Saturate(static_cast<long long>(y) + height)});
}

void LRegion::AppendRects(const LRegion& other)
{
    // The nodes in one pass through the pool. Each copy goes to the front in other's order, so
    // the region's list starts with other's last rectangle. The walk reads other's list as it
    // was at the start (even when other is this region: only the front changes).
    const RegionNode* node = other.mFirst;
    RegionNode* copy = Pool().AllocateChain(CountNodes(node));
    while (copy != nullptr)
    {
        RegionNode* nextCopy = copy->next;
        copy->rect = node->rect;
        copy->next = mFirst;
        mFirst = copy;
        node = node->next;
        copy = nextCopy;
    }
}

void LRegion::Clear()
{
    Pool().FreeChain(std::exchange(mFirst, nullptr));
}

void LRegion::SubtractRect(const RECT& rect, LRegion* output)
{
    if (IsEmptyRect(rect))
    {
        return;
    }
    RegionNode* previous = nullptr;
    RegionNode* node = mFirst;
    while (node != nullptr)
    {
        RegionNode* next = node->next;
        if (!Overlaps(node->rect, rect))
        {
            previous = node;
            node = next;
            continue;
        }
        // Take the node out; the pieces around the covered part go to the front, where the walk
        // does not see them again.
        if (previous != nullptr)
        {
            previous->next = next;
        }
        else
        {
            mFirst = next;
        }
        RECT& n = node->rect;
        auto addPiece = [&](const RECT& piece)
        {
            PushFront(piece);
            if (previous == nullptr)
            {
                // The first piece pushed now stands directly before next.
                previous = mFirst;
            }
        };
        if (n.top < rect.top)
        {
            addPiece(RECT{n.left, n.top, n.right, rect.top});
            n.top = rect.top;
        }
        if (n.bottom > rect.bottom)
        {
            addPiece(RECT{n.left, rect.bottom, n.right, n.bottom});
            n.bottom = rect.bottom;
        }
        if (n.left < rect.left)
        {
            addPiece(RECT{n.left, n.top, rect.left, n.bottom});
            n.left = rect.left;
        }
        if (n.right > rect.right)
        {
            addPiece(RECT{rect.right, n.top, n.right, n.bottom});
            n.right = rect.right;
        }
        if (output != nullptr)
        {
            node->next = output->mFirst;
            output->mFirst = node;
        }
        else
        {
            Pool().Free(node);
        }
        node = next;
    }
}

void LRegion::Subtract(const LRegion& other, LRegion* output)
{
    if (&other == this)
    {
        // Subtracting a region from itself: walk a snapshot, as the walk changes the list.
        std::vector<RECT> rects;
        for (const RegionNode* node = mFirst; node != nullptr; node = node->next)
        {
            rects.push_back(node->rect);
        }
        for (const RECT& rect : rects)
        {
            SubtractRect(rect, output);
        }
        return;
    }
    for (const RegionNode* node = other.mFirst; node != nullptr; node = node->next)
    {
        SubtractRect(node->rect, output);
    }
}

void LRegion::Intersect(const LRegion& other)
{
    LRegion covered;
    Subtract(other, &covered);
    Swap(covered);
    // covered now holds the uncovered pieces and gives them back when it ends.
}

void LRegion::Offset(LONG dx, LONG dy)
{
    if (dx == 0 && dy == 0)
    {
        return;
    }
    for (RegionNode* node = mFirst; node != nullptr; node = node->next)
    {
        node->rect.left = Saturate(static_cast<long long>(node->rect.left) + dx);
        node->rect.right = Saturate(static_cast<long long>(node->rect.right) + dx);
        node->rect.top = Saturate(static_cast<long long>(node->rect.top) + dy);
        node->rect.bottom = Saturate(static_cast<long long>(node->rect.bottom) + dy);
    }
}

bool LRegion::GetBounds(RECT& bounds) const
{
    if (mFirst == nullptr)
    {
        bounds = RECT{0, 0, 0, 0};
        return false;
    }
    bounds = mFirst->rect;
    for (const RegionNode* node = mFirst->next; node != nullptr; node = node->next)
    {
        bounds.left = node->rect.left < bounds.left ? node->rect.left : bounds.left;
        bounds.top = node->rect.top < bounds.top ? node->rect.top : bounds.top;
        bounds.right = node->rect.right > bounds.right ? node->rect.right : bounds.right;
        bounds.bottom = node->rect.bottom > bounds.bottom ? node->rect.bottom : bounds.bottom;
    }
    return true;
}

unsigned int LRegion::GetRectCount() const
{
    unsigned int count = 0;
    for (const RegionNode* node = mFirst; node != nullptr; node = node->next)
    {
        ++count;
    }
    return count;
}

void LRegion::GetRects(IArray<RectT<LONG>>& rects) const
{
    rects.RemoveAll();
    for (const RegionNode* node = mFirst; node != nullptr; node = node->next)
    {
        const RECT& r = node->rect;
        rects.AddItem(RectT<LONG>(r.left, r.top, Saturate(static_cast<long long>(r.right) - r.left),
                                  Saturate(static_cast<long long>(r.bottom) - r.top)));
    }
}

bool LRegion::Intersects(const RECT& rect) const
{
    if (IsEmptyRect(rect))
    {
        return false;
    }
    for (const RegionNode* node = mFirst; node != nullptr; node = node->next)
    {
        if (Overlaps(node->rect, rect))
        {
            return true;
        }
    }
    return false;
}

bool LRegion::Intersects(const RectT<double>& rect, const PointT<double>& offset) const
{
    double left = rect.x + offset.x;
    double top = rect.y + offset.y;
    double right = left + rect.width;
    double bottom = top + rect.height;
    left = left > 0 ? left : 0;
    top = top > 0 ? top : 0;
    right = right < 2147483647.0 ? right : 2147483647.0;
    bottom = bottom < 2147483647.0 ? bottom : 2147483647.0;
    // Written so that NaN answers false.
    if (!(right - left > kDoubleEpsilon) || !(bottom - top > kDoubleEpsilon))
    {
        return false;
    }
    return Intersects(RECT{RoundDoubleToLong(left), RoundDoubleToLong(top),
                           RoundDoubleToLong(right), RoundDoubleToLong(bottom)});
}

void LRegion::Normalize()
{
    // 1. Sort by top; nodes with equal tops keep their order.
    for (bool swapped = true; swapped;)
    {
        swapped = false;
        for (RegionNode* node = mFirst; node != nullptr && node->next != nullptr; node = node->next)
        {
            if (node->rect.top > node->next->rect.top)
            {
                std::swap(node->rect, node->next->rect);
                swapped = true;
            }
        }
    }
    SplitIntoBands();
    MergeWithinBands();
    MergeAcrossBands();
}

void LRegion::SplitIntoBands()
{
    RegionNode* runStart = mFirst;
    while (runStart != nullptr)
    {
        const LONG top = runStart->rect.top;
        RegionNode* last = runStart;
        LONG split = runStart->rect.bottom;
        for (RegionNode* node = runStart; node != nullptr && node->rect.top == top;
             node = node->next)
        {
            last = node;
            split = node->rect.bottom < split ? node->rect.bottom : split;
        }
        if (last->next != nullptr && last->next->rect.top < split)
        {
            split = last->next->rect.top;
        }
        if (split > top)
        {
            for (RegionNode* node = runStart;; node = node->next)
            {
                if (node->rect.bottom > split)
                {
                    RegionNode* piece = Pool().Allocate();
                    piece->rect = RECT{node->rect.left, split, node->rect.right, node->rect.bottom};
                    node->rect.bottom = split;
                    // Keep the list sorted: after the first node of a run that begins at the
                    // split line, else after the last node above it.
                    RegionNode* before = last;
                    while (before->next != nullptr && before->next->rect.top < split)
                    {
                        before = before->next;
                    }
                    if (before->next != nullptr && before->next->rect.top == split)
                    {
                        before = before->next;
                    }
                    piece->next = before->next;
                    before->next = piece;
                }
                if (node == last)
                {
                    break;
                }
            }
        }
        runStart = last->next;
    }
}

void LRegion::MergeWithinBands()
{
    RegionNode* bandStart = mFirst;
    while (bandStart != nullptr)
    {
        const LONG top = bandStart->rect.top;
        for (bool moved = true; moved;)
        {
            moved = false;
            RegionNode* a = bandStart;
            while (a->next != nullptr && a->next->rect.top == top)
            {
                RegionNode* b = a->next;
                if (a->rect.left > b->rect.left)
                {
                    std::swap(a->rect, b->rect);
                    moved = true;
                    a = b;
                }
                else if (a->rect.right == b->rect.left && a->rect.bottom == b->rect.bottom)
                {
                    a->rect.right = b->rect.right;
                    a->next = b->next;
                    Pool().Free(b);
                    moved = true;
                }
                else
                {
                    a = b;
                }
            }
        }
        RegionNode* node = bandStart;
        while (node->next != nullptr && node->next->rect.top == top)
        {
            node = node->next;
        }
        bandStart = node->next;
    }
}

void LRegion::MergeAcrossBands()
{
    RegionNode* previous = nullptr;
    RegionNode* a = mFirst;
    while (a != nullptr)
    {
        RegionNode* next = a->next;
        RegionNode* b = a->next;
        while (b != nullptr && b->rect.top == a->rect.top)
        {
            b = b->next;
        }
        bool merged = false;
        for (; b != nullptr && b->rect.top == a->rect.bottom; b = b->next)
        {
            if (b->rect.left == a->rect.left && b->rect.right == a->rect.right)
            {
                b->rect.top = a->rect.top;
                if (previous != nullptr)
                {
                    previous->next = next;
                }
                else
                {
                    mFirst = next;
                }
                Pool().Free(a);
                merged = true;
                break;
            }
        }
        if (!merged)
        {
            previous = a;
        }
        a = next;
    }
}
} // namespace Orv
