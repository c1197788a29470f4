#include "hw/motion/MotionSetupLogic.h"

#include <cctype>
#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "hw/MsWcmc.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

namespace {

constexpr const char* kAxisNames[4] = {"X", "Y", "Z", "W"};

std::string Trim(const std::string& text) {
    size_t begin = text.find_first_not_of(" \t");
    if (begin == std::string::npos) return std::string();
    size_t end = text.find_last_not_of(" \t");
    return text.substr(begin, end - begin + 1);
}

// A whole entry that is a finite number; no trailing letters.
bool ParseNumber(const std::string& text, double& out) {
    const std::optional<double> v = ParseNumberEntry(text);
    if (v) out = *v;
    return v.has_value();
}

}  // namespace

std::string CMotionSetupLogic::FormatNumber(double value) {
    // The shortest text that reads back as the same number, so an entry left alone is stored
    // unchanged.
    return FormatNumberEntry(value);
}

CMotionSetupLogic::CMotionSetupLogic(const CMsWcmc& system) {
    name = system.name;
    boardId = StrPrintf("%X", static_cast<unsigned>(system.boardId));
    for (int i = 0; i < 4; ++i) {
        resolution[i] = FormatNumber(system.stepsPerMicron[i]);
        positiveMotion[i] = StrPrintf("%d", system.positiveMotion[i]);
        maxSpeed[i] = FormatNumber(system.maxSpeed[i]);
        trackingSpeed[i] = FormatNumber(system.trackingSpeed[i]);
        accelDistance[i] = FormatNumber(system.accelDistance[i]);
        minSpeed[i] = FormatNumber(system.minSpeed[i]);
        accelType[i] = std::string(1, system.accelType[i]);
        encoderOn[i] = StrPrintf("%d", system.encoderOn[i]);
        encoderResolution[i] = FormatNumber(system.encoderResolution[i]);
        encoderBoard[i] = StrPrintf("%d", system.encoderBoard[i]);
        encoderPlusCtr[i] = StrPrintf("%d", system.encoderPlusCtr[i]);
        encoderMinusCtr[i] = StrPrintf("%d", system.encoderMinusCtr[i]);
        encoderTolerance[i] = FormatNumber(system.encoderTolerance[i]);
    }
    zMinimumOn = system.zMinimumOn != 0;
    zMinimum = FormatNumber(system.zMinimum);
    encoderRetries = StrPrintf("%d", system.encoderRetries);
    speedReduction = FormatNumber(system.speedReduction);
    pdmaBoard = system.pdmaBoard != 0;
    pdmaRate = StrPrintf("%ld", system.pdmaRate);
}

bool CMotionSetupLogic::Fail(const std::string& entry, const std::string& message) {
    badEntry = entry;
    Prompt().Message(message, EPromptIcon::Exclamation, "Motion Control Setup");
    return false;
}

bool CMotionSetupLogic::ReadRange(const std::string& text, double lo, double hi,
                                  double& out) const {
    double v = 0.0;
    if (!ParseNumber(text, v) || v < lo || v > hi) return false;
    out = v;
    return true;
}

bool CMotionSetupLogic::Accept() {
    isAccepted = false;
    badEntry.clear();
    SValues v;
    v.name = Trim(name);
    if (v.name.size() > CMsWcmc::kMaxNameLength)
        return Fail("name", "The system name may have at most 32 characters.");
    // The settings line keeps the name before its first colon.
    if (v.name.find(':') != std::string::npos)
        return Fail("name", "The system name cannot contain a colon (\":\").");

    const std::string id = Trim(boardId);
    bool hexOk = !id.empty() && id.size() <= kMaxBoardIdDigits;
    for (char c : id)
        hexOk = hexOk && std::isxdigit(static_cast<unsigned char>(c));
    if (!hexOk) return Fail("boardId", "Enter the board ID as 1 to 8 hexadecimal digits.");
    v.boardId = static_cast<int>(std::strtoul(id.c_str(), nullptr, 16));

    for (int i = 0; i < 4; ++i) {
        const std::string axis = kAxisNames[i];
        const std::string suffix = StrPrintf(".%d", i);
        if (!ReadRange(resolution[i], kMinResolution, kMaxResolution, v.resolution[i]))
            return Fail("resolution" + suffix,
                        axis + " Resolution: enter a number from 0.1 to 1000 steps/micron.");
        const std::string positive = Trim(positiveMotion[i]);
        if (positive != "0" && positive != "1")
            return Fail("positiveMotion" + suffix, axis + " Positive Motion: enter 0 or 1.");
        v.positiveMotion[i] = positive == "1" ? 1 : 0;
        if (!ReadRange(maxSpeed[i], kMinSpeed, kMaxSpeed, v.maxSpeed[i]))
            return Fail("maxSpeed" + suffix,
                        axis + " Maximum speed: enter a number from 0.01 to 10000 microns/sec.");
        if (!ReadRange(trackingSpeed[i], kMinSpeed, kMaxSpeed, v.trackingSpeed[i]))
            return Fail("trackingSpeed" + suffix,
                        axis + " Tracking speed: enter a number from 0.01 to 10000 microns/sec.");
        if (!ReadRange(accelDistance[i], kMinDistance, kMaxDistance, v.accelDistance[i]))
            return Fail("accelDistance" + suffix,
                        axis + " Acceleration distance: enter a number from 0.1 to 1000 microns.");
    }
    v.zMinimumOn = zMinimumOn;
    if (!ReadRange(zMinimum, -kMaxZMinimum, kMaxZMinimum, v.zMinimum))
        return Fail("zMinimum", "Z Minimum: enter a number of microns.");
    accepted = v;
    isAccepted = true;
    return true;
}

void CMotionSetupLogic::ApplyTo(CMsWcmc& system) const {
    if (!isAccepted) return;
    system.name = accepted.name;
    system.boardId = accepted.boardId;
    for (int i = 0; i < 4; ++i) {
        system.stepsPerMicron[i] = accepted.resolution[i];
        system.positiveMotion[i] = accepted.positiveMotion[i];
        system.maxSpeed[i] = accepted.maxSpeed[i];
        system.trackingSpeed[i] = accepted.trackingSpeed[i];
        system.accelDistance[i] = accepted.accelDistance[i];
    }
    if (accepted.zMinimum != system.zMinimum)
        system.RequestZMinimum(accepted.zMinimum, accepted.zMinimumOn);
    else
        system.zMinimumOn = accepted.zMinimumOn ? 1 : 0;
}
