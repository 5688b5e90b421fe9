#include "CommandLineInfo.h"

#include <algorithm>
#include <cctype>

namespace
{
std::string Lower(std::string text)
{
    std::transform(text.begin(), text.end(), text.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return text;
}
} // namespace

CCommandLineInfo::CCommandLineInfo(const std::vector<std::string>& arguments)
{
    for (size_t i = 1; i < arguments.size(); ++i)
    {
        const std::string& argument = arguments[i];
        // An absolute path starts with "/" here, so "/" starts only the
        // switches the program knows; anything after "-" is a switch.
        const bool bFlag =
            !argument.empty() &&
            (argument[0] == '-' || (argument[0] == '/' && IsSwitch(argument.substr(1))));
        ParseParam(bFlag ? argument.substr(1) : argument, bFlag);
    }
}

bool CCommandLineInfo::IsSwitch(const std::string& name)
{
    const std::string flag = Lower(name);
    return flag == "p" || flag == "pt" || flag == "dde" || flag == "unregister" ||
           flag == "unregserver" || flag == "embedding" || flag == "automation";
}

void CCommandLineInfo::ParseParam(const std::string& parameter, bool bFlag)
{
    if (bFlag)
    {
        const std::string flag = Lower(parameter);
        if (flag == "pt")
            m_nShellCommand = FilePrintTo;
        else if (flag == "p")
            m_nShellCommand = FilePrint;
        else if (flag == "unregister" || flag == "unregserver")
            m_nShellCommand = AppUnregister;
        else if (flag == "dde")
            m_nShellCommand = FileDDE;
        else if (flag == "embedding")
            m_bRunEmbedded = true;
        else if (flag == "automation")
            m_bRunAutomated = true;
        return;
    }
    // The file comes first; after /pt the printer, driver and port follow it.
    if (m_strFileName.empty())
    {
        m_strFileName = parameter;
        if (m_nShellCommand == FileNew)
            m_nShellCommand = FileOpen;
    }
    else if (m_nShellCommand == FilePrintTo && m_strPrinterName.empty())
        m_strPrinterName = parameter;
    else if (m_nShellCommand == FilePrintTo && m_strDriverName.empty())
        m_strDriverName = parameter;
    else if (m_nShellCommand == FilePrintTo && m_strPortName.empty())
        m_strPortName = parameter;
}
