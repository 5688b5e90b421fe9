// The editor's reader of the dry-run helper's answers, on arbitrary bytes
// (the same bytes are the text the answer is for): every place names a file
// of the answer or none, what the calls build refers only to what exists,
// and a hover anywhere in the text neither crashes nor hangs.
#include "FuzzSupport.h"
#include "check/CommandKnowledge.h"
#include "dryrun/DryRunProtocol.h"
#include "dryrun/DryRunResult.h"
#include "helplib/CommandLibrary.h"

namespace
{
const CCommandKnowledge& Knowledge()
{
    static CFuzzMessages s_messages;
    static CCommandLibrary s_library;
    static CCommandKnowledge* s_pKnowledge = []
    {
        s_library.Load(CORVALE_SOURCE_DIR "/share/help/", s_messages);
        auto* pKnowledge = new CCommandKnowledge;
        pKnowledge->Build(s_library);
        return pKnowledge;
    }();
    return *s_pKnowledge;
}

void RequirePlace(const CDryRunPlace& place, const CDryRunReport& report)
{
    Require(place.nFile == -1 ||
                (place.nFile >= 0 && static_cast<size_t>(place.nFile) < report.files.size()),
            "a place names a file of the answer, or none");
    Require(place.nLine >= 0, "a line is never negative");
}

// An input that opens with 0xFE becomes an answer of huge calls and values:
// the second byte says how many times 10 words (past the 1,000 a call keeps),
// the rest is a word and a value.
std::string Expanded(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes = BytesOf(pData, nSize);
    if (nSize < 2 || pData[0] != 0xFE)
        return std::string(bytes);
    const std::string word = DryRunProtocol::Quote(bytes.substr(2, 8));
    std::string answer = "{\"dryrun\":1}\n{\"file\":0,\"path\":\"s.tcl\"}\n{\"call\":[\"node\"";
    for (size_t i = 0; i < static_cast<size_t>(pData[1]) * 10; ++i)
        answer += "," + word;
    answer += "],\"f\":0,\"l\":1}\n{\"var\":\"v\",\"value\":\"";
    answer += std::string(static_cast<size_t>(pData[1]) * 1000, 'v');
    answer +=
        "\"}\n{\"error\":" + DryRunProtocol::Quote(bytes.substr(std::min(nSize, size_t{10}))) +
        ",\"f\":0,\"l\":1}\n{\"end\":1,\"ms\":1}\n";
    return answer;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string expanded = Expanded(pData, nSize);
    const std::string_view bytes = expanded;
    CDryRunResult result;
    // The script is the input as it came: an expanded answer is for a short text.
    result.Read(bytes, std::string(BytesOf(pData, nSize)), Knowledge());
    const CDryRunReport& report = result.Report();
    if (!result.Failure().empty())
        return 0;
    for (const CDryRunCall call : report.calls)
    {
        Require(!call.words.empty(), "a call has its command's name");
        Require(call.words.size() <= DryRunProtocol::kMaxWordsPerCall, "a call's words are capped");
        RequirePlace(call.place, report);
    }
    Require(report.errors.size() <= DryRunProtocol::kMaxErrors, "the errors are capped");
    for (const CDryRunError& error : report.errors)
    {
        RequirePlace(error.place, report);
        Require(error.message.size() <= DryRunProtocol::kMaxMessageBytes + 3,
                "a message is capped");
    }
    RequirePlace(report.limitPlace, report);
    const CModelFacts& facts = result.Facts();
    for (const CModelFacts::CNode& node : facts.Nodes())
        Require(node.nCall < report.calls.size(), "a node comes from a call");
    for (const CModelFacts::CElement& element : facts.Elements())
    {
        Require(element.nCall < report.calls.size(), "an element comes from a call");
        for (const uint32_t nNode : facts.NodesOf(element))
            Require(nNode < facts.Nodes().size(), "an element's nodes are drawn nodes");
        Require(facts.ElementOfCall(element.nCall) == &element - facts.Elements().data(),
                "an element is found from its call");
    }
    for (const CModelFacts::CNode& node : facts.Nodes())
        Require(facts.NodeOfCall(node.nCall) == &node - facts.Nodes().data(),
                "a node is found from its call");
    for (const CModelFacts::CProblem& problem : facts.Problems())
    {
        Require(!problem.message.empty(), "a problem says what is wrong");
        RequirePlace(problem.place, report);
    }
    for (size_t nPos = 0; nPos < nSize && nPos < 512; ++nPos)
        (void)result.TipAt(nPos);
    return 0;
}
