// Fuzz target of the settings file reader: the input is one settings document. What reads is
// written again and read back.
//
// What must hold: a read succeeds, or fails with the error text; the tree of a read is clean
// and no deeper than the reader allows; writing it and reading the result gives the same text
// again (the writer and the reader agree on every value).
#include "System/PropertyListReader.h"
#include "System/PropertyListWriter.h"
#include "System/XNode.h"

#include "FuzzSupport.h"

#include <cstdint>
#include <string>

using namespace Orv;

namespace
{
int Depth(const XNode& node)
{
    int deepest = 0;
    for (std::size_t i = 0; i < node.GetChildCount(); ++i)
    {
        if (const XNode* child = node.GetChild(i))
        {
            ORV_FUZZ_CHECK(child->GetParent() == &node, "a child knows its parent");
            ORV_FUZZ_CHECK(!child->HasFlag(XNode::kDirty), "a node read is clean");
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
        ORV_FUZZ_CHECK(error.rfind("XML Load Error \"", 0) == 0, "a refused document says why");
        return 0;
    }
    ORV_FUZZ_CHECK(!root->HasFlag(XNode::kDirty), "the root read is clean");
    ORV_FUZZ_CHECK(Depth(*root) <= PropertyListReader::kMaxDepth + 1,
                   "no deeper than the reader allows");

    const std::string written = PropertyListWriter::Write(*root, PropertyListWriter::kHeader);
    const std::unique_ptr<XNode> again = PropertyListReader::Read(written, "fuzz", &error);
    ORV_FUZZ_CHECK(again, "what was written reads back");
    ORV_FUZZ_CHECK(PropertyListWriter::Write(*again, PropertyListWriter::kHeader) == written,
                   "writing what was read back gives the same text");
    return 0;
}
