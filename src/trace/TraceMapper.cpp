#include "TraceMapper.h"

#include "ScriptIndex.h"

#include <algorithm>
#include <deque>
#include <filesystem>

namespace fs = std::filesystem;

namespace
{
using CStep = CTraceParser::CStep;
using EFrameKind = CTraceParser::EFrameKind;

// Files larger than this are not read for a place.
constexpr size_t kMaxFileBytes = 64u << 20;
// Plain places name at most this many different files.
constexpr size_t kMaxPlainFiles = 200;

// Output may name any path: only a plain file of a sane size is read, never
// a device or a pipe that would not end.
bool IsReadableScript(const std::string& path)
{
    std::error_code error;
    if (!fs::is_regular_file(path, error) || error)
        return false;
    const auto nSize = fs::file_size(path, error);
    return !error && nSize <= kMaxFileBytes;
}

std::string WithoutLeadingColons(std::string_view name)
{
    while (name.size() >= 2 && name.substr(0, 2) == "::")
        name.remove_prefix(2);
    return std::string(name);
}

std::string Tail(std::string_view name)
{
    const size_t n = name.rfind("::");
    return std::string(n == std::string_view::npos ? name : name.substr(n + 2));
}

std::string_view LiteralName(const CScriptIndex::CCommand& command)
{
    return command.words.empty() || !command.words[0].bLiteral ? std::string_view()
                                                               : command.words[0].text;
}

// The words of a command that hold the body a frame names, the likeliest first.
std::vector<size_t> BodyWords(const CScriptIndex::CCommand& command, const std::string& kind,
                              const std::string& part)
{
    const size_t nWords = command.words.size();
    std::vector<size_t> words;
    if (nWords < 2)
        return words;
    if (kind == "while" && nWords == 3)
        words.push_back(2);
    else if (kind == "catch")
        words.push_back(1);
    else if (kind == "if")
    {
        // if cond ?then? body ?elseif cond ?then? body ...? ?else? ?body?
        size_t i = 1;
        while (i < nWords)
        {
            ++i; // the condition
            if (i < nWords && command.words[i].text == "then")
                ++i;
            if (i < nWords && part == "then script")
                words.push_back(i);
            ++i;
            if (i >= nWords)
                break;
            if (command.words[i].text == "elseif")
            {
                ++i;
                continue;
            }
            if (command.words[i].text == "else")
                ++i;
            if (i < nWords && part != "then script")
                words.push_back(i);
            break;
        }
    }
    else
        words.push_back(nWords - 1);
    // Any other braced word may be it as well: the text decides.
    for (size_t i = 1; i < nWords; ++i)
    {
        if (command.words[i].bBraced && std::find(words.begin(), words.end(), i) == words.end())
            words.push_back(i);
    }
    return words;
}
} // namespace

CTraceMapper::CTraceMapper(std::string folder, std::string scriptPath, FileReader read)
    : m_folder(std::move(folder)), m_scriptPath(std::move(scriptPath)), m_read(std::move(read))
{
}

CTraceMapper::~CTraceMapper() = default;

std::string CTraceMapper::Resolve(const std::string& path) const
{
    fs::path resolved(path);
    if (resolved.is_relative() && !m_folder.empty())
        resolved = fs::path(m_folder) / resolved;
    return resolved.lexically_normal().string();
}

const CScriptIndex* CTraceMapper::Index(const std::string& path)
{
    // A deep trace asks for the same file frame after frame.
    if (m_pLastIndexed != nullptr && m_pLastIndexed->first == path)
        return m_pLastIndexed->second.get();
    const auto found = m_indexes.find(path);
    if (found != m_indexes.end())
    {
        m_pLastIndexed = &*found;
        return found->second.get();
    }
    std::unique_ptr<CScriptIndex> pIndex;
    std::string bytes;
    if (m_indexes.size() < static_cast<size_t>(kMaxSources) * 2 && IsReadableScript(path) &&
        m_read(path, bytes) && bytes.size() <= kMaxFileBytes)
        pIndex = std::make_unique<CScriptIndex>(std::move(bytes));
    m_pLastIndexed = &*m_indexes.emplace(path, std::move(pIndex)).first;
    return m_pLastIndexed->second.get();
}

void CTraceMapper::Harvest(const std::string& first)
{
    std::deque<std::string> queue{first};
    while (!queue.empty() && m_nHarvested < kMaxSources)
    {
        const std::string path = queue.front();
        queue.pop_front();
        if (!m_harvested.emplace(path, true).second)
            continue;
        ++m_nHarvested;
        const CScriptIndex* pIndex = Index(path);
        if (pIndex == nullptr)
            continue;
        for (const CScriptIndex::CCommand& command : pIndex->Commands())
        {
            const std::string_view name = LiteralName(command);
            if (name == "proc" && command.words.size() == 4 && command.words[1].bLiteral)
            {
                const CProcedure procedure{path, command.words[3].nLine};
                m_procedures.emplace(WithoutLeadingColons(command.words[1].text), procedure);
                m_proceduresByTail.emplace(Tail(command.words[1].text), procedure);
            }
            else if (name == "source" && command.words.size() == 2 && command.words[1].bLiteral)
                queue.push_back(Resolve(std::string(command.words[1].text)));
        }
    }
}

