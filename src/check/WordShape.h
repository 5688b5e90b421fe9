#pragma once

#include <algorithm>
#include <string_view>

// What a word looks like, for the rules that tell numbers from flags.
namespace WordShape
{
inline bool IsNumber(std::string_view text)
{
    size_t i = !text.empty() && (text[0] == '-' || text[0] == '+') ? 1 : 0;
    bool bDigit = false;
    for (; i < text.size(); ++i)
    {
        const char c = text[i];
        if (c >= '0' && c <= '9')
            bDigit = true;
        else if (c != '.' && c != 'e' && c != 'E' && c != '-' && c != '+')
            return false;
    }
    return bDigit;
}

inline bool IsFlag(std::string_view text)
{
    return text.size() > 1 && text[0] == '-' && !IsNumber(text);
}

// Each name of a list of names in a literal word ("a b", "k v" of {k v}),
// split on blanks and braces.
template <typename TEach> void EachName(std::string_view list, TEach&& each)
{
    while (!list.empty())
    {
        const size_t nFrom = list.find_first_not_of(" \t\r\n{}");
        if (nFrom == std::string_view::npos)
            return;
        list.remove_prefix(nFrom);
        const size_t nTo = std::min(list.find_first_of(" \t\r\n{}"), list.size());
        each(list.substr(0, nTo));
        list.remove_prefix(nTo);
    }
}

// Levenshtein distance, or nLimit + 1 once it is past the limit.
size_t EditDistance(std::string_view a, std::string_view b, size_t nLimit);

// The most edits a name may be from a known one to be offered in its place:
// one for a short name, where two edits make another word ("pack" is not a
// misspelt "patch"), two for a longer one.
inline size_t MostEditsForSuggestion(std::string_view name)
{
    return name.size() <= 5 ? 1 : 2;
}
} // namespace WordShape
