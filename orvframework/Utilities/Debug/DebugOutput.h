// The framework's diagnostics: one narrow and one wide output stream. Their messages go to the
// debugger output (standard error here), or as UDP datagrams to a log listener, or, after
// OpenDebugConsole, straight to standard error.
//
// Every write goes through a Writer, which holds the object's lock for as long as it lives, so
// that a message written in one statement, such as
//     Orv::GetDebugOutput().Narrow() << "state " << state << std::endl;
// never mixes with text from other threads. A flush (std::endl, std::flush) ends a message.
#pragma once

#include "Utilities/Debug/DebugStreams.h"
#include "Utilities/Threading/Mutex.h"
#include "platform/Types.h"

#include <memory>
#include <ostream>
#include <string>

namespace Orv
{
class DebugOutput
{
public:
    // Locked access to the active stream of one character type.
    template <class C>
    class Writer
    {
    public:
        using Stream = std::basic_ostream<C>;

        explicit Writer(DebugOutput& output)
            : mOutput(output)
        {
            mOutput.mLock.Enter();
            mStream = output.GetActiveStream(static_cast<C*>(nullptr));
        }
        ~Writer() { mOutput.mLock.Leave(); }
        Writer(const Writer&) = delete;
        Writer& operator=(const Writer&) = delete;

        Stream& GetStream() const { return *mStream; }

        template <class T>
        Writer& operator<<(const T& value)
        {
            *mStream << value;
            return *this;
        }
        Writer& operator<<(Stream& (*manipulator)(Stream&))
        {
            manipulator(*mStream);
            return *this;
        }
        Writer& operator<<(std::ios_base& (*manipulator)(std::ios_base&))
        {
            manipulator(*mStream);
            return *this;
        }

    private:
        DebugOutput& mOutput;
        Stream* mStream = nullptr;
    };

    // Messages go to the debugger output until SetUdpTarget or OpenDebugConsole say otherwise.
    DebugOutput();
    // Hands on what is still waiting in the streams, then closes the UDP socket.
    ~DebugOutput();
    DebugOutput(const DebugOutput&) = delete;
    DebugOutput& operator=(const DebugOutput&) = delete;

    Writer<char> Narrow() { return Writer<char>(*this); }
    Writer<wchar_t> Wide() { return Writer<wchar_t>(*this); }

    // Keeps the host when it is not null and stores the port: from 1 on, messages go out as UDP
    // datagrams to the host (to this computer when there is none, or when it cannot be found);
    // below 1 they go to the debugger output again. A port above 65535 names no port: the UDP
    // log then sends nothing.
    void SetUdpTarget(const char* host, int port);
    // The first call sets the UDP log up: it finds the address, makes the socket and sends the
    // three opening datagrams "*** APPLICATION Launched on ", the address text and "***\n".
    // The set-up is tried once; when it fails, no datagram is ever sent. Then the text, when not
    // empty, goes out as one datagram (without its terminator); a failed send loses it.
    void SendUdp(const char* host, int port, const char* text);

private:
    class ConsoleWideStream;
    friend void OpenDebugConsole(DebugOutput& output);

    std::ostream* GetActiveStream(char*) const { return mActiveNarrow; }
    std::wostream* GetActiveStream(wchar_t*) const { return mActiveWide; }
    const char* Host() const { return mHost.empty() ? nullptr : mHost.c_str(); }
    void ReceiveNarrow(const char* text);
    void ReceiveWide(const wchar_t* text);
    void SetUpUdp(const char* host, int port);
    void CloseUdp();

    Mutex mLock;
    basic_dostream<char> mNarrow;
    basic_dostream<wchar_t> mWide;
    std::ostream* mActiveNarrow;
    std::wostream* mActiveWide;
    std::string mHost;
    int mPort = -1;
    std::unique_ptr<ConsoleWideStream> mConsoleWide;

    // The UDP log: set up once, closed with this object.
    bool mUdpSetUpDone = false;
    bool mSocketsStarted = false;
    UINT_PTR mSocket;
    ULONG mDestinationAddress = 0;
    USHORT mDestinationPort = 0;
};

// Points the active streams of the output at standard error: narrow text as it is, wide text
// in UTF-8, each piece written at once. (No console window is made: standard error is where a
// person who runs the program from a terminal sees it.)
void OpenDebugConsole(DebugOutput& output);
// The same for the program's debug output (GetDebugOutput, Utilities/Globals.h).
void OpenDebugConsole();
} // namespace Orv
