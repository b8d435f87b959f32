// A program without a version block: its version record cannot be read, which is the start-up
// failure 900.
#include "StartupErrorCode.h"
#include "Version.h"

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

TEST(VersionMissing, AProgramWithoutAVersionBlockFailsWithCode900)
{
    for (int attempt = 0; attempt < 2; ++attempt)
    {
        try
        {
            Orv::Version::GetProductName();
            ADD_FAILURE() << "a record was read without a version block";
        }
        catch (const std::runtime_error& error)
        {
            const std::string text = error.what();
            EXPECT_EQ(text.rfind("Runtime Error : The application encountered problems during "
                                 "startup and will now close.  (Error code = 900) : "
                                 "Orv::Version::Version : ",
                                 0),
                      0u)
                << text;
            EXPECT_EQ(Orv::StartupErrorCode(error), Orv::kStartupErrorCode);
        }
    }
}
