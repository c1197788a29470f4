#pragma once
// The controller side of one motion system: the controller's settings (board, axis numbers,
// loaded velocities and accelerations, move-complete criteria) and the command sequences of a
// relative move, of the wait for its completion and of the controller's start-up. Errors are
// shown at once with the controller's own description; while an error is pending, commands
// are skipped, so one fault gives one message instead of a cascade.

#include <cstdint>
#include <memory>
#include <string>

#include "hw/motion/MotionController.h"

// Shared move-complete settings of all motion systems.
inline constexpr const char* kFlexMotionMcsSection = "FlexMotion MCS";
inline constexpr const char* kFlexMotionMcsFormat =
    "criteria=%X  deadband=%u  delay=%u  minpulse=%u  statuscheckdelay=%d";
inline constexpr const char* kFlexMotionMcsDefault =
    "criteria=1  deadband=4  delay=0  minpulse=10  statuscheckdelay=25";

class CFlexMotionCtl {
  public:
    // Vector velocity and acceleration when no axis of the X, Y, Z space moves.
    static constexpr int32_t kIdleVelocity = 10000;
    static constexpr uint32_t kIdleAcceleration = 100000;
    // Longest status-check delay taken from the settings; longer ones are cut to it.
    static constexpr int kMaxStatusCheckDelay = 10000;
    // The completion poll gives up after twice the expected move time plus this margin.
    static constexpr double kCompletionMarginSeconds = 10.0;

    // A simulated controller until the owner installs another one.
    CFlexMotionCtl();

    uint8_t board = 1;
    uint8_t axis[4] = {1, 2, 3, 4};
    int32_t lastError = 0;
    uint32_t acceleration[4] = {100000, 100000, 100000, 100000};  // steps/s^2
    int32_t velocity[4] = {10000, 10000, 10000, 10000};           // steps/s
    int32_t target[4] = {0, 0, 0, 0};                             // steps of the current move
    uint16_t criteria = 1;
    uint16_t deadband[4] = {4, 4, 4, 4};
    uint8_t delay = 0;
    uint16_t minPulse = 10;
    int statusCheckDelay = 25;  // ms

    CMotionController& Driver() { return *driver; }
    const CMotionController& Driver() const { return *driver; }
    void SetDriver(std::unique_ptr<CMotionController> newDriver) { driver = std::move(newDriver); }

    // Sends the commands of a relative move of `steps` (already signed for the axes'
    // directions). True when the start command was accepted, i.e. the stage is moving.
    bool RelativeMove(const int32_t steps[4], int speedMode, bool diagnostics);
    // Seconds the last started move should take with the velocities and accelerations loaded
    // for it.
    double ExpectedMoveSeconds() const { return expectedSeconds; }
    // Waits `statusCheckDelay`, then polls the move-complete status until all four axes report
    // complete. Gives up with a message after twice the expected time plus a margin, or at
    // once when the status cannot be read. True when the move completed.
    bool WaitForMoveComplete(bool diagnostics);

    // Loads an axis's position register (axis index 0..3).
    bool ResetPosition(int axisIndex, int32_t steps);
    bool ConfigureStepMode(int axisIndex, bool positiveMotion);
    // Starts the controller with the profile file and sets the move-complete criteria read
    // from the shared settings line. A pending error is cleared first: this is how the user
    // recovers a controller after a fault.
    bool StartUp(const std::string& profilePath);

    void LoadMcsSettings();
    void SaveMcsSettings() const;

    // True when the last command was not sent because an earlier error is pending.
    bool LastCommandSkipped() const { return lastCommandSkipped; }

  private:
    template <typename F>
    bool Send(F&& command) {
        lastCommandSkipped = lastError != 0;
        if (lastCommandSkipped) return false;
        int32_t status = command(*driver);
        if (status == 0) return true;
        ReportError(status);
        return false;
    }
    void ReportError(int32_t status);
    bool VectorMove(const int32_t steps[4], bool diagnostics);
    bool AxisMove(const int32_t steps[4]);

    std::unique_ptr<CMotionController> driver;
    double expectedSeconds = 0.0;
    bool lastCommandSkipped = false;
};
