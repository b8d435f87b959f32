#include "KernelObjects.h"

using namespace OrvPlatform::Kernel;
using OrvPlatform::HandleObject;

namespace
{
// The event of an open handle, or null (the kernel lock is held).
std::shared_ptr<Object> FindEvent(HANDLE handle)
{
    std::shared_ptr<Object> object = FindObject(handle);
    if (object && object->GetKind() != HandleObject::Kind::Event)
    {
        return nullptr;
    }
    return object;
}
} // namespace

HANDLE CreateEventW(LPSECURITY_ATTRIBUTES, BOOL manualReset, BOOL initialState, LPCWSTR name)
{
    if (name != nullptr)
    {
        SetLastError(ERROR_NOT_SUPPORTED);
        return nullptr;
    }
    try
    {
        auto event = std::make_shared<Object>(HandleObject::Kind::Event, manualReset != FALSE,
                                              initialState != FALSE);
        return InsertObject(std::move(event));
    }
    catch (const std::bad_alloc&)
    {
        SetLastError(ERROR_NOT_ENOUGH_MEMORY);
        return nullptr;
    }
}

BOOL SetEvent(HANDLE event)
{
    KernelLock lock;
    std::shared_ptr<Object> object = FindEvent(event);
    if (!object)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Signal();
    return TRUE;
}

BOOL ResetEvent(HANDLE event)
{
    KernelLock lock;
    std::shared_ptr<Object> object = FindEvent(event);
    if (!object)
    {
        SetLastError(ERROR_INVALID_HANDLE);
        return FALSE;
    }
    object->Unsignal();
    return TRUE;
}
