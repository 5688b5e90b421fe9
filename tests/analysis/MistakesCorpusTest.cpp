// The mistakes engineers make, one script for each, each with the findings
// it must give: "# expect: <rule> <line>" lines at its top. corvale-check
// runs on each as CI would run it, the check and the dry run together, and
// must give exactly those: the mistake at its line, and no other finding.
#include "support/TempDir.h"

#include <algorithm>
#include <filesystem>
#include <gmock/gmock.h>
#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace
{
const std::string kMistakes = CORVALE_SOURCE_DIR "/tests/analysis/mistakes/";

std::string RunCheck(const std::string& path)
{
    const std::string command = std::string(CORVALE_CHECK_PATH) +
                                " --help-dir " CORVALE_SOURCE_DIR "/share/help --format json '" +
                                path + "' 2>/dev/null";
    std::string output;
    FILE* pPipe = popen(command.c_str(), "r");
    if (pPipe == nullptr)
        return output;
    char buffer[4096];
    size_t nRead = 0;
    while ((nRead = fread(buffer, 1, sizeof buffer, pPipe)) > 0)
        output.append(buffer, nRead);
    pclose(pPipe);
    return output;
}

// "rule line" of each finding expected, from the script's own lines.
std::vector<std::string> Expected(const std::string& text)
{
    std::vector<std::string> expected;
    std::istringstream lines(text);
    std::string line;
    const std::string marker = "# expect: ";
    while (std::getline(lines, line))
    {
        if (line.rfind(marker, 0) == 0)
            expected.push_back(line.substr(marker.size()));
    }
    std::sort(expected.begin(), expected.end());
    return expected;
}
} // namespace

TEST(MistakesCorpus, EachMistakeIsFoundAtItsLineAndNothingElse)
{
    std::vector<fs::path> scripts;
    for (const auto& entry : fs::directory_iterator(kMistakes))
    {
        if (entry.path().extension() == ".tcl")
            scripts.push_back(entry.path());
    }
    std::sort(scripts.begin(), scripts.end());
    ASSERT_GE(scripts.size(), 8U);
    for (const fs::path& script : scripts)
    {
        const std::vector<std::string> expected = Expected(ReadFileBytes(script.string()));
        ASSERT_FALSE(expected.empty()) << script << " says what it expects";
        std::vector<std::string> found;
        const nlohmann::json findings =
            nlohmann::json::parse(RunCheck(script.string()), nullptr, false);
        ASSERT_TRUE(findings.is_array()) << script;
        for (const nlohmann::json& finding : findings)
            found.push_back(finding.value("rule", std::string()) + " " +
                            std::to_string(finding.value("line", 0)));
        std::sort(found.begin(), found.end());
        EXPECT_EQ(found, expected) << script.filename();
    }
}
