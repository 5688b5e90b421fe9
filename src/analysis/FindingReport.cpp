#include "FindingReport.h"

#include "RuleCatalogue.h"
#include "text/Latin1Text.h"

#include <nlohmann/json.hpp>

using nlohmann::json;

namespace
{
// What a user reads: the script's own text, as UTF-8.
std::string Text(const std::string& text, bool bUtf8)
{
    return bUtf8 ? text : Latin1Text::ToUtf8(text);
}

// The file a finding is in: the script, or the sourced file it names.
const std::string& FileOf(const FindingReport::CScriptFindings& script, const CFinding& finding)
{
    return finding.InScript() ? script.path : finding.file;
}

std::string Dump(const json& value)
{
    // A byte that is not UTF-8 (a path, say) becomes U+FFFD rather than an exception.
    return value.dump(1, ' ', false, json::error_handler_t::replace) + "\n";
}

const char* SarifLevel(ESeverity severity)
{
    switch (severity)
    {
    case ESeverity::Error:
        return "error";
    case ESeverity::Warning:
        return "warning";
    default:
        return "note";
    }
}
} // namespace

std::string FindingReport::Gcc(const std::vector<CScriptFindings>& scripts)
{
    std::string out;
    for (const CScriptFindings& script : scripts)
    {
        for (const CFinding& finding : script.findings)
        {
            out += FileOf(script, finding);
            if (finding.nLine > 0)
                out += ":" + std::to_string(finding.nLine) + ":" +
                       std::to_string(std::max(finding.nColumn, 1L));
            out += std::string(": ") + SeverityName(finding.severity) + ": " +
                   Text(finding.message, script.bUtf8) + " [" + finding.rule + "]\n";
            for (const CRelatedPlace& related : finding.related)
                out += (related.file.empty() ? script.path : related.file) + ":" +
                       std::to_string(related.nLine) +
                       ":1: note: " + Text(related.message, script.bUtf8) + "\n";
        }
    }
    return out;
}

std::string FindingReport::Json(const std::vector<CScriptFindings>& scripts)
{
    json out = json::array();
    for (const CScriptFindings& script : scripts)
    {
        for (const CFinding& finding : script.findings)
        {
            json item = {{"file", FileOf(script, finding)},
                         {"line", finding.nLine},
                         {"column", finding.nColumn},
                         {"endLine", finding.nEndLine},
                         {"endColumn", finding.nEndColumn},
                         {"severity", SeverityName(finding.severity)},
                         {"rule", finding.rule},
                         {"message", Text(finding.message, script.bUtf8)}};
            if (!finding.related.empty())
            {
                json related = json::array();
                for (const CRelatedPlace& place : finding.related)
                    related.push_back({{"file", place.file.empty() ? script.path : place.file},
                                       {"line", place.nLine},
                                       {"message", Text(place.message, script.bUtf8)}});
                item["related"] = std::move(related);
            }
            if (!finding.fixes.empty())
            {
                json fixes = json::array();
                for (const CFix& fix : finding.fixes)
                    fixes.push_back({{"title", Text(fix.title, script.bUtf8)},
                                     {"start", fix.nStart},
                                     {"end", fix.nEnd},
                                     {"text", Text(fix.text, script.bUtf8)}});
                item["fixes"] = std::move(fixes);
            }
            out.push_back(std::move(item));
        }
    }
    return Dump(out);
}

std::string FindingReport::UriOf(const std::string& path)
{
    static const char kHex[] = "0123456789ABCDEF";
    std::string uri;
    for (const char c : path)
    {
        const auto u = static_cast<unsigned char>(c);
        const bool bPlain = (u >= 'A' && u <= 'Z') || (u >= 'a' && u <= 'z') ||
                            (u >= '0' && u <= '9') || c == '-' || c == '.' || c == '_' ||
                            c == '~' || c == '/';
        if (bPlain)
            uri += c;
        else
        {
            uri += '%';
            uri += kHex[u >> 4];
            uri += kHex[u & 15];
        }
    }
    return uri;
}

