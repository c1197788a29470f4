#pragma once
// A controller for tests: forwards to the simulated controller and records every command as
// one line of text ("LoadVelocity 1 17 10000"). A test can make any command fail with a status
// and keep moves from ever completing.

#include <map>
#include <string>
#include <vector>

#include "hw/motion/SimMotionController.h"
#include "platform/Format.h"

class CRecordingController : public CMotionController {
  public:
    CSimMotionController sim;
    std::vector<std::string> commands;
    // Command name -> status it returns instead of running (once each).
    std::multimap<std::string, int32_t> failures;
    bool neverComplete = false;
    int32_t describeStatus = 0;

    std::vector<std::string> Named(const std::string& prefix) const {
        std::vector<std::string> out;
        for (const auto& c : commands)
            if (c.rfind(prefix, 0) == 0) out.push_back(c);
        return out;
    }

    int32_t InitializeController(uint8_t b, const std::string& path) override {
        return Run("Initialize", StrPrintf("%u %s", b, path.c_str()),
                   [&] { return sim.InitializeController(b, path); });
    }
    int32_t ReadResetCondition(uint8_t b, bool& inReset) override {
        return Run("ReadReset", StrPrintf("%u", b),
                   [&] { return sim.ReadResetCondition(b, inReset); });
    }
    int32_t ConfigureStepModePolarity(uint8_t b, uint8_t axis, uint16_t mode) override {
        return Run("StepMode", StrPrintf("%u %u %u", b, axis, mode),
                   [&] { return sim.ConfigureStepModePolarity(b, axis, mode); });
    }
    int32_t ConfigureMoveCompleteCriteria(uint8_t b, uint8_t axis, uint16_t criteria,
                                          uint16_t deadband, uint8_t delay,
                                          uint16_t minPulse) override {
        return Run("Criteria",
                   StrPrintf("%u %u %u %u %u %u", b, axis, criteria, deadband, delay, minPulse),
                   [&] {
                       return sim.ConfigureMoveCompleteCriteria(b, axis, criteria, deadband, delay,
                                                                minPulse);
                   });
    }
    int32_t ConfigureVectorSpace(uint8_t b, uint8_t vs, uint8_t x, uint8_t y, uint8_t z) override {
        return Run("VectorSpace", StrPrintf("%u %u %u %u %u", b, vs, x, y, z),
                   [&] { return sim.ConfigureVectorSpace(b, vs, x, y, z); });
    }
    int32_t LoadAccelerationStepsPerSec2(uint8_t b, uint8_t r, uint32_t a) override {
        return Run("LoadAcceleration", StrPrintf("%u %u %u", b, r, a),
                   [&] { return sim.LoadAccelerationStepsPerSec2(b, r, a); });
    }
    int32_t LoadVelocityStepsPerSec(uint8_t b, uint8_t r, int32_t v) override {
        return Run("LoadVelocity", StrPrintf("%u %u %d", b, r, v),
                   [&] { return sim.LoadVelocityStepsPerSec(b, r, v); });
    }
    int32_t SetOperationMode(uint8_t b, uint8_t r, uint16_t mode) override {
        return Run("OpMode", StrPrintf("%u %u %u", b, r, mode),
                   [&] { return sim.SetOperationMode(b, r, mode); });
    }
    int32_t LoadTargetSteps(uint8_t b, uint8_t axis, int32_t steps) override {
        return Run("LoadTarget", StrPrintf("%u %u %d", b, axis, steps),
                   [&] { return sim.LoadTargetSteps(b, axis, steps); });
    }
    int32_t LoadVectorSpaceTargetSteps(uint8_t b, uint8_t vs, int32_t x, int32_t y,
                                       int32_t z) override {
        return Run("LoadVectorTarget", StrPrintf("%u %u %d %d %d", b, vs, x, y, z),
                   [&] { return sim.LoadVectorSpaceTargetSteps(b, vs, x, y, z); });
    }
    int32_t Start(uint8_t b, uint8_t r, uint16_t map) override {
        return Run("Start", StrPrintf("%u %u %u", b, r, map), [&] { return sim.Start(b, r, map); });
    }
    int32_t Blend(uint8_t b, uint8_t r, uint16_t map) override {
        return Run("Blend", StrPrintf("%u %u %u", b, r, map), [&] { return sim.Blend(b, r, map); });
    }
    int32_t ReadMoveCompleteStatus(uint8_t b, uint16_t& status) override {
        return Run("ReadStatus", StrPrintf("%u", b), [&] {
            int32_t s = sim.ReadMoveCompleteStatus(b, status);
            if (neverComplete) status = 0x02;
            return s;
        });
    }
    int32_t ResetPositionSteps(uint8_t b, uint8_t axis, int32_t steps) override {
        return Run("ResetPosition", StrPrintf("%u %u %d", b, axis, steps),
                   [&] { return sim.ResetPositionSteps(b, axis, steps); });
    }
    int32_t DescribeError(int32_t status, std::string& text) override {
        text = StrPrintf("Controller error %d", status);
        return describeStatus;
    }

  private:
    template <typename F>
    int32_t Run(const std::string& name, const std::string& args, F&& f) {
        commands.push_back(name + " " + args);
        auto it = failures.find(name);
        if (it != failures.end()) {
            int32_t status = it->second;
            failures.erase(it);
            return status;
        }
        return f();
    }
};
