#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

// The base protocol of the Language Server Protocol: a message is a header
// of "Name: value" lines, Content-Length among them, a blank line, and then
// that many bytes of JSON. The reader takes the bytes as they come and
// hands back whole messages; it holds at most one message and its header,
// and passes over the bytes of a message too long to hold.
class CLspMessageReader
{
public:
    static constexpr size_t kMaxMessage = 64u << 20;
    static constexpr size_t kMaxHeader = 8192;

    enum class EResult
    {
        Message,  // message holds the next message's JSON
        NeedMore, // the bytes so far end inside a message
        Refused,  // a header or a message that cannot be read; why says why
    };

    void Feed(std::string_view bytes);
    EResult Next(std::string& message, std::string& why);
    // Every whole message held, to handle at once (so that a message may
    // answer for one before it, as a cancellation does), and every refusal,
    // to refused; false when handle says to stop.
    bool Deliver(const std::function<bool(const std::vector<std::string>& messages)>& handle,
                 const std::function<void(const std::string& why)>& refused);
    // Bytes held, for the tests of its bound.
    size_t Held() const { return m_buffer.size() - m_nStart; }

private:
    void Drop(size_t nBytes);

    std::string m_buffer;
    size_t m_nStart = 0;  // bytes before it are read
    size_t m_nToSkip = 0; // bytes of a refused message still to come
    bool m_bLost = false; // a broken header: bytes are passed over to the next one
};

// A message framed for the wire.
std::string LspFrame(std::string_view json);
