// Environment variables set for one test and restored after it.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace OrvTest
{
// Sets or removes environment variables for its life; on destruction each variable it touched
// gets back the value it had before the first change (or is removed again).
class ScopedEnvironment
{
public:
    ScopedEnvironment() = default;
    ScopedEnvironment(const ScopedEnvironment&) = delete;
    ScopedEnvironment& operator=(const ScopedEnvironment&) = delete;
    ~ScopedEnvironment();

    // value nullptr removes the variable.
    void Set(const std::string& name, const char* value);
    void Set(const std::string& name, const std::string& value) { Set(name, value.c_str()); }

private:
    struct Saved
    {
        std::string name;
        std::optional<std::string> value;
    };
    std::vector<Saved> mSaved;
};
} // namespace OrvTest
