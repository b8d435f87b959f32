// The settings document's node: values, children, path lookup and the dirty marks.
#include "System/XNode.h"

#include <cerrno>
#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>

namespace Orv
{
namespace
{
unsigned char FoldCase(unsigned char c)
{
    return (c >= 'A' && c <= 'Z') ? static_cast<unsigned char>(c + ('a' - 'A')) : c;
}
} // namespace

std::uint32_t XNode::HashKey(std::string_view key)
{
    std::uint32_t hash = 0;
    std::uint32_t previous = 0;
    for (const char byte : key)
    {
        const std::uint32_t c = FoldCase(static_cast<unsigned char>(byte));
        hash += (c + 1) * (previous + 1);
        previous = c;
    }
    return hash;
}

bool XNode::KeysEqual(std::string_view a, std::string_view b)
{
    if (a.size() != b.size())
    {
        return false;
    }
    for (std::size_t i = 0; i < a.size(); ++i)
    {
        if (FoldCase(static_cast<unsigned char>(a[i])) !=
            FoldCase(static_cast<unsigned char>(b[i])))
        {
            return false;
        }
    }
    return true;
}

void XNode::SetType(Type type)
{
    if (GetType() == type)
    {
        return;
    }
    mFlags = (mFlags & ~kTypeMask) | type;
    mText.clear();
    mBoolean = false;
    mInteger = 0;
    mReal = 0;
    mChildren.clear();
    MarkDirty();
}

void XNode::SetFlag(std::uint32_t flag, bool on)
{
    mFlags = on ? (mFlags | flag) : (mFlags & ~flag);
}

void XNode::SetKey(std::string key)
{
    mKeyHash = HashKey(key);
    mKey = std::move(key);
}

void XNode::SetString(std::string text)
{
    SetType(kString);
    if (mText != text)
    {
        mText = std::move(text);
        MarkDirty();
    }
}

void XNode::SetData(std::string text)
{
    SetType(kData);
    if (mText != text)
    {
        mText = std::move(text);
        MarkDirty();
    }
}

void XNode::SetBoolean(bool value)
{
    SetType(kBoolean);
    if (mBoolean != value)
    {
        mBoolean = value;
        MarkDirty();
    }
}

void XNode::SetInteger(std::int32_t value)
{
    SetType(kInteger);
    if (mInteger != value)
    {
        mInteger = value;
        MarkDirty();
    }
}

void XNode::SetReal(float value)
{
    SetType(kReal);
    // Compared bit for bit, so that a NaN or a signed zero counts as a change.
    if (std::memcmp(&mReal, &value, sizeof(value)) != 0)
    {
        mReal = value;
        MarkDirty();
    }
}

void XNode::SetValueFromText(std::string_view text)
{
    switch (GetType())
    {
        case kString:
            SetString(std::string(text));
            break;
        case kData:
            SetData(std::string(text));
            break;
        case kBoolean:
            SetBoolean(text.size() >= 4 && KeysEqual(text.substr(0, 4), "true"));
            break;
        case kInteger:
        {
            const std::string copy(text);
            errno = 0;
            long long value = std::strtoll(copy.c_str(), nullptr, 0);
            value = value < INT32_MIN ? INT32_MIN : (value > INT32_MAX ? INT32_MAX : value);
            SetInteger(static_cast<std::int32_t>(value));
            break;
        }
        case kReal:
        {
            const std::string copy(text);
            float value = 0;
            if (std::sscanf(copy.c_str(), "%f", &value) != 1)
            {
                value = 0;
            }
            SetReal(value);
            break;
        }
        default:
            break;
    }
}

XNode* XNode::GetChild(std::size_t index) const
{
    return index < mChildren.size() ? mChildren[index].get() : nullptr;
}

XNode* XNode::AddChild(std::unique_ptr<XNode> child)
{
    if (GetType() != kDictionary && GetType() != kArray)
    {
        SetType(kDictionary);
    }
    XNode* added = child.get();
    if (added != nullptr)
    {
        added->mParent = this;
    }
    mChildren.push_back(std::move(child));
    if (added == nullptr || !added->HasFlag(kVolatile))
    {
        MarkDirty();
    }
    return added;
}

void XNode::SetChildCount(std::size_t count)
{
    if (mChildren.size() != count)
    {
        mChildren.resize(count);
        MarkDirty();
    }
    for (auto& slot : mChildren)
    {
        if (!slot)
        {
            slot = std::make_unique<XNode>();
            slot->mFlags = kString;
            slot->mParent = this;
            MarkDirty();
        }
    }
}

bool XNode::RemoveChild(std::size_t index)
{
    if (index >= mChildren.size())
    {
        return false;
    }
    mChildren.erase(mChildren.begin() + static_cast<std::ptrdiff_t>(index));
    MarkDirty();
    return true;
}

XNode* XNode::FindChild(std::string_view key) const
{
    const std::uint32_t hash = HashKey(key);
    for (const auto& child : mChildren)
    {
        if (child && child->mKeyHash == hash && KeysEqual(child->mKey, key))
        {
            return child.get();
        }
    }
    return nullptr;
}

XNode* XNode::Find(std::string_view path, FindOption option)
{
    XNode* node = this;
    std::size_t pos = 0;
    while (pos < path.size())
    {
        if (path[pos] == '.')
        {
            ++pos;
            continue;
        }
        if (path[pos] == '[')
        {
            const std::size_t close = path.find(']', pos);
            if (close == std::string_view::npos || close == pos + 1)
            {
                return nullptr;
            }
            std::size_t index = 0;
            for (std::size_t i = pos + 1; i < close; ++i)
            {
                const char c = path[i];
                if (c < '0' || c > '9' || index > (SIZE_MAX - 9) / 10)
                {
                    return nullptr;
                }
                index = index * 10 + static_cast<std::size_t>(c - '0');
            }
            node = node->GetChild(index);
            if (node == nullptr)
            {
                return nullptr;
            }
            pos = close + 1;
            continue;
        }
        std::size_t end = path.find_first_of(".[", pos);
        if (end == std::string_view::npos)
        {
            end = path.size();
        }
        const std::string_view name = path.substr(pos, end - pos);
        XNode* child = node->FindChild(name);
        if (child == nullptr)
        {
            if (option == kFindOnly)
            {
                return nullptr;
            }
            if (node->GetType() != kDictionary)
            {
                node->SetType(kDictionary);
            }
            auto made = std::make_unique<XNode>();
            made->SetKey(std::string(name));
            if (option == kCreateVolatile && end == path.size())
            {
                made->SetFlag(kVolatile, true);
            }
            child = node->AddChild(std::move(made));
        }
        node = child;
        pos = end;
    }
    return node;
}

void XNode::MarkDirty()
{
    for (XNode* node = this; node != nullptr; node = node->mParent)
    {
        if (node->HasFlag(kVolatile))
        {
            return;
        }
        node->mFlags |= kDirty;
    }
}

void XNode::ClearDirty()
{
    mFlags &= ~kDirty;
    for (const auto& child : mChildren)
    {
        if (child)
        {
            child->ClearDirty();
        }
    }
}
} // namespace Orv
