#include "LspCodeActions.h"

#include "LspDocument.h"
#include "LspJson.h"
#include "analysis/Analysis.h"
#include "analysis/Suppressions.h"

#include <nlohmann/json.hpp>
#include <set>

using json = nlohmann::json;

namespace
{
int SeverityOf(ESeverity severity)
{
    return severity == ESeverity::Error ? 1 : severity == ESeverity::Warning ? 2 : 3;
}

// The diagnostic the finding was published as, for the action to name it.
json DiagnosticOf(const CLspDocument& document, const CFinding& finding)
{
    return {
        {"range", LspJson::RangeOf(document, static_cast<size_t>(finding.nStart),
                                   static_cast<size_t>(std::max(finding.nStart, finding.nEnd)))},
        {"severity", SeverityOf(finding.severity)},
        {"code", finding.rule},
        {"source", "corvale"},
        {"message", finding.message}};
}

json Edit(const std::string& uri, json range, const std::string& text)
{
    return {{"changes", {{uri, json::array({{{"range", std::move(range)}, {"newText", text}}})}}}};
}
} // namespace

json LspCodeActions::For(const std::string& uri, const CLspDocument& document,
                         const CAnalysis& analysis, size_t nFrom, size_t nTo)
{
    json actions = json::array();
    const std::string& text = document.Text();
    std::set<std::pair<long, std::string>> silenced; // each line's rule once
    for (const CFinding& finding : analysis.findings)
    {
        if (!finding.InScript() || finding.nStart < 0 ||
            static_cast<size_t>(finding.nStart) > text.size())
            continue;
        const auto nStart = static_cast<size_t>(finding.nStart);
        const auto nEnd = static_cast<size_t>(std::max(finding.nStart, finding.nEnd));
        // The range touches the finding (an empty range at the caret too).
        if (nEnd < nFrom || nStart > nTo)
            continue;
        const json diagnostic = DiagnosticOf(document, finding);
        for (const CFix& fix : finding.fixes)
        {
            if (fix.nStart < 0 || fix.nEnd < fix.nStart ||
                static_cast<size_t>(fix.nEnd) > text.size())
                continue;
            actions.push_back(
                {{"title", fix.title},
                 {"kind", "quickfix"},
                 {"diagnostics", json::array({diagnostic})},
                 {"isPreferred", finding.fixes.size() == 1},
                 {"edit", Edit(uri,
                               LspJson::RangeOf(document, static_cast<size_t>(fix.nStart),
                                                static_cast<size_t>(fix.nEnd)),
                               fix.text)}});
        }
        if (finding.rule.empty() || !silenced.insert({finding.nLine, finding.rule}).second)
            continue;
        // The comment goes on a line of its own before the finding's, indented as it is.
        const size_t nLineStart = text.rfind('\n', nStart == 0 ? 0 : nStart - 1);
        const size_t nLine = nLineStart == std::string::npos || nStart == 0 ? 0 : nLineStart + 1;
        const size_t nIndentEnd = text.find_first_not_of(" \t", nLine);
        const std::string indent = text.substr(
            nLine, (nIndentEnd == std::string::npos ? text.size() : nIndentEnd) - nLine);
        const bool bCrLf = text.find("\r\n") != std::string::npos;
        actions.push_back(
            {{"title", "Ignore " + finding.rule + " here"},
             {"kind", "quickfix"},
             {"diagnostics", json::array({diagnostic})},
             {"edit", Edit(uri, LspJson::RangeOf(document, nLine, nLine),
                           indent + "# " + std::string(CSuppressions::kMarker) + " ignore " +
                               finding.rule + (bCrLf ? "\r\n" : "\n"))}});
    }
    return actions;
}
