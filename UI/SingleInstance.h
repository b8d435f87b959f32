// Keeps the program to one instance per user, and lets a later start hand its command line to
// the running one.
//
// The lock is a lock file held with flock for the life of this object; the kernel drops it when
// the process ends, however it ends, so a lock left by a process that is gone never blocks a
// start. Beside it, the first instance listens on a Unix-domain socket; a later start connects,
// sends its command line (HandOverMessage) and reads the answer (taken, or not taken because the
// first instance is busy), retrying while the first instance is not listening yet, for at most
// the hand-over time-out.
//
// Both files live in a folder of the user's own: $XDG_RUNTIME_DIR, else "orv-<uid>" in the
// temporary folder (made with mode 0700, and refused when it is not a folder of this user's).
#pragma once

#include "Utilities/Storage/StringT.h"
#include "Utilities/Threading/Clock.h"

#include <functional>
#include <string>
#include <thread>

namespace Orv
{
class SingleInstance
{
public:
    struct Timings
    {
        // How long a later start tries to hand its command line over.
        DWORD handOverTimeout = 5000;
        // The pause between two attempts to reach the first instance.
        DWORD retryInterval = 100;
        // How long either side waits for the other's bytes once connected (real time).
        DWORD transferTimeout = 2000;
    };

    enum AcquireResult
    {
        // This process holds the lock: it is the first instance.
        kFirst,
        // Another running process holds it.
        kOther,
        // The lock could not be taken or tested (the reason is on the debug output).
        kFailed,
    };

    enum HandOverResult
    {
        // The first instance took the command line.
        kTaken,
        // It is busy (writing an update, or running without a window) and did not take it.
        kBusy,
        // It refused the message.
        kRefused,
        // It was not reached, or did not answer, within the time-outs.
        kNotReached,
    };

    // Whether the first instance takes a command line handed over (true) or is busy (false).
    using Receiver = std::function<bool(const WString&)>;

    // The folder described above; empty when there is none that is safe to use.
    static std::string DefaultFolder();

    // The lock file "<name>.lock" and the socket "<name>.sock" in folder; characters of name
    // other than letters, digits, '.', '-' and '_' become '_'.
    // Waits by the clock (the system's when null).
    SingleInstance(const std::string& folder, const std::string& name, const Timings& timings,
                   const RCPtr<LClock>& clock);
    // Stops listening (removing the socket) and releases the lock.
    ~SingleInstance();
    SingleInstance(const SingleInstance&) = delete;
    SingleInstance& operator=(const SingleInstance&) = delete;

    AcquireResult Acquire();
    // The first instance: listens on the socket (a socket file left from an earlier run is
    // replaced) and calls receiver on a thread of its own with each well-formed command line
    // handed over; its answer goes back to the later start. Without a receiver every command
    // line is answered as taken. false when the socket cannot be made or this object holds no
    // lock.
    bool StartListening(Receiver receiver);
    // A later start: hands text over and tells what the first instance answered.
    HandOverResult HandOver(const WString& text);

    const std::string& GetLockPath() const { return mLockPath; }
    const std::string& GetSocketPath() const { return mSocketPath; }

private:
    void Listen();
    void Serve(int connection);
    void StopListening();

    std::string mLockPath;
    std::string mSocketPath;
    Timings mTimings;
    RCPtr<LClock> mClock;
    int mLockFile = -1;
    bool mHoldsLock = false;
    int mListener = -1;
    // Written to wake the listening thread for its end.
    int mWake[2] = {-1, -1};
    Receiver mReceiver;
    std::thread mThread;
};
} // namespace Orv
