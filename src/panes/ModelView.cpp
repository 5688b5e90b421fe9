#include "ModelView.h"

#include "PixelRaster.h"
#include "dryrun/DryRunResult.h"
#include "platform/PlainText.h"

#include <QBuffer>
#include <QFile>
#include <QFontMetricsF>
#include <QImage>
#include <QMouseEvent>
#include <QPaintEngine>
#include <QPainter>
#include <QSaveFile>
#include <QSvgGenerator>
#include <QToolTip>
#include <QWheelEvent>
#include <algorithm>
#include <cmath>
#include <limits>

namespace
{
constexpr double kMargin = 36.0;
constexpr double kTurnPerPixel = 0.01;
constexpr double kDragPixels = 3.0;
// Above this count the picture is drawn plainly, so that a repaint stays quick.
constexpr size_t kMaxSmoothElements = 5000;
constexpr size_t kMaxSquareNodes = 20000;
// A label takes a cell of this size; one cell holds one label, so that
// labels thin out as the model gets smaller on the screen.
constexpr double kLabelCellWidth = 44.0;
constexpr double kLabelCellHeight = 16.0;
// The longest load's arrow, as a share of the model's longest side; the
// shortest is drawn at a quarter of that, so that it can be seen.
constexpr double kLoadShare = 0.2;
constexpr double kShortestLoad = 0.25;
constexpr double kTriadPixels = 30.0;

const QColor kBackground(255, 255, 255);
const QColor kElementColour(30, 90, 180);
const QColor kNodeColour(0, 0, 0);
const QColor kFindingColour(220, 30, 30);
const QColor kCaretColour(255, 150, 0);
const QColor kTagColour(0, 110, 40);
const QColor kSupportColour(0, 140, 70);
const QColor kLoadColour(190, 0, 160);
const QColor kAxisColours[3] = {QColor(200, 60, 40), QColor(40, 150, 40), QColor(40, 70, 210)};

double DistanceToSegment(const QPointF& p, const QPointF& a, const QPointF& b)
{
    const QPointF ab = b - a;
    const double length2 = QPointF::dotProduct(ab, ab);
    double t = length2 > 0 ? QPointF::dotProduct(p - a, ab) / length2 : 0.0;
    t = std::clamp(t, 0.0, 1.0);
    const QPointF nearest = a + t * ab;
    return std::hypot(p.x() - nearest.x(), p.y() - nearest.y());
}

void Arrow(QPainter& painter, const QPointF& from, const QPointF& to, double head)
{
    painter.drawLine(from, to);
    const QPointF along = to - from;
    const double length = std::hypot(along.x(), along.y());
    if (length < 1)
        return;
    const QPointF unit = along / length;
    const QPointF across(-unit.y(), unit.x());
    const QPointF back = to - unit * head;
    const QPointF wing = across * (head * 0.45);
    const QPointF points[3] = {to, back + wing, back - wing};
    painter.drawPolygon(points, 3);
}
} // namespace

CModelView::CModelView(QWidget* pParent) : QWidget(pParent)
{
    setObjectName(QStringLiteral("ModelView"));
    setMinimumSize(160, 120);
    setAttribute(Qt::WA_OpaquePaintEvent);
    setMouseTracking(false);
    m_camera.Look(CModelCamera::EView::Isometric);
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
    m_camera.SetFlat(!Is3D());
    if (Is3D() != bWas3D)
    {
        m_camera.Look(CModelCamera::EView::Isometric);
        m_bUserMoved = false;
    }
    MarkFindings();
    m_span = 1;
    m_largestForce = 0;
    if (m_pResult)
    {
        const CModelFacts& facts = m_pResult->Facts();
        double low[3] = {std::numeric_limits<double>::max(), std::numeric_limits<double>::max(),
                         std::numeric_limits<double>::max()};
        double high[3] = {std::numeric_limits<double>::lowest(),
                          std::numeric_limits<double>::lowest(),
                          std::numeric_limits<double>::lowest()};
        for (const CModelFacts::CNode& node : facts.Nodes())
        {
            for (int i = 0; i < 3; ++i)
            {
                low[i] = std::min(low[i], node.xyz[i]);
                high[i] = std::max(high[i], node.xyz[i]);
            }
        }
        double span = 0;
        for (int i = 0; i < 3 && !facts.Nodes().empty(); ++i)
        {
            m_center[i] = (low[i] + high[i]) / 2;
            span = std::max(span, high[i] - low[i]);
        }
        m_span = span > 0 && std::isfinite(span) ? span : 1;
        for (const CModelFacts::CLoad& load : facts.Loads())
        {
            const double force = std::hypot(load.force[0], load.force[1], load.force[2]);
            if (std::isfinite(force))
                m_largestForce = std::max(m_largestForce, force);
        }
    }
    if (!m_bUserMoved)
        Fit();
    m_bProjected = false;
    update();
}

