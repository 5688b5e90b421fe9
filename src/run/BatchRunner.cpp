#include "BatchRunner.h"

#include "WindowsCommandLine.h"
#include "text/WhiteSpace.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string Lower(std::string_view text)
{
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return out;
}
} // namespace

CBatchRunner::CBatchRunner(RunProgram run, Print print, ClearScreen clear, Stopped stopped)
    : m_run(std::move(run)), m_print(std::move(print)), m_clear(std::move(clear)),
      m_stopped(std::move(stopped))
{
}

int CBatchRunner::Run(const std::string& batchText)
{
    bool bEcho = true;
    int nStatus = 0;
    size_t nPos = 0;
    while (nPos <= batchText.size())
    {
        if (m_stopped && m_stopped())
            break;
        size_t nEnd = batchText.find('\n', nPos);
        if (nEnd == std::string::npos)
            nEnd = batchText.size();
        std::string_view raw(batchText.data() + nPos, nEnd - nPos);
        nPos = nEnd + 1;
        if (!raw.empty() && raw.back() == '\r')
            raw.remove_suffix(1);
        const std::string_view line = TrimLeft(raw);
        if (Trim(line).empty())
            continue;
        const std::string word = Lower(line.substr(0, line.find_first_of(" \t")));
        const std::string rest = Lower(Trim(line.substr(word.size())));
        if (word == "echo" && (rest == "off" || rest == "on"))
        {
            bEcho = rest == "on";
            continue;
        }
        if (bEcho)
            m_print("> " + std::string(line));
        if (word == "cls")
            m_clear();
        else if (word == "echo")
            m_print(line.size() > 5 ? std::string(line.substr(5)) : std::string());
        else
        {
            const std::vector<std::string> arguments = SplitWindowsCommandLine(std::string(line));
            if (!arguments.empty())
            {
                const int nProgramStatus = m_run(arguments);
                if (nStatus == 0)
                    nStatus = nProgramStatus;
            }
        }
    }
    return nStatus;
}
