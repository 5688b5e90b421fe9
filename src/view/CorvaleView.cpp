#include "CorvaleView.h"

#include "FindReplaceDlg.h"
#include "config/ConfigurationLocation.h"
#include "editor/CorvaleDoc.h"
#include "platform/UserInteraction.h"

#include <QFile>
#include <QLineEdit>
#include <QMenu>
#include <QMouseEvent>
#include <QPainter>
#include <algorithm>

namespace
{
// Neither pane is dragged smaller than this.
constexpr int kMinPaneHeight = 20;

QColor ToQColor(std::uint32_t cr)
{
    return QColor(static_cast<int>(cr & 0xFF), static_cast<int>((cr >> 8) & 0xFF),
                  static_cast<int>((cr >> 16) & 0xFF));
}

// Fills (left, top, right, bottom), right and bottom exclusive.
void FillRect(QPainter& painter, int nLeft, int nTop, int nRight, int nBottom, const QColor& colour)
{
    if (nRight > nLeft && nBottom > nTop)
        painter.fillRect(QRect(nLeft, nTop, nRight - nLeft, nBottom - nTop), colour);
}

// A raised frame: top and left edges in the first colour, bottom and right in
// the second.
void Draw3dRect(QPainter& painter, int x, int y, int cx, int cy, const QColor& topLeft,
                const QColor& bottomRight)
{
    if (cx <= 0 || cy <= 0)
        return;
    FillRect(painter, x, y, x + cx - 1, y + 1, topLeft);
    FillRect(painter, x, y, x + 1, y + cy - 1, topLeft);
    FillRect(painter, x + cx - 1, y, x + cx, y + cy, bottomRight);
    FillRect(painter, x, y + cy - 1, x + cx, y + cy, bottomRight);
}
} // namespace

CCorvaleView::CCorvaleView(CCorvaleDoc* pDoc, QWidget* pParent)
    : QWidget(pParent), m_editPane(this, 1), m_summaryPane(this, 2), m_pDoc(pDoc)
{
    // The configuration's place is the platform's; its messages are message boxes.
    m_config.ReadConfiguration(ConfigurationFileToRead(), ConfigurationFilePath(),
                               UserInteraction());
    setMouseTracking(true);
    connect(&m_editPane, &CTextControl::ContextMenuRequested, this, &CCorvaleView::ShowPopupMenu);
    connect(&m_summaryPane, &CTextControl::ContextMenuRequested, this,
            [this](const QPoint& globalPos) { CreateSummaryMenu()->exec(globalPos); });
    // A file dropped on either pane opens like a file chosen in the Open dialog.
    for (CTextControl* pPane : {static_cast<CTextControl*>(&m_editPane), &m_summaryPane})
    {
        connect(pPane, &CTextControl::FileDropped, this,
                [this](const QString& path)
                { m_pDoc->OnOpenDocument(QFile::encodeName(path).toStdString()); });
    }
}

CCorvaleView::~CCorvaleView() = default;

int CCorvaleView::SplitY() const
{
    return static_cast<int>(static_cast<float>(height()) * m_fSplitRatio);
}

void CCorvaleView::LayoutPanes()
{
    const int nWidth = width();
    const int nHeight = height();
    const int nSplit = SplitY();
    const int nPaneWidth = std::max(0, nWidth - 2 * m_nBorder);
    m_editPane.setGeometry(m_nBorder, 1, nPaneWidth, std::max(0, nSplit - m_nBarHeight - 1));
    m_summaryPane.setGeometry(
        m_nBorder, nSplit, nPaneWidth,
        static_cast<int>((1.0f - m_fSplitRatio) * static_cast<float>(nHeight)) + 1);
    update();
}

void CCorvaleView::SetUp()
{
    if (!m_bFirstSize)
        return;
    m_editPane.AttachTo(*m_pDoc, m_summaryPane, *this);
    m_editPane.LoadHelpFiles(m_config.help);
    m_bFirstSize = false;
}

void CCorvaleView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    LayoutPanes();
}

// Redo syntax highlighting: the whole script, with the focus left in the pane.
void CCorvaleView::RecolourAll()
{
    setFocus();
    m_editPane.FontifyAll();
    m_editPane.setFocus();
}

