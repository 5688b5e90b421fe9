#include "AnalysisMarks.h"

#include "CorvaleDoc.h"
#include "ScriptEdit.h"
#include "analysis/AnalysisSession.h"
#include "analysis/FindingMerge.h"
#include "analysis/RuleCatalogue.h"
#include "dryrun/DryRunResult.h"
#include "platform/PlainText.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QEvent>
#include <QKeyEvent>
#include <QTimer>
#include <QToolTip>
#include <algorithm>
#include <iterator>
#include <tuple>

namespace
{
constexpr int kDwellMs = 400;

bool ByPlace(const CFinding& a, const CFinding& b)
{
    if (a.file != b.file)
        return a.file.empty() || (!b.file.empty() && a.file < b.file);
    if (a.InScript() && a.nStart != b.nStart)
        return a.nStart < b.nStart;
    return a.nLine < b.nLine;
}

bool IsDrawn(const CFinding& finding)
{
    return finding.InScript() && finding.nStart >= 0;
}

// The findings of an edited stretch go; those after it move with the text.
// [nFrom, nOldEnd) is the stretch before the edit, nShift how far the text
// after it moved. True when one went; those that went go to pGone.
bool Follow(std::vector<CFinding>& findings, long nFrom, long nOldEnd, long nShift, long nLineShift,
            std::vector<CFinding>* pGone = nullptr)
{
    // In place: a key that takes nothing away moves numbers only.
    size_t nKept = 0;
    for (size_t i = 0; i < findings.size(); ++i)
    {
        CFinding& finding = findings[i];
        const bool bBefore = !IsDrawn(finding) || (finding.nEnd <= nFrom && finding.nStart < nFrom);
        if (!bBefore && finding.nStart < nOldEnd)
        {
            if (pGone != nullptr)
                pGone->push_back(std::move(finding));
            continue;
        }
        if (!bBefore)
        {
            finding.nStart += nShift;
            finding.nEnd += nShift;
            finding.nLine += nLineShift;
            finding.nEndLine += nLineShift;
            for (CFix& fix : finding.fixes)
            {
                fix.nStart += nShift;
                fix.nEnd += nShift;
            }
        }
        if (nKept != i)
            findings[nKept] = std::move(finding);
        ++nKept;
    }
    const bool bGone = nKept != findings.size();
    findings.resize(nKept);
    return bGone;
}
} // namespace

CAnalysisMarks::CAnalysisMarks(CScriptEdit& edit, const CCommandLibrary& library)
    : QObject(&edit), m_edit(edit), m_library(library), m_pRelease(new QTimer(this))
{
    m_pRelease->setSingleShot(true);
    m_pRelease->setInterval(kTypingHoldMs);
    connect(m_pRelease, &QTimer::timeout, this, &CAnalysisMarks::ReleaseWaiting);
    connect(&m_edit, &CTextControl::TextEdited, this, &CAnalysisMarks::TextEdited);
    connect(&m_edit, &CTextControl::SelectionChanged, this, &CAnalysisMarks::CaretMoved);
    m_edit.SetMouseDwellTime(kDwellMs);
    connect(&m_edit, &CTextControl::MouseDwelled, this, &CAnalysisMarks::ShowTip);
    connect(&m_edit, &CTextControl::MouseDwellEnded, this, [] { QToolTip::hideText(); });
    m_edit.installEventFilter(this);
    m_nKnownLength = m_edit.GetTextLength();
    m_nKnownLines = m_edit.GetLineCount();
}

// The engine's worker ends (and with it any dry run) before the library goes.
CAnalysisMarks::~CAnalysisMarks() = default;

