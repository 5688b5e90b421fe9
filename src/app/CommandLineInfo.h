#pragma once

#include <string>
#include <vector>

// The program's command line, read by the rules of the old document
// framework: one script to open, "/p" to print it and end, "/pt" to print it
// on a named printer and end, "/Unregister" to remove what the program keeps
// and end. Switches start with "/" or "-" and ignore case.
class CCommandLineInfo
{
public:
    enum EShellCommand
    {
        FileNew,
        FileOpen,
        FilePrint,
        FilePrintTo,
        FileDDE,
        AppUnregister,
    };

    // arguments[0] is the program itself.
    explicit CCommandLineInfo(const std::vector<std::string>& arguments);

    EShellCommand m_nShellCommand = FileNew;
    std::string m_strFileName;
    // For /pt: "/pt <file> <printer> [<driver> [<port>]]".
    std::string m_strPrinterName;
    std::string m_strDriverName;
    std::string m_strPortName;
    bool m_bRunEmbedded = false;
    bool m_bRunAutomated = false;

    // One of the switch names above (without its "/").
    static bool IsSwitch(const std::string& name);

private:
    void ParseParam(const std::string& parameter, bool bFlag);
};
