#pragma once
// The stepper-motor controller behind a motion system, reduced to the commands a stage move
// needs. Each operation says what it carries: step counts, steps per second, steps per second
// squared. Resources and maps are numbered as the station's controllers have always numbered
// them (axes 1..4, vector spaces 0x11 and 0x12), so a driver for real hardware maps one
// call to one command.
//
// Every operation returns 0 on success or a non-zero controller status; DescribeError turns a
// status into the text shown to the user. Implementations register in MotionControllers.cpp.

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

// Axis resources are 1..4 (X, Y, Z, W).
inline constexpr uint8_t kVectorSpaceXyz = 0x11;      // X, Y, Z moving together
inline constexpr uint8_t kVectorSpaceW = 0x12;        // W alone
inline constexpr uint8_t kVectorSpaceControl = 0x10;  // resource of a blend of vector spaces
// Bits 1..4: axes 1..4. Also the mask of the move-complete status.
inline constexpr uint16_t kAxisMapAll = 0x1E;
// Bits 1 and 2: vector spaces 0x11 and 0x12.
inline constexpr uint16_t kVectorSpaceMapBoth = 0x06;
inline constexpr uint16_t kOpModeAbsolutePosition = 0;
inline constexpr uint16_t kOpModeRelativePosition = 1;
// Step output configuration: step/direction outputs, active low, with and without inverted
// direction.
inline constexpr uint16_t kStepModePositive = 5;
inline constexpr uint16_t kStepModeInverted = 1;

class CMotionController {
  public:
    virtual ~CMotionController() = default;

    // Brings the controller up with its vendor profile file.
    virtual int32_t InitializeController(uint8_t board, const std::string& profilePath) = 0;
    // True in `inReset` while the controller sits in its power-up reset condition.
    virtual int32_t ReadResetCondition(uint8_t board, bool& inReset) = 0;
    virtual int32_t ConfigureStepModePolarity(uint8_t board, uint8_t axis, uint16_t mode) = 0;
    // When the controller reports an axis complete: criteria bits, deadband in steps, settling
    // delay and minimum pulse in milliseconds.
    virtual int32_t ConfigureMoveCompleteCriteria(uint8_t board, uint8_t axis, uint16_t criteria,
                                                  uint16_t deadbandSteps, uint8_t delayMs,
                                                  uint16_t minPulseMs) = 0;
    // Groups up to three axes (0 = none) into a vector space that moves along a straight line.
    virtual int32_t ConfigureVectorSpace(uint8_t board, uint8_t vectorSpace, uint8_t xAxis,
                                         uint8_t yAxis, uint8_t zAxis) = 0;
    // `resource` is an axis or a vector space.
    virtual int32_t LoadAccelerationStepsPerSec2(uint8_t board, uint8_t resource,
                                                 uint32_t acceleration) = 0;
    virtual int32_t LoadVelocityStepsPerSec(uint8_t board, uint8_t resource, int32_t velocity) = 0;
    virtual int32_t SetOperationMode(uint8_t board, uint8_t resource, uint16_t mode) = 0;
    virtual int32_t LoadTargetSteps(uint8_t board, uint8_t axis, int32_t steps) = 0;
    virtual int32_t LoadVectorSpaceTargetSteps(uint8_t board, uint8_t vectorSpace, int32_t x,
                                               int32_t y, int32_t z) = 0;
    // Starts the loaded moves: `resource` 0 with a map of axes, or one axis or vector space.
    virtual int32_t Start(uint8_t board, uint8_t resource, uint16_t map) = 0;
    // Starts vector spaces together: `resource` kVectorSpaceControl with a map of spaces.
    virtual int32_t Blend(uint8_t board, uint8_t resource, uint16_t map) = 0;
    // Bit n set: axis n has completed its move.
    virtual int32_t ReadMoveCompleteStatus(uint8_t board, uint16_t& status) = 0;
    // Declares the axis to stand at `steps` without moving it.
    virtual int32_t ResetPositionSteps(uint8_t board, uint8_t axis, int32_t steps) = 0;
    // The text of a status, at most 1023 characters. Returns the status of the description
    // itself (0 when it could be given).
    virtual int32_t DescribeError(int32_t status, std::string& text) = 0;
};

// The controllers the program knows, by name; the first is the default.
struct SMotionControllerKind {
    const char* name;
    std::unique_ptr<CMotionController> (*create)();
};
const std::vector<SMotionControllerKind>& MotionControllerKinds();
// A controller of the named kind, or of the default kind when the name is unknown.
std::unique_ptr<CMotionController> CreateMotionController(const std::string& kind = {});
