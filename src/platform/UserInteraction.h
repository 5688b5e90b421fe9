#pragma once

#include "text/MessageSink.h"

#include <string>
#include <vector>

// Everything the program asks of the user goes through this service, so that
// tests can replace the real dialogs with a scripted stand-in. Its messages
// are where the plain-C++ parts report theirs (a CMessageSink).
class CUserInteraction : public CMessageSink
{
public:
    // A modal message box with an OK button, captioned with the application title.
    void ShowMessage(const std::string& text) override = 0;

    // A modal Yes/No question; true for Yes.
    virtual bool AskYesNo(const std::string& text) = 0;

    // The Open and Save As dialogs. filter is a Qt name filter list
    // ("Tcl Files (*.tcl);;All Files (*.*)"); the save dialog proposes a name
    // and adds the default extension to a name typed without one. False when
    // the user cancels.
    virtual bool AskOpenFileName(const std::string& filter, std::string& path) = 0;
    virtual bool AskSaveFileName(const std::string& filter, const std::string& defaultExtension,
                                 const std::string& proposed, std::string& path) = 0;

    // Starts a program without waiting for it, never through a shell: the
    // program's path is its argument 0, then the arguments. False when it
    // could not be started.
    virtual bool StartProgram(const std::string& program,
                              const std::vector<std::string>& arguments) = 0;

    // The font dialog; only the face name is taken. False when cancelled.
    virtual bool AskFontFace(std::string& faceName) = 0;
};

// The service in use: the one installed last, otherwise the Qt dialogs.
CUserInteraction& UserInteraction();

// Installs a service (not owned), also as the default message sink; nullptr
// returns to the Qt dialogs.
void SetUserInteraction(CUserInteraction* pService);

// The caption of every message box.
inline constexpr const char* kApplicationTitle = "Corvale";
