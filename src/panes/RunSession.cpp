#include "RunSession.h"

#include "OutputPane.h"
#include "OutputReader.h"
#include "OutputText.h"
#include "check/ScriptChecker.h"
#include "run/AnalysisRun.h"

#include <QDir>
#include <QEventLoop>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <fcntl.h>
#include <numeric>
#include <unistd.h>

CRunSession::CRunSession(COutputPane& pane, QObject* pParent)
    : QObject(pParent), m_pane(pane),
      m_channel([this](std::function<void()> call)
                { QMetaObject::invokeMethod(this, std::move(call), Qt::QueuedConnection); }),
      m_pBatch(new QTimer(this)), m_pClock(new QTimer(this))
{
    m_pBatch->setInterval(kBatchMs);
    connect(m_pBatch, &QTimer::timeout, this, [this] { Flush(); });
    m_pClock->setInterval(1000);
    connect(m_pClock, &QTimer::timeout, this, &CRunSession::ShowState);
    m_channel.OnFinished = [this](int nExitStatus, bool bCrashed)
    { Finished(nExitStatus, bCrashed); };
    connect(&m_pane.Text(), &COutputText::LinkActivated, this, &CRunSession::Activate);
}

CRunSession::~CRunSession()
{
    // The channel ends what is left of the run as it goes.
    m_channel.OnFinished = nullptr;
    m_pReader.reset();
    if (m_pSpoolWriter != nullptr)
        std::fclose(m_pSpoolWriter);
}

bool CRunSession::Start(const CAnalysisRun& run, const std::string& folder,
                        const std::string& scriptPath, CMessageSink& messages)
{
    if (IsRunning())
        return false;
    m_pane.Text().Reset();
    m_pane.SetDroppedLines(0);
    m_pReader.reset();
    if (m_pSpoolWriter != nullptr)
        std::fclose(m_pSpoolWriter);
    m_pSpoolWriter = nullptr;
    m_pMapper = std::make_unique<CTraceMapper>(folder, scriptPath, &CScriptChecker::ReadFile);
    m_locations.clear();
    m_nCurrent = -1;
    m_firstError.reset();
    m_pSpool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                QStringLiteral("/corvale-output-XXXXXX"));
    if (m_pSpool->open())
    {
        const int fd = dup(static_cast<int>(m_pSpool->handle()));
        m_pSpoolWriter = fd >= 0 ? fdopen(fd, "w") : nullptr;
    }
    m_bSpoolFailed = m_pSpoolWriter == nullptr;
    m_bStopRequested = false;
    m_pane.show();
    m_pane.raise();
    // The child writes into pipes that the reader's thread reads.
    int output[2] = {-1, -1};
    int error[2] = {-1, -1};
    if (pipe2(output, O_CLOEXEC) != 0 || pipe2(error, O_CLOEXEC) != 0)
    {
        for (const int fd : {output[0], output[1], error[0], error[1]})
        {
            if (fd >= 0)
                close(fd);
        }
        messages.ShowMessage("Error opening file");
        return false;
    }
    m_channel.SetOutputDescriptors(output[1], error[1]);
    m_elapsed.start();
    m_state = EState::Running;
    const bool bStarted = run.StartInChannel(messages, m_channel);
    // The write ends are the child's alone now, so the reader sees their end.
    close(output[1]);
    close(error[1]);
    m_channel.SetOutputDescriptors(-1, -1);
    m_pReader = std::make_unique<COutputReader>(output[0], error[0], m_pSpoolWriter,
                                                static_cast<size_t>(COutputText::kMaxLines));
    if (!bStarted)
    {
        m_pReader->Finish();
        m_state = EState::Idle;
        m_pane.SetState(QStringLiteral("Not started"));
        m_pane.SetStopEnabled(false);
        emit StateChanged();
        return false;
    }
    m_pBatch->start();
    m_pClock->start();
    m_pane.SetStopEnabled(true);
    ShowState();
    emit StateChanged();
    return true;
}

void CRunSession::Stop()
{
    if (!IsRunning())
        return;
    m_bStopRequested = true;
    m_channel.Stop();
}

bool CRunSession::WaitForFinished(int nMs)
{
    if (!IsRunning())
        return true;
    QEventLoop loop;
    QTimer::singleShot(nMs, &loop, &QEventLoop::quit);
    connect(this, &CRunSession::StateChanged, &loop,
            [this, &loop]
            {
                if (!IsRunning())
                    loop.quit();
            });
    loop.exec();
    return !IsRunning();
}

void CRunSession::Flush(bool bAll)
{
    if (!m_pReader)
        return;
    COutputReader::CBatch batch = m_pReader->Take(bAll ? 0 : kLinesPerBatch);
    COutputText& text = m_pane.Text();
    text.Skip(batch.nSkipped);
    text.Append(batch.lines, batch.open);
    m_pane.SetDroppedLines(text.DroppedLines());
    m_bSpoolFailed = m_bSpoolFailed || batch.bSpoolFailed;
    // Traces and places found become links.
    for (const CTraceParser::CTrace& trace : batch.traces)
    {
        const std::vector<CTraceMapper::CLocation> locations = m_pMapper->Map(trace);
        if (!locations.empty() && !m_firstError)
        {
            m_firstError = CRunError{trace.message, locations.front()};
            emit FirstErrorFound();
        }
        for (const CTraceMapper::CLocation& location : locations)
            AddLocation(location);
    }
    for (const CTraceParser::CPlainLink& link : batch.links)
    {
        CTraceMapper::CLocation location;
        if (m_pMapper->MapPlain(link, location))
            AddLocation(std::move(location));
    }
}

