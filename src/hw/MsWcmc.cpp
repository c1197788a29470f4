#include "hw/MsWcmc.h"

#include <cmath>
#include <cstdio>
#include <limits>
#include <optional>

#include "hw/motion/MotionSetupLogic.h"
#include "hw/motion/SimMotionController.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"

namespace {

constexpr char kAxisNames[4] = {'X', 'Y', 'Z', 'W'};
constexpr double kMaxSteps = std::numeric_limits<int32_t>::max();

bool Positive(double v) {
    return std::isfinite(v) && v > 0.0;
}

// Lines that are present but cannot be read in full, for one message after loading.
class CLineChecker {
  public:
    explicit CLineChecker(const std::string& section) : section(section) {}
    void Check(const char* key, int got, int expected) {
        if (got >= expected) return;
        std::string line = Profile().GetProfileString(section, key);
        if (line.empty()) return;  // missing lines simply keep the defaults
        StrAppendf(problems, "\n  %s=%s", key, line.c_str());
    }
    void Report() const {
        if (problems.empty()) return;
        Prompt().Message(StrPrintf("These lines of [%s] in velm.ini could not be read in full:%s"
                                   "\n\nThe values they could not give keep their defaults; "
                                   "check them in Motion Control Setup.",
                                   section.c_str(), problems.c_str()),
                         EPromptIcon::Exclamation);
    }

  private:
    std::string section;
    std::string problems;
};

}  // namespace

std::string CMsWcmc::MoveProblem(const CDVector4& delta, int /*speedMode*/) const {
    for (int i = 0; i < 4; ++i) {
        const double d = delta[i];
        if (d == 0.0) continue;
        const char axis = kAxisNames[i];
        const std::string fix =
            StrPrintf("\n\nCorrect the %c axis of motion system \"%s\" in Motion Control Setup.",
                      axis, name.c_str());
        if (!std::isfinite(d))
            return StrPrintf("The requested %c distance is not a number; the stage was not moved.",
                             axis);
        if (!Positive(stepsPerMicron[i]))
            return StrPrintf(
                       "The %c axis has a resolution of %g steps/micron; the stage was not "
                       "moved.",
                       axis, stepsPerMicron[i]) +
                   fix;
        if (std::fabs(d * stepsPerMicron[i]) > kMaxSteps)
            return StrPrintf(
                "The requested %c distance of %.1lf microns is more steps than the "
                "controller can take in one move; the stage was not moved.",
                axis, d);
        if (!HasBoard()) continue;
        if (!Positive(maxSpeed[i]))
            return StrPrintf(
                       "The %c axis has a maximum speed of %g microns/sec; the stage was not "
                       "moved.",
                       axis, maxSpeed[i]) +
                   fix;
        if (!Positive(accelDistance[i]))
            return StrPrintf(
                       "The %c axis has an acceleration distance of %g microns; the stage "
                       "was not moved.",
                       axis, accelDistance[i]) +
                   fix;
        if (controller.velocity[i] < 1 || controller.acceleration[i] < 1)
            return StrPrintf(
                       "The %c axis would move at %ld steps/sec with %lu steps/sec/sec "
                       "acceleration, which never arrives; the stage was not moved.",
                       axis, static_cast<long>(controller.velocity[i]),
                       static_cast<unsigned long>(controller.acceleration[i])) +
                   fix;
    }
    return std::string();
}

