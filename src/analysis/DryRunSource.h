#pragma once

#include <functional>
#include <memory>
#include <string>

class CCommandKnowledge;
class CDryRunResult;

// The dry run as the analysis makes it: the corvale-dryrun helper, given the
// text on its standard input, niced and held to a wall-clock limit; its
// answer read into a result. A run that keepGoing ends gives nullptr.
class CDryRunSource
{
public:
    struct CRequest
    {
        std::shared_ptr<const std::string> pText; // shared with the result, never copied
        std::string scriptPath; // where the text stands, for its folder and sourced files
        std::string helper;     // the corvale-dryrun program
        std::string helpDir;
    };

    static std::shared_ptr<CDryRunResult> Run(const CRequest& request,
                                              const CCommandKnowledge& knowledge,
                                              const std::function<bool()>& keepGoing);

    static constexpr int kWallLimitMs = 5000;
    // The most of an answer that is read; the rest ends the run.
    static constexpr long long kMaxAnswerBytes = 128LL << 20;
    // It yields to the window; never idle-class, since Tcl's time limit is
    // wall time and a starved sandbox would reach it doing nothing.
    static constexpr int kNice = 10;
};
