#include "ScopedEnvironment.h"

#include <algorithm>
#include <cstdlib>

namespace OrvTest
{
ScopedEnvironment::~ScopedEnvironment()
{
    for (auto it = mSaved.rbegin(); it != mSaved.rend(); ++it)
    {
        if (it->value)
        {
            setenv(it->name.c_str(), it->value->c_str(), 1);
        }
        else
        {
            unsetenv(it->name.c_str());
        }
    }
}

void ScopedEnvironment::Set(const std::string& name, const char* value)
{
    const bool saved = std::any_of(mSaved.begin(), mSaved.end(),
                                   [&](const Saved& entry) { return entry.name == name; });
    if (!saved)
    {
        const char* old = std::getenv(name.c_str());
        mSaved.push_back({name, old != nullptr ? std::optional<std::string>(old) : std::nullopt});
    }
    if (value != nullptr)
    {
        setenv(name.c_str(), value, 1);
    }
    else
    {
        unsetenv(name.c_str());
    }
}
} // namespace OrvTest
