#pragma once

#include <QObject>

class CTextControl;

// Folding of the script's brace blocks: every "{" ... "}" block that spans
// lines gets a box in the fold margin that folds and unfolds it. The levels
// follow the text as it is edited: from the first line an edit touched on,
// until the lines below come out as they were.
class CBlockFolding : public QObject
{
    Q_OBJECT

public:
    explicit CBlockFolding(CTextControl& control);

    // Folds (bFold) or unfolds the innermost block that holds the caret.
    void FoldAtCaret(bool bFold);
    // Brings the levels of the lines from nFrom's through nTo's, and of
    // whatever lines below they change, up to date.
    void Refold(long nFrom, long nTo);

private:
    CTextControl& m_control;
};
