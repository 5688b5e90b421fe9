#include "platform/ScriptedUserInteraction.h"
#include "print/PrintOptionsDlg.h"

#include <QLineEdit>
#include <QPushButton>
#include <QTest>
#include <QTimer>
#include <gmock/gmock.h>

namespace
{
// Runs the dialog with the boxes set to the texts, presses OK, then closes it
// if it is still open. True when OK closed it.
bool PressOk(CPrintOptionsDlg& dialog, const QString& left, const QString& top,
             const QString& bottom, const QString& gap)
{
    QTimer::singleShot(0, &dialog,
                       [&]
                       {
                           dialog.m_pLeftMargin->setText(left);
                           dialog.m_pTopMargin->setText(top);
                           dialog.m_pBottomMargin->setText(bottom);
                           dialog.m_pLineGap->setText(gap);
                           dialog.accept();
                           if (dialog.isVisible())
                               dialog.reject();
                       });
    return dialog.exec() == QDialog::Accepted;
}
} // namespace

TEST(PrintOptions, TheBoxesAreCheckedInOrderAndNothingIsStoredUntilAllPass)
{
    CScriptedUserInteraction ui;
    CPrintOptionsDlg dialog;
    dialog.m_nBottomMargin = 50;
    dialog.m_nLeftMargin = 200;
    dialog.m_nLineGap = 80;
    dialog.m_nTopMargin = 150;

    // Bottom is read first, then left, line gap and top.
    EXPECT_FALSE(PressOk(dialog, "abc", "x", "10001", "y"));
    EXPECT_FALSE(PressOk(dialog, "abc", "x", "10", "y"));
    EXPECT_FALSE(PressOk(dialog, "5", "x", "10", "1001"));
    EXPECT_FALSE(PressOk(dialog, "5", "12abc", "10", "1000"));
    EXPECT_THAT(ui.m_messages,
                ::testing::ElementsAre(
                    "Please enter an integer between 0 and 10000.", "Please enter an integer.",
                    "Please enter an integer between 0 and 1000.", "Please enter an integer."));
    EXPECT_EQ(dialog.m_nBottomMargin, 50);
    EXPECT_EQ(dialog.m_nLeftMargin, 200);

    // The limits themselves are accepted, and so is 0.
    EXPECT_TRUE(PressOk(dialog, " 10000 ", "0", "+7", "1000"));
    EXPECT_EQ(dialog.m_nLeftMargin, 10000);
    EXPECT_EQ(dialog.m_nTopMargin, 0);
    EXPECT_EQ(dialog.m_nBottomMargin, 7);
    EXPECT_EQ(dialog.m_nLineGap, 1000);
    EXPECT_EQ(dialog.windowTitle(), "Print Options");
}

TEST(PrintOptions, CancelStandsLeftOfOkAndKeepsTheValues)
{
    CScriptedUserInteraction ui;
    CPrintOptionsDlg dialog;
    dialog.m_nLeftMargin = 200;
    QPushButton* pOk = nullptr;
    QPushButton* pCancel = nullptr;
    for (QPushButton* pButton : dialog.findChildren<QPushButton*>())
        (pButton->text() == "OK" ? pOk : pCancel) = pButton;
    ASSERT_NE(pOk, nullptr);
    ASSERT_NE(pCancel, nullptr);
    EXPECT_EQ(pCancel->text(), "Cancel");
    QTimer::singleShot(0, &dialog,
                       [&]
                       {
                           EXPECT_LT(pCancel->mapTo(&dialog, QPoint()).x(),
                                     pOk->mapTo(&dialog, QPoint()).x());
                           EXPECT_TRUE(pOk->isDefault());
                           dialog.m_pLeftMargin->setText("not a number");
                           QTest::mouseClick(pCancel, Qt::LeftButton);
                       });
    EXPECT_EQ(dialog.exec(), QDialog::Rejected);
    EXPECT_EQ(dialog.m_nLeftMargin, 200);
    EXPECT_TRUE(ui.m_messages.empty());
}
