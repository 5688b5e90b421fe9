// A run's output bytes through the decoder, the trace parser and the mapper
// (the same bytes are the script the traces are mapped into): every frame,
// link and place lies inside the line it came from, every mapped line inside
// its file, and nothing crashes or hangs. Only the scratch folder is read.
#include "FuzzSupport.h"
#include "check/ScriptChecker.h"
#include "run/OutputDecoder.h"
#include "trace/TraceMapper.h"
#include "trace/TraceParser.h"

#include <algorithm>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const std::string_view bytes = BytesOf(pData, nSize);
    const std::string script = WriteScratchFile("script.tcl", bytes);
    const long nScriptLines = static_cast<long>(std::count(bytes.begin(), bytes.end(), '\n')) + 1;

    COutputDecoder decoder;
    // Split into two reads, as a pipe may hand them over.
    decoder.Feed(bytes.substr(0, nSize / 2), false);
    decoder.Feed(bytes.substr(nSize / 2), true);
    decoder.Finish();
    std::vector<COutputDecoder::CLine> lines = decoder.TakeLines();
    lines.push_back(decoder.OpenLine());

    CTraceParser parser;
    for (const COutputDecoder::CLine& line : lines)
    {
        Require(line.colours.size() == line.text.size() && line.errors.size() == line.text.size(),
                "a colour and a stream for every byte");
        parser.AddLine(line.text);
    }
    parser.Finish();
    const auto inLine = [&lines](long nLine, size_t nFrom, size_t nTo)
    {
        return nLine >= 0 && nLine < static_cast<long>(lines.size()) && nFrom < nTo &&
               nTo <= lines[static_cast<size_t>(nLine)].text.size() + 1;
    };

    const std::string& folder = ScratchFolder();
    CTraceMapper mapper(folder, script,
                        [&folder](const std::string& path, std::string& text) {
                            return path.compare(0, folder.size(), folder) == 0 &&
                                   CScriptChecker::ReadFile(path, text);
                        });
    for (const CTraceParser::CTrace& trace : parser.TakeTraces())
    {
        for (const CTraceParser::CStep& step : trace.steps)
        {
            if (step.frame.kind != CTraceParser::EFrameKind::None)
                Require(inLine(step.frame.nOutputLine, step.frame.nFrom, step.frame.nTo),
                        "a frame lies inside its line");
        }
        for (const CTraceMapper::CLocation& location : mapper.Map(trace))
        {
            Require(inLine(location.nOutputLine, location.nFrom, location.nTo),
                    "a trace's link lies inside its line");
            Require(location.path != script ||
                        (location.nLine >= 1 && location.nLine <= nScriptLines),
                    "a mapped line lies inside the script");
        }
    }
    for (const CTraceParser::CPlainLink& link : parser.TakePlainLinks())
    {
        Require(inLine(link.nOutputLine, link.nFrom, link.nTo),
                "a plain place lies inside its line");
        CTraceMapper::CLocation location;
        if (mapper.MapPlain(link, location))
            Require(location.nLine >= 1, "a plain place has a line");
    }
    return 0;
}
