#include "DryRunSource.h"

#include "BackgroundDisposal.h"
#include "dryrun/DryRunResult.h"
#include "run/Subprocess.h"

std::shared_ptr<CDryRunResult> CDryRunSource::Run(const CRequest& request,
                                                  const CCommandKnowledge& knowledge,
                                                  const std::function<bool()>& keepGoing)
{
    // The window may hold the last reference: it is freed on another thread.
    std::shared_ptr<CDryRunResult> pResult(new CDryRunResult,
                                           &BackgroundDisposal::Delete<CDryRunResult>);
    CSubprocess::COptions options;
    options.arguments = {request.helper, "--help-dir",       request.helpDir,
                         "--name",       request.scriptPath, "-"};
    options.input = *request.pText;
    options.nWallMs = kWallLimitMs;
    options.nNice = kNice;
    options.nMaxOutputBytes = kMaxAnswerBytes;
    // The answer is read line by line as it comes, never held whole.
    pResult->Begin(request.pText);
    const CSubprocess::CResult run = CSubprocess::Run(options, keepGoing,
                                                      [&](std::string_view bytes, bool bError)
                                                      {
                                                          if (!bError)
                                                              pResult->Feed(bytes);
                                                      });
    switch (run.end)
    {
    case CSubprocess::EEnd::Cancelled:
        return nullptr;
    case CSubprocess::EEnd::NotStarted:
        pResult->Fail("the dry run could not start " + request.helper + ": " + run.why);
        return pResult;
    default:
        break;
    }
    pResult->Finish(knowledge);
    if (pResult->Failure().empty())
    {
        if (run.end == CSubprocess::EEnd::TimedOut)
            pResult->MarkStopped("wall", "the dry run took longer than 5 s and was stopped");
        else if (run.end == CSubprocess::EEnd::TooMuchOutput)
            pResult->MarkStopped("output", "the dry run's answer was larger than 128 MB");
        else if (!pResult->Report().bEnded && pResult->Report().limit.empty())
            pResult->MarkStopped("ended", "the dry run ended before it had answered in full");
    }
    pResult->nWallMs = run.nWallMs;
    return pResult;
}
