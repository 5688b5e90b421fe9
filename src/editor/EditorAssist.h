#pragma once

#include "analysis/ScriptCompletion.h"

#include <QObject>
#include <QString>

class QKeyEvent;
class CCommandLibrary;
class CCompletionModel;
class CCompletionPopup;
class CScriptEdit;

// What the analysis engine tells the editing pane while a script is typed
// and read, as the language server tells other editors:
// - completion while typing: after two letters of a command (one after a
//   $), and after the blank that ends a command's word: its sub-commands
//   and types, flags, choices and the tags of the kind a form wants there.
//   Tab or a click takes an entry; Enter closes the list and breaks the line;
// - the usage forms of the command being typed as a call tip, the word
//   being typed highlighted in the first form that has it;
// - the definition of what stands at a place (F12, Ctrl+click): a
//   procedure's proc, a variable's first set, a tag's definition, a sourced
//   file. When the analysis of the text as it stands is not in yet, the
//   pane goes there once it is.
class CEditorAssist : public QObject
{
    Q_OBJECT

public:
    CEditorAssist(CScriptEdit& edit, const CCommandLibrary& library);

    void SetCompleteWhileTyping(bool bOn);
    bool CompletesWhileTyping() const { return m_bWhileTyping; }
    // After a character typed was put in and coloured (13 Enter, 8 Backspace).
    void Typed(char ch);
    // A key the editing pane got, before it handles it: true when the list
    // shown while typing took it (its moves, Tab, Escape).
    bool TakeKey(QKeyEvent* pEvent);
    // The list and the call tip go (a click elsewhere, the pane left).
    void Dismiss();
    // Goes to the definition of what stands at a position.
    void GoToDefinition(long nPos);

    // The list while typing, once it has been shown; for tests.
    CCompletionPopup* Popup() const { return m_pPopup; }
    static constexpr size_t kLettersBeforeCompletion = 2;

signals:
    // What stands at the place has no definition the analysis knows.
    void NotFound(const QString& why);

protected:
    bool eventFilter(QObject* pWatched, QEvent* pEvent) override;

private:
    bool MayOffer(char ch) const;
    CScriptCompletion::CResult CompletionAtCaret() const;
    void List(CScriptCompletion::CResult result);
    void ShowCompletion(CScriptCompletion::CResult result);
    void Choose(int nRow);
    void ShowSignature(const CScriptCompletion::CResult& result);
    void ResolvePendingDefinition();
    bool GoTo(long nPos);

    CScriptEdit& m_edit;
    const CCommandLibrary& m_library;
    bool m_bWhileTyping = true;
    CCompletionModel* m_pModel = nullptr;
    CCompletionPopup* m_pPopup = nullptr;
    CScriptCompletion::CResult m_shown; // nWordStart a position of the text
    // A definition asked for before the analysis was in, and the length of
    // the text then: an edit since drops it.
    long m_nPendingDefinition = -1;
    long m_nPendingLength = -1;
};
