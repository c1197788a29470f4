#include "display/Contour.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

namespace {

constexpr double kNaN = std::numeric_limits<double>::quiet_NaN();

// The distinct coordinates of a set, merged within `tolerance`.
std::vector<double> Distinct(std::vector<double> values, double tolerance) {
    std::sort(values.begin(), values.end());
    std::vector<double> out;
    for (double v : values)
        if (out.empty() || v - out.back() > tolerance) out.push_back(v);
    return out;
}

// Whether the sorted coordinates are evenly spaced (within 1 % of the step).
bool Even(const std::vector<double>& c) {
    if (c.size() < 2) return false;
    const double step = (c.back() - c.front()) / static_cast<double>(c.size() - 1);
    if (!(step > 0)) return false;
    for (size_t i = 0; i < c.size(); ++i)
        if (std::fabs(c[i] - (c.front() + step * static_cast<double>(i))) > 0.01 * step)
            return false;
    return true;
}

SValueGrid Lattice(const std::vector<SValuePoint>& points, const std::vector<double>& xs,
                   const std::vector<double>& ys) {
    SValueGrid g;
    g.nx = static_cast<int>(xs.size());
    g.ny = static_cast<int>(ys.size());
    g.x0 = xs.front();
    g.y0 = ys.front();
    g.dx = (xs.back() - xs.front()) / (g.nx - 1);
    g.dy = (ys.back() - ys.front()) / (g.ny - 1);
    std::vector<double> sum(static_cast<size_t>(g.nx) * g.ny, 0.0);
    std::vector<int> count(sum.size(), 0);
    for (const SValuePoint& p : points) {
        const int i = static_cast<int>(std::lround((p.x - g.x0) / g.dx));
        const int j = static_cast<int>(std::lround((p.y - g.y0) / g.dy));
        if (i < 0 || j < 0 || i >= g.nx || j >= g.ny) continue;
        const size_t k = static_cast<size_t>(j) * g.nx + i;
        sum[k] += p.v;
        ++count[k];
    }
    g.v.resize(sum.size());
    for (size_t k = 0; k < sum.size(); ++k)
        g.v[k] = count[k] ? sum[k] / count[k] : kNaN;
    return g;
}

SValueGrid Interpolated(const std::vector<SValuePoint>& points, double minX, double maxX,
                        double minY, double maxY) {
    SValueGrid g;
    const double w = maxX - minX, h = maxY - minY;
    // About one node per point, at most kMaxContourGrid a side, and no more node-point pairs
    // than a repaint can afford.
    double spacing = std::sqrt(w * h / static_cast<double>(points.size()));
    if (!(spacing > 0) || !std::isfinite(spacing)) return g;
    g.nx = static_cast<int>(std::clamp(w / spacing + 1, 2.0, double{kMaxContourGrid}));
    g.ny = static_cast<int>(std::clamp(h / spacing + 1, 2.0, double{kMaxContourGrid}));
    while (static_cast<double>(g.nx) * g.ny * static_cast<double>(points.size()) > 2e7 &&
           g.nx > 2 && g.ny > 2) {
        g.nx = std::max(2, g.nx * 3 / 4);
        g.ny = std::max(2, g.ny * 3 / 4);
    }
    g.x0 = minX;
    g.y0 = minY;
    g.dx = w / (g.nx - 1);
    g.dy = h / (g.ny - 1);
    g.v.assign(static_cast<size_t>(g.nx) * g.ny, 0.0);
    for (int j = 0; j < g.ny; ++j)
        for (int i = 0; i < g.nx; ++i) {
            const double x = g.x0 + i * g.dx, y = g.y0 + j * g.dy;
            double num = 0.0, den = 0.0;
            bool exact = false;
            for (const SValuePoint& p : points) {
                const double d2 = (p.x - x) * (p.x - x) + (p.y - y) * (p.y - y);
                if (d2 < 1e-12) {
                    num = p.v;
                    den = 1.0;
                    exact = true;
                    break;
                }
                num += p.v / d2;
                den += 1.0 / d2;
            }
            g.v[static_cast<size_t>(j) * g.nx + i] = exact || den > 0 ? num / den : kNaN;
        }
    return g;
}

}  // namespace

