#include "scan/ScanPoints.h"

#include <algorithm>
#include <cmath>

#include "scan/ScanDoc.h"

namespace {
// Below this span an axis does not move (a logarithm of nothing).
constexpr double kMinLogSpan = 0.0001;
}  // namespace

CScanPoints::CScanPoints(const CScanDoc& doc)
    : stepType(doc.stepType),
      gridType(doc.gridType),
      wFirst(doc.firstAxis == kFirstAxisW),
      start(doc.start),
      end(doc.end),
      origin(doc.origin) {
    // "Log Grid" loops as a grid: each axis has its own count, as its positions do.
    grid = stepType == kStepGrid || stepType == kStepLogGrid;
    if (grid) {
        for (int a = 0; a < 4; ++a)
            steps[static_cast<size_t>(a)] = std::max(doc.steps[a], 1);
        for (int i = 0; i < 4; ++i)
            bounds[static_cast<size_t>(i)] = steps[static_cast<size_t>(wFirst ? 3 - i : i)];
    } else {
        linePoints = std::max(doc.numPoints, kMinLinePoints);
        bounds = {linePoints, 1, 1, 1};
    }
}

int64_t CScanPoints::Count() const {
    int64_t n = 1;
    for (int b : bounds)
        n *= b;
    return n;
}

std::array<int, 4> CScanPoints::LoopIndices(int64_t n) const {
    std::array<int, 4> loop{};
    for (size_t i = 0; i < 4; ++i) {
        loop[i] = static_cast<int>(n % bounds[i]);
        n /= bounds[i];
    }
    return loop;
}

double CScanPoints::AxisCoordinate(double start, double end, int k, int n, int stepType) {
    if (n < 2 || k < 0) return start;
    if (k >= n) return end;
    const double span = end - start;
    const double fraction = static_cast<double>(k) / static_cast<double>(n - 1);
    if (stepType == kStepGrid || stepType == kStepLine) return start + span * fraction;
    if (std::fabs(span) < kMinLogSpan) return start;
    const double sign = span < 0 ? -1.0 : 1.0;
    const double logSpan = std::log(std::fabs(span));
    if (stepType == kStepLogDec) {
        if (k == 0) return start;
        return end - sign * std::exp(logSpan * static_cast<double>(n - 1 - k) /
                                     static_cast<double>(n - 1));
    }
    // "Log Grid", "Log Inc": the first point 1 micron from start, the last at end.
    if (k == n - 1) return end;
    return start + sign * std::exp(logSpan * fraction);
}

CDVector4 CScanPoints::Coordinate(const std::array<int, 4>& loop) const {
    CDVector4 c;
    if (!grid) {
        for (int a = 0; a < 4; ++a)
            c[a] = AxisCoordinate(start[a], end[a], loop[0], linePoints, stepType);
        return c;
    }
    // Axis index of each axis: X i0 .. W i3, or W i0 .. X i3.
    std::array<int, 4> k{};
    for (int a = 0; a < 4; ++a)
        k[static_cast<size_t>(a)] = loop[static_cast<size_t>(wFirst ? 3 - a : a)];
    std::array<bool, 4> reversed{false, false, false, false};
    if (gridType == kGridZigZag) {
        auto even = [&](int axis) { return k[static_cast<size_t>(axis)] % 2 == 0; };
        if (!wFirst) {
            reversed[0] = !even(1);  // X turns with Y
            reversed[1] = !even(2);  // Y with Z
            reversed[2] = even(3);   // Z runs back while W is even
            reversed[3] = true;      // W always runs back
        } else {
            reversed[3] = even(2);   // W runs back while Z is even
            reversed[2] = even(1);   // Z likewise with Y
            reversed[1] = !even(0);  // Y turns with X
            reversed[0] = false;     // X always runs forward
        }
    }
    const int spacing = stepType == kStepLogGrid ? kStepLogGrid : kStepGrid;
    for (int a = 0; a < 4; ++a) {
        const size_t s = static_cast<size_t>(a);
        int index = k[s];
        // A reversed axis visits the same positions back to front.
        if (reversed[s] && steps[s] >= 2 && index >= 0 && index < steps[s])
            index = steps[s] - 1 - index;
        c[a] = AxisCoordinate(start[a], end[a], index, steps[s], spacing);
    }
    return c;
}

CDVector4 CScanPoints::Target(int64_t n) const {
    return origin + Coordinate(LoopIndices(n));
}

void NormaliseLinePoints(CScanDoc& doc) {
    if (doc.stepType != kStepGrid && doc.stepType != kStepLogGrid && doc.numPoints < kMinLinePoints)
        doc.numPoints = kMinLinePoints;
}
