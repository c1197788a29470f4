#include "tech/watch/IonWatch.h"

#include <algorithm>
#include <cmath>
#include <memory>
#include <new>

#include "hw/AdBoard.h"
#include "hw/Devices.h"
#include "hw/MsWcmc.h"
#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "settings/Profile.h"
#include "tech/IonAcquisition.h"
#include "tech/Station.h"

namespace {

// The mean over repetitions of each point of `values` (repetition-major).
std::vector<double> PointMeans(const std::vector<double>& values, int points, int reps) {
    std::vector<double> means(static_cast<size_t>(std::max(points, 0)), 0.0);
    if (points <= 0 || reps <= 0) return means;
    for (size_t p = 0; p < means.size(); ++p) {
        double sum = 0.0;
        int n = 0;
        for (int r = 0; r < reps; ++r) {
            const size_t at = static_cast<size_t>(r) * means.size() + p;
            if (at >= values.size()) break;
            sum += values[at];
            ++n;
        }
        means[p] = n ? sum / n : 0.0;
    }
    return means;
}

std::string JoinValues(const std::vector<double>& values) {
    std::string text;
    for (size_t i = 0; i < values.size(); ++i) {
        if (i) text += ", ";
        text += StrPrintf("%.3lg", values[i]);
    }
    return text;
}

}  // namespace

CIonWatch::CIonWatch(CStation& station, std::string probe)
    : CWatch(station), probe(std::move(probe)) {
    SetUnits(EIonWatchUnits::Tip);
}

std::string CIonWatch::Section() const {
    return probe + " ISP/PVP Probe";
}

double CIonWatch::SamplingTime() const {
    const CSampRulesIon* rules = station.Ion().Rules(probe);
    return rules ? rules->GetNumber() : 0.0;
}

void CIonWatch::SetUnits(EIonWatchUnits u) {
    units = u;
    SWatchTimePlot& plot = Plot();
    const bool pA = station.Ion().CalibrationType(probe) == kIonPolarographic;
    // Built as a new string and moved in: GCC 12 at -O3 misreads a literal copied over the old
    // text as an overlapping copy.
    const char* unit = "%";
    if (units == EIonWatchUnits::Tip) unit = pA ? "pA" : "mV";
    if (units == EIonWatchUnits::Concentration) unit = PUnits() ? "p[]" : "mM";
    plot.unit = std::string(unit);
    // Values of one unit only on one plot.
    for (CPlotTrace& t : plot.traces)
        t.Clear();
    Recompute();
    Notify();
}

void CIonWatch::SetSubtractReference(bool on) {
    subtractReference = on;
    for (CPlotTrace& t : Plot().traces)
        t.Clear();
    Recompute();
    Notify();
}

std::string CIonWatch::ReferenceLabel() const {
    return "Reference (" +
           std::string(units == EIonWatchUnits::Concentration ? "mM"
                       : units == EIonWatchUnits::Percent     ? "%"
                                                              : Plot().unit) +
           "):";
}

std::string CIonWatch::SampleLabel() const {
    return "Sample (" +
           std::string(units == EIonWatchUnits::Concentration ? "mM"
                       : units == EIonWatchUnits::Percent     ? "%"
                                                              : Plot().unit) +
           "):";
}

std::string CIonWatch::DifferenceLabel() const {
    switch (units) {
        case EIonWatchUnits::Concentration:
            return "Show dConc:";
        case EIonWatchUnits::Percent:
            return "Show d%:";
        case EIonWatchUnits::Tip:
            break;
    }
    return Plot().unit == "pA" ? "Show pA:" : "Show uV:";
}

std::string CIonWatch::ReferenceText() const {
    return hasValues ? JoinValues(shownReferences) : "";
}
std::string CIonWatch::SampleText() const {
    return hasValues ? JoinValues(shownSamples) : "";
}
std::string CIonWatch::DifferenceText() const {
    return hasValues ? JoinValues(differences) : "";
}

