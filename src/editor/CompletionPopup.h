#pragma once

#include <QListView>

class CCompletionModel;

// The list Ctrl+Space shows below the caret. It takes the keys while it is
// up: the arrows and page keys move in it, Enter or Tab (or a click) chooses,
// Escape closes it, and every other key goes on to the editing pane, which
// then narrows the list to what has been typed.
class CCompletionPopup : public QListView
{
    Q_OBJECT

public:
    CCompletionPopup(CCompletionModel& model, QWidget* pParent);

    // Shows the list with its first entry current, its top-left corner at a
    // screen point; the tip of the current entry beside it.
    void Popup(const QPoint& globalTopLeft);
    // After the model changed: first entry current again, height to fit.
    void Refit();
    // A list that comes up by itself while typing leaves the keyboard with
    // the editing pane (and its call tip up), which hands it the keys that
    // move in the list; Enter then breaks the line instead of choosing.
    void LeaveKeyboardToEditor();
    // Such a list's handling of a key the editing pane got: true when the
    // list took it (the moves, Tab, Escape).
    bool TakeKey(QKeyEvent* pEvent);

signals:
    void Chosen(int nRow);
    void KeyForEditor(QKeyEvent* pEvent);

protected:
    void keyPressEvent(QKeyEvent* pEvent) override;
    void currentChanged(const QModelIndex& current, const QModelIndex& previous) override;
    void hideEvent(QHideEvent* pEvent) override;

private:
    bool ListKey(QKeyEvent* pEvent, bool bEnterChooses);
    void ShowTip(const QModelIndex& index);

    CCompletionModel& m_model;
    bool m_bTakesFocus = true;
};
