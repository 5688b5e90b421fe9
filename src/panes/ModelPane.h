#pragma once

#include <QDockWidget>
#include <memory>

class CDryRunResult;
class CModelView;
class QAction;
class QLabel;

// The Model pane, a dock on the right, hidden until asked for: the model
// view, its Fit and Tags, and a line that says what the dry run built.
class CModelPane : public QDockWidget
{
    Q_OBJECT

public:
    explicit CModelPane(QWidget* pParent = nullptr);

    CModelView& View() const { return *m_pView; }
    QAction* FitAction() const { return m_pFit; }
    QAction* TagsAction() const { return m_pTags; }
    QLabel* Summary() const { return m_pSummary; }
    void SetResult(const std::shared_ptr<const CDryRunResult>& pResult);

private:
    CModelView* m_pView;
    QAction* m_pFit;
    QAction* m_pTags;
    QLabel* m_pSummary;
};
