#pragma once

#include <string>

// What the document's commands need from the window around it: the dialog
// bar's boxes and lists, and the editor view's dialogs and help switch. The
// main frame answers; the document knows no widget.
class CDocumentHost
{
public:
    virtual ~CDocumentHost() = default;

    // The Find box's and the Line No. box's text.
    virtual std::string FindText() const = 0;
    virtual std::string LineNumberText() const = 0;
    // The entry picked in the Variables or Source list: its row, or -1 with none.
    virtual int SelectedEntry(bool bSources, std::string& entry) const = 0;
    // The configuration's editor program.
    virtual std::string EditorProgram() const = 0;

    virtual void OpenFindReplace(const std::string& findWhat) = 0;
    virtual void ToggleHelp() = 0;
    virtual bool IsHelpOn() const = 0;
    virtual void ShowUserInformation(const std::string& opening) = 0;
};
