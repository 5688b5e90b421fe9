#include "RuleSelection.h"

#include "RuleCatalogue.h"

#include <algorithm>

bool CRuleSelection::PatternMatches(std::string_view pattern, std::string_view rule)
{
    if (pattern == rule)
        return true;
    // A group: "run" or "run/" takes every "run/..." rule.
    const std::string_view group =
        !pattern.empty() && pattern.back() == '/' ? pattern.substr(0, pattern.size() - 1) : pattern;
    return rule.size() > group.size() && rule.substr(0, group.size()) == group &&
           rule[group.size()] == '/';
}

bool CRuleSelection::Add(std::string_view patterns, std::vector<std::string>& into,
                         std::string& unknown)
{
    size_t nFrom = 0;
    while (nFrom <= patterns.size())
    {
        size_t nTo = patterns.find(',', nFrom);
        if (nTo == std::string_view::npos)
            nTo = patterns.size();
        const std::string_view pattern = patterns.substr(nFrom, nTo - nFrom);
        nFrom = nTo + 1;
        if (pattern.empty())
            continue;
        const bool bKnown =
            std::any_of(RuleCatalogue::kRules.begin(), RuleCatalogue::kRules.end(),
                        [&](const CRuleInfo& rule) { return PatternMatches(pattern, rule.id); });
        if (!bKnown)
        {
            unknown = pattern;
            return false;
        }
        into.emplace_back(pattern);
    }
    return true;
}

bool CRuleSelection::Select(std::string_view patterns, std::string& unknown)
{
    return Add(patterns, m_selected, unknown);
}

bool CRuleSelection::Ignore(std::string_view patterns, std::string& unknown)
{
    return Add(patterns, m_ignored, unknown);
}

bool CRuleSelection::Matches(const std::vector<std::string>& patterns, std::string_view rule)
{
    return std::any_of(patterns.begin(), patterns.end(),
                       [&](const std::string& pattern) { return PatternMatches(pattern, rule); });
}

bool CRuleSelection::Allows(std::string_view rule) const
{
    if (!m_selected.empty() && !Matches(m_selected, rule))
        return false;
    return !Matches(m_ignored, rule);
}

void CRuleSelection::Filter(std::vector<CFinding>& findings) const
{
    findings.erase(std::remove_if(findings.begin(), findings.end(),
                                  [this](const CFinding& finding)
                                  { return !Allows(finding.rule); }),
                   findings.end());
}
