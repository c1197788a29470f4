#include "tech/watch/Watch.h"

#include <algorithm>
#include <cmath>

#include "obs/DataDocument.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "tech/Station.h"

double UsableWatchInterval(double interval, double samplingTime) {
    if (!std::isfinite(samplingTime) || samplingTime < 0.0) samplingTime = 0.0;
    if (!std::isfinite(interval) || interval < kMinWatchInterval)
        interval = std::max(kMinWatchInterval, 1.11 * samplingTime);
    return std::min(interval, kMaxWatchInterval);
}

double WatchNow() {
    const CTimeStamp now = Clock().Now();
    return static_cast<double>(now.seconds) + now.milliseconds / 1000.0;
}

// ---- CWatchIntervalLogic ----------------------------------------------------------------------

CWatchIntervalLogic::CWatchIntervalLogic(double samplingTime, double previous)
    : minimum(UsableWatchInterval(1.11 * samplingTime, samplingTime)),
      previous(previous),
      edit(StrPrintf("%.2lf", 2.0 * minimum)),
      result(previous) {}

std::string CWatchIntervalLogic::NewMinimumText() const {
    return StrPrintf("%.2lf seconds", minimum);
}

std::string CWatchIntervalLogic::PreviousText() const {
    return StrPrintf("%.2lf seconds", previous);
}

std::string CWatchIntervalLogic::SpecifyText() const {
    return StrPrintf("Specify a samping interval longer than %.2lf seconds:", minimum);
}

bool CWatchIntervalLogic::Ok(const std::string& text) {
    const std::optional<double> value = ParseNumberEntry(text);
    if (value && *value >= minimum && *value <= kMaxWatchInterval) {
        result = *value;
        return true;
    }
    const double shown = value ? *value : 0.0;
    Prompt().Message(StrPrintf("Specified interval of %.2lf seconds\nis below minimum allowable "
                               "interval of %.2lf seconds.",
                               shown, minimum),
                     EPromptIcon::Exclamation, "Sampling Interval Error");
    edit = StrPrintf("%.2lf", minimum);
    return false;
}

// ---- CWatch ----------------------------------------------------------------------------------

CWatch::CWatch(CStation& station) : station(station) {}

CWatch::~CWatch() = default;

void CWatch::Open() {
    LoadSettings();
    plot.startTime = WatchNow();
    const double t = SamplingTime();
    interval = UsableWatchInterval(interval, t);
    if (1.1 * t > interval) {
        const double raised = UsableWatchInterval(1.11 * t, t);
        Prompt().Message(StrPrintf("Watch interval (%.2lf)\nmust be 10%% longer than sampling "
                                   "period (%.2lf).\nExtending watch interval to %.2lf sec.",
                                   interval, t, raised),
                         EPromptIcon::Exclamation);
        interval = raised;
    }
    open = true;
    paused = false;
    Tick();
    Notify();
}

void CWatch::Close() {
    if (!open) return;
    if (recording) SetRecording(false);
    recordOne = false;
    paused = true;
    open = false;
    if (keepSettings) SaveSettings();
    Notify();
}

bool CWatch::Tick() {
    if (!open || paused || CStationBusy::IsBusy()) return false;
    bool ok = false;
    {
        // Held through the message of a failed tick too, so that no other tick starts while
        // its box is open.
        CStationBusy::CScope busy;
        // Rules and calibration go in before the observation is taken, as Mode > Point puts
        // them: the copies are stamped before the point, so the list keeps them in front.
        if ((recording || recordOne) && document.document && document.ensureSetup)
            document.ensureSetup();
        CObsList taken;
        ok = Acquire(taken);
        if (!ok) {
            paused = true;
        } else {
            ++ticks;
            if ((recording || recordOne) && !taken.empty()) {
                recordOne = false;
                Keep(std::move(taken));
            }
        }
    }
    Notify();
    return ok;
}

void CWatch::Pause() {
    paused = true;
    Notify();
}

void CWatch::Resume() {
    if (!open) return;
    paused = false;
    if (!Tick()) Notify();
}

std::string CWatch::IntervalText() const {
    return StrPrintf("%.2lf seconds", interval);
}

