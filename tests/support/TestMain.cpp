// The main of every test program: a real QApplication, headless unless told otherwise.
#include <QApplication>
#include <QDir>
#include <QSettings>
#include <QTemporaryDir>
#include <gmock/gmock.h>

namespace
{
// Opening or saving a script moves the working directory to its folder; each
// test starts where the program was started, whatever ran before it.
class CWorkingDirectoryRestorer : public ::testing::EmptyTestEventListener
{
public:
    void OnTestEnd(const ::testing::TestInfo&) override { QDir::setCurrent(m_start); }
    // A window opens as a new user's would: no layout kept by an earlier test.
    void OnTestStart(const ::testing::TestInfo&) override
    {
        QSettings settings(QStringLiteral("Local AppWizard-Generated Applications"),
                           QStringLiteral("Corvale"));
        settings.remove(QStringLiteral("Window"));
        settings.remove(QStringLiteral("Model View"));
        settings.remove(QStringLiteral("Editor"));
    }

private:
    const QString m_start = QDir::currentPath();
};
} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // A system-wide configuration (an installed package's /etc/xdg) stays out
    // of the tests; a test that wants one names its own folders.
    if (qEnvironmentVariableIsEmpty("CORVALE_TEST_KEEP_XDG_CONFIG_DIRS"))
        qputenv("XDG_CONFIG_DIRS", "/nonexistent/corvale-tests");
    ::testing::InitGoogleMock(&argc, argv);
    QApplication app(argc, argv);
    // The settings store of the program under test is the run's own.
    const QTemporaryDir settingsHome;
    QSettings::setPath(QSettings::IniFormat, QSettings::UserScope, settingsHome.path());
    ::testing::UnitTest::GetInstance()->listeners().Append(new CWorkingDirectoryRestorer);
    return RUN_ALL_TESTS();
}
