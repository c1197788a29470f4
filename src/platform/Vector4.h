#pragma once
// Four-axis quadruples (X, Y, Z, W): positions and distances in microns, the four lock-in
// voltages of a current-density reading, step counts of a scan grid. Observations embed them
// by value in their archive records (no tag, no class description; CArchive::Vector).

#include <cstdint>
#include <string>

class CDVector4 {
  public:
    double x = 0.0, y = 0.0, z = 0.0, w = 0.0;

    CDVector4() = default;
    CDVector4(double x, double y, double z, double w) : x(x), y(y), z(z), w(w) {}
    explicit CDVector4(const double values[4])
        : x(values[0]), y(values[1]), z(values[2]), w(values[3]) {}

    CDVector4& operator+=(const CDVector4& o) {
        x += o.x;
        y += o.y;
        z += o.z;
        w += o.w;
        return *this;
    }
    CDVector4& operator-=(const CDVector4& o) {
        x -= o.x;
        y -= o.y;
        z -= o.z;
        w -= o.w;
        return *this;
    }
    friend CDVector4 operator+(CDVector4 a, const CDVector4& b) { return a += b; }
    friend CDVector4 operator-(CDVector4 a, const CDVector4& b) { return a -= b; }
    bool operator==(const CDVector4&) const = default;

    // Component by axis index 0..3 (X, Y, Z, W).
    double& operator[](int axis);
    double operator[](int axis) const;

    // Scans the text from its first ":" with ": %lf %lf %lf %lf"; components that fail to scan
    // keep their values. Without a colon nothing changes.
    void Parse(const std::string& text);

    // Rotation by `rotDeg` about Z, then a tilt by `tiltDeg` about Y (`tiltAboutY`) or X.
    // W is never changed.
    CDVector4 Rotate(double rotDeg, double tiltDeg, bool tiltAboutY) const;
};

class CIVector4 {
  public:
    int32_t x = 0, y = 0, z = 0, w = 0;

    CIVector4() = default;
    CIVector4(int32_t x, int32_t y, int32_t z, int32_t w) : x(x), y(y), z(z), w(w) {}
    bool operator==(const CIVector4&) const = default;

    int32_t& operator[](int axis);
    int32_t operator[](int axis) const;

    // As CDVector4::Parse with ": %d %d %d %d".
    void Parse(const std::string& text);
};

// Degrees and radians as the station has always converted them (3.1415927 / 180 and back).
inline constexpr double kRadiansPerDegree = 0.01745329277777778;
inline constexpr double kDegreesPerRadian = 57.29577866666166;
