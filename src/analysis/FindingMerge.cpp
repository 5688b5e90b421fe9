#include "FindingMerge.h"

#include "Suppressions.h"
#include "TextPlaces.h"

#include <algorithm>

namespace
{
bool StartsWith(std::string_view text, std::string_view prefix)
{
    return text.substr(0, prefix.size()) == prefix;
}

// Tcl's own words for a script it cannot parse.
bool IsSyntaxError(std::string_view message)
{
    for (const std::string_view syntax :
         {"run: missing close-brace", "run: missing close-bracket", "run: missing \"",
          "run: extra characters after close-", "run: missing )", "run: unmatched open "})
    {
        if (StartsWith(message, syntax))
            return true;
    }
    return false;
}

// "unknown command "nodee"..." names nodee.
std::string_view QuotedName(std::string_view message)
{
    const size_t nOpen = message.find('"');
    if (nOpen == std::string_view::npos)
        return {};
    const size_t nClose = message.find('"', nOpen + 1);
    if (nClose == std::string_view::npos)
        return {};
    return message.substr(nOpen + 1, nClose - nOpen - 1);
}
} // namespace

bool FindingMerge::SameCause(const CFinding& check, const CFinding& run)
{
    if (run.rule != "run/error" && run.rule != "run/last-run")
        return false;
    // A script Tcl cannot parse fails to run for that one reason, wherever
    // each of them places it.
    if (StartsWith(check.rule, "parse/") && IsSyntaxError(run.message))
        return true;
    if (check.file != run.file)
        return false;
    // A trap the check names on the line the run failed at (or in the
    // command that began there) is what failed it.
    if ((StartsWith(check.rule, "trap/") || StartsWith(check.rule, "set/") ||
         StartsWith(check.rule, "expr/") || StartsWith(check.rule, "proc/") ||
         StartsWith(check.rule, "variable/")) &&
        check.severity == ESeverity::Error)
        return check.nLine == run.nLine ||
               std::any_of(check.related.begin(), check.related.end(),
                           [&](const CRelatedPlace& place)
                           { return place.file.empty() && place.nLine == run.nLine; });
    if (check.nLine != run.nLine)
        return false;
    // The dry run and the real run stopped at the same error.
    if (check.rule == "run/error")
        return check.message == run.message;
    if (check.rule == "source/unreadable" || check.rule == "source/missing")
        return StartsWith(run.message, "run: couldn't read file");
    if (check.rule == "command/unknown")
    {
        const std::string_view name = QuotedName(check.message);
        return !name.empty() && StartsWith(run.message, "run: invalid command name \"") &&
               QuotedName(run.message) == name;
    }
    return false;
}

std::vector<CFinding> FindingMerge::Merge(std::vector<CFinding> check, std::vector<CFinding> run,
                                          const CTextPlaces& places)
{
    for (CFinding& finding : check)
        places.Place(finding);
    for (CFinding& finding : run)
        places.Place(finding);
    std::vector<CFinding> merged = std::move(check);
    const size_t nChecked = merged.size();
    for (CFinding& finding : run)
    {
        const bool bTwice =
            std::any_of(merged.begin(), merged.begin() + nChecked,
                        [&](const CFinding& other) { return SameCause(other, finding); });
        if (!bTwice)
            merged.push_back(std::move(finding));
    }
    std::stable_sort(merged.begin(), merged.end(),
                     [](const CFinding& a, const CFinding& b)
                     {
                         if (a.file != b.file)
                             return a.file.empty() || (!b.file.empty() && a.file < b.file);
                         if (a.InScript() && a.nStart != b.nStart)
                             return a.nStart < b.nStart;
                         return a.nLine < b.nLine;
                     });
    // What the script's own comments silence is not reported.
    CSuppressions(places).Filter(merged);
    return merged;
}

std::vector<CFinding> FindingMerge::CarryOver(const std::vector<CFinding>& findings,
                                              std::string_view oldText, std::string_view newText,
                                              const CTextPlaces& newPlaces)
{
    // The bytes both texts share at their start and at their end.
    const size_t nShorter = std::min(oldText.size(), newText.size());
    size_t nPrefix = 0;
    while (nPrefix < nShorter && oldText[nPrefix] == newText[nPrefix])
        ++nPrefix;
    size_t nSuffix = 0;
    while (nSuffix < nShorter - nPrefix &&
           oldText[oldText.size() - 1 - nSuffix] == newText[newText.size() - 1 - nSuffix])
        ++nSuffix;
    // Whole lines only: a line the change touched loses its findings.
    while (nPrefix > 0 && oldText[nPrefix - 1] != '\n')
        --nPrefix;
    while (nSuffix > 0 && nSuffix < oldText.size() && oldText[oldText.size() - nSuffix - 1] != '\n')
        --nSuffix;
    const long nOldSuffixStart = static_cast<long>(oldText.size() - nSuffix);
    const long nShift = static_cast<long>(newText.size()) - static_cast<long>(oldText.size());
    std::vector<CFinding> carried;
    for (const CFinding& finding : findings)
    {
        if (!finding.InScript() || finding.nStart < 0)
        {
            carried.push_back(finding);
            continue;
        }
        CFinding moved = finding;
        if (finding.nEnd <= static_cast<long>(nPrefix))
        {
        }
        else if (finding.nStart >= nOldSuffixStart)
        {
            moved.nStart += nShift;
            moved.nEnd += nShift;
        }
        else
            continue;
        for (CFix& fix : moved.fixes)
        {
            if (fix.nStart >= nOldSuffixStart)
            {
                fix.nStart += nShift;
                fix.nEnd += nShift;
            }
        }
        newPlaces.Place(moved);
        carried.push_back(std::move(moved));
    }
    return carried;
}
