#pragma once

#include "UserInteraction.h"

// The real dialogs: modal QMessageBox over the active window.
class CQtUserInteraction : public CUserInteraction
{
public:
    void ShowMessage(const std::string& text) override;
    bool AskYesNo(const std::string& text) override;
};