int CMsWcmc::MoveRelative(const CDVector4& deltaMicrons, int speedMode) {
    CDVector4 delta = deltaMicrons;
    for (int i = 0; i < 4; ++i) {
        if (!std::isfinite(delta[i])) {
            Prompt().Message("CMsWcmc::MoveRelative() - " + MoveProblem(delta, speedMode),
                             EPromptIcon::Stop);
            return kMoveFailed;
        }
    }
    // "Move and Reset": the user says the stage stands higher than remembered, so that after
    // the move the remembered Z is the minimum. Taken only once the move is done: a move that
    // was refused or failed leaves the remembered Z as it was.
    std::optional<double> resetZ;
    if (zMinimumOn && position[2] + delta.z < zMinimum) {
        SZMinimumViolation values{position[2], position[2] + delta.z, zMinimum};
        switch (MotionDialogs().AskZMinimumViolation(values)) {
            case EZMinimumMoveAnswer::MoveAndResetZ:
                resetZ = zMinimum - delta.z;
                break;
            case EZMinimumMoveAnswer::TruncateMove:
                delta.z = zMinimum - position[2];
                break;
            case EZMinimumMoveAnswer::CancelMove:
                return kMoveCancelled;
        }
    }
    if (std::string problem = MoveProblem(delta, speedMode); !problem.empty()) {
        Prompt().Message("CMsWcmc::MoveRelative() - " + problem, EPromptIcon::Stop);
        return kMoveFailed;
    }
    for (double& e : moveError)
        e = 0.0;

    int32_t steps[4];
    int sign[4];
    for (int i = 0; i < 4; ++i) {
        sign[i] = positiveMotion[i] ? 1 : -1;
        // Whole steps only, truncated toward zero: a move never goes past what was asked, so
        // a truncated approach to the Z minimum stays above it.
        steps[i] = delta[i] == 0.0
                       ? 0
                       : sign[i] * static_cast<int32_t>(std::trunc(delta[i] * stepsPerMicron[i]));
    }
    if (diagnostics)
        Prompt().Message(
            StrPrintf("CMsWcmc::MoveRelative()\n\n  %.2lf, %.2lf, %.2lf, %.2lf microns\n\n  %ld, "
                      "%ld, %ld, %ld steps",
                      delta.x, delta.y, delta.z, delta.w, static_cast<long>(steps[0]),
                      static_cast<long>(steps[1]), static_cast<long>(steps[2]),
                      static_cast<long>(steps[3])),
            EPromptIcon::Information);

    bool confirmed = true;
    if (HasBoard()) {
        if (!controller.RelativeMove(steps, speedMode, diagnostics)) {
            // Nothing was started, so the stage stands where it stood: the remembered position
            // must not move either.
            if (controller.LastCommandSkipped())
                Prompt().Message(
                    StrPrintf("CMsWcmc::MoveRelative() - The motion controller of \"%s\" is still "
                              "in an error state (status %d); the stage was not moved.\n\nOpen "
                              "Motion Control Setup and press OK to start the controller again.",
                              name.c_str(), static_cast<int>(controller.lastError)),
                    EPromptIcon::Stop);
            return kMoveFailed;
        }
        confirmed = controller.WaitForMoveComplete(diagnostics);
    }
    if (confirmed && resetZ) position[2] = *resetZ;
    for (int i = 0; i < 4; ++i)
        if (steps[i] != 0) position[i] += sign[i] * steps[i] / stepsPerMicron[i];
    return confirmed ? kMoveDone : kMoveFailed;
}

int CMsWcmc::MoveAbsolute(const CDVector4& targetMicrons, int speedMode) {
    return MoveRelative(targetMicrons - Position(), speedMode);
}

void CMsWcmc::SetPosition(double x, double y, double z, double w) {
    const double values[4] = {x, y, z, w};
    for (double v : values)
        if (!std::isfinite(v)) return;
    for (int i = 0; i < 4; ++i)
        position[i] = values[i];
    if (!HasBoard()) return;
    for (int i = 0; i < 4; ++i) {
        const double steps = std::trunc(position[i] * stepsPerMicron[i]);
        if (!std::isfinite(steps) || std::fabs(steps) > kMaxSteps) continue;
        controller.ResetPosition(i, static_cast<int32_t>(steps));
    }
}

