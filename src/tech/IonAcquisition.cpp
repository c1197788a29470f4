#include "tech/IonAcquisition.h"

#include <cmath>
#include <new>
#include <string>

#include "hw/AdBoard.h"
#include "hw/MsWcmc.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/SampRulesIon.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/Acquisition.h"

namespace {

std::function<bool()>& EscapeCheck() {
    static std::function<bool()> pressed;
    return pressed;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

void Tell(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation);
}

// A digital output byte; false after a message.
bool WriteByte(CAdBoard& board, const CSampPointIon& point, int value) {
    // An address below 0x100 belongs to the PC's own chips (timers, interrupt and DMA
    // controllers): only the board's own port may lie there.
    if (point.port != board.GetDigitalPort() && (point.port < 0x100 || point.port > 0xFFFF)) {
        Tell(
            StrPrintf("Point '%s' writes its digital outputs to port %X, which is not the A/D "
                      "board's digital port (%X) nor an address from 100 to FFFF.\nNothing was "
                      "recorded.",
                      point.name.c_str(), static_cast<unsigned>(point.port),
                      static_cast<unsigned>(board.GetDigitalPort())));
        return false;
    }
    if (board.WriteDigital(point.port, value & 0xFF)) return true;
    Tell(
        StrPrintf("Writing %02X to the digital port %X failed on the A/D board \"%s\".\nNothing "
                  "was recorded.",
                  static_cast<unsigned>(value & 0xFF), static_cast<unsigned>(point.port),
                  board.GetBoardName()));
    return false;
}

bool Read(CAdBoard& board, double period, int first, int last, double* volts) {
    if (board.ReadChannels(period, first, last, volts)) return true;
    Tell(ReadFailureMessage(board, first, last, period));
    return false;
}

// One walk of the path, `reps` times, into values (and reference values for a point).
class CWalk {
  public:
    CWalk(const CSampRulesIon& rules, const SIonWalkPlace& place, bool reference)
        : rules(rules), place(place), reference(reference) {}

    bool Run(CIonReading& reading, const CIonReference* currentReference) {
        double means[8] = {};
        const int nPoints = reading.nPoints;
        bool first = true;
        for (int r = 0; r < reading.nReps; ++r) {
            for (int p = 0; p < nPoints; ++p) {
                if (!first && Terminated()) return false;
                first = false;
                double v = 0.0;
                if (!Point(*rules.points[static_cast<size_t>(p)], means, v, reading)) return false;
                const size_t k = static_cast<size_t>(r) * nPoints + p;
                reading.values[k] = v;
                if (!reference) reading.refValues[k] = ReferenceValue(currentReference, r, p);
            }
            // Back to the path's origin after each pass.
            if (place.tip.MoveAbsolute(CDVector4(), rules.moveType) == CMsWcmc::kMoveFailed)
                return false;
        }
        return true;
    }

  private:
    bool Terminated() {
        if (!EscapeCheck() || !EscapeCheck()()) return false;
        return Prompt().Ask("Terminate gradient observation?", EPromptButtons::OkCancel,
                            EPromptIcon::Question) == EPromptAnswer::Ok;
    }

    // The reference value at the same repetition and point, when the reference has them.
    static double ReferenceValue(const CIonReference* ref, int r, int p) {
        if (ref == nullptr || r >= ref->nReps || p >= ref->nPoints ||
            ref->values.size() < ref->ValueCount())
            return 0.0;
        return ref->Value(r, p);
    }

    bool Point(const CSampPointIon& point, double means[8], double& v, CIonReading& reading) {
        const bool io = point.io && !reference;
        const bool korbeRead = !reference && StartsWith(point.name, "KorbeRead");
        const bool korbeSamp = !reference && StartsWith(point.name, "KorbeSamp");
        if (io && !WriteByte(place.board, point, point.dataS)) return false;
        double volts = 0.0;
        if (korbeRead) {
            // Not moved to: the mean kept by the last "KorbeSamp" point of this walk.
            volts = point.adChan >= 0 && point.adChan <= 7 ? means[point.adChan] : 0.0;
        } else {
            const CDVector4 step =
                point.offset.Rotate(rules.rot, rules.tilt, CSampRulesIon::TiltAboutY());
            const int moved = rules.csys == kCoordRelative
                                  ? place.tip.MoveRelative(step, rules.moveType)
                                  : place.tip.MoveAbsolute(step, rules.moveType);
            if (moved == CMsWcmc::kMoveFailed) return false;
            Clock().WaitUntil(SettleDeadline(point.wait));
            if (io && !WriteByte(place.board, point, point.dataA)) return false;
            bool read = true;
            // The channels were checked before the walk began (0..7, or -1 for none).
            if (point.adChan >= 0 && korbeSamp) {
                read = Read(place.board, point.average, 0, 7, means);
                if (read) volts = means[point.adChan];
            } else if (point.adChan >= 0) {
                read = Read(place.board, point.average, point.adChan, point.adChan, &volts);
            }
            // The equipment is put back to standby even when the read failed.
            if (io && !WriteByte(place.board, point, point.dataS)) return false;
            if (!read) return false;
        }
        reading.da0 = place.board.da0;
        reading.da1 = place.board.da1;
        // A move-only point reads nothing and stores 0: no D/A output is added to nothing.
        if (point.adChan < 0) {
            v = 0.0;
            return true;
        }
        v = volts / point.adGain;
        if (point.daChan == 0) v += place.board.da0 / point.daGain;
        if (point.daChan == 1) v += place.board.da1 / point.daGain;
        v *= place.calibrationType == kIonPolarographic ? 10000.0 : 1000.0;
        return true;
    }

