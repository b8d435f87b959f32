// Fuzz target of the settings file reader: the input is one settings document. What reads is
// written again and read back.
//
// What must hold: a read succeeds, or fails with the error text; the tree of a read is clean
// and no deeper than the reader allows; writing it and reading the result gives the same text
// again (the writer and the reader agree on every value).
#include "System/PropertyListReader.h"
#include "System/PropertyListWriter.h"
#include "System/XNode.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

using namespace Orv;

namespace
{
#define PLIST_FUZZ_CHECK(condition)                                                                \
    do                                                                                             \
    {                                                                                              \
        if (!(condition))                                                                          \
        {                                                                                          \
            std::fprintf(stderr, "%s:%d: check failed: %s\n", __FILE__, __LINE__, #condition);     \
            std::abort();                                                                          \
        }                                                                                          \
    } while (false)

int Depth(const XNode& node)
{
    int deepest = 0;
    for (std::size_t i = 0; i < node.GetChildCount(); ++i)
    {
        if (const XNode* child = node.GetChild(i))
        {
            PLIST_FUZZ_CHECK(child->GetParent() == &node);
            PLIST_FUZZ_CHECK(!child->HasFlag(XNode::kDirty));
            const int depth = Depth(*child);
            deepest = depth > deepest ? depth : deepest;
        }
    }
    return deepest + 1;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string text(reinterpret_cast<const char*>(data), size);
    std::string error;
    const std::unique_ptr<XNode> root = PropertyListReader::Read(text, "fuzz", &error);
    if (!root)
    {
        PLIST_FUZZ_CHECK(error.rfind("XML Load Error \"", 0) == 0);
        return 0;
    }
    PLIST_FUZZ_CHECK(!root->HasFlag(XNode::kDirty));
    PLIST_FUZZ_CHECK(Depth(*root) <= PropertyListReader::kMaxDepth + 1);

    const std::string written = PropertyListWriter::Write(*root, PropertyListWriter::kHeader);
    const std::unique_ptr<XNode> again = PropertyListReader::Read(written, "fuzz", &error);
    PLIST_FUZZ_CHECK(again);
    PLIST_FUZZ_CHECK(PropertyListWriter::Write(*again, PropertyListWriter::kHeader) == written);
    return 0;
}
