#pragma once
// Observation documents for display tests: CDP points with a calibration under which a point
// read as (x, 0, 0, y) volts shows X = x and Y = y uA/sq.cm.

#include <cmath>
#include <memory>
#include <vector>

#include "obs/ObsDoc.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"

struct SCdpPoint {
    double x, y;    // probe position, microns
    double jx, jy;  // current density, uA/sq.cm.
};

inline std::unique_ptr<CObsDoc> MakeCdpDocument(const std::vector<SCdpPoint>& points,
                                                int64_t start = 1196856000) {
    auto doc = std::make_unique<CObsDoc>();
    auto cal = std::make_unique<CWireCalibration>();
    cal->SetTime(start, 0);
    const double k = cal->Resistivity * cal->SystemGain;
    cal->XXphase = std::acos(-1.0) / 2;  // X follows the first channel
    cal->XXuAperV = k;
    cal->YYuAperV = k;  // Y follows the fourth
    doc->AddObs(std::move(cal));
    int64_t t = start;
    for (const SCdpPoint& p : points) {
        auto obs = std::make_unique<CWireObs>();
        obs->SetTime(++t, 0);
        obs->probePosition = CDVector4(p.x, p.y, 0, 0);
        obs->reading = CDVector4(p.jx, 0, 0, p.jy);
        doc->AddObs(std::move(obs));
    }
    return doc;
}

// CDP points on a square grid around a point source at (sx, sy): the current flows straight
// away from it and falls off with the square of the distance.
inline std::vector<SCdpPoint> PointSourceGrid(double sx, double sy, int n, double step) {
    std::vector<SCdpPoint> points;
    for (int j = 0; j < n; ++j)
        for (int i = 0; i < n; ++i) {
            const double x = (i - (n - 1) / 2.0) * step, y = (j - (n - 1) / 2.0) * step;
            const double dx = x - sx, dy = y - sy, r = std::hypot(dx, dy);
            if (r < 1e-9) continue;
            const double j0 = 1000.0 / (r * r);
            points.push_back({x, y, j0 * dx / r, j0 * dy / r});
        }
    return points;
}