void CModelView::MarkFindings()
{
    m_nodeFindings.clear();
    m_elementFindings.clear();
    if (!m_pResult)
        return;
    const CModelFacts& facts = m_pResult->Facts();
    m_nodeFindings.assign(facts.Nodes().size(), 0);
    m_elementFindings.assign(facts.Elements().size(), 0);
    const auto& problems = facts.Problems();
    for (size_t i = 0; i < problems.size(); ++i)
    {
        if (problems[i].nCall < 0)
            continue;
        const size_t nCall = static_cast<size_t>(problems[i].nCall);
        if (const long nNode = facts.NodeOfCall(nCall);
            nNode >= 0 && m_nodeFindings[static_cast<size_t>(nNode)] == 0)
            m_nodeFindings[static_cast<size_t>(nNode)] = static_cast<uint32_t>(i + 1);
        if (const long nElement = facts.ElementOfCall(nCall);
            nElement >= 0 && m_elementFindings[static_cast<size_t>(nElement)] == 0)
            m_elementFindings[static_cast<size_t>(nElement)] = static_cast<uint32_t>(i + 1);
    }
}

std::string CModelView::NodeFinding(size_t nNode) const
{
    if (nNode >= m_nodeFindings.size() || m_nodeFindings[nNode] == 0)
        return {};
    return m_pResult->Facts().Problems()[m_nodeFindings[nNode] - 1].message;
}

std::string CModelView::ElementFinding(size_t nElement) const
{
    if (nElement >= m_elementFindings.size() || m_elementFindings[nElement] == 0)
        return {};
    return m_pResult->Facts().Problems()[m_elementFindings[nElement] - 1].message;
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

void CModelView::Look(CModelCamera::EView view)
{
    m_camera.Look(view);
    Fit();
}

void CModelView::ResetView()
{
    m_camera.Look(CModelCamera::EView::Isometric);
    Fit();
}

void CModelView::SetUp(CModelCamera::EUp up)
{
    m_camera.SetUp(up);
    ResetView();
}

void CModelView::Fit()
{
    m_bUserMoved = false;
    FitTo(QSizeF(size()));
    m_bProjected = false;
    update();
}

void CModelView::FitTo(const QSizeF& size)
{
    m_pan = QPointF();
    m_scale = 1;
    if (!m_pResult || m_pResult->Facts().Nodes().empty())
        return;
    double left = 0, right = 0, bottom = 0, top = 0;
    bool bFirst = true;
    for (const CModelFacts::CNode& node : m_pResult->Facts().Nodes())
    {
        const double p[3] = {node.xyz[0] - m_center[0], node.xyz[1] - m_center[1],
                             node.xyz[2] - m_center[2]};
        double x = 0, y = 0;
        m_camera.Project(p, x, y);
        left = bFirst ? x : std::min(left, x);
        right = bFirst ? x : std::max(right, x);
        bottom = bFirst ? y : std::min(bottom, y);
        top = bFirst ? y : std::max(top, y);
        bFirst = false;
    }
    const double width = std::max(1.0, size.width() - 2 * kMargin);
    const double height = std::max(1.0, size.height() - 2 * kMargin);
    // A model seen end on is a point or a line; rounding leaves it a hair wide.
    const double hair = m_span * 1e-9;
    const double spanX = right - left > hair ? right - left : 0;
    const double spanY = top - bottom > hair ? top - bottom : 0;
    if (spanX <= 0 && spanY <= 0)
        m_scale = 1;
    else if (spanX <= 0)
        m_scale = height / spanY;
    else if (spanY <= 0)
        m_scale = width / spanX;
    else
        m_scale = std::min(width / spanX, height / spanY);
    if (!std::isfinite(m_scale) || m_scale <= 0)
        m_scale = 1;
    m_pan = QPointF(-m_scale * (left + right) / 2, m_scale * (bottom + top) / 2);
}

QPointF CModelView::Screen(const double xyz[3], const QSizeF& size) const
{
    const double p[3] = {xyz[0] - m_center[0], xyz[1] - m_center[1], xyz[2] - m_center[2]};
    double x = 0, y = 0;
    m_camera.Project(p, x, y);
    return {size.width() / 2.0 + m_pan.x() + m_scale * x,
            size.height() / 2.0 + m_pan.y() - m_scale * y};
}

void CModelView::Project() const
{
    m_points.clear();
    m_projectedSize = QSizeF(size());
    m_bProjected = true;
    if (!m_pResult)
        return;
    const auto& nodes = m_pResult->Facts().Nodes();
    m_points.reserve(nodes.size());
    for (const CModelFacts::CNode& node : nodes)
        m_points.push_back(Screen(node.xyz, m_projectedSize));
}

QPointF CModelView::NodePoint(size_t nNode) const
{
    if (!m_pResult || nNode >= m_pResult->Facts().Nodes().size())
        return {};
    return Screen(m_pResult->Facts().Nodes()[nNode].xyz, QSizeF(size()));
}

QLineF CModelView::TriadAxis(int nAxis) const
{
    const QPointF origin(kMargin, height() - kMargin);
    double x = 0, y = 0;
    m_camera.AxisOnScreen(nAxis, x, y);
    return {origin, origin + QPointF(x, -y) * kTriadPixels};
}

void CModelView::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    Paint(painter, size());
}

