// The debug stream buffer and stream. The buffer collects text and hands it on as one message
// when the stream is flushed (std::endl, std::flush), or in pieces of at most 1023 characters
// when more than that is written without a flush.
#pragma once

#include <algorithm>
#include <functional>
#include <memory>
#include <ostream>
#include <sstream>
#include <string>

namespace Orv
{
template <class C, class Traits = std::char_traits<C>>
class basic_debugbuf : public std::basic_stringbuf<C, Traits>
{
public:
    // Receives each message as a terminated text (which ends at its first zero character).
    using Receiver = std::function<void(const C* text)>;
    // The most characters that wait in the buffer.
    static constexpr std::streamsize kMaxPending = 1023;

    explicit basic_debugbuf(Receiver receiver)
        : std::basic_stringbuf<C, Traits>(std::ios_base::out)
        , mReceiver(std::move(receiver))
    {
    }
    ~basic_debugbuf() override = default;

    // Characters written since the last message was handed on.
    std::streamsize GetPendingCount() const { return this->pptr() - this->pbase(); }

protected:
    std::streamsize xsputn(const C* text, std::streamsize count) override
    {
        std::streamsize done = 0;
        while (done < count)
        {
            if (GetPendingCount() >= kMaxPending)
            {
                sync();
            }
            const std::streamsize take = std::min(count - done, kMaxPending - GetPendingCount());
            std::basic_stringbuf<C, Traits>::xsputn(text + done, take);
            done += take;
        }
        return count;
    }

    int sync() override
    {
        const std::basic_string<C, Traits> text(this->pbase(), this->pptr());
        this->str(std::basic_string<C, Traits>());
        mReceiver(text.c_str());
        return 0;
    }

private:
    Receiver mReceiver;
};

// An output stream that owns its debug buffer.
template <class C, class Traits = std::char_traits<C>>
class basic_dostream : public std::basic_ostream<C, Traits>
{
public:
    explicit basic_dostream(typename basic_debugbuf<C, Traits>::Receiver receiver)
        : std::basic_ostream<C, Traits>(nullptr)
        , mBuffer(std::make_unique<basic_debugbuf<C, Traits>>(std::move(receiver)))
    {
        this->init(mBuffer.get());
    }
    ~basic_dostream() override = default;

    basic_debugbuf<C, Traits>& GetBuffer() const { return *mBuffer; }

private:
    std::unique_ptr<basic_debugbuf<C, Traits>> mBuffer;
};
} // namespace Orv
