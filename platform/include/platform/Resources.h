// Resources of the program: files embedded into the executable at build time (orv_embed_resources
// in platform/resources/EmbedResources.cmake), found by type and name. Names and types are
// strings compared without regard to letter case, or integer ids made with MAKEINTRESOURCEW.
#pragma once

#include "platform/GlobalMemory.h"
#include "platform/IntResource.h"
#include "platform/Types.h"

struct HINSTANCE__;
using HINSTANCE = HINSTANCE__*;
using HMODULE = HINSTANCE;
struct HRSRC__;
using HRSRC = HRSRC__*;

constexpr DWORD ERROR_MOD_NOT_FOUND = 126;
constexpr DWORD ERROR_RESOURCE_DATA_NOT_FOUND = 1812;
constexpr DWORD ERROR_RESOURCE_TYPE_NOT_FOUND = 1813;

// Resource types of the window services (LoadCursorW, LoadIconW in platform/User32.h).
inline LPCWSTR const RT_CURSOR = MAKEINTRESOURCEW(1);
inline LPCWSTR const RT_ICON = MAKEINTRESOURCEW(3);

// The handle of the program's own module for a null name; null with ERROR_MOD_NOT_FOUND for any
// other name (this platform loads no other modules).
HMODULE GetModuleHandleW(LPCWSTR moduleName);

// Finds a resource of the module (null: the program). A string of the form "#123" names the
// integer id 123. Null with ERROR_RESOURCE_TYPE_NOT_FOUND or ERROR_RESOURCE_NAME_NOT_FOUND when
// absent, ERROR_INVALID_HANDLE for an unknown module, ERROR_INVALID_PARAMETER for null arguments.
HRSRC FindResourceW(HMODULE module, LPCWSTR name, LPCWSTR type);
// The resource's data handle; the data stays valid for the life of the program.
HGLOBAL LoadResource(HMODULE module, HRSRC resource);
// The address of the data (followed by one zero byte not counted in its size).
LPVOID LockResource(HGLOBAL resourceData);
// The size in bytes, 0 on failure.
DWORD SizeofResource(HMODULE module, HRSRC resource);
// Has nothing to free: resources live as long as the program. Returns FALSE.
BOOL FreeResource(HGLOBAL resourceData);

// The table that orv_embed_resources generates into each program that embeds files; programs
// without one see an empty table.
struct OrvEmbeddedResource
{
    const wchar_t* type; // upper case, or null when typeId is used
    WORD typeId;
    const wchar_t* name; // upper case, or null when nameId is used
    WORD nameId;
    const unsigned char* data; // followed by a zero byte
    DWORD size;
};
struct OrvEmbeddedResourceTable
{
    const OrvEmbeddedResource* entries;
    size_t count;
};
extern "C" const OrvEmbeddedResourceTable* OrvGetEmbeddedResources();
