#pragma once
// What the three watch windows share, without the GUI: the interval and its rules against the
// acquisition time of the station's current rules, pause and resume, recording into the
// observation document the watch was opened from, the time plot's traces and range, and the
// tick itself. The window (or velm-tool) owns the timer: it asks TimerMilliseconds() and
// IsPaused() after every change and calls Tick() when the timer fires.
//
// A tick is one acquisition exactly as Mode > Point takes it. It is skipped while the station
// is busy (an acquisition, a scan step or a clock wait in progress, another watch's tick, an
// open box of one of them), so no watch ever reads the board inside somebody else's reading.
// A failing tick pauses the watch after its message: a board that stopped answering gives one
// box, not one per interval; "Resume" tries again.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "obs/VelmObs.h"
#include "tech/watch/WatchPlot.h"

class CDataDocument;
class CStation;

// The shortest and longest watch interval in seconds.
inline constexpr double kMinWatchInterval = 0.1;
inline constexpr double kMaxWatchInterval = 86400.0;

// An interval that can be timed: a value that is no number or below 0.1 s becomes
// max(0.1, 1.11 * samplingTime); anything is cut to a day.
double UsableWatchInterval(double interval, double samplingTime);

// "Set Sampling Interval": the minimum m = 1.11 t, the previous interval p, the edit proposing
// 2 m. The dialog binds to it; `result` holds the interval chosen.
class CWatchIntervalLogic {
  public:
    CWatchIntervalLogic(double samplingTime, double previous);

    std::string NewMinimumText() const;  // "%.2lf seconds" of m
    std::string PreviousText() const;    // "%.2lf seconds" of p
    std::string SpecifyText() const;     // "Specify a samping interval longer than ..."
    bool CanUsePrevious() const { return previous >= minimum; }

    // "Use New", "Use Previous": the choice is made (the dialog closes).
    void UseNew() { result = minimum; }
    void UsePrevious() { result = previous; }
    // OK on the edit's text: false (after "Specified interval of ...", the minimum put back in
    // `edit`) when it is below the minimum or no number; the dialog stays open then.
    bool Ok(const std::string& text);

    double minimum;
    double previous;
    std::string edit;
    double result;
};

// The document a watch records into and what the program around it does for it.
struct SWatchDocument {
    CDataDocument* document = nullptr;
    // Appends the station's current rules (and calibration) when the document does not hold
    // them yet, so recorded points are read with what they were taken with.
    std::function<bool()> ensureSetup;
    // Saves the document (a new one asks for a name); false when not saved.
    std::function<bool()> save;
    // Runs an automatic save now (when recording ends on a document that saves automatically).
    std::function<void()> autoSave;
};

// The window's own commands that live in the observation document (Set Resistivity, the
// sampling rules dialog, a log entry). Each returns whether something changed.
struct SWatchCommands {
    std::function<bool()> resistivity;
    std::function<bool()> samplingRules;
    std::function<bool()> logEntry;
};

// A trace as the plot shows it: the trace, the component of its points, the legend.
struct SPlotSeries {
    size_t trace = 0;
    int component = 0;
    std::string name;
};

// The time plot's settings and data.
struct SWatchTimePlot {
    bool on = false;
    bool autoscale = true;
    double yMin = -10.0;
    double yMax = 10.0;
    SWatchSpan span;
    CAutoRange range{10.0};
    double startTime = 0.0;  // when the window opened (seconds since 1970)
    std::vector<CPlotTrace> traces;
    std::vector<SPlotSeries> series;
    std::string unit;    // the values' unit, for the y axis label
    bool split = false;  // raw A/D: each trace in a band of its own
    // The y range drawn: +/-R while autoscaling, else yMin..yMax.
    double Low() const { return autoscale ? -range.Range() : yMin; }
    double High() const { return autoscale ? range.Range() : yMax; }
};

class CWatch {
  public:
    explicit CWatch(CStation& station);
    virtual ~CWatch();
    CWatch(const CWatch&) = delete;
    CWatch& operator=(const CWatch&) = delete;

