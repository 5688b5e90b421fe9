#include "ModelFacts.h"

#include "check/CommandKnowledge.h"

#include <algorithm>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <limits>
#include <random>
#include <tuple>
#include <unordered_map>

namespace
{
// A hash of 32 bits, seeded once per process: a script cannot be written to
// make many tags share one, which would make the lookups quadratic.
uint64_t SeededHash64(std::string_view kind, std::string_view tag)
{
    static const std::string s_seed = []
    {
        std::random_device device;
        std::string seed(8, '\0');
        for (char& c : seed)
            c = static_cast<char>(device());
        return seed;
    }();
    std::string key;
    key.reserve(s_seed.size() + kind.size() + 1 + tag.size());
    key += s_seed;
    key += kind;
    key += '\x1f'; // a byte no word of a call holds
    key += tag;
    return static_cast<uint64_t>(std::hash<std::string>()(key));
}

bool Number(std::string_view word, double& value)
{
    if (word.empty())
        return false;
    const std::string text(word);
    char* pEnd = nullptr;
    value = std::strtod(text.c_str(), &pEnd);
    return pEnd == text.c_str() + text.size();
}
// A tag that is a whole number below nLimit, as Normal leaves it.
bool SmallTag(std::string_view normal, size_t nLimit, size_t& nTag)
{
    if (normal.empty() || normal.size() > 9)
        return false;
    nTag = 0;
    for (const char c : normal)
    {
        if (c < '0' || c > '9')
            return false;
        nTag = nTag * 10 + static_cast<size_t>(c - '0');
    }
    return nTag < nLimit;
}

// A plain decimal number ("12", "-1.5", "2e-3"): one that strtod reads whole.
bool IsDecimal(std::string_view word)
{
    size_t i = 0;
    const auto digits = [&]
    {
        const size_t nFrom = i;
        while (i < word.size() && word[i] >= '0' && word[i] <= '9')
            ++i;
        return i > nFrom;
    };
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        ++i;
    bool bDigits = digits();
    if (i < word.size() && word[i] == '.')
    {
        ++i;
        bDigits = digits() || bDigits;
    }
    if (!bDigits)
        return false;
    if (i < word.size() && (word[i] == 'e' || word[i] == 'E'))
    {
        ++i;
        if (i < word.size() && (word[i] == '+' || word[i] == '-'))
            ++i;
        if (!digits())
            return false;
    }
    return i == word.size();
}
} // namespace

std::string CModelFacts::Normal(std::string_view word)
{
    size_t i = 0;
    bool bNegative = false;
    if (i < word.size() && (word[i] == '+' || word[i] == '-'))
        bNegative = word[i++] == '-';
    if (i == word.size() || !std::all_of(word.begin() + static_cast<long>(i), word.end(),
                                         [](unsigned char c) { return std::isdigit(c) != 0; }))
        return std::string(word);
    while (i + 1 < word.size() && word[i] == '0')
        ++i;
    std::string digits(word.substr(i));
    return bNegative && digits != "0" ? "-" + digits : digits;
}

