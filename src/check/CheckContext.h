#pragma once

#include "ProcSignature.h"
#include "StringTable.h"
#include "analysis/Finding.h"

#include <string>
#include <string_view>
#include <tcl.h>
#include <vector>

class CCommandKnowledge;

// What one check of one script knows, for its rules to read, and where they
// put their findings. The text is the padded copy Tcl parses; every pointer
// a rule is given points into it.
class CCheckContext
{
public:
    CCheckContext(std::string_view text, const CCommandKnowledge& knowledge,
                  const CNameSet& tclCommands, const CNameSet& mathFunctions, Tcl_Interp* pInterp);

    // A finding of the rule over [pStart, pEnd), which the fix goes with if
    // the rule offers one; nullptr while the check only collects.
    CFinding* Add(std::string_view rule, const char* pStart, const char* pEnd, std::string message);
    // The word the finding covers, replaced with name ("Replace with node").
    static void OfferReplacement(CFinding* pFinding, const std::string& name);
    // While sourced files are read for what they define, nothing is reported.
    void SetCollecting(bool bCollecting) { m_bCollecting = bCollecting; }

    std::string_view Text() const { return m_text; }
    long Pos(const char* p) const { return static_cast<long>(p - m_text.data()); }
    // The line (from 1) of a place in the text.
    long LineOf(const char* p) const;

    const CCommandKnowledge& Knowledge() const { return m_knowledge; }
    const CNameSet& TclCommands() const { return m_tclCommands; }
    const CNameSet& MathFunctions() const { return m_mathFunctions; }
    // The interpreter that parses: after a parse error its result is Tcl's message.
    Tcl_Interp* Interp() const { return m_pInterp; }

    // The script's procedures (and aliases), by name, with where the proc
    // stands at the main script's top level: -1 elsewhere, or more than once.
    CNameMap<long>& Procedures() { return m_procedures; }
    // The parameters of each procedure by its whole name ("geometry::area"),
    // and by its last part ("area"), as a call from its namespace names it.
    CNameMap<CProcSignature>& Signatures() { return m_signatures; }
    CNameMap<CProcSignature>& ShortSignatures() { return m_shortSignatures; }
    // The known command nearest to name within a small edit distance, or "".
    std::string NearestCommand(std::string_view name);
    // Takes nCandidates from what one check may spend on suggestions; false,
    // and nothing taken, once that is spent. A file of thousands of unknown
    // names against thousands of known ones would otherwise take seconds.
    // Commands and variables spend apart, so that neither goes without.
    enum class ESuggestion
    {
        Command,
        Variable
    };
    bool SpendOnSuggestions(ESuggestion kind, size_t nCandidates);
    static constexpr size_t kSuggestionComparisons = 1'000'000;

    // A sourced file that could not be read: the word that names it in the
    // script (nullptr: in a sourced file), and why; or, bMissing, that is not
    // there, why then its name.
    struct CUnreadSource
    {
        const char* pWord;
        long nSize;
        std::string why;
        bool bMissing;
    };
    std::vector<CUnreadSource>& UnreadSources() { return m_unreadSources; }

    // A rule that names the cause of the trouble over [pStart, pEnd) takes
    // the place of what other rules say of it there (a word the cause made
    // unknown, an argument it made too many); what Tcl cannot parse stays.
    void Supersede(std::string_view rule, const char* pStart, const char* pEnd);

    // The variables the sourced files set at their top level.
    CNameSet& SourcedGlobals() { return m_sourcedGlobals; }
    const CNameSet& SourcedGlobals() const { return m_sourcedGlobals; }
    // A source the check could not follow: what the script gets from its
    // sourced files is not all known.
    void MarkSourcesUnknown() { m_bSourcesUnknown = true; }
    bool SourcesKnown() const { return !m_bSourcesUnknown && m_unreadSources.empty(); }

    // The findings, in the order of their positions.
    std::vector<CFinding> TakeFindings();

    static constexpr size_t kMaxMessage = 1000;

private:
    std::string_view m_text;
    const CCommandKnowledge& m_knowledge;
    const CNameSet& m_tclCommands;
    const CNameSet& m_mathFunctions;
    Tcl_Interp* m_pInterp;
    std::vector<long> m_lineStarts;
    bool m_bCollecting = false;
    std::vector<CFinding> m_findings;
    CNameMap<long> m_procedures;
    CNameMap<CProcSignature> m_signatures;
    CNameMap<CProcSignature> m_shortSignatures;
    CNameMap<std::string> m_suggestions;
    size_t m_suggestionComparisons[2] = {0, 0};
    std::vector<CUnreadSource> m_unreadSources;
    CNameSet m_sourcedGlobals;
    bool m_bSourcesUnknown = false;
    struct CSuperseded
    {
        std::string_view rule;
        long nStart;
        long nEnd;
    };
    std::vector<CSuperseded> m_superseded;
};