    // The window's title ("Watch Current Density Probe Values", ...).
    virtual std::string Title() const = 0;
    // The acquisition time t of the station's current rules of the technique.
    virtual double SamplingTime() const = 0;

    // Loads the settings, notes the start time, checks the interval ("Watch interval ... must
    // be 10% longer ..." when it is raised) and takes the first tick.
    void Open();
    // Ends recording as "Record Off" does and saves the settings. Called once; the destructor
    // does nothing more.
    void Close();
    bool IsOpen() const { return open; }

    // One tick: false when it was skipped (paused, station busy) or failed (the watch is then
    // paused after the acquisition's message).
    bool Tick();
    unsigned TickCount() const { return ticks; }

    void Pause();
    // Restarts and ticks at once.
    void Resume();
    bool IsPaused() const { return paused; }
    std::string PauseButtonText() const { return paused ? "Resume" : "Pause"; }

    double Interval() const { return interval; }
    std::string IntervalText() const;  // "%.2lf seconds"
    // trunc(interval * 1000).
    int TimerMilliseconds() const;
    // Applies `value` by the rules of a running or a paused watch.
    void ApplyInterval(double value);
    // The "Interval" button: pauses, runs `dialog` (true when an interval was chosen), applies
    // it and resumes a watch that was running.
    void ChangeInterval(const std::function<bool(CWatchIntervalLogic&)>& dialog);

    // ---- Recording -------------------------------------------------------------------------
    // "Record" / "Record Off". Starting offers to save a modified document first and does not
    // start when that is refused; stopping saves a document that saves automatically.
    bool SetRecording(bool on);
    bool IsRecording() const { return recording; }
    std::string RecordButtonText() const { return recording ? "Record Off" : "Record"; }
    // "Record One": the next tick's observation is kept. Disabled while recording.
    void RecordOne();
    bool CanRecordOne() const { return !recording && document.document != nullptr; }
    bool RecordOnePending() const { return recordOne; }

    // ---- Time plot -------------------------------------------------------------------------
    SWatchTimePlot& Plot() { return plot; }
    const SWatchTimePlot& Plot() const { return plot; }
    // A manual range; a minimum not below the maximum is refused with the window's message
    // (the watch pauses for it and resumes).
    bool SetPlotRange(double low, double high);
    void SetSpan(const SWatchSpan& span);
    // The plot's axis labels: "Time (s)" counted from the start, or the clock time.
    std::string YAxisLabel() const;

    // The document recorded into, and the commands that live there.
    SWatchDocument document;
    SWatchCommands commands;
    // Called after every change the window shows (a tick, a button).
    std::function<void()> changed;
    // Whether closing writes the window's settings to velm.ini (velm-tool's watch leaves them).
    bool keepSettings = true;

  protected:
    // The tick's acquisition and its display values. False when it failed (after its own
    // message). Observations to keep if recording go to `taken`.
    virtual bool Acquire(CObsList& taken) = 0;
    virtual void LoadSettings() = 0;
    virtual void SaveSettings() const = 0;
    // "Illegal ... scale range: ..." for the manual range.
    virtual std::string RangeMessage(double low, double high) const = 0;
    // Appends `taken` to the document with the rules and calibration in force first.
    bool Keep(CObsList taken);
    // Plots values at `time`; trace i gets points[i]. Autoscale follows.
    void AddPlotPoints(const std::vector<SPlotPoint>& points);
    // After the rules changed from the window: the interval rules again.
    void RulesChanged();
    void Notify() const {
        if (changed) changed();
    }
    // Runs `work` with the watch paused, resuming it afterwards when it was running.
    void WhilePaused(const std::function<void()>& work);

    CStation& station;
    double interval = 1.0;

  private:
    bool open = false;
    bool paused = false;
    bool recording = false;
    bool recordOne = false;
    unsigned ticks = 0;
    SWatchTimePlot plot;
};

// Seconds since 1970 with the milliseconds, now.
double WatchNow();
