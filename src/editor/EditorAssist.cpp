#include "EditorAssist.h"

#include "AnalysisMarks.h"
#include "CompletionModel.h"
#include "CompletionPopup.h"
#include "CorvaleDoc.h"
#include "ScriptEdit.h"
#include "analysis/CommandSignatures.h"
#include "analysis/ScriptNavigation.h"
#include "analysis/ScriptText.h"

#include <QEvent>
#include <QKeyEvent>
#include <numeric>

CEditorAssist::CEditorAssist(CScriptEdit& edit, const CCommandLibrary& library)
    : QObject(&edit), m_edit(edit), m_library(library)
{
    const auto resolve = [this] { ResolvePendingDefinition(); };
    connect(&m_edit.Analysis(), &CAnalysisMarks::FindingsChanged, this, resolve);
    connect(&m_edit.Analysis(), &CAnalysisMarks::DryRunChanged, this, resolve);
    m_edit.installEventFilter(this);
}

bool CEditorAssist::eventFilter(QObject* pWatched, QEvent* pEvent)
{
    if (pEvent->type() == QEvent::FocusOut || pEvent->type() == QEvent::Hide)
        Dismiss();
    return QObject::eventFilter(pWatched, pEvent);
}

bool CEditorAssist::TakeKey(QKeyEvent* pEvent)
{
    if (pEvent->key() == Qt::Key_Escape && m_edit.IsCallTipShown() &&
        (m_pPopup == nullptr || !m_pPopup->isVisible()))
    {
        m_edit.HideCallTip();
        return true;
    }
    return m_pPopup != nullptr && m_pPopup->TakeKey(pEvent);
}

void CEditorAssist::Dismiss()
{
    if (m_pPopup != nullptr)
        m_pPopup->hide();
    m_edit.HideCallTip();
}

void CEditorAssist::SetCompleteWhileTyping(bool bOn)
{
    m_bWhileTyping = bOn;
    if (!bOn && m_pPopup != nullptr)
        m_pPopup->hide();
}

// Whether a character typed may bring the list or the call tip up: a blank,
// or the second letter of a word (the first after a $). Read from the two
// bytes before the caret only, as it is asked on every key.
bool CEditorAssist::MayOffer(char ch) const
{
    if (ch == ' ')
        return true;
    if (!ScriptText::IsNameByte(ch))
        return false;
    long nStart = 0;
    long nCaret = 0;
    m_edit.GetSel(nStart, nCaret);
    if (nCaret < 2)
        return false;
    const std::string before = m_edit.GetTextRange(nCaret - 2, nCaret - 1);
    return !before.empty() && (ScriptText::IsNameByte(before[0]) || before[0] == '$');
}

// Only the caret's line up to the caret is read.
CScriptCompletion::CResult CEditorAssist::CompletionAtCaret() const
{
    long nStart = 0;
    long nCaret = 0;
    m_edit.GetSel(nStart, nCaret);
    const long nLineStart = m_edit.LineIndex(m_edit.LineFromChar(nCaret));
    const std::string line = m_edit.GetTextRange(nLineStart, nCaret);
    const CAnalysis known = m_edit.Analysis().Known();
    CScriptCompletion::CResult result =
        CScriptCompletion(&m_library, known.pKnowledge.get()).At(line, &known, line.size());
    result.nWordStart += static_cast<size_t>(nLineStart);
    return result;
}

void CEditorAssist::Typed(char ch)
{
    if (ch == '\r')
        m_edit.HideCallTip();
    // Ctrl+Space's own list is up: it narrows by itself.
    if (!m_bWhileTyping ||
        (m_edit.CompletionPopup() != nullptr && m_edit.CompletionPopup()->isVisible()))
        return;
    const bool bListShown = m_pPopup != nullptr && m_pPopup->isVisible();
    const bool bTipShown = m_edit.IsCallTipShown();
    if (!bListShown && !bTipShown && !MayOffer(ch))
        return; // most keys: nothing comes up, nothing to read
    const CScriptCompletion::CResult result = CompletionAtCaret();
    // The call tip comes with a blank, and follows the words once it is up.
    if (ch == ' ' || (bTipShown && ch != '\r'))
        ShowSignature(result);
    if (bListShown)
    {
        // The list narrows as the word is typed, and closes once it is left.
        if (result.nWordStart != m_shown.nWordStart || result.items.empty() || ch == ' ')
            m_pPopup->hide();
        else
        {
            List(result);
            m_pPopup->Refit();
            return;
        }
    }
    const bool bNameByte = ScriptText::IsNameByte(ch);
    bool bShow = false;
    if (ch == ' ')
        bShow = !result.bVariable && result.nWordsBefore >= 1 && result.prefix.empty();
    else if (bNameByte && result.bVariable)
        bShow = !result.prefix.empty();
    else if (bNameByte)
        bShow = result.nWordsBefore == 0 && result.prefix.size() >= kLettersBeforeCompletion;
    // Nothing to offer, or only what is typed already.
    if (!bShow || result.items.empty() ||
        (result.items.size() == 1 && result.items[0].label == result.prefix))
        return;
    ShowCompletion(result);
}

