// The MIDI back-end over the ALSA sequencer.
//
// Ports: every port of another client (not the system client) that others may write to is an
// output device, every port they may read from an input device, in (client, port) order. The
// first such port of a client is named by the client's name (for a USB device, its product
// name); further ones as "MIDIOUT2 (name)", "MIDIIN2 (name)" and so on. The layer opens two
// sequencer clients of its own, one to send and one to receive, each used under its own lock;
// a reader thread runs while any input is open. Without a sequencer (no /dev/snd/seq) the lists
// are empty.
#include "MidiBackend.h"

#include <alsa/asoundlib.h>
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <map>
#include <mutex>
#include <thread>

namespace OrvPlatform
{
namespace
{
std::wstring FromUtf8(const char* text)
{
    std::wstring result;
    const auto* p = reinterpret_cast<const unsigned char*>(text);
    while (p != nullptr && *p != 0)
    {
        char32_t c = *p;
        int extra = c >= 0xF0 ? 3 : c >= 0xE0 ? 2 : c >= 0xC0 ? 1 : 0;
        if (c >= 0x80 && c < 0xC0)
        {
            extra = -1;
        }
        if (extra > 0)
        {
            c &= (0x3F >> extra);
        }
        ++p;
        for (int i = 0; i < extra && extra > 0; ++i, ++p)
        {
            if ((*p & 0xC0) != 0x80)
            {
                extra = -1;
                break;
            }
            c = (c << 6) | (*p & 0x3F);
        }
        result.push_back(extra < 0 ? L'\uFFFD' : static_cast<wchar_t>(c));
    }
    return result;
}

struct AlsaPort
{
    int client = 0;
    int port = 0;
    std::wstring name;
};

class Sequencer
{
public:
    static Sequencer& Get()
    {
        static auto* sequencer = new Sequencer; // used by threads until exit
        return *sequencer;
    }

    std::vector<AlsaPort> List(bool output)
    {
        std::lock_guard lock(mOutputMutex);
        std::vector<AlsaPort> ports;
        if (!OpenLocked())
        {
            return ports;
        }
        const unsigned needed = output ? (SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE)
                                       : (SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ);
        snd_seq_client_info_t* client = nullptr;
        snd_seq_port_info_t* port = nullptr;
        snd_seq_client_info_alloca(&client);
        snd_seq_port_info_alloca(&port);
        snd_seq_client_info_set_client(client, -1);
        while (snd_seq_query_next_client(mOutput, client) >= 0)
        {
            const int id = snd_seq_client_info_get_client(client);
            if (id == SND_SEQ_CLIENT_SYSTEM || id == mOutputClient || id == mInputClient)
            {
                continue;
            }
            const std::wstring clientName = FromUtf8(snd_seq_client_info_get_name(client));
            unsigned count = 0;
            snd_seq_port_info_set_client(port, id);
            snd_seq_port_info_set_port(port, -1);
            while (snd_seq_query_next_port(mOutput, port) >= 0)
            {
                const unsigned caps = snd_seq_port_info_get_capability(port);
                if ((caps & needed) != needed || (caps & SND_SEQ_PORT_CAP_NO_EXPORT) != 0)
                {
                    continue;
                }
                ++count;
                std::wstring name = clientName;
                if (count > 1)
                {
                    name = (output ? L"MIDIOUT" : L"MIDIIN") + std::to_wstring(count) + L" (" +
                           clientName + L")";
                }
                ports.push_back({id, snd_seq_port_info_get_port(port), name});
            }
        }
        return ports;
    }

    // Output side (under the output lock).
    int CreateOutputPort(const AlsaPort& target)
    {
        std::lock_guard lock(mOutputMutex);
        if (!OpenLocked())
        {
            return -1;
        }
        const int port = snd_seq_create_simple_port(
            mOutput, "out", SND_SEQ_PORT_CAP_READ | SND_SEQ_PORT_CAP_SUBS_READ,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0)
        {
            return -1;
        }
        if (snd_seq_connect_to(mOutput, port, target.client, target.port) < 0)
        {
            snd_seq_delete_simple_port(mOutput, port);
            return -1;
        }
        return port;
    }
    void DeleteOutputPort(int port)
    {
        std::lock_guard lock(mOutputMutex);
        snd_seq_delete_simple_port(mOutput, port);
    }
    bool Send(snd_seq_event_t& event)
    {
        std::lock_guard lock(mOutputMutex);
        return snd_seq_event_output_direct(mOutput, &event) >= 0;
    }
    bool Exists(const AlsaPort& port)
    {
        std::lock_guard lock(mOutputMutex);
        snd_seq_port_info_t* info = nullptr;
        snd_seq_port_info_alloca(&info);
        return mOutput != nullptr &&
               snd_seq_get_any_port_info(mOutput, port.client, port.port, info) >= 0;
    }

