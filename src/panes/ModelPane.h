#pragma once

#include <QDockWidget>
#include <memory>

class CDryRunResult;
class CModelView;
class QAction;
class QLabel;

// The Model pane, a dock on the right, hidden until asked for: the model
// view; its Fit, Tags, standard views, vertical axis and export; and a line
// that says what the dry run built, or what a clicked node or element has
// wrong with it. The vertical axis is kept between runs.
class CModelPane : public QDockWidget
{
    Q_OBJECT

public:
    explicit CModelPane(QWidget* pParent = nullptr);

    CModelView& View() const { return *m_pView; }
    QAction* FitAction() const { return m_pFit; }
    QAction* TagsAction() const { return m_pTags; }
    // One of "Front", "Side", "Top", "Isometric", "Reset view", "Vertical y",
    // "Export PNG...", "Export SVG...": the pane's actions by their texts.
    QAction* Action(const QString& text) const;
    QLabel* Summary() const { return m_pSummary; }
    void SetResult(const std::shared_ptr<const CDryRunResult>& pResult);

    // Asks where, and writes the picture there; a failure is said in a message.
    void Export(bool bSvg);

private:
    CModelView* m_pView;
    QAction* m_pFit;
    QAction* m_pTags;
    QLabel* m_pSummary;
};