// A key in the pane, and its frame, come first: the work under way waits.
bool CAnalysisMarks::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::KeyPress || pEvent->type() == QEvent::InputMethod)
    {
        if (m_pSession)
            m_pSession->HoldFor(kHoldForKeyMs);
        // Typing, as against moving about: the keys that change the line.
        bool bTyping = pEvent->type() == QEvent::InputMethod;
        if (const auto* pKey = dynamic_cast<const QKeyEvent*>(pEvent))
            bTyping = (!pKey->text().isEmpty() && pKey->text().at(0).isPrint()) ||
                      pKey->key() == Qt::Key_Backspace || pKey->key() == Qt::Key_Delete;
        if (bTyping)
            m_lastKey = std::chrono::steady_clock::now();
    }
    return QObject::eventFilter(pWatched, pEvent);
}

CAnalysisSession& CAnalysisMarks::Session()
{
    if (!m_pSession)
    {
        CAnalysisSession::COptions options;
        options.nPauseMs = kPauseMs;
        options.nDryRunPauseMs = kDryRunPauseMs;
        options.dryRunHelper = m_helper;
        options.helpDir = m_helpDir;
        // The worker hands back on the window's thread; a result that comes
        // after this object is gone is dropped by Qt with the object.
        m_pSession = std::make_unique<CAnalysisSession>(
            m_library, options,
            [this](std::shared_ptr<const CAnalysis> pAnalysis)
            {
                QMetaObject::invokeMethod(
                    this, [this, pAnalysis] { Show(pAnalysis); }, Qt::QueuedConnection);
            },
            [this](const std::string&, long nVersion)
            {
                QMetaObject::invokeMethod(
                    this, [this, nVersion] { AskedForText(nVersion); }, Qt::QueuedConnection);
            });
    }
    return *m_pSession;
}

std::string CAnalysisMarks::SessionPath() const
{
    return m_edit.m_pDoc != nullptr ? m_edit.m_pDoc->GetPathName() : std::string();
}

void CAnalysisMarks::SetHelper(std::string program, std::string helpDir)
{
    m_helper = std::move(program);
    m_helpDir = std::move(helpDir);
    m_pSession.reset();
    ++m_nVersion; // what the text has shown so far was made without it
}

void CAnalysisMarks::SetEnabled(bool bEnabled)
{
    m_bEnabled = bEnabled;
    if (bEnabled)
    {
        AnalyseNow();
        return;
    }
    m_pSession.reset();
    ++m_nVersion;
    m_engine.clear();
    m_waiting.clear();
    Redraw({}, true);
}

void CAnalysisMarks::ForgetLibrary()
{
    m_pSession.reset();
    ++m_nVersion; // whatever was under way is dropped
}

void CAnalysisMarks::TextEdited(long nFrom, long nTo)
{
    ++m_nVersion;
    // A dry run of an older text is of no more use here: its hovers need the
    // text it ran, and the Model pane keeps the model it draws. Let go now,
    // it is freed while the next one is made rather than beside it.
    m_pDryRun.reset();
    if (m_bEnabled)
    {
        const std::string path = SessionPath();
        if (m_pSession && path != m_sessionPath)
            m_pSession->Close(m_sessionPath);
        m_sessionPath = path;
        Session().Changed(path, m_nVersion);
    }

    // The stretch edited, widened to whole lines: where it starts, and where
    // it ended before the edit.
    const long nLength = m_edit.GetTextLength();
    const long nShift = nLength - m_nKnownLength;
    m_nKnownLength = nLength;
    const long nLines = m_edit.GetLineCount();
    const long nLineShift = nLines - m_nKnownLines;
    m_nKnownLines = nLines;
    const long nLineStart = m_edit.LineIndex(m_edit.LineFromChar(nFrom));
    long nNewEnd = nTo;
    const long nToLine = m_edit.LineFromChar(nTo);
    const bool bEndsAtLineStart =
        m_edit.LineIndex(nToLine) == nTo && (nTo > nFrom || nFrom == nLineStart);
    if (!bEndsAtLineStart)
        nNewEnd = m_edit.LineIndex(nToLine) + m_edit.LineLength(nTo);
    const long nOldEnd = nNewEnd - nShift;
    // What the list shown moves, and what goes from it, is wiped off the text.
    bool bMoved = false;
    for (const CFinding& finding : Findings())
        bMoved = bMoved || (IsDrawn(finding) && finding.nStart >= nOldEnd);
    std::vector<CFinding> gone;
    bool bGone =
        Follow(m_engine, nLineStart, nOldEnd, nShift, nLineShift, m_bRunApart ? nullptr : &gone);
    bGone = Follow(m_waiting, nLineStart, nOldEnd, nShift, nLineShift) || bGone;
    if (m_runFinding)
    {
        std::vector<CFinding> run{*m_runFinding};
        if (Follow(run, nLineStart, nOldEnd, nShift, nLineShift))
        {
            m_runFinding.reset();
            bGone = true;
        }
        else
            m_runFinding = run.front();
    }
    if (!m_waiting.empty())
        m_pRelease->start();
    if (m_bRunApart)
        Follow(m_shown, nLineStart, nOldEnd, nShift, nLineShift, &gone);
    if (!gone.empty())
        Unmark(gone, nLineStart, nOldEnd, nNewEnd, nShift);
    if (bGone || !gone.empty())
        emit FindingsChanged();
    else if (bMoved && nLineShift != 0)
        emit FindingsMoved();
}

