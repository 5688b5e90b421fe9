#include "ProblemMarks.h"

#include "BackgroundCheck.h"
#include "CorvaleDoc.h"
#include "ScriptEdit.h"
#include "platform/PlainText.h"

#include <QCoreApplication>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <chrono>

namespace
{
constexpr int kDwellMs = 400;
}

CProblemMarks::CProblemMarks(CScriptEdit& edit, const CCommandLibrary& library)
    : QObject(&edit), m_edit(edit), m_library(library), m_pPause(new QTimer(this))
{
    m_pPause->setSingleShot(true);
    m_pPause->setInterval(kPauseMs);
    connect(m_pPause, &QTimer::timeout, this, &CProblemMarks::CheckNow);
    connect(&m_edit, &CTextControl::TextEdited, this, &CProblemMarks::TextEdited);
    m_edit.SetMouseDwellTime(kDwellMs);
    connect(&m_edit, &CTextControl::MouseDwelled, this, &CProblemMarks::ShowTip);
    connect(&m_edit, &CTextControl::MouseDwellEnded, this, [] { QToolTip::hideText(); });
    m_edit.installEventFilter(this);
}

// A key in the pane, and its frame, come first: a check under way waits.
bool CProblemMarks::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (m_pBackground &&
        (pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::InputMethod))
        m_pBackground->HoldFor(kHoldForKeyMs);
    return QObject::eventFilter(pWatched, pEvent);
}

CProblemMarks::~CProblemMarks() = default;

CBackgroundCheck& CProblemMarks::Background()
{
    if (!m_pBackground)
    {
        m_pBackground = std::make_unique<CBackgroundCheck>(m_library);
        connect(m_pBackground.get(), &CBackgroundCheck::Checked, this, &CProblemMarks::Show);
    }
    return *m_pBackground;
}

void CProblemMarks::ForgetLibrary()
{
    m_pBackground.reset();
    ++m_nRevision; // whatever it had under way is dropped
}

void CProblemMarks::SetEnabled(bool bEnabled)
{
    m_bEnabled = bEnabled;
    if (!bEnabled)
    {
        m_pPause->stop();
        Clear();
        emit FindingsChanged();
    }
    else
        CheckNow();
}

void CProblemMarks::TextEdited()
{
    ++m_nRevision;
    if (m_pBackground)
        m_pBackground->Supersede(m_nRevision);
    if (m_bEnabled)
        m_pPause->start();
}

void CProblemMarks::CheckNow()
{
    if (!m_bEnabled)
        return;
    m_pPause->stop();
    // Sourced names are read beside the script; a new one, in the working directory.
    std::string folder;
    if (m_edit.m_pDoc != nullptr && !m_edit.m_pDoc->GetPathName().empty())
        folder = QFile::encodeName(QFileInfo(QFile::decodeName(QByteArray::fromStdString(
                                                 m_edit.m_pDoc->GetPathName())))
                                       .absolutePath())
                     .toStdString();
    else
        folder = QFile::encodeName(QDir::currentPath()).toStdString();
    Background().Request(m_nRevision, std::string(m_edit.TextView()), folder);
}

void CProblemMarks::Clear()
{
    m_edit.ClearIndicator(CTextControl::kErrorIndicator);
    m_edit.ClearIndicator(CTextControl::kWarningIndicator);
    m_findings.clear();
}

void CProblemMarks::Show(long nRevision, std::shared_ptr<const std::vector<CFinding>> pFindings)
{
    if (nRevision != m_nRevision || !m_bEnabled)
        return; // the text has moved on since
    Clear();
    m_findings = *pFindings;
    const long nLength = m_edit.GetTextLength();
    for (const CFinding& finding : m_findings)
    {
        const long nStart = std::min(finding.nStart, nLength);
        const long nEnd = std::min(std::max(finding.nEnd, nStart + 1), nLength);
        m_edit.FillIndicator(finding.severity == ESeverity::Error ? CTextControl::kErrorIndicator
                                                                  : CTextControl::kWarningIndicator,
                             nStart, nEnd - nStart);
    }
    m_nShownRevision = nRevision;
    emit FindingsChanged();
}

int CProblemMarks::ErrorCount() const
{
    return static_cast<int>(std::count_if(m_findings.begin(), m_findings.end(),
                                          [](const CFinding& f)
                                          { return f.severity == ESeverity::Error; }));
}

int CProblemMarks::WarningCount() const
{
    return static_cast<int>(m_findings.size()) - ErrorCount();
}

const CFinding* CProblemMarks::FindingAt(long nPos) const
{
    if (!IsCurrent())
        return nullptr;
    for (const CFinding& finding : m_findings)
    {
        if (nPos >= finding.nStart && nPos < std::max(finding.nEnd, finding.nStart + 1))
            return &finding;
    }
    return nullptr;
}

void CProblemMarks::ShowTip(long nPos, const QPoint& point)
{
    const CFinding* pFinding = FindingAt(nPos);
    if (pFinding == nullptr)
        return;
    QToolTip::showText(m_edit.viewport()->mapToGlobal(point),
                       PlainToolTip(m_edit.ToDisplay(pFinding->message)), m_edit.viewport());
}

void CProblemMarks::GoTo(size_t nFinding)
{
    if (nFinding >= m_findings.size())
        return;
    const CFinding& finding = m_findings[nFinding];
    m_edit.setFocus();
    m_edit.SetSel(finding.nStart, std::max(finding.nEnd, finding.nStart));
    m_edit.ScrollCaret();
}

bool CProblemMarks::GoToNext(bool bBackward)
{
    if (m_findings.empty())
        return false;
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    size_t nPick = 0;
    if (!bBackward)
    {
        const auto next = std::find_if(m_findings.begin(), m_findings.end(),
                                       [&](const CFinding& f) { return f.nStart > nStart; });
        nPick = next == m_findings.end() ? 0 : static_cast<size_t>(next - m_findings.begin());
    }
    else
    {
        nPick = m_findings.size() - 1;
        for (size_t i = m_findings.size(); i-- > 0;)
        {
            if (m_findings[i].nStart < nStart)
            {
                nPick = i;
                break;
            }
        }
    }
    GoTo(nPick);
    return true;
}

bool CProblemMarks::WaitForResult(int nMs)
{
    const auto start = std::chrono::steady_clock::now();
    while (!IsCurrent())
    {
        if (std::chrono::steady_clock::now() - start > std::chrono::milliseconds(nMs))
            return false;
        if (m_pBackground)
            m_pBackground->WaitUntilIdle(50);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