    // Input side.
    int OpenInputPort(const AlsaPort& source, std::shared_ptr<MidiInputSink> sink)
    {
        std::lock_guard lock(mInputMutex);
        if (!OpenInputLocked())
        {
            return -1;
        }
        const int port = snd_seq_create_simple_port(
            mInput, "in", SND_SEQ_PORT_CAP_WRITE | SND_SEQ_PORT_CAP_SUBS_WRITE,
            SND_SEQ_PORT_TYPE_MIDI_GENERIC | SND_SEQ_PORT_TYPE_APPLICATION);
        if (port < 0)
        {
            return -1;
        }
        if (snd_seq_connect_from(mInput, port, source.client, source.port) < 0)
        {
            snd_seq_delete_simple_port(mInput, port);
            return -1;
        }
        mSinks[port] = std::move(sink);
        if (!mReader.joinable())
        {
            mReaderQuit = false;
            mReader = std::thread([this] { ReadLoop(); });
        }
        return port;
    }
    void CloseInputPort(int port)
    {
        std::thread reader;
        {
            std::lock_guard lock(mInputMutex);
            snd_seq_delete_simple_port(mInput, port);
            mSinks.erase(port);
            if (mSinks.empty() && mReader.joinable())
            {
                mReaderQuit = true;
                const char wake = 1;
                if (write(mWake[1], &wake, 1) < 0)
                {
                    // the reader also wakes on its poll time-out
                }
                reader = std::move(mReader);
            }
        }
        if (reader.joinable())
        {
            reader.join();
        }
    }

private:
    bool OpenLocked()
    {
        if (!mTried)
        {
            mTried = true;
            if (snd_seq_open(&mOutput, "default", SND_SEQ_OPEN_OUTPUT, 0) < 0)
            {
                mOutput = nullptr;
            }
            else
            {
                snd_seq_set_client_name(mOutput, "Orv Firmware Updater");
                mOutputClient = snd_seq_client_id(mOutput);
            }
        }
        return mOutput != nullptr;
    }
    bool OpenInputLocked()
    {
        if (mInput != nullptr)
        {
            return true;
        }
        if (snd_seq_open(&mInput, "default", SND_SEQ_OPEN_INPUT, SND_SEQ_NONBLOCK) < 0)
        {
            mInput = nullptr;
            return false;
        }
        if (pipe2(mWake, O_CLOEXEC | O_NONBLOCK) < 0 || snd_midi_event_new(256, &mDecoder) < 0)
        {
            snd_seq_close(mInput);
            mInput = nullptr;
            return false;
        }
        snd_midi_event_no_status(mDecoder, 1);
        snd_seq_set_client_name(mInput, "Orv Firmware Updater input");
        mInputClient = snd_seq_client_id(mInput);
        return true;
    }

    void ReadLoop()
    {
        std::vector<pollfd> fds;
        {
            std::lock_guard lock(mInputMutex);
            const int count = snd_seq_poll_descriptors_count(mInput, POLLIN);
            fds.resize(static_cast<std::size_t>(count) + 1);
            snd_seq_poll_descriptors(mInput, fds.data(), static_cast<unsigned>(count), POLLIN);
            fds[count] = {mWake[0], POLLIN, 0};
        }
        for (;;)
        {
            poll(fds.data(), fds.size(), 200);
            char drain[16];
            while (read(mWake[0], drain, sizeof drain) > 0)
            {
            }
            std::vector<std::pair<std::shared_ptr<MidiInputSink>, std::vector<std::uint8_t>>>
                received;
            {
                std::lock_guard lock(mInputMutex);
                if (mReaderQuit)
                {
                    return;
                }
                snd_seq_event_t* event = nullptr;
                while (snd_seq_event_input(mInput, &event) >= 0 && event != nullptr)
                {
                    const auto sink = mSinks.find(event->dest.port);
                    if (sink == mSinks.end())
                    {
                        continue;
                    }
                    std::vector<std::uint8_t> bytes;
                    if (event->type == SND_SEQ_EVENT_SYSEX)
                    {
                        const auto* data = static_cast<const std::uint8_t*>(event->data.ext.ptr);
                        bytes.assign(data, data + event->data.ext.len);
                    }
                    else
                    {
                        std::uint8_t buffer[16];
                        const long n =
                            snd_midi_event_decode(mDecoder, buffer, sizeof buffer, event);
                        if (n > 0)
                        {
                            bytes.assign(buffer, buffer + n);
                        }
                    }
                    if (!bytes.empty())
                    {
                        received.emplace_back(sink->second, std::move(bytes));
                    }
                }
            }
            for (const auto& [sink, bytes] : received)
            {
                sink->OnMidiBytes(bytes.data(), bytes.size());
            }
        }
    }

    std::mutex mOutputMutex;
    bool mTried = false;
    snd_seq_t* mOutput = nullptr;
    int mOutputClient = -1;

    std::mutex mInputMutex;
    snd_seq_t* mInput = nullptr;
    int mInputClient = -1;
    snd_midi_event_t* mDecoder = nullptr;
    std::map<int, std::shared_ptr<MidiInputSink>> mSinks;
    std::thread mReader;
    bool mReaderQuit = false;
    int mWake[2] = {-1, -1};
};

class AlsaOutput : public MidiOutputLink
{
public:
    AlsaOutput(AlsaPort target, int localPort, snd_midi_event_t* encoder)
        : mTarget(std::move(target))
        , mLocalPort(localPort)
        , mEncoder(encoder)
    {
    }
    ~AlsaOutput() override
    {
        Sequencer::Get().DeleteOutputPort(mLocalPort);
        snd_midi_event_free(mEncoder);
    }
    AlsaOutput(const AlsaOutput&) = delete;
    AlsaOutput& operator=(const AlsaOutput&) = delete;

