// Kernel services: the calling thread's last error code, events and waits, critical sections,
// threads, Sleep and the millisecond clocks.
//
// Handles are values of a per-process table: a handle stays valid until CloseHandle, and a
// closed handle is never handed out again, so a stale handle fails with ERROR_INVALID_HANDLE
// instead of reaching another object. An object lives while a handle to it is open, a wait on
// it runs or (for a thread) its thread runs.
#pragma once

#include "platform/Types.h"

#include <pthread.h>

// The calling thread's last error code (per thread, 0 until set).
DWORD GetLastError();
void SetLastError(DWORD code);

// --- Error texts ------------------------------------------------------------------------------

struct HLOCAL__;
using HLOCAL = HLOCAL__*;

constexpr DWORD FORMAT_MESSAGE_ALLOCATE_BUFFER = 0x00000100;
constexpr DWORD FORMAT_MESSAGE_IGNORE_INSERTS = 0x00000200;
constexpr DWORD FORMAT_MESSAGE_FROM_STRING = 0x00000400;
constexpr DWORD FORMAT_MESSAGE_FROM_HMODULE = 0x00000800;
constexpr DWORD FORMAT_MESSAGE_FROM_SYSTEM = 0x00001000;

constexpr WORD LANG_NEUTRAL = 0x00;
constexpr WORD LANG_ENGLISH = 0x09;
constexpr WORD SUBLANG_NEUTRAL = 0x00;
constexpr WORD SUBLANG_DEFAULT = 0x01;
constexpr WORD SUBLANG_SYS_DEFAULT = 0x02;
constexpr DWORD MAKELANGID(WORD primary, WORD sub)
{
    return static_cast<DWORD>(sub) << 10 | primary;
}

// The text of a system error code (FORMAT_MESSAGE_FROM_SYSTEM; the only source here), in English
// whatever language is asked for among the neutral, default and English ones; it ends with
// "\r\n" and holds no inserts. With FORMAT_MESSAGE_ALLOCATE_BUFFER, buffer is taken as an
// LPWSTR* that receives text allocated for LocalFree (size is then the least number of characters
// to allocate); otherwise the text and its terminator are written to buffer, which holds size
// characters. Returns the number of characters written without the terminator; 0 on failure:
// ERROR_MR_MID_NOT_FOUND for a code without a text here (the system error codes of Types.h,
// GlobalMemory.h, Resources.h and SetupApi.h have one), ERROR_RESOURCE_LANG_NOT_FOUND for
// another language,
// ERROR_INSUFFICIENT_BUFFER, ERROR_NOT_SUPPORTED for other sources, ERROR_INVALID_PARAMETER.
// arguments is not read.
DWORD FormatMessageW(DWORD flags, LPCVOID source, DWORD messageId, DWORD languageId, LPWSTR buffer,
                     DWORD size, void* arguments);
// Frees memory FormatMessageW allocated: null on success (also for null); the handle back with
// ERROR_INVALID_HANDLE when it is not such memory.
HLOCAL LocalFree(HLOCAL memory);

// --- Objects and waits ---------------------------------------------------------------------

struct SECURITY_ATTRIBUTES
{
    DWORD nLength;
    LPVOID lpSecurityDescriptor;
    BOOL bInheritHandle;
};
using LPSECURITY_ATTRIBUTES = SECURITY_ATTRIBUTES*;

constexpr DWORD INFINITE = 0xFFFFFFFFu;
constexpr DWORD WAIT_OBJECT_0 = 0;
constexpr DWORD WAIT_TIMEOUT = 258;
constexpr DWORD WAIT_FAILED = 0xFFFFFFFFu;
// The most handles one WaitForMultipleObjects call takes.
constexpr DWORD MAXIMUM_WAIT_OBJECTS = 64;

// Closes a handle. The object itself ends when nothing else uses it: closing a thread's handle
// does not stop the thread. FALSE with ERROR_INVALID_HANDLE for an unknown or closed handle.
BOOL CloseHandle(HANDLE handle);

// Waits until the object is signalled or ms milliseconds have passed (INFINITE: no limit).
// WAIT_OBJECT_0 when signalled (an auto-reset event is reset by the wait that it releases),
// WAIT_TIMEOUT, or WAIT_FAILED with the error code (ERROR_INVALID_HANDLE).
DWORD WaitForSingleObject(HANDLE handle, DWORD ms);

// waitAll FALSE: waits until any of the objects is signalled and returns WAIT_OBJECT_0 + the
// lowest index among the signalled ones; only that object is consumed. waitAll TRUE: waits until
// all are signalled at once, consumes all of them and returns WAIT_OBJECT_0. WAIT_TIMEOUT after
// ms milliseconds. WAIT_FAILED with ERROR_INVALID_PARAMETER for a count of 0 or above
// MAXIMUM_WAIT_OBJECTS, or a handle given twice with waitAll; with ERROR_INVALID_HANDLE for a
// handle that is not open.
DWORD WaitForMultipleObjects(DWORD count, const HANDLE* handles, BOOL waitAll, DWORD ms);

