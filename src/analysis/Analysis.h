#pragma once

#include "Finding.h"

#include <memory>
#include <string>
#include <vector>

class CCommandKnowledge;
class CDryRunResult;
class CKnownTags;
class CScriptOutline;

// One script's analysis at one version of its text: the findings of every
// rule, and the dry run's result once it is in.
struct CAnalysis
{
    enum class EStage
    {
        Checked,  // the static rules' findings; the dry run is still to come
        Complete, // every source's findings are in
    };

    std::string path;
    long nVersion = 0;
    EStage stage = EStage::Checked;
    // The script's findings by place, then those of its sourced files. While
    // the dry run is to come, its findings of the last text are carried over.
    std::vector<CFinding> findings;
    // The dry run of this text; nullptr while it is to come, or with none.
    std::shared_ptr<const CDryRunResult> pDryRun;
    // What the text defines, as the check found it; nullptr with the check off.
    std::shared_ptr<const CScriptOutline> pOutline;
    // The usage forms the analysis knew (the library's and the project's).
    std::shared_ptr<const CCommandKnowledge> pKnowledge;
    // The tags the dry run saw defined, by kind; with pDryRun.
    std::shared_ptr<const CKnownTags> pTags;

    int Count(ESeverity severity) const
    {
        int n = 0;
        for (const CFinding& finding : findings)
            n += finding.severity == severity ? 1 : 0;
        return n;
    }
};