bool CTraceMapper::PlaceStep(const std::vector<CStep>& steps, size_t nStep,
                             const std::vector<CPlace>& places, CPlace& place)
{
    const CStep& step = steps[nStep];
    const CTraceParser::CFrame& frame = step.frame;
    // A place the text there confirms wins; else the first the frame gives.
    CPlace guess;
    const auto confirmed = [&](const std::string& path, long nLine)
    {
        const CScriptIndex* pIndex = Index(path);
        if (pIndex == nullptr || nLine < 1 || nLine > pIndex->LineCount())
            return false;
        if (const CScriptIndex::CCommand* pCommand =
                pIndex->FindCommand(nLine, nLine, step.command))
        {
            place = {path, nLine, pCommand};
            return true;
        }
        if (guess.path.empty())
        {
            // Unconfirmed (the file changed since the run?): the line's first command stands in.
            const std::vector<const CScriptIndex::CCommand*> onLine = pIndex->CommandsOnLine(nLine);
            guess = {path, nLine, onLine.empty() ? nullptr : onLine.front()};
        }
        return false;
    };

    switch (frame.kind)
    {
    case EFrameKind::File:
    {
        const std::string path = Resolve(frame.name);
        Harvest(path);
        if (confirmed(path, frame.nLine))
            return true;
        break;
    }
    case EFrameKind::Procedure:
    {
        if (!m_bScriptHarvested)
        {
            Harvest(Resolve(m_scriptPath));
            m_bScriptHarvested = true;
        }
        auto range = m_procedures.equal_range(WithoutLeadingColons(frame.name));
        if (range.first == range.second)
            range = m_proceduresByTail.equal_range(Tail(frame.name));
        for (auto it = range.first; it != range.second; ++it)
        {
            if (confirmed(it->second.path, it->second.nBodyLine + frame.nLine - 1))
                return true;
        }
        break;
    }
    case EFrameKind::Body:
        if (nStep + 1 < places.size() && places[nStep + 1].pCommand != nullptr)
        {
            const auto* pOwner =
                static_cast<const CScriptIndex::CCommand*>(places[nStep + 1].pCommand);
            for (const size_t nWord : BodyWords(*pOwner, frame.name, frame.part))
            {
                const CScriptIndex::CWord& word = pOwner->words[nWord];
                if (word.bLiteral &&
                    confirmed(places[nStep + 1].path, word.nLine + frame.nLine - 1))
                    return true;
            }
        }
        break;
    case EFrameKind::None:
    case EFrameKind::Other:
        break;
    }

    // By its text, inside the command of the nearest placed step outside it.
    for (size_t nOuter = nStep + 1; nOuter < places.size(); ++nOuter)
    {
        const CPlace& outer = places[nOuter];
        if (outer.path.empty() || outer.pCommand == nullptr)
            continue;
        const auto* pOwner = static_cast<const CScriptIndex::CCommand*>(outer.pCommand);
        const CScriptIndex* pIndex = Index(outer.path);
        const CScriptIndex::CCommand* pFound =
            pIndex->FindCommand(pOwner->nLine, pOwner->nEndLine, step.command);
        if (pFound != nullptr && pFound != pOwner)
        {
            place = {outer.path, pFound->nLine, pFound};
            return true;
        }
        // Not there (a body handed down in a variable): the next step out.
    }
    if (!guess.path.empty())
    {
        place = guess;
        return true;
    }
    return false;
}

std::vector<CTraceMapper::CLocation> CTraceMapper::Map(const CTraceParser::CTrace& trace)
{
    const std::vector<CStep>& steps = trace.steps;
    std::vector<CPlace> places(steps.size());
    for (size_t n = steps.size(); n-- > 0;)
    {
        CPlace place;
        if (PlaceStep(steps, n, places, place))
            places[n] = std::move(place);
    }
    std::vector<CLocation> locations;
    for (size_t n = 0; n < steps.size(); ++n)
    {
        if (places[n].path.empty())
            continue;
        CLocation location;
        location.path = places[n].path;
        location.nLine = places[n].nLine;
        const CStep& step = steps[n];
        if (step.frame.kind != EFrameKind::None)
        {
            location.nOutputLine = step.frame.nOutputLine;
            location.nFrom = step.frame.nFrom;
            location.nTo = step.frame.nTo;
        }
        else
        {
            // A command with no frame: its quoted first line is the link.
            location.nOutputLine = step.nCommandLine;
            location.nFrom = 0;
            location.nTo = 1 + std::min(step.command.find('\n'), step.command.size());
        }
        locations.push_back(std::move(location));
    }
    return locations;
}

bool CTraceMapper::MapPlain(const CTraceParser::CPlainLink& link, CLocation& location)
{
    const std::string path = Resolve(link.path);
    auto found = m_lineCounts.find(path);
    if (found == m_lineCounts.end())
    {
        if (m_lineCounts.size() >= kMaxPlainFiles)
            return false;
        long nLines = -1;
        std::string bytes;
        if (IsReadableScript(path) && m_read(path, bytes))
            nLines = static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;
        found = m_lineCounts.emplace(path, nLines).first;
    }
    if (found->second < 0 || link.nLine < 1 || link.nLine > found->second)
        return false;
    location = {path, link.nLine, link.nOutputLine, link.nFrom, link.nTo};
    return true;
}
