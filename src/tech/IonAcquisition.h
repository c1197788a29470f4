#pragma once
// Gradient probe (ISP/PVP) acquisitions: the walk of the tip along the rules' path, the reads
// at each point with the digital outputs around them, the bath update that re-zeroes the
// amplifier offsets, and the reference walk. A failed read, move, D/A setting or digital write
// ends the walk with a message and records nothing, so a gradient is never computed from a
// reading taken at the wrong place or from a board that did not answer. Esc between two points
// offers to end a long walk.

#include <cstdint>
#include <functional>
#include <memory>

class CAdBoard;
class CMsWcmc;
class CSampRulesIon;
class CIonObs;
class CIonReference;
class CVelmObs;

// Where a walk runs: the board read and written, the tip stage moved, and the scale of the
// probe's tip values (its calibration type: 1483 gives pA, anything else mV).
struct SIonWalkPlace {
    CAdBoard& board;
    CMsWcmc& tip;
    uint16_t calibrationType;
};

// Whether the user has pressed Esc since the last call (the desktop program installs it; empty:
// never). Asked between the points of a walk.
void SetEscapeCheck(std::function<bool()> pressed);

// The bath update of `rules`: waits the bath wait, then sets D/A 0 and D/A 1 (as the rules
// ask) to the voltages of their A/D channels averaged over the bath average. False after a
// message.
bool IonBathUpdate(const CSampRulesIon& rules, CAdBoard& board);

// A gradient point along the path (null rules: "NULL ISP/PVP sampling rules ..."); the
// reference values are those of `currentReference` (may be null) at the same repetition and
// point. False after a message, with nothing recorded.
bool AcquireIonPoint(const CSampRulesIon* rules, CIonObs& obs, const SIonWalkPlace& place,
                     const CIonReference* currentReference);
// A gradient reference: every point with an A/D channel read alone, no digital outputs.
bool AcquireIonReference(const CSampRulesIon* rules, CIonReference& ref,
                         const SIonWalkPlace& place);

// What `rules` take: a reference when they are marked for references, else a point; null after
// a message.
std::unique_ptr<CVelmObs> TakeIonObservation(const CSampRulesIon& rules, const SIonWalkPlace& place,
                                             const CIonReference* currentReference);
