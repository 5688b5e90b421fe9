#pragma once

#include "UserInteraction.h"

class QFont;

// The real dialogs: modal QMessageBox over the active window.
class CQtUserInteraction : public CUserInteraction
{
public:
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
    bool AskOpenFileName(const std::string& filter, std::string& path) override;
    bool AskSaveFileName(const std::string& filter, const std::string& defaultExtension,
                         const std::string& proposed, std::string& path) override;
    bool StartProgram(const std::string& program,
                      const std::vector<std::string>& arguments) override;
    bool AskFontFace(std::string& faceName) override;

    // The narrowest a message box is made, so that its caption shows whole.
    static int MinimumMessageWidth(const QFont& font);
};
