#include "ModelCamera.h"

#include <algorithm>
#include <cmath>
#include <numbers>

namespace
{
// The isometric view: every axis drawn at the same length.
constexpr double kIsometricAzimuth = std::numbers::pi / 4;
const double kIsometricElevation = std::atan(1 / std::sqrt(2.0));
constexpr double kPole = std::numbers::pi / 2;
} // namespace

void CModelCamera::Look(EView view)
{
    switch (view)
    {
    case EView::Front:
        m_azimuth = 0;
        m_elevation = 0;
        break;
    case EView::Side:
        m_azimuth = std::numbers::pi / 2;
        m_elevation = 0;
        break;
    case EView::Top:
        m_azimuth = 0;
        m_elevation = kPole;
        break;
    case EView::Isometric:
        m_azimuth = kIsometricAzimuth;
        m_elevation = kIsometricElevation;
        break;
    }
    Update();
}

void CModelCamera::Turn(double dAzimuth, double dElevation)
{
    m_azimuth = std::remainder(m_azimuth + dAzimuth, 2 * std::numbers::pi);
    m_elevation = std::clamp(m_elevation + dElevation, -kPole, kPole);
    Update();
}

void CModelCamera::Update()
{
    if (m_bFlat)
    {
        m_rows[0][0] = 1, m_rows[0][1] = 0, m_rows[0][2] = 0;
        m_rows[1][0] = 0, m_rows[1][1] = 1, m_rows[1][2] = 0;
        return;
    }
    const double sinA = std::sin(m_azimuth);
    const double cosA = std::cos(m_azimuth);
    const double sinE = std::sin(m_elevation);
    const double cosE = std::cos(m_elevation);
    // In a frame whose third axis is up: the screen's right is the
    // horizontal at right angles to the eye, its up the eye's direction
    // turned a quarter toward the vertical.
    const double right[3] = {cosA, sinA, 0};
    const double up[3] = {-sinE * sinA, sinE * cosA, cosE};
    for (int i = 0; i < 3; ++i)
    {
        m_rows[0][i] = right[i];
        m_rows[1][i] = up[i];
    }
    if (m_up == EUp::Y)
    {
        // y up: the model turned a quarter about x first, (x, y, z) to
        // (x, -z, y), so that the frame stays right-handed.
        for (auto& row : m_rows)
        {
            const double fromY = row[2];
            const double fromZ = -row[1];
            row[1] = fromY;
            row[2] = fromZ;
        }
    }
}

void CModelCamera::AxisOnScreen(int nAxis, double& x, double& y) const
{
    double unit[3] = {0, 0, 0};
    unit[std::clamp(nAxis, 0, 2)] = 1;
    Project(unit, x, y);
}
