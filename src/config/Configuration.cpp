#include "Configuration.h"

#include "ConfigurationLocation.h"
#include "text/TextFileReader.h"
#include "text/WhiteSpace.h"

#include <algorithm>
#include <string_view>

namespace
{
// One read of a line holds at most this many characters; the rest of a longer
// line is read as the next line.
constexpr size_t kMaxLine = 999;

bool StartsWith(const std::string& text, std::string_view prefix)
{
    return text.compare(0, prefix.size(), prefix) == 0;
}

// A recognised line loses every space; the key word is then cut off the front.
std::string ValueAfterKey(std::string line, size_t nKeyLength)
{
    line.erase(std::remove(line.begin(), line.end(), ' '), line.end());
    return line.substr(std::min(nKeyLength, line.size()));
}

bool CanOpenForReading(const std::string& path)
{
    CTextFileReader file;
    return file.Open(path);
}
} // namespace

std::string CConfiguration::HelpDirectory(std::string given, CMessageSink& messages)
{
    if (given.empty())
    {
        CConfiguration configuration;
        configuration.ReadConfiguration(ConfigurationFileToRead(), ConfigurationFilePath(),
                                        messages);
        return configuration.help;
    }
    if (given.back() != '/' && given.back() != '\\')
        given += '/';
    return given;
}

void CConfiguration::ReadConfiguration()
{
    ReadConfiguration(ConfigurationFileToRead(), ConfigurationFilePath());
}

void CConfiguration::ReadConfiguration(const std::string& path, const std::string& shownPath,
                                       CMessageSink& messages)
{
    exe = bin = editor = help = kNotFound;

    CTextFileReader file;
    if (!file.Open(path))
    {
        messages.ShowMessage(
            "corvale configuration file not found - sytax highlighting and help will not work\n"
            "Location of corvale.conf is required to be " +
            shownPath);
        return;
    }

    std::string line;
    for (;;)
    {
        // The first empty line ends the file, and so does a line starting with 0xFF.
        if (!file.ReadLine(line, kMaxLine) || line.empty() ||
            static_cast<unsigned char>(line[0]) == 0xFF)
            break;
        line = std::string(TrimLeft(line));

        // The tests run in this order on the same text: a match leaves its value
        // in place, and the later tests look at that value.
        if (StartsWith(line, "exe") || StartsWith(line, "EXE"))
        {
            line = ValueAfterKey(line, 3);
            exe = line;
            if (!CanOpenForReading(exe))
            {
                messages.ShowMessage(
                    "Path to vorsa.exe not found - will not be able to run scripts through the "
                    "editor\n"
                    "Correct path to vorsa.exe should be specified in " +
                    path + " \n");
                exe = kNotFound;
            }
        }
        if (StartsWith(line, "bin") || StartsWith(line, "Bin"))
        {
            line = ValueAfterKey(line, 3);
            bin = line;
        }
        if (StartsWith(line, "editor") || StartsWith(line, "Editor"))
        {
            line = ValueAfterKey(line, 6);
            editor = line;
        }
        if (StartsWith(line, "help") || StartsWith(line, "Help"))
        {
            line = ValueAfterKey(line, 4);
            help = line;
        }
    }
}