double CIonWatch::Shown(double value) const {
    if (units == EIonWatchUnits::Concentration) {
        const CIonCalibration* cal = station.Ion().Calibration(probe);
        return cal ? cal->Convert(value) : value;
    }
    return value;
}

void CIonWatch::Recompute() {
    if (!hasValues) return;
    const size_t n = sampleMeans.size();
    shownSamples.assign(n, 0.0);
    shownReferences.assign(n, 0.0);
    for (size_t p = 0; p < n; ++p) {
        if (units == EIonWatchUnits::Percent) {
            const double r = referenceMeans[p];
            shownReferences[p] = 100.0;
            shownSamples[p] = r != 0.0 ? 100.0 * sampleMeans[p] / r : NAN;
        } else {
            shownSamples[p] = Shown(sampleMeans[p]);
            shownReferences[p] = Shown(referenceMeans[p]);
        }
    }
    differences.clear();
    const CSampRulesIon* rules = station.Ion().Rules(probe);
    if (!rules) return;
    for (const auto& calc : rules->calcs) {
        const auto i = static_cast<size_t>(calc->first), j = static_cast<size_t>(calc->second);
        if (calc->first < 0 || calc->second < 0 || i >= n || j >= n) {
            differences.push_back(NAN);
            continue;
        }
        double a = shownSamples[i], b = shownSamples[j];
        if (subtractReference) {
            a -= shownReferences[i];
            b -= shownReferences[j];
        }
        differences.push_back(a - b);
    }
}

bool CIonWatch::Acquire(CObsList& taken) {
    CSampRulesIon* rules = station.Ion().Rules(probe);
    if (!rules) {
        Prompt().Message("Define ISP/PVP Probe sampling rules and calibration first.",
                         EPromptIcon::Exclamation);
        return false;
    }
    if (!station.Devices()) {
        Prompt().Message("No station is running, so the A/D board cannot be read.",
                         EPromptIcon::Exclamation);
        return false;
    }
    std::unique_ptr<CIonObs> obs;
    try {
        obs = std::make_unique<CIonObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Ion Point Observation", EPromptIcon::Stop);
        return false;
    }
    if (!AcquireIonPoint(rules, *obs, station.WalkPlace(probe), station.Ion().Reference(probe)))
        return false;
    sampleMeans = PointMeans(obs->values, obs->nPoints, obs->nReps);
    referenceMeans = PointMeans(obs->refValues, obs->nPoints, obs->nReps);
    hasValues = true;
    Recompute();
    SWatchTimePlot& plot = Plot();
    if (plot.series.size() != rules->calcs.size()) {
        plot.series.clear();
        plot.traces.clear();
        for (size_t i = 0; i < rules->calcs.size(); ++i)
            plot.series.push_back({i, 0, rules->calcs[i]->name});
    }
    const double now = WatchNow();
    std::vector<SPlotPoint> points;
    for (double d : differences)
        points.push_back({d, 0.0, now});
    AddPlotPoints(points);
    taken.push_back(std::move(obs));
    return true;
}