void CModelView::Paint(QPainter& painter, const QSize& size) const
{
    painter.fillRect(QRect(QPoint(0, 0), size), kBackground);
    if (!m_pResult || m_pResult->Facts().Nodes().empty())
    {
        painter.setPen(QColor(120, 120, 120));
        painter.drawText(QRect(QPoint(0, 0), size).adjusted(8, 8, -8, -8),
                         Qt::AlignCenter | Qt::TextWordWrap,
                         QStringLiteral("The model shows here once a dry run of the script "
                                        "has defined nodes."));
        return;
    }
    if (!m_bProjected || m_projectedSize != QSizeF(size))
        Project();
    const CModelFacts& facts = m_pResult->Facts();
    const auto& elements = facts.Elements();
    const bool bSmooth = elements.size() <= kMaxSmoothElements;
    painter.setRenderHint(QPainter::Antialiasing, bSmooth);

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
    std::vector<QLineF> found;
    if (bSmooth)
    {
        lines.reserve(elements.size() * 2);
        for (size_t e = 0; e < elements.size(); ++e)
            outline(elements[e], m_elementFindings[e] != 0 ? found : lines);
        painter.setPen(QPen(kElementColour, 1.5));
        painter.drawLines(lines.data(), static_cast<int>(lines.size()));
    }
    else
    {
        // A large model is lines a pixel wide, written into a picture of its
        // own on the screen and in a PNG; an SVG keeps every line a line.
        lines.reserve(elements.size() * 2);
        for (size_t e = 0; e < elements.size(); ++e)
            outline(elements[e], m_elementFindings[e] != 0 ? found : lines);
        if (painter.paintEngine() != nullptr &&
            painter.paintEngine()->type() == QPaintEngine::Raster)
        {
            const double ratio = painter.device()->devicePixelRatioF();
            QImage layer((QSizeF(size) * ratio).toSize(), QImage::Format_RGB32);
            layer.fill(kBackground);
            PixelRaster::DrawLines(layer, lines, ratio, kElementColour.rgb());
            if (m_points.size() > kMaxSquareNodes)
                PixelRaster::DrawPoints(layer, m_points, ratio, kNodeColour.rgb());
            layer.setDevicePixelRatio(ratio);
            painter.drawImage(QPointF(0, 0), layer);
        }
        else
        {
            painter.setPen(QPen(kElementColour, 0));
            painter.drawLines(lines.data(), static_cast<int>(lines.size()));
        }
    }
    painter.setPen(QPen(kFindingColour, 2.5));
    painter.drawLines(found.data(), static_cast<int>(found.size()));

    PaintSupports(painter);
    PaintLoads(painter, size);

    // What the caret stands on, under the nodes.
    std::vector<QLineF> highlighted;
    for (const long nElement : m_highlightElements)
    {
        if (nElement >= 0 && static_cast<size_t>(nElement) < elements.size())
            outline(elements[static_cast<size_t>(nElement)], highlighted);
    }
    painter.setPen(QPen(kCaretColour, 4.5));
    painter.drawLines(highlighted.data(), static_cast<int>(highlighted.size()));
    painter.setPen(Qt::NoPen);
    painter.setBrush(kCaretColour);
    for (const long nNode : m_highlightNodes)
    {
        if (nNode >= 0 && static_cast<size_t>(nNode) < m_points.size())
        {
            const QPointF& point = m_points[static_cast<size_t>(nNode)];
            painter.drawRect(QRectF(point.x() - 5.5, point.y() - 5.5, 11, 11));
        }
    }

    std::vector<QRectF> squares;
    std::vector<QRectF> foundSquares;
    const bool bSquares = m_points.size() <= kMaxSquareNodes;
    if (bSquares)
        squares.reserve(m_points.size());
    for (size_t i = 0; i < m_points.size(); ++i)
    {
        const QPointF& point = m_points[i];
        if (m_nodeFindings[i] != 0)
            foundSquares.emplace_back(point.x() - 3.5, point.y() - 3.5, 7, 7);
        else if (bSquares)
            squares.emplace_back(point.x() - 2.5, point.y() - 2.5, 5, 5);
    }
    painter.setBrush(kNodeColour);
    painter.drawRects(squares.data(), static_cast<int>(squares.size()));
    if (!bSquares &&
        (painter.paintEngine() == nullptr || painter.paintEngine()->type() != QPaintEngine::Raster))
    {
        // So many nodes stand a pixel or two apart: each is a point.
        painter.setPen(QPen(kNodeColour, 0));
        painter.drawPoints(m_points.data(), static_cast<int>(m_points.size()));
        painter.setPen(Qt::NoPen);
    }
    painter.setBrush(kFindingColour);
    painter.drawRects(foundSquares.data(), static_cast<int>(foundSquares.size()));

    if (m_bTags)
        PaintLabels(painter, size);
    PaintTriad(painter, size);
}

