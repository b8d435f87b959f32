// The property-list writer.
#include "System/PropertyListWriter.h"

#include <cstdio>

namespace Orv
{
namespace
{
void AppendAttributes(std::string& out, const XNode& node, int options)
{
    if (node.HasFlag(XNode::kVisible))
    {
        out += " visible=\"true\"";
    }
    if (node.HasFlag(XNode::kLocked))
    {
        out += " locked=\"true\"";
    }
    if ((options & PropertyListWriter::kStateAttributes) != 0)
    {
        if (node.HasFlag(XNode::kVolatile))
        {
            out += " volatile=\"true\"";
        }
        if (node.HasFlag(XNode::kDirty))
        {
            out += " dirty=\"true\"";
        }
    }
}

bool IsWritten(const XNode* node, int options)
{
    return node != nullptr && node->GetType() != XNode::kNone &&
           (!node->HasFlag(XNode::kVolatile) ||
            (options & PropertyListWriter::kIncludeVolatile) != 0);
}

void WriteNode(std::string& out, const XNode& node, int level, bool writeKey, int options)
{
    out.append(static_cast<std::size_t>(level), '\t');
    if (writeKey)
    {
        out += "<key>";
        PropertyListWriter::AppendEscaped(out, node.GetKey());
        out += "</key>";
    }
    const char* name = nullptr;
    switch (node.GetType())
    {
        case XNode::kString:
            name = "string";
            break;
        case XNode::kData:
            name = "data";
            break;
        case XNode::kBoolean:
            out += node.GetBoolean() ? "<true" : "<false";
            AppendAttributes(out, node, options);
            out += "/>\n";
            return;
        case XNode::kInteger:
            out += "<integer";
            AppendAttributes(out, node, options);
            out += '>';
            out += std::to_string(node.GetInteger());
            out += "</integer>\n";
            return;
        case XNode::kReal:
        {
            // Nine significant digits bring every float back exactly.
            char number[48];
            std::snprintf(number, sizeof(number), "%.9g", static_cast<double>(node.GetReal()));
            out += "<real";
            AppendAttributes(out, node, options);
            out += '>';
            out += number;
            out += "</real>\n";
            return;
        }
        case XNode::kDictionary:
        case XNode::kArray:
        {
            const bool dictionary = node.GetType() == XNode::kDictionary;
            const char* tag = dictionary ? "dict" : "array";
            bool any = false;
            for (std::size_t i = 0; i < node.GetChildCount() && !any; ++i)
            {
                any = IsWritten(node.GetChild(i), options);
            }
            out += '<';
            out += tag;
            AppendAttributes(out, node, options);
            if (!any)
            {
                out += "/>\n";
                return;
            }
            out += ">\n";
            for (std::size_t i = 0; i < node.GetChildCount(); ++i)
            {
                const XNode* child = node.GetChild(i);
                if (IsWritten(child, options))
                {
                    WriteNode(out, *child, level + 1, dictionary, options);
                }
            }
            out.append(static_cast<std::size_t>(level), '\t');
            out += "</";
            out += tag;
            out += ">\n";
            return;
        }
        default:
            out += '\n';
            return;
    }
    out += '<';
    out += name;
    AppendAttributes(out, node, options);
    out += '>';
    PropertyListWriter::AppendEscaped(out, node.GetText());
    out += "</";
    out += name;
    out += ">\n";
}
} // namespace

void PropertyListWriter::AppendEscaped(std::string& out, std::string_view text)
{
    for (const char c : text)
    {
        switch (c)
        {
            case '&':
                out += "&amp;";
                break;
            case '<':
                out += "&lt;";
                break;
            case '>':
                out += "&gt;";
                break;
            case '"':
                out += "&quot;";
                break;
            case '\'':
                out += "&apos;";
                break;
            case '\r':
                out += "&#13;";
                break;
            default:
                out += c;
                break;
        }
    }
}

bool PropertyListWriter::IsWritableText(std::string_view text)
{
    for (std::size_t i = 0; i < text.size(); ++i)
    {
        const auto c = static_cast<unsigned char>(text[i]);
        if (c < 0x20 && c != '\t' && c != '\n' && c != '\r')
        {
            return false;
        }
        if (c == 0xEF && i + 2 < text.size() && static_cast<unsigned char>(text[i + 1]) == 0xBF &&
            (static_cast<unsigned char>(text[i + 2]) == 0xBE ||
             static_cast<unsigned char>(text[i + 2]) == 0xBF))
        {
            return false;
        }
    }
    return true;
}

std::string PropertyListWriter::Write(const XNode& root, int options)
{
    std::string out;
    if ((options & kHeader) != 0)
    {
        out += "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
               "<!DOCTYPE plist PUBLIC \"-//Apple Computer//DTD PLIST 1.0//EN\" "
               "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
               "<plist version=\"1.0\">\n";
    }
    if (IsWritten(&root, options))
    {
        WriteNode(out, root, 0, (options & kHeader) == 0 && !root.GetKey().empty(), options);
    }
    if ((options & kHeader) != 0)
    {
        out += "</plist>\n";
    }
    return out;
}
} // namespace Orv
