#include "LspFraming.h"

#include <algorithm>
#include <cctype>

namespace
{
constexpr std::string_view kLengthName = "content-length";
constexpr std::string_view kBlankLine = "\r\n\r\n";

std::string Lower(std::string_view text)
{
    std::string lower(text);
    for (char& c : lower)
        c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    return lower;
}

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t'))
        text.remove_suffix(1);
    return text;
}
} // namespace

void CLspMessageReader::Feed(std::string_view bytes)
{
    // A refused message's bytes are passed over as they come, never held.
    const size_t nSkipped = std::min(m_nToSkip, bytes.size());
    m_nToSkip -= nSkipped;
    bytes.remove_prefix(nSkipped);
    if (m_nStart > 0 && m_nStart >= m_buffer.size() / 2)
    {
        m_buffer.erase(0, m_nStart);
        m_nStart = 0;
    }
    m_buffer.append(bytes);
}

void CLspMessageReader::Drop(size_t nBytes)
{
    m_nStart = std::min(m_buffer.size(), m_nStart + nBytes);
    if (m_nStart == m_buffer.size())
    {
        m_buffer.clear();
        m_nStart = 0;
    }
}

CLspMessageReader::EResult CLspMessageReader::Next(std::string& message, std::string& why)
{
    std::string_view held(m_buffer);
    held.remove_prefix(m_nStart);
    if (m_bLost)
    {
        // After a broken header, the next one starts where a Content-Length line does.
        const std::string lower = Lower(held);
        const size_t nAt = lower.find(kLengthName);
        if (nAt == std::string::npos)
        {
            Drop(held.size() > kLengthName.size() ? held.size() - kLengthName.size() : 0);
            return EResult::NeedMore;
        }
        Drop(nAt);
        m_bLost = false;
        held = std::string_view(m_buffer).substr(m_nStart);
    }
    const size_t nHeaderEnd = held.substr(0, kMaxHeader + kBlankLine.size()).find(kBlankLine);
    if (nHeaderEnd == std::string_view::npos)
    {
        if (held.size() <= kMaxHeader)
            return EResult::NeedMore;
        why = "a header of more than " + std::to_string(kMaxHeader) + " bytes";
        Drop(held.size());
        m_bLost = true;
        return EResult::Refused;
    }
    const std::string_view header = held.substr(0, nHeaderEnd);
    bool bLength = false;
    unsigned long long nLength = 0;
    bool bBadLength = false;
    for (size_t nFrom = 0; nFrom <= header.size();)
    {
        size_t nTo = header.find("\r\n", nFrom);
        if (nTo == std::string_view::npos)
            nTo = header.size();
        const std::string_view line = header.substr(nFrom, nTo - nFrom);
        nFrom = nTo + 2;
        const size_t nColon = line.find(':');
        if (nColon == std::string_view::npos ||
            Lower(Trimmed(line.substr(0, nColon))) != kLengthName)
            continue;
        const std::string_view value = Trimmed(line.substr(nColon + 1));
        bLength = true;
        bBadLength =
            value.empty() || value.size() > 19 ||
            !std::all_of(value.begin(), value.end(), [](char c) { return c >= '0' && c <= '9'; });
        nLength = 0;
        for (const char c : bBadLength ? std::string_view() : value)
            nLength = nLength * 10 + static_cast<unsigned long long>(c - '0');
    }
    const size_t nHeaderSize = nHeaderEnd + kBlankLine.size();
    if (!bLength || bBadLength)
    {
        why =
            !bLength ? "a header without Content-Length" : "a Content-Length that is not a number";
        // What follows is not known to be one message: passed over to the next header.
        Drop(nHeaderSize);
        m_bLost = true;
        return EResult::Refused;
    }
    if (nLength > kMaxMessage)
    {
        why = "a message of " + std::to_string(nLength) + " bytes; at most " +
              std::to_string(kMaxMessage) + " are read";
        Drop(nHeaderSize);
        const size_t nHere = static_cast<size_t>(std::min<unsigned long long>(nLength, Held()));
        Drop(nHere);
        m_nToSkip = static_cast<size_t>(nLength - nHere);
        return EResult::Refused;
    }
    // The header stays until the whole message has come.
    if (held.size() - nHeaderSize < nLength)
        return EResult::NeedMore;
    message.assign(held.substr(nHeaderSize, static_cast<size_t>(nLength)));
    Drop(nHeaderSize + static_cast<size_t>(nLength));
    return EResult::Message;
}

bool CLspMessageReader::Deliver(
    const std::function<bool(const std::vector<std::string>& messages)>& handle,
    const std::function<void(const std::string& why)>& refused)
{
    std::vector<std::string> messages;
    std::string message;
    std::string why;
    for (;;)
    {
        const EResult result = Next(message, why);
        if (result == EResult::NeedMore)
            return messages.empty() || handle(messages);
        if (result == EResult::Refused)
            refused(why);
        else
            messages.push_back(std::move(message));
    }
}

std::string LspFrame(std::string_view json)
{
    std::string framed = "Content-Length: " + std::to_string(json.size());
    framed += "\r\n\r\n";
    framed += json;
    return framed;
}