bool CIonWatch::Reference() {
    bool kept = false;
    WhilePaused([&] {
        const CSampRulesIon* rules = station.Ion().Rules(probe);
        if (!rules || !station.Devices()) return;
        std::unique_ptr<CIonReference> ref, current;
        try {
            ref = std::make_unique<CIonReference>();
        } catch (const std::bad_alloc&) {
            Prompt().Message("Insufficient memory for reference.", EPromptIcon::Stop);
            return;
        }
        if (!AcquireIonReference(rules, *ref, station.WalkPlace(probe))) return;
        try {
            current = std::make_unique<CIonReference>(*ref);
        } catch (const std::bad_alloc&) {
            Prompt().Message("Insufficient memory for reference undo - aborting reference.",
                             EPromptIcon::Stop);
            return;
        }
        std::unique_ptr<CIonReference> previous =
            station.Ion().ReplaceReference(probe, std::move(current));
        referenceMeans = PointMeans(ref->values, ref->nPoints, ref->nReps);
        if (sampleMeans.size() != referenceMeans.size()) sampleMeans = referenceMeans;
        hasValues = true;
        Recompute();
        Notify();
        if (Prompt().Ask("Save this reference sample?", EPromptButtons::OkCancel,
                         EPromptIcon::Question) != EPromptAnswer::Ok) {
            station.Ion().ReplaceReference(probe, std::move(previous));
            if (const CIonReference* r = station.Ion().Reference(probe))
                referenceMeans = PointMeans(r->values, r->nPoints, r->nReps);
            else
                referenceMeans.assign(sampleMeans.size(), 0.0);
            Recompute();
            return;
        }
        station.Ion().SaveReference(probe);
        if (document.document && (!document.ensureSetup || document.ensureSetup()))
            document.document->AddObs(std::move(ref));
        kept = true;
    });
    return kept;
}

bool CIonWatch::BathOffset() {
    bool ok = false;
    WhilePaused([&] {
        const CSampRulesIon* rules = station.Ion().Rules(probe);
        if (!rules || !station.Devices()) return;
        CAdBoard& board = station.Devices()->AdBoard();
        CStationBusy::CScope busy;
        if (!IonBathUpdate(*rules, board)) return;
        bathOffset = StrPrintf("%.3lg, %.3lg", board.da0 * 1000.0, board.da1 * 1000.0);
        ok = true;
    });
    return ok;
}

bool CIonWatch::PUnits() const {
    const CIonCalibration* cal = station.Ion().Calibration(probe);
    return cal && cal->logScale;
}

bool CIonWatch::TogglePUnits() {
    const CIonCalibration* cal = station.Ion().Calibration(probe);
    if (!cal) return false;
    std::unique_ptr<CVelmObs> copy = cal->Clone();
    auto* changedCal = static_cast<CIonCalibration*>(copy.get());
    changedCal->logScale = changedCal->logScale ? 0 : 1;
    station.Ion().KeepCalibration(*changedCal);
    SetUnits(units);
    return true;
}

double CIonWatch::Rotation() const {
    const CSampRulesIon* rules = station.Ion().Rules(probe);
    return rules ? rules->rot : 0.0;
}

double CIonWatch::Tilt() const {
    const CSampRulesIon* rules = station.Ion().Rules(probe);
    return rules ? rules->tilt : 0.0;
}

std::string CIonWatch::RotationText() const {
    return StrPrintf("%.3lg", Rotation());
}

std::string CIonWatch::TiltText() const {
    return StrPrintf("%.3lg", Tilt());
}

bool CIonWatch::SetRotation(double degrees) {
    if (!std::isfinite(degrees)) return false;
    // Into (-180, 180].
    degrees = std::fmod(degrees, 360.0);
    if (degrees > 180.0) degrees -= 360.0;
    if (degrees <= -180.0) degrees += 360.0;
    return KeepAngles(degrees, Tilt());
}

bool CIonWatch::SetTilt(double degrees) {
    if (!std::isfinite(degrees)) return false;
    return KeepAngles(Rotation(), std::clamp(degrees, -90.0, 90.0));
}

bool CIonWatch::KeepAngles(double rot, double tilt) {
    if (!station.Ion().Rules(probe)) return false;
    std::unique_ptr<CSampRulesIon> rules;
    try {
        rules = std::make_unique<CSampRulesIon>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Ion Sampling setup", EPromptIcon::Stop);
        return false;
    }
    // The probe's rules as velm.ini holds them, with the new angles.
    rules->name = probe;
    if (!rules->LoadSettings()) rules->CopyRulesFrom(*station.Ion().Rules(probe));
    rules->rot = rot;
    rules->tilt = tilt;
    rules->StampNow();
    rules->StampPositions();
    station.Ion().KeepRules(*rules);
    if (document.document) document.document->AddObs(std::move(rules), false);
    RulesChanged();
    return true;
}

