#include "ModelView.h"

#include "dryrun/DryRunResult.h"

#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr double kMargin = 24.0;
constexpr double kDefaultYaw = -0.6;
constexpr double kDefaultPitch = 0.45;
constexpr double kTurnPerPixel = 0.01;
constexpr double kDragPixels = 3.0;
// Above these counts the picture is drawn plainly, so that a repaint stays quick.
constexpr size_t kMaxSmoothElements = 5000;
constexpr size_t kMaxTags = 5000;

const QColor kBackground(255, 255, 255);
const QColor kElementColour(30, 90, 180);
const QColor kNodeColour(0, 0, 0);
const QColor kHighlightColour(220, 30, 30);
const QColor kTagColour(0, 110, 40);

double DistanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    double t = length2 > 0 ? QPointF::dotProduct(p - a, ab) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}
} // namespace

CModelView::CModelView(QWidget* pParent) : QWidget(pParent)
{
    setObjectName(QStringLiteral("ModelView"));
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
}

CModelView::~CModelView() = default;

bool CModelView::Is3D() const
{
    return m_pResult && m_pResult->Facts().Dimensions() == 3;
}

void CModelView::SetResult(std::shared_ptr<const CDryRunResult> pResult)
{
    const bool bWas3D = Is3D();
    m_pResult = std::move(pResult);
    m_highlightNodes.clear();
    m_highlightElements.clear();
    if (Is3D() != bWas3D)
    {
        m_yaw = Is3D() ? kDefaultYaw : 0;
        m_pitch = Is3D() ? kDefaultPitch : 0;
        m_bUserMoved = false;
    }
    if (!m_bUserMoved)
        Fit();
    m_bProjected = false;
    update();
}

void CModelView::SetTagsShown(bool bShown)
{
    m_bTags = bShown;
    update();
}

void CModelView::Highlight(std::vector<long> nodes, std::vector<long> elements)
{
    if (nodes == m_highlightNodes && elements == m_highlightElements)
        return;
    m_highlightNodes = std::move(nodes);
    m_highlightElements = std::move(elements);
    update();
}

void CModelView::Rotate(const double xyz[3], double& x, double& y) const
{
    const double px = xyz[0] - m_center[0];
    const double py = xyz[1] - m_center[1];
    const double pz = xyz[2] - m_center[2];
    // Turned about the vertical (y) by the yaw, then tipped about the horizontal by the pitch.
    const double x1 = std::cos(m_yaw) * px + std::sin(m_yaw) * pz;
    const double z1 = -std::sin(m_yaw) * px + std::cos(m_yaw) * pz;
    x = x1;
    y = std::cos(m_pitch) * py - std::sin(m_pitch) * z1;
}

void CModelView::Fit()
{
    m_bUserMoved = false;
    m_pan = QPointF();
    m_scale = 1;
    m_bProjected = false;
    if (!m_pResult || m_pResult->Facts().Nodes().empty())
    {
        update();
        return;
    }
    const auto& nodes = m_pResult->Facts().Nodes();
    double low[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                     std::numeric_limits<double>::max()};
    double high[3] = {std::numeric_limits<double>::lowest(), std::numeric_limits<double>::lowest(),
                      std::numeric_limits<double>::lowest()};
    for (const CModelFacts::CNode& node : nodes)
    {
        for (int i = 0; i < 3; ++i)
        {
            low[i] = std::min(low[i], node.xyz[i]);
            high[i] = std::max(high[i], node.xyz[i]);
        }
    }
    for (int i = 0; i < 3; ++i)
        m_center[i] = (low[i] + high[i]) / 2;
    double left = 0, right = 0, bottom = 0, top = 0;
    bool bFirst = true;
    for (const CModelFacts::CNode& node : nodes)
    {
        double x = 0, y = 0;
        Rotate(node.xyz, x, y);
        left = bFirst ? x : std::min(left, x);
        right = bFirst ? x : std::max(right, x);
        bottom = bFirst ? y : std::min(bottom, y);
        top = bFirst ? y : std::max(top, y);
        bFirst = false;
    }
    const double width = std::max(1.0, this->width() - 2 * kMargin);
    const double height = std::max(1.0, this->height() - 2 * kMargin);
    const double spanX = right - left;
    const double spanY = top - bottom;
    if (spanX <= 0 && spanY <= 0)
        m_scale = 1;
    else if (spanX <= 0)
        m_scale = height / spanY;
    else if (spanY <= 0)
        m_scale = width / spanX;
    else
        m_scale = std::min(width / spanX, height / spanY);
    m_pan = QPointF(-m_scale * (left + right) / 2, m_scale * (bottom + top) / 2);
    update();
}

