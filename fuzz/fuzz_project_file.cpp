// The project file reader on arbitrary file bytes.
#include "FuzzSupport.h"
#include "analysis/ProjectFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* pData, size_t nSize)
{
    const CProjectFile project = CProjectFile::Parse(BytesOf(pData, nSize), "/p/corvale.toml");
    // Every problem stands in the file; applying it keeps only known findings.
    for (const CFinding& finding : project.Problems())
        Require(finding.file == "/p/corvale.toml" && finding.nLine >= 1,
                "a problem stands in the project file");
    std::vector<CFinding> findings(1);
    findings[0].rule = "command/unknown";
    project.Apply(findings);
    Require(findings.size() <= 1 + project.Problems().size(), "applying adds only its problems");
    return 0;
}
