#include "KnownTags.h"

#include "dryrun/DryRunResult.h"

CKnownTags CKnownTags::From(const CDryRunResult& run)
{
    CKnownTags known;
    const CModelFacts& facts = run.Facts();
    const CDryRunCalls& calls = run.Report().calls;
    known.m_kinds = facts.Kinds();
    known.m_tags.resize(known.m_kinds.size());
    for (size_t nCall = 0; nCall < calls.size(); ++nCall)
    {
        if (facts.TagWord(nCall) < 0)
            continue;
        const CDryRunCall call = calls[nCall];
        for (size_t k = 0; k < known.m_kinds.size(); ++k)
        {
            if (call.words.empty() || call.words[0] != known.m_kinds[k] ||
                known.m_tags[k].size() >= kMaxPerKind)
                continue;
            std::string tag = facts.Tag(calls, nCall);
            // Each tag once: its first definition.
            if (facts.DefinitionOf(calls, known.m_kinds[k], tag) == static_cast<long>(nCall))
                known.m_tags[k].push_back(std::move(tag));
        }
    }
    return known;
}

std::string_view CKnownTags::KindOfPlaceholder(std::string_view name) const
{
    const long nKind = CModelFacts::KindOfPlaceholder(name, m_kinds);
    return nKind < 0 ? std::string_view() : std::string_view(m_kinds[static_cast<size_t>(nKind)]);
}

const std::vector<std::string>& CKnownTags::TagsOf(std::string_view kind) const
{
    static const std::vector<std::string> s_none;
    for (size_t k = 0; k < m_kinds.size(); ++k)
    {
        if (m_kinds[k] == kind)
            return m_tags[k];
    }
    return s_none;
}
