#include "ObjectBase/Exception.h"

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <vector>

using Orv::Exception;
using Orv::ExceptionBase;

namespace Orv
{
// Functions of every shape that throw, to see which name their exception texts carry.
class LThrower
{
public:
    explicit LThrower(bool fail)
    {
        if (fail)
        {
            ORV_THROW(std::runtime_error, "constructor");
        }
    }
    virtual ~LThrower() = default;
    virtual int Initialize(int) const { ORV_THROW(std::runtime_error, "member"); }
    template <class T>
    static T Convert(T)
    {
        ORV_THROW(std::runtime_error, "template");
    }
    bool operator<(const LThrower&) const { ORV_THROW(std::runtime_error, "operator"); }
    explicit operator bool() const { ORV_THROW(std::runtime_error, "conversion"); }
    void InLambda() const
    {
        [] { ORV_THROW(std::runtime_error, "lambda"); }();
    }
    const LThrower* Self() const { ORV_THROW(std::runtime_error, "pointer"); }
    ORVRESULT Require() const { return ORV_REQUIRE_SUCCESS(E_ABORT); }
};

template <class T>
struct Box
{
    void Get() const { ORV_THROW(std::runtime_error, "class template"); }
};
} // namespace Orv

namespace
{
// The function field of a thrown text: the one before the source path.
std::string FunctionOf(const std::function<void()>& thrower)
{
    try
    {
        thrower();
    }
    catch (const std::exception& error)
    {
        const std::string text = error.what();
        const std::size_t path = text.find(" : orvframework/");
        const std::size_t start = text.rfind(" : ", path - 1) + 3;
        return text.substr(start, path - start);
    }
    return "nothing thrown";
}
} // namespace

TEST(ExceptionText, NamesTheFunctionTheStatementIsIn)
{
    const Orv::LThrower thrower(false);
    EXPECT_EQ(FunctionOf([] { Orv::LThrower failing(true); }), "Orv::LThrower::LThrower");
    EXPECT_EQ(FunctionOf([&] { thrower.Initialize(1); }), "Orv::LThrower::Initialize");
    EXPECT_EQ(FunctionOf([] { Orv::LThrower::Convert(2.5); }), "Orv::LThrower::Convert");
    EXPECT_EQ(FunctionOf([&] { (void)(thrower < thrower); }), "Orv::LThrower::operator<");
    EXPECT_EQ(FunctionOf([&] { (void)static_cast<bool>(thrower); }),
              "Orv::LThrower::operator bool");
    EXPECT_EQ(FunctionOf([&] { thrower.InLambda(); }), "Orv::LThrower::InLambda");
    EXPECT_EQ(FunctionOf([&] { thrower.Self(); }), "Orv::LThrower::Self");
    EXPECT_EQ(FunctionOf([&] { thrower.Require(); }), "Orv::LThrower::Require");
    // g++ names the template's parameters, clang its arguments.
    const std::string boxed = FunctionOf([] { Orv::Box<int>().Get(); });
    EXPECT_TRUE(boxed == "Orv::Box<T>::Get" || boxed == "Orv::Box<int>::Get") << boxed;
}

TEST(ExceptionText, QualifiedNameFromEitherCompilersSignature)
{
    struct Case
    {
        const char* signature;
        const char* name;
    };
    const std::vector<Case> cases = {
        {"virtual int Orv::LThrower::Initialize(int) const", "Orv::LThrower::Initialize"},
        {"Orv::LThrower::LThrower(bool)", "Orv::LThrower::LThrower"},
        {"static T Orv::LThrower::Convert(T) [with T = double]", "Orv::LThrower::Convert"},
        {"static T Orv::LThrower::Convert(T) [T = double]", "Orv::LThrower::Convert"},
        {"bool Orv::LThrower::operator<(const Orv::LThrower&) const", "Orv::LThrower::operator<"},
        {"bool Orv::LThrower::operator<<(int)", "Orv::LThrower::operator<<"},
        {"void Orv::F::operator()(int) const", "Orv::F::operator()"},
        {"Orv::LThrower::operator bool() const", "Orv::LThrower::operator bool"},
        {"Orv::LThrower::InLambda() const::<lambda()>", "Orv::LThrower::InLambda"},
        {"auto Orv::LThrower::InLambda() const::(anonymous class)::operator()() const",
         "Orv::LThrower::InLambda"},
        {"const Orv::LThrower* Orv::LThrower::Self() const", "Orv::LThrower::Self"},
        {"const Orv::LThrower *Orv::LThrower::Self() const", "Orv::LThrower::Self"},
        {"Orv::StringT<C, O>& Orv::StringT<C, O>::Append(const C*) [with C = wchar_t; O = char]",
         "Orv::StringT<C, O>::Append"},
        {"std::pair<int, int> Orv::Pairs(std::function<void(int)>)", "Orv::Pairs"},
        {"void Orv::LFoo::operatorCount()", "Orv::LFoo::operatorCount"},
        {"int main()", "main"},
        {"Orv::Plain", "Orv::Plain"},
    };
    for (const Case& c : cases)
    {
        EXPECT_EQ(Orv::QualifiedFunctionName(c.signature), c.name) << c.signature;
    }
}