namespace
{
std::string Lower(std::string_view text)
{
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

bool StartsWith(std::string_view text, std::string_view head)
{
    return text.substr(0, head.size()) == head;
}

bool EndsWith(std::string_view text, std::string_view tail)
{
    return text.size() >= tail.size() && text.substr(text.size() - tail.size()) == tail;
}

// The kinds of tag a library defines (the top-level commands with a form
// that begins with <tag> or <type> <tag>), and every placeholder it names.
void KindsOf(const CCommandKnowledge& knowledge, std::vector<std::string>& kinds,
             std::vector<std::string>& placeholders)
{
    for (const std::string& command : knowledge.TopLevelNames())
    {
        std::vector<int> records = {knowledge.Find(command, "command")};
        if (const std::vector<std::string>* pChildren = knowledge.ChildrenOf(command))
        {
            for (const std::string& child : *pChildren)
                records.push_back(knowledge.Find(child, command));
        }
        bool bDefines = false;
        for (const int nRecord : records)
        {
            for (const CUsageForm& form : knowledge.FormsOf(nRecord))
            {
                const std::vector<std::string> lead = form.LeadingPlaceholders();
                bDefines = bDefines || (!lead.empty() && lead[0] == "tag") ||
                           (lead.size() >= 2 && lead[0] == "type" && lead[1] == "tag");
                for (std::string& name : form.Placeholders())
                    placeholders.push_back(std::move(name));
            }
        }
        if (bDefines)
            kinds.push_back(command);
    }
}

// <F1> ... <Fndf>: a load's component along a degree of freedom.
bool IsForceName(std::string_view name)
{
    if (name.size() < 2 || (name[0] != 'F' && name[0] != 'f'))
        return false;
    const std::string_view rest = name.substr(1);
    return rest == "ndf" || rest == "i" ||
           std::all_of(rest.begin(), rest.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// The kind a placeholder refers to: its name is the kind, or the kind with
// a prefix or a suffix (the longest kind wins); -1 for none.
long KindIndexOfPlaceholder(std::string_view name, const std::vector<std::string>& lowerKinds)
{
    const std::string lower = Lower(name);
    if (lower == "tag" || lower == "type")
        return -1;
    long nBest = -1;
    size_t nBestSize = 0;
    for (size_t k = 0; k < lowerKinds.size(); ++k)
    {
        const std::string& kind = lowerKinds[k];
        if ((StartsWith(lower, kind) || EndsWith(lower, kind) || EndsWith(lower, kind + "s")) &&
            kind.size() > nBestSize)
        {
            nBest = static_cast<long>(k);
            nBestSize = kind.size();
        }
    }
    return nBest;
}
} // namespace

void CModelFacts::Build(const CCommandKnowledge& knowledge, const CDryRunReport& report)
{
    *this = CModelFacts();
    const CDryRunCalls& calls = report.calls;
    std::vector<std::string> placeholders;
    KindsOf(knowledge, m_kinds, placeholders);
    std::vector<std::string> lowerKinds;
    for (const std::string& kind : m_kinds)
        lowerKinds.push_back(Lower(kind));
    for (size_t k = 0; k < m_kinds.size(); ++k)
    {
        if (lowerKinds[k] == "node")
            m_nNodeKind = static_cast<long>(k);
    }
    // A kind some placeholder refers to: one of its tags nothing refers to is unused.
    std::vector<bool> referable(m_kinds.size() + 1, false);
    // The role of each placeholder's name, worked out once.
    std::unordered_map<std::string, uint8_t> placeholderRoles;
    const auto referenceRole = [&](std::string_view name) -> uint8_t
    {
        const auto known = placeholderRoles.find(std::string(name));
        if (known != placeholderRoles.end())
            return known->second;
        uint8_t nRole = kNone;
        if (StartsWith(Lower(name), "fix"))
            nRole = kFixity;
        else if (IsForceName(name))
            nRole = kForce;
        else if (const long nKind = KindIndexOfPlaceholder(name, lowerKinds);
                 nKind >= 0 && nKind + kReference <= 255)
            nRole = static_cast<uint8_t>(kReference + nKind);
        placeholderRoles.emplace(std::string(name), nRole);
        return nRole;
    };
    for (const std::string& name : placeholders)
    {
        const uint8_t nRole = referenceRole(name);
        if (nRole >= kReference)
            referable[nRole - kReference] = true;
    }

    m_roleStarts.reserve(calls.size() + 1);
    m_callsByLine.reserve(calls.size());
    std::vector<uint8_t> roles;
    std::vector<CUsageForm::CWord> words;
    std::vector<std::string_view> names;
    std::vector<size_t> placeholderWords;
    // The roles of a call's words, from the form it fits; empty when none fits.
    const auto fitRoles = [&](const CDryRunCall& call)
    {
        roles.clear();
        // The form of the sub-command named by the second word, else the command's own.
        const CCommandKnowledge::CFit fit = knowledge.FitCall(call.words, words, names);
        if (fit.nRecord < 0)
            return;
        const size_t nOffset = fit.nFirst;
        roles.assign(call.words.size(), kNone);
        placeholderWords.clear();
        for (size_t i = 0; i < names.size(); ++i)
        {
            if (!names[i].empty())
                placeholderWords.push_back(i);
        }
        long nTagWord = -1;
        if (!placeholderWords.empty())
        {
            const size_t nFirst = placeholderWords.front();
            if (names[nFirst] == "tag")
                nTagWord = static_cast<long>(nFirst);
            else if (names[nFirst] == "type" && placeholderWords.size() > 1 &&
                     names[placeholderWords[1]] == "tag")
                nTagWord = static_cast<long>(placeholderWords[1]);
        }
        for (const size_t i : placeholderWords)
        {
            const std::string_view name = names[i];
            if (static_cast<long>(i) == nTagWord)
                roles[nOffset + i] = kTag;
            else if (nTagWord >= 0 && (name == "x" || name == "y" || name == "z"))
                roles[nOffset + i] = kCoordinate;
            else
                roles[nOffset + i] = referenceRole(name);
        }
    };
    // Where no keyword is a number, calls that differ only in their numbers
    // fit alike ("node 7 1.5 3.0", "node 8 3.0 3.0"): the roles of each such
    // shape of call are worked out once.
    const bool bShapes = knowledge.NumbersAreValues();
    std::unordered_map<std::string, std::vector<uint8_t>> shapes;
    std::string shape;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        const CDryRunCall call = calls[nCall];
        if (call.place.nFile >= 0)
            m_callsByLine.push_back(static_cast<uint32_t>(nCall));
        m_roleStarts.push_back(static_cast<uint32_t>(m_roles.size()));
        if (call.kind != CDryRunCall::EKind::Library || call.words.empty())
            continue;
        const std::vector<uint8_t>* pRoles = &roles;
        if (bShapes)
        {
            shape.clear();
            for (size_t i = 0; i < call.words.size(); ++i)
            {
                const std::string_view word = call.words[i];
                // Each word by its length, so that no two calls share a shape by chance.
                const bool bNumber = i > 0 && IsDecimal(word);
                const uint32_t nSize = bNumber ? 0 : static_cast<uint32_t>(word.size());
                shape.append(reinterpret_cast<const char*>(&nSize), sizeof nSize);
                if (!bNumber)
                    shape.append(word);
            }
            const auto known = shapes.find(shape);
            if (known != shapes.end())
                pRoles = &known->second;
            else
            {
                fitRoles(call);
                pRoles = &shapes.emplace(shape, roles).first->second;
            }
        }
        else
            fitRoles(call);
        if (pRoles->empty())
            continue;
        // A call whose words play no part keeps no roles.
        if (std::any_of(pRoles->begin(), pRoles->end(),
                        [](uint8_t nRole) { return nRole != kNone; }))
            m_roles.insert(m_roles.end(), pRoles->begin(), pRoles->end());
    }
    m_roleStarts.push_back(static_cast<uint32_t>(m_roles.size()));
    m_roles.shrink_to_fit();
    SortByLine(calls);
    if (m_callsByLine.size() < m_callsByLine.capacity() / 8 * 7)
        m_callsByLine.shrink_to_fit();
    const uint8_t nNodeRole = m_nNodeKind >= 0 && m_nNodeKind + kReference <= 255
                                  ? static_cast<uint8_t>(kReference + m_nNodeKind)
                                  : kNone;
    // The words of a call in a role, as the first pass found them.
    const auto wordsIn = [&](size_t nCall, auto isRole, std::vector<size_t>& found)
    {
        found.clear();
        for (uint32_t n = m_roleStarts[nCall]; n < m_roleStarts[nCall + 1]; ++n)
        {
            if (isRole(m_roles[n]))
                found.push_back(n - m_roleStarts[nCall]);
        }
    };
    const auto isNodeReference = [&](uint8_t nRole)
    { return nNodeRole != kNone && nRole == nNodeRole; };
    std::vector<size_t> roleWords;
    // Room for every call that could define a node or an element, made once:
    // growing, and then shrinking, would hold two copies for a moment.
    size_t nMostNodes = 0;
    size_t nMostElements = 0;
    size_t nMostElementNodes = 0;
    for (size_t nCall = 0; nCall + 1 < m_roleStarts.size(); ++nCall)
    {
        const auto first = m_roles.begin() + m_roleStarts[nCall];
        const auto last = m_roles.begin() + m_roleStarts[nCall + 1];
        if (std::find(first, last, kTag) == last)
            continue;
        nMostNodes += std::find(first, last, kCoordinate) != last ? 1 : 0;
        const auto nNodeTags = std::count_if(first, last, isNodeReference);
        nMostElements += nNodeTags > 0 ? 1 : 0;
        nMostElementNodes += static_cast<size_t>(nNodeTags);
    }
    m_nodes.reserve(nMostNodes);
    m_elements.reserve(nMostElements);
    m_elementNodes.reserve(nMostElementNodes);

    const auto where = [&](const CDryRunPlace& first, const CDryRunPlace& here)
    {
        std::string text = "line " + std::to_string(first.nLine);
        if (first.nFile != here.nFile && first.nFile >= 0 &&
            static_cast<size_t>(first.nFile) < report.files.size())
            text = std::filesystem::path(report.files[static_cast<size_t>(first.nFile)])
                       .filename()
                       .string() +
                   ":" + std::to_string(first.nLine);
        return first.nLine > 0 ? text : std::string("an unknown line");
    };

    // Definitions: the first call of each kind and tag defines it, a later
    // one defines it again. Kept as (hash of kind and tag, call), sorted, so
    // a large model's definitions cost eight bytes each; the first
    // definitions are kept in place of all, so only one list is ever made.
    std::vector<std::pair<uint64_t, uint32_t>> tagged;
    size_t nTagged = 0;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
        nTagged += TagWord(nCall) >= 0 ? 1 : 0;
    tagged.reserve(nTagged);
    // Each tagged call's kind and whole-number tag, for the lists of small tags.
    std::vector<CSmallTag> smallTags;
    smallTags.reserve(nTagged);
    long nLastKind = -1;
    std::string lastKind;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        if (const long nTagWord = TagWord(nCall); nTagWord >= 0)
        {
            const CDryRunCall call = calls[nCall];
            const std::string_view kind = call.words[0];
            const std::string tag = Normal(call.words[static_cast<size_t>(nTagWord)]);
            tagged.emplace_back(KeyHash(kind, tag), static_cast<uint32_t>(nCall));
            if (nLastKind < 0 || kind != lastKind)
            {
                nLastKind = KindIndex(kind);
                lastKind = kind;
            }
            size_t nTag = 0;
            if (nLastKind >= 0 && SmallTag(tag, std::numeric_limits<uint32_t>::max(), nTag))
                smallTags.push_back({static_cast<uint32_t>(nCall), static_cast<uint32_t>(nLastKind),
                                     static_cast<uint32_t>(nTag)});
        }
    }
    std::sort(tagged.begin(), tagged.end());
    std::vector<std::pair<uint32_t, uint32_t>> again; // (call, the first definition's call)
    size_t nKept = 0;
    for (size_t nRun = 0; nRun < tagged.size();)
    {
        size_t nEnd = nRun + 1;
        while (nEnd < tagged.size() && tagged[nEnd].first == tagged[nRun].first)
            ++nEnd;
        // Within a run of one hash, in call order: the first with the same
        // kind and tag, if any, was first; those kept so far are the firsts.
        const size_t nRunKept = nKept;
        for (size_t i = nRun; i < nEnd; ++i)
        {
            size_t nFirst = nKept;
            for (size_t j = nRunKept; j < nKept && nFirst == nKept; ++j)
            {
                if (SameDefinition(calls, tagged[j].second, tagged[i].second))
                    nFirst = j;
            }
            if (nFirst != nKept)
                again.emplace_back(tagged[i].second, tagged[nFirst].second);
            else
                tagged[nKept++] = tagged[i];
        }
        nRun = nEnd;
    }
    tagged.resize(nKept);
    m_definitions = std::move(tagged);
    if (m_definitions.size() < m_definitions.capacity() / 8 * 7)
        m_definitions.shrink_to_fit();
    m_referenceCounts.assign(m_definitions.size(), 0);
    // Looked up once for every reference: a slot is found in a step or two,
    // where a search of the sorted list would miss the cache at every step.
    size_t nSlots = 16;
    while (nSlots < m_definitions.size() * 2)
        nSlots *= 2;
    m_definitionSlots.assign(nSlots, 0);
    for (size_t nIndex = 0; nIndex < m_definitions.size(); ++nIndex)
    {
        size_t nSlot = m_definitions[nIndex].first & (nSlots - 1);
        while (m_definitionSlots[nSlot] != 0)
            nSlot = (nSlot + 1) & (nSlots - 1);
        m_definitionSlots[nSlot] = static_cast<uint32_t>(nIndex + 1);
    }
    IndexSmallTags(calls.size(), smallTags);
    // The calls that define a tag again.
    std::vector<bool> definesAgain(calls.size(), false);
    for (const auto& [nCall, nFirst] : again)
        definesAgain[nCall] = true;
    // The node each first definition of a node made, or -1.
    std::vector<int32_t> nodeOfDefinition(m_definitions.size(), -1);
    std::sort(again.begin(), again.end());
    size_t nAgain = 0;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        const long nTagWord = TagWord(nCall);
        if (nTagWord < 0)
            continue;
        const CDryRunCall call = calls[nCall];
        const std::string kind(call.words[0]);
        const std::string tag = Normal(call.words[static_cast<size_t>(nTagWord)]);
        if (nAgain < again.size() && again[nAgain].first == nCall)
        {
            const CDryRunPlace first = calls[again[nAgain++].second].place;
            m_problems.push_back(
                {"model/duplicate-tag",
                 kind + " " + tag + " defined again; first at " + where(first, call.place),
                 call.place, first, kind + " " + tag + " first defined here",
                 static_cast<long>(nCall)});
            continue;
        }
        wordsIn(
            nCall, [](uint8_t nRole) { return nRole == kCoordinate; }, roleWords);
        if (!roleWords.empty())
        {
            CNode node;
            node.nCall = static_cast<uint32_t>(nCall);
            node.nCoordinates = static_cast<uint8_t>(std::min<size_t>(3, roleWords.size()));
            bool bDrawable = true;
            for (size_t i = 0; i < roleWords.size() && i < 3; ++i)
                bDrawable = bDrawable && Number(call.words[roleWords[i]], node.xyz[i]);
            if (bDrawable)
            {
                m_nDimensions = std::max(m_nDimensions, static_cast<int>(node.nCoordinates));
                if (const long nIndex = DefinitionIndex(KindIndex(kind), kind, tag); nIndex >= 0)
                    nodeOfDefinition[static_cast<size_t>(nIndex)] =
                        static_cast<int32_t>(m_nodes.size());
                m_nodes.push_back(node);
            }
        }
    }
    // A node with fewer coordinates than the model's others stands in another space.
    for (const CNode& node : m_nodes)
    {
        if (node.nCoordinates < m_nDimensions)
            m_problems.push_back(
                {"model/node-dimensions",
                 "node " + Tag(calls, node.nCall) + " has " + std::to_string(node.nCoordinates) +
                     " coordinates, but the model's nodes have " + std::to_string(m_nDimensions),
                 calls[node.nCall].place,
                 {},
                 {},
                 static_cast<long>(node.nCall)});
    }
    // References, each to a tag defined before it; an element's nodes.
    bool bFixed = false;
    std::vector<std::string> elementTags;
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        wordsIn(
            nCall,
            [](uint8_t nRole)
            { return nRole >= kReference || nRole == kFixity || nRole == kForce; },
            roleWords);
        if (roleWords.empty())
            continue;
        const long nTagWord = TagWord(nCall);
        const CDryRunCall call = calls[nCall];
        const std::string kind(call.words[0]);
        const std::string who =
            nTagWord >= 0 ? kind + " " + Normal(call.words[static_cast<size_t>(nTagWord)]) : kind;
        CElement element;
        element.nCall = static_cast<uint32_t>(nCall);
        element.nFirstNode = static_cast<uint32_t>(m_elementNodes.size());
        elementTags.clear();
        bool bAllPlaced = true;
        // What a call without a tag of its own does to the first node it names.
        CSupport support;
        CLoad load;
        size_t nForces = 0;
        bool bFirstNodePlaced = false;
        for (const size_t nWord : roleWords)
        {
            const uint8_t nRole = m_roles[m_roleStarts[nCall] + nWord];
            if (nRole == kFixity)
            {
                double value = 0;
                const bool bFixes = Number(call.words[nWord], value) && value != 0;
                bFixed = bFixed || bFixes;
                if (bFixes && support.nFixities < 32)
                    support.fixed |= 1u << support.nFixities;
                support.nFixities = static_cast<uint8_t>(std::min(support.nFixities + 1, 255));
                continue;
            }
            if (nRole == kForce)
            {
                // The first components are forces along the axes; the rest are moments.
                double value = 0;
                if (nForces < static_cast<size_t>(m_nDimensions) &&
                    Number(call.words[nWord], value) && std::isfinite(value))
                    load.force[nForces] = value;
                ++nForces;
                continue;
            }
            const std::string& refKind = m_kinds[nRole - kReference];
            const std::string tag = Normal(call.words[nWord]);
            const long nIndex = DefinitionIndex(nRole - kReference, refKind, tag);
            const long nNode =
                nIndex >= 0 ? nodeOfDefinition[static_cast<size_t>(nIndex)] : long{-1};
            if (nIndex < 0)
            {
                m_problems.push_back(
                    {"model/undefined-tag",
                     who + " uses " + refKind + " " + tag + ", which is not defined",
                     call.place,
                     {},
                     {},
                     static_cast<long>(nCall)});
                bAllPlaced = false;
            }
            else
            {
                ++m_referenceCounts[static_cast<size_t>(nIndex)];
                const size_t nDefinition = m_definitions[static_cast<size_t>(nIndex)].second;
                if (nDefinition > nCall)
                    m_problems.push_back(
                        {"model/before-definition",
                         who + " uses " + refKind + " " + tag + " before it is defined at " +
                             where(calls[nDefinition].place, call.place),
                         call.place, calls[nDefinition].place,
                         refKind + " " + tag + " defined here", static_cast<long>(nCall)});
            }
            if (nRole != nNodeRole)
                continue;
            if (std::find(elementTags.begin(), elementTags.end(), tag) != elementTags.end() &&
                nTagWord >= 0)
                m_problems.push_back({"model/repeated-node",
                                      who + " names node " + tag + " twice",
                                      call.place,
                                      {},
                                      {},
                                      static_cast<long>(nCall)});
            if (elementTags.empty() && nNode >= 0)
            {
                support.nNode = load.nNode = static_cast<uint32_t>(nNode);
                bFirstNodePlaced = true;
            }
            elementTags.push_back(tag);
            if (nNode >= 0)
                m_elementNodes.push_back(static_cast<uint32_t>(nNode));
            else
                bAllPlaced = false;
        }
        if (nTagWord < 0 && bFirstNodePlaced)
        {
            support.nCall = load.nCall = static_cast<uint32_t>(nCall);
            if (support.nFixities > 0)
                m_supports.push_back(support);
            if (nForces > 0)
                m_loads.push_back(load);
        }
        element.nNodes = static_cast<uint32_t>(m_elementNodes.size() - element.nFirstNode);
        const bool bFirst = nTagWord >= 0 && !definesAgain[nCall];
        if (bFirst && element.nNodes >= 2)
        {
            // Nodes that all stand at one place make an element of no size.
            const std::span<const uint32_t> nodes = NodesOf(element);
            const bool bOnePlace =
                bAllPlaced && std::all_of(nodes.begin(), nodes.end(),
                                          [&](uint32_t nNode)
                                          {
                                              return std::equal(std::begin(m_nodes[nNode].xyz),
                                                                std::end(m_nodes[nNode].xyz),
                                                                std::begin(m_nodes[nodes[0]].xyz));
                                          });
            const bool bDistinct = std::any_of(nodes.begin(), nodes.end(),
                                               [&](uint32_t nNode) { return nNode != nodes[0]; });
            if (bOnePlace && bDistinct)
                m_problems.push_back({"model/zero-length",
                                      who + " has zero length: its nodes stand at one place",
                                      call.place,
                                      {},
                                      {},
                                      static_cast<long>(nCall)});
            m_elements.push_back(element);
        }
        else
            m_elementNodes.resize(element.nFirstNode);
    }
    if (!m_elements.empty())
    {
        const CDryRunPlace firstElement = calls[m_elements.front().nCall].place;
        if (!bFixed)
            m_problems.push_back({"model/no-support",
                                  "no node is fixed: the structure is free to move",
                                  firstElement,
                                  {},
                                  {}});
        // What nothing refers to, in the order of the calls.
        std::vector<uint32_t> unused;
        for (size_t nIndex = 0; nIndex < m_definitions.size(); ++nIndex)
        {
            if (m_referenceCounts[nIndex] == 0)
                unused.push_back(m_definitions[nIndex].second);
        }
        std::sort(unused.begin(), unused.end());
        for (const uint32_t nCall : unused)
        {
            const CDryRunCall call = calls[nCall];
            const std::string kind(call.words[0]);
            const auto found = std::find(m_kinds.begin(), m_kinds.end(), kind);
            const size_t nKind = static_cast<size_t>(found - m_kinds.begin());
            const std::string tag = Tag(calls, nCall);
            if (static_cast<long>(nKind) == m_nNodeKind)
            {
                m_problems.push_back(
                    {"model/unused-node",
                     "nothing uses node " + tag + ": no element, support or load names it",
                     call.place,
                     {},
                     {},
                     static_cast<long>(nCall)});
            }
            else if (found != m_kinds.end() && referable[nKind])
            {
                // An element refers to nodes: it is the model, not a property of it.
                wordsIn(nCall, isNodeReference, roleWords);
                if (roleWords.empty())
                {
                    m_problems.push_back(
                        {"model/unused-definition",
                         kind + " " + tag + " is defined, but nothing refers to it",
                         call.place,
                         {},
                         {},
                         static_cast<long>(nCall)});
                }
            }
        }
    }
    // Given back only when much of it went unused.
    if (m_nodes.size() < m_nodes.capacity() / 8 * 7)
        m_nodes.shrink_to_fit();
    if (m_elements.size() < m_elements.capacity() / 8 * 7)
        m_elements.shrink_to_fit();
    if (m_elementNodes.size() < m_elementNodes.capacity() / 8 * 7)
        m_elementNodes.shrink_to_fit();
    std::stable_sort(m_problems.begin(), m_problems.end(),
                     [](const CProblem& a, const CProblem& b)
                     {
                         return std::make_pair(a.place.nFile, a.place.nLine) <
                                std::make_pair(b.place.nFile, b.place.nLine);
                     });
}

