#pragma once
// The simulated controller: the station's controller until a driver for real hardware exists,
// and the one every demo and test runs on. It keeps each axis's position in steps and
// completes a started move at once, or, with `realisticTiming`, only after the time a
// trapezoidal velocity profile with the loaded velocity and acceleration would take (read
// from Clock(), so a simulated clock still runs it instantly).
//
// It refuses what real controllers refuse: unknown axes and vector spaces, and a start with
// zero velocity or acceleration, which would never finish.

#include <array>

#include "hw/motion/MotionController.h"

class CSimMotionController : public CMotionController {
  public:
    // Status codes of the refusals.
    static constexpr int32_t kErrorBadResource = -70001;
    static constexpr int32_t kErrorNoVelocity = -70002;

    bool realisticTiming = false;

    int32_t InitializeController(uint8_t board, const std::string& profilePath) override;
    int32_t ReadResetCondition(uint8_t board, bool& inReset) override;
    int32_t ConfigureStepModePolarity(uint8_t board, uint8_t axis, uint16_t mode) override;
    int32_t ConfigureMoveCompleteCriteria(uint8_t board, uint8_t axis, uint16_t criteria,
                                          uint16_t deadbandSteps, uint8_t delayMs,
                                          uint16_t minPulseMs) override;
    int32_t ConfigureVectorSpace(uint8_t board, uint8_t vectorSpace, uint8_t xAxis, uint8_t yAxis,
                                 uint8_t zAxis) override;
    int32_t LoadAccelerationStepsPerSec2(uint8_t board, uint8_t resource,
                                         uint32_t acceleration) override;
    int32_t LoadVelocityStepsPerSec(uint8_t board, uint8_t resource, int32_t velocity) override;
    int32_t SetOperationMode(uint8_t board, uint8_t resource, uint16_t mode) override;
    int32_t LoadTargetSteps(uint8_t board, uint8_t axis, int32_t steps) override;
    int32_t LoadVectorSpaceTargetSteps(uint8_t board, uint8_t vectorSpace, int32_t x, int32_t y,
                                       int32_t z) override;
    int32_t Start(uint8_t board, uint8_t resource, uint16_t map) override;
    int32_t Blend(uint8_t board, uint8_t resource, uint16_t map) override;
    int32_t ReadMoveCompleteStatus(uint8_t board, uint16_t& status) override;
    int32_t ResetPositionSteps(uint8_t board, uint8_t axis, int32_t steps) override;
    int32_t DescribeError(int32_t status, std::string& text) override;

    // Where axis 1..4 stands (in steps), and its step mode as configured.
    int64_t PositionSteps(int axis) const;
    // The steps axis 1..4 has really moved since the controller was made. Unlike its position
    // register, ResetPositionSteps leaves it alone: re-declaring where a stage stands does not
    // move it, which is what the Simulated Station's virtual bench places its stages by.
    int64_t TravelledSteps(int axis) const;
    uint16_t StepMode(int axis) const;
    bool Initialized() const { return initialized; }

    // Seconds a trapezoidal profile needs for `steps` (either sign) at velocity v and
    // acceleration a (a triangle when the top speed is never reached).
    static double ProfileSeconds(double steps, double velocity, double acceleration);

  private:
    struct SMotion {
        uint32_t acceleration = 0;
        int32_t velocity = 0;
        uint16_t mode = kOpModeAbsolutePosition;
    };
    struct SAxis : SMotion {
        int64_t position = 0;
        int64_t travelled = 0;
        int32_t target = 0;
        uint16_t stepMode = 0;
        uint64_t completeAtTick = 0;
    };
    struct SVectorSpace : SMotion {
        std::array<uint8_t, 3> axes{};
        std::array<int32_t, 3> targets{};
    };

    static bool IsAxis(uint8_t resource) { return resource >= 1 && resource <= 4; }
    static bool IsVectorSpace(uint8_t resource) {
        return resource == kVectorSpaceXyz || resource == kVectorSpaceW;
    }
    SMotion* Motion(uint8_t resource);
    SVectorSpace& Space(uint8_t resource) { return spaces[resource - kVectorSpaceXyz]; }
    int32_t StartAxis(uint8_t axis);
    int32_t StartSpace(uint8_t vectorSpace);

    std::array<SAxis, 5> axes{};  // index 1..4
    std::array<SVectorSpace, 2> spaces{};
    bool initialized = false;
};
