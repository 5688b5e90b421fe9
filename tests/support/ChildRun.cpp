#include "ChildRun.h"

#include <QCoreApplication>
#include <QProcess>
#include <gtest/gtest.h>

std::string RunDisabledTestInChild(const std::string& testName,
                                   const std::map<std::string, std::string>& environment,
                                   const std::function<void()>& childModifier)
{
    QProcess child;
    QProcessEnvironment childEnvironment = QProcessEnvironment::systemEnvironment();
    for (const auto& [name, value] : environment)
        childEnvironment.insert(QString::fromStdString(name), QString::fromStdString(value));
    child.setProcessEnvironment(childEnvironment);
    if (childModifier)
        child.setChildProcessModifier(childModifier);
    child.start(QCoreApplication::applicationFilePath(),
                {QStringLiteral("--gtest_also_run_disabled_tests"),
                 QStringLiteral("--gtest_filter=") + QString::fromStdString(testName)});
    EXPECT_TRUE(child.waitForFinished(60000)) << testName;
    const std::string output = child.readAllStandardOutput().toStdString();
    EXPECT_EQ(child.exitCode(), 0) << output << child.readAllStandardError().toStdString();
    return output;
}
