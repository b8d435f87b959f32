// The code shown with a start-up failure: the result a "Failed Result" exception carries
// ("ORVRESULT = " and hexadecimal digits), else kStartupErrorCode.
#pragma once

#include <exception>

namespace Orv
{
constexpr int kStartupErrorCode = 900;

int StartupErrorCode(const std::exception& error);
} // namespace Orv
