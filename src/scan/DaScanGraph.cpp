#include "scan/DaScanGraph.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "platform/Format.h"

namespace {

// A range of no length is given one: a tenth of its value on either side, or 1 around zero.
void Widen(double& low, double& high) {
    if (high > low) return;
    const double half = low == 0.0 ? 1.0 : std::fabs(low) * 0.1;
    low -= half;
    high += half;
}

}  // namespace

CGraphAxis::CGraphAxis(double a, double b, std::string title) : title(std::move(title)) {
    if (!std::isfinite(a) || !std::isfinite(b)) {
        a = 0.0;
        b = 1.0;
    }
    low = std::min(a, b);
    high = std::max(a, b);
    Widen(low, high);
    // A range beyond the doubles (from -1e308 to 1e308) has no finite length.
    if (!std::isfinite(high - low)) {
        low = 0.0;
        high = 1.0;
    }
}

CGraphAxis CGraphAxis::Rounded(double a, double b, std::string title, int ticks) {
    CGraphAxis axis(a, b, std::move(title));
    const double step = axis.TickStep(ticks);
    // An end that lies on a step up to rounding stays where it is.
    const double low = std::floor(axis.low / step + 1e-9) * step;
    const double high = std::ceil(axis.high / step - 1e-9) * step;
    if (std::isfinite(low) && std::isfinite(high) && high > low) {
        axis.low = low;
        axis.high = high;
    }
    return axis;
}

double CGraphAxis::TickStep(int count) const {
    const double raw = (high - low) / std::max(count, 1);
    const double magnitude = std::pow(10.0, std::floor(std::log10(raw)));
    const double norm = raw / magnitude;
    const double step = (norm <= 1.0   ? 1.0
                         : norm <= 2.0 ? 2.0
                         : norm <= 5.0 ? 5.0
                                       : 10.0) *
                        magnitude;
    return std::isfinite(step) && step > 0.0 ? step : high - low;
}

std::vector<CGraphAxis::STick> CGraphAxis::Ticks(int count) const {
    std::vector<STick> ticks;
    const double step = TickStep(count);
    // Ends that are ticks up to rounding count as ticks.
    const double slack = step * 1e-9;
    const double first = std::ceil((low - slack) / step);
    const double last = std::floor((high + slack) / step);
    if (!(last >= first) || last - first > 1000.0) return ticks;
    for (double k = first; k <= last; k += 1.0) {
        double value = k * step;
        // k * step for k = 0 may come out as -0; 0.1 * 3 as 0.30000000000000004 prints fine.
        if (std::fabs(value) < slack) value = 0.0;
        ticks.push_back({value, Label(value)});
    }
    return ticks;
}

double CGraphAxis::Map(double value, double at, double to) const {
    return at + (value - low) / (high - low) * (to - at);
}

std::string CGraphAxis::Label(double value) {
    return StrPrintf("%.3lg", value);
}

void CDaScanGraph::Start(int newChannel, double newStart, double newEnd,
                         const std::string& newValueTitle) {
    channel = newChannel;
    start = newStart;
    end = newEnd;
    valueTitle = newValueTitle;
    points.clear();
}

void CDaScanGraph::Add(double volts, double value, int pass) {
    if (!std::isfinite(volts) || !std::isfinite(value)) return;
    if (points.empty()) {
        minValue = maxValue = value;
    } else {
        minValue = std::min(minValue, value);
        maxValue = std::max(maxValue, value);
    }
    points.push_back({volts, value, pass});
}

CGraphAxis CDaScanGraph::XAxis() const {
    return CGraphAxis(start, end, StrPrintf("D/A Channel %d (V)", channel));
}

CGraphAxis CDaScanGraph::YAxis() const {
    if (points.empty()) return CGraphAxis(0.0, 1.0, valueTitle);
    // A little room above and below, so that the highest and lowest points do not lie on the
    // frame.
    const double pad = (maxValue - minValue) * 0.05;
    return CGraphAxis::Rounded(minValue - pad, maxValue + pad, valueTitle);
}
