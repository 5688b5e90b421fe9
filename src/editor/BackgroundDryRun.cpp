#include "BackgroundDryRun.h"

#include "check/CommandKnowledge.h"
#include "dryrun/DryRunResult.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>

#ifdef Q_OS_UNIX
#include <unistd.h>
#endif
#ifdef __linux__
#include <pthread.h>
#include <sched.h>
#endif

CBackgroundDryRun::CBackgroundDryRun(const CCommandLibrary& library, QObject* pParent)
    : QObject(pParent), m_library(library), m_thread([this] { Work(); })
{
}

CBackgroundDryRun::~CBackgroundDryRun()
{
    {
        const std::lock_guard lock(m_mutex);
        m_bStop = true;
    }
    m_bStopping = true;
    m_wake.notify_all();
    m_thread.join();
}

void CBackgroundDryRun::Request(CRequest request)
{
    {
        const std::lock_guard lock(m_mutex);
        m_nLatestRevision = request.nRevision;
        m_request = std::move(request);
        m_bPending = true;
    }
    m_wake.notify_all();
}

void CBackgroundDryRun::Supersede(long nRevision)
{
    m_nLatestRevision = nRevision;
}

void CBackgroundDryRun::Work()
{
#ifdef __linux__
    // Reading an answer of many thousand calls waits for the window too.
    sched_param idle{};
    pthread_setschedparam(pthread_self(), SCHED_IDLE, &idle);
#endif
    std::unique_ptr<CCommandKnowledge> pKnowledge;
    for (;;)
    {
        CRequest request;
        {
            std::unique_lock lock(m_mutex);
            m_bBusy = false;
            m_idle.notify_all();
            m_wake.wait(lock, [this] { return m_bStop || m_bPending; });
            if (m_bStop)
                break;
            request = std::move(m_request);
            m_bPending = false;
            m_bBusy = true;
        }
        if (!pKnowledge)
        {
            pKnowledge = std::make_unique<CCommandKnowledge>();
            pKnowledge->Build(m_library);
        }
        std::shared_ptr<CDryRunResult> pResult = RunOne(request, *pKnowledge);
        if (!pResult || m_nLatestRevision != request.nRevision)
            continue; // outdated: nobody wants it
        const long nRevision = request.nRevision;
        std::shared_ptr<const CDryRunResult> pShown = std::move(pResult);
        QMetaObject::invokeMethod(
            this, [this, nRevision, pShown] { emit DryRan(nRevision, pShown); },
            Qt::QueuedConnection);
    }
}

std::shared_ptr<CDryRunResult> CBackgroundDryRun::RunOne(const CRequest& request,
                                                         const CCommandKnowledge& knowledge)
{
    auto pResult = std::make_shared<CDryRunResult>();
    QElapsedTimer clock;
    clock.start();
    QProcess process;
    process.setProgram(QFile::decodeName(QByteArray::fromStdString(request.helper)));
    process.setArguments(
        {QStringLiteral("--help-dir"),
         QFile::decodeName(QByteArray::fromStdString(request.helpDir)), QStringLiteral("--name"),
         QFile::decodeName(QByteArray::fromStdString(request.scriptPath)), QStringLiteral("-")});
    process.setStandardErrorFile(QProcess::nullDevice());
#ifdef Q_OS_UNIX
    // It yields to the window; not idle-class, since Tcl's time limit is
    // wall time and a starved sandbox would reach it doing nothing.
    process.setChildProcessModifier(
        []
        {
            const int nIgnored = nice(10);
            (void)nIgnored;
        });
#endif
    process.start(QIODevice::ReadWrite);
    if (!process.waitForStarted(kWallLimitMs))
    {
        pResult->Fail("the dry run could not start " + request.helper);
        return pResult;
    }
    process.write(request.text.data(), static_cast<qint64>(request.text.size()));
    process.closeWriteChannel();
    QByteArray answer;
    bool bKilledForTime = false;
    bool bTooLong = false;
    while (process.state() != QProcess::NotRunning)
    {
        process.waitForReadyRead(20);
        answer += process.readAllStandardOutput();
        if (m_nLatestRevision != request.nRevision || m_bStopping)
        {
            process.kill();
            process.waitForFinished(1000);
            return nullptr;
        }
        if (answer.size() > kMaxAnswerBytes)
            bTooLong = true;
        if (clock.elapsed() > kWallLimitMs)
            bKilledForTime = true;
        if (bTooLong || bKilledForTime)
        {
            process.kill();
            process.waitForFinished(1000);
            break;
        }
    }
    answer += process.readAllStandardOutput();
    if (answer.size() > kMaxAnswerBytes)
        answer.truncate(static_cast<qsizetype>(kMaxAnswerBytes));
    pResult->Read(std::string_view(answer.constData(), static_cast<size_t>(answer.size())),
                  request.text, knowledge);
    if (bKilledForTime && pResult->Failure().empty())
        pResult->MarkStopped("wall", "the dry run took longer than 5 s and was stopped");
    else if (bTooLong && pResult->Failure().empty())
        pResult->MarkStopped("output", "the dry run's answer was larger than 128 MB");
    else if (pResult->Failure().empty() && !pResult->Report().bEnded &&
             pResult->Report().limit.empty())
        pResult->MarkStopped("ended", "the dry run ended before it had answered in full");
    pResult->nWallMs = static_cast<long>(clock.elapsed());
    return pResult;
}

bool CBackgroundDryRun::WaitUntilIdle(int nMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(nMs);
    {
        std::unique_lock lock(m_mutex);
        if (!m_idle.wait_until(lock, deadline, [this] { return !m_bPending && !m_bBusy; }))
            return false;
    }
    QCoreApplication::sendPostedEvents(this);
    return true;
}
