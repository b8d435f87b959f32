// One element of a settings document: a typed value (string, boolean, integer, real, data) or a
// container (dictionary, array) of further nodes, with its key inside its parent dictionary.
// Keys match without regard to ASCII case. Paths name nodes below a node: names joined by '.',
// "[n]" for the n-th child ("Window.Size[1]").
//
// A node owns its children; the document's root owns the tree.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace Orv
{
class XNode
{
public:
    enum Type : std::uint32_t
    {
        kNone = 0,
        kString = 1,
        kBoolean = 2,
        kInteger = 3,
        kReal = 4,
        kDictionary = 5,
        kArray = 6,
        kData = 7,
    };
    static constexpr std::uint32_t kTypeMask = 0x0F;
    static constexpr std::uint32_t kDirty = 0x10;
    static constexpr std::uint32_t kVolatile = 0x20;
    static constexpr std::uint32_t kVisible = 0x40;
    static constexpr std::uint32_t kLocked = 0x80;

    // Options of Find.
    enum FindOption
    {
        kFindOnly = 0,
        kCreate = 1,
        // Creates, and marks the last node of the path volatile.
        kCreateVolatile = 2,
    };

    XNode() = default;
    XNode(const XNode&) = delete;
    XNode& operator=(const XNode&) = delete;

    Type GetType() const { return static_cast<Type>(mFlags & kTypeMask); }
    // A new type drops the old value (and the children of a container).
    void SetType(Type type);
    std::uint32_t GetFlags() const { return mFlags; }
    bool HasFlag(std::uint32_t flag) const { return (mFlags & flag) != 0; }
    void SetFlag(std::uint32_t flag, bool on);

    const std::string& GetKey() const { return mKey; }
    std::uint32_t GetKeyHash() const { return mKeyHash; }
    void SetKey(std::string key);

    // String and data text; empty for the other types.
    const std::string& GetText() const { return mText; }
    bool GetBoolean() const { return mBoolean; }
    std::int32_t GetInteger() const { return mInteger; }
    float GetReal() const { return mReal; }
    // Each marks the node dirty when the value changes; the node takes the type.
    void SetString(std::string text);
    void SetData(std::string text);
    void SetBoolean(bool value);
    void SetInteger(std::int32_t value);
    void SetReal(float value);
    // Sets the value of the node's type from its text: a string or data takes the text,
    // a boolean is true when the text begins with "true" (any case), an integer reads it as C
    // does with base 0 (decimal, 0x hex, leading-0 octal; out of range: clamped), a real as
    // "%f" does.
    void SetValueFromText(std::string_view text);

    XNode* GetParent() const { return mParent; }
    std::size_t GetChildCount() const { return mChildren.size(); }
    // Null for an empty array slot or an index out of range.
    XNode* GetChild(std::size_t index) const;
    // Appends a child (a null child makes an empty slot); a child that is not volatile marks
    // this container dirty. The node becomes a container first when it is none (dictionary).
    XNode* AddChild(std::unique_ptr<XNode> child);
    // Exactly count children: removes from the end, and fills new and empty slots with empty
    // string nodes.
    void SetChildCount(std::size_t count);
    // False when the index is out of range.
    bool RemoveChild(std::size_t index);
    // The first child whose key matches; null when none does.
    XNode* FindChild(std::string_view key) const;

    // The node the path names below this one (the node itself for an empty path). With kCreate
    // or kCreateVolatile missing names are made, turning a node on the way that is not a
    // dictionary into one. Null when a name is missing (without create), an index is out of
    // range or the path is malformed.
    XNode* Find(std::string_view path, FindOption option = kFindOnly);

    // Sets the dirty bit here and on every parent up to the root (volatile nodes stay clean).
    void MarkDirty();
    // Clears the dirty bit here and on every node below.
    void ClearDirty();

    // The key hash and the key comparison: ASCII letters fold to lower case, other bytes stay.
    static std::uint32_t HashKey(std::string_view key);
    static bool KeysEqual(std::string_view a, std::string_view b);

private:
    std::uint32_t mFlags = 0;
    std::string mKey;
    std::uint32_t mKeyHash = 0;
    std::string mText;
    bool mBoolean = false;
    std::int32_t mInteger = 0;
    float mReal = 0;
    std::vector<std::unique_ptr<XNode>> mChildren;
    XNode* mParent = nullptr;
};
} // namespace Orv
