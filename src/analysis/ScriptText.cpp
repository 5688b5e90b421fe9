#include "ScriptText.h"

#include <algorithm>
#include <cctype>

namespace
{
// Whether a line can begin a command of the script's top level: it starts
// at its first column with a word, and the line before does not go on into it.
bool StartsACommand(std::string_view text, size_t nLineStart)
{
    if (nLineStart >= text.size())
        return false;
    const char c = text[nLineStart];
    if (c == ' ' || c == '\t' || c == '\r' || c == '\n' || c == '}' || c == ']' || c == ')' ||
        c == '"')
        return false;
    if (nLineStart == 0)
        return true;
    size_t nEnd = nLineStart - 1; // the line before's break
    if (nEnd > 0 && text[nEnd - 1] == '\r')
        --nEnd;
    size_t nBackslashes = 0;
    while (nEnd > nBackslashes && text[nEnd - 1 - nBackslashes] == '\\')
        ++nBackslashes;
    return nBackslashes % 2 == 0;
}
} // namespace

bool ScriptText::IsNameByte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '_' || c == ':' ||
           static_cast<unsigned char>(c) >= 0x80;
}

std::pair<size_t, size_t> ScriptText::NameAround(std::string_view text, size_t nAt)
{
    size_t nFrom = std::min(nAt, text.size());
    while (nFrom > 0 && IsNameByte(text[nFrom - 1]))
        --nFrom;
    size_t nTo = std::min(nAt, text.size());
    while (nTo < text.size() && IsNameByte(text[nTo]))
        ++nTo;
    return {nFrom, nTo};
}

std::vector<std::string> ScriptText::WordsTyped(std::string_view text, size_t nTo,
                                                std::string& open)
{
    nTo = std::min(nTo, text.size());
    size_t nStart = nTo;
    while (nStart > 0 && text[nStart - 1] != '\n' && text[nStart - 1] != ';' &&
           text[nStart - 1] != '[' && text[nStart - 1] != '{')
        --nStart;
    std::vector<std::string> words;
    open.clear();
    for (size_t i = nStart; i < nTo; ++i)
    {
        if (text[i] == ' ' || text[i] == '\t')
        {
            if (!open.empty())
                words.push_back(std::move(open));
            open.clear();
        }
        else
            open += text[i];
    }
    return words;
}

std::pair<size_t, size_t> ScriptText::CommandWindow(std::string_view text, size_t nOffset)
{
    nOffset = std::min(nOffset, text.size());
    size_t nFrom = nOffset == 0 ? 0 : text.rfind('\n', nOffset - 1);
    nFrom = nFrom == std::string_view::npos || nOffset == 0 ? 0 : nFrom + 1;
    while (nFrom > 0 && !StartsACommand(text, nFrom))
    {
        // The line before.
        const size_t nBreak = nFrom >= 2 ? text.rfind('\n', nFrom - 2) : std::string_view::npos;
        nFrom = nBreak == std::string_view::npos ? 0 : nBreak + 1;
    }
    size_t nTo = text.find('\n', nOffset);
    while (nTo != std::string_view::npos && !StartsACommand(text, nTo + 1))
        nTo = text.find('\n', nTo + 1);
    nTo = nTo == std::string_view::npos ? text.size() : nTo + 1;
    return {nFrom, nTo};
}

std::vector<std::pair<size_t, size_t>>
ScriptText::Occurrences(std::string_view text, std::string_view name, bool bVariable)
{
    std::vector<std::pair<size_t, size_t>> places;
    if (name.empty())
        return places;
    for (size_t nAt = text.find(name); nAt != std::string_view::npos;
         nAt = text.find(name, nAt + 1))
    {
        const size_t nEnd = nAt + name.size();
        if (nEnd < text.size() && IsNameByte(text[nEnd]) && text[nEnd] != ':')
            continue;
        // "::" before the name qualifies it from the global namespace.
        size_t nFrom = nAt;
        while (nFrom >= 2 && text[nFrom - 1] == ':' && text[nFrom - 2] == ':')
            nFrom -= 2;
        if (nFrom > 0 && IsNameByte(text[nFrom - 1]))
            continue;
        if (nEnd < text.size() && text[nEnd] == ':')
            continue; // a namespace of the name, not the name
        if (bVariable)
        {
            const bool bDollar = nFrom > 0 && text[nFrom - 1] == '$';
            const bool bBraced = nFrom > 1 && text[nFrom - 1] == '{' && text[nFrom - 2] == '$' &&
                                 nEnd < text.size() && text[nEnd] == '}';
            if (!bDollar && !bBraced)
                continue;
        }
        places.emplace_back(nAt, nEnd);
    }
    return places;
}
