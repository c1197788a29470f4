#pragma once
// Live video: the program's one worker thread. The worker grabs frames from a source (a camera
// session, the test pattern, a still image) whenever the window asks for one, and leaves the
// newest for the window to take; the window's own timer paces it, and the GUI thread only
// draws. Grabbing off the GUI thread keeps a camera's frame wait from freezing the window.
//
// Stopping sets a flag, wakes the worker and joins it. A camera source waits at most its frame
// time-out for a frame, so a stop is never stuck behind a silent camera for longer than that.

#include <condition_variable>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <thread>

#include "hw/Bmp.h"
#include "hw/fg/FgTypes.h"

class CLiveFrameSource {
  public:
    virtual ~CLiveFrameSource() = default;
    // Prepares the source, on the thread that starts the live video. `error` for the user.
    virtual bool Begin(std::string& error) = 0;
    // The next frame, on the worker thread.
    virtual bool Next(CBitmapImage& frame, std::string& error) = 0;
    // New input signal values, on the worker thread between frames.
    virtual void SetInput(const SInputSignal&) {}
    // Ends the source, after the worker has stopped.
    virtual void End() {}
};

class CLiveVideo {
  public:
    explicit CLiveVideo(std::unique_ptr<CLiveFrameSource> source);
    ~CLiveVideo();  // stops
    CLiveVideo(const CLiveVideo&) = delete;
    CLiveVideo& operator=(const CLiveVideo&) = delete;

    // Begins the source and starts the worker. False with `error` when the source cannot.
    bool Start(std::string& error);
    // Flag, wake, join; then ends the source. Safe to call twice.
    void Stop();
    bool Running() const { return worker.joinable(); }

    // Asks the worker for one more frame (a request already pending is not repeated).
    void RequestFrame();
    // The newest frame, when one arrived since the last take.
    bool TakeFrame(CBitmapImage& frame);
    // A still grab while live video runs: a camera serves one session at a time, so the still
    // is the next frame of the running stream. Asks for a frame and waits (at most `timeoutMs`
    // of real time: the worker waits for the camera) until one arrives; the live window still
    // gets to show it. False with `problem` when the worker failed, stopped or sent nothing.
    bool GrabNext(CBitmapImage& frame, int timeoutMs, std::string& problem);
    // The worker's failure, once; the worker has then stopped grabbing.
    std::optional<std::string> TakeError();
    // Input signal values for the source, applied before its next frame.
    void SetInput(const SInputSignal& input);
    uint64_t FramesGrabbed() const;

  private:
    void Run();

    std::unique_ptr<CLiveFrameSource> source;
    std::thread worker;
    mutable std::mutex mutex;
    std::condition_variable wake;
    std::condition_variable arrived;
    bool stopping = false;
    bool requested = false;
    bool fresh = false;
    bool failed = false;
    bool begun = false;
    std::optional<SInputSignal> pendingInput;
    std::optional<std::string> error;
    CBitmapImage latest;
    uint64_t frames = 0;
};

// Frame rate shown in the live window's title: every time more than 10 frames have arrived.
class CLiveRateCounter {
  public:
    // Counts a frame that arrived at `tick` (ms); returns the rate when it is due.
    std::optional<double> AddFrame(uint64_t tick);

  private:
    int count = 0;
    uint64_t since = 0;
    bool started = false;
};

// The live window's refresh-rate dialog: "Live Refresh" in refreshes per second.
class CRefreshRateLogic {
  public:
    static constexpr const char* kTitle = "Live Video Refresh Rate";
    static constexpr const char* kLabel = "Refreshes per second:";
    static constexpr double kMinRate = 0.1;
    static constexpr double kMaxRate = 100.0;

    // The entry starts at the stored rate, 4 when none is stored.
    CRefreshRateLogic();
    std::string entry;
    // OK: a rate in range is written to the settings and returned; otherwise the user is told.
    bool Accept(double& rate);

    // The stored rate, `missing` when there is none; an unusable stored rate gives 5.
    static double StoredRate(double missing);
    // Timer period for a rate: trunc(1000 / rate) ms, at least 1.
    static int IntervalMs(double rate);
};
