// The property-list reader over Expat's callbacks.
#include "System/PropertyListReader.h"

#include "Utilities/Debug/DebugOutput.h"
#include "Utilities/Globals.h"

#include <expat.h>

#include <climits>
#include <ostream>

namespace Orv
{
namespace
{
bool NameIs(const XML_Char* name, std::string_view expected)
{
    return XNode::KeysEqual(name, expected);
}

bool AttributeIsTrue(const XML_Char* value)
{
    return XNode::KeysEqual(value, "true");
}

// What the text of the element being read becomes.
enum class TextTarget
{
    kNone,
    kKey,
    kValue,
};

struct Level
{
    XNode* node = nullptr;
};

class Parser
{
public:
    explicit Parser(XML_Parser parser)
        : mParser(parser)
    {
    }

    static void XMLCALL OnStart(void* data, const XML_Char* name, const XML_Char** attributes)
    {
        static_cast<Parser*>(data)->Start(name, attributes);
    }
    static void XMLCALL OnEnd(void* data, const XML_Char* name)
    {
        static_cast<Parser*>(data)->End(name);
    }
    static void XMLCALL OnText(void* data, const XML_Char* text, int length)
    {
        auto* parser = static_cast<Parser*>(data);
        if (parser->mTarget != TextTarget::kNone)
        {
            parser->mText.append(text, static_cast<std::size_t>(length));
        }
    }

    std::unique_ptr<XNode> TakeRoot() { return std::move(mRoot); }
    const std::string& GetOwnError() const { return mOwnError; }

private:
    void Fail(const char* reason)
    {
        mOwnError = reason;
        XML_StopParser(mParser, XML_FALSE);
    }

    void Start(const XML_Char* name, const XML_Char** attributes)
    {
        Level& level = mLevels[mDepth];
        if (level.node == nullptr)
        {
            auto node = std::make_unique<XNode>();
            if (!mRoot)
            {
                level.node = node.get();
                mRoot = std::move(node);
            }
            else if (mDepth == 0)
            {
                Fail("more than one top-level value");
                return;
            }
            else
            {
                level.node = mLevels[mDepth - 1].node->AddChild(std::move(node));
            }
        }
        XNode* node = level.node;
        for (int i = 0; attributes[i] != nullptr && attributes[i + 1] != nullptr; i += 2)
        {
            if (NameIs(attributes[i], "visible"))
            {
                node->SetFlag(XNode::kVisible, AttributeIsTrue(attributes[i + 1]));
            }
            else if (NameIs(attributes[i], "locked"))
            {
                node->SetFlag(XNode::kLocked, AttributeIsTrue(attributes[i + 1]));
            }
        }
        mTarget = TextTarget::kNone;
        mText.clear();
        if (NameIs(name, "key"))
        {
            mTarget = TextTarget::kKey;
        }
        else if (NameIs(name, "dict") || NameIs(name, "array"))
        {
            if (mDepth + 1 >= PropertyListReader::kMaxDepth)
            {
                Fail("nesting deeper than 64 levels");
                return;
            }
            node->SetType(NameIs(name, "dict") ? XNode::kDictionary : XNode::kArray);
            ++mDepth;
            mLevels[mDepth].node = nullptr;
        }
        else if (NameIs(name, "string"))
        {
            BeginValue(node, XNode::kString);
        }
        else if (NameIs(name, "data"))
        {
            BeginValue(node, XNode::kData);
        }
        else if (NameIs(name, "integer"))
        {
            BeginValue(node, XNode::kInteger);
        }
        else if (NameIs(name, "real"))
        {
            BeginValue(node, XNode::kReal);
        }
        else if (NameIs(name, "true") || NameIs(name, "false"))
        {
            node->SetBoolean(NameIs(name, "true"));
        }
    }

    void BeginValue(XNode* node, XNode::Type type)
    {
        node->SetType(type);
        mTarget = TextTarget::kValue;
    }

    void End(const XML_Char* name)
    {
        if ((NameIs(name, "plist") || NameIs(name, "dict") || NameIs(name, "array")) && mDepth > 0)
        {
            --mDepth;
        }
        Level* level = &mLevels[mDepth];
        XNode* node = level->node;
        if (node != nullptr)
        {
            if (mTarget == TextTarget::kKey)
            {
                node->SetKey(mText);
            }
            else if (mTarget == TextTarget::kValue)
            {
                node->SetValueFromText(mText);
            }
            if (node->GetType() != XNode::kNone)
            {
                level->node = nullptr;
            }
        }
        mTarget = TextTarget::kNone;
        mText.clear();
    }

    XML_Parser mParser;
    Level mLevels[PropertyListReader::kMaxDepth];
    int mDepth = 0;
    std::unique_ptr<XNode> mRoot;
    TextTarget mTarget = TextTarget::kNone;
    std::string mText;
    std::string mOwnError;
};
} // namespace

std::unique_ptr<XNode> PropertyListReader::Read(std::string_view text, const char* fileName,
                                                std::string* error)
{
    XML_Parser parser = XML_ParserCreate(nullptr);
    if (parser == nullptr)
    {
        if (error != nullptr)
        {
            *error = "XML Load Error \"out of memory\" line 0";
        }
        return nullptr;
    }
    Parser state(parser);
    XML_SetUserData(parser, &state);
    XML_SetElementHandler(parser, &Parser::OnStart, &Parser::OnEnd);
    XML_SetCharacterDataHandler(parser, &Parser::OnText);

    bool ok = true;
    std::size_t offset = 0;
    // Expat takes an int length: long texts go in pieces.
    do
    {
        const std::size_t piece = std::min<std::size_t>(text.size() - offset, INT_MAX / 2);
        const bool last = offset + piece == text.size();
        if (XML_Parse(parser, text.data() + offset, static_cast<int>(piece), last ? 1 : 0) !=
            XML_STATUS_OK)
        {
            ok = false;
            break;
        }
        offset += piece;
    } while (offset < text.size());

    std::unique_ptr<XNode> root;
    if (ok)
    {
        root = state.TakeRoot();
        if (!root)
        {
            ok = false;
        }
    }
    if (!ok)
    {
        const std::string reason =
            !state.GetOwnError().empty()
                ? state.GetOwnError()
                : (root == nullptr && XML_GetErrorCode(parser) == XML_ERROR_NONE
                       ? std::string("no element found")
                       : std::string(XML_ErrorString(XML_GetErrorCode(parser))));
        const unsigned long line = XML_GetCurrentLineNumber(parser);
        if (error != nullptr)
        {
            *error = "XML Load Error \"" + reason + "\" line " + std::to_string(line);
        }
        GetDebugOutput().Narrow() << (fileName != nullptr ? fileName : "XML Load Error") << ':'
                                  << line << ": " << reason << std::endl;
        XML_ParserFree(parser);
        return nullptr;
    }
    XML_ParserFree(parser);
    root->ClearDirty();
    return root;
}
} // namespace Orv
