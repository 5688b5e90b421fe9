#include "Braces.h"

namespace
{
bool IsQuoted(std::string_view text, long nPos)
{
    long nBackslashes = 0;
    while (nPos - nBackslashes > 0 && text[static_cast<size_t>(nPos - nBackslashes - 1)] == '\\')
        ++nBackslashes;
    return nBackslashes % 2 == 1;
}
} // namespace

namespace Braces
{
bool IsBrace(char ch)
{
    return ch == '{' || ch == '}' || ch == '[' || ch == ']';
}

long PartnerOf(std::string_view text, long nPos)
{
    if (nPos < 0 || static_cast<size_t>(nPos) >= text.size())
        return -1;
    const char ch = text[static_cast<size_t>(nPos)];
    if (!IsBrace(ch) || IsQuoted(text, nPos))
        return -1;
    const bool bOpens = ch == '{' || ch == '[';
    const char open = ch == '{' || ch == '}' ? '{' : '[';
    const char close = open == '{' ? '}' : ']';
    const long nStep = bOpens ? 1 : -1;
    long nDepth = 0;
    for (long n = nPos; n >= 0 && static_cast<size_t>(n) < text.size(); n += nStep)
    {
        const char c = text[static_cast<size_t>(n)];
        if ((c != open && c != close) || IsQuoted(text, n))
            continue;
        nDepth += (c == open) == bOpens ? 1 : -1;
        if (nDepth == 0)
            return n;
    }
    return -1;
}

long BraceAtCaret(std::string_view text, long nCaret)
{
    for (const long nPos : {nCaret - 1, nCaret})
    {
        if (nPos >= 0 && static_cast<size_t>(nPos) < text.size() &&
            IsBrace(text[static_cast<size_t>(nPos)]) && !IsQuoted(text, nPos))
            return nPos;
    }
    return -1;
}
} // namespace Braces
