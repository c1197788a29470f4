#pragma once
// Sampling rules of a gradient probe (ISP/PVP): a path of points relative to a path origin,
// each with its settling wait, averaging, A/D and D/A channels, gains and digital outputs; the
// gradient calculations between points; repetitions, a rotation and tilt of the whole path,
// and the bath update that re-zeroes amplifier offsets. A negative bathWait marks rules that
// produce references.

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "obs/VelmObs.h"

// One point of the path. Not an observation: it lives only inside its rules.
class CSampPointIon : public CSerializable {
    VELM_DECLARE_SERIAL(CSampPointIon)

  public:
    void Serialize(CArchive& ar) override;
    // The point as shown in lists: name, ": " and the settings-line form of its values.
    void Describe(std::string& text) const;
    // The settings-line form of its values alone.
    std::string ValuesText() const;
    bool SameAs(const CSampPointIon& other) const;
    // Why the point cannot be walked as it stands (an A/D channel outside -1..7, a D/A channel
    // outside -1..1, a gain of 0 or no number, a wait or average that is no time, a data byte
    // above FF, a port beyond FFFF), or "".
    std::string Problem() const;

    std::string name;
    CDVector4 offset;
    double wait = 1.0;
    double average = 0.5;
    int adChan = 4;  // -1: a move-only point
    int daChan = 0;  // -1: no D/A output added
    double adGain = 1000.0;
    double daGain = 10.0;
    int io = 0;
    int dataA = 0;
    int dataS = 0;
    int port = 0x378;  // the A/D board's digital port (the board layer sets the real one)
};

// One gradient calculation: the difference of two points of the path (0-based indices).
class CGradCalcIon : public CSerializable {
    VELM_DECLARE_SERIAL(CGradCalcIon)

  public:
    void Serialize(CArchive& ar) override;

    std::string name;
    int first = 0;
    int second = 1;
};

// What a path can hold: a count of repetitions and points is stored in 16 bits, and the
// settings give one line per point and calculation, so a damaged count must not drive
// thousands of reads.
inline constexpr int kMaxIonPathReps = 32767;
inline constexpr int kMaxIonPoints = 1000;
inline constexpr int kMaxIonCalcs = 1000;

inline constexpr int kMoveLinear = 1048;
inline constexpr int kMoveTrack = 1049;
inline constexpr uint16_t kCoordAbsolute = 1470;
inline constexpr uint16_t kCoordRelative = 1471;

class CSampRulesIon : public CVelmObs {
    VELM_DECLARE_SERIAL(CSampRulesIon)

  public:
    CSampRulesIon();
    ~CSampRulesIon() override;

    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    void GetOperationName(std::string& text) const override;
    std::unique_ptr<CVelmObs> Clone() const override;
    void FreeData() override;
    // The acquisition time: the bath updates, the waits and averages of every point read and
    // the tip's moves along the path (estimated by the tip stage the station installed).
    double GetNumber() const override;
    // A gradient observation, or a reference when the rules are marked for references.
    CObsList TakeObservation(CTechniques& techniques) override;
    // "ISP/PVP Sampling Rules" on the probe's rules in velm.ini (a name is chosen first when
    // the rules have none); OK stamps and saves them.
    bool Edit(CTechniques& techniques) override;
    // "ISP/PVP Sampling Rules" on these stored rules (through the station's editor).
    bool Open(CDataDocument* document, unsigned options) override;

    // The rules' own fields and lists (deep copies) on this object.
    void CopyRulesFrom(const CSampRulesIon& other);
    bool MakesReferences() const { return bathWait < 0.0; }
    // The fields and lists are equal (time stamps aside).
    bool SameRules(const CSampRulesIon& other) const;
    // The acquisition time with `moveTime(from, to, speedMode)` seconds for each move of the
    // tip. Reference rules count their bath wait as the positive time it is.
    double EstimateTime(
        const std::function<double(const CDVector4&, const CDVector4&, int)>& moveTime) const;
    // How GetNumber estimates the tip's moves (the station installs its tip stage's estimate;
    // none: moves count 0).
    static void SetMoveTimeEstimator(
        std::function<double(const CDVector4& from, const CDVector4& to, int speedMode)> estimate);

    // ---- Settings (SampRulesIonSettings.cpp) ----------------------------------------------------
    // "Sampling Rules 0" to "Sampling Rules 2", the points and the calculations in the probe's
    // section. Points and calculations beyond the stored counts are left as they were.
    bool SaveSettings() const;
    // False when the probe has no stored rules ("Sampling Rules 0" missing). Unusable lines go to
    // `problems`; a calculation naming a point the path does not have is dropped.
    bool LoadSettings(std::string* problems = nullptr);

    // Position of point `i` (absolute: its offset; relative: the sum of offsets 0..i), each
    // offset first rotated by rot and tilt when `rotated`.
    CDVector4 PointPosition(int i, bool rotated) const;
    // The X (1175) or Y (1176) share of calculation `calc`'s direction (0 for other codes).
    double DirectionComponent(int code, const CGradCalcIon& calc) const;

    // Whether the path tilt turns about Y (the station's tilt-axis setting is 1481) or X.
    static void SetTiltAboutY(bool aboutY);
    static bool TiltAboutY();

    std::string name;
    double rot = 0.0;
    double tilt = 0.0;
    int bathBefore = 0;
    int bathAfter = 0;
    int da0From = 1;
    int da1From = 0;
    int da0AdChan = 5;
    int da1AdChan = 7;
    double bathWait = 1.0;
    double bathAvg = 0.5;
    int useRef = 0;
    int applyCal = 0;
    int pathReps = 1;
    int moveType = kMoveTrack;
    uint16_t csys = kCoordAbsolute;
    std::vector<std::unique_ptr<CSampPointIon>> points;
    std::vector<std::unique_ptr<CGradCalcIon>> calcs;
};

// The defaults of the next point added to a probe's path ("Sample Point Rules" and "Sample
// Point Gains" of its section): the point's values except its name and offset.
bool SaveIonPointDefaults(const std::string& probeName, const CSampPointIon& point);
// False when there are none; unusable values keep those `point` holds.
bool LoadIonPointDefaults(const std::string& probeName, CSampPointIon& point,
                          std::string* problems = nullptr);
