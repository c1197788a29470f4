#include "tech/watch/RawADWatch.h"

#include <cmath>
#include <memory>
#include <new>

#include "hw/Devices.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesRawAD.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/Acquisition.h"
#include "tech/Station.h"

std::vector<double> RawADChannelMeans(const CRawADObs& obs) {
    const CSampRulesRawAD& r = obs.rules;
    const int n = r.ChannelCount();
    std::vector<double> means;
    if (n <= 0) return means;
    means.assign(static_cast<size_t>(n), 0.0);
    if (r.average) {
        for (int i = 0; i < n && static_cast<size_t>(i) < obs.values.size(); ++i)
            means[static_cast<size_t>(i)] = obs.values[static_cast<size_t>(i)];
        return means;
    }
    const size_t scans = r.BurstNum > 0 ? static_cast<size_t>(r.BurstNum) : 0;
    if (scans == 0) return means;
    for (size_t c = 0; c < static_cast<size_t>(n); ++c) {
        double sum = 0.0;
        size_t count = 0;
        for (size_t s = 0; s < scans; ++s) {
            const size_t at = r.interleave ? s * static_cast<size_t>(n) + c : c * scans + s;
            if (at >= obs.values.size()) break;
            sum += obs.values[at];
            ++count;
        }
        means[c] = count ? sum / static_cast<double>(count) : 0.0;
    }
    return means;
}

CRawADWatch::CRawADWatch(CStation& station) : CWatch(station) {
    Plot().unit = "Volts";
    Plot().on = true;
}

double CRawADWatch::SamplingTime() const {
    return station.rawADRules ? station.rawADRules->GetNumber() : 0.0;
}

bool CRawADWatch::Acquire(CObsList& taken) {
    if (!station.Devices()) {
        Prompt().Message("No station is running, so the A/D board cannot be read.",
                         EPromptIcon::Exclamation);
        return false;
    }
    if (!station.rawADRules) {
        Prompt().Message("Define Raw A/D sampling rules first.", EPromptIcon::Exclamation);
        return false;
    }
    std::unique_ptr<CRawADObs> obs;
    try {
        obs = std::make_unique<CRawADObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for RawAD Point Observation", EPromptIcon::Stop);
        return false;
    }
    if (!AcquireRawAD(*station.rawADRules, *obs, station.Devices()->AdBoard())) return false;
    values = RawADChannelMeans(*obs);
    firstChannel = obs->rules.FirstChan;
    // One trace per channel; the legend follows the channels of the rules in force.
    SWatchTimePlot& plot = Plot();
    if (plot.series.size() != values.size() ||
        (!plot.series.empty() && plot.series[0].name != StrPrintf("Ch%d", firstChannel))) {
        plot.series.clear();
        plot.traces.clear();
        for (size_t i = 0; i < values.size(); ++i)
            plot.series.push_back({i, 0, StrPrintf("Ch%d", firstChannel + static_cast<int>(i))});
    }
    const double now = WatchNow();
    std::vector<SPlotPoint> points;
    for (double v : values)
        points.push_back({v, 0.0, now});
    AddPlotPoints(points);
    // A burst of several channels is stored one observation per channel, as Mode > Point does.
    for (auto& part : SplitForStorage(std::move(obs)))
        taken.push_back(std::move(part));
    return true;
}

std::string CRawADWatch::ValuesText() const {
    if (values.empty()) return "";
    std::string text;
    for (size_t i = 0; i < values.size(); ++i)
        text += StrPrintf("Ch%d: %.3lf   ", firstChannel + static_cast<int>(i), values[i]);
    return text + "  Volts";
}

void CRawADWatch::SetSplit(bool split) {
    Plot().split = split;
    Notify();
}

std::string CRawADWatch::RangeMessage(double low, double high) const {
    return StrPrintf("Illegal voltage scale range: %.3lg to %.3lg.", low, high);
}

void CRawADWatch::LoadSettings() {
    CProfile& p = Profile();
    SWatchTimePlot& plot = Plot();
    // What the line does not give keeps the value in force (the defaults on a first open).
    int on = plot.on ? 1 : 0, autoscale = plot.autoscale ? 1 : 0;
    long seconds = static_cast<long>(plot.span.Seconds());
    // One y range, the form the window writes.
    p.ReadLine(kRawADRulesSection, "Watch 0", "",
               "timeplot=%d  autoscale=%d  yMin=%lf  yMax=%lf  seconds=%ld", &on, &autoscale,
               &plot.yMin, &plot.yMax, &seconds);
    plot.on = on != 0;
    plot.autoscale = autoscale != 0;
    if (!std::isfinite(plot.yMin) || !std::isfinite(plot.yMax) || plot.yMin >= plot.yMax) {
        plot.yMin = -10.0;
        plot.yMax = 10.0;
    }
    SWatchSpan span = SWatchSpan::FromSeconds(static_cast<double>(seconds));
    p.ReadLine(kRawADRulesSection, "Watch 1", "",
               "Interval=%lf  Span: day=%ld  hour=%d  minute=%d  second=%d", &interval, &span.day,
               &span.hour, &span.minute, &span.second);
    plot.span = SWatchSpan::FromSeconds(span.Seconds());
}

void CRawADWatch::SaveSettings() const {
    CProfile& p = Profile();
    const SWatchTimePlot& plot = Plot();
    p.WriteLine(kRawADRulesSection, "Watch 0",
                "timeplot=%d  autoscale=%d  yMin=%lf  yMax=%lf  seconds=%ld", plot.on ? 1 : 0,
                plot.autoscale ? 1 : 0, plot.yMin, plot.yMax,
                static_cast<long>(plot.span.Seconds()));
    p.WriteLine(kRawADRulesSection, "Watch 1",
                "Interval=%lf  Span: day=%ld  hour=%d  minute=%d  second=%d", interval,
                plot.span.day, plot.span.hour, plot.span.minute, plot.span.second);
}
