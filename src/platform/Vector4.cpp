#include "platform/Vector4.h"

#include <cmath>
#include <cstdio>

namespace {
// The component of a four-axis vector by axis index 0..3 (X, Y, Z, W).
template <class TVector>
auto& Component(TVector& v, int axis) {
    switch (axis & 3) {
        case 0:
            return v.x;
        case 1:
            return v.y;
        case 2:
            return v.z;
        default:
            return v.w;
    }
}
}  // namespace

double& CDVector4::operator[](int axis) {
    return Component(*this, axis);
}

double CDVector4::operator[](int axis) const {
    return const_cast<CDVector4&>(*this)[axis];
}

void CDVector4::Parse(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return;
    std::sscanf(text.c_str() + colon, ": %lf %lf %lf %lf", &x, &y, &z, &w);
}

CDVector4 CDVector4::Rotate(double rotDeg, double tiltDeg, bool tiltAboutY) const {
    const double r = rotDeg * kRadiansPerDegree;
    const double t = tiltDeg * kRadiansPerDegree;
    const double x1 = std::cos(r) * x - std::sin(r) * y;
    const double y1 = std::sin(r) * x + std::cos(r) * y;
    if (tiltAboutY) {
        return CDVector4(std::cos(t) * x1 - std::sin(t) * z, y1, std::sin(t) * x1 + std::cos(t) * z,
                         w);
    }
    return CDVector4(x1, std::cos(t) * y1 - std::sin(t) * z, std::sin(t) * y1 + std::cos(t) * z, w);
}

int32_t& CIVector4::operator[](int axis) {
    return Component(*this, axis);
}

int32_t CIVector4::operator[](int axis) const {
    return const_cast<CIVector4&>(*this)[axis];
}

void CIVector4::Parse(const std::string& text) {
    size_t colon = text.find(':');
    if (colon == std::string::npos) return;
    int v[4] = {x, y, z, w};
    std::sscanf(text.c_str() + colon, ": %d %d %d %d", &v[0], &v[1], &v[2], &v[3]);
    x = v[0];
    y = v[1];
    z = v[2];
    w = v[3];
}