void CModelView::Project()
{
    m_points.clear();
    if (!m_pResult)
        return;
    const auto& nodes = m_pResult->Facts().Nodes();
    m_points.reserve(nodes.size());
    for (const CModelFacts::CNode& node : nodes)
        m_points.push_back(Screen(node.xyz));
    m_bProjected = true;
}

QPointF CModelView::Screen(const double xyz[3]) const
{
    double x = 0, y = 0;
    Rotate(xyz, x, y);
    return {width() / 2.0 + m_pan.x() + m_scale * x, height() / 2.0 + m_pan.y() - m_scale * y};
}

QPointF CModelView::NodePoint(size_t nNode) const
{
    if (!m_pResult || nNode >= m_pResult->Facts().Nodes().size())
        return {};
    return Screen(m_pResult->Facts().Nodes()[nNode].xyz);
}

void CModelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    painter.fillRect(rect(), kBackground);
    if (!m_pResult || m_pResult->Facts().Nodes().empty())
    {
        painter.setPen(QColor(120, 120, 120));
        painter.drawText(rect().adjusted(8, 8, -8, -8), Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("The model shows here once a dry run of the script "
                                        "has defined nodes."));
        return;
    }
    if (!m_bProjected)
        Project();
    const CModelFacts& facts = m_pResult->Facts();
    const auto& elements = facts.Elements();
    painter.setRenderHint(QPainter::Antialiasing, elements.size() <= kMaxSmoothElements);

    const auto outline = [&](const CModelFacts::CElement& element, std::vector<QLineF>& lines)
    {
        const auto nodes = facts.NodesOf(element);
        const size_t nCount = nodes.size();
        for (size_t i = 0; i + 1 < nCount; ++i)
            lines.emplace_back(m_points[nodes[i]], m_points[nodes[i + 1]]);
        if (nCount >= 3)
            lines.emplace_back(m_points[nodes[nCount - 1]], m_points[nodes[0]]);
    };
    std::vector<QLineF> lines;
    lines.reserve(elements.size() * 2);
    for (const CModelFacts::CElement& element : elements)
        outline(element, lines);
    painter.setPen(QPen(kElementColour, 1.5));
    painter.drawLines(lines.data(), static_cast<int>(lines.size()));

    std::vector<QRectF> squares;
    squares.reserve(m_points.size());
    for (const QPointF& point : m_points)
        squares.emplace_back(point.x() - 2.5, point.y() - 2.5, 5, 5);
    painter.setPen(Qt::NoPen);
    painter.setBrush(kNodeColour);
    painter.drawRects(squares.data(), static_cast<int>(squares.size()));

    // What the caret stands on.
    std::vector<QLineF> highlighted;
    for (const long nElement : m_highlightElements)
    {
        if (nElement >= 0 && static_cast<size_t>(nElement) < elements.size())
            outline(elements[static_cast<size_t>(nElement)], highlighted);
    }
    painter.setPen(QPen(kHighlightColour, 3.5));
    painter.drawLines(highlighted.data(), static_cast<int>(highlighted.size()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kHighlightColour);
    for (const long nNode : m_highlightNodes)
    {
        if (nNode >= 0 && static_cast<size_t>(nNode) < m_points.size())
        {
            const QPointF& point = m_points[static_cast<size_t>(nNode)];
            painter.drawRect(QRectF(point.x() - 4.5, point.y() - 4.5, 9, 9));
        }
    }

    if (m_bTags && facts.Nodes().size() + elements.size() <= kMaxTags)
    {
        painter.setPen(kTagColour);
        const CDryRunCalls& calls = m_pResult->Report().calls;
        for (size_t i = 0; i < m_points.size(); ++i)
            painter.drawText(m_points[i] + QPointF(5, -5),
                             QString::fromStdString(facts.Tag(calls, facts.Nodes()[i].nCall)));
        painter.setPen(kElementColour);
        for (const CModelFacts::CElement& element : elements)
        {
            QPointF sum;
            const auto nodes = facts.NodesOf(element);
            for (const uint32_t nNode : nodes)
                sum += m_points[nNode];
            sum /= static_cast<double>(nodes.size());
            painter.drawText(sum + QPointF(3, 12),
                             QStringLiteral("[%1]").arg(
                                 QString::fromStdString(facts.Tag(calls, element.nCall))));
        }
    }
}

