#pragma once

#include "ModelCamera.h"

#include <QWidget>
#include <memory>
#include <string>
#include <vector>

class CDryRunResult;
class QPainter;

// A picture of the nodes and elements a dry run built, drawn with Qt's own
// painting, with the supports and loads on them and what the model check
// found in the error colour. A 2D model lies in its plane, y up; a 3D model
// opens in an isometric view with its vertical axis up and turns as the
// left button drags. The middle button moves the picture, the wheel zooms
// it, Fit frames the whole model as it is turned. A click on a node or an
// element names the call that defined it, and what was found wrong with it.
class CModelView : public QWidget
{
    Q_OBJECT

public:
    explicit CModelView(QWidget* pParent = nullptr);
    ~CModelView() override;

    // The model of a new result; the view is fitted to it unless the user has moved it.
    void SetResult(std::shared_ptr<const CDryRunResult> pResult);
    // The result drawn, or nullptr.
    const std::shared_ptr<const CDryRunResult>& Result() const { return m_pResult; }
    // Frames the model without turning it.
    void Fit();
    // The standard view, framed.
    void Look(CModelCamera::EView view);
    // Back to the view a model opens in.
    void ResetView();
    // Which axis of a 3D model points up; the view opens again on it.
    void SetUp(CModelCamera::EUp up);
    const CModelCamera& Camera() const { return m_camera; }
    void SetTagsShown(bool bShown);
    // The nodes and elements drawn highlighted (indices into the model's lists).
    void Highlight(std::vector<long> nodes, std::vector<long> elements);

    // Where a node is drawn, in the view's coordinates.
    QPointF NodePoint(size_t nNode) const;
    // Where the triad's axis (0 x, 1 y, 2 z) starts and ends.
    QLineF TriadAxis(int nAxis) const;
    // What the model check found about a node or an element, "" for nothing.
    std::string NodeFinding(size_t nNode) const;
    std::string ElementFinding(size_t nElement) const;

    // The picture as a PNG or SVG file; "" when written, else why not.
    std::string ExportPng(const std::string& path) const;
    std::string ExportSvg(const std::string& path) const;
    // Paints the picture on any device of the view's size.
    void Paint(QPainter& painter, const QSize& size) const;

    // How near a click must be to a node or an element to pick it, in pixels.
    static constexpr double kPickPixels = 6.0;

signals:
    // A node or an element was clicked: the call that defined it.
    void Picked(size_t nCall);
    // A node or an element with a finding was clicked: the finding.
    void FindingPicked(const QString& finding);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    bool Is3D() const;
    // Where a point of the model is drawn in a picture of a size.
    QPointF Screen(const double xyz[3], const QSizeF& size) const;
    void Project() const;
    void FitTo(const QSizeF& size);
    long NodeAt(const QPointF& point) const;
    long ElementAt(const QPointF& point) const;
    void MarkFindings();
    void PaintLabels(QPainter& painter, const QSize& size) const;
    void PaintSupports(QPainter& painter) const;
    void PaintLoads(QPainter& painter, const QSize& size) const;
    void PaintTriad(QPainter& painter, const QSize& size) const;

    std::shared_ptr<const CDryRunResult> m_pResult;
    CModelCamera m_camera;
    double m_scale = 1;
    QPointF m_pan;
    double m_center[3] = {0, 0, 0};
    // The length of the model's longest side, for the loads' arrows.
    double m_span = 1;
    // The largest force of any load, to scale the arrows by.
    double m_largestForce = 0;
    bool m_bTags = false;
    bool m_bUserMoved = false;
    std::vector<long> m_highlightNodes;
    std::vector<long> m_highlightElements;
    // Per node and element: the index + 1 of the first model problem about it, or 0.
    std::vector<uint32_t> m_nodeFindings;
    std::vector<uint32_t> m_elementFindings;
    // The projected picture, made again when the view or the model changes.
    mutable std::vector<QPointF> m_points;
    mutable bool m_bProjected = false;
    mutable QSizeF m_projectedSize;
    // A press and its drag.
    Qt::MouseButton m_button = Qt::NoButton;
    QPointF m_pressedAt;
    QPointF m_lastAt;
    bool m_bDragged = false;
};
