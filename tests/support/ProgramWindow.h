#pragma once

#include "app/MainFrame.h"
#include "editor/ScriptEdit.h"
#include "view/CorvaleView.h"

// The panes of the program's window, as the tests reach them.
inline CScriptEdit& EditingPane(const CMainFrame* pFrame)
{
    return pFrame->GetRightPane()->EditPane();
}

inline CTextControl& SummaryPane(const CMainFrame* pFrame)
{
    return pFrame->GetRightPane()->SummaryPane();
}