CModelFacts::ERole CModelFacts::RoleOf(size_t nCall, size_t nWord) const
{
    if (nCall + 1 >= m_roleStarts.size())
        return ERole::None;
    const size_t nAt = m_roleStarts[nCall] + nWord;
    if (nAt >= m_roleStarts[nCall + 1])
        return ERole::None;
    const uint8_t nRole = m_roles[nAt];
    switch (nRole)
    {
    case kNone:
        return ERole::None;
    case kTag:
        return ERole::Tag;
    case kCoordinate:
        return ERole::Coordinate;
    case kFixity:
        return ERole::Fixity;
    case kForce:
        return ERole::Force;
    default:
        return static_cast<long>(nRole - kReference) == m_nNodeKind ? ERole::NodeTag
                                                                    : ERole::Reference;
    }
}

std::string_view CModelFacts::ReferenceKind(size_t nCall, size_t nWord) const
{
    if (nCall + 1 >= m_roleStarts.size())
        return {};
    const size_t nAt = m_roleStarts[nCall] + nWord;
    if (nAt >= m_roleStarts[nCall + 1] || m_roles[nAt] < kReference)
        return {};
    return m_kinds[m_roles[nAt] - kReference];
}

long CModelFacts::TagWord(size_t nCall) const
{
    if (nCall + 1 >= m_roleStarts.size())
        return -1;
    for (uint32_t n = m_roleStarts[nCall]; n < m_roleStarts[nCall + 1]; ++n)
    {
        if (m_roles[n] == kTag)
            return static_cast<long>(n - m_roleStarts[nCall]);
    }
    return -1;
}

