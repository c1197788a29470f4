#pragma once
// Where the virtual bench's stages physically stand. A stage's own position is what it has
// been told (Find Z Plane, "Move and Reset Z Coordinate to Minimum" and the Z-minimum
// settings re-declare it without moving anything); the virtual bench must follow what the
// motors did instead, or re-declaring the probe's Z would move the virtual sample. So it reads
// the steps the simulated controller has really made and converts them with the stage's
// resolution and direction, as the stage converts its own commanded steps.

#include "platform/Vector4.h"

class CMsWcmc;

// The station's three stages, as the Simulated Station follows them (any may be null: that
// stage then stands at the origin).
struct SBenchStages {
    const CMsWcmc* probe = nullptr;
    const CMsWcmc* sample = nullptr;
    const CMsWcmc* tip = nullptr;
};

// Microns the stage has travelled from where it stood when its controller was made: for each
// axis, the controller's travelled steps times the step sign over the axis's steps/micron.
// A stage without a board commands no steps and so never moves; a stage on any other
// controller than the simulated one is taken to stand where it says it does.
CDVector4 PhysicalPosition(const CMsWcmc& stage);
