#include "WindowsCommandLine.h"

std::vector<std::string> SplitWindowsCommandLine(const std::string& commandLine)
{
    std::vector<std::string> arguments;
    size_t i = 0;
    const size_t n = commandLine.size();
    auto isBlank = [](char c) { return c == ' ' || c == '\t'; };
    while (true)
    {
        while (i < n && isBlank(commandLine[i]))
            ++i;
        if (i >= n)
            break;
        std::string argument;
        bool bQuoted = false;
        while (i < n && (bQuoted || !isBlank(commandLine[i])))
        {
            if (commandLine[i] == '\\')
            {
                size_t nSlashes = 0;
                while (i < n && commandLine[i] == '\\')
                {
                    ++nSlashes;
                    ++i;
                }
                if (i < n && commandLine[i] == '"')
                {
                    argument.append(nSlashes / 2, '\\');
                    if (nSlashes % 2 == 1)
                    {
                        argument += '"';
                        ++i;
                    }
                }
                else
                    argument.append(nSlashes, '\\');
                continue;
            }
            if (commandLine[i] == '"')
            {
                // A doubled quote inside quotes is a literal quote.
                if (bQuoted && i + 1 < n && commandLine[i + 1] == '"')
                {
                    argument += '"';
                    i += 2;
                    continue;
                }
                bQuoted = !bQuoted;
                ++i;
                continue;
            }
            argument += commandLine[i++];
        }
        arguments.push_back(std::move(argument));
    }
    return arguments;
}