std::string_view CModelFacts::KindOfPlaceholder(std::string_view name) const
{
    const long nKind = KindOfPlaceholder(name, m_kinds);
    return nKind < 0 ? std::string_view() : std::string_view(m_kinds[static_cast<size_t>(nKind)]);
}

long CModelFacts::KindOfPlaceholder(std::string_view name, const std::vector<std::string>& kinds)
{
    std::vector<std::string> lowerKinds;
    lowerKinds.reserve(kinds.size());
    for (const std::string& kind : kinds)
        lowerKinds.push_back(Lower(kind));
    return KindIndexOfPlaceholder(name, lowerKinds);
}

std::vector<size_t> CModelFacts::DefinitionsOf(const CDryRunCalls& calls,
                                               std::string_view kind) const
{
    std::vector<size_t> definitions;
    const size_t nCalls =
        std::min(calls.size(), m_roleStarts.empty() ? 0 : m_roleStarts.size() - 1);
    for (size_t nCall = 0; nCall < nCalls; ++nCall)
    {
        const CDryRunCall call = calls[nCall];
        if (call.words.empty() || call.words[0] != kind || TagWord(nCall) < 0)
            continue;
        if (DefinitionOf(calls, kind, Tag(calls, nCall)) == static_cast<long>(nCall))
            definitions.push_back(nCall);
    }
    return definitions;
}

