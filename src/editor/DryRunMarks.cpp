#include "DryRunMarks.h"

#include "BackgroundDryRun.h"
#include "CorvaleDoc.h"
#include "ProblemMarks.h"
#include "ScriptEdit.h"
#include "dryrun/DryRunResult.h"
#include "platform/PlainText.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QTimer>
#include <QToolTip>

CDryRunMarks::CDryRunMarks(CScriptEdit& edit, const CCommandLibrary& library,
                           CProblemMarks& problems)
    : QObject(&edit), m_edit(edit), m_library(library), m_problems(problems),
      m_pPause(new QTimer(this))
{
    m_pPause->setSingleShot(true);
    m_pPause->setInterval(kPauseMs);
    connect(m_pPause, &QTimer::timeout, this, &CDryRunMarks::RunAfterCheck);
    connect(&m_edit, &CTextControl::TextEdited, this, &CDryRunMarks::TextEdited);
    connect(&m_problems, &CProblemMarks::FindingsChanged, this, &CDryRunMarks::CheckShown);
    connect(&m_edit, &CTextControl::MouseDwelled, this, &CDryRunMarks::ShowTip);
}

CDryRunMarks::~CDryRunMarks() = default;

CBackgroundDryRun& CDryRunMarks::Background()
{
    if (!m_pBackground)
    {
        m_pBackground = std::make_unique<CBackgroundDryRun>(m_library);
        connect(m_pBackground.get(), &CBackgroundDryRun::DryRan, this, &CDryRunMarks::Show);
    }
    return *m_pBackground;
}

void CDryRunMarks::ForgetLibrary()
{
    m_pBackground.reset();
    ++m_nRevision;
}

void CDryRunMarks::SetHelper(std::string program, std::string helpDir)
{
    m_helper = std::move(program);
    m_helpDir = std::move(helpDir);
}

void CDryRunMarks::TextEdited()
{
    ++m_nRevision;
    m_bWaitingForCheck = false;
    if (m_pBackground)
        m_pBackground->Supersede(m_nRevision);
    m_pPause->start();
}

// The pause is over: the run follows the check of the same text.
void CDryRunMarks::RunAfterCheck()
{
    if (m_problems.IsEnabled() && !m_problems.IsCurrent())
    {
        m_bWaitingForCheck = true;
        return;
    }
    RunNow();
}

void CDryRunMarks::CheckShown()
{
    if (m_bWaitingForCheck && m_problems.IsCurrent())
    {
        m_bWaitingForCheck = false;
        RunNow();
    }
}

void CDryRunMarks::RunNow()
{
    m_pPause->stop();
    m_bWaitingForCheck = false;
    if (m_helper.empty())
        return;
    // Sourced files are read beside the script; a new one, in the working directory.
    std::string path;
    if (m_edit.m_pDoc != nullptr && !m_edit.m_pDoc->GetPathName().empty())
        path = m_edit.m_pDoc->GetPathName();
    else
        path = QFile::encodeName(QDir::current().filePath(QStringLiteral("Untitled.tcl")))
                   .toStdString();
    CBackgroundDryRun::CRequest request;
    request.nRevision = m_nRevision;
    request.text = std::string(m_edit.TextView());
    request.scriptPath = path;
    request.helper = m_helper;
    request.helpDir = m_helpDir;
    m_nRequestedRevision = m_nRevision;
    Background().Request(std::move(request));
}

void CDryRunMarks::Show(long nRevision, std::shared_ptr<const CDryRunResult> pResult)
{
    if (nRevision != m_nRevision)
        return; // the text has moved on since
    m_pResult = std::move(pResult);
    m_nShownRevision = nRevision;
    emit ResultChanged();
}

std::string CDryRunMarks::TipAt(long nPos) const
{
    if (!IsCurrent() || nPos < 0)
        return {};
    return m_pResult->TipAt(static_cast<size_t>(nPos));
}

void CDryRunMarks::ShowTip(long nPos, const QPoint& point)
{
    if (m_problems.FindingAt(nPos) != nullptr)
        return; // the check's message has the place
    const std::string tip = TipAt(nPos);
    if (tip.empty())
        return;
    QToolTip::showText(m_edit.viewport()->mapToGlobal(point), PlainToolTip(m_edit.ToDisplay(tip)),
                       m_edit.viewport());
}

bool CDryRunMarks::WaitForResult(int nMs)
{
    QElapsedTimer clock;
    clock.start();
    while (clock.elapsed() < nMs)
    {
        if (m_nRequestedRevision == m_nRevision && m_nShownRevision == m_nRevision)
            return true;
        if (m_pBackground)
            m_pBackground->WaitUntilIdle(20);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    return m_nShownRevision == m_nRevision;
}
