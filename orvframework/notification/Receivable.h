// The key of a notification handler's map: the sending distributor and the notification's
// identity, ordered by source first, then identity, both as unsigned integers.
#pragma once

#include <cstdint>

namespace Orv
{
class LNotificationDistributor;

class Receivable
{
public:
    Receivable(const LNotificationDistributor* source, const wchar_t* identity)
        : source(source)
        , identity(identity)
    {
    }
    virtual ~Receivable() = default;
    Receivable(const Receivable&) = default;
    Receivable& operator=(const Receivable&) = default;

    bool operator<(const Receivable& other) const
    {
        const auto a = reinterpret_cast<std::uintptr_t>(source);
        const auto b = reinterpret_cast<std::uintptr_t>(other.source);
        if (a != b)
        {
            return a < b;
        }
        return reinterpret_cast<std::uintptr_t>(identity) <
               reinterpret_cast<std::uintptr_t>(other.identity);
    }
    bool operator==(const Receivable& other) const
    {
        return source == other.source && identity == other.identity;
    }

    // Null for notifications handed over without a source.
    const LNotificationDistributor* source;
    // An interned notification name.
    const wchar_t* identity;
};
} // namespace Orv
