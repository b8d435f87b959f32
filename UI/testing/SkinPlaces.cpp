#include "SkinPlaces.h"

#include <expat.h>

#include <cstdlib>
#include <cstring>
#include <fstream>
#include <sstream>
#include <vector>

namespace OrvTest
{
namespace
{
struct Reader
{
    std::map<std::string, Place>* places = nullptr;
    // The place in the window of each open SubControl element, the outermost first.
    std::vector<std::pair<int, int>> origins;
};

int Attribute(const XML_Char** attributes, const char* name)
{
    for (int i = 0; attributes[i] != nullptr; i += 2)
    {
        if (std::strcmp(attributes[i], name) == 0)
        {
            return std::atoi(attributes[i + 1]);
        }
    }
    return 0;
}

const char* Text(const XML_Char** attributes, const char* name)
{
    for (int i = 0; attributes[i] != nullptr; i += 2)
    {
        if (std::strcmp(attributes[i], name) == 0)
        {
            return attributes[i + 1];
        }
    }
    return nullptr;
}

void XMLCALL Start(void* data, const XML_Char* element, const XML_Char** attributes)
{
    auto& reader = *static_cast<Reader*>(data);
    if (std::strcmp(element, "SubControl") != 0)
    {
        return;
    }
    const int x = Attribute(attributes, "XPositionAbs");
    const int y = Attribute(attributes, "YPositionAbs");
    // The outermost control is the window.
    const bool outermost = reader.origins.empty();
    const int left = outermost ? 0 : reader.origins.back().first + x;
    const int top = outermost ? 0 : reader.origins.back().second + y;
    const char* name = Text(attributes, "Name");
    if (name != nullptr && reader.places->find(name) == reader.places->end())
    {
        (*reader.places)[name] = Place{left, top, left + Attribute(attributes, "XSizeAbs"),
                                       top + Attribute(attributes, "YSizeAbs")};
    }
    reader.origins.emplace_back(left, top);
}

void XMLCALL End(void* data, const XML_Char* element)
{
    auto& reader = *static_cast<Reader*>(data);
    if (std::strcmp(element, "SubControl") == 0 && !reader.origins.empty())
    {
        reader.origins.pop_back();
    }
}
} // namespace

bool SkinPlaces::Read(const std::string& path, std::string& error)
{
    std::ifstream in(path, std::ios::binary);
    if (!in)
    {
        error = path + ": cannot be read";
        return false;
    }
    std::ostringstream text;
    text << in.rdbuf();
    const std::string document = text.str();
    std::map<std::string, Place> places;
    Reader reader;
    reader.places = &places;
    XML_Parser parser = XML_ParserCreate(nullptr);
    XML_SetUserData(parser, &reader);
    XML_SetElementHandler(parser, Start, End);
    const bool parsed = XML_Parse(parser, document.data(), static_cast<int>(document.size()),
                                  XML_TRUE) == XML_STATUS_OK;
    if (!parsed)
    {
        error = path + ":" + std::to_string(XML_GetCurrentLineNumber(parser)) + ": " +
                XML_ErrorString(XML_GetErrorCode(parser));
    }
    XML_ParserFree(parser);
    if (parsed)
    {
        mPlaces = std::move(places);
    }
    return parsed;
}

Place SkinPlaces::Of(const std::string& name) const
{
    const auto found = mPlaces.find(name);
    return found == mPlaces.end() ? Place() : found->second;
}
} // namespace OrvTest
