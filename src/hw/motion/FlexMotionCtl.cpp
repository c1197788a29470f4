#include "hw/motion/FlexMotionCtl.h"

#include <algorithm>
#include <cmath>

#include "hw/motion/SimMotionController.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/Profile.h"

CFlexMotionCtl::CFlexMotionCtl() : driver(CreateMotionController()) {}

void CFlexMotionCtl::ReportError(int32_t status) {
    std::string text;
    int32_t describeStatus = driver->DescribeError(status, text);
    if (text.size() > 1023) text.resize(1023);
    if (text.empty()) text = StrPrintf("Motion controller error %d.", status);
    Prompt().Message(text, EPromptIcon::Stop);
    // The next command is tried afresh unless the controller could not even describe its fault.
    lastError = describeStatus;
}

bool CFlexMotionCtl::RelativeMove(const int32_t steps[4], int speedMode, bool diagnostics) {
    for (int i = 0; i < 4; ++i)
        target[i] = steps[i];
    expectedSeconds = 0.0;
    return speedMode == 1049 ? AxisMove(steps) : VectorMove(steps, diagnostics);
}

bool CFlexMotionCtl::AxisMove(const int32_t steps[4]) {
    for (int i = 0; i < 4; ++i) {
        if (!Send([&](CMotionController& c) {
                return c.LoadAccelerationStepsPerSec2(board, axis[i], acceleration[i]);
            }))
            return false;
        if (!Send([&](CMotionController& c) {
                return c.LoadVelocityStepsPerSec(board, axis[i], velocity[i]);
            }))
            return false;
    }
    for (int i = 0; i < 4; ++i)
        if (!Send([&](CMotionController& c) {
                return c.SetOperationMode(board, axis[i], kOpModeRelativePosition);
            }))
            return false;
    for (int i = 0; i < 4; ++i)
        if (!Send(
                [&](CMotionController& c) { return c.LoadTargetSteps(board, axis[i], steps[i]); }))
            return false;
    double seconds = 0.0;
    for (int i = 0; i < 4; ++i)
        seconds = std::max(
            seconds, CSimMotionController::ProfileSeconds(steps[i], velocity[i], acceleration[i]));
    if (!Send([&](CMotionController& c) { return c.Start(board, 0, kAxisMapAll); })) return false;
    expectedSeconds = seconds;
    return true;
}

bool CFlexMotionCtl::VectorMove(const int32_t steps[4], bool diagnostics) {
    // The straight-line move of X, Y and Z may go no faster than its slowest moving axis.
    int32_t xyzVelocity = 0;
    uint32_t xyzAcceleration = 0;
    bool anyMoving = false;
    for (int i = 0; i < 3; ++i) {
        if (steps[i] == 0) continue;
        xyzVelocity = anyMoving ? std::min(xyzVelocity, velocity[i]) : velocity[i];
        xyzAcceleration = anyMoving ? std::min(xyzAcceleration, acceleration[i]) : acceleration[i];
        anyMoving = true;
    }
    if (!anyMoving) {
        xyzVelocity = kIdleVelocity;
        xyzAcceleration = kIdleAcceleration;
    }
    auto configure = [&](CMotionController& c) {
        return c.ConfigureVectorSpace(board, kVectorSpaceXyz, axis[0], axis[1], axis[2]);
    };
    if (!Send(configure)) return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadVelocityStepsPerSec(board, kVectorSpaceXyz, xyzVelocity);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadAccelerationStepsPerSec2(board, kVectorSpaceXyz, xyzAcceleration);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.SetOperationMode(board, kVectorSpaceXyz, kOpModeRelativePosition);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadVectorSpaceTargetSteps(board, kVectorSpaceXyz, steps[0], steps[1],
                                                steps[2]);
        }))
        return false;

    if (!Send([&](CMotionController& c) {
            return c.ConfigureVectorSpace(board, kVectorSpaceW, axis[3], 0, 0);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadVelocityStepsPerSec(board, kVectorSpaceW, velocity[3]);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadAccelerationStepsPerSec2(board, kVectorSpaceW, acceleration[3]);
        }))
        return false;
    // A controller starts in absolute mode: W's target is a distance like the others.
    if (!Send([&](CMotionController& c) {
            return c.SetOperationMode(board, kVectorSpaceW, kOpModeRelativePosition);
        }))
        return false;
    if (!Send([&](CMotionController& c) {
            return c.LoadVectorSpaceTargetSteps(board, kVectorSpaceW, steps[3], 0, 0);
        }))
        return false;

    if (diagnostics)
        Prompt().Message(StrPrintf("X Axis Target Position: %ld\tY Axis Target Position: %ld\tZ "
                                   "Axis Target Position: %ld\tW Axis Target Position: %ld",
                                   static_cast<long>(steps[0]), static_cast<long>(steps[1]),
                                   static_cast<long>(steps[2]), static_cast<long>(steps[3])),
                         EPromptIcon::Information);

    const double xyzSteps = std::sqrt(static_cast<double>(steps[0]) * steps[0] +
                                      static_cast<double>(steps[1]) * steps[1] +
                                      static_cast<double>(steps[2]) * steps[2]);
    const double seconds =
        std::max(CSimMotionController::ProfileSeconds(xyzSteps, xyzVelocity, xyzAcceleration),
                 CSimMotionController::ProfileSeconds(steps[3], velocity[3], acceleration[3]));
    if (!Send([&](CMotionController& c) {
            return c.Blend(board, kVectorSpaceControl, kVectorSpaceMapBoth);
        }))
        return false;
    expectedSeconds = seconds;
    return true;
}

