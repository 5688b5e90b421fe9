#pragma once

#include "helplib/HelpFile.h"
#include "platform/TextControl.h"

#include <memory>
#include <string>
#include <vector>

// The editing pane. It owns the command library: the help files named by the
// help directory's "list.txt", in list order.
class CScriptEdit : public CTextControl
{
    Q_OBJECT

public:
    explicit CScriptEdit(QWidget* pParent = nullptr, int nControlId = 1);
    ~CScriptEdit() override;

    // Loads the library from a help directory, which is used as a plain prefix.
    // 1 when the list file was read (even if help files were missing), 0 when the
    // directory is "not found" or the list file cannot be opened.
    int LoadHelpFiles(std::string helpDirectory);

    // True when a help file holds this (keyword, parent); while help is on, the
    // record's text of the first such file also replaces the summary pane's text.
    bool ShowCommandHelp(const std::string& keyword, const std::string& parent);
    // The same, but shows the text even while help is off.
    bool ShowTreeCommandHelp(const std::string& keyword, const std::string& parent);

    CTextControl* m_pSummaryPane = nullptr;
    int m_bHelpOn = 1;

    int m_nHelpFiles = 0;
    std::vector<std::string> m_helpPaths;
    std::vector<std::unique_ptr<CHelpFile>> m_helpFiles;
};