void CCorvaleView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    const int nWidth = width();
    const int nHeight = height();
    const int nSplit = SplitY();
    const int b = m_nBorder;
    const QColor bar = ToQColor(m_crBar);
    FillRect(painter, 0, 0, b, nHeight, bar);
    FillRect(painter, nWidth - b, 0, nWidth, nHeight, bar);
    FillRect(painter, 0, nSplit - m_nBarHeight, nWidth, nSplit, bar);
    if (m_fSplitRatio == 1.0f)
        return; // a hidden summary pane gets a plain bar

    const int nHalf = nWidth / 2;
    painter.setPen(QColor(210, 250, 210));
    painter.drawText(QRect(nHalf - 75, nSplit - m_nBarHeight, 150, m_nBarHeight),
                     Qt::AlignLeft | Qt::AlignTop | Qt::TextDontClip,
                     QStringLiteral("Command Summary"));
    const QColor white(255, 255, 255);
    const QColor black(0, 0, 0);
    const QColor groove(192, 192, 192);
    Draw3dRect(painter, 0, nSplit - 11, nHalf - 100, 6, white, black);
    Draw3dRect(painter, nHalf + 80, nSplit - 11, nHalf - 80, 6, white, black);
    FillRect(painter, 1, nSplit - 10, nHalf - 102, nSplit - 7, groove);
    FillRect(painter, nHalf + 81, nSplit - 10, nWidth - 2, nSplit - 7, groove);
    Draw3dRect(painter, 0, nSplit - 14, b, 12, white, black);
    Draw3dRect(painter, nWidth - b, nSplit - 14, b, 12, white, black);
}

// Qt keeps sending a dragging pointer's moves to the view wherever it goes;
// the view acts only while the pointer is over one of its own strips, as a
// view without the mouse captured would.
bool CCorvaleView::InSideStrip(const QPoint& point) const
{
    if (!rect().contains(point))
        return false;
    return point.x() < m_nBorder || point.x() > width() - m_nBorder;
}

float CCorvaleView::RatioForRow(int y) const
{
    const int nHeight = std::max(1, height());
    const int nLowest = m_nBarHeight + 1 + kMinPaneHeight;
    const int nHighest = nHeight - kMinPaneHeight;
    if (nLowest < nHighest)
        y = std::clamp(y, nLowest, nHighest);
    else
        y = std::clamp(y, 0, nHeight - 1);
    return static_cast<float>(y) / static_cast<float>(nHeight);
}

void CCorvaleView::mouseMoveEvent(QMouseEvent* pEvent)
{
    QWidget::mouseMoveEvent(pEvent);
    if (m_fSplitRatio == 1.0f)
    {
        unsetCursor();
        return;
    }
    const QPoint point = pEvent->position().toPoint();
    if (!InSideStrip(point))
    {
        unsetCursor();
        return;
    }
    setCursor(Qt::SizeVerCursor);
    // Only the left button alone drags: no other button, no Shift, no Ctrl.
    if (pEvent->buttons() == Qt::LeftButton &&
        !(pEvent->modifiers() & (Qt::ShiftModifier | Qt::ControlModifier)))
    {
        m_fSplitRatio = RatioForRow(point.y());
        LayoutPanes();
    }
}

void CCorvaleView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    QWidget::mouseReleaseEvent(pEvent);
    const QPoint point = pEvent->position().toPoint();
    if (pEvent->button() == Qt::LeftButton && m_fSplitRatio != 1.0f && InSideStrip(point))
    {
        m_fSplitRatio = RatioForRow(point.y());
        LayoutPanes();
    }
}

std::unique_ptr<QMenu> CCorvaleView::CreatePopupMenu()
{
    if (m_popupMenuFactory)
        return m_popupMenuFactory(this);
    return std::make_unique<QMenu>(this);
}

// The summary pane's own menu: its help text can be copied, a usage line say.
std::unique_ptr<QMenu> CCorvaleView::CreateSummaryMenu()
{
    auto pMenu = std::make_unique<QMenu>(this);
    QAction* pCopy = pMenu->addAction(QStringLiteral("Copy"));
    pCopy->setEnabled(!m_summaryPane.GetSelText().empty());
    connect(pCopy, &QAction::triggered, this, [this] { m_summaryPane.Copy(); });
    QAction* pSelectAll = pMenu->addAction(QStringLiteral("Select All"));
    connect(pSelectAll, &QAction::triggered, this, [this] { m_summaryPane.SetSel(0, -1); });
    return pMenu;
}