void CAnalysisMarks::AskedForText(long nVersion)
{
    // A newer version is announced already; the engine asks again for it.
    if (nVersion != m_nVersion || !m_pSession)
        return;
    m_pSession->Update(m_sessionPath, std::string(m_edit.TextView()), nVersion);
}

void CAnalysisMarks::AnalyseNow()
{
    if (!m_bEnabled)
        return;
    const std::string path = SessionPath();
    if (m_pSession && path != m_sessionPath)
        m_pSession->Close(m_sessionPath);
    m_sessionPath = path;
    CAnalysisSession& session = Session();
    session.Update(path, std::string(m_edit.TextView()), m_nVersion);
    session.AnalyseNow(path);
}

void CAnalysisMarks::Show(std::shared_ptr<const CAnalysis> pAnalysis)
{
    if (pAnalysis->nVersion != m_nVersion)
        return; // the text has moved on since
    const std::vector<CMark> before = ShownMarks();
    m_nShownVersion = pAnalysis->nVersion;
    m_bComplete = pAnalysis->stage == CAnalysis::EStage::Complete;
    m_engine.clear();
    m_engine.reserve(pAnalysis->findings.size());
    m_waiting.clear();
    // What lies on the line being typed waits for the typing to pause.
    long nCaretLine = -1;
    const auto sinceKey = std::chrono::steady_clock::now() - m_lastKey;
    if (sinceKey < std::chrono::milliseconds(kTypingHoldMs))
    {
        long nStart = 0;
        long nEnd = 0;
        m_edit.GetSel(nStart, nEnd);
        nCaretLine = m_edit.LineFromChar(nEnd);
    }
    for (const CFinding& finding : pAnalysis->findings)
    {
        if (nCaretLine >= 0 && IsDrawn(finding) &&
            m_edit.LineFromChar(finding.nStart) == nCaretLine)
            m_waiting.push_back(finding);
        else
            m_engine.push_back(finding);
    }
    m_nWaitingLine = m_waiting.empty() ? -1 : nCaretLine;
    if (!m_waiting.empty())
        m_pRelease->start(
            kTypingHoldMs -
            static_cast<int>(
                std::chrono::duration_cast<std::chrono::milliseconds>(sinceKey).count()));
    Redraw(before);
    if (pAnalysis->pOutline)
        m_pOutline = pAnalysis->pOutline;
    if (pAnalysis->pKnowledge)
        m_pKnowledge = pAnalysis->pKnowledge;
    if (pAnalysis->pTags)
        m_pTags = pAnalysis->pTags;
    if (pAnalysis->pDryRun)
    {
        m_pDryRun = pAnalysis->pDryRun;
        m_nDryRunVersion = pAnalysis->nVersion;
        emit DryRunChanged();
    }
}