// --- Events ----------------------------------------------------------------------------------

// A new event: manualReset TRUE stays signalled until ResetEvent, FALSE (auto-reset) is reset
// by the one wait it releases. The security attributes are accepted and ignored. Named events
// (shared between processes) are not offered: a name gives NULL with ERROR_NOT_SUPPORTED.
HANDLE CreateEventW(LPSECURITY_ATTRIBUTES attributes, BOOL manualReset, BOOL initialState,
                    LPCWSTR name);
// Signal and unsignal. FALSE with ERROR_INVALID_HANDLE when the handle is no open event.
BOOL SetEvent(HANDLE event);
BOOL ResetEvent(HANDLE event);

// --- Critical sections -----------------------------------------------------------------------

// A lock for the threads of one process. The owning thread may enter it again; it is free when
// each Enter has been matched by a Leave.
struct CRITICAL_SECTION
{
    pthread_mutex_t mutex;
};
using LPCRITICAL_SECTION = CRITICAL_SECTION*;

void InitializeCriticalSection(LPCRITICAL_SECTION section);
void DeleteCriticalSection(LPCRITICAL_SECTION section);
void EnterCriticalSection(LPCRITICAL_SECTION section);
void LeaveCriticalSection(LPCRITICAL_SECTION section);

// --- Threads ---------------------------------------------------------------------------------

using LPTHREAD_START_ROUTINE = DWORD(WINAPI*)(LPVOID);

constexpr DWORD CREATE_SUSPENDED = 0x00000004u;
// The exit code of a thread that has not ended.
constexpr DWORD STILL_ACTIVE = 259;

constexpr int THREAD_PRIORITY_IDLE = -15;
constexpr int THREAD_PRIORITY_LOWEST = -2;
constexpr int THREAD_PRIORITY_BELOW_NORMAL = -1;
constexpr int THREAD_PRIORITY_NORMAL = 0;
constexpr int THREAD_PRIORITY_ABOVE_NORMAL = 1;
constexpr int THREAD_PRIORITY_HIGHEST = 2;
constexpr int THREAD_PRIORITY_TIME_CRITICAL = 15;

// Starts a thread that runs start(parameter); its return value becomes the exit code. With
// CREATE_SUSPENDED the thread waits until ResumeThread. stackSize 0 takes the default size. The
// thread's id is stored through threadId when that is not null. The handle is signalled when the
// thread has ended. NULL with ERROR_NOT_ENOUGH_MEMORY when no thread can be made, with
// ERROR_INVALID_PARAMETER for a null start routine or other flags than CREATE_SUSPENDED.
HANDLE CreateThread(LPSECURITY_ATTRIBUTES attributes, SIZE_T stackSize,
                    LPTHREAD_START_ROUTINE start, LPVOID parameter, DWORD flags, LPDWORD threadId);
// The calling thread's id: the one CreateThread reported for its threads; other threads (the
// process's first thread, threads started by other means) get an id of their own on first use.
// Ids are never 0 and never repeat within the process.
DWORD GetCurrentThreadId();
// Decrements the thread's suspend count and lets it run when that reaches 0. Returns the count
// before the call (0: the thread was not suspended; nothing changes), or (DWORD)-1 with
// ERROR_INVALID_HANDLE.
DWORD ResumeThread(HANDLE thread);
// STILL_ACTIVE while the thread has not ended, else its exit code. FALSE with
// ERROR_INVALID_HANDLE when the handle is no open thread.
BOOL GetExitCodeThread(HANDLE thread, LPDWORD exitCode);
// The THREAD_PRIORITY_* values (FALSE with ERROR_INVALID_PARAMETER for others). The system is
// asked for the matching scheduling weight where it allows it; where it refuses (an
// unprivileged process may not raise a thread's weight, nor take it back up after lowering
// it), the thread runs on at its present weight and the call still succeeds.
BOOL SetThreadPriority(HANDLE thread, int priority);
// Records whether the system may raise the thread's priority for a while; this system has no
// such temporary raise, so the setting has no further effect.
BOOL SetThreadPriorityBoost(HANDLE thread, BOOL disablePriorityBoost);

// Suspends the calling thread for at least ms milliseconds; 0 gives up the rest of its time
// slice, INFINITE never returns.
void Sleep(DWORD ms);

// --- Time ------------------------------------------------------------------------------------

// Milliseconds of the monotonic system clock, wrapping at 32 bits (every 49.7 days).
DWORD GetTickCount();
DWORD timeGetTime();

// A calendar date and time; day of week 0 is Sunday.
struct SYSTEMTIME
{
    WORD wYear;
    WORD wMonth;
    WORD wDayOfWeek;
    WORD wDay;
    WORD wHour;
    WORD wMinute;
    WORD wSecond;
    WORD wMilliseconds;
};
using LPSYSTEMTIME = SYSTEMTIME*;

// The current date and time in the local time zone.
void GetLocalTime(LPSYSTEMTIME time);
