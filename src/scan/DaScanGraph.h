#pragma once
// What the D/A output scan's "Graph" window shows, without the drawing: the points measured so
// far (output volts against the measured value), the axes with their ranges, titles and units,
// and the ticks with their "%.3lg" labels. The window only maps these onto its pixels, so the
// scaling is the same wherever the curve is drawn.

#include <string>
#include <vector>

// One axis: a range (low < high), its title with the unit, and where it is ticked.
class CGraphAxis {
  public:
    struct STick {
        double value = 0.0;
        std::string label;  // "%.3lg"
    };

    CGraphAxis() = default;
    // The range from `a` to `b` in either order. An empty range (a == b) is widened around
    // its value so that the axis still has a length; a non-finite end gives 0 to 1.
    CGraphAxis(double a, double b, std::string title);
    // The smallest range on round ticks (steps of 1, 2 or 5 times a power of ten) that holds
    // `low` to `high`, with about `ticks` ticks.
    static CGraphAxis Rounded(double low, double high, std::string title, int ticks = 5);

    double Low() const { return low; }
    double High() const { return high; }
    const std::string& Title() const { return title; }

    // The step of about `count` ticks over the range: 1, 2 or 5 times a power of ten.
    double TickStep(int count = 5) const;
    // The ticks inside the range (ends included), at multiples of TickStep(count).
    std::vector<STick> Ticks(int count = 5) const;
    // `value` mapped linearly so that Low() lands on `at` and High() on `to` (pixels).
    double Map(double value, double at, double to) const;

    static std::string Label(double value);

  private:
    double low = 0.0, high = 1.0;
    std::string title;
};

class CDaScanGraph {
  public:
    static constexpr const char* kTitle = "Graph";

    struct SPoint {
        double volts = 0.0;
        double value = 0.0;
        int pass = 0;  // points of one pass are joined by lines
    };

    // A new graph of D/A channel `channel` from `start` to `end` volts, the values being what
    // `valueTitle` says (with its unit). Forgets earlier points.
    void Start(int channel, double start, double end, const std::string& valueTitle);
    // A measured point. Non-finite values are not drawn (they would spoil the scaling).
    void Add(double volts, double value, int pass);

    const std::vector<SPoint>& Points() const { return points; }
    // The horizontal axis: the scan's range of output volts, as the scan was set up.
    CGraphAxis XAxis() const;
    // The vertical axis: rounded around the values measured so far with a little room on
    // either side (0 to 1 before the first).
    CGraphAxis YAxis() const;

  private:
    int channel = 0;
    double start = 0.0, end = 1.0;
    std::string valueTitle;
    std::vector<SPoint> points;
    double minValue = 0.0, maxValue = 0.0;
};
