#include "LspNavigation.h"

#include "LspDocument.h"
#include "LspJson.h"
#include "LspServer.h"
#include "LspText.h"
#include "analysis/Analysis.h"
#include "check/ScriptOutline.h"
#include "dryrun/DryRunResult.h"

#include <filesystem>
#include <nlohmann/json.hpp>
#include <set>

using json = nlohmann::json;

namespace
{
// Commands whose word after them names a variable they set or declare.
bool NamesAVariable(std::string_view command)
{
    static const std::set<std::string_view> kSetters = {"set",     "incr",    "append", "lappend",
                                                        "unset",   "global",  "upvar",  "variable",
                                                        "foreach", "lassign", "gets",   "lmap"};
    return kSetters.count(command) != 0;
}

// The word before a byte on its line, or empty.
std::string_view WordBefore(std::string_view text, size_t nAt)
{
    size_t nEnd = nAt;
    while (nEnd > 0 && (text[nEnd - 1] == ' ' || text[nEnd - 1] == '\t'))
        --nEnd;
    size_t nStart = nEnd;
    while (nStart > 0 && LspText::IsNameByte(text[nStart - 1]))
        --nStart;
    return text.substr(nStart, nEnd - nStart);
}
} // namespace

CLspNavigation::CLspNavigation(std::string uri, const CLspDocument& document,
                               const CAnalysis& analysis)
    : m_uri(std::move(uri)), m_document(document), m_analysis(analysis)
{
}

std::string CLspNavigation::NameAt(size_t nOffset, bool& bVariable) const
{
    const std::string& text = m_document.Text();
    const auto [nFrom, nTo] = LspText::NameAround(text, nOffset);
    std::string name = text.substr(nFrom, nTo - nFrom);
    while (name.compare(0, 2, "::") == 0)
        name.erase(0, 2);
    bVariable = nFrom > 0 && (text[nFrom - 1] == '$' ||
                              (text[nFrom - 1] == '{' && nFrom > 1 && text[nFrom - 2] == '$'));
    return name;
}

json CLspNavigation::CallLocation(size_t nCall, size_t nWord) const
{
    const CDryRunResult& run = *m_analysis.pDryRun;
    const CDryRunCall call = run.Report().calls[nCall];
    const CDryRunPlace place = call.place;
    if (place.nFile > 0 && static_cast<size_t>(place.nFile) < run.Report().files.size())
        return LspJson::Location(LspPathToUri(run.Report().files[static_cast<size_t>(place.nFile)]),
                                 nullptr, -1, -1, place.nLine);
    const std::string& text = m_document.Text();
    const size_t nLineStart = m_document.Offset({place.nLine - 1, 0});
    size_t nLineEnd = text.find('\n', nLineStart);
    nLineEnd = nLineEnd == std::string::npos ? text.size() : nLineEnd;
    const std::string_view line = std::string_view(text).substr(nLineStart, nLineEnd - nLineStart);
    // The word as written, when the line writes it so (not through a variable).
    if (nWord < call.words.size())
    {
        const std::string_view word = call.words[nWord];
        for (size_t nAt = line.find(word); !word.empty() && nAt != std::string_view::npos;
             nAt = line.find(word, nAt + 1))
        {
            const size_t nEnd = nAt + word.size();
            const bool bStarts = nAt == 0 || line[nAt - 1] == ' ' || line[nAt - 1] == '\t';
            const bool bEnds = nEnd == line.size() || line[nEnd] == ' ' || line[nEnd] == '\t' ||
                               line[nEnd] == '\r' || line[nEnd] == ';';
            if (bStarts && bEnds)
                return LspJson::Location(m_uri, &m_document, static_cast<long>(nLineStart + nAt),
                                         static_cast<long>(nLineStart + nEnd), 0);
        }
    }
    const size_t nFirst = line.find_first_not_of(" \t");
    const size_t nAt = nLineStart + (nFirst == std::string_view::npos ? 0 : nFirst);
    return LspJson::Location(m_uri, &m_document, static_cast<long>(nAt), static_cast<long>(nAt), 0);
}