// A triangle under each supported node, filled when the node is fixed in
// every degree of freedom, open when some are free; a ground line beneath.
void CModelView::PaintSupports(QPainter& painter) const
{
    const CModelFacts& facts = m_pResult->Facts();
    painter.setPen(QPen(kSupportColour, 1.5));
    for (const CModelFacts::CSupport& support : facts.Supports())
    {
        if (support.nNode >= m_points.size())
            continue;
        const QPointF& at = m_points[support.nNode];
        const uint32_t all = support.nFixities >= 32 ? ~0u : (uint32_t{1} << support.nFixities) - 1;
        painter.setBrush((support.fixed & all) == all ? QBrush(kSupportColour) : QBrush());
        const QPointF points[3] = {at + QPointF(0, 3), at + QPointF(-7, 14), at + QPointF(7, 14)};
        painter.drawPolygon(points, 3);
        painter.drawLine(at + QPointF(-10, 17), at + QPointF(10, 17));
    }
}

// An arrow along each load's force whose head is at its node, as long as the
// force is against the largest, within a fifth of the model.
void CModelView::PaintLoads(QPainter& painter, const QSize& size) const
{
    if (m_largestForce <= 0)
        return;
    const CModelFacts& facts = m_pResult->Facts();
    painter.setPen(QPen(kLoadColour, 2));
    painter.setBrush(kLoadColour);
    for (const CModelFacts::CLoad& load : facts.Loads())
    {
        if (load.nNode >= m_points.size())
            continue;
        const double force = std::hypot(load.force[0], load.force[1], load.force[2]);
        if (!(force > 0) || !std::isfinite(force))
            continue;
        const double length =
            m_span * kLoadShare * std::max(kShortestLoad, force / m_largestForce) / force;
        const double* node = facts.Nodes()[load.nNode].xyz;
        const double tail[3] = {node[0] - load.force[0] * length, node[1] - load.force[1] * length,
                                node[2] - load.force[2] * length};
        // The head stops short of the node, so that the node is seen.
        const QPointF head = m_points[load.nNode];
        const QPointF from = Screen(tail, QSizeF(size));
        const QPointF along = head - from;
        const double pixels = std::hypot(along.x(), along.y());
        if (pixels > 8)
            Arrow(painter, from, head - along * (4 / pixels), 9);
    }
}

