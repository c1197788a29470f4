#pragma once
// Contour lines of scattered values: the values are put on a regular grid (the scan's own
// lattice when the points form one, otherwise inverse-distance weighting), and iso-lines are
// traced through each grid cell by marching squares with linear interpolation along the edges.

#include <functional>
#include <vector>

struct SValuePoint {
    double x = 0.0, y = 0.0, v = 0.0;
};

// Values on a regular grid: node (i, j) at (x0 + i dx, y0 + j dy); NaN where nothing is known.
struct SValueGrid {
    int nx = 0, ny = 0;
    double x0 = 0.0, y0 = 0.0, dx = 1.0, dy = 1.0;
    std::vector<double> v;  // row j = 0 first
    double At(int i, int j) const { return v[static_cast<size_t>(j) * nx + i]; }
    bool Empty() const { return nx < 2 || ny < 2; }
};

// Largest grid side for interpolated (not lattice) grids.
inline constexpr int kMaxContourGrid = 200;

// The grid for `points`: their lattice when each lies on one (repeated points averaged),
// else an interpolated grid over their bounding box. Empty for fewer than 3 distinct points
// or points along one line.
SValueGrid GridFromPoints(const std::vector<SValuePoint>& points);

// `count` levels spaced evenly inside lo..hi (lo + k (hi - lo) / (count + 1), k = 1..count).
std::vector<double> AutoContourLevels(double lo, double hi, int count);

// Calls `segment` for each piece of the iso-line at `level`, in grid coordinates (x, y).
void TraceContour(const SValueGrid& grid, double level,
                  const std::function<void(double x1, double y1, double x2, double y2)>& segment);
