#include "platform/CommandRouter.h"

#include <QAction>
#include <QCoreApplication>
#include <QElapsedTimer>
#include <QPushButton>
#include <QThread>
#include <QTimer>
#include <gtest/gtest.h>
#include <string>

TEST(CommandRouter, TheFirstTargetOnTheRouteThatAnswersRunsTheCommand)
{
    CCommandTarget view;
    CCommandTarget document;
    CCommandTarget frame;
    std::string ran;
    view.OnCommand(57607, [&] { ran += "view-print "; });
    document.OnCommand(32776, [&] { ran += "document-options "; });
    frame.OnCommand(32776, [&] { ran += "frame-options "; });
    frame.OnCommand(32772, [&] { ran += "frame-redo "; });

    CCommandRouter router;
    const CCommandTarget* pActiveView = &view;
    router.SetRoute(
        [&] {
            return std::vector<const CCommandTarget*>{pActiveView, &document, &frame};
        });
    EXPECT_TRUE(router.RouteCommand(57607));
    EXPECT_TRUE(router.RouteCommand(32776));
    EXPECT_TRUE(router.RouteCommand(32772));
    EXPECT_FALSE(router.RouteCommand(32782));
    EXPECT_EQ(ran, "view-print document-options frame-redo ");

    // Without an active view the route starts at the document.
    pActiveView = nullptr;
    EXPECT_FALSE(router.RouteCommand(57607));
}

TEST(CommandRouter, UnansweredCommandsStandDisabledAndUpdateHandlersSetChecks)
{
    CCommandTarget document;
    bool bHelpOn = true;
    document.OnCommand(
        32787, [&] { bHelpOn = !bHelpOn; }, [&](CCmdUI& ui) { ui.checked = bHelpOn; });
    document.OnCommand(1001, [] {});
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<const CCommandTarget*>{&document}; });

    QAction help;
    QAction recent;
    QPushButton find;
    QPushButton plus;
    router.Bind(32787, &help);
    router.Bind(32782, &recent);
    router.Bind(1001, &find);
    router.Bind(1004, &plus);
    router.UpdateCommandStates();
    EXPECT_TRUE(help.isEnabled());
    EXPECT_TRUE(help.isChecked());
    EXPECT_FALSE(recent.isEnabled());
    EXPECT_TRUE(find.isEnabled());
    EXPECT_FALSE(plus.isEnabled());

    // Triggering routes the command; the check follows when the loop goes idle.
    router.UpdateWhenIdle();
    help.trigger();
    EXPECT_FALSE(bHelpOn);
    QTimer::singleShot(1, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_FALSE(help.isChecked());
}

// The loop goes idle several times for each key: the states are taken at
// most every tenth of a second, and a change never waits for more input.
TEST(CommandRouter, IdleUpdatesComeAtMostEveryTenthOfASecondAndNeverGetLost)
{
    CCommandTarget frame;
    bool bCanSave = true;
    frame.OnCommand(
        57603, [] {}, [&](CCmdUI& ui) { ui.bEnabled = bCanSave; });
    CCommandRouter router;
    router.SetRoute([&] { return std::vector<const CCommandTarget*>{&frame}; });
    QAction save;
    router.Bind(57603, &save);
    router.UpdateWhenIdle();
    router.UpdateCommandStates();
    ASSERT_TRUE(save.isEnabled());

    bCanSave = false;
    QElapsedTimer waited;
    waited.start();
    QTimer::singleShot(1, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_TRUE(save.isEnabled()) << "updated again within the tenth";
    while (save.isEnabled() && waited.elapsed() < 2000)
    {
        QTimer::singleShot(5, [] {});
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    EXPECT_FALSE(save.isEnabled());
    EXPECT_GE(waited.elapsed(), CCommandRouter::kIdleUpdateMs / 2);

    // Once that long has passed, the next idle takes the states at once.
    QThread::msleep(CCommandRouter::kIdleUpdateMs + 20);
    bCanSave = true;
    QTimer::singleShot(1, [] {});
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    EXPECT_TRUE(save.isEnabled());
}
