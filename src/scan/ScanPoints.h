#pragma once
// Where a grid scan goes and in which order. The points are numbered in the order the scan
// visits them; each has its four loop indices (innermost first) and its coordinate relative to
// the scan's origin. The stage's target is origin + coordinate.
//
// "Grid:" and "Log Grid" give every axis its own step count and index; "Line", "Log Inc" and
// "Log Dec" move all four axes together along numPoints points. "X axis first" runs X
// innermost, "W axis first" W. Flyback runs every axis from start to end; Zig-Zag turns some
// axes round by the parity of the next outer index, so the stage never flies back across a row.

#include <array>
#include <cstdint>

#include "platform/Vector4.h"

class CScanDoc;

// A line scan has at least two points: one at start and one at end.
inline constexpr int kMinLinePoints = 2;

class CScanPoints {
  public:
    // Reads the grid from the scan's fields (a line of fewer than two points counts as two;
    // a step count below one as one).
    explicit CScanPoints(const CScanDoc& doc);

    // Whether every axis has its own index ("Grid:" and "Log Grid").
    bool IsGrid() const { return grid; }
    // Number of points (64 bits: four counts multiplied).
    int64_t Count() const;
    // Loop bounds, innermost first.
    const std::array<int, 4>& Bounds() const { return bounds; }
    // The loop indices (innermost first) of point `n` (0 .. Count() - 1).
    std::array<int, 4> LoopIndices(int64_t n) const;
    // The coordinate of the point with these loop indices, relative to origin.
    CDVector4 Coordinate(const std::array<int, 4>& loop) const;
    // The stage target of point `n`: origin + coordinate.
    CDVector4 Target(int64_t n) const;

    // One axis: index k of n points from start to end with the step type's spacing
    // (kStepGrid / kStepLine linear, kStepLogGrid / kStepLogInc logarithmic from start,
    // kStepLogDec logarithmic toward end). The first point of a log line is exactly start and
    // the last exactly end, where the formula would miss them by a rounding error.
    static double AxisCoordinate(double start, double end, int k, int n, int stepType);

  private:
    bool grid = true;
    int stepType;
    int gridType;
    bool wFirst = false;
    CDVector4 start, end, origin;
    std::array<int, 4> steps{1, 1, 1, 1};  // per axis X..W (grid types)
    int linePoints = kMinLinePoints;
    std::array<int, 4> bounds{1, 1, 1, 1};
};

// Raises a line's point count below two to two, in the document as the scan stores it back.
void NormaliseLinePoints(CScanDoc& doc);