double CMsWcmc::EstimateMoveTime(const CDVector4& from, const CDVector4& to, int speedMode) const {
    int axis = 0;
    double d = std::fabs(to[0] - from[0]);
    for (int i = 1; i < 4; ++i) {
        const double di = std::fabs(to[i] - from[i]);
        if (di > d) {
            d = di;
            axis = i;
        }
    }
    if (!std::isfinite(d) || d == 0.0) return 0.0;
    double seconds = 0.0;
    if (speedMode == kSpeedModeTrack) {
        if (trackingSpeed[axis] <= 0.0) return 0.0;
        seconds = d / trackingSpeed[axis];
    } else if (speedMode == kSpeedModeLinear) {
        const double a = accelDistance[axis];
        const double vmin = minSpeed[axis];
        const double vmax = maxSpeed[axis];
        if (vmax <= 0.0) return 0.0;
        if (d <= a) {
            const double mean = (d / a * 0.5 * vmax + vmin) * 0.5;
            if (mean <= 0.0) return 0.0;
            seconds = d / mean;
        } else {
            const double rampMean = (vmin + vmax) * 0.5;
            if (rampMean <= 0.0) return 0.0;
            seconds = 2.0 * a / rampMean + (d - 2.0 * a) / vmax;
        }
    }
    return std::isfinite(seconds) && seconds > 0.0 ? seconds : 0.0;
}

bool CMsWcmc::RequestZMinimum(double requested, bool on) {
    if (!std::isfinite(requested)) {
        Prompt().Message("The Z minimum must be a number.", EPromptIcon::Exclamation);
        return false;
    }
    if (requested <= position[2]) {
        zMinimum = requested;
        zMinimumOn = on ? 1 : 0;
        return true;
    }
    SZMinimumAboveCurrent values{requested, zMinimum, position[2]};
    switch (MotionDialogs().AskZMinimumAboveCurrent(values)) {
        case EZMinimumSetAnswer::SetMinimumToCurrentZ:
            zMinimum = position[2];
            zMinimumOn = on ? 1 : 0;
            return true;
        case EZMinimumSetAnswer::SetCurrentZToRequested:
            SetPosition(position[0], position[1], requested, position[3]);
            zMinimum = requested;
            zMinimumOn = on ? 1 : 0;
            return true;
        case EZMinimumSetAnswer::KeepMinimum:
            break;
    }
    return false;
}

