#pragma once

#include "Finding.h"

#include <string>
#include <string_view>
#include <vector>

class CTextPlaces;

// What a script says not to report: a comment "# corvale: ignore <rule-id>"
// (several ids or groups, by blanks or commas) silences those rules on its
// own line and on the line after, so that it may stand at the end of the
// line or above it.
class CSuppressions
{
public:
    explicit CSuppressions(const CTextPlaces& places);

    bool Suppresses(const CFinding& finding) const;
    // Drops the placed findings of the script that a comment silences.
    void Filter(std::vector<CFinding>& findings) const;

    static constexpr std::string_view kMarker = "corvale:";

private:
    struct CLine
    {
        long nLine;
        std::vector<std::string> patterns;
    };
    std::vector<CLine> m_lines; // in the order of their lines
};
