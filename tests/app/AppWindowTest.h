#pragma once

#include "app/CorvaleApp.h"
#include "app/MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "view/CorvaleView.h"

#include <QImage>
#include <QTest>
#include <gtest/gtest.h>

// The program started as a user starts it, its window active, for the tests
// that drive the window with keys and clicks.
class AppWindowTest : public ::testing::Test
{
protected:
    AppWindowTest() { m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n"); }

    // The program on a script (or an empty one), its window active as a
    // window manager leaves it, the caret in the editing pane.
    CMainFrame* Start(const std::string& script = std::string())
    {
        std::vector<std::string> arguments{"corvale"};
        if (!script.empty())
            arguments.push_back(m_dir.Write("script.tcl", script));
        if (!m_app.InitInstance(arguments))
            return nullptr;
        CMainFrame* pFrame = m_app.MainFrame();
        pFrame->activateWindow();
        if (!QTest::qWaitForWindowActive(pFrame))
            return nullptr;
        Edit(pFrame).setFocus();
        return pFrame;
    }

    static CScriptEdit& Edit(CMainFrame* pFrame) { return EditingPane(pFrame); }

    static void PutCaret(CScriptEdit& edit, long nPos)
    {
        edit.SetSel(nPos, nPos);
        QCoreApplication::processEvents();
    }

    // Pixels of exactly this colour in the pane as painted.
    static int PixelsOf(QWidget& widget, QColor colour, QRect area = QRect())
    {
        const QImage image = widget.grab().toImage();
        if (area.isNull())
            area = image.rect();
        int nCount = 0;
        for (int y = area.top(); y <= area.bottom(); ++y)
        {
            for (int x = area.left(); x <= area.right(); ++x)
                nCount += image.pixelColor(x, y) == colour ? 1 : 0;
        }
        return nCount;
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
    CCorvaleApp m_app;
};
