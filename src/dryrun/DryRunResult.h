#pragma once

#include "DryRunReport.h"
#include "ModelFacts.h"
#include "trace/ScriptIndex.h"

#include <functional>
#include <memory>
#include <string>
#include <unordered_map>

class CCommandKnowledge;
class CScriptOutline;
namespace DryRunProtocol
{
class CReader;
}

// A dry run of one text of the script, read: its report, what the calls
// build, and what the editor shows of it over the text.
class CDryRunResult
{
public:
    CDryRunResult();
    ~CDryRunResult();

    // Reads the helper's answer for a text; when the answer is none, why. The
    // text is shared, never copied: the result keeps it for its hovers.
    void Read(std::string_view answer, std::shared_ptr<const std::string> pText,
              const CCommandKnowledge& knowledge);
    void Read(std::string_view answer, std::string text, const CCommandKnowledge& knowledge);
    // The same, as the answer comes: Begin, Feed each piece, then Finish.
    // Only a line of the answer is held at a time.
    void Begin(std::shared_ptr<const std::string> pText);
    void Feed(std::string_view bytes);
    void Finish(const CCommandKnowledge& knowledge);
    // The run could not be made at all.
    void Fail(std::string why);
    // The editor ended the run before its end: kind and why, as a limit.
    void MarkStopped(const std::string& kind, const std::string& why);

    const CDryRunReport& Report() const { return m_report; }
    const CModelFacts& Facts() const { return m_facts; }
    const std::string& Failure() const { return m_failure; }
    const std::string& Text() const { return *m_pText; }

    // The value a global variable had at the end, or nullptr.
    const CDryRunVariable* ValueOf(const std::string& name) const;
    // What the check found the text defines, for the variables set in loops.
    void SetOutline(std::shared_ptr<const CScriptOutline> pOutline);
    // The variable is set inside a loop: its value is the last of several.
    bool IsSetInLoop(const std::string& name) const;
    // What a hover over a byte of the text shows: a variable's value, where
    // a tag is defined; empty for nothing.
    std::string TipAt(size_t nPos) const;
    // The text of a variable's tip ("bayWidth = 6.0").
    std::string VariableTip(const std::string& name) const;
    // The call that first defines the tag a byte of the text names, or
    // defines there; -1 for none.
    long DefinitionAt(size_t nPos) const;
    // The kind and tag the word at a position names, as a definition or a
    // reference, from the call the line made last; false for none.
    bool TagAt(size_t nPos, std::string& kind, std::string& tag) const;

    // How long the editor waited for the answer.
    long nWallMs = 0;

private:
    std::string TagTip(const CScriptIndex::CCommand& command, long nLine, size_t nWord) const;
    using WordVisitor =
        std::function<void(const CScriptIndex::CCommand& command, long nLine, size_t nWord)>;
    // The word of a call at a byte of the text, if any, with its command and line.
    void VisitWordAt(size_t nPos, const WordVisitor& visit) const;
    // The call the command of a line made, the last of several; -1 for none.
    long CallOf(const CScriptIndex::CCommand& command, long nLine, size_t& nCalls) const;

    CDryRunReport m_report;
    std::unique_ptr<DryRunProtocol::CReader> m_pReader; // while an answer comes
    CModelFacts m_facts;
    std::string m_failure;
    std::shared_ptr<const std::string> m_pText = std::make_shared<const std::string>();
    std::unordered_map<std::string, size_t> m_variables;
    std::shared_ptr<const CScriptOutline> m_pOutline;
};
