#include "tech/watch/WireWatch.h"

#include <cmath>
#include <memory>
#include <new>

#include "hw/Devices.h"
#include "obs/DataDocument.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"
#include "tech/Acquisition.h"
#include "tech/Station.h"

namespace {
const char* const kSection = kWireCalibrationSection;
}

CWireWatch::CWireWatch(CStation& station) : CWatch(station) {
    Plot().series = {{0, 0, "X Cur"}, {0, 1, "Y Cur"}};
    Plot().unit = "uA/sq.cm.";
}

double CWireWatch::SamplingTime() const {
    return station.wireRules ? station.wireRules->GetNumber(false) : 0.0;
}

bool CWireWatch::Acquire(CObsList& taken) {
    if (!station.Devices()) {
        Prompt().Message("No station is running, so the A/D board cannot be read.",
                         EPromptIcon::Exclamation);
        return false;
    }
    std::unique_ptr<CWireObs> obs;
    try {
        obs = std::make_unique<CWireObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Wire Point Observation", EPromptIcon::Stop);
        return false;
    }
    if (!AcquireWirePoint(station.wireRules.get(), *obs, station.Devices()->AdBoard(),
                          station.wireReference.reading))
        return false;
    hasValues = true;
    if (station.wireCalibration) {
        sample = station.wireCalibration->ComputeCurrentDensity(*obs, false);
        current = station.wireCalibration->ComputeCurrentDensity(*obs, true);
        hasCurrent = true;
        AddPlotPoints({{current.x, current.y, WatchNow()}});
    } else {
        sample = obs->reading - obs->reference;
        hasCurrent = false;
    }
    taken.push_back(std::move(obs));
    return true;
}

std::array<std::string, 4> CWireWatch::SampleTexts() const {
    std::array<std::string, 4> t;
    if (!hasValues) return t;
    for (int i = 0; i < 4; ++i)
        t[static_cast<size_t>(i)] = StrPrintf("%.2lf", sample[i]);
    return t;
}

std::array<std::string, 4> CWireWatch::CurrentTexts() const {
    std::array<std::string, 4> t;
    if (!hasCurrent) return t;
    for (int i = 0; i < 4; ++i)
        t[static_cast<size_t>(i)] = StrPrintf("%.3lg", current[i]);
    return t;
}

std::array<std::string, 4> CWireWatch::ReferenceTexts() const {
    std::array<std::string, 4> t;
    for (int i = 0; i < 4; ++i)
        t[static_cast<size_t>(i)] = StrPrintf("%.4lf", station.wireReference.reading[i]);
    return t;
}

SVectorPixels CWireWatch::Vector(double radius) {
    if (!hasCurrent) return {};
    return VectorPixels(current.x, current.y, current.z, radius, vectorAutoscale != 0, scale);
}

SVideoArrow CWireWatch::VideoArrow(double originX, double originY, double length, bool yUp) const {
    SVideoArrow a;
    if (!hasCurrent || !picture) return a;
    const double total = std::hypot(current.x, current.y);
    if (!(total > 0.0) || !std::isfinite(total)) return a;
    a.shown = true;
    a.tailX = originX;
    a.tailY = originY;
    a.tipX = originX + current.x / total * length;
    a.tipY = originY + (yUp ? -1.0 : 1.0) * current.y / total * length;
    return a;
}

bool CWireWatch::Reference() {
    bool kept = false;
    WhilePaused([&] {
        if (!station.Devices()) return;
        std::unique_ptr<CWireReference> ref;
        try {
            ref = std::make_unique<CWireReference>();
        } catch (const std::bad_alloc&) {
            Prompt().Message("Insufficient Memory for Wire Reference Observation",
                             EPromptIcon::Stop);
            return;
        }
        const CDVector4 previous = station.wireReference.reading;
        if (!AcquireWireReference(station.wireRules.get(), *ref, station.Devices()->AdBoard(),
                                  station.wireReference.reading))
            return;
        Notify();  // the "Ref. Offset:" row shows the new reference while the question is open
        if (Prompt().Ask("Save this reference sample?", EPromptButtons::OkCancel,
                         EPromptIcon::Question) != EPromptAnswer::Ok) {
            station.wireReference.reading = previous;
            return;
        }
        station.SaveWireReference();
        if (document.document) {
            if (!document.ensureSetup || document.ensureSetup())
                document.document->AddObs(std::move(ref));
        }
        kept = true;
    });
    return kept;
}

