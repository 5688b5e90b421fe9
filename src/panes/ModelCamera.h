#pragma once

// How the model view looks at a model, without widgets: which way is up,
// from where the eye looks, and so where a point of the model lands on the
// screen before it is scaled and moved.
//
// A 3D model is turned so that its vertical axis (z, or y) points up the
// screen. The eye sits at an azimuth about that axis and an elevation
// above the horizontal: azimuth 0 and elevation 0 look along the second
// horizontal axis (the front view), elevation 90 degrees looks straight
// down (the top view). A 2D model lies in its x-y plane, y up, and does
// not turn.
class CModelCamera
{
public:
    enum class EUp
    {
        Z,
        Y
    };
    enum class EView
    {
        Front,
        Side,
        Top,
        Isometric
    };

    CModelCamera() { Update(); }

    void SetFlat(bool bFlat)
    {
        m_bFlat = bFlat;
        Update();
    }
    bool IsFlat() const { return m_bFlat; }
    void SetUp(EUp up)
    {
        m_up = up;
        Update();
    }
    EUp Up() const { return m_up; }
    // The eye of a standard view; a flat model keeps its plane.
    void Look(EView view);
    // Turns the eye by angles in radians; the elevation stays within the poles.
    void Turn(double dAzimuth, double dElevation);
    double Azimuth() const { return m_azimuth; }
    double Elevation() const { return m_elevation; }

    // A point of the model on the screen plane, in the model's units: x to
    // the right, y up.
    void Project(const double xyz[3], double& x, double& y) const
    {
        x = m_rows[0][0] * xyz[0] + m_rows[0][1] * xyz[1] + m_rows[0][2] * xyz[2];
        y = m_rows[1][0] * xyz[0] + m_rows[1][1] * xyz[1] + m_rows[1][2] * xyz[2];
    }
    // Where the axis (0 x, 1 y, 2 z) points on the screen, as a unit of the
    // model would: x to the right, y up.
    void AxisOnScreen(int nAxis, double& x, double& y) const;

private:
    // The two rows of the projection, made again when the eye moves.
    void Update();

    bool m_bFlat = false;
    EUp m_up = EUp::Z;
    double m_azimuth = 0;
    double m_elevation = 0;
    double m_rows[2][3] = {{1, 0, 0}, {0, 1, 0}};
};
