// Completion of the word at the caret from the command library: Ctrl+Space
// lists the keywords the library knows for this place in the line.
#include "CompletionModel.h"
#include "CompletionPopup.h"
#include "ScriptEdit.h"
#include "text/WhiteSpace.h"

#include <QKeyEvent>
#include <algorithm>

CScriptEdit::CCompletionContext CScriptEdit::CompletionContextAtCaret() const
{
    CCompletionContext context;
    long nStart = 0;
    long nCaret = 0;
    GetSel(nStart, nCaret);
    const long nLineStart = LineIndex(LineFromChar(nCaret));
    const std::string line = GetTextRange(nLineStart, nLineStart + LineLength(nCaret));
    const long nColumn = nCaret - nLineStart;
    CLineWalk walk(line, static_cast<long>(line.size()));
    CLineWalk::CWord word;
    walk.WordAt(nColumn, word);
    long nWordStart = std::min(word.nStart, nColumn);
    // Blanks before the word (a tab indent) are not part of what was typed.
    while (nWordStart < nColumn && IsWhiteSpace(line[static_cast<size_t>(nWordStart)]))
        ++nWordStart;
    context.nWordStart = nLineStart + nWordStart;
    context.prefix =
        line.substr(static_cast<size_t>(nWordStart), static_cast<size_t>(nColumn - nWordStart));
    context.parent = std::string(word.context);
    return context;
}

std::vector<int> CScriptEdit::Completions(const CCompletionContext& context) const
{
    return m_library.Complete(context.parent, context.prefix);
}

std::string_view CScriptEdit::CompletionKeyword(int nRecord) const
{
    return m_library.KeywordOf(nRecord);
}

std::string CScriptEdit::CompletionTip(int nRecord)
{
    std::string text;
    if (!m_library.FetchText(nRecord, text))
        return {};
    // The text starts with the record's header line; the tip is the next line
    // that holds something.
    size_t nPos = text.find('\n');
    while (nPos != std::string::npos)
    {
        const size_t nNext = text.find('\n', nPos + 1);
        const std::string_view line = Trim(std::string_view(text).substr(
            nPos + 1, nNext == std::string::npos ? std::string::npos : nNext - nPos - 1));
        if (!line.empty())
            return std::string(line);
        nPos = nNext;
    }
    return {};
}

void CScriptEdit::ShowCompletions()
{
    const CCompletionContext context = CompletionContextAtCaret();
    std::vector<int> records = Completions(context);
    if (records.empty())
        return;
    if (m_pCompletionPopup == nullptr)
    {
        m_pCompletionModel = new CCompletionModel(
            [this](int nRecord) { return ToDisplay(CompletionKeyword(nRecord)); },
            [this](int nRecord) { return CompletionKeyword(nRecord).size(); },
            [this](int nRecord) { return ToDisplay(CompletionTip(nRecord)); }, this);
        m_pCompletionPopup = new CCompletionPopup(*m_pCompletionModel, this);
        connect(m_pCompletionPopup, &CCompletionPopup::Chosen, this,
                [this](int nRow) { CompleteWith(m_pCompletionModel->RecordAt(nRow)); });
        connect(m_pCompletionPopup, &CCompletionPopup::KeyForEditor, this,
                [this](QKeyEvent* pEvent)
                {
                    keyPressEvent(pEvent);
                    RefreshCompletions();
                });
    }
    m_nCompletionWordStart = context.nWordStart;
    m_pCompletionModel->SetRecords(std::move(records));
    const QPoint below =
        PosFromChar(context.nWordStart) + QPoint(0, CharacterRect(context.nWordStart).height());
    m_pCompletionPopup->Popup(viewport()->mapToGlobal(below));
}

void CScriptEdit::RefreshCompletions()
{
    if (m_pCompletionPopup == nullptr || !m_pCompletionPopup->isVisible())
        return;
    const CCompletionContext context = CompletionContextAtCaret();
    std::vector<int> records;
    if (context.nWordStart == m_nCompletionWordStart)
        records = Completions(context);
    if (records.empty())
    {
        m_pCompletionPopup->hide();
        return;
    }
    m_pCompletionModel->SetRecords(std::move(records));
    m_pCompletionPopup->Refit();
}

void CScriptEdit::CompleteWith(int nRecord)
{
    const CCompletionContext context = CompletionContextAtCaret();
    const std::string_view keyword = CompletionKeyword(nRecord);
    if (keyword.substr(0, context.prefix.size()) != context.prefix ||
        keyword.size() == context.prefix.size())
        return;
    const std::string rest(keyword.substr(context.prefix.size()));
    MarkChanged();
    ReplaceSel(rest, true);
    ColourTyped(rest.back());
}