bool CFlexMotionCtl::WaitForMoveComplete(bool diagnostics) {
    const uint64_t checkDelay =
        static_cast<uint64_t>(std::clamp(statusCheckDelay, 0, kMaxStatusCheckDelay));
    Clock().WaitTicks(checkDelay);
    const double limitSeconds = 2.0 * expectedSeconds + kCompletionMarginSeconds;
    const uint64_t deadline = Clock().Ticks() + static_cast<uint64_t>(limitSeconds * 1000.0);
    for (int polls = 1;; ++polls) {
        uint16_t status = 0;
        if (!Send([&](CMotionController& c) { return c.ReadMoveCompleteStatus(board, status); }))
            return false;
        if ((status & kAxisMapAll) == kAxisMapAll) {
            if (diagnostics)
                Prompt().Message(StrPrintf("Move complete status (%d): %X", polls, status),
                                 EPromptIcon::Information);
            return true;
        }
        if (Clock().Ticks() >= deadline) {
            Prompt().Message(
                StrPrintf("CMsWcmc::MoveRelative() - The motion controller did not report the "
                          "move complete within %.1lf seconds (status %X).\n\nThe stage may "
                          "still be moving or be blocked. Its remembered position assumes that "
                          "the whole move was made.",
                          limitSeconds, status),
                EPromptIcon::Stop);
            return false;
        }
        Clock().WaitTicks(std::max<uint64_t>(checkDelay, 1));
    }
}

bool CFlexMotionCtl::ResetPosition(int axisIndex, int32_t steps) {
    return Send(
        [&](CMotionController& c) { return c.ResetPositionSteps(board, axis[axisIndex], steps); });
}

bool CFlexMotionCtl::ConfigureStepMode(int axisIndex, bool positiveMotion) {
    return Send([&](CMotionController& c) {
        return c.ConfigureStepModePolarity(board, axis[axisIndex],
                                           positiveMotion ? kStepModePositive : kStepModeInverted);
    });
}

bool CFlexMotionCtl::StartUp(const std::string& profilePath) {
    lastError = 0;
    if (!Send([&](CMotionController& c) { return c.InitializeController(board, profilePath); }))
        return false;
    bool inReset = false;
    if (!Send([&](CMotionController& c) { return c.ReadResetCondition(board, inReset); }))
        return false;
    if (inReset) {
        Prompt().Message(
            "The FlexMotion board is in the reset condition, please initialize the board before "
            "continuing",
            EPromptIcon::Stop);
        return false;
    }
    LoadMcsSettings();
    for (int i = 0; i < 4; ++i)
        if (!Send([&](CMotionController& c) {
                return c.ConfigureMoveCompleteCriteria(board, axis[i], criteria, deadband[i], delay,
                                                       minPulse);
            }))
            return false;
    return true;
}

void CFlexMotionCtl::LoadMcsSettings() {
    unsigned readCriteria = criteria, readDeadband = deadband[0], readDelay = delay,
             readMinPulse = minPulse;
    int readCheckDelay = statusCheckDelay;
    Profile().ReadLine(kFlexMotionMcsSection, "Line 1", kFlexMotionMcsDefault, kFlexMotionMcsFormat,
                       &readCriteria, &readDeadband, &readDelay, &readMinPulse, &readCheckDelay);
    // The controller takes 16-bit criteria, deadband and pulse and an 8-bit delay.
    criteria = static_cast<uint16_t>(std::min(readCriteria, 0xFFFFu));
    for (uint16_t& d : deadband)
        d = static_cast<uint16_t>(std::min(readDeadband, 0xFFFFu));
    delay = static_cast<uint8_t>(std::min(readDelay, 0xFFu));
    minPulse = static_cast<uint16_t>(std::min(readMinPulse, 0xFFFFu));
    statusCheckDelay = std::clamp(readCheckDelay, 0, kMaxStatusCheckDelay);
}

void CFlexMotionCtl::SaveMcsSettings() const {
    Profile().WriteLine(kFlexMotionMcsSection, "Line 1",
                        "criteria=%X  deadband=%u  delay=%u  minpulse=%u  statuscheckdelay=%d",
                        static_cast<unsigned>(criteria), static_cast<unsigned>(deadband[0]),
                        static_cast<unsigned>(delay), static_cast<unsigned>(minPulse),
                        statusCheckDelay);
}
