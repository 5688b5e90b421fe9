#pragma once

#include <QDockWidget>

class COutputText;
class QLabel;
class QToolButton;

// The Output pane, a dock that shares the bottom with the Problems pane: the
// state of the run in its header ("Running… 0:12", "Finished in 12.3 s
// (exit status 0)", ...), how many earlier lines were dropped, a Stop
// button, and the output itself.
class COutputPane : public QDockWidget
{
    Q_OBJECT

public:
    explicit COutputPane(QWidget* pParent = nullptr);

    COutputText& Text() const { return *m_pText; }
    QLabel* StateLabel() const { return m_pState; }
    QLabel* DroppedLabel() const { return m_pDropped; }
    QToolButton* StopButton() const { return m_pStop; }

    void SetState(const QString& state);
    void SetDroppedLines(long nDropped);
    void SetStopEnabled(bool bEnabled);

signals:
    void StopClicked();

private:
    COutputText* m_pText;
    QLabel* m_pState;
    QLabel* m_pDropped;
    QToolButton* m_pStop;
};
