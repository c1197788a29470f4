#include "tech/watch/WatchPlot.h"

#include <algorithm>
#include <cmath>
#include <new>

#include "platform/Format.h"

double SWatchSpan::Seconds() const {
    const double s = static_cast<double>(day) * 86400.0 + hour * 3600.0 + minute * 60.0 + second;
    if (!std::isfinite(s) || s < kMinSeconds) return kMinSeconds;
    return std::min(s, kMaxSeconds);
}

SWatchSpan SWatchSpan::FromSeconds(double seconds) {
    if (!std::isfinite(seconds) || seconds < kMinSeconds) seconds = kMinSeconds;
    seconds = std::min(seconds, kMaxSeconds);
    auto s = static_cast<long>(seconds);
    SWatchSpan span;
    span.day = s / 86400;
    s %= 86400;
    span.hour = static_cast<int>(s / 3600);
    s %= 3600;
    span.minute = static_cast<int>(s / 60);
    span.second = static_cast<int>(s % 60);
    return span;
}

bool CPlotTrace::Add(const SPlotPoint& point, double spanSeconds) {
    try {
        points.push_back(point);
    } catch (const std::bad_alloc&) {
        return false;
    }
    const double oldest = point.time - spanSeconds;
    while (!points.empty() && points.front().time < oldest)
        points.pop_front();
    while (points.size() > kMaxPoints)
        points.pop_front();
    return true;
}

double CPlotTrace::MaxMagnitude(int component) const {
    double m = 0.0;
    for (const SPlotPoint& p : points) {
        const double v = std::fabs(component == 0 ? p.first : p.second);
        if (std::isfinite(v)) m = std::max(m, v);
    }
    return m;
}

bool CAutoRange::Update(double magnitude) {
    if (!(magnitude > 0.0) || !std::isfinite(magnitude)) return false;
    if (!(range > 0.0) || !std::isfinite(range) || magnitude > range || 10.0 * magnitude < range) {
        range = 1.1 * magnitude;
        return true;
    }
    return false;
}

std::string CAutoRange::LimitText() const {
    return StrPrintf("%.3lg", range);
}

SVectorPixels VectorPixels(double x, double y, double total, double radius, bool autoscale,
                           double& scale) {
    const bool scaleUsable = scale > 0.0 && std::isfinite(scale);
    const bool totalUsable = total > 0.0 && std::isfinite(total);
    if (autoscale && totalUsable) {
        const double length = scaleUsable ? total / scale * radius : 0.0;
        if (!scaleUsable || length > radius || length < radius / 10.0) scale = total * 1.1;
    } else if (!scaleUsable) {
        scale = 10.0;
    }
    SVectorPixels v;
    if (!std::isfinite(x) || !std::isfinite(y)) return v;
    v.dx = x / scale * radius;
    v.dy = y / scale * radius;
    if (std::fabs(v.dx) > radius) {
        v.dx = std::copysign(radius, v.dx);
        v.overflow = true;
    }
    if (std::fabs(v.dy) > radius) {
        v.dy = std::copysign(radius, v.dy);
        v.overflow = true;
    }
    v.length = std::hypot(v.dx, v.dy);
    return v;
}

std::vector<SPlotColumn> DecimateTrace(const CPlotTrace& trace, int component, double t0, double t1,
                                       int columns) {
    std::vector<SPlotColumn> out;
    if (columns <= 0 || !(t1 > t0)) return out;
    out.resize(static_cast<size_t>(columns));
    const auto& points = trace.Points();
    auto it = std::lower_bound(points.begin(), points.end(), t0,
                               [](const SPlotPoint& p, double t) { return p.time < t; });
    const double perColumn = static_cast<double>(columns) / (t1 - t0);
    for (; it != points.end(); ++it) {
        if (it->time > t1) break;
        const double v = component == 0 ? it->first : it->second;
        if (!std::isfinite(v)) continue;
        int c = static_cast<int>((it->time - t0) * perColumn);
        c = std::clamp(c, 0, columns - 1);
        SPlotColumn& col = out[static_cast<size_t>(c)];
        if (!col.used) {
            col.minimum = col.maximum = col.first = v;
            col.used = true;
        } else {
            col.minimum = std::min(col.minimum, v);
            col.maximum = std::max(col.maximum, v);
        }
        col.last = v;
    }
    return out;
}
