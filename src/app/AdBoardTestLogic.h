#pragma once
// Working values of the "A/D Board Test" dialog (System > A/D Board > Test): live readings of
// a channel range, sending a voltage to a D/A channel, and making a D/A channel follow one of
// the readings. The Qt dialog binds its widgets here and runs the 200 ms timer.

#include <string>
#include <vector>

#include "platform/MessageOnce.h"

class CAdBoard;

class CAdBoardTestLogic {
  public:
    static constexpr const char* kTitle = "A/D Board Test";
    static constexpr const char* kSettingsKey = "ADTest";
    static constexpr int kTimerMs = 200;
    static constexpr double kReadSec = 0.125;

    // Starts with the "ADTest" line of "Mainframe Parameters".
    explicit CAdBoardTestLogic(CAdBoard& board);

    // The entries: "First:", "Last:", the scale's top and bottom volts and "seconds" shown,
    // the volts to send, "volts to channel", and the "channel" of "Track A/D" (a position in
    // the list of readings, which starts at the first channel).
    std::string first, last, scaleTop, scaleBottom, span, daVolts, daChannel, trackCh;

    bool Running() const { return running; }
    bool Tracking() const { return tracking; }
    std::string StartText() const { return running ? "Stop" : "Start"; }
    std::string TrackText() const { return tracking ? "Stop Track" : "Track A/D"; }

    // "Start": checks the channel range; true when the readings may begin. Start, Send and
    // Track hold the station while they run, their messages included, so no reading of this
    // dialog (nor any other timer's) runs under one of its own message boxes.
    bool Start();
    void Stop() { running = false; }
    // The timer could not be had: "Unable to allocate A/D board test timer.".
    void TimerFailed();

    // One tick: reads the range into `volts`; false when the board failed (said once until
    // it reads again) or the station is busy (the tick is skipped). While tracking, the D/A
    // channel follows the reading at the tracked position, when there is one, kept inside the
    // D/A range.
    bool Tick(std::vector<double>& volts);
    // "A/D Values:" line: "%d: %.3lf  " per channel.
    std::string ValuesText(const std::vector<double>& volts) const;
    int FirstChannel() const { return firstCh; }

    // Whether the board has D/A outputs; "Send" and "Track A/D" work only then.
    bool DaAvailable() const;
    // "Send": the volts to the D/A channel, after checking both.
    void Send();
    // "Track A/D" / "Stop Track".
    void ToggleTrack();

    // The scale of the chart: top and bottom volts and the seconds across. False (after a
    // message) for entries that are not numbers or a top not above the bottom.
    bool ReadScale(double& top, double& bottom, double& seconds) const;

    // Writes the "ADTest" line from the entries that can be read.
    void Save() const;

  private:
    bool ReadInt(const std::string& text, const char* label, int& value) const;
    bool ReadDouble(const std::string& text, const char* label, double& value) const;

    CAdBoard& board;
    bool running = false;
    bool tracking = false;
    CMessageOnce readProblem, trackProblem;
    int firstCh = 0, lastCh = 0;
    int trackDa = 0, trackPosition = 0;
};
