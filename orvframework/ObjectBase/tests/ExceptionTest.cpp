#include "ObjectBase/Exception.h"

#include <gtest/gtest.h>

#include <string>

using Orv::Exception;
using Orv::ExceptionBase;

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
        ORV_THROW(std::runtime_error, function, "Null Pointer", detail);
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
    EXPECT_EQ(kindOf([] { ORV_THROW(std::logic_error, "F"); }), "Logic Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::runtime_error, "F"); }), "Runtime Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::out_of_range, "F"); }), "Out of Range");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::domain_error, "F"); }), "Domain Error");
    EXPECT_EQ(kindOf([] { ORV_THROW(std::invalid_argument, "F"); }), "Invalid Argument");
    EXPECT_EQ(kindOf([] { ORV_REQUIRE_SUCCESS(E_FAIL, "F"); }), "Failed Result");
}

TEST(ExceptionKinds, OutOfRangeIsCaughtAsLogicErrorAndAsFrameworkException)
{
    try
    {
        ORV_THROW(std::out_of_range, "Orv::Array::RemoveItem", "index");
    }
    catch (const std::logic_error& error)
    {
        const auto* framework = dynamic_cast<const ExceptionBase*>(&error);
        ASSERT_NE(framework, nullptr);
        EXPECT_STREQ(framework->What(), error.what());
    }
    EXPECT_THROW(ORV_THROW(std::out_of_range, "F"), ExceptionBase);
    EXPECT_THROW(ORV_THROW(std::domain_error, "F"), std::logic_error);
    EXPECT_THROW(ORV_THROW(std::invalid_argument, "F"), Exception<std::invalid_argument>);
}

TEST(FailedResult, TextAndHandlers)
{
    EXPECT_EQ(ORV_REQUIRE_SUCCESS(S_FALSE, "F"), S_FALSE);
    const int line = __LINE__ + 3;
    try
    {
        ORV_REQUIRE_SUCCESS(E_ABORT, "LUpdateProcessor::Initialize");
        FAIL() << "no exception";
    }
    catch (const std::exception& error)
    {
        EXPECT_EQ(std::string(error.what()),
                  "Failed Result : ORVRESULT = 80004004 : LUpdateProcessor::Initialize : "
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
