// The script check on arbitrary bytes, with the bundled library: findings
// lie inside the text, come in order, and nothing crashes or hangs. Sourced
// files are never read.
#include "FuzzSupport.h"
#include "check/CommandKnowledge.h"
#include "check/ScriptChecker.h"
#include "check/ScriptOutline.h"
#include "helplib/CommandLibrary.h"

#include <algorithm>
#include <memory>

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

// An input that opens with 0xFF is a seed repeated: its second byte says how
// many hundred times, so that nesting tens of thousands deep is in reach.
std::string Expanded(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes = BytesOf(pData, nSize);
    if (nSize < 3 || pData[0] != 0xFF)
        return std::string(bytes);
    std::string text;
    const size_t nTimes = static_cast<size_t>(pData[1]) * 100;
    const std::string_view seed = bytes.substr(2, 16);
    for (size_t i = 0; i < nTimes && text.size() < (1u << 18); ++i)
        text += seed;
    text += bytes.substr(std::min(bytes.size(), size_t{18}));
    return text;
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    // The text in a buffer of its own size: a read past its end is a finding.
    const std::string expanded = Expanded(pData, nSize);
    const std::unique_ptr<char[]> pExact(new char[std::max<size_t>(expanded.size(), 1)]);
    std::copy(expanded.begin(), expanded.end(), pExact.get());
    const std::string_view text(pExact.get(), expanded.size());
    nSize = text.size();
    CScriptOutline outline;
    const std::vector<CFinding> findings = Checker().Check(
        text, "/nonexistent", [](const std::string&, std::string&) { return false; }, {}, &outline);
    const auto inside = [&](const CScriptOutline::CPlace& place)
    {
        Require(place.nStart >= 0 && place.nStart <= place.nEnd &&
                    place.nEnd <= static_cast<long>(nSize),
                "what the outline names lies inside the text");
    };
    for (const CScriptOutline::CProcedure& procedure : outline.Procedures())
        inside(procedure.place);
    for (const CScriptOutline::CVariable& variable : outline.Variables())
        inside(variable.firstSet);
    for (const CScriptOutline::CSource& source : outline.Sources())
        inside(source.place);
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
