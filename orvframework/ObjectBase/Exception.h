// Exceptions and result codes of the framework.
//
// Every thrown text reads "Kind : detail : Function : source path : Line n", the detail being
// zero, one or two texts. Throw sites use ORV_THROW, which adds the source path and line.
#pragma once

#include "platform/Types.h"

#include <initializer_list>
#include <new>
#include <stdexcept>
#include <string>
#include <string_view>

namespace Orv
{
// A 32-bit result code with the meanings of HRESULTs: negative values are failures.
using ORVRESULT = HRESULT;

struct ExceptionBase
{
    virtual ~ExceptionBase() = default;

    // The message text: what() of the standard exception this object also is.
    const char* What() const;
};

// An operation that had to succeed returned a failure code.
class FailedResultException : public std::exception
{
public:
    FailedResultException() = default;
    explicit FailedResultException(std::string message)
        : mMessage(std::move(message))
    {
    }

    const char* what() const noexcept override { return mMessage.c_str(); }

private:
    std::string mMessage;
};

template <class E>
class Exception : public E, public ExceptionBase
{
public:
    explicit Exception(const char* message)
        : E(message)
    {
    }
    explicit Exception(const std::string& message)
        : E(message)
    {
    }
    Exception(const Exception&) = default;
};

template <>
class Exception<FailedResultException> : public FailedResultException, public ExceptionBase
{
public:
    explicit Exception(const std::string& message)
        : FailedResultException(message)
    {
    }
    Exception(const Exception&) = default;
};

// std::bad_alloc carries no text of its own: its what() stays the standard one.
template <>
class Exception<std::bad_alloc> : public std::bad_alloc, public ExceptionBase
{
public:
    Exception() = default;
    explicit Exception(const char*) {}
    explicit Exception(const std::string&) {}
    Exception(const Exception&) = default;
};

// The kind word at the head of a message.
template <class E>
struct ExceptionKind;
template <>
struct ExceptionKind<std::logic_error>
{
    static constexpr const char* kWord = "Logic Error";
};
template <>
struct ExceptionKind<std::runtime_error>
{
    static constexpr const char* kWord = "Runtime Error";
};
template <>
struct ExceptionKind<std::out_of_range>
{
    static constexpr const char* kWord = "Out of Range";
};
template <>
struct ExceptionKind<std::domain_error>
{
    static constexpr const char* kWord = "Domain Error";
};
template <>
struct ExceptionKind<std::invalid_argument>
{
    static constexpr const char* kWord = "Invalid Argument";
};
template <>
struct ExceptionKind<FailedResultException>
{
    static constexpr const char* kWord = "Failed Result";
};

// "ORVRESULT = " and the code in upper-case hexadecimal ("%X").
std::string FormatResult(ORVRESULT code);

// Joins kind, details, function, source path and "Line n" with " : ".
std::string ComposeExceptionText(std::string_view kind,
                                 std::initializer_list<std::string_view> details,
                                 std::string_view function, std::string_view sourcePath, int line);

template <class E>
[[noreturn]] void ThrowException(std::string_view function, std::string_view sourcePath, int line,
                                 std::initializer_list<std::string_view> details = {})
{
    throw Exception<E>(
        ComposeExceptionText(ExceptionKind<E>::kWord, details, function, sourcePath, line));
}

// Throws the "Failed Result" exception for code.
[[noreturn]] void ThrowFailedResult(ORVRESULT code, std::string_view function,
                                    std::string_view sourcePath, int line);

inline ORVRESULT RequireSuccess(ORVRESULT code, std::string_view function,
                                std::string_view sourcePath, int line)
{
    if (FAILED(code))
    {
        ThrowFailedResult(code, function, sourcePath, line);
    }
    return code;
}

// The throwing function's name for an exception text, from the compiler's signature of it (as
// __PRETTY_FUNCTION__ gives it with g++ and clang): the qualified name alone, without return
// type, parameters, qualifiers or template bindings, "Orv::LFoo::Bar" for
// "virtual int Orv::LFoo::Bar(int) const". In a lambda, the function that holds it.
// (std::source_location would serve, but clang 14 with this C++ library does not offer it.)
std::string_view QualifiedFunctionName(std::string_view signature);
} // namespace Orv

// ORV_THROW(std::runtime_error, "Null Pointer", "what is missing"): the text names the function
// the statement is in, its source path and line.
#define ORV_THROW(E, ...)                                                                          \
    ::Orv::ThrowException<E>(::Orv::QualifiedFunctionName(__PRETTY_FUNCTION__), __FILE__,          \
                             __LINE__, {__VA_ARGS__})

// The same, for a helper that throws on behalf of the function it names (a check shared by the
// public operations of a class).
#define ORV_THROW_FOR(E, function, ...)                                                            \
    ::Orv::ThrowException<E>(function, __FILE__, __LINE__, {__VA_ARGS__})

// Turns a failure code into the "Failed Result" exception; returns the code otherwise.
#define ORV_REQUIRE_SUCCESS(expression)                                                            \
    ::Orv::RequireSuccess((expression), ::Orv::QualifiedFunctionName(__PRETTY_FUNCTION__),         \
                          __FILE__, __LINE__)