void CCorvaleView::ShowPopupMenu(const QPoint& globalPos)
{
    const std::unique_ptr<QMenu> pMenu = CreatePopupMenu();
    pMenu->exec(globalPos);
}

std::vector<float> CCorvaleView::FoldRatios(float fRatio)
{
    std::vector<float> ratios;
    const float fStep = fRatio * 0.05f;
    const float fLimit = fStep + 1.0f;
    for (float f = fRatio; f < fLimit; f += fStep)
        ratios.push_back(f);
    ratios.push_back(1.0f);
    return ratios;
}

std::vector<float> CCorvaleView::UnfoldRatios(float fRatio)
{
    std::vector<float> ratios;
    const float fStep = fRatio * 0.1f;
    if (fRatio > 0.75f)
    {
        for (float f = fRatio; f >= 0.75f; f -= fStep)
            ratios.push_back(f);
    }
    return ratios;
}

// Each step is one layout, painted at once, so the pane visibly slides.
void CCorvaleView::ToggleHelp()
{
    const bool bTurningOff = m_editPane.m_bHelpOn == 1;
    m_editPane.m_bHelpOn = bTurningOff ? 0 : 1;
    if (bTurningOff)
        m_summaryPane.SetWindowText(" ");
    for (const float fRatio : bTurningOff ? FoldRatios(m_fSplitRatio) : UnfoldRatios(m_fSplitRatio))
    {
        m_fSplitRatio = fRatio;
        LayoutPanes();
        if (isVisible())
            repaint();
    }
    if (!bTurningOff)
        m_editPane.FontifyAtCaret(' ', false, false);
}

void CCorvaleView::OpenFindReplace(const std::string& text)
{
    if (m_pFindReplaceDlg != nullptr)
        return; // the open dialog is neither brought forward nor given the new text
    m_pFindReplaceDlg = new CFindReplaceDlg(text, window(), &m_editPane);
    m_pFindReplaceDlg->setAttribute(Qt::WA_DeleteOnClose, false);
    connect(m_pFindReplaceDlg, &CFindReplaceDlg::FindReplace, this, [this] { OnFindReplace(); });
    m_pFindReplaceDlg->show();
}

void CCorvaleView::FindWithText(const std::string& text)
{
    if (m_pFindReplaceDlg == nullptr)
    {
        OpenFindReplace(text);
        return;
    }
    m_pFindReplaceDlg->SetFindString(text);
    m_pFindReplaceDlg->raise();
    m_pFindReplaceDlg->activateWindow();
    m_pFindReplaceDlg->m_pFindWhat->setFocus();
    m_pFindReplaceDlg->m_pFindWhat->selectAll();
}

void CCorvaleView::FindAgain()
{
    if (m_lastFindWhat.empty())
        FindWithText(m_editPane.SearchText());
    else
        m_editPane.FindNext("String not found", m_lastFindWhat, m_nLastFindOptions);
}

void CCorvaleView::OnFindReplace()
{
    if (m_pFindReplaceDlg == nullptr)
        return;
    const std::uint32_t nFlags = m_pFindReplaceDlg->GetFlags();
    if (nFlags & CFindReplaceDlg::FR_DIALOGTERM)
    {
        m_pFindReplaceDlg->deleteLater();
        m_pFindReplaceDlg = nullptr;
        return;
    }
    const std::uint32_t nOptions =
        nFlags & (CFindReplaceDlg::FR_WHOLEWORD | CFindReplaceDlg::FR_MATCHCASE);
    const std::string findWhat = m_pFindReplaceDlg->GetFindString();
    const std::string replaceWith = m_pFindReplaceDlg->GetReplaceString();
    m_lastFindWhat = findWhat;
    m_nLastFindOptions = nOptions;
    if (nFlags & CFindReplaceDlg::FR_FINDNEXT)
        m_editPane.FindNext("String not found", findWhat, nOptions);
    if (nFlags & CFindReplaceDlg::FR_REPLACE)
        m_editPane.ReplaceOne(findWhat, replaceWith, nOptions);
    if (nFlags & CFindReplaceDlg::FR_REPLACEALL)
        m_editPane.ReplaceAll(findWhat, replaceWith, nOptions);
}