json CLspNavigation::Definition(size_t nOffset) const
{
    const std::string& text = m_document.Text();
    if (m_analysis.pDryRun != nullptr && m_analysis.pDryRun->Text() == text)
    {
        const CDryRunResult& run = *m_analysis.pDryRun;
        const long nCall = run.DefinitionAt(nOffset);
        if (nCall >= 0)
        {
            const long nTagWord = run.Facts().TagWord(static_cast<size_t>(nCall));
            return CallLocation(static_cast<size_t>(nCall),
                                static_cast<size_t>(std::max(0L, nTagWord)));
        }
    }
    if (m_analysis.pOutline == nullptr)
        return nullptr;
    const CScriptOutline& outline = *m_analysis.pOutline;
    bool bVariable = false;
    const std::string name = NameAt(nOffset, bVariable);
    if (!name.empty())
    {
        const CScriptOutline::CVariable* pVariable = outline.Variable(name);
        const CScriptOutline::CProcedure* pProcedure = outline.Procedure(name);
        if (pVariable != nullptr && (bVariable || pProcedure == nullptr))
            return LspJson::Location(m_uri, &m_document, pVariable->firstSet.nStart,
                                     pVariable->firstSet.nEnd, 0);
        if (pProcedure != nullptr)
            return LspJson::Location(m_uri, &m_document, pProcedure->place.nStart,
                                     pProcedure->place.nEnd, 0);
    }
    // A sourced file: the word that names it, read beside the script.
    for (const CScriptOutline::CSource& source : outline.Sources())
    {
        if (nOffset >= static_cast<size_t>(source.place.nStart) &&
            nOffset <= static_cast<size_t>(source.place.nEnd))
        {
            const std::filesystem::path path(LspUriToPath(m_uri));
            const std::filesystem::path target = std::filesystem::path(source.path).is_absolute()
                                                     ? std::filesystem::path(source.path)
                                                     : path.parent_path() / source.path;
            return LspJson::Location(LspPathToUri(target.lexically_normal().string()), nullptr, -1,
                                     -1, 1);
        }
    }
    return nullptr;
}

json CLspNavigation::TagReferences(size_t nOffset, bool bDeclaration, bool& bFound) const
{
    json locations = json::array();
    bFound = false;
    if (m_analysis.pDryRun == nullptr || m_analysis.pDryRun->Text() != m_document.Text())
        return locations;
    const CDryRunResult& run = *m_analysis.pDryRun;
    std::string kind;
    std::string tag;
    if (!run.TagAt(nOffset, kind, tag))
        return locations;
    bFound = true;
    const CDryRunCalls& calls = run.Report().calls;
    const long nDefinition = run.Facts().DefinitionOf(calls, kind, tag);
    if (bDeclaration && nDefinition >= 0)
        locations.push_back(
            CallLocation(static_cast<size_t>(nDefinition),
                         static_cast<size_t>(
                             std::max(0L, run.Facts().TagWord(static_cast<size_t>(nDefinition))))));
    // A loop's calls stand on one line: each place once.
    std::set<std::string> seen;
    for (const auto& [nCall, nWord] : run.Facts().ReferencesTo(calls, kind, tag))
    {
        json location = CallLocation(nCall, nWord);
        if (seen.insert(location.dump()).second)
            locations.push_back(std::move(location));
    }
    return locations;
}

json CLspNavigation::References(size_t nOffset, bool bDeclaration) const
{
    bool bTag = false;
    json locations = TagReferences(nOffset, bDeclaration, bTag);
    if (bTag || m_analysis.pOutline == nullptr)
        return locations;
    const CScriptOutline& outline = *m_analysis.pOutline;
    bool bVariable = false;
    const std::string name = NameAt(nOffset, bVariable);
    if (name.empty())
        return locations;
    const std::string& text = m_document.Text();
    const CScriptOutline::CVariable* pVariable = outline.Variable(name);
    const CScriptOutline::CProcedure* pProcedure = outline.Procedure(name);
    const auto add = [&](size_t nFrom, size_t nTo)
    {
        locations.push_back(LspJson::Location(m_uri, &m_document, static_cast<long>(nFrom),
                                              static_cast<long>(nTo), 0));
    };
    if (pVariable != nullptr && (bVariable || pProcedure == nullptr))
    {
        // Its reads, and the words that set or declare it.
        for (const auto& [nFrom, nTo] : LspText::Occurrences(text, name, false))
        {
            const bool bRead = nFrom > 0 && (text[nFrom - 1] == '$' || text[nFrom - 1] == '{');
            const bool bDefinition = static_cast<long>(nFrom) == pVariable->firstSet.nStart;
            if ((bRead && !bDefinition) || (bDefinition && bDeclaration) ||
                (!bRead && !bDefinition && NamesAVariable(WordBefore(text, nFrom))))
                add(nFrom, nTo);
        }
        return locations;
    }
    if (pProcedure == nullptr)
        return locations;
    for (const auto& [nFrom, nTo] : LspText::Occurrences(text, pProcedure->name, false))
    {
        if (static_cast<long>(nFrom) != pProcedure->place.nStart || bDeclaration)
            add(nFrom, nTo);
    }
    return locations;
}
