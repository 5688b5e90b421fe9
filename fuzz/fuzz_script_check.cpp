// The script check on arbitrary bytes, with the bundled library: findings
// lie inside the text, come in order, and nothing crashes or hangs. Sourced
// files are never read.
#include "FuzzSupport.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"
#include "helplib/CommandLibrary.h"

namespace
{
CScriptChecker& Checker()
{
    static CFuzzMessages s_messages;
    static CCommandLibrary s_library;
    static CCommandKnowledge s_knowledge;
    static CScriptChecker* s_pChecker = []
    {
        s_library.Load(CORVALE_SOURCE_DIR "/share/help/", s_messages);
        s_knowledge.Build(s_library);
        return new CScriptChecker(s_knowledge);
    }();
    return *s_pChecker;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string_view text = BytesOf(pData, nSize);
    const std::vector<CFinding> findings = Checker().Check(
        text, "/nonexistent", [](const std::string&, std::string&) { return false; });
    long nLast = 0;
    for (const CFinding& finding : findings)
    {
        Require(finding.nStart >= nLast, "findings come in order");
        Require(finding.nStart <= finding.nEnd && finding.nEnd <= static_cast<long>(nSize),
                "a finding lies inside the text");
        Require(!finding.message.empty(), "a finding says what is wrong");
        nLast = finding.nStart;
    }
    return 0;
}