void CAnalysisMarks::CaretMoved()
{
    if (m_waiting.empty())
        return;
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    if (m_edit.LineFromChar(nEnd) != m_nWaitingLine)
        ReleaseWaiting();
}

void CAnalysisMarks::ReleaseWaiting()
{
    m_pRelease->stop();
    if (m_waiting.empty())
        return;
    const std::vector<CMark> before = ShownMarks();
    m_engine.insert(m_engine.end(), std::make_move_iterator(m_waiting.begin()),
                    std::make_move_iterator(m_waiting.end()));
    m_waiting.clear();
    m_nWaitingLine = -1;
    std::stable_sort(m_engine.begin(), m_engine.end(), ByPlace);
    Redraw(before);
}

std::vector<CAnalysisMarks::CMark> CAnalysisMarks::MarksOf(const std::vector<CFinding>& findings,
                                                           long nLength)
{
    std::vector<CMark> marks;
    marks.reserve(findings.size());
    for (const CFinding& finding : findings)
    {
        if (!IsDrawn(finding))
            continue;
        CMark mark;
        mark.nStart = std::min(finding.nStart, nLength);
        mark.nEnd = std::min(std::max(finding.nEnd, mark.nStart + 1), nLength);
        mark.nIndicator = finding.severity == ESeverity::Error     ? CTextControl::kErrorIndicator
                          : finding.severity == ESeverity::Warning ? CTextControl::kWarningIndicator
                                                                   : CTextControl::kInfoIndicator;
        if (finding.rule == "run/last-run")
            mark.nMarker = CTextControl::kRunMarker;
        else if (finding.severity == ESeverity::Error)
            mark.nMarker = CTextControl::kErrorMarker;
        else if (finding.severity == ESeverity::Warning)
            mark.nMarker = CTextControl::kWarningMarker;
        marks.push_back(mark);
    }
    std::sort(marks.begin(), marks.end());
    return marks;
}

// The marks of the list shown, taken before it changes, for Redraw.
std::vector<CAnalysisMarks::CMark> CAnalysisMarks::ShownMarks() const
{
    return MarksOf(Findings(), m_edit.GetTextLength());
}

// The list shown, and every mark drawn from it; once per change of the list,
// never per key or paint. Only what changed since before is drawn again,
// unless bAll.
void CAnalysisMarks::Redraw(const std::vector<CMark>& before, bool bAll)
{
    // The run's error that another source reports already is that one.
    const bool bRunTwice =
        m_runFinding && std::any_of(m_engine.begin(), m_engine.end(),
                                    [this](const CFinding& finding)
                                    { return FindingMerge::SameCause(finding, *m_runFinding); });
    m_bRunApart = m_runFinding && !bRunTwice;
    m_shown.clear();
    if (m_bRunApart)
    {
        m_shown = m_engine;
        m_shown.insert(std::upper_bound(m_shown.begin(), m_shown.end(), *m_runFinding, ByPlace),
                       *m_runFinding);
    }
    const long nLength = m_edit.GetTextLength();
    const std::vector<CMark> marks = MarksOf(Findings(), nLength);
    std::vector<CMark> removed;
    std::vector<CMark> added;
    if (!bAll)
    {
        std::set_difference(before.begin(), before.end(), marks.begin(), marks.end(),
                            std::back_inserter(removed));
        std::set_difference(marks.begin(), marks.end(), before.begin(), before.end(),
                            std::back_inserter(added));
        bAll = removed.size() > kMaxMarksRedrawn || added.size() > kMaxMarksRedrawn;
    }
    if (bAll)
    {
        for (const int nIndicator : {CTextControl::kErrorIndicator, CTextControl::kWarningIndicator,
                                     CTextControl::kInfoIndicator})
            m_edit.ClearIndicator(nIndicator);
        std::vector<long> lines[3];
        for (const CMark& mark : marks)
        {
            m_edit.FillIndicator(mark.nIndicator, mark.nStart, mark.nEnd - mark.nStart);
            if (mark.nMarker >= 0)
                lines[mark.nMarker - CTextControl::kRunMarker].push_back(
                    m_edit.LineFromChar(mark.nStart));
        }
        for (int i = 0; i < 3; ++i)
            m_edit.SetMarkerLines(CTextControl::kRunMarker + i, lines[i]);
        emit FindingsChanged();
        return;
    }
    // A squiggle that went may have covered part of another: those that
    // overlap it are drawn again.
    for (const CMark& mark : removed)
        m_edit.ClearIndicator(mark.nIndicator, mark.nStart, mark.nEnd - mark.nStart);
    std::vector<long> lines;
    for (const CMark& mark : removed)
        lines.push_back(m_edit.LineFromChar(mark.nStart));
    for (const CMark& mark : added)
    {
        m_edit.FillIndicator(mark.nIndicator, mark.nStart, mark.nEnd - mark.nStart);
        lines.push_back(m_edit.LineFromChar(mark.nStart));
    }
    Refill(marks, removed, lines);
    emit FindingsChanged();
}

