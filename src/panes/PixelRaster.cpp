#include "PixelRaster.h"

#include <cmath>
#include <cstdlib>
#include <utility>

namespace
{
// Cuts a line to the rectangle [0, width) x [0, height) (Liang-Barsky);
// false when none of it is inside.
bool Clip(double& x0, double& y0, double& x1, double& y1, double width, double height)
{
    double t0 = 0, t1 = 1;
    const double dx = x1 - x0, dy = y1 - y0;
    const double p[4] = {-dx, dx, -dy, dy};
    const double q[4] = {x0, width - 1 - x0, y0, height - 1 - y0};
    for (int i = 0; i < 4; ++i)
    {
        if (p[i] == 0)
        {
            if (q[i] < 0)
                return false;
            continue;
        }
        const double t = q[i] / p[i];
        if (p[i] < 0)
        {
            if (t > t1)
                return false;
            if (t > t0)
                t0 = t;
        }
        else
        {
            if (t < t0)
                return false;
            if (t < t1)
                t1 = t;
        }
    }
    const double ox = x0, oy = y0;
    x0 = ox + t0 * dx;
    y0 = oy + t0 * dy;
    x1 = ox + t1 * dx;
    y1 = oy + t1 * dy;
    return true;
}
} // namespace

void PixelRaster::DrawLines(QImage& image, const std::vector<QLineF>& lines, double scale,
                            QRgb colour)
{
    const int width = image.width();
    const int height = image.height();
    if (width <= 0 || height <= 0)
        return;
    auto* pBits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype nStride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (const QLineF& line : lines)
    {
        double fx0 = line.x1() * scale, fy0 = line.y1() * scale;
        double fx1 = line.x2() * scale, fy1 = line.y2() * scale;
        // Clipped in floating point, so that no far point overflows an int.
        if (!std::isfinite(fx0 + fy0 + fx1 + fy1) || !Clip(fx0, fy0, fx1, fy1, width, height))
            continue;
        int x0 = static_cast<int>(fx0 + 0.5);
        int y0 = static_cast<int>(fy0 + 0.5);
        const int x1 = static_cast<int>(fx1 + 0.5);
        const int y1 = static_cast<int>(fy1 + 0.5);
        // Bresenham, every pixel inside the image after the clip.
        const int dx = std::abs(x1 - x0), sx = x0 < x1 ? 1 : -1;
        const int dy = -std::abs(y1 - y0), sy = y0 < y1 ? 1 : -1;
        int error = dx + dy;
        for (;;)
        {
            if (x0 >= 0 && y0 >= 0 && x0 < width && y0 < height)
                pBits[y0 * nStride + x0] = colour;
            if (x0 == x1 && y0 == y1)
                break;
            const int twice = 2 * error;
            if (twice >= dy)
            {
                error += dy;
                x0 += sx;
            }
            if (twice <= dx)
            {
                error += dx;
                y0 += sy;
            }
        }
    }
}

void PixelRaster::DrawPoints(QImage& image, const std::vector<QPointF>& points, double scale,
                             QRgb colour)
{
    const int width = image.width();
    const int height = image.height();
    auto* pBits = reinterpret_cast<QRgb*>(image.bits());
    const qsizetype nStride = image.bytesPerLine() / static_cast<qsizetype>(sizeof(QRgb));
    for (const QPointF& point : points)
    {
        const double x = point.x() * scale;
        const double y = point.y() * scale;
        // Written so that a point not a number is outside too.
        if (x >= 0 && y >= 0 && x < width && y < height)
            pBits[static_cast<qsizetype>(y) * nStride + static_cast<qsizetype>(x)] = colour;
    }
}
