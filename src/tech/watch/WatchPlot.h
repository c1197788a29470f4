#pragma once
// The data behind a watch window's time plot and vector display, without any drawing: rolling
// traces of plot points bounded by the span shown, the symmetric autoscale range, the span
// settings, the CDP vector's pixel geometry, and the decimation that turns a day of points into
// one minimum/maximum pair per pixel column, so a repaint costs the pixels, not the points.

#include <cstddef>
#include <deque>
#include <string>
#include <vector>

// A plot point: the first value (CDP X current, a raw channel's volts, a gradient difference),
// the second (CDP Y current, else 0) and the time in seconds since 1970 with the milliseconds.
struct SPlotPoint {
    double first = 0.0;
    double second = 0.0;
    double time = 0.0;
};

// The span a time plot shows, as the user edits it. Kept inside 1 s .. 31 days, so the time
// axis never has zero width and the traces never hold more than a month.
struct SWatchSpan {
    static constexpr double kMinSeconds = 1.0;
    static constexpr double kMaxSeconds = 31.0 * 86400.0;

    long day = 0;
    int hour = 0;
    int minute = 5;
    int second = 0;

    // day*86400 + hour*3600 + minute*60 + second, brought inside the limits.
    double Seconds() const;
    // The components of `seconds` (inside the limits; fractions dropped).
    static SWatchSpan FromSeconds(double seconds);
};

// One rolling list of plot points. Points older than the span before the newest are dropped
// from the front; beyond kMaxPoints the oldest go early, so memory is bounded whatever the
// span and the interval.
class CPlotTrace {
  public:
    static constexpr size_t kMaxPoints = 200000;

    // False when the point could not be stored (memory): the caller reports it.
    bool Add(const SPlotPoint& point, double spanSeconds);
    void Clear() { points.clear(); }
    const std::deque<SPlotPoint>& Points() const { return points; }
    size_t Size() const { return points.size(); }
    // The largest |value| of component 0 (first) or 1 (second) of the points; 0 when none.
    double MaxMagnitude(int component) const;

  private:
    std::deque<SPlotPoint> points;
};

// The symmetric autoscale range R: after a tick with the largest magnitude m shown, R becomes
// 1.1 m when m is above R or below a tenth of it. Nothing changes for m = 0 (a dead probe, a
// calibration without gains) or a value that is no number, so R never becomes 0.
class CAutoRange {
  public:
    explicit CAutoRange(double range = 10.0) : range(range) {}
    // True when the range changed.
    bool Update(double magnitude);
    double Range() const { return range; }
    void Set(double r) { range = r; }
    // The limit as shown beside the axis ("%.3lg").
    std::string LimitText() const;

  private:
    double range;
};

// The CDP vector in the display's pixels: the length is total / scale * radius; when it leaves
// radius/10 .. radius the scale becomes 1.1 * total (autoscale only). X and Y are clamped to
// +/- radius and the overflow marked.
struct SVectorPixels {
    double dx = 0.0, dy = 0.0;  // +X right, +Y up
    double length = 0.0;
    bool overflow = false;
};
// `scale` (uA/sq.cm. at the radius) is updated in place when autoscaling; a scale that is not a
// positive number is rescaled, or set back to 10 when there is nothing to scale by.
SVectorPixels VectorPixels(double x, double y, double total, double radius, bool autoscale,
                           double& scale);

// One pixel column of a decimated trace: the least and largest value of the points that fall in
// it, and the first and last (so the line joins the neighbours where it really does).
struct SPlotColumn {
    double minimum = 0.0, maximum = 0.0, first = 0.0, last = 0.0;
    bool used = false;
};
// The points of `trace` (component 0 or 1) between times t0 and t1 spread over `columns`
// pixel columns. Linear in the points inside the window; the window's start is found by
// bisection.
std::vector<SPlotColumn> DecimateTrace(const CPlotTrace& trace, int component, double t0, double t1,
                                       int columns);
