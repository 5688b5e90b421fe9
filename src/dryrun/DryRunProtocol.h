#pragma once

#include "DryRunReport.h"

#include <cstdio>
#include <nlohmann/json_fwd.hpp>
#include <string>
#include <string_view>
#include <vector>

// The dry run's answer, one JSON object to a line, written as the run goes:
//   {"dryrun":1}                                  the version, first
//   {"file":0,"path":"/work/frame.tcl"}           the script, then each sourced file
//   {"call":["node","1","0.0"],"f":0,"l":14}      a call of a library command
//                                                 ("cut":N: N more words not sent)
//   {"unknown":["foo","1"],"f":0,"l":3}           a call of a command nobody defines
//   {"refused":["exec","touch","x"],"f":0,"l":4}  a command the sandbox does not run
//   {"puts":"text\n"}                             what the script printed
//   {"error":"message","f":0,"l":9}               an error of a top-level command;
//                                                 the run goes on with the next
//   {"limit":"time","message":"...","f":0,"l":2}  the limit that ended it ("unsure":1:
//                                                 in a step on values it cannot know)
//   {"var":"bayWidth","value":"6.0"}              each global variable at the end
//   {"end":1,"ms":12}                             the last line
// JSON is written and read with nlohmann/json. A string carries a Tcl
// string's bytes one code point each (a byte of 0x80 or more as U+0080 to
// U+00FF), so that bytes that are not UTF-8 come through as they were.
namespace DryRunProtocol
{
// A string as the answer writes it: quoted, bytes as code points.
std::string Quote(std::string_view text);

class CWriter
{
public:
    explicit CWriter(std::FILE* pOut) : m_pOut(pOut) {}
    void Version();
    void File(int nFile, const std::string& path);
    void Call(CDryRunCall::EKind kind, int nWords, const std::string_view* pWords,
              const CDryRunPlace& place);
    void Puts(std::string_view text);
    void Error(const std::string& message, const CDryRunPlace& place);
    // bUnsure: the step it stopped in had met values the run cannot know (a
    // loop on a query's result may never end in a dry run).
    void Limit(const std::string& kind, const std::string& message, const CDryRunPlace& place,
               bool bUnsure = false);
    void Variable(const std::string& name, std::string_view value, bool bCut);
    void End(long nMs);
    void Flush();
    long long BytesWritten() const { return m_nBytes; }

private:
    void Line(const nlohmann::ordered_json& object);
    std::FILE* m_pOut;
    long long m_nBytes = 0;
};

// Reads an answer as it comes, in pieces of any size: each whole line goes
// into the report at once, so no more than one line of the answer is ever
// held. What it cannot read is skipped line by line, so a cut or garbled
// answer gives what came whole.
class CReader
{
public:
    explicit CReader(CDryRunReport& report);
    void Feed(std::string_view bytes);
    // Reads what is left; false when the answer is none (no version line, or
    // a version it does not know).
    bool Finish();
    // Nothing came at all.
    bool IsEmpty() const { return m_bEmpty; }

private:
    void Line(std::string_view line);
    // The end line came, or a first line that is not this version's.
    bool Done() const
    {
        return m_report.bEnded || (!m_bFirst && m_report.nVersion != CDryRunReport::kVersion);
    }

    CDryRunReport& m_report;
    std::string m_partial;            // a line whose end has not come yet
    std::vector<std::string> m_words; // a call's, kept for the next
    size_t m_nWords = 0;
    bool m_bFirst = true;
    bool m_bEmpty = true;
};

// Reads a whole answer.
bool Read(std::string_view bytes, CDryRunReport& report);

// A message, cut to kMaxMessageBytes with "..." behind.
std::string Cut(std::string_view text);

// What an answer holds at most, written or read: calls, variables and errors, the
// words of one call (the rest are counted in "cut"), words in all (the
// answer says it was cut past them), the bytes of a word, a value, a
// message (an error's or a limit's) and of what puts printed.
constexpr size_t kMaxCalls = 1000000;
constexpr size_t kMaxVariables = 100000;
constexpr size_t kMaxErrors = 1000;
constexpr size_t kMaxWordsPerCall = 1000;
constexpr size_t kMaxWords = 2000000;
constexpr size_t kMaxWordBytes = 4096;
constexpr size_t kMaxValueBytes = 1000;
constexpr size_t kMaxMessageBytes = 4096;
constexpr size_t kMaxOutputBytes = 1 << 20;
} // namespace DryRunProtocol