void CMsWcmc::LoadSettings(const std::string& section) {
    CProfile& profile = Profile();
    CLineChecker checker(section);

    // "Line 0": the name is the text before the first colon, so a name never holds one.
    static const char kMissing[] = "\x01missing";
    const std::string line0 = profile.GetProfileString(section, "Line 0", kMissing);
    if (line0 != kMissing) {
        const size_t colon = line0.find(':');
        name = line0.substr(0, colon);
        unsigned id = 0;
        if (colon != std::string::npos && std::sscanf(line0.c_str() + colon, ": Port %X", &id) == 1)
            boardId = static_cast<int>(id);
        else
            checker.Check("Line 0", 0, 1);
    }
    profileFile = profile.GetProfileString(section, "FlexMotion Profile", profileFile);
    // On the simulated controller, "Realistic Timing=1" lets moves take as long as the motors
    // would (the demo station's stages); otherwise they complete at once.
    if (auto* sim = dynamic_cast<CSimMotionController*>(&controller.Driver()))
        sim->realisticTiming =
            profile.GetProfileInt(section, kRealisticTimingKey, sim->realisticTiming ? 1 : 0) != 0;

    checker.Check(
        "Line 0a",
        profile.ReadLine(section, "Line 0a", "", "%d: %ld bytes/sec", &pdmaBoard, &pdmaRate), 2);
    double* s = stepsPerMicron;
    checker.Check("Line 1",
                  profile.ReadLine(section, "Line 1", "", "Steps/micron: %lf %lf %lf %lf", &s[0],
                                   &s[1], &s[2], &s[3]),
                  4);
    int* p = positiveMotion;
    checker.Check("Line 2",
                  profile.ReadLine(section, "Line 2", "", "Positive motion: %d %d %d %d", &p[0],
                                   &p[1], &p[2], &p[3]),
                  4);
    double* v = minSpeed;
    checker.Check(
        "Line 3",
        profile.ReadLine(section, "Line 3", "", "Minimum speed: %lf %lf %lf %lf microns/sec", &v[0],
                         &v[1], &v[2], &v[3]),
        4);
    v = maxSpeed;
    checker.Check(
        "Line 4",
        profile.ReadLine(section, "Line 4", "", "Maximum speed: %lf %lf %lf %lf microns/sec", &v[0],
                         &v[1], &v[2], &v[3]),
        4);
    v = trackingSpeed;
    checker.Check(
        "Line 5",
        profile.ReadLine(section, "Line 5", "", "Tracking speed: %lf %lf %lf %lf microns/sec",
                         &v[0], &v[1], &v[2], &v[3]),
        4);
    v = accelDistance;
    checker.Check(
        "Line 6",
        profile.ReadLine(section, "Line 6", "", "Acceleration distance: %lf %lf %lf %lf microns",
                         &v[0], &v[1], &v[2], &v[3]),
        4);
    char* t = accelType;
    checker.Check("Line 7",
                  profile.ReadLine(section, "Line 7", "", "Acceleration type: %c %c %c %c", &t[0],
                                   &t[1], &t[2], &t[3]),
                  4);
    checker.Check(
        "Line 8",
        profile.ReadLine(section, "Line 8", "", "ZMinimum: %lf  on=%d", &zMinimum, &zMinimumOn), 2);
    p = encoderOn;
    checker.Check("Line 9",
                  profile.ReadLine(section, "Line 9", "", "Encoder On: %d  %d  %d  %d", &p[0],
                                   &p[1], &p[2], &p[3]),
                  4);
    v = encoderResolution;
    checker.Check("Line 10",
                  profile.ReadLine(section, "Line 10", "", "Encoder Resolution: %lf  %lf  %lf  %lf",
                                   &v[0], &v[1], &v[2], &v[3]),
                  4);
    p = encoderBoard;
    checker.Check("Line 11",
                  profile.ReadLine(section, "Line 11", "", "Encoder Board: %d  %d  %d  %d", &p[0],
                                   &p[1], &p[2], &p[3]),
                  4);
    p = encoderPlusCtr;
    checker.Check("Line 12",
                  profile.ReadLine(section, "Line 12", "", "Encoder PlusCtr: %d  %d  %d  %d", &p[0],
                                   &p[1], &p[2], &p[3]),
                  4);
    p = encoderMinusCtr;
    checker.Check("Line 13",
                  profile.ReadLine(section, "Line 13", "", "Encoder MinusCtr: %d  %d  %d  %d",
                                   &p[0], &p[1], &p[2], &p[3]),
                  4);
    v = encoderTolerance;
    checker.Check("Line 14",
                  profile.ReadLine(section, "Line 14", "", "Encoder Tolerance: %lf  %lf  %lf  %lf",
                                   &v[0], &v[1], &v[2], &v[3]),
                  4);
    checker.Check(
        "Line 15",
        profile.ReadLine(section, "Line 15", "", "Encoder Retries: %d  Speed Reduction: %lf",
                         &encoderRetries, &speedReduction),
        2);
    checker.Report();
    controller.board = static_cast<uint8_t>(boardId);
    // The shared move-complete line is written with every section; read before that, it would
    // be replaced by the controller's defaults on the first save.
    controller.LoadMcsSettings();
}