std::string FindingReport::Sarif(const std::vector<CScriptFindings>& scripts,
                                 const std::string& toolVersion)
{
    json rules = json::array();
    for (const CRuleInfo& rule : RuleCatalogue::kRules)
        rules.push_back({{"id", std::string(rule.id)},
                         {"shortDescription", {{"text", std::string(rule.catches)}}},
                         {"defaultConfiguration", {{"level", SarifLevel(rule.severity)}}}});
    const auto ruleIndex = [](const std::string& id)
    {
        for (size_t i = 0; i < RuleCatalogue::kRules.size(); ++i)
        {
            if (RuleCatalogue::kRules[i].id == id)
                return static_cast<long>(i);
        }
        return -1L;
    };
    const auto location =
        [](const std::string& file, long nLine, long nColumn, long nEndLine, long nEndColumn)
    {
        json physical = {{"artifactLocation", {{"uri", UriOf(file)}}}};
        if (nLine > 0)
        {
            json region = {{"startLine", nLine}};
            if (nColumn > 0)
                region["startColumn"] = nColumn;
            if (nEndLine >= nLine && nEndColumn > 0)
            {
                region["endLine"] = nEndLine;
                region["endColumn"] = std::max(nEndColumn, nEndLine == nLine ? nColumn : 1L);
            }
            physical["region"] = std::move(region);
        }
        return json{{"physicalLocation", std::move(physical)}};
    };
    json results = json::array();
    for (const CScriptFindings& script : scripts)
    {
        for (const CFinding& finding : script.findings)
        {
            json result = {
                {"ruleId", finding.rule},
                {"level", SarifLevel(finding.severity)},
                {"message", {{"text", Text(finding.message, script.bUtf8)}}},
                {"locations",
                 json::array({location(FileOf(script, finding), finding.nLine, finding.nColumn,
                                       finding.nEndLine, finding.nEndColumn)})}};
            if (const long nIndex = ruleIndex(finding.rule); nIndex >= 0)
                result["ruleIndex"] = nIndex;
            if (!finding.related.empty())
            {
                json related = json::array();
                for (size_t i = 0; i < finding.related.size(); ++i)
                {
                    const CRelatedPlace& place = finding.related[i];
                    json item = location(place.file.empty() ? script.path : place.file, place.nLine,
                                         0, 0, 0);
                    item["id"] = i + 1;
                    item["message"] = {{"text", Text(place.message, script.bUtf8)}};
                    related.push_back(std::move(item));
                }
                result["relatedLocations"] = std::move(related);
            }
            if (!finding.fixes.empty() && finding.InScript())
            {
                json fixes = json::array();
                for (const CFix& fix : finding.fixes)
                    fixes.push_back(
                        {{"description", {{"text", Text(fix.title, script.bUtf8)}}},
                         {"artifactChanges",
                          json::array(
                              {{{"artifactLocation", {{"uri", UriOf(script.path)}}},
                                {"replacements",
                                 json::array({{{"deletedRegion",
                                                {{"byteOffset", fix.nStart},
                                                 {"byteLength", fix.nEnd - fix.nStart}}},
                                               {"insertedContent",
                                                {{"text", Text(fix.text, script.bUtf8)}}}}})}}})}});
                result["fixes"] = std::move(fixes);
            }
            results.push_back(std::move(result));
        }
    }
    json log = {{"$schema", "https://json.schemastore.org/sarif-2.1.0.json"},
                {"version", "2.1.0"},
                {"runs", json::array({{{"tool",
                                        {{"driver",
                                          {{"name", "corvale-check"},
                                           {"version", toolVersion},
                                           {"rules", std::move(rules)}}}}},
                                       {"columnKind", "unicodeCodePoints"},
                                       {"results", std::move(results)}}})}};
    return Dump(log);
}