long CModelView::NodeAt(const QPointF& point) const
{
    long nBest = -1;
    double best = kPickPixels;
    for (size_t i = 0; i < m_points.size(); ++i)
    {
        const double distance =
            std::hypot(m_points[i].x() - point.x(), m_points[i].y() - point.y());
        if (distance <= best)
        {
            best = distance;
            nBest = static_cast<long>(i);
        }
    }
    return nBest;
}

long CModelView::ElementAt(const QPointF& point) const
{
    if (!m_pResult)
        return -1;
    const CModelFacts& facts = m_pResult->Facts();
    const auto& elements = facts.Elements();
    long nBest = -1;
    double best = kPickPixels;
    for (size_t e = 0; e < elements.size(); ++e)
    {
        const auto nodes = facts.NodesOf(elements[e]);
        const size_t nCount = nodes.size();
        for (size_t i = 0; i < nCount; ++i)
        {
            if (i + 1 == nCount && nCount < 3)
                break;
            const double distance =
                DistanceToSegment(point, m_points[nodes[i]], m_points[nodes[(i + 1) % nCount]]);
            if (distance <= best)
            {
                best = distance;
                nBest = static_cast<long>(e);
            }
        }
    }
    return nBest;
}

void CModelView::mousePressEvent(QMouseEvent* pEvent)
{
    m_button = pEvent->button();
    m_pressedAt = pEvent->position();
    m_lastAt = m_pressedAt;
    m_bDragged = false;
}

void CModelView::mouseMoveEvent(QMouseEvent* pEvent)
{
    if (m_button == Qt::NoButton)
        return;
    const QPointF at = pEvent->position();
    if (!m_bDragged && std::hypot(at.x() - m_pressedAt.x(), at.y() - m_pressedAt.y()) < kDragPixels)
        return;
    m_bDragged = true;
    const QPointF delta = at - m_lastAt;
    m_lastAt = at;
    if (m_button == Qt::LeftButton && Is3D())
    {
        m_yaw += delta.x() * kTurnPerPixel;
        m_pitch = std::clamp(m_pitch + delta.y() * kTurnPerPixel, -1.55, 1.55);
    }
    else if (m_button == Qt::MiddleButton || m_button == Qt::LeftButton)
        m_pan += delta;
    m_bUserMoved = true;
    m_bProjected = false;
    update();
}

void CModelView::mouseReleaseEvent(QMouseEvent* pEvent)
{
    const bool bClick = m_button == Qt::LeftButton && !m_bDragged;
    m_button = Qt::NoButton;
    if (!bClick || !m_pResult)
        return;
    if (!m_bProjected)
        Project();
    const QPointF at = pEvent->position();
    const CModelFacts& facts = m_pResult->Facts();
    const long nNode = NodeAt(at);
    if (nNode >= 0)
    {
        emit Picked(facts.Nodes()[static_cast<size_t>(nNode)].nCall);
        return;
    }
    const long nElement = ElementAt(at);
    if (nElement >= 0)
        emit Picked(facts.Elements()[static_cast<size_t>(nElement)].nCall);
}

void CModelView::wheelEvent(QWheelEvent* pEvent)
{
    const double steps = pEvent->angleDelta().y() / 120.0;
    if (steps == 0)
        return;
    const double factor = std::pow(1.2, steps);
    // The point under the pointer stays where it is.
    const QPointF middle(width() / 2.0, height() / 2.0);
    const QPointF at = pEvent->position() - middle;
    m_pan = at - (at - m_pan) * factor;
    m_scale *= factor;
    m_bUserMoved = true;
    m_bProjected = false;
    update();
}

void CModelView::resizeEvent(QResizeEvent* pEvent)
{
    QWidget::resizeEvent(pEvent);
    if (!m_bUserMoved)
        Fit();
    m_bProjected = false;
}
