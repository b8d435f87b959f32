// Global memory objects and streams over them: the memory that resources are copied into before
// an image is decoded from it. GlobalAlloc hands out a handle; GlobalLock gives its address.
#pragma once

#include "platform/Types.h"

struct HGLOBAL__;
using HGLOBAL = HGLOBAL__*;

constexpr UINT GMEM_FIXED = 0x0000;
constexpr UINT GMEM_MOVEABLE = 0x0002;
constexpr UINT GMEM_ZEROINIT = 0x0040;
constexpr UINT GHND = GMEM_MOVEABLE | GMEM_ZEROINIT;
constexpr UINT GPTR = GMEM_FIXED | GMEM_ZEROINIT;

constexpr DWORD ERROR_NOT_LOCKED = 158;

constexpr HRESULT STG_E_INVALIDPOINTER = static_cast<HRESULT>(0x80030009u);
constexpr HRESULT STG_E_MEDIUMFULL = static_cast<HRESULT>(0x80030070u);

// Null on failure (GetLastError tells why). Zero bytes is allowed.
HGLOBAL GlobalAlloc(UINT flags, SIZE_T bytes);
// The memory's address; each call adds one lock. Null for a bad handle.
LPVOID GlobalLock(HGLOBAL memory);
// Removes one lock: TRUE while locks remain, FALSE when none remain (GetLastError 0) or on error.
BOOL GlobalUnlock(HGLOBAL memory);
// Null on success, the handle on failure.
HGLOBAL GlobalFree(HGLOBAL memory);
// Size in bytes, 0 for a bad handle.
SIZE_T GlobalSize(HGLOBAL memory);

// A sequential byte stream (the part of the stream interface this program uses). Reference
// counted: the stream is freed by its last Release.
struct IStream
{
    virtual ULONG AddRef() = 0;
    virtual ULONG Release() = 0;
    // Reads up to `count` bytes from the current position; fewer at the end (S_OK all the same,
    // S_FALSE is not used). `read` (optional) receives the number read.
    virtual HRESULT Read(void* buffer, ULONG count, ULONG* read) = 0;
    // Writes at the current position, growing the memory as needed.
    virtual HRESULT Write(const void* buffer, ULONG count, ULONG* written) = 0;

protected:
    ~IStream() = default;
};

// A stream over global memory, positioned at its start. With deleteOnRelease the memory is freed
// with the stream; with a null handle new memory is made, which the stream always frees.
HRESULT CreateStreamOnHGlobal(HGLOBAL memory, BOOL deleteOnRelease, IStream** stream);
