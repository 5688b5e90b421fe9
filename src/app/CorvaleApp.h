#pragma once

#include "editor/CorvaleDoc.h"
#include "platform/CommandRouter.h"
#include "platform/CommandTarget.h"

#include <memory>
#include <string>
#include <vector>

class CMainFrame;

// The application: builds the main window around the one document, routes
// commands, and processes the command line.
class CCorvaleApp
{
public:
    CCorvaleApp();
    ~CCorvaleApp();

    // Start-up in order: the command line, settings, main window (whose editor view reads the
    // configuration and, at its first sizing, loads the help library), the
    // first document (empty, or the script named), the command tree, and the
    // window shown. False when the program is to end at once.
    bool InitInstance(const std::vector<std::string>& arguments);

    CMainFrame* MainFrame() const { return m_pMainFrame.get(); }
    // Set when the command line asked for work that ends the program, and it
    // was done: printing (/p, /pt) or /Unregister. The exit status is then 0.
    bool m_bEndedAsAsked = false;

    CCorvaleDoc m_doc;
    CCommandRouter m_router;
    CCommandTarget m_appCommands;

private:
    void CreateAppCommands();
    void RememberRecentFile();

    std::unique_ptr<CMainFrame> m_pMainFrame;
};