void CMsWcmc::SaveSettings(const std::string& section) const {
    CProfile& profile = Profile();
    profile.WriteLine(section, "Line 0", "%s: Port %X", name.c_str(),
                      static_cast<unsigned>(boardId));
    profile.WriteProfileString(section, "FlexMotion Profile", profileFile);
    profile.WriteLine(section, "Line 0a", "%d: %ld bytes/sec", pdmaBoard, pdmaRate);
    const double* s = stepsPerMicron;
    profile.WriteLine(section, "Line 1", "Steps/micron: %lf %lf %lf %lf", s[0], s[1], s[2], s[3]);
    const int* p = positiveMotion;
    profile.WriteLine(section, "Line 2", "Positive motion: %d %d %d %d", p[0], p[1], p[2], p[3]);
    const double* v = minSpeed;
    profile.WriteLine(section, "Line 3", "Minimum speed: %lf %lf %lf %lf microns/sec", v[0], v[1],
                      v[2], v[3]);
    v = maxSpeed;
    profile.WriteLine(section, "Line 4", "Maximum speed: %lf %lf %lf %lf microns/sec", v[0], v[1],
                      v[2], v[3]);
    v = trackingSpeed;
    profile.WriteLine(section, "Line 5", "Tracking speed: %lf %lf %lf %lf microns/sec", v[0], v[1],
                      v[2], v[3]);
    v = accelDistance;
    profile.WriteLine(section, "Line 6", "Acceleration distance: %lf %lf %lf %lf microns", v[0],
                      v[1], v[2], v[3]);
    const char* t = accelType;
    profile.WriteLine(section, "Line 7", "Acceleration type: %c %c %c %c", t[0], t[1], t[2], t[3]);
    profile.WriteLine(section, "Line 8", "ZMinimum: %lf  on=%d", zMinimum, zMinimumOn);
    p = encoderOn;
    profile.WriteLine(section, "Line 9", "Encoder On: %d  %d  %d  %d", p[0], p[1], p[2], p[3]);
    v = encoderResolution;
    profile.WriteLine(section, "Line 10", "Encoder Resolution: %lf  %lf  %lf  %lf", v[0], v[1],
                      v[2], v[3]);
    p = encoderBoard;
    profile.WriteLine(section, "Line 11", "Encoder Board: %d  %d  %d  %d", p[0], p[1], p[2], p[3]);
    p = encoderPlusCtr;
    profile.WriteLine(section, "Line 12", "Encoder PlusCtr: %d  %d  %d  %d", p[0], p[1], p[2],
                      p[3]);
    p = encoderMinusCtr;
    profile.WriteLine(section, "Line 13", "Encoder MinusCtr: %d  %d  %d  %d", p[0], p[1], p[2],
                      p[3]);
    v = encoderTolerance;
    profile.WriteLine(section, "Line 14", "Encoder Tolerance: %lf  %lf  %lf  %lf", v[0], v[1], v[2],
                      v[3]);
    profile.WriteLine(section, "Line 15", "Encoder Retries: %d  Speed Reduction: %lf",
                      encoderRetries, speedReduction);
    controller.SaveMcsSettings();
}

void CMsWcmc::ApplySettings() {
    controller.board = static_cast<uint8_t>(boardId);
    // Re-applying the settings is how the user brings a faulted controller back.
    controller.lastError = 0;
    if (profileFile.empty()) return;
    for (int i = 0; i < 4; ++i) {
        // A velocity or acceleration that cannot be loaded stays 0; moves on that axis are then
        // refused with the reason instead of dividing by zero or never finishing.
        const double velocity = std::trunc(maxSpeed[i] * stepsPerMicron[i]);
        controller.velocity[i] = std::isfinite(velocity) && velocity >= 1.0 && velocity <= kMaxSteps
                                     ? static_cast<int32_t>(velocity)
                                     : 0;
        double acceleration = 0.0;
        if (controller.velocity[i] > 0 && Positive(accelDistance[i]) && Positive(maxSpeed[i]))
            acceleration =
                std::trunc(controller.velocity[i] / (accelDistance[i] / (maxSpeed[i] * 0.5)));
        controller.acceleration[i] =
            std::isfinite(acceleration) && acceleration >= 1.0 && acceleration <= 4294967295.0
                ? static_cast<uint32_t>(acceleration)
                : 0;
    }
    // A system without a board has no controller to program.
    if (!HasBoard()) return;
    for (int i = 0; i < 4; ++i)
        if (!controller.ConfigureStepMode(i, positiveMotion[i] != 0)) return;
    controller.StartUp(profileFile);
}

bool CMsWcmc::Setup(const std::string& section) {
    CMotionSetupLogic logic(*this);
    if (!MotionDialogs().EditMotionSetup(logic)) return false;
    logic.ApplyTo(*this);
    SaveSettings(section);
    ApplySettings();
    return true;
}