// The items become the list's rows, by their index.
void CEditorAssist::List(CScriptCompletion::CResult result)
{
    m_shown = std::move(result);
    std::vector<int> rows(m_shown.items.size());
    std::iota(rows.begin(), rows.end(), 0);
    m_pModel->SetRecords(std::move(rows));
}

void CEditorAssist::ShowCompletion(CScriptCompletion::CResult result)
{
    if (m_pPopup == nullptr)
    {
        m_pModel = new CCompletionModel(
            [this](int nRow)
            { return m_edit.ToDisplay(m_shown.items[static_cast<size_t>(nRow)].label); },
            [this](int nRow) { return m_shown.items[static_cast<size_t>(nRow)].label.size(); },
            [this](int nRow)
            { return m_edit.ToDisplay(m_shown.items[static_cast<size_t>(nRow)].detail); },
            this);
        m_pPopup = new CCompletionPopup(*m_pModel, &m_edit);
        m_pPopup->LeaveKeyboardToEditor();
        connect(m_pPopup, &CCompletionPopup::Chosen, this, &CEditorAssist::Choose);
    }
    List(std::move(result));
    const long nAt = static_cast<long>(m_shown.nWordStart);
    const QPoint below = m_edit.PosFromChar(nAt) + QPoint(0, m_edit.CharacterRect(nAt).height());
    m_pPopup->Popup(m_edit.viewport()->mapToGlobal(below));
}

void CEditorAssist::Choose(int nRow)
{
    if (nRow < 0 || static_cast<size_t>(nRow) >= m_shown.items.size())
        return;
    long nStart = 0;
    long nCaret = 0;
    m_edit.GetSel(nStart, nCaret);
    const long nWordStart = static_cast<long>(m_shown.nWordStart);
    if (nWordStart > nCaret)
        return;
    m_edit.setFocus();
    m_edit.ReplaceAsTyped(nWordStart, nCaret, m_shown.items[static_cast<size_t>(nRow)].label);
}

void CEditorAssist::ShowSignature(const CScriptCompletion::CResult& result)
{
    const CAnalysis known = m_edit.Analysis().Known();
    if (result.bVariable || result.nWordsBefore == 0 || known.pKnowledge == nullptr)
    {
        if (!result.bVariable)
            m_edit.HideCallTip();
        return;
    }
    const std::vector<std::string>& words = result.wordsBefore;
    const CCommandSignatures shown = CCommandSignatures::Of(
        *known.pKnowledge, words[0], words.size() >= 2 ? words[1] : std::string(), words.size());
    if (shown.forms.empty())
    {
        m_edit.HideCallTip();
        return;
    }
    std::string tip;
    long nFrom = 0;
    long nTo = 0;
    for (const CCommandSignatures::CForm& form : shown.forms)
    {
        if (!tip.empty())
            tip += '\n';
        if (nTo == 0 && shown.nActive < form.parameters.size())
        {
            nFrom = static_cast<long>(tip.size() + form.parameters[shown.nActive].first);
            nTo = static_cast<long>(tip.size() + form.parameters[shown.nActive].second);
        }
        tip += form.line;
    }
    m_edit.ShowCallTip(static_cast<long>(result.nWordStart), tip, nFrom, nTo);
}

void CEditorAssist::GoToDefinition(long nPos)
{
    CAnalysisMarks& analysis = m_edit.Analysis();
    if (!analysis.IsEnabled())
    {
        emit NotFound(QStringLiteral("The analysis is off: no definitions are known"));
        return;
    }
    if (analysis.IsComplete())
    {
        if (!GoTo(nPos))
            emit NotFound(QStringLiteral("No definition of what stands here is known"));
        return;
    }
    m_nPendingDefinition = nPos;
    m_nPendingLength = m_edit.GetTextLength();
    analysis.AnalyseNow();
}

void CEditorAssist::ResolvePendingDefinition()
{
    if (m_nPendingDefinition < 0 || !m_edit.Analysis().IsComplete())
        return;
    const long nPos = m_nPendingDefinition;
    m_nPendingDefinition = -1;
    if (m_edit.GetTextLength() != m_nPendingLength)
        return; // edited since: the place asked for is gone
    if (!GoTo(nPos))
        emit NotFound(QStringLiteral("No definition of what stands here is known"));
}

bool CEditorAssist::GoTo(long nPos)
{
    const std::string text = m_edit.GetTextRange(0, m_edit.GetTextLength());
    const CAnalysis known = m_edit.Analysis().Known();
    const std::string path =
        m_edit.m_pDoc != nullptr ? m_edit.m_pDoc->GetPathName() : std::string();
    const std::optional<CScriptNavigation::CPlace> place =
        CScriptNavigation(text, path, known).Definition(static_cast<size_t>(std::max(0L, nPos)));
    if (!place)
        return false;
    if (!place->file.empty())
    {
        if (!m_edit.Analysis().OpenFileAt)
            return false;
        m_edit.Analysis().OpenFileAt(place->file, std::max(1L, place->nLine));
        return true;
    }
    m_edit.SetSel(place->nStart, std::max(place->nStart, place->nEnd));
    m_edit.ScrollCaret();
    m_edit.setFocus();
    return true;
}
