#include "RunFindings.h"

#include "RuleCatalogue.h"
#include "dryrun/DryRunResult.h"

#include <set>

namespace
{
class CCollector
{
public:
    explicit CCollector(const CDryRunReport& report) : m_report(report) {}

    CFinding& Add(std::string_view rule, std::string message, const CDryRunPlace& place)
    {
        CFinding finding;
        finding.rule = rule;
        finding.severity = RuleCatalogue::SeverityOf(rule);
        finding.message = std::move(message);
        finding.nStart = -1;
        finding.nEnd = -1;
        finding.file = FileOf(place);
        finding.nLine = place.nFile >= 0 ? place.nLine : 0;
        m_findings.push_back(std::move(finding));
        return m_findings.back();
    }

    // The script itself is "", a sourced file its path.
    std::string FileOf(const CDryRunPlace& place) const
    {
        if (place.nFile <= 0 || static_cast<size_t>(place.nFile) >= m_report.files.size())
            return {};
        return m_report.files[static_cast<size_t>(place.nFile)];
    }

    std::vector<CFinding> Take() { return std::move(m_findings); }

private:
    const CDryRunReport& m_report;
    std::vector<CFinding> m_findings;
};
} // namespace

std::vector<CFinding> RunFindings::From(const CDryRunResult& result)
{
    const CDryRunReport& report = result.Report();
    CCollector collector(report);
    if (!result.Failure().empty())
        collector.Add("run/not-run", "run: " + result.Failure(), {});
    for (const CDryRunError& error : report.errors)
        collector.Add("run/error", "run: " + error.message, error.place);
    if (!report.limit.empty() && report.limit != "exit")
    {
        CFinding& limit = collector.Add(
            "run/limit", "run: the dry run stopped: " + report.limitMessage, report.limitPlace);
        // A loop that waits on a query's result may well end in the analysis.
        if (report.bLimitUnsure)
        {
            limit.message += ", on values only the analysis gives";
            limit.severity = ESeverity::Info;
        }
    }
    std::set<std::string> refused;
    for (const CDryRunCall call : report.calls)
    {
        if (call.kind == CDryRunCall::EKind::Refused &&
            refused.insert(std::string(call.words[0])).second)
            collector.Add("run/refused",
                          "run: \"" + std::string(call.words[0]) +
                              "\" does not run in a dry run; it returned empty",
                          call.place);
    }
    const auto& problems = result.Facts().Problems();
    for (size_t i = 0; i < problems.size() && i < kMaxModelFindings; ++i)
    {
        CFinding& finding = collector.Add(problems[i].rule, problems[i].message, problems[i].place);
        if (problems[i].related.nLine > 0)
            finding.related.push_back({problems[i].relatedMessage,
                                       collector.FileOf(problems[i].related),
                                       problems[i].related.nLine});
    }
    if (problems.size() > kMaxModelFindings)
    {
        CFinding& more = collector.Add(
            problems[kMaxModelFindings].rule,
            "and " + std::to_string(problems.size() - kMaxModelFindings) + " more like these", {});
        more.severity = ESeverity::Info;
    }
    return collector.Take();
}
