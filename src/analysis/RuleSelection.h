#pragma once

#include "Finding.h"

#include <string>
#include <string_view>
#include <vector>

// Which rules a user wants: all of them, or only those selected, less those
// ignored. A pattern is a rule's id ("command/unknown") or its group ("run",
// "run/"), and a list of them may be given with commas.
class CRuleSelection
{
public:
    // False, with the pattern that matched no rule, for a mistake.
    bool Select(std::string_view patterns, std::string& unknown);
    bool Ignore(std::string_view patterns, std::string& unknown);

    bool Allows(std::string_view rule) const;
    // A pattern is the rule's id, or its group ("run", "run/").
    static bool PatternMatches(std::string_view pattern, std::string_view rule);
    void Filter(std::vector<CFinding>& findings) const;

private:
    static bool Add(std::string_view patterns, std::vector<std::string>& into,
                    std::string& unknown);
    static bool Matches(const std::vector<std::string>& patterns, std::string_view rule);

    std::vector<std::string> m_selected;
    std::vector<std::string> m_ignored;
};
