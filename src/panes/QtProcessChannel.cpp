#include "QtProcessChannel.h"

#include <QEventLoop>
#include <QFile>
#include <QTimer>

#ifndef _WIN32
#include <csignal>
#include <unistd.h>
#endif

CQtProcessChannel::CQtProcessChannel(QObject* pParent)
    : QObject(pParent), m_pKillTimer(new QTimer(this))
{
    m_pKillTimer->setSingleShot(true);
    m_pKillTimer->setInterval(kKillAfterMs);
    connect(m_pKillTimer, &QTimer::timeout, this,
            [this]
            {
#ifndef _WIN32
                SignalGroup(SIGKILL);
#else
                m_process.kill();
#endif
            });
#ifndef _WIN32
    // A group of its own: the stop reaches the runner, the analysis program
    // and whatever that started.
    m_process.setChildProcessModifier(
        [this]
        {
            setsid();
            // In the child, after Qt set up its channels: only async-signal-safe calls.
            if (m_nChildOutput >= 0)
                dup2(m_nChildOutput, STDOUT_FILENO);
            if (m_nChildError >= 0)
                dup2(m_nChildError, STDERR_FILENO);
        });
#endif
    connect(&m_process, &QProcess::started, this,
            [this]
            {
                m_nGroup = m_process.processId();
                if (OnStarted)
                    OnStarted();
            });
    connect(&m_process, &QProcess::readyReadStandardOutput, this,
            [this]
            {
                const QByteArray bytes = m_process.readAllStandardOutput();
                if (OnOutput && !bytes.isEmpty())
                    OnOutput(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                             false);
            });
    connect(&m_process, &QProcess::readyReadStandardError, this,
            [this]
            {
                const QByteArray bytes = m_process.readAllStandardError();
                if (OnOutput && !bytes.isEmpty())
                    OnOutput(std::string_view(bytes.constData(), static_cast<size_t>(bytes.size())),
                             true);
            });
    connect(&m_process, &QProcess::finished, this,
            [this](int nExitCode, QProcess::ExitStatus status)
            {
                m_pKillTimer->stop();
        // What the group left behind goes with it.
#ifndef _WIN32
                if (m_bStopped)
                    SignalGroup(SIGKILL);
#endif
                m_nGroup = 0;
                if (OnFinished)
                    OnFinished(nExitCode, status == QProcess::CrashExit || m_bStopped);
            });
}

CQtProcessChannel::~CQtProcessChannel()
{
    if (IsRunning())
    {
#ifndef _WIN32
        SignalGroup(SIGKILL);
#endif
        m_process.kill();
        m_process.waitForFinished(1000);
    }
}

void CQtProcessChannel::SetOutputDescriptors(int nOutput, int nError)
{
    m_nChildOutput = nOutput;
    m_nChildError = nError;
    if (nOutput >= 0)
    {
        m_process.setStandardOutputFile(QProcess::nullDevice());
        m_process.setStandardErrorFile(QProcess::nullDevice());
    }
    else
    {
        m_process.setStandardOutputFile(QString());
        m_process.setStandardErrorFile(QString());
    }
}

bool CQtProcessChannel::Start(const std::string& program, const std::vector<std::string>& arguments,
                              const std::string& workingDirectory)
{
    if (IsRunning())
        return false;
    m_bStopped = false;
    QStringList list;
    for (const std::string& argument : arguments)
        list << QFile::decodeName(QByteArray::fromStdString(argument));
    m_process.setWorkingDirectory(QFile::decodeName(QByteArray::fromStdString(workingDirectory)));
    m_process.setInputChannelMode(QProcess::ManagedInputChannel);
    m_process.start(QFile::decodeName(QByteArray::fromStdString(program)), list);
    if (!m_process.waitForStarted(10000))
        return false;
    m_process.closeWriteChannel();
    return true;
}

void CQtProcessChannel::SignalGroup(int nSignal)
{
#ifndef _WIN32
    if (m_nGroup > 0)
        kill(-static_cast<pid_t>(m_nGroup), nSignal);
#else
    (void)nSignal;
#endif
}

void CQtProcessChannel::Stop()
{
    if (!IsRunning())
        return;
    m_bStopped = true;
#ifndef _WIN32
    SignalGroup(SIGTERM);
#else
    m_process.terminate();
#endif
    m_pKillTimer->start();
}

bool CQtProcessChannel::IsRunning() const
{
    return m_process.state() != QProcess::NotRunning;
}

qint64 CQtProcessChannel::ProcessId() const
{
    return m_nGroup;
}

bool CQtProcessChannel::WaitForFinished(int nMs)
{
    if (!IsRunning())
        return true;
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    connect(&m_process, &QProcess::finished, &loop, &QEventLoop::quit);
    loop.exec();
    return !IsRunning();
}
