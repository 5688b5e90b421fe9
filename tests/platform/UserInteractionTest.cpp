#include "platform/QtUserInteraction.h"
#include "platform/ScriptedUserInteraction.h"
#include "support/UserActions.h"

#include <QApplication>
#include <QFile>
#include <QLineEdit>
#include <QListView>
#include <QPointer>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gmock/gmock.h>

TEST(UserInteraction, ScriptedServiceRecordsTextsExactlyAndAnswersFromItsQueue)
{
    CScriptedUserInteraction ui;
    EXPECT_EQ(&UserInteraction(), &ui);
    UserInteraction().ShowMessage("line one\n line two ");
    ui.QueueAnswer(true);
    ui.QueueAnswer(false);
    EXPECT_TRUE(UserInteraction().AskYesNo("File has been modified, close anyway?"));
    EXPECT_FALSE(UserInteraction().AskYesNo("again?"));
    EXPECT_EQ(ui.m_nUnexpectedQuestions, 0);
    // With nothing queued the answer is No, and the question is counted.
    EXPECT_FALSE(UserInteraction().AskYesNo("third?"));
    EXPECT_EQ(ui.m_nUnexpectedQuestions, 1);

    EXPECT_THAT(ui.m_messages, ::testing::ElementsAre("line one\n line two "));
    EXPECT_THAT(ui.m_questions, ::testing::ElementsAre("File has been modified, close anyway?",
                                                       "again?", "third?"));
}

TEST(UserInteraction, ScriptedServicesNestAndTheQtDialogsComeBack)
{
    {
        CScriptedUserInteraction outer;
        {
            CScriptedUserInteraction inner;
            UserInteraction().ShowMessage("inner");
            EXPECT_EQ(inner.m_messages.size(), 1u);
        }
        UserInteraction().ShowMessage("outer");
        EXPECT_EQ(outer.m_messages, std::vector<std::string>{"outer"});
    }
    EXPECT_NE(dynamic_cast<CQtUserInteraction*>(&UserInteraction()), nullptr);
}

TEST(UserInteraction, AStartedProgramGetsItsArgumentsUnchangedAndNoShell)
{
    QTemporaryDir dir;
    const QString record = dir.filePath("args.txt");
    const QString program = dir.filePath("fake-editor");
    {
        QFile script(program);
        ASSERT_TRUE(script.open(QIODevice::WriteOnly));
        script.write("#!/bin/sh\nfor a in \"$@\"; do printf '%s\\n' \"$a\"; done > \"$0.tmp\" && "
                     "mv \"$0.tmp\" \"$(dirname \"$0\")/args.txt\"\n");
    }
    QFile::setPermissions(program, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    CQtUserInteraction ui;
    ASSERT_TRUE(ui.StartProgram(program.toStdString(), {"my file.tcl; echo $HOME"}));
    EXPECT_TRUE(QTest::qWaitFor([&] { return QFile::exists(record); }, 10000));
    QFile result(record);
    ASSERT_TRUE(result.open(QIODevice::ReadOnly));
    EXPECT_EQ(result.readAll().toStdString(), "my file.tcl; echo $HOME\n");

    EXPECT_FALSE(ui.StartProgram("not found", {"model.tcl"}));
}

TEST(UserInteraction, AShortMessageIsWideEnoughForItsCaption)
{
    CQtUserInteraction ui;
    int nWidth = 0;
    QString caption;
    WhenDialogShows(
        [&](QWidget& box)
        {
            caption = box.windowTitle();
            nWidth = box.width();
            QTest::keyClick(&box, Qt::Key_Return);
        });
    ui.ShowMessage("String not found");
    EXPECT_EQ(caption, "Corvale");
    EXPECT_GE(nWidth, CQtUserInteraction::MinimumMessageWidth(QApplication::font()));

    WhenDialogShows(
        [&](QWidget& box)
        {
            nWidth = box.width();
            QTest::keyClick(&box, Qt::Key_N);
        });
    EXPECT_FALSE(ui.AskYesNo("Go on?"));
    EXPECT_GE(nWidth, CQtUserInteraction::MinimumMessageWidth(QApplication::font()));
}

TEST(UserInteraction, TheFontDialogOpensWithNoFontPicked)
{
    CQtUserInteraction ui;
    std::string face;
    // OK without a pick chooses nothing.
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            auto* pFamilies = dialog.findChild<QListView*>();
            ASSERT_NE(pFamilies, nullptr);
            EXPECT_FALSE(pFamilies->selectionModel()->hasSelection());
            EXPECT_TRUE(dialog.findChild<QLineEdit*>()->text().isEmpty());
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
    EXPECT_FALSE(ui.AskFontFace(face));

    // A family clicked in the list is the face chosen.
    QString picked;
    WhenDialogShows(
        [&](QWidget& dialog)
        {
            auto* pFamilies = dialog.findChild<QListView*>();
            const QModelIndex row = pFamilies->model()->index(0, 0);
            picked = row.data().toString();
            pFamilies->scrollTo(row);
            QTest::mouseClick(pFamilies->viewport(), Qt::LeftButton, {},
                              pFamilies->visualRect(row).center());
            QTest::keyClick(&dialog, Qt::Key_Return);
        });
    ASSERT_TRUE(ui.AskFontFace(face));
    EXPECT_EQ(QString::fromLatin1(face.c_str()), picked);
}