std::vector<std::pair<size_t, size_t>> CModelFacts::ReferencesTo(const CDryRunCalls& calls,
                                                                 std::string_view kind,
                                                                 std::string_view tag) const
{
    std::vector<std::pair<size_t, size_t>> references;
    const long nKind = KindIndex(kind);
    if (nKind < 0)
        return references;
    const std::string normal = Normal(tag);
    const auto code = static_cast<uint8_t>(kReference + nKind);
    const size_t nCalls =
        std::min(calls.size(), m_roleStarts.empty() ? 0 : m_roleStarts.size() - 1);
    for (size_t nCall = 0; nCall < nCalls; ++nCall)
    {
        for (uint32_t n = m_roleStarts[nCall]; n < m_roleStarts[nCall + 1]; ++n)
        {
            if (m_roles[n] != code)
                continue;
            const size_t nWord = n - m_roleStarts[nCall];
            const CDryRunCall call = calls[nCall];
            if (nWord < call.words.size() && Normal(call.words[nWord]) == normal)
                references.emplace_back(nCall, nWord);
        }
    }
    return references;
}

uint64_t CModelFacts::KeyHash(std::string_view kind, std::string_view normalTag)
{
    return SeededHash64(kind, normalTag);
}

bool CModelFacts::SameDefinition(const CDryRunCalls& calls, size_t nCall, size_t nOther) const
{
    const CDryRunCall call = calls[nCall];
    const CDryRunCall other = calls[nOther];
    return call.words[0] == other.words[0] &&
           Normal(call.words[static_cast<size_t>(TagWord(nCall))]) ==
               Normal(other.words[static_cast<size_t>(TagWord(nOther))]);
}

