#pragma once

#include "app/CorvaleApp.h"
#include "app/MainFrame.h"
#include "editor/ScriptEdit.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/ProgramWindow.h"
#include "support/TempDir.h"
#include "view/CorvaleView.h"

#include <QApplication>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

// The program in a shown, active window on a real X server, with keys sent
// to the window that has the keyboard.
class ProgramWindowTest : public ::testing::Test
{
protected:
    ProgramWindowTest()
    {
        m_dir.UseAsConfigurationHome("help " CORVALE_SOURCE_DIR "/share/help/\n");
    }

    // The program on a script, its window active as a window manager leaves
    // it, the keyboard in the editing pane.
    CMainFrame* Start(const std::string& script)
    {
        if (!m_app.InitInstance({"corvale", m_dir.Write("script.tcl", script)}))
            return nullptr;
        CMainFrame* pFrame = m_app.MainFrame();
        pFrame->activateWindow();
        if (!QTest::qWaitForWindowActive(pFrame))
            return nullptr;
        Edit().setFocus();
        QCoreApplication::processEvents();
        return pFrame;
    }

    CScriptEdit& Edit() { return EditingPane(m_app.MainFrame()); }
    CTextControl& Summary() { return SummaryPane(m_app.MainFrame()); }
    std::string SummaryText() { return Summary().GetWindowText(); }

    // A key as the keyboard sends it: to the window that has the focus.
    static void Press(Qt::Key key, Qt::KeyboardModifiers modifiers = Qt::NoModifier)
    {
        QWindow* pWindow = QGuiApplication::focusWindow();
        ASSERT_NE(pWindow, nullptr);
        QTest::keyClick(pWindow, key, modifiers);
        QCoreApplication::processEvents();
    }

    static void Type(const char* text)
    {
        for (const char* p = text; *p != '\0'; ++p)
        {
            QWindow* pWindow = QGuiApplication::focusWindow();
            ASSERT_NE(pWindow, nullptr);
            if (*p == '\n')
                QTest::keyClick(pWindow, Qt::Key_Return);
            else
                QTest::keyClick(pWindow, *p);
        }
        QCoreApplication::processEvents();
    }

    // Lets the queued look-ups and marks happen, as the event loop does between keys.
    static void Settle()
    {
        QEventLoop loop;
        QTimer::singleShot(20, &loop, &QEventLoop::quit);
        loop.exec();
    }

    CTempDir m_dir;
    CScriptedUserInteraction m_ui;
    CCorvaleApp m_app;
};