void CRunSession::AddLocation(CTraceMapper::CLocation location)
{
    const int nLink = static_cast<int>(m_locations.size());
    m_pane.Text().AddLink(location.nOutputLine, location.nFrom, location.nTo, nLink);
    m_locations.push_back(std::move(location));
}

void CRunSession::Finished(int nExitStatus, bool bCrashed)
{
    m_pBatch->stop();
    m_pClock->stop();
    m_seconds = static_cast<double>(m_elapsed.elapsed()) / 1000.0;
    // What is left in the pipes, then all of it into the pane.
    if (m_pReader)
        m_pReader->Finish();
    Flush(true);
    if (m_pSpoolWriter != nullptr)
    {
        m_bSpoolFailed = std::fclose(m_pSpoolWriter) != 0 || m_bSpoolFailed;
        m_pSpoolWriter = nullptr;
    }
    m_nExitStatus = nExitStatus;
    m_bCrashed = bCrashed;
    m_state = m_bStopRequested               ? EState::Stopped
              : bCrashed || nExitStatus != 0 ? EState::Failed
                                             : EState::Finished;
    m_pane.SetStopEnabled(false);
    ShowState();
    emit StateChanged();
}

void CRunSession::ShowState()
{
    const QString seconds = QString::number(m_seconds, 'f', 1);
    switch (m_state)
    {
    case EState::Idle:
        m_pane.SetState(QString());
        return;
    case EState::Running:
    {
        const qint64 nSeconds = m_elapsed.elapsed() / 1000;
        m_pane.SetState(QStringLiteral("Running\u2026 %1:%2")
                            .arg(nSeconds / 60)
                            .arg(nSeconds % 60, 2, 10, QLatin1Char('0')));
        return;
    }
    case EState::Finished:
        m_pane.SetState(
            QStringLiteral("Finished in %1 s (exit status %2)").arg(seconds).arg(m_nExitStatus));
        return;
    case EState::Failed:
        m_pane.SetState(m_bCrashed
                            ? QStringLiteral("Failed in %1 s (ended by a signal)").arg(seconds)
                            : QStringLiteral("Failed in %1 s (exit status %2)")
                                  .arg(seconds)
                                  .arg(m_nExitStatus));
        return;
    case EState::Stopped:
        m_pane.SetState(QStringLiteral("Stopped"));
        return;
    }
}

bool CRunSession::StepLocation(bool bBackward)
{
    if (m_locations.empty())
        return false;
    // In the order of the output, which is not the order they were found in.
    std::vector<int> order(m_locations.size());
    std::iota(order.begin(), order.end(), 0);
    std::stable_sort(order.begin(), order.end(),
                     [this](int a, int b)
                     {
                         const auto& x = m_locations[static_cast<size_t>(a)];
                         const auto& y = m_locations[static_cast<size_t>(b)];
                         return x.nOutputLine != y.nOutputLine ? x.nOutputLine < y.nOutputLine
                                                               : x.nFrom < y.nFrom;
                     });
    const auto at = std::find(order.begin(), order.end(), m_nCurrent);
    size_t nNext = 0;
    const size_t nCount = order.size();
    if (at == order.end())
        nNext = bBackward ? nCount - 1 : 0;
    else
    {
        const size_t nAt = static_cast<size_t>(at - order.begin());
        nNext = bBackward ? (nAt + nCount - 1) % nCount : (nAt + 1) % nCount;
    }
    Activate(order[nNext]);
    return true;
}

void CRunSession::Activate(int nLocation)
{
    if (nLocation < 0 || nLocation >= static_cast<int>(m_locations.size()))
        return;
    m_pane.Text().ShowLink(nLocation);
    // A copy: what it leads to may start another run.
    const CTraceMapper::CLocation location = m_locations[static_cast<size_t>(nLocation)];
    if (!FollowLocation || FollowLocation(location))
        m_nCurrent = nLocation;
}

bool CRunSession::SaveOutput(const std::string& path, std::string& error) const
{
    QSaveFile out(QFile::decodeName(QByteArray::fromStdString(path)));
    if (!out.open(QIODevice::WriteOnly))
    {
        error = out.errorString().toStdString();
        return false;
    }
    bool bWritten = true;
    if (m_pSpool && !m_bSpoolFailed)
    {
        // The whole output, from the copy kept as it came.
        QFile spool(m_pSpool->fileName());
        if (!spool.open(QIODevice::ReadOnly))
            bWritten = false;
        while (bWritten && !spool.atEnd())
        {
            const QByteArray chunk = spool.read(1 << 20);
            bWritten = !chunk.isEmpty() && out.write(chunk) == chunk.size();
        }
    }
    else
    {
        // The copy could not be kept: what the pane still shows.
        const QByteArray shown = m_pane.Text().text().toUtf8();
        bWritten = out.write(shown) == shown.size();
    }
    if (!bWritten || !out.commit())
    {
        error = out.errorString().toStdString();
        if (error.empty())
            error = "the output could not be written";
        return false;
    }
    return true;
}