bool CIonWatch::Move() {
    if (!station.Devices() || !std::isfinite(moveIncrement)) return false;
    CMsWcmc& stage = station.Devices()->ProbeSystem();
    const CDVector4 step =
        CDVector4(moveIncrement, 0, 0, 0).Rotate(Rotation(), Tilt(), CSampRulesIon::TiltAboutY());
    bool ok = false;
    WhilePaused([&] {
        CStationBusy::CScope busy;
        ok = stage.MoveAbsolute(stage.Position() + step, kSpeedModeLinear) != CMsWcmc::kMoveFailed;
    });
    return ok;
}

bool CIonWatch::SamplingRules() {
    bool changedRules = false;
    WhilePaused([&] { changedRules = commands.samplingRules && commands.samplingRules(); });
    if (changedRules) RulesChanged();
    return changedRules;
}

bool CIonWatch::LogEntry() {
    return commands.logEntry && commands.logEntry();
}

std::string CIonWatch::RangeMessage(double low, double high) const {
    return StrPrintf("Illegal gradient scale range: %.3lg to %.3lg.", low, high);
}

void CIonWatch::LoadSettings() {
    CProfile& p = Profile();
    const std::string section = Section();
    p.ReadLine(section, "Watch 0", "",
               "sec=%lf  tip=%d  gradient=%d  graph=%d  autoscale=%d  scale=%lf", &interval, &tip,
               &gradient, &graph, &autoscale, &scale);
    if (!(scale > 0.0) || !std::isfinite(scale)) scale = 10.0;
    SWatchTimePlot& plot = Plot();
    // What the line does not give keeps the value in force (the defaults on a first open).
    int on = plot.on ? 1 : 0, plotAutoscale = plot.autoscale ? 1 : 0;
    long seconds = static_cast<long>(plot.span.Seconds());
    p.ReadLine(section, "Watch 1", "", "timeplot=%d  autoscale=%d  yMin=%lf  yMax=%lf  seconds=%ld",
               &on, &plotAutoscale, &plot.yMin, &plot.yMax, &seconds);
    plot.on = on != 0;
    plot.autoscale = plotAutoscale != 0;
    if (!std::isfinite(plot.yMin) || !std::isfinite(plot.yMax) || plot.yMin >= plot.yMax) {
        plot.yMin = -10.0;
        plot.yMax = 10.0;
    }
    SWatchSpan span = SWatchSpan::FromSeconds(static_cast<double>(seconds));
    p.ReadLine(section, "Watch 2", "", "Span: day=%ld  hour=%d  minute=%d  second=%d", &span.day,
               &span.hour, &span.minute, &span.second);
    plot.span = SWatchSpan::FromSeconds(span.Seconds());
    p.ReadLine(section, "Watch 3", "", "Move Increment=%lf", &moveIncrement);
    if (!std::isfinite(moveIncrement)) moveIncrement = 10.0;
}

void CIonWatch::SaveSettings() const {
    CProfile& p = Profile();
    const std::string section = Section();
    const SWatchTimePlot& plot = Plot();
    p.WriteLine(section, "Watch 0",
                "sec=%lf  tip=%d  gradient=%d  graph=%d  autoscale=%d  scale=%lf", interval, tip,
                gradient, graph, autoscale, scale);
    p.WriteLine(section, "Watch 1", "timeplot=%d  autoscale=%d  yMin=%lf  yMax=%lf  seconds=%ld",
                plot.on ? 1 : 0, plot.autoscale ? 1 : 0, plot.yMin, plot.yMax,
                static_cast<long>(plot.span.Seconds()));
    p.WriteLine(section, "Watch 2", "Span: day=%ld  hour=%d  minute=%d  second=%d", plot.span.day,
                plot.span.hour, plot.span.minute, plot.span.second);
    p.WriteLine(section, "Watch 3", "Move Increment=%lf", moveIncrement);
}