    MMRESULT Send(const std::uint8_t* data, std::size_t length,
                  const std::atomic<bool>* cancelled) override
    {
        constexpr std::size_t kChunk = 256;
        if (length > 0 && (data[0] == 0xF0 || data[0] < 0x80))
        {
            for (std::size_t offset = 0; offset < length; offset += kChunk)
            {
                if (cancelled != nullptr && cancelled->load())
                {
                    return MMSYSERR_ERROR;
                }
                snd_seq_event_t event;
                Prepare(event);
                snd_seq_ev_set_sysex(&event,
                                     static_cast<unsigned>(std::min(kChunk, length - offset)),
                                     const_cast<std::uint8_t*>(data + offset));
                if (!Sequencer::Get().Send(event))
                {
                    return IsPresent() ? MMSYSERR_ERROR : MMSYSERR_NODRIVER;
                }
            }
            return MMSYSERR_NOERROR;
        }
        snd_midi_event_reset_encode(mEncoder);
        for (std::size_t i = 0; i < length; ++i)
        {
            snd_seq_event_t event;
            Prepare(event);
            if (snd_midi_event_encode_byte(mEncoder, data[i], &event) == 1)
            {
                Prepare(event, false);
                if (!Sequencer::Get().Send(event))
                {
                    return IsPresent() ? MMSYSERR_ERROR : MMSYSERR_NODRIVER;
                }
            }
        }
        return MMSYSERR_NOERROR;
    }
    bool IsPresent() override { return Sequencer::Get().Exists(mTarget); }

private:
    void Prepare(snd_seq_event_t& event, bool clear = true)
    {
        if (clear)
        {
            snd_seq_ev_clear(&event);
        }
        snd_seq_ev_set_source(&event, mLocalPort);
        snd_seq_ev_set_subs(&event);
        snd_seq_ev_set_direct(&event);
    }

    AlsaPort mTarget;
    int mLocalPort;
    snd_midi_event_t* mEncoder;
};

class AlsaInput : public MidiInputLink
{
public:
    AlsaInput(AlsaPort source, int localPort)
        : mSource(std::move(source))
        , mLocalPort(localPort)
    {
    }
    ~AlsaInput() override { Sequencer::Get().CloseInputPort(mLocalPort); }
    AlsaInput(const AlsaInput&) = delete;
    AlsaInput& operator=(const AlsaInput&) = delete;
    bool IsPresent() override { return Sequencer::Get().Exists(mSource); }

private:
    AlsaPort mSource;
    int mLocalPort;
};

std::vector<std::wstring> Names(const std::vector<AlsaPort>& ports)
{
    std::vector<std::wstring> names;
    for (const auto& port : ports)
    {
        names.push_back(port.name);
    }
    return names;
}

class AlsaMidiBackend : public MidiBackend
{
public:
    std::vector<std::wstring> OutputNames() override { return Names(Sequencer::Get().List(true)); }
    std::vector<std::wstring> InputNames() override { return Names(Sequencer::Get().List(false)); }
    std::unique_ptr<MidiOutputLink> OpenOutput(UINT id, MMRESULT& error) override
    {
        const auto ports = Sequencer::Get().List(true);
        if (id >= ports.size())
        {
            error = MMSYSERR_BADDEVICEID;
            return nullptr;
        }
        snd_midi_event_t* encoder = nullptr;
        if (snd_midi_event_new(16, &encoder) < 0)
        {
            error = MMSYSERR_NOMEM;
            return nullptr;
        }
        const int local = Sequencer::Get().CreateOutputPort(ports[id]);
        if (local < 0)
        {
            snd_midi_event_free(encoder);
            error = MMSYSERR_ALLOCATED;
            return nullptr;
        }
        error = MMSYSERR_NOERROR;
        return std::make_unique<AlsaOutput>(ports[id], local, encoder);
    }
    std::unique_ptr<MidiInputLink> OpenInput(UINT id, std::shared_ptr<MidiInputSink> sink,
                                             MMRESULT& error) override
    {
        const auto ports = Sequencer::Get().List(false);
        if (id >= ports.size())
        {
            error = MMSYSERR_BADDEVICEID;
            return nullptr;
        }
        const int local = Sequencer::Get().OpenInputPort(ports[id], std::move(sink));
        if (local < 0)
        {
            error = MMSYSERR_ALLOCATED;
            return nullptr;
        }
        error = MMSYSERR_NOERROR;
        return std::make_unique<AlsaInput>(ports[id], local);
    }
};
} // namespace

MidiBackend& MidiBackend::Real()
{
    static AlsaMidiBackend backend;
    return backend;
}
} // namespace OrvPlatform
