// Resources and atoms named by an integer id in place of a name, shared by the resource and the
// window services.
#pragma once

#include "platform/Types.h"

constexpr DWORD ERROR_RESOURCE_NAME_NOT_FOUND = 1814;

// The id in the low 16 bits of the pointer.
inline LPWSTR MAKEINTRESOURCEW(WORD id)
{
    return reinterpret_cast<LPWSTR>(static_cast<ULONG_PTR>(id));
}
inline bool IS_INTRESOURCE(LPCWSTR value)
{
    return (reinterpret_cast<ULONG_PTR>(value) >> 16) == 0;
}