// The squiggles of findings an edit took away, where they now lie: the part
// before the edited stretch, the stretch, and the part after it, moved.
// What else was drawn there is drawn again, and the margin of those lines
// follows what is left on them.
void CAnalysisMarks::Unmark(const std::vector<CFinding>& gone, long nLineStart, long nOldEnd,
                            long nNewEnd, long nShift)
{
    const long nLength = m_edit.GetTextLength();
    std::vector<CMark> cleared = MarksOf(gone, std::max(nLength, nOldEnd));
    for (CMark& mark : cleared)
    {
        mark.nStart = std::min(mark.nStart, nLineStart);
        mark.nEnd = std::min(mark.nEnd >= nOldEnd ? mark.nEnd + nShift : nNewEnd, nLength);
        if (mark.nEnd > mark.nStart)
            m_edit.ClearIndicator(mark.nIndicator, mark.nStart, mark.nEnd - mark.nStart);
    }
    // The marks of the findings that start on the lines the cleared stretches
    // touch: the findings are in the order of their places.
    long nFrom = nLength;
    long nTo = 0;
    for (const CMark& mark : cleared)
    {
        nFrom = std::min(nFrom, m_edit.LineIndex(m_edit.LineFromChar(mark.nStart)));
        nTo = std::max(nTo, mark.nEnd);
    }
    const long nToLine = m_edit.LineFromChar(nTo);
    nTo = nToLine + 1 < m_edit.GetLineCount() ? m_edit.LineIndex(nToLine + 1) : nLength + 1;
    const auto first = std::partition_point(
        Findings().begin(), Findings().end(),
        [&](const CFinding& finding) { return finding.InScript() && finding.nStart < nFrom; });
    auto last = first;
    while (last != Findings().end() && last->InScript() && last->nStart < nTo)
        ++last;
    const std::vector<CMark> marks = MarksOf(std::vector<CFinding>(first, last), nLength);
    std::vector<long> lines;
    for (const CMark& mark : cleared)
    {
        for (long nLine = m_edit.LineFromChar(mark.nStart); nLine <= m_edit.LineFromChar(mark.nEnd);
             ++nLine)
            lines.push_back(nLine);
    }
    Refill(marks, cleared, lines);
}

