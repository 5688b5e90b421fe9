#include "platform/QtUserInteraction.h"
#include "platform/ScriptedUserInteraction.h"

#include <QFile>
#include <QTemporaryDir>
#include <QTest>
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