int CWatch::TimerMilliseconds() const {
    return static_cast<int>(
        std::trunc(std::clamp(interval, kMinWatchInterval, kMaxWatchInterval) * 1000.0));
}

void CWatch::ApplyInterval(double value) {
    const double t = SamplingTime();
    interval = UsableWatchInterval(value, t);
    if (!paused) {
        if (1.1 * t > interval) {
            interval = UsableWatchInterval(1.11 * t, t);
            // A plain text: the "%" is the character itself.
            Prompt().Message("Sample interval must be at least 10% longer than averaging time.",
                             EPromptIcon::Exclamation);
        }
    } else if (interval < t) {
        interval = UsableWatchInterval(1.11 * t, t);
    }
    Notify();
}

void CWatch::ChangeInterval(const std::function<bool(CWatchIntervalLogic&)>& dialog) {
    const bool wasRunning = open && !paused;
    paused = true;
    CWatchIntervalLogic logic(SamplingTime(), interval);
    if (dialog && dialog(logic)) interval = logic.result;
    if (wasRunning) {
        paused = false;
        ApplyInterval(interval);
        Tick();
    } else {
        ApplyInterval(interval);
    }
    Notify();
}

void CWatch::WhilePaused(const std::function<void()>& work) {
    const bool wasRunning = open && !paused;
    paused = true;
    work();
    if (wasRunning && open) paused = false;
    Notify();
}

void CWatch::RulesChanged() {
    ApplyInterval(interval);
}

bool CWatch::SetRecording(bool on) {
    if (on == recording) return true;
    CDataDocument* doc = document.document;
    if (on) {
        if (!doc) return false;
        if (doc->IsModified()) {
            const EPromptAnswer answer =
                Prompt().Ask("Save the observations before recording starts?",
                             EPromptButtons::YesNo, EPromptIcon::Question);
            if (answer != EPromptAnswer::Yes || !document.save || !document.save()) return false;
        }
        recording = true;
        recordOne = false;
    } else {
        recording = false;
        if (doc && doc->autoSave && document.autoSave) document.autoSave();
    }
    Notify();
    return true;
}

void CWatch::RecordOne() {
    if (CanRecordOne()) recordOne = true;
    Notify();
}

bool CWatch::Keep(CObsList taken) {
    CDataDocument* doc = document.document;
    if (!doc) return false;
    if (document.ensureSetup && !document.ensureSetup()) return false;
    // While recording, automatic saving waits until recording ends: counting each tick would
    // save the file every few seconds in the middle of the recording.
    const bool count = !recording;
    for (size_t i = 0; i < taken.size(); ++i)
        doc->AddObs(std::move(taken[i]), count && i + 1 == taken.size());
    return true;
}

bool CWatch::SetPlotRange(double low, double high) {
    if (!std::isfinite(low) || !std::isfinite(high) || low >= high) {
        WhilePaused([&] { Prompt().Message(RangeMessage(low, high), EPromptIcon::Exclamation); });
        return false;
    }
    plot.yMin = low;
    plot.yMax = high;
    plot.autoscale = false;
    Notify();
    return true;
}

void CWatch::SetSpan(const SWatchSpan& span) {
    plot.span = SWatchSpan::FromSeconds(span.Seconds());
    Notify();
}

std::string CWatch::YAxisLabel() const {
    return plot.unit;
}

void CWatch::AddPlotPoints(const std::vector<SPlotPoint>& points) {
    if (!plot.on) return;
    const double span = plot.span.Seconds();
    if (plot.traces.size() < points.size()) plot.traces.resize(points.size());
    for (size_t i = 0; i < points.size(); ++i) {
        if (!plot.traces[i].Add(points[i], span)) {
            WhilePaused([&] {
                Prompt().Message(
                    StrPrintf("Plot trace %d memory allocation error.", static_cast<int>(i)),
                    EPromptIcon::Exclamation);
            });
            return;
        }
    }
    if (plot.autoscale) {
        double m = 0.0;
        for (const SPlotSeries& s : plot.series)
            if (s.trace < plot.traces.size())
                m = std::max(m, plot.traces[s.trace].MaxMagnitude(s.component));
        plot.range.Update(m);
    }
}
