#include "ScriptNavigation.h"

#include "Analysis.h"
#include "ScriptText.h"
#include "TextPlaces.h"
#include "check/ScriptOutline.h"
#include "dryrun/DryRunResult.h"

#include <filesystem>
#include <set>

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
    while (nStart > 0 && ScriptText::IsNameByte(text[nStart - 1]))
        --nStart;
    return text.substr(nStart, nEnd - nStart);
}

CScriptNavigation::CPlace InScript(size_t nFrom, size_t nTo)
{
    return {{}, static_cast<long>(nFrom), static_cast<long>(nTo), 0};
}
} // namespace

CScriptNavigation::CScriptNavigation(const std::string& text, std::string path,
                                     const CAnalysis& analysis)
    : m_text(text), m_path(std::move(path)), m_analysis(analysis)
{
}

CScriptNavigation::~CScriptNavigation() = default;

std::string CScriptNavigation::NameAt(size_t nOffset, bool& bVariable) const
{
    const auto [nFrom, nTo] = ScriptText::NameAround(m_text, nOffset);
    std::string name = m_text.substr(nFrom, nTo - nFrom);
    while (name.compare(0, 2, "::") == 0)
        name.erase(0, 2);
    bVariable = nFrom > 0 && (m_text[nFrom - 1] == '$' ||
                              (m_text[nFrom - 1] == '{' && nFrom > 1 && m_text[nFrom - 2] == '$'));
    return name;
}

CScriptNavigation::CPlace CScriptNavigation::CallPlace(size_t nCall, size_t nWord) const
{
    const CDryRunResult& run = *m_analysis.pDryRun;
    const CDryRunCall call = run.Report().calls[nCall];
    const CDryRunPlace place = call.place;
    if (place.nFile > 0 && static_cast<size_t>(place.nFile) < run.Report().files.size())
        return {run.Report().files[static_cast<size_t>(place.nFile)], -1, -1, place.nLine};
    if (!m_places)
        m_places.emplace(m_text);
    // From the line's first word to its end.
    const auto [nLineStart, nLineEnd] = m_places->LineRange(place.nLine);
    const std::string_view line = std::string_view(m_text).substr(
        static_cast<size_t>(nLineStart), static_cast<size_t>(nLineEnd - nLineStart));
    // The word as written, when the line writes it so (not through a variable).
    if (nWord < call.words.size())
    {
        const std::string_view word = call.words[nWord];
        for (size_t nAt = line.find(word); !word.empty() && nAt != std::string_view::npos;
             nAt = line.find(word, nAt + 1))
        {
            const size_t nEnd = nAt + word.size();
            const bool bStarts = nAt == 0 || line[nAt - 1] == ' ' || line[nAt - 1] == '\t';
            const bool bEnds =
                nEnd == line.size() || line[nEnd] == ' ' || line[nEnd] == '\t' || line[nEnd] == ';';
            if (bStarts && bEnds)
                return InScript(static_cast<size_t>(nLineStart) + nAt,
                                static_cast<size_t>(nLineStart) + nEnd);
        }
    }
    return InScript(static_cast<size_t>(nLineStart), static_cast<size_t>(nLineStart));
}

std::optional<CScriptNavigation::CPlace> CScriptNavigation::Definition(size_t nOffset) const
{
    if (m_analysis.pDryRun != nullptr && m_analysis.pDryRun->Text() == m_text)
    {
        const CDryRunResult& run = *m_analysis.pDryRun;
        const long nCall = run.DefinitionAt(nOffset);
        if (nCall >= 0)
        {
            const long nTagWord = run.Facts().TagWord(static_cast<size_t>(nCall));
            return CallPlace(static_cast<size_t>(nCall),
                             static_cast<size_t>(std::max(0L, nTagWord)));
        }
    }
    if (m_analysis.pOutline == nullptr)
        return std::nullopt;
    const CScriptOutline& outline = *m_analysis.pOutline;
    bool bVariable = false;
    const std::string name = NameAt(nOffset, bVariable);
    if (!name.empty())
    {
        const CScriptOutline::CVariable* pVariable = outline.Variable(name);
        const CScriptOutline::CProcedure* pProcedure = outline.Procedure(name);
        if (pVariable != nullptr && (bVariable || pProcedure == nullptr))
            return CPlace{{}, pVariable->firstSet.nStart, pVariable->firstSet.nEnd, 0};
        if (pProcedure != nullptr)
            return CPlace{{}, pProcedure->place.nStart, pProcedure->place.nEnd, 0};
    }
    // A sourced file: the word that names it, read beside the script.
    for (const CScriptOutline::CSource& source : outline.Sources())
    {
        if (nOffset >= static_cast<size_t>(source.place.nStart) &&
            nOffset <= static_cast<size_t>(source.place.nEnd))
        {
            const std::filesystem::path folder = std::filesystem::path(m_path).parent_path();
            const std::filesystem::path target = std::filesystem::path(source.path).is_absolute()
                                                     ? std::filesystem::path(source.path)
                                                     : folder / source.path;
            return CPlace{target.lexically_normal().string(), -1, -1, 1};
        }
    }
    return std::nullopt;
}

