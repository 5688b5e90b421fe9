#pragma once

#include <QWidget>
#include <memory>
#include <vector>

class CDryRunResult;

// A picture of the nodes and elements a dry run built, drawn with Qt's own
// painting. A 2D model lies in its plane; a 3D model turns as the left
// button drags. The middle button moves the picture, the wheel zooms it,
// Fit brings the whole model into view. A click on a node or an element
// names the call that defined it.
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
    void Fit();
    void SetTagsShown(bool bShown);
    // The nodes and elements drawn highlighted (indices into the model's lists).
    void Highlight(std::vector<long> nodes, std::vector<long> elements);

    // Where a node is drawn, in the view's coordinates.
    QPointF NodePoint(size_t nNode) const;
    double Yaw() const { return m_yaw; }

    // How near a click must be to a node or an element to pick it, in pixels.
    static constexpr double kPickPixels = 6.0;

signals:
    // A node or an element was clicked: the call that defined it.
    void Picked(size_t nCall);

protected:
    void paintEvent(QPaintEvent* pEvent) override;
    void mousePressEvent(QMouseEvent* pEvent) override;
    void mouseMoveEvent(QMouseEvent* pEvent) override;
    void mouseReleaseEvent(QMouseEvent* pEvent) override;
    void wheelEvent(QWheelEvent* pEvent) override;
    void resizeEvent(QResizeEvent* pEvent) override;

private:
    bool Is3D() const;
    void Rotate(const double xyz[3], double& x, double& y) const;
    // Where a point of the model is drawn.
    QPointF Screen(const double xyz[3]) const;
    void Project();
    long NodeAt(const QPointF& point) const;
    long ElementAt(const QPointF& point) const;

    std::shared_ptr<const CDryRunResult> m_pResult;
    double m_yaw = 0;
    double m_pitch = 0;
    double m_scale = 1;
    QPointF m_pan;
    double m_center[3] = {0, 0, 0};
    bool m_bTags = false;
    bool m_bUserMoved = false;
    std::vector<long> m_highlightNodes;
    std::vector<long> m_highlightElements;
    // The projected picture, made again when the view or the model changes.
    std::vector<QPointF> m_points;
    bool m_bProjected = false;
    // A press and its drag.
    Qt::MouseButton m_button = Qt::NoButton;
    QPointF m_pressedAt;
    QPointF m_lastAt;
    bool m_bDragged = false;
};
