#pragma once

#include <QKeySequence>
#include <QList>
#include <vector>

// Every command the main window shows, described once: the menus, the tool
// bar, the accelerators and the status bar prompts are all made from here.
struct CCommandInfo
{
    int nId;
    const char* menuText;            // with the shortcut after a tab; nullptr: in no menu
    const char* prompt;              // the status bar's text while the pointer is over it
    const char* tooltip;             // nullptr: not on the tool bar
    const char* icon;                // the tool bar picture, res/icons/<icon>.svg
    const char* keys;                // accelerators, "|" between them, in Qt's portable text
    const char* popupText = nullptr; // its text in the editing pane's popup menu

    QList<QKeySequence> Shortcuts() const;
};

// A separator in a layout below.
inline constexpr int kSeparator = 0;

struct CMenuLayout
{
    const char* title;
    std::vector<int> ids;
};

const std::vector<CCommandInfo>& CommandTable();
// The description of a command; nullptr for an id the table lacks.
const CCommandInfo* CommandInfo(int nId);
// The menus, left to right, and the tool bar's buttons, left to right.
const std::vector<CMenuLayout>& MenuLayout();
const std::vector<int>& ToolBarLayout();
const std::vector<int>& ScriptToolBarLayout();
// The editing pane's popup menu, top to bottom.
const std::vector<int>& PopupLayout();
