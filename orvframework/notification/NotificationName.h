// Notification names. Every notification is named by a wide text that begins "NID_"; the name
// is interned once, and its identity is the address of the one text that the process-wide
// name table holds for it. Identities are compared by pointer, never by text.
#pragma once

#include "Utilities/Storage/StringArrayT.h"
#include "Utilities/Threading/Mutex.h"

namespace Orv
{
// Names longer than this are cut to it.
constexpr unsigned int kMaxNameLength = 0x7ffffffe;

// The one text for name: equal texts (compared case-sensitively) give the same pointer for the
// life of the process, and an interned pointer gives itself back without reading its text.
// Null or empty gives null. A name seen before is found without taking any lock.
const wchar_t* InternNotificationName(const wchar_t* name);

// The table of every name interned so far, in the order of first use. Names enter it only
// through InternNotificationName and are never removed. Read it only while holding the
// notification lock.
WStringArray& GetNotificationNameTable();

// The process-wide notification lock: it guards the name table (lookups of names already in it
// do not take it). It may be taken recursively.
Mutex& GetNotificationLock();
} // namespace Orv