bool CWireWatch::Resistivity() {
    bool changed = false;
    WhilePaused([&] { changed = commands.resistivity && commands.resistivity(); });
    return changed;
}

bool CWireWatch::SamplingRules() {
    bool changed = false;
    WhilePaused([&] { changed = commands.samplingRules && commands.samplingRules(); });
    if (changed) RulesChanged();
    return changed;
}

bool CWireWatch::LogEntry() {
    return commands.logEntry && commands.logEntry();
}

std::string CWireWatch::RangeMessage(double low, double high) const {
    return StrPrintf("Illegal vctor scale range: %.2lf to %.2lf.", low, high);
}

void CWireWatch::LoadSettings() {
    CProfile& p = Profile();
    p.ReadLine(kSection, "Watch", "",
               "interval=%lf  lockin=%d  vector=%d  picture=%d  autoscale=%d  scale=%lf  "
               "dispfunc=%d",
               &interval, &lockin, &vector, &picture, &vectorAutoscale, &scale, &dispfunc);
    if (dispfunc != kVectorStyleCircle && dispfunc != kVectorStyleEllipse)
        dispfunc = kVectorStyleArrow;
    if (!(scale > 0.0) || !std::isfinite(scale)) scale = 10.0;
    SWatchTimePlot& plot = Plot();
    // What the line does not give keeps the value in force (the defaults on a first open).
    int on = plot.on ? 1 : 0, autoscale = plot.autoscale ? 1 : 0;
    long seconds = static_cast<long>(plot.span.Seconds());
    p.ReadLine(kSection, "Watch 1", "",
               "timeplot=%d  autoscale=%d  vectorMin=%lf  vectorMax=%lf  seconds=%ld", &on,
               &autoscale, &plot.yMin, &plot.yMax, &seconds);
    plot.on = on != 0;
    plot.autoscale = autoscale != 0;
    if (!std::isfinite(plot.yMin) || !std::isfinite(plot.yMax) || plot.yMin >= plot.yMax) {
        plot.yMin = -10.0;
        plot.yMax = 10.0;
    }
    SWatchSpan span = SWatchSpan::FromSeconds(static_cast<double>(seconds));
    p.ReadLine(kSection, "Watch 2", "", "Span: day=%ld  hour=%d  minute=%d  second=%d", &span.day,
               &span.hour, &span.minute, &span.second);
    plot.span = SWatchSpan::FromSeconds(span.Seconds());
}

void CWireWatch::SaveSettings() const {
    CProfile& p = Profile();
    const SWatchTimePlot& plot = Plot();
    p.WriteLine(kSection, "Watch",
                "interval=%lf  lockin=%d  vector=%d  picture=%d  autoscale=%d  scale=%lf  "
                "dispfunc=%d",
                interval, lockin, vector, picture, vectorAutoscale, scale, dispfunc);
    p.WriteLine(kSection, "Watch 1",
                "timeplot=%d  autoscale=%d  vectorMin=%lf  vectorMax=%lf  seconds=%ld",
                plot.on ? 1 : 0, plot.autoscale ? 1 : 0, plot.yMin, plot.yMax,
                static_cast<long>(plot.span.Seconds()));
    p.WriteLine(kSection, "Watch 2", "Span: day=%ld  hour=%d  minute=%d  second=%d", plot.span.day,
                plot.span.hour, plot.span.minute, plot.span.second);
}
