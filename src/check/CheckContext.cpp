#include "CheckContext.h"

#include "CommandKnowledge.h"
#include "WordShape.h"
#include "analysis/RuleCatalogue.h"

#include <algorithm>

CCheckContext::CCheckContext(std::string_view text, const CCommandKnowledge& knowledge,
                             const CNameSet& tclCommands, const CNameSet& mathFunctions,
                             Tcl_Interp* pInterp)
    : m_text(text), m_knowledge(knowledge), m_tclCommands(tclCommands),
      m_mathFunctions(mathFunctions), m_pInterp(pInterp)
{
    m_lineStarts.push_back(0);
    for (size_t i = 0; i < text.size(); ++i)
    {
        if (text[i] == '\n')
            m_lineStarts.push_back(static_cast<long>(i) + 1);
    }
}

long CCheckContext::LineOf(const char* p) const
{
    return static_cast<long>(std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), Pos(p)) -
                             m_lineStarts.begin());
}

CFinding* CCheckContext::Add(std::string_view rule, const char* pStart, const char* pEnd,
                             std::string message)
{
    if (m_bCollecting)
        return nullptr;
    const long nSize = static_cast<long>(m_text.size());
    const long nStart = std::clamp(Pos(pStart), 0L, nSize);
    long nEnd = std::clamp(Pos(pEnd), nStart, nSize);
    if (nEnd == nStart && nEnd < nSize)
        ++nEnd;
    // A message quotes the script's words: a word of a megabyte is cut.
    if (message.size() > kMaxMessage)
        message = message.substr(0, kMaxMessage) + "...";
    CFinding finding;
    finding.severity = RuleCatalogue::SeverityOf(rule);
    finding.nStart = nStart;
    finding.nEnd = nEnd;
    finding.message = std::move(message);
    finding.rule = rule;
    m_findings.push_back(std::move(finding));
    return &m_findings.back();
}

void CCheckContext::OfferReplacement(CFinding* pFinding, const std::string& name)
{
    if (pFinding != nullptr && !name.empty())
        pFinding->fixes.push_back({"Replace with " + name, pFinding->nStart, pFinding->nEnd, name});
}

std::string CCheckContext::NearestCommand(std::string_view name)
{
    // The same unknown name comes again and again: its suggestion is kept.
    const auto known = m_suggestions.find(name);
    if (known != m_suggestions.end())
        return known->second;
    std::string best;
    if (!SpendOnSuggestions(ESuggestion::Command, m_knowledge.TopLevelNames().size() +
                                                      m_procedures.size() + m_tclCommands.size()))
        return best;
    size_t nBest = WordShape::MostEditsForSuggestion(name) + 1;
    // A qualified name is offered a qualified one, a plain name a plain one.
    const bool bQualified = name.find("::") != std::string_view::npos;
    const auto consider = [&](std::string_view candidate)
    {
        if ((candidate.find("::") != std::string_view::npos) != bQualified)
            return;
        const size_t nDistance = WordShape::EditDistance(name, candidate, nBest - 1);
        if (nDistance < nBest)
        {
            nBest = nDistance;
            best = candidate;
        }
    };
    for (const std::string& command : m_knowledge.TopLevelNames())
        consider(command);
    for (const auto& [procedure, nAt] : m_procedures)
        consider(procedure);
    for (const std::string& command : m_tclCommands)
        consider(command);
    m_suggestions.emplace(std::string(name), best);
    return best;
}

bool CCheckContext::SpendOnSuggestions(ESuggestion kind, size_t nCandidates)
{
    size_t& nSpent = m_suggestionComparisons[kind == ESuggestion::Command ? 0 : 1];
    if (nCandidates > kSuggestionComparisons - nSpent)
        return false;
    nSpent += nCandidates;
    return true;
}

void CCheckContext::Supersede(std::string_view rule, const char* pStart, const char* pEnd)
{
    if (!m_bCollecting)
        m_superseded.push_back({rule, Pos(pStart), Pos(pEnd)});
}

std::vector<CFinding> CCheckContext::TakeFindings()
{
    if (!m_superseded.empty())
    {
        std::sort(m_superseded.begin(), m_superseded.end(),
                  [](const CSuperseded& a, const CSuperseded& b) { return a.nStart < b.nStart; });
        long nLongest = 0;
        for (const CSuperseded& superseded : m_superseded)
            nLongest = std::max(nLongest, superseded.nEnd - superseded.nStart);
        std::erase_if(m_findings,
                      [&](const CFinding& finding)
                      {
                          if (finding.rule.compare(0, 6, "parse/") == 0)
                              return false;
                          // The ranges that start at or before the finding,
                          // back as far as the longest reaches.
                          auto it = std::upper_bound(m_superseded.begin(), m_superseded.end(),
                                                     finding.nStart,
                                                     [](long nPos, const CSuperseded& range)
                                                     { return nPos < range.nStart; });
                          while (it != m_superseded.begin())
                          {
                              --it;
                              if (it->nStart + nLongest <= finding.nStart)
                                  break;
                              if (finding.nStart < it->nEnd && finding.rule != it->rule)
                                  return true;
                          }
                          return false;
                      });
    }
    std::stable_sort(m_findings.begin(), m_findings.end(),
                     [](const CFinding& a, const CFinding& b) { return a.nStart < b.nStart; });
    return std::move(m_findings);
}