void CAnalysisMarks::Refill(const std::vector<CMark>& marks, const std::vector<CMark>& cleared,
                            std::vector<long>& lines)
{
    for (const CMark& mark : marks)
    {
        const bool bOverlaps = std::any_of(cleared.begin(), cleared.end(),
                                           [&](const CMark& gone)
                                           {
                                               return gone.nIndicator == mark.nIndicator &&
                                                      gone.nStart < mark.nEnd &&
                                                      mark.nStart < gone.nEnd;
                                           });
        if (bOverlaps)
            m_edit.FillIndicator(mark.nIndicator, mark.nStart, mark.nEnd - mark.nStart);
    }
    const long nLength = m_edit.GetTextLength();
    std::sort(lines.begin(), lines.end());
    lines.erase(std::unique(lines.begin(), lines.end()), lines.end());
    for (const long nLine : lines)
    {
        const long nFrom = m_edit.LineIndex(nLine);
        const long nTo =
            nLine + 1 < m_edit.GetLineCount() ? m_edit.LineIndex(nLine + 1) : nLength + 1;
        bool bHas[3] = {false, false, false};
        for (auto it = std::lower_bound(marks.begin(), marks.end(), CMark{nFrom, 0, 0, -1});
             it != marks.end() && it->nStart < nTo; ++it)
        {
            if (it->nMarker >= 0)
                bHas[it->nMarker - CTextControl::kRunMarker] = true;
        }
        for (int i = 0; i < 3; ++i)
            m_edit.SetMarker(nLine, CTextControl::kRunMarker + i, bHas[i]);
    }
}

int CAnalysisMarks::Count(ESeverity severity) const
{
    return static_cast<int>(std::count_if(Findings().begin(), Findings().end(),
                                          [severity](const CFinding& finding)
                                          { return finding.severity == severity; }));
}

const CFinding* CAnalysisMarks::FindingAt(long nPos) const
{
    for (const CFinding& finding : Findings())
    {
        if (IsDrawn(finding) && nPos >= finding.nStart &&
            nPos < std::max(finding.nEnd, finding.nStart + 1))
            return &finding;
    }
    return nullptr;
}

void CAnalysisMarks::SetRunFinding(const std::string& file, long nLine, const std::string& message)
{
    CFinding finding;
    finding.rule = "run/last-run";
    finding.severity = RuleCatalogue::SeverityOf(finding.rule);
    finding.message = "run: " + message;
    finding.file = file;
    finding.nLine = nLine;
    finding.nStart = -1;
    finding.nEnd = -1;
    if (file.empty() && nLine >= 1 && nLine <= m_edit.GetLineCount())
    {
        finding.nStart = m_edit.LineIndex(nLine - 1);
        finding.nEnd = finding.nStart + m_edit.LineLength(finding.nStart);
        const std::string_view text = m_edit.TextView();
        while (finding.nStart < finding.nEnd && (text[static_cast<size_t>(finding.nStart)] == ' ' ||
                                                 text[static_cast<size_t>(finding.nStart)] == '\t'))
            ++finding.nStart;
    }
    const std::vector<CMark> before = ShownMarks();
    m_runFinding = std::move(finding);
    Redraw(before);
}

void CAnalysisMarks::ClearRunFinding()
{
    if (!m_runFinding)
        return;
    const std::vector<CMark> before = ShownMarks();
    m_runFinding.reset();
    Redraw(before);
}

void CAnalysisMarks::GoTo(size_t nFinding)
{
    if (nFinding >= Findings().size())
        return;
    const CFinding finding = Findings()[nFinding];
    if (IsDrawn(finding))
    {
        m_edit.setFocus();
        m_edit.SetSel(finding.nStart, std::max(finding.nEnd, finding.nStart));
        m_edit.ScrollCaret();
    }
    else if (!finding.InScript() && finding.nLine > 0 && OpenFileAt)
        OpenFileAt(finding.file, finding.nLine);
}