std::vector<CScriptNavigation::CPlace>
CScriptNavigation::TagReferences(size_t nOffset, bool bDeclaration, bool& bFound) const
{
    std::vector<CPlace> places;
    bFound = false;
    if (m_analysis.pDryRun == nullptr || m_analysis.pDryRun->Text() != m_text)
        return places;
    const CDryRunResult& run = *m_analysis.pDryRun;
    std::string kind;
    std::string tag;
    if (!run.TagAt(nOffset, kind, tag))
        return places;
    bFound = true;
    const CDryRunCalls& calls = run.Report().calls;
    const long nDefinition = run.Facts().DefinitionOf(calls, kind, tag);
    if (bDeclaration && nDefinition >= 0)
    {
        const long nTagWord = run.Facts().TagWord(static_cast<size_t>(nDefinition));
        places.push_back(CallPlace(static_cast<size_t>(nDefinition),
                                   static_cast<size_t>(std::max(0L, nTagWord))));
    }
    // A loop's calls stand on one line: each place once.
    std::set<std::tuple<std::string, long, long, long>> seen;
    for (const auto& [nCall, nWord] : run.Facts().ReferencesTo(calls, kind, tag))
    {
        CPlace place = CallPlace(nCall, nWord);
        if (seen.insert({place.file, place.nStart, place.nEnd, place.nLine}).second)
            places.push_back(std::move(place));
    }
    return places;
}

std::vector<CScriptNavigation::CPlace> CScriptNavigation::References(size_t nOffset,
                                                                     bool bDeclaration) const
{
    bool bTag = false;
    std::vector<CPlace> places = TagReferences(nOffset, bDeclaration, bTag);
    if (bTag || m_analysis.pOutline == nullptr)
        return places;
    const CScriptOutline& outline = *m_analysis.pOutline;
    // A sourced file: every source of it.
    for (const CScriptOutline::CSource& source : outline.Sources())
    {
        if (nOffset < static_cast<size_t>(source.place.nStart) ||
            nOffset > static_cast<size_t>(source.place.nEnd))
            continue;
        for (const CScriptOutline::CSource& other : outline.Sources())
        {
            if (other.path == source.path)
                places.push_back(InScript(static_cast<size_t>(other.place.nStart),
                                          static_cast<size_t>(other.place.nEnd)));
        }
        return places;
    }
    bool bVariable = false;
    const std::string name = NameAt(nOffset, bVariable);
    if (name.empty())
        return places;
    const CScriptOutline::CVariable* pVariable = outline.Variable(name);
    const CScriptOutline::CProcedure* pProcedure = outline.Procedure(name);
    if (pVariable != nullptr && (bVariable || pProcedure == nullptr))
    {
        // Its reads, and the words that set or declare it.
        for (const auto& [nFrom, nTo] : ScriptText::Occurrences(m_text, name, false))
        {
            const bool bRead = nFrom > 0 && (m_text[nFrom - 1] == '$' || m_text[nFrom - 1] == '{');
            const bool bDefinition = static_cast<long>(nFrom) == pVariable->firstSet.nStart;
            if ((bRead && !bDefinition) || (bDefinition && bDeclaration) ||
                (!bRead && !bDefinition && NamesAVariable(WordBefore(m_text, nFrom))))
                places.push_back(InScript(nFrom, nTo));
        }
        return places;
    }
    if (pProcedure == nullptr)
        return places;
    for (const auto& [nFrom, nTo] : ScriptText::Occurrences(m_text, pProcedure->name, false))
    {
        if (static_cast<long>(nFrom) != pProcedure->place.nStart || bDeclaration)
            places.push_back(InScript(nFrom, nTo));
    }
    return places;
}
