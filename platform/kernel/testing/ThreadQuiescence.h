// A probe for tests that expect that nothing happens: rather than sleep for a while and hope the
// other threads had their turn, the test waits until every other thread of the process sleeps
// in the kernel (blocked on a lock, an event or a descriptor) and has stayed asleep between two
// looks. From then on nothing runs until something wakes a thread, so what has not happened by
// then will not happen by itself, however loaded the machine is.
//
// Threads that sleep for a time (timed waits, sleeps) also count as asleep: a test that uses
// the probe runs no such thread, or drives its time by hand.
#pragma once

#include <chrono>

namespace OrvTest
{
// Waits until every other thread of the process has been asleep in two looks in a row without
// running in between; false when that did not happen within the limit (a thread kept running).
bool WaitUntilOtherThreadsSleep(std::chrono::milliseconds limit = std::chrono::seconds(10));
} // namespace OrvTest
