// corvale-batch: carries out the exec.bat that the run command writes.
#include "BatchRunner.h"

#include <QCoreApplication>
#include <QFile>
#include <QProcess>
#include <cstdio>

int main(int argc, char** argv)
{
    QCoreApplication application(argc, argv);
    const QString path = argc > 1 ? QFile::decodeName(argv[1]) : QStringLiteral("exec.bat");
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
    {
        std::fprintf(stderr, "corvale-batch: cannot read %s\n",
                     QFile::encodeName(path).constData());
        return 1;
    }
    const QByteArray bytes = file.readAll();

    CBatchRunner runner(
        [](const std::vector<std::string>& arguments)
        {
            QProcess process;
            process.setProcessChannelMode(QProcess::ForwardedChannels);
            process.setInputChannelMode(QProcess::ForwardedInputChannel);
            QStringList rest;
            for (size_t i = 1; i < arguments.size(); ++i)
                rest << QFile::decodeName(QByteArray::fromStdString(arguments[i]));
            process.start(QFile::decodeName(QByteArray::fromStdString(arguments[0])), rest);
            if (!process.waitForStarted(-1))
            {
                std::printf("'%s' could not be run.\n", arguments[0].c_str());
                std::fflush(stdout);
                return 1;
            }
            process.waitForFinished(-1);
            return process.exitCode();
        },
        [](const std::string& line)
        {
            std::printf("%s\n", line.c_str());
            std::fflush(stdout);
        },
        []
        {
            std::printf("\033[2J\033[H");
            std::fflush(stdout);
        });
    return runner.Run(bytes.toStdString());
}
