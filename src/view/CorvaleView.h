#pragma once

#include "config/Configuration.h"
#include "editor/ScriptEdit.h"
#include "platform/PrintSettings.h"
#include "platform/TextControl.h"

#include <QWidget>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class CCorvaleDoc;
class CFindReplaceDlg;
class QMenu;

// The right-hand pane of the main window: the editing pane over the command
// summary pane, with a 16-pixel splitter bar between them and 15-pixel strips
// down both sides, all painted here. The bar moves by dragging in either
// strip. The view owns the configuration and the print settings.
class CCorvaleView : public QWidget
{
    Q_OBJECT

public:
    // Reads the configuration file; its messages appear here.
    explicit CCorvaleView(CCorvaleDoc* pDoc, QWidget* pParent = nullptr);
    ~CCorvaleView() override;

    // Places both panes from the size and the split ratio, and repaints the bar.
    void LayoutPanes();
    // The one-time set-up, which the main frame runs as soon as it has built
    // the views: the editing pane joined to the document and the summary pane
    // (formats, text limit, links), then the help library. Runs at most once.
    void SetUp();

    const CConfiguration& Configuration() const { return m_config; }
    CScriptEdit& EditPane() { return m_editPane; }
    CScriptEdit& EditPane() const { return const_cast<CScriptEdit&>(m_editPane); }
    CTextControl& SummaryPane() const { return const_cast<CTextControl&>(m_summaryPane); }
    bool IsHelpOn() const { return m_editPane.m_bHelpOn == 1; }
    // Redo syntax highlighting of the whole script.
    void RecolourAll();

    // The help switch: folds the summary pane away, or unfolds it and shows the
    // help of the word at the caret.
    void ToggleHelp();
    // The ratios the fold and the unfold step through, in order.
    static std::vector<float> FoldRatios(float fRatio);
    static std::vector<float> UnfoldRatios(float fRatio);

    // Opens the find and replace dialog with the text, unless one is open.
    void OpenFindReplace(const std::string& text);
    // A request from the dialog; always 0.
    void OnFindReplace();
    // Ctrl+F: the dialog with this text in Find what, brought forward when
    // it is already open.
    void FindWithText(const std::string& text);
    // F3: the last search again, from the selection's end; the dialog when
    // there was none yet.
    void FindAgain();

    // The editing pane's popup menu at a screen point.
    void ShowPopupMenu(const QPoint& globalPos);
    // The popup menu itself, for ShowPopupMenu (and a look in tests): the
    // window's, which builds it from its commands; empty without a window.
    std::unique_ptr<QMenu> CreatePopupMenu();
    using PopupMenuFactory = std::function<std::unique_ptr<QMenu>(QWidget* pParent)>;
    void SetPopupMenuFactory(PopupMenuFactory factory) { m_popupMenuFactory = std::move(factory); }
    // The summary pane's menu: Copy and Select All.
    std::unique_ptr<QMenu> CreateSummaryMenu();

    // Geometry of the last layout, in view coordinates.
    int SplitY() const; // the row just below the bar

    std::uint32_t m_crBar = Rgb(128, 128, 128);
    // The print settings, kept together; the names below are theirs.
    CPrintSettings m_printSettings;
    int& m_nTopMargin = m_printSettings.nTopMargin;
    int& m_nLeftMargin = m_printSettings.nLeftMargin;
    int& m_nBottomMargin = m_printSettings.nBottomMargin;
    int& m_nLineGap = m_printSettings.nLineGap;
    CConfiguration m_config;
    CScriptEdit m_editPane;
    CTextControl m_summaryPane;
    bool m_bFirstSize = true;
    CFindReplaceDlg* m_pFindReplaceDlg = nullptr;
    std::string m_lastFindWhat;
    std::uint32_t m_nLastFindOptions = 0;
    float m_fSplitRatio = 0.75f;
    int m_nBorder = 15;
    int m_nBarHeight = 16;

    CCorvaleDoc* m_pDoc;

protected:
    void resizeEvent(QResizeEvent* pEvent) override;
    void paintEvent(QPaintEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;

private:
    PopupMenuFactory m_popupMenuFactory;
    bool InSideStrip(const QPoint& point) const;
    // The ratio that puts the bar's lower edge at row y, kept within sound
    // minimum heights of both panes.
    float RatioForRow(int y) const;
};
