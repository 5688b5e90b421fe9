// The model view's geometry and its fast lines, without a window: where each
// standard view puts the axes, and lines of any length and place written
// into a picture without a pixel outside it.
#include "panes/ModelCamera.h"
#include "panes/PixelRaster.h"

#include <QImage>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>

namespace
{
// Where an axis points on the screen: (right, up).
std::pair<double, double> Axis(const CModelCamera& camera, int nAxis)
{
    double x = 0, y = 0;
    camera.AxisOnScreen(nAxis, x, y);
    return {std::round(x * 1000) / 1000, std::round(y * 1000) / 1000};
}

int Painted(const QImage& image)
{
    int nCount = 0;
    for (int y = 0; y < image.height(); ++y)
        for (int x = 0; x < image.width(); ++x)
            nCount += image.pixel(x, y) == qRgb(0, 0, 255) ? 1 : 0;
    return nCount;
}
} // namespace

TEST(ModelCameraTest, EachStandardViewPutsTheAxesWhereAnEngineerLooksForThem)
{
    using P = std::pair<double, double>;
    CModelCamera camera;
    camera.Look(CModelCamera::EView::Front);
    EXPECT_EQ(Axis(camera, 0), P(1, 0));
    EXPECT_EQ(Axis(camera, 2), P(0, 1));
    EXPECT_EQ(Axis(camera, 1), P(0, 0)); // y runs away from the eye
    camera.Look(CModelCamera::EView::Side);
    EXPECT_EQ(Axis(camera, 1), P(1, 0));
    EXPECT_EQ(Axis(camera, 2), P(0, 1));
    camera.Look(CModelCamera::EView::Top);
    EXPECT_EQ(Axis(camera, 0), P(1, 0));
    EXPECT_EQ(Axis(camera, 1), P(0, 1));
    // Isometric: the three axes drawn equally long, z straight up.
    camera.Look(CModelCamera::EView::Isometric);
    for (int nAxis = 0; nAxis < 3; ++nAxis)
    {
        const auto [x, y] = Axis(camera, nAxis);
        EXPECT_NEAR(std::hypot(x, y), std::sqrt(2.0 / 3.0), 0.001) << nAxis;
    }
    EXPECT_EQ(Axis(camera, 2).first, 0);
    EXPECT_GT(Axis(camera, 2).second, 0);
    // y up: y takes z's place, and the frame keeps its hand (x right, z toward the eye).
    camera.SetUp(CModelCamera::EUp::Y);
    camera.Look(CModelCamera::EView::Front);
    EXPECT_EQ(Axis(camera, 0), P(1, 0));
    EXPECT_EQ(Axis(camera, 1), P(0, 1));
    EXPECT_EQ(Axis(camera, 2), P(0, 0));
    // Turning stops at the poles; a flat model does not turn at all.
    camera.Turn(0, 10);
    EXPECT_NEAR(camera.Elevation(), std::acos(0.0), 1e-12);
    camera.SetFlat(true);
    EXPECT_EQ(Axis(camera, 0), P(1, 0));
    EXPECT_EQ(Axis(camera, 1), P(0, 1));
}

TEST(PixelRasterTest, LinesAreClippedToThePictureWhereverTheyLie)
{
    QImage image(20, 10, QImage::Format_RGB32);
    image.fill(Qt::white);
    const QRgb blue = qRgb(0, 0, 255);
    PixelRaster::DrawLines(image, {QLineF(0, 0, 19, 0)}, 1.0, blue);
    EXPECT_EQ(Painted(image), 20);
    // Zoomed far in, a line runs a billion pixels beyond the picture: only
    // its part inside is drawn. Beside it lines outside, of no size and not
    // numbers: nothing is drawn outside, nothing crashes.
    const double nan = std::numeric_limits<double>::quiet_NaN();
    PixelRaster::DrawLines(image,
                           {QLineF(-1e9, 5, 1e9, 5), QLineF(30, 30, 40, 40), QLineF(nan, 0, 5, 5),
                            QLineF(-5, -5, -1, -1), QLineF(-1e300, 9, 1e300, 9)},
                           1.0, blue);
    EXPECT_GE(Painted(image), 40);
    EXPECT_LE(Painted(image), 60);
    for (int x = 0; x < 20; ++x)
        EXPECT_EQ(image.pixel(x, 5), blue) << x;
    // A diagonal across, at twice the pixels.
    image.fill(Qt::white);
    PixelRaster::DrawLines(image, {QLineF(0, 0, 4.5, 4.5)}, 2.0, blue);
    EXPECT_EQ(Painted(image), 10);
    image.fill(Qt::white);
    PixelRaster::DrawPoints(image, {QPointF(1, 1), QPointF(-1, 3), QPointF(25, 1), QPointF(nan, 1)},
                            1.0, blue);
    EXPECT_EQ(Painted(image), 1);
}