SValueGrid GridFromPoints(const std::vector<SValuePoint>& points) {
    std::vector<SValuePoint> finite;
    for (const SValuePoint& p : points)
        if (std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.v)) finite.push_back(p);
    if (finite.size() < 3) return {};
    double minX = finite[0].x, maxX = minX, minY = finite[0].y, maxY = minY;
    std::vector<double> xs, ys;
    for (const SValuePoint& p : finite) {
        minX = std::min(minX, p.x), maxX = std::max(maxX, p.x);
        minY = std::min(minY, p.y), maxY = std::max(maxY, p.y);
        xs.push_back(p.x);
        ys.push_back(p.y);
    }
    if (!(maxX > minX) || !(maxY > minY)) return {};
    const double tol = 1e-6 * std::max(maxX - minX, maxY - minY);
    const std::vector<double> dxs = Distinct(xs, tol), dys = Distinct(ys, tol);
    if (Even(dxs) && Even(dys) && dxs.size() <= 4096 && dys.size() <= 4096 &&
        dxs.size() * dys.size() <= 4 * finite.size())
        return Lattice(finite, dxs, dys);
    return Interpolated(finite, minX, maxX, minY, maxY);
}

std::vector<double> AutoContourLevels(double lo, double hi, int count) {
    std::vector<double> levels;
    if (count < 1 || !std::isfinite(lo) || !std::isfinite(hi) || !(hi > lo)) return levels;
    count = std::min(count, 1000);
    for (int k = 1; k <= count; ++k)
        levels.push_back(lo + k * (hi - lo) / (count + 1));
    return levels;
}

void TraceContour(const SValueGrid& grid, double level,
                  const std::function<void(double, double, double, double)>& segment) {
    if (grid.Empty() || !std::isfinite(level)) return;
    // Corners in order: (0,0), (1,0), (1,1), (0,1); edge e joins corner e and e + 1.
    static const int kCorner[4][2] = {{0, 0}, {1, 0}, {1, 1}, {0, 1}};
    for (int j = 0; j + 1 < grid.ny; ++j)
        for (int i = 0; i + 1 < grid.nx; ++i) {
            double c[4];
            bool usable = true;
            int mask = 0;
            for (int k = 0; k < 4; ++k) {
                c[k] = grid.At(i + kCorner[k][0], j + kCorner[k][1]);
                if (!std::isfinite(c[k])) usable = false;
                if (c[k] >= level) mask |= 1 << k;
            }
            if (!usable || mask == 0 || mask == 15) continue;
            double ex[4], ey[4];
            bool crossed[4];
            for (int e = 0; e < 4; ++e) {
                const int a = e, b = (e + 1) % 4;
                crossed[e] = (c[a] >= level) != (c[b] >= level);
                if (!crossed[e]) continue;
                const double t = (level - c[a]) / (c[b] - c[a]);
                ex[e] = i + kCorner[a][0] + t * (kCorner[b][0] - kCorner[a][0]);
                ey[e] = j + kCorner[a][1] + t * (kCorner[b][1] - kCorner[a][1]);
            }
            std::vector<int> edges;
            for (int e = 0; e < 4; ++e)
                if (crossed[e]) edges.push_back(e);
            if (edges.size() == 2) {
                segment(ex[edges[0]], ey[edges[0]], ex[edges[1]], ey[edges[1]]);
            } else if (edges.size() == 4) {
                // A saddle: the cell's mean decides which corners the lines cut off.
                const double mean = (c[0] + c[1] + c[2] + c[3]) / 4.0;
                const bool centreHigh = mean >= level;
                if (centreHigh == ((mask & 1) != 0)) {
                    segment(ex[0], ey[0], ex[1], ey[1]);
                    segment(ex[2], ey[2], ex[3], ey[3]);
                } else {
                    segment(ex[3], ey[3], ex[0], ey[0]);
                    segment(ex[1], ey[1], ex[2], ey[2]);
                }
            }
        }
}