// The calls by file and line, each line's in order: counted into place
// where the lines are few against the calls, as in a script of loops.
void CModelFacts::SortByLine(const CDryRunCalls& calls)
{
    long nLastLine = 0;
    long nFirstLine = 0;
    int nLastFile = 0;
    for (const uint32_t nCall : m_callsByLine)
    {
        nLastLine = std::max(nLastLine, calls[nCall].place.nLine);
        nFirstLine = std::min(nFirstLine, calls[nCall].place.nLine);
        nLastFile = std::max(nLastFile, calls[nCall].place.nFile);
    }
    const auto keyOf = [&](uint32_t nCall)
    {
        const CDryRunPlace place = calls[nCall].place;
        return static_cast<size_t>(place.nFile) * static_cast<size_t>(nLastLine + 1) +
               static_cast<size_t>(std::max(0L, place.nLine));
    };
    const size_t nKeys = static_cast<size_t>(nLastFile + 1) * static_cast<size_t>(nLastLine + 1);
    if (nFirstLine < 0 || nKeys > 4 * m_callsByLine.size() + 65536)
    {
        std::sort(m_callsByLine.begin(), m_callsByLine.end(),
                  [&calls](uint32_t nCall, uint32_t nOther)
                  {
                      const CDryRunPlace place = calls[nCall].place;
                      const CDryRunPlace other = calls[nOther].place;
                      return std::tie(place.nFile, place.nLine, nCall) <
                             std::tie(other.nFile, other.nLine, nOther);
                  });
        return;
    }
    std::vector<uint32_t> starts(nKeys + 1, 0);
    for (const uint32_t nCall : m_callsByLine)
        ++starts[keyOf(nCall) + 1];
    for (size_t k = 1; k <= nKeys; ++k)
        starts[k] += starts[k - 1];
    std::vector<uint32_t> sorted(m_callsByLine.size());
    for (const uint32_t nCall : m_callsByLine)
        sorted[starts[keyOf(nCall)]++] = nCall;
    m_callsByLine = std::move(sorted);
}