TEST(FormatResult, UpperCaseHexWithoutPrefixOrLeadingZeros)
{
    EXPECT_EQ(Orv::FormatResult(E_INVALIDARG), "ORVRESULT = 80070057");
    EXPECT_EQ(Orv::FormatResult(0), "ORVRESULT = 0");
    EXPECT_EQ(Orv::FormatResult(0x1A), "ORVRESULT = 1A");
    EXPECT_EQ(Orv::FormatResult(E_FAIL), "ORVRESULT = 80004005");
}

TEST(ExceptionText, FieldsJoinedInOrder)
{
    // One line: compilers differ in the line they give a macro call that spans several.
    const char* function = "Orv::LMainControl::Initialize";
    const char* detail = "LMainControl couldn't find buttonExit";
    const int line = __LINE__ + 3;
    try
    {
        ORV_THROW_FOR(std::runtime_error, function, "Null Pointer", detail);
        FAIL() << "no exception";
    }
    catch (const std::runtime_error& error)
    {
        EXPECT_EQ(
            std::string(error.what()),
            "Runtime Error : Null Pointer : LMainControl couldn't find buttonExit : "
            "Orv::LMainControl::Initialize : orvframework/ObjectBase/tests/ExceptionTest.cpp : "
            "Line " +
                std::to_string(line));
    }
}

TEST(ExceptionText, NoDetailGivesFourFields)
{
    const std::string text =
        Orv::ComposeExceptionText("Runtime Error", {}, "Orv::LRefCountedObject::SetUnshareable",
                                  "ObjectBase/RefCountedObject.cpp", 12);
    EXPECT_EQ(text, "Runtime Error : Orv::LRefCountedObject::SetUnshareable : "
                    "ObjectBase/RefCountedObject.cpp : Line 12");
}

TEST(ExceptionKinds, KindWordsAndHandlers)
{
    auto kindOf = [](auto thrower) -> std::string
    {
        try
        {
            thrower();
        }
        catch (const std::exception& error)
        {
            const std::string text = error.what();
            return text.substr(0, text.find(" : "));
        }
        return "none";
    };
    EXPECT_EQ(kindOf([] { ORV_THROW(std::logic_error); }), "Logic Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::runtime_error); }), "Runtime Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::out_of_range); }), "Out of Range");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::domain_error); }), "Domain Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::invalid_argument); }), "Invalid Argument");
    EXPECT_EQ(kindOf([] { ORV_REQUIRE_SUCCESS(E_FAIL); }), "Failed Result");
}

TEST(ExceptionKinds, OutOfRangeIsCaughtAsLogicErrorAndAsFrameworkException)
{
    try
    {
        ORV_THROW(std::out_of_range, "index");
    }
    catch (const std::logic_error& error)
    {
        const auto* framework = dynamic_cast<const ExceptionBase*>(&error);
        ASSERT_NE(framework, nullptr);
        EXPECT_STREQ(framework->What(), error.what());
    }
    EXPECT_THROW(ORV_THROW(std::out_of_range), ExceptionBase);
    EXPECT_THROW(ORV_THROW(std::domain_error), std::logic_error);
    EXPECT_THROW(ORV_THROW(std::invalid_argument), Exception<std::invalid_argument>);
}

TEST(FailedResult, TextAndHandlers)
{
    EXPECT_EQ(ORV_REQUIRE_SUCCESS(S_FALSE), S_FALSE);
    const int line = __LINE__ + 3;
    try
    {
        ORV_REQUIRE_SUCCESS(E_ABORT);
        FAIL() << "no exception";
    }
    catch (const std::exception& error)
    {
        EXPECT_EQ(
            std::string(error.what()),
            "Failed Result : ORVRESULT = 80004004 : FailedResult_TextAndHandlers_Test::TestBody : "
            "orvframework/ObjectBase/tests/ExceptionTest.cpp : Line " +
                std::to_string(line));
        EXPECT_NE(dynamic_cast<const Orv::FailedResultException*>(&error), nullptr);
        EXPECT_NE(dynamic_cast<const ExceptionBase*>(&error), nullptr);
    }
}

TEST(BadAlloc, KeepsTheStandardText)
{
    try
    {
        throw Exception<std::bad_alloc>("ignored");
    }
    catch (const std::bad_alloc& error)
    {
        EXPECT_STREQ(error.what(), std::bad_alloc().what());
        EXPECT_STREQ(dynamic_cast<const ExceptionBase&>(error).What(), error.what());
    }
}
