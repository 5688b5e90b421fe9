#pragma once

#include <string>
#include <string_view>

// White space as the C library's isspace sees it in the "C" locale:
// space, tab, line feed, vertical tab, form feed, carriage return.
constexpr bool IsWhiteSpace(char c)
{
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

inline std::string_view TrimLeft(std::string_view text)
{
    size_t i = 0;
    while (i < text.size() && IsWhiteSpace(text[i]))
        ++i;
    return text.substr(i);
}

inline std::string_view TrimRight(std::string_view text)
{
    size_t n = text.size();
    while (n > 0 && IsWhiteSpace(text[n - 1]))
        --n;
    return text.substr(0, n);
}

inline std::string_view Trim(std::string_view text)
{
    return TrimRight(TrimLeft(text));
}

inline bool IsBlank(std::string_view text)
{
    return TrimLeft(text).empty();
}