bool CAnalysisMarks::GoToNext(bool bBackward)
{
    std::vector<size_t> drawn;
    for (size_t i = 0; i < Findings().size(); ++i)
    {
        if (IsDrawn(Findings()[i]))
            drawn.push_back(i);
    }
    if (drawn.empty())
        return false;
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    size_t nPick = bBackward ? drawn.back() : drawn.front();
    if (!bBackward)
    {
        for (const size_t i : drawn)
        {
            if (Findings()[i].nStart > nStart)
            {
                nPick = i;
                break;
            }
        }
    }
    else
    {
        for (auto it = drawn.rbegin(); it != drawn.rend(); ++it)
        {
            if (Findings()[*it].nStart < nStart)
            {
                nPick = *it;
                break;
            }
        }
    }
    GoTo(nPick);
    return true;
}

const CFix* CAnalysisMarks::FixAtCaret() const
{
    long nStart = 0;
    long nEnd = 0;
    m_edit.GetSel(nStart, nEnd);
    if (const CFinding* pFinding = FindingAt(nEnd); pFinding != nullptr && !pFinding->fixes.empty())
        return &pFinding->fixes.front();
    if (nEnd > 0)
    {
        if (const CFinding* pFinding = FindingAt(nEnd - 1);
            pFinding != nullptr && !pFinding->fixes.empty())
            return &pFinding->fixes.front();
    }
    const long nLine = m_edit.LineFromChar(nEnd);
    for (const CFinding& finding : Findings())
    {
        if (IsDrawn(finding) && !finding.fixes.empty() &&
            m_edit.LineFromChar(finding.nStart) == nLine)
            return &finding.fixes.front();
    }
    return nullptr;
}

bool CAnalysisMarks::QuickFixAtCaret()
{
    const CFix* pFix = FixAtCaret();
    if (pFix == nullptr)
        return false;
    const CFix fix = *pFix;
    const long nLength = m_edit.GetTextLength();
    if (fix.nStart < 0 || fix.nEnd > nLength || fix.nStart > fix.nEnd)
        return false;
    m_edit.ReplaceAsTyped(fix.nStart, fix.nEnd, fix.text);
    return true;
}

std::string CAnalysisMarks::TipAt(long nPos) const
{
    if (const CFinding* pFinding = FindingAt(nPos))
    {
        std::string tip = pFinding->message;
        for (const CRelatedPlace& related : pFinding->related)
            tip += "\n" + related.message +
                   (related.nLine > 0 ? " (line " + std::to_string(related.nLine) + ")" : "");
        if (!pFinding->fixes.empty())
            tip += "\nQuick fix (Ctrl+.): " + pFinding->fixes.front().title;
        return tip;
    }
    if (IsDryRunCurrent() && nPos >= 0)
        return m_pDryRun->TipAt(static_cast<size_t>(nPos));
    return {};
}

void CAnalysisMarks::ShowTip(long nPos, const QPoint& point)
{
    const std::string tip = TipAt(nPos);
    if (tip.empty())
        return;
    QToolTip::showText(m_edit.viewport()->mapToGlobal(point), PlainToolTip(m_edit.ToDisplay(tip)),
                       m_edit.viewport());
}

CAnalysis CAnalysisMarks::Known() const
{
    CAnalysis known;
    known.nVersion = m_nShownVersion;
    known.stage = m_bComplete ? CAnalysis::EStage::Complete : CAnalysis::EStage::Checked;
    known.pOutline = m_pOutline;
    known.pKnowledge = m_pKnowledge;
    known.pDryRun = m_pDryRun;
    known.pTags = m_pTags;
    return known;
}

bool CAnalysisMarks::WaitForResult(int nMs)
{
    return WaitUntil([this] { return IsCurrent(); }, nMs);
}

bool CAnalysisMarks::WaitForComplete(int nMs)
{
    return WaitUntil([this] { return IsComplete(); }, nMs);
}

bool CAnalysisMarks::WaitUntil(const std::function<bool()>& done, int nMs)
{
    QElapsedTimer clock;
    clock.start();
    while (!done())
    {
        if (clock.elapsed() > nMs)
            return false;
        if (m_pSession)
            m_pSession->WaitUntilIdle(20);
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return true;
}