// The tags of nodes and elements, each inside the picture and only where no
// other label is: as the model gets smaller on the screen, fewer are shown.
void CModelView::PaintLabels(QPainter& painter, const QSize& size) const
{
    const CModelFacts& facts = m_pResult->Facts();
    const CDryRunCalls& calls = m_pResult->Report().calls;
    const QFontMetricsF metrics(painter.font());
    const QRectF view(QPointF(0, 0), QSizeF(size));
    const long nColumns = static_cast<long>(std::ceil(size.width() / kLabelCellWidth)) + 1;
    const long nRows = static_cast<long>(std::ceil(size.height() / kLabelCellHeight)) + 1;
    std::vector<bool> taken(static_cast<size_t>(nColumns * nRows), false);
    const auto label = [&](const QPointF& anchor, const QString& text, const QColor& colour)
    {
        if (!view.contains(anchor))
            return;
        const double width = metrics.horizontalAdvance(text);
        const double x = std::clamp(anchor.x() + 5, 2.0, std::max(2.0, view.width() - width - 2));
        const double y = std::clamp(anchor.y() - 5, metrics.ascent() + 2,
                                    std::max(metrics.ascent() + 2, view.height() - 2));
        const long nColumn = static_cast<long>(x / kLabelCellWidth);
        const long nRow = static_cast<long>(y / kLabelCellHeight);
        if (nColumn < 0 || nColumn >= nColumns || nRow < 0 || nRow >= nRows)
            return;
        const size_t nCell = static_cast<size_t>(nRow * nColumns + nColumn);
        if (taken[nCell])
            return;
        taken[nCell] = true;
        painter.setPen(colour);
        painter.drawText(QPointF(x, y), text);
    };
    for (size_t i = 0; i < m_points.size(); ++i)
        label(m_points[i], QString::fromStdString(facts.Tag(calls, facts.Nodes()[i].nCall)),
              kTagColour);
    for (const CModelFacts::CElement& element : facts.Elements())
    {
        QPointF sum;
        const auto nodes = facts.NodesOf(element);
        for (const uint32_t nNode : nodes)
            sum += m_points[nNode];
        sum /= static_cast<double>(nodes.size());
        label(sum + QPointF(-2, 16),
              QStringLiteral("[%1]").arg(QString::fromStdString(facts.Tag(calls, element.nCall))),
              kElementColour);
    }
}

// x, y and z as the view turns them, in the lower left corner.
void CModelView::PaintTriad(QPainter& painter, const QSize& size) const
{
    const QPointF origin(kMargin, size.height() - kMargin);
    const int nAxes = Is3D() ? 3 : 2;
    static const QString kNames[3] = {QStringLiteral("x"), QStringLiteral("y"),
                                      QStringLiteral("z")};
    for (int nAxis = 0; nAxis < nAxes; ++nAxis)
    {
        double x = 0, y = 0;
        m_camera.AxisOnScreen(nAxis, x, y);
        const QPointF end = origin + QPointF(x, -y) * kTriadPixels;
        painter.setPen(QPen(kAxisColours[nAxis], 2));
        painter.setBrush(kAxisColours[nAxis]);
        // An axis seen end on is a dot.
        if (std::hypot(x, y) < 0.1)
            painter.drawEllipse(origin, 2.5, 2.5);
        else
            Arrow(painter, origin, end, 7);
        painter.drawText(origin + QPointF(x, -y) * (kTriadPixels + 9) + QPointF(-3, 4),
                         kNames[nAxis]);
    }
}

std::string CModelView::ExportPng(const std::string& path) const
{
    QImage image(size(), QImage::Format_RGB32);
    {
        QPainter painter(&image);
        Paint(painter, size());
    }
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || !image.save(&file, "PNG") || !file.commit())
        return "Could not write " + path + ": " + file.errorString().toStdString();
    return {};
}

std::string CModelView::ExportSvg(const std::string& path) const
{
    QBuffer buffer;
    buffer.open(QIODevice::WriteOnly);
    {
        QSvgGenerator generator;
        generator.setOutputDevice(&buffer);
        generator.setSize(size());
        generator.setViewBox(QRect(QPoint(0, 0), size()));
        generator.setTitle(QStringLiteral("Model"));
        generator.setDescription(QStringLiteral("The model a dry run of the script built"));
        QPainter painter(&generator);
        Paint(painter, size());
    }
    QSaveFile file(QString::fromStdString(path));
    if (!file.open(QIODevice::WriteOnly) || file.write(buffer.data()) != buffer.data().size() ||
        !file.commit())
        return "Could not write " + path + ": " + file.errorString().toStdString();
    return {};
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
        m_camera.Turn(-delta.x() * kTurnPerPixel, delta.y() * kTurnPerPixel);
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
    if (!m_bProjected || m_projectedSize != QSizeF(size()))
        Project();
    const QPointF at = pEvent->position();
    const CModelFacts& facts = m_pResult->Facts();
    std::string finding;
    const long nNode = NodeAt(at);
    const long nElement = nNode >= 0 ? -1 : ElementAt(at);
    if (nNode >= 0)
    {
        finding = NodeFinding(static_cast<size_t>(nNode));
        emit Picked(facts.Nodes()[static_cast<size_t>(nNode)].nCall);
    }
    else if (nElement >= 0)
    {
        finding = ElementFinding(static_cast<size_t>(nElement));
        emit Picked(facts.Elements()[static_cast<size_t>(nElement)].nCall);
    }
    if (finding.empty())
        return;
    const QString text = QString::fromStdString(finding);
    QToolTip::showText(mapToGlobal(at.toPoint()), PlainToolTip(text), this);
    emit FindingPicked(text);
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
