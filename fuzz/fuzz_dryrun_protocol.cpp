// The editor's reader of the dry-run helper's answers, on arbitrary bytes
// (the same bytes are the text the answer is for): every place names a file
// of the answer or none, what the calls build refers only to what exists,
// and a hover anywhere in the text neither crashes nor hangs.
#include "FuzzSupport.h"
#include "check/CommandKnowledge.h"
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
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes = BytesOf(pData, nSize);
    CDryRunResult result;
    result.Read(bytes, std::string(bytes), Knowledge());
    const CDryRunReport& report = result.Report();
    if (!result.Failure().empty())
        return 0;
    for (const CDryRunCall& call : report.calls)
    {
        Require(!call.words.empty(), "a call has its command's name");
        RequirePlace(call.place, report);
    }
    RequirePlace(report.errorPlace, report);
    RequirePlace(report.limitPlace, report);
    const CModelFacts& facts = result.Facts();
    for (const CModelFacts::CNode& node : facts.Nodes())
        Require(node.nCall < report.calls.size(), "a node comes from a call");
    for (const CModelFacts::CElement& element : facts.Elements())
    {
        Require(element.nCall < report.calls.size(), "an element comes from a call");
        for (const size_t nNode : element.nodes)
            Require(nNode < facts.Nodes().size(), "an element's nodes are drawn nodes");
    }
    for (const CModelFacts::CProblem& problem : facts.Problems())
    {
        Require(!problem.message.empty(), "a problem says what is wrong");
        RequirePlace(problem.place, report);
    }
    for (size_t nPos = 0; nPos < nSize && nPos < 512; ++nPos)
        (void)result.TipAt(nPos);
    return 0;
}
