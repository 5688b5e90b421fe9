#include "Latin1Text.h"

std::string Latin1Text::ToUtf8(std::string_view bytes)
{
    std::string text;
    text.reserve(bytes.size());
    for (const char c : bytes)
    {
        const auto byte = static_cast<unsigned char>(c);
        if (byte < 0x80)
            text += c;
        else
        {
            text += static_cast<char>(0xC0 | (byte >> 6));
            text += static_cast<char>(0x80 | (byte & 0x3F));
        }
    }
    return text;
}

std::string Latin1Text::FromUtf8(std::string_view text)
{
    std::string bytes;
    bytes.reserve(text.size());
    for (size_t i = 0; i < text.size(); ++i)
    {
        const auto lead = static_cast<unsigned char>(text[i]);
        const bool bTwoByte = (lead == 0xC2 || lead == 0xC3) && i + 1 < text.size() &&
                              (static_cast<unsigned char>(text[i + 1]) & 0xC0) == 0x80;
        if (bTwoByte)
        {
            bytes += static_cast<char>(((lead & 0x03) << 6) |
                                       (static_cast<unsigned char>(text[i + 1]) & 0x3F));
            ++i;
        }
        else
            bytes += text[i];
    }
    return bytes;
}
