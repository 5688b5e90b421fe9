// corvale-check: the script check from the command line, one line per
// finding in the form compilers use, or JSON.
#include "CommandKnowledge.h"
#include "ScriptChecker.h"
#include "config/Configuration.h"
#include "helplib/CommandLibrary.h"
#include "text/RegularFile.h"
#include "text/Utf8Detector.h"

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace
{
constexpr int kClean = 0;
constexpr int kWarnings = 1;
constexpr int kErrors = 2;
constexpr int kUnusable = 3;
constexpr size_t kMaxScriptBytes = 64u << 20;

class CStandardError : public CMessageSink
{
public:
    void ShowMessage(const std::string& text) override
    {
        std::fprintf(stderr, "corvale-check: %s\n", text.c_str());
    }
};

void Usage()
{
    std::fprintf(stderr,
                 "usage: corvale-check [--help-dir DIR] [--format gcc|json] script.tcl...\n");
}

// Line and column (1-based) of positions: a character of a UTF-8 file
// counts once, any other byte once; a tab counts as one. Counted once per
// file, so that a file of many findings takes no longer than one of few.
class CLineColumns
{
public:
    CLineColumns(const std::string& text, bool bUtf8) : m_characters(text.size() + 1, 0)
    {
        m_lineStarts.push_back(0);
        uint32_t nCharacters = 0;
        for (size_t i = 0; i < text.size(); ++i)
        {
            m_characters[i] = nCharacters;
            const auto c = static_cast<unsigned char>(text[i]);
            if (!bUtf8 || (c & 0xC0) != 0x80)
                ++nCharacters;
            if (c == '\n')
                m_lineStarts.push_back(i + 1);
        }
        m_characters[text.size()] = nCharacters;
    }
    void Find(long nPos, long& nLine, long& nColumn) const
    {
        const size_t nAt =
            std::min(static_cast<size_t>(std::max(nPos, 0L)), m_characters.size() - 1);
        const auto line = std::upper_bound(m_lineStarts.begin(), m_lineStarts.end(), nAt) - 1;
        nLine = static_cast<long>(line - m_lineStarts.begin()) + 1;
        nColumn = static_cast<long>(m_characters[nAt] - m_characters[*line]) + 1;
    }

private:
    std::vector<uint32_t> m_characters; // characters before each byte
    std::vector<size_t> m_lineStarts;
};

std::string Json(const std::string& text)
{
    std::string out = "\"";
    for (const char c : text)
    {
        const auto u = static_cast<unsigned char>(c);
        if (c == '"' || c == '\\')
            out += std::string("\\") + c;
        else if (c == '\n')
            out += "\\n";
        else if (u < 0x20 || u >= 0x80)
        {
            char buffer[8];
            std::snprintf(buffer, sizeof buffer, "\\u%04x", u);
            out += buffer;
        }
        else
            out += c;
    }
    return out + "\"";
}
} // namespace

int main(int argc, char** argv)
{
    std::string helpDir;
    std::string format = "gcc";
    std::vector<std::string> scripts;
    for (int i = 1; i < argc; ++i)
    {
        const std::string argument = argv[i];
        if (argument == "--help-dir" && i + 1 < argc)
            helpDir = argv[++i];
        else if (argument == "--format" && i + 1 < argc)
            format = argv[++i];
        else if (argument == "--help" || argument == "-h")
        {
            Usage();
            return kClean;
        }
        else if (!argument.empty() && argument[0] == '-' && argument != "-")
        {
            Usage();
            return kUnusable;
        }
        else
            scripts.push_back(argument);
    }
    if (scripts.empty() || (format != "gcc" && format != "json"))
    {
        Usage();
        return kUnusable;
    }
    CStandardError messages;
    SetDefaultMessageSink(&messages);
    helpDir = CConfiguration::HelpDirectory(helpDir, messages);
    CCommandLibrary library;
    library.Load(helpDir, messages);
    CCommandKnowledge knowledge;
    knowledge.Build(library);
    CScriptChecker checker(knowledge);

    int nStatus = kClean;
    std::string json = "[";
    for (const std::string& script : scripts)
    {
        // A script named here may be as large as a dry run takes; a FIFO or
        // a device is refused, never waited on.
        std::string text;
        const CRegularFile::EResult read = CRegularFile::Read(script, kMaxScriptBytes, text);
        if (read != CRegularFile::EResult::Read)
        {
            std::fprintf(stderr, "corvale-check: cannot read %s: it %s\n", script.c_str(),
                         CRegularFile::Why(read, kMaxScriptBytes).c_str());
            nStatus = kUnusable;
            continue;
        }
        const std::string folder = std::filesystem::path(script).parent_path().string();
        const CLineColumns places(text, CUtf8Detector::IsUtf8(text));
        for (const CFinding& finding : checker.Check(text, folder))
        {
            long nLine = 0;
            long nColumn = 0;
            places.Find(finding.nStart, nLine, nColumn);
            long nEndLine = 0;
            long nEndColumn = 0;
            places.Find(finding.nEnd, nEndLine, nEndColumn);
            const bool bError = finding.severity == ESeverity::Error;
            if (nStatus != kUnusable)
                nStatus = std::max(nStatus, bError ? kErrors : kWarnings);
            if (format == "gcc")
                std::printf("%s:%ld:%ld: %s: %s\n", script.c_str(), nLine, nColumn,
                            bError ? "error" : "warning", finding.message.c_str());
            else
            {
                json += json.size() > 1 ? ",\n " : "\n ";
                json += "{\"file\": " + Json(script) + ", \"line\": " + std::to_string(nLine) +
                        ", \"column\": " + std::to_string(nColumn) +
                        ", \"endLine\": " + std::to_string(nEndLine) +
                        ", \"endColumn\": " + std::to_string(nEndColumn) + ", \"severity\": \"" +
                        (bError ? "error" : "warning") +
                        "\", \"message\": " + Json(finding.message) + "}";
            }
        }
    }
    if (format == "json")
        std::printf("%s\n]\n", json.c_str());
    return nStatus;
}
