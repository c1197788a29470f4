#include "hw/motion/SimMotionController.h"

#include <cmath>

#include "platform/Services.h"

double CSimMotionController::ProfileSeconds(double steps, double velocity, double acceleration) {
    const double d = std::fabs(steps);
    if (d == 0.0 || velocity <= 0.0 || acceleration <= 0.0) return 0.0;
    // Accelerating to v and braking from it covers v*v/a steps.
    if (d < velocity * velocity / acceleration) return 2.0 * std::sqrt(d / acceleration);
    return d / velocity + velocity / acceleration;
}

int32_t CSimMotionController::InitializeController(uint8_t, const std::string&) {
    initialized = true;
    return 0;
}

int32_t CSimMotionController::ReadResetCondition(uint8_t, bool& inReset) {
    inReset = false;
    return 0;
}

int32_t CSimMotionController::ConfigureStepModePolarity(uint8_t, uint8_t axis, uint16_t mode) {
    if (!IsAxis(axis)) return kErrorBadResource;
    axes[axis].stepMode = mode;
    return 0;
}

int32_t CSimMotionController::ConfigureMoveCompleteCriteria(uint8_t, uint8_t axis, uint16_t,
                                                            uint16_t, uint8_t, uint16_t) {
    return IsAxis(axis) ? 0 : kErrorBadResource;
}

int32_t CSimMotionController::ConfigureVectorSpace(uint8_t, uint8_t vectorSpace, uint8_t xAxis,
                                                   uint8_t yAxis, uint8_t zAxis) {
    if (!IsVectorSpace(vectorSpace)) return kErrorBadResource;
    for (uint8_t axis : {xAxis, yAxis, zAxis})
        if (axis != 0 && !IsAxis(axis)) return kErrorBadResource;
    Space(vectorSpace).axes = {xAxis, yAxis, zAxis};
    return 0;
}

CSimMotionController::SMotion* CSimMotionController::Motion(uint8_t resource) {
    if (IsAxis(resource)) return &axes[resource];
    if (IsVectorSpace(resource)) return &Space(resource);
    return nullptr;
}

int32_t CSimMotionController::LoadAccelerationStepsPerSec2(uint8_t, uint8_t resource,
                                                           uint32_t acceleration) {
    SMotion* motion = Motion(resource);
    if (!motion) return kErrorBadResource;
    motion->acceleration = acceleration;
    return 0;
}

int32_t CSimMotionController::LoadVelocityStepsPerSec(uint8_t, uint8_t resource, int32_t velocity) {
    SMotion* motion = Motion(resource);
    if (!motion) return kErrorBadResource;
    motion->velocity = velocity;
    return 0;
}

int32_t CSimMotionController::SetOperationMode(uint8_t, uint8_t resource, uint16_t mode) {
    SMotion* motion = Motion(resource);
    if (!motion) return kErrorBadResource;
    motion->mode = mode;
    return 0;
}

int32_t CSimMotionController::LoadTargetSteps(uint8_t, uint8_t axis, int32_t steps) {
    if (!IsAxis(axis)) return kErrorBadResource;
    axes[axis].target = steps;
    return 0;
}

int32_t CSimMotionController::LoadVectorSpaceTargetSteps(uint8_t, uint8_t vectorSpace, int32_t x,
                                                         int32_t y, int32_t z) {
    if (!IsVectorSpace(vectorSpace)) return kErrorBadResource;
    Space(vectorSpace).targets = {x, y, z};
    return 0;
}

int32_t CSimMotionController::StartAxis(uint8_t axis) {
    SAxis& a = axes[axis];
    const int64_t distance =
        a.mode == kOpModeRelativePosition ? a.target : int64_t{a.target} - a.position;
    if (distance != 0 && (a.velocity <= 0 || a.acceleration == 0)) return kErrorNoVelocity;
    a.position += distance;
    a.travelled += distance;
    a.completeAtTick = 0;
    if (realisticTiming && distance != 0) {
        double seconds = ProfileSeconds(static_cast<double>(distance), a.velocity, a.acceleration);
        a.completeAtTick = Clock().Ticks() + static_cast<uint64_t>(std::ceil(seconds * 1000.0));
    }
    return 0;
}

