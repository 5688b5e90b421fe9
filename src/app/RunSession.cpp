#include "RunSession.h"

#include "OutputPane.h"
#include "OutputText.h"
#include "check/ScriptChecker.h"
#include "run/AnalysisRun.h"

#include <QDir>
#include <QFile>
#include <QSaveFile>
#include <QTimer>
#include <algorithm>
#include <numeric>

namespace
{
// The copy of the output for Save Output As stops growing here.
constexpr qint64 kMaxSpoolBytes = qint64(4) << 30;
} // namespace

CRunSession::CRunSession(COutputPane& pane, QObject* pParent)
    : QObject(pParent), m_pane(pane), m_channel(this), m_pBatch(new QTimer(this)),
      m_pClock(new QTimer(this))
{
    m_pBatch->setSingleShot(true);
    m_pBatch->setInterval(kBatchMs);
    connect(m_pBatch, &QTimer::timeout, this, &CRunSession::Flush);
    m_pClock->setInterval(1000);
    connect(m_pClock, &QTimer::timeout, this, &CRunSession::ShowState);
    m_channel.OnOutput = [this](std::string_view bytes, bool bError) { Output(bytes, bError); };
    m_channel.OnFinished = [this](int nExitStatus, bool bCrashed)
    { Finished(nExitStatus, bCrashed); };
    connect(&m_pane.Text(), &COutputText::LinkActivated, this, &CRunSession::Activate);
}

CRunSession::~CRunSession()
{
    // The channel ends what is left of the run as it goes.
    m_channel.OnOutput = nullptr;
    m_channel.OnFinished = nullptr;
}

bool CRunSession::Start(const CAnalysisRun& run, const std::string& folder,
                        const std::string& scriptPath, CMessageSink& messages)
{
    if (IsRunning())
        return false;
    m_pane.Text().Reset();
    m_pane.SetDroppedLines(0);
    m_decoder = COutputDecoder();
    m_parser = CTraceParser();
    m_pMapper = std::make_unique<CTraceMapper>(folder, scriptPath, &CScriptChecker::ReadFile);
    m_locations.clear();
    m_nCurrent = -1;
    m_firstError.reset();
    m_scriptPath = scriptPath;
    m_pSpool = std::make_unique<QTemporaryFile>(QDir::tempPath() +
                                                QStringLiteral("/corvale-output-XXXXXX"));
    m_bSpoolFailed = !m_pSpool->open();
    m_bStopRequested = false;
    m_pane.show();
    m_pane.raise();
    m_elapsed.start();
    m_state = EState::Running;
    if (!run.StartInChannel(messages, m_channel))
    {
        m_state = EState::Idle;
        m_pane.SetState(QStringLiteral("Not started"));
        m_pane.SetStopEnabled(false);
        emit StateChanged();
        return false;
    }
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
    return m_channel.WaitForFinished(nMs);
}

void CRunSession::Output(std::string_view bytes, bool bError)
{
    m_decoder.Feed(bytes, bError);
    if (!m_pBatch->isActive())
        m_pBatch->start();
}

void CRunSession::ReadLines(const std::vector<COutputDecoder::CLine>& lines)
{
    for (const COutputDecoder::CLine& line : lines)
    {
        m_parser.AddLine(line.text);
        if (m_bSpoolFailed)
            continue;
        // A spool that cannot be written (a full disk) is given up: the pane
        // still holds the last lines.
        if (m_pSpool->write(line.text.data(), static_cast<qint64>(line.text.size())) < 0 ||
            m_pSpool->write("\n", 1) < 0 || m_pSpool->pos() > kMaxSpoolBytes)
        {
            m_bSpoolFailed = true;
            m_pSpool->resize(0);
        }
    }
}

void CRunSession::Flush()
{
    const std::vector<COutputDecoder::CLine> lines = m_decoder.TakeLines();
    COutputText& text = m_pane.Text();
    text.Append(lines, m_decoder.OpenLine());
    m_pane.SetDroppedLines(text.DroppedLines());
    ReadLines(lines);
    // Traces and places found in these lines become links.
    for (const CTraceParser::CTrace& trace : m_parser.TakeTraces())
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
    for (const CTraceParser::CPlainLink& link : m_parser.TakePlainLinks())
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
    m_decoder.Finish();
    Flush();
    // The last line, if it had no line break, is read as well.
    const COutputDecoder::CLine open = m_decoder.OpenLine();
    if (!open.text.empty())
    {
        ReadLines({open});
        m_decoder = COutputDecoder();
    }
    m_parser.Finish();
    Flush();
    if (m_pSpool && !m_bSpoolFailed)
        m_pSpool->flush();
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
    m_nCurrent = nLocation;
    m_pane.Text().ShowLink(nLocation);
    // A copy: what it leads to may start another run.
    const CTraceMapper::CLocation location = m_locations[static_cast<size_t>(nLocation)];
    emit LocationActivated(location);
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
        const std::string& open = m_decoder.OpenLine().text;
        if (bWritten && !open.empty())
            bWritten = out.write(open.data(), static_cast<qint64>(open.size())) ==
                       static_cast<qint64>(open.size());
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
