#include "Suppressions.h"

#include "RuleSelection.h"
#include "TextPlaces.h"

#include <algorithm>
#include <cctype>

namespace
{
bool IsBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r';
}

bool IsIdByte(char c)
{
    return std::isalnum(static_cast<unsigned char>(c)) != 0 || c == '/' || c == '-' || c == '_';
}
} // namespace

CSuppressions::CSuppressions(const CTextPlaces& places)
{
    const std::string_view text = places.Text();
    size_t nAt = 0;
    while ((nAt = text.find(kMarker, nAt)) != std::string_view::npos)
    {
        const size_t nLineStart =
            text.rfind('\n', nAt) == std::string_view::npos ? 0 : text.rfind('\n', nAt) + 1;
        size_t p = nAt + kMarker.size();
        nAt = p;
        // Only in a comment: a "#" before it on its line.
        if (text.substr(nLineStart, p - nLineStart).find('#') == std::string_view::npos)
            continue;
        while (p < text.size() && IsBlank(text[p]))
            ++p;
        if (text.substr(p, 6) != "ignore")
            continue;
        p += 6;
        CLine line{places.LineOf(static_cast<long>(nAt)), {}};
        for (;;)
        {
            while (p < text.size() && (IsBlank(text[p]) || text[p] == ','))
                ++p;
            const size_t nFrom = p;
            while (p < text.size() && IsIdByte(text[p]))
                ++p;
            if (p == nFrom)
                break;
            line.patterns.emplace_back(text.substr(nFrom, p - nFrom));
        }
        if (!line.patterns.empty())
            m_lines.push_back(std::move(line));
    }
}

bool CSuppressions::Suppresses(const CFinding& finding) const
{
    if (!finding.InScript() || m_lines.empty())
        return false;
    const auto first = std::lower_bound(m_lines.begin(), m_lines.end(), finding.nLine - 1,
                                        [](const CLine& line, long n) { return line.nLine < n; });
    for (auto it = first; it != m_lines.end() && it->nLine <= finding.nLine; ++it)
    {
        for (const std::string& pattern : it->patterns)
        {
            if (CRuleSelection::PatternMatches(pattern, finding.rule))
                return true;
        }
    }
    return false;
}

void CSuppressions::Filter(std::vector<CFinding>& findings) const
{
    if (m_lines.empty())
        return;
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [this](const CFinding& finding) { return Suppresses(finding); }),
                   findings.end());
}
