#include "ObjectBase/Exception.h"

#include <cctype>
#include <cstdio>

namespace Orv
{
const char* ExceptionBase::What() const
{
    const auto* standard = dynamic_cast<const std::exception*>(this);
    return standard != nullptr ? standard->what() : "";
}

std::string FormatResult(ORVRESULT code)
{
    char digits[16];
    std::snprintf(digits, sizeof(digits), "%X", static_cast<unsigned int>(code));
    return std::string("ORVRESULT = ") + digits;
}

std::string ComposeExceptionText(std::string_view kind,
                                 std::initializer_list<std::string_view> details,
                                 std::string_view function, std::string_view sourcePath, int line)
{
    std::string text(kind);
    for (std::string_view detail : details)
    {
        text += " : ";
        text += detail;
    }
    text += " : ";
    text += function;
    text += " : ";
    text += sourcePath;
    text += " : Line ";
    text += std::to_string(line);
    return text;
}

namespace
{
constexpr std::size_t kNone = std::string_view::npos;

// The '(' that opens the group whose ')' is at close.
std::size_t OpeningParenthesis(std::string_view text, std::size_t close)
{
    int depth = 0;
    for (std::size_t i = close + 1; i-- > 0;)
    {
        if (text[i] == ')')
        {
            ++depth;
        }
        else if (text[i] == '(' && --depth == 0)
        {
            return i;
        }
    }
    return kNone;
}

bool IsNameCharacter(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_';
}

// Where the word "operator" of an operator's name begins, or the end of the name.
std::size_t OperatorStart(std::string_view name)
{
    for (std::size_t at = name.rfind("operator"); at != kNone;
         at = at == 0 ? kNone : name.rfind("operator", at - 1))
    {
        const std::size_t after = at + 8;
        const bool wordStart = at == 0 || !IsNameCharacter(name[at - 1]);
        const bool wordEnd = after >= name.size() || !IsNameCharacter(name[after]);
        if (wordStart && wordEnd)
        {
            return at;
        }
    }
    return name.size();
}
} // namespace

std::string_view QualifiedFunctionName(std::string_view signature)
{
    std::string_view text = signature;
    // Template bindings: " [with T = int]" (g++), " [T = int]" (clang).
    if (!text.empty() && text.back() == ']')
    {
        const std::size_t bindings = text.rfind(" [");
        if (bindings != kNone)
        {
            text = text.substr(0, bindings);
        }
    }
    // In a lambda, the function that holds it: "Orv::F::Bar()::<lambda(int)>" (g++),
    // "auto Orv::F::Bar()::(anonymous class)::operator()(int) const" (clang).
    for (std::string_view marker : {"::<lambda", "::(anonymous class)", "::(lambda at"})
    {
        const std::size_t at = text.find(marker);
        if (at != kNone)
        {
            text = text.substr(0, at);
            break;
        }
    }
    // The parameters are the last parenthesised group; qualifiers may follow it.
    const std::size_t close = text.rfind(')');
    if (close == kNone)
    {
        return text;
    }
    const std::size_t open = OpeningParenthesis(text, close);
    if (open == kNone)
    {
        return text;
    }
    std::string_view name = text.substr(0, open);
    // The return type ends at the last blank outside angle brackets and parentheses; an
    // operator's own characters ("operator<", "operator bool") are not searched.
    int depth = 0;
    for (std::size_t i = OperatorStart(name); i-- > 0;)
    {
        const char c = name[i];
        if (c == '>' || c == ')')
        {
            ++depth;
        }
        else if (c == '<' || c == '(')
        {
            --depth;
        }
        else if (c == ' ' && depth == 0)
        {
            name = name.substr(i + 1);
            break;
        }
    }
    // clang binds a pointer or reference return type to the name: "Orv::LFoo *Orv::LFoo::Get()".
    while (!name.empty() && (name.front() == '*' || name.front() == '&'))
    {
        name.remove_prefix(1);
    }
    return name;
}

void ThrowFailedResult(ORVRESULT code, std::string_view function, std::string_view sourcePath,
                       int line)
{
    throw Exception<FailedResultException>(
        ComposeExceptionText(ExceptionKind<FailedResultException>::kWord, {FormatResult(code)},
                             function, sourcePath, line));
}
} // namespace Orv
