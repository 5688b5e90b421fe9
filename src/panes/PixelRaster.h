#pragma once

#include <QImage>
#include <QLineF>
#include <QPointF>
#include <vector>

// One-pixel lines and points of one colour written straight into a 32-bit
// image. A model of hundreds of thousands of elements is mostly lines a few
// pixels long; QPainter spends more on each line's set-up than on its
// pixels, and would take a frame and more for them.
namespace PixelRaster
{
// Lines in the view's coordinates, scaled by the image's pixel ratio; what
// lies outside the image is clipped, however far.
void DrawLines(QImage& image, const std::vector<QLineF>& lines, double scale, QRgb colour);
// Points in the view's coordinates, scaled by the image's pixel ratio.
void DrawPoints(QImage& image, const std::vector<QPointF>& points, double scale, QRgb colour);
} // namespace PixelRaster