long CModelFacts::KindIndex(std::string_view kind) const
{
    for (size_t k = 0; k < m_kinds.size(); ++k)
    {
        if (m_kinds[k] == kind)
            return static_cast<long>(k);
    }
    return -1;
}

void CModelFacts::IndexSmallTags(size_t nCalls, const std::vector<CSmallTag>& smallTags)
{
    std::vector<size_t> limits(m_kinds.size(), 0);
    for (const CSmallTag& small : smallTags)
        ++limits[small.nKind];
    for (size_t& nLimit : limits)
        nLimit = nLimit * 2 + 1024;
    std::vector<int32_t> definitionOfCall(nCalls, -1);
    for (size_t nIndex = 0; nIndex < m_definitions.size(); ++nIndex)
        definitionOfCall[m_definitions[nIndex].second] = static_cast<int32_t>(nIndex);
    m_smallTags.assign(m_kinds.size(), {});
    for (const CSmallTag& small : smallTags)
    {
        // A call that defines its tag again is no first definition.
        const int32_t nIndex = definitionOfCall[small.nCall];
        if (nIndex < 0 || small.nTag >= limits[small.nKind])
            continue;
        // Every small tag below the limit is in the list, or is not defined.
        std::vector<int32_t>& tags = m_smallTags[small.nKind];
        if (tags.empty())
            tags.assign(limits[small.nKind], -1);
        tags[small.nTag] = nIndex;
    }
}