    const CSampRulesIon& rules;
    const SIonWalkPlace& place;
    bool reference;
};

// Allocates the values of one walk; false after the message.
bool Allocate(const CSampRulesIon& rules, CIonReading& reading) {
    const size_t n = rules.points.size() * static_cast<size_t>(rules.pathReps);
    const char* failure =
        "Cannot allocate buffer for ISP/PVP obs data values - aborting serialization.";
    if (rules.points.size() > static_cast<size_t>(kMaxIonPoints) || n > kMaxIonValues) {
        Prompt().Message(failure, EPromptIcon::Stop);
        return false;
    }
    try {
        reading.SetShape(static_cast<int>(rules.points.size()), rules.pathReps);
    } catch (const std::bad_alloc&) {
        reading.FreeData();
        Prompt().Message(failure, EPromptIcon::Stop);
        return false;
    }
    return true;
}

// Why the rules cannot be walked at all, or "" (checked before anything moves).
std::string RulesProblem(const CSampRulesIon& rules) {
    if (rules.pathReps < 1)
        return "Cannot get ISP/PVP observation with less than one path repetition.";
    if (rules.pathReps > kMaxIonPathReps)
        return StrPrintf("Cannot get ISP/PVP observation with more than %d path repetitions.",
                         kMaxIonPathReps);
    for (const auto& point : rules.points) {
        const std::string problem = point->Problem();
        if (!problem.empty()) return "Point '" + point->name + "': " + problem;
    }
    return {};
}

bool Walk(const CSampRulesIon& rules, CIonReading& reading, const SIonWalkPlace& place,
          bool reference, const CIonReference* currentReference) {
    if (const std::string problem = RulesProblem(rules); !problem.empty()) {
        Tell(problem);
        return false;
    }
    CAcquisitionScope busy;
    reading.name = rules.name;
    reading.index = rules.index;
    // Reference rules carry their mark in the bath wait's sign; the wait itself is positive.
    CSampRulesIon bathRules;
    bathRules.bathWait = std::fabs(rules.bathWait);
    bathRules.bathAvg = rules.bathAvg;
    bathRules.da0From = rules.da0From;
    bathRules.da1From = rules.da1From;
    bathRules.da0AdChan = rules.da0AdChan;
    bathRules.da1AdChan = rules.da1AdChan;
    if (rules.bathBefore && !IonBathUpdate(bathRules, place.board)) return false;
    if (!Allocate(rules, reading)) return false;
    reading.StampNow();
    reading.StampPositions();
    if (!CWalk(rules, place, reference).Run(reading, currentReference)) {
        reading.FreeData();
        return false;
    }
    if (rules.bathAfter && !IonBathUpdate(bathRules, place.board)) {
        reading.FreeData();
        return false;
    }
    return true;
}

}  // namespace

void SetEscapeCheck(std::function<bool()> pressed) {
    EscapeCheck() = std::move(pressed);
}

bool IonBathUpdate(const CSampRulesIon& rules, CAdBoard& board) {
    Clock().WaitUntil(SettleDeadline(std::fabs(rules.bathWait)));
    const struct {
        int from, adChan, daChan;
    } outputs[2] = {{rules.da0From, rules.da0AdChan, 0}, {rules.da1From, rules.da1AdChan, 1}};
    for (const auto& out : outputs) {
        if (!out.from) continue;
        double v = 0.0;
        if (!Read(board, rules.bathAvg, out.adChan, out.adChan, &v)) return false;
        if (!board.SetDA(out.daChan, v)) {
            Tell(
                StrPrintf("The bath offset could not be set: D/A channel %d of the A/D board "
                          "\"%s\" cannot be set to %.4lf V.\nNothing was recorded.",
                          out.daChan, board.GetBoardName(), v));
            return false;
        }
    }
    return true;
}

bool AcquireIonPoint(const CSampRulesIon* rules, CIonObs& obs, const SIonWalkPlace& place,
                     const CIonReference* currentReference) {
    if (rules == nullptr) {
        Tell(
            "NULL ISP/PVP sampling rules definition - execute GradientProbe::Sampling... Command "
            "First");
        return false;
    }
    return Walk(*rules, obs, place, false, currentReference);
}

bool AcquireIonReference(const CSampRulesIon* rules, CIonReference& ref,
                         const SIonWalkPlace& place) {
    if (rules == nullptr) {
        Tell("Execute GradientProbe::Sampling... Command First");
        return false;
    }
    return Walk(*rules, ref, place, true, nullptr);
}

std::unique_ptr<CVelmObs> TakeIonObservation(const CSampRulesIon& rules, const SIonWalkPlace& place,
                                             const CIonReference* currentReference) {
    if (rules.MakesReferences()) {
        std::unique_ptr<CIonReference> ref;
        try {
            ref = std::make_unique<CIonReference>();
        } catch (const std::bad_alloc&) {
            Prompt().Message("Insufficient Memory for Gradient Reference Observation");
            return nullptr;
        }
        if (!AcquireIonReference(&rules, *ref, place)) return nullptr;
        return ref;
    }
    std::unique_ptr<CIonObs> point;
    try {
        point = std::make_unique<CIonObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Gradient Point Observation");
        return nullptr;
    }
    if (!AcquireIonPoint(&rules, *point, place, currentReference)) return nullptr;
    return point;
}
