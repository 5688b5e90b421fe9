#include "ReturnValue.h"

#include <algorithm>
#include <charconv>

namespace
{
constexpr std::string_view kPrefix = "Returns:";

std::string_view Trimmed(std::string_view text)
{
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t'))
        text.remove_prefix(1);
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r'))
        text.remove_suffix(1);
    return text;
}

// The name inside "<name>", or empty when the text is not one.
std::string_view PlaceholderName(std::string_view text)
{
    if (text.size() < 3 || text.front() != '<' || text.back() != '>')
        return {};
    const std::string_view name = text.substr(1, text.size() - 2);
    return name.find_first_of("<> \t") == std::string_view::npos ? name : std::string_view{};
}
} // namespace

std::optional<CReturnValue> CReturnValue::Parse(std::string_view rest)
{
    rest = Trimmed(rest);
    if (rest.empty())
        return std::nullopt;
    CReturnValue value;
    if (rest.front() != '<')
    {
        value.m_literal = std::string(rest);
        return value;
    }
    const size_t nStar = rest.find('*');
    const std::string_view kind = PlaceholderName(Trimmed(rest.substr(0, nStar)));
    if (kind == "number")
        value.m_kind = EKind::Number;
    else if (kind == "integer")
        value.m_kind = EKind::Integer;
    else
        return std::nullopt;
    if (nStar != std::string_view::npos)
    {
        const std::string_view count = PlaceholderName(Trimmed(rest.substr(nStar + 1)));
        if (count.empty())
            return std::nullopt;
        value.m_countName = std::string(count);
    }
    return value;
}

std::optional<CReturnValue> CReturnValue::InText(std::string_view text)
{
    size_t nFrom = 0;
    while (nFrom < text.size())
    {
        size_t nTo = text.find('\n', nFrom);
        if (nTo == std::string_view::npos)
            nTo = text.size();
        const std::string_view line = Trimmed(text.substr(nFrom, nTo - nFrom));
        nFrom = nTo + 1;
        if (line.substr(0, kPrefix.size()) == kPrefix)
            return Parse(line.substr(kPrefix.size()));
    }
    return std::nullopt;
}

std::string CReturnValue::Plausible(const std::vector<std::string_view>& names,
                                    const std::vector<std::string_view>& words) const
{
    if (m_kind == EKind::Literal)
        return m_literal;
    long nCount = 1;
    if (!m_countName.empty())
    {
        for (size_t i = 0; i < names.size() && i < words.size(); ++i)
        {
            if (names[i] != m_countName)
                continue;
            long n = 0;
            const std::string_view word = words[i];
            const auto [pEnd, error] = std::from_chars(word.data(), word.data() + word.size(), n);
            // A count the run cannot read is taken as one.
            nCount = error == std::errc() && pEnd == word.data() + word.size() && n >= 0 ? n : 1;
            break;
        }
    }
    nCount = std::min(nCount, kMostNumbers);
    std::string value;
    for (long n = 1; n <= nCount; ++n)
    {
        if (n > 1)
            value += ' ';
        value += std::to_string(n);
        if (m_kind == EKind::Number)
            value += ".0";
    }
    return value;
}