long CModelFacts::DefinitionIndex(long nKind, std::string_view kind,
                                  const std::string& normalTag) const
{
    if (nKind >= 0 && static_cast<size_t>(nKind) < m_smallTags.size())
    {
        const std::vector<int32_t>& tags = m_smallTags[static_cast<size_t>(nKind)];
        size_t nTag = 0;
        if (!tags.empty() && SmallTag(normalTag, tags.size(), nTag))
            return tags[nTag];
    }
    return DefinitionIndex(kind, normalTag);
}

long CModelFacts::DefinitionIndex(std::string_view kind, const std::string& normalTag) const
{
    if (m_definitionSlots.empty())
        return -1;
    const uint64_t nHash = KeyHash(kind, normalTag);
    const size_t nMask = m_definitionSlots.size() - 1;
    for (size_t nSlot = nHash & nMask; m_definitionSlots[nSlot] != 0; nSlot = (nSlot + 1) & nMask)
    {
        const size_t nIndex = m_definitionSlots[nSlot] - 1;
        if (m_definitions[nIndex].first == nHash)
            return static_cast<long>(nIndex);
    }
    return -1;
}

long CModelFacts::DefinitionOf(const CDryRunCalls& calls, std::string_view kind,
                               std::string_view tag) const
{
    const long nIndex = DefinitionIndex(KindIndex(kind), kind, Normal(tag));
    if (nIndex < 0)
        return -1;
    // The facts answer for the calls they were built from only.
    const uint32_t nCall = m_definitions[static_cast<size_t>(nIndex)].second;
    return nCall < calls.size() ? static_cast<long>(nCall) : -1;
}

uint32_t CModelFacts::ReferenceCount(const CDryRunCalls& /*calls*/, std::string_view kind,
                                     std::string_view tag) const
{
    const long nIndex = DefinitionIndex(KindIndex(kind), kind, Normal(tag));
    return nIndex < 0 || static_cast<size_t>(nIndex) >= m_referenceCounts.size()
               ? 0
               : m_referenceCounts[static_cast<size_t>(nIndex)];
}

std::string CModelFacts::Tag(const CDryRunCalls& calls, size_t nCall) const
{
    const long nTagWord = nCall < calls.size() ? TagWord(nCall) : -1;
    return nTagWord >= 0 ? Normal(calls[nCall].words[static_cast<size_t>(nTagWord)])
                         : std::string();
}

namespace
{
// The one of things kept in the order of their calls that a call made, or -1.
template <typename TThing> long OfCall(const std::vector<TThing>& things, size_t nCall)
{
    const auto it = std::lower_bound(things.begin(), things.end(), nCall,
                                     [](const TThing& thing, size_t n) { return thing.nCall < n; });
    return it != things.end() && it->nCall == nCall ? it - things.begin() : -1;
}
} // namespace

long CModelFacts::NodeOfCall(size_t nCall) const
{
    return OfCall(m_nodes, nCall);
}

long CModelFacts::ElementOfCall(size_t nCall) const
{
    return OfCall(m_elements, nCall);
}

std::vector<size_t> CModelFacts::CallsOn(const CDryRunCalls& calls, int nFile, long nLine) const
{
    std::vector<size_t> found;
    const auto placeOf = [&calls](uint32_t nCall)
    {
        const CDryRunPlace place = nCall < calls.size() ? calls[nCall].place : CDryRunPlace{};
        return std::make_pair(place.nFile, place.nLine);
    };
    const auto wanted = std::make_pair(nFile, nLine);
    for (auto it = std::lower_bound(m_callsByLine.begin(), m_callsByLine.end(), wanted,
                                    [&](uint32_t nCall, const std::pair<int, long>&place)
                                    { return placeOf(nCall) < place; });
         it != m_callsByLine.end() && placeOf(*it) == wanted; ++it)
        found.push_back(*it);
    return found;
}