int32_t CSimMotionController::StartSpace(uint8_t vectorSpace) {
    SVectorSpace& space = Space(vectorSpace);
    std::array<int64_t, 3> distance{};
    double squared = 0.0;
    for (int i = 0; i < 3; ++i) {
        uint8_t axis = space.axes[i];
        if (axis == 0) continue;
        distance[i] = space.mode == kOpModeRelativePosition
                          ? space.targets[i]
                          : int64_t{space.targets[i]} - axes[axis].position;
        squared += static_cast<double>(distance[i]) * static_cast<double>(distance[i]);
    }
    if (squared != 0.0 && (space.velocity <= 0 || space.acceleration == 0)) return kErrorNoVelocity;
    uint64_t completeAt = 0;
    if (realisticTiming && squared != 0.0) {
        double seconds = ProfileSeconds(std::sqrt(squared), space.velocity, space.acceleration);
        completeAt = Clock().Ticks() + static_cast<uint64_t>(std::ceil(seconds * 1000.0));
    }
    for (int i = 0; i < 3; ++i) {
        uint8_t axis = space.axes[i];
        if (axis == 0) continue;
        axes[axis].position += distance[i];
        axes[axis].travelled += distance[i];
        if (distance[i] != 0) axes[axis].completeAtTick = completeAt;
    }
    return 0;
}

int32_t CSimMotionController::Start(uint8_t, uint8_t resource, uint16_t map) {
    if (IsAxis(resource)) return StartAxis(resource);
    if (IsVectorSpace(resource)) return StartSpace(resource);
    if (resource != 0) return kErrorBadResource;
    // Check every axis before moving any, so a refusal leaves all of them standing.
    for (uint8_t axis = 1; axis <= 4; ++axis) {
        if (!(map & (1u << axis))) continue;
        const SAxis& a = axes[axis];
        const int64_t distance =
            a.mode == kOpModeRelativePosition ? a.target : int64_t{a.target} - a.position;
        if (distance != 0 && (a.velocity <= 0 || a.acceleration == 0)) return kErrorNoVelocity;
    }
    for (uint8_t axis = 1; axis <= 4; ++axis)
        if (map & (1u << axis)) StartAxis(axis);
    return 0;
}

int32_t CSimMotionController::Blend(uint8_t, uint8_t resource, uint16_t map) {
    if (resource != kVectorSpaceControl) return kErrorBadResource;
    for (uint8_t vs : {kVectorSpaceXyz, kVectorSpaceW}) {
        if (!(map & (1u << (vs - kVectorSpaceControl)))) continue;
        if (int32_t status = StartSpace(vs)) return status;
    }
    return 0;
}

int32_t CSimMotionController::ReadMoveCompleteStatus(uint8_t, uint16_t& status) {
    status = 0;
    const uint64_t now = realisticTiming ? Clock().Ticks() : 0;
    for (uint8_t axis = 1; axis <= 4; ++axis)
        if (axes[axis].completeAtTick <= now) status |= static_cast<uint16_t>(1u << axis);
    return 0;
}

int32_t CSimMotionController::ResetPositionSteps(uint8_t, uint8_t axis, int32_t steps) {
    if (!IsAxis(axis)) return kErrorBadResource;
    axes[axis].position = steps;
    return 0;
}

int32_t CSimMotionController::DescribeError(int32_t status, std::string& text) {
    switch (status) {
        case kErrorBadResource:
            text = "Simulated motion controller: no such axis or vector space.";
            return 0;
        case kErrorNoVelocity:
            text =
                "Simulated motion controller: a move was started with zero velocity or "
                "acceleration.";
            return 0;
        default:
            text = "Simulated motion controller: unknown error " + std::to_string(status) + ".";
            return 0;
    }
}

int64_t CSimMotionController::PositionSteps(int axis) const {
    return axis >= 1 && axis <= 4 ? axes[axis].position : 0;
}

int64_t CSimMotionController::TravelledSteps(int axis) const {
    return axis >= 1 && axis <= 4 ? axes[axis].travelled : 0;
}

uint16_t CSimMotionController::StepMode(int axis) const {
    return axis >= 1 && axis <= 4 ? axes[axis].stepMode : 0;
}
