#pragma once
// CVelmObs: the base of everything the station records — measurements, images, scans, notes,
// and the sampling rules and calibrations in force when a measurement was made. Each carries
// the moment it was made and the probe and sample stage positions, and a common set of
// virtual operations used by the list view, the exports, the vector scans and the displays.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "obs/Archive.h"
#include "platform/Vector4.h"

class CDataDocument;
class CObsRegister;
class CTechniques;
class CWireCalibration;
class CSampRulesIon;
class CIonCalibration;
struct SSurfaceQuantity;

// A list-line colour.
struct SRgb {
    uint8_t r = 0, g = 0, b = 0;
    bool operator==(const SRgb&) const = default;
};

// Detail flags of the list view: which parts of a description are shown.
namespace DetailFlags {
inline constexpr unsigned kInformation = 0x04;
inline constexpr unsigned kSamplePosition = 0x08;
inline constexpr unsigned kProbePosition = 0x10;
inline constexpr unsigned kType = 0x20;
inline constexpr unsigned kTime = 0x40;
inline constexpr unsigned kDate = 0x80;
inline constexpr unsigned kCalculations = 0x100;
inline constexpr unsigned kDefault = 372;  // time, type, probe position, information, calcs
inline constexpr unsigned kAll = 252;      // everything but calculations
// Either data flag asks for a class's values.
inline constexpr unsigned kData = kInformation | kCalculations;
}  // namespace DetailFlags

// Display value codes (the identifiers of the quantities a data layer can show).
namespace ValueCode {
inline constexpr int kXCurrentDensity = 1175;  // also the X gradient component
inline constexpr int kYCurrentDensity = 1176;  // also the Y gradient component
inline constexpr int kTotalCurrentDensity = 1177;
inline constexpr int kAngle = 1178;
inline constexpr int kXInPhase = 1179;
inline constexpr int kXQuadrature = 1180;
inline constexpr int kYInPhase = 1181;
inline constexpr int kYQuadrature = 1182;
inline constexpr int kVector2D = 1183;
inline constexpr int kSampleNumber = 1184;
inline constexpr int kXYVector = 1185;
inline constexpr int kScalar = 1186;
inline constexpr int kChannel = 1187;
}  // namespace ValueCode

// What a display layer chooses when it asks an observation for a value. The defaults are a
// new data layer's; the pointers name rules or a calibration the layer picked itself (null:
// the ones in force at the observation's time).
struct SValueQuery {
    int sampleNumber = 1;                  // 1-based point for "Sample #"
    int gradSample1 = 1, gradSample2 = 2;  // 1-based points for "Scalar"
    int repFirst = 1, repLast = 1;         // 1-based repetitions averaged
    bool subtractReference = true;         // "Apply Reference to Gradients"
    int rawADChannel = 4;                  // "Channel #"
    const CWireCalibration* wireCalibration = nullptr;
    const CSampRulesIon* ionRules = nullptr;
    const CIonCalibration* ionCalibration = nullptr;
};

class CVelmObs;
// Owned observations: a document's list, or what one acquisition made.
using CObsList = std::vector<std::unique_ptr<CVelmObs>>;

// Axis-system codes of SetPosition.
inline constexpr int kProbeAxisSystem = 1029;
inline constexpr int kSampleAxisSystem = 1030;

class CVelmObs : public CSerializable {
    VELM_DECLARE_SERIAL(CVelmObs)

  public:
    // Stamped with the current time (milliseconds 0), index 0xFFFF, positions zero.
    CVelmObs();
    ~CVelmObs() override;

    void Serialize(CArchive& ar) override;

    // ---- Virtual operations -------------------------------------------------------------
    // The estimated acquisition time in seconds (rules and scans).
    virtual double GetNumber() const { return 0.0; }
    // Colour of the list line.
    virtual SRgb GetColor() const;
    // Appends the one-line description to `text`: the common prefix chosen by the detail
    // flags in `options`, then the class's tail. `document` (may be null) supplies the rules
    // and calibrations in force.
    virtual void Describe(std::string& text, const CDataDocument* document, unsigned options) const;
    // Appends the export row (with ExportFlags::kHeading in `options`, its column names): the
    // common columns, then the class's cells. ExportFormat.h has the option bits.
    virtual void Export(std::string& text, const CDataDocument* document, unsigned options) const;
    // The value the surface export plots for `quantity`; false when the observation has none.
    virtual bool GetSurfaceValue(const SSurfaceQuantity& quantity, const CDataDocument* document,
                                 double& value) const;
    // Rules and calibrations register themselves as in force from their time on.
    virtual void AddToList(CObsRegister& reg) const;
    // The double-click action: shows the description in an information box.
    virtual bool Open(CDataDocument* document, unsigned options);
    // Rules and vector-scan operations take new observations with the station's techniques:
    // usually one, one per channel for a burst of several raw A/D channels (the stored record
    // holds one channel's burst); empty when nothing was taken. Others take none.
    virtual CObsList TakeObservation(CTechniques& techniques);
    // Runs the class's set-up; false when cancelled or when there is none.
    virtual bool Edit(CTechniques& techniques);
    // The heading used in acquisition and vector-scan texts.
    virtual void GetOperationName(std::string& text) const;
    // A copy, for the classes that can be copied (images, rules, calibrations); else null.
    virtual std::unique_ptr<CVelmObs> Clone() const;
    // A display value for `code`: returns a kind code (0 = no value) and sets `value`.
    virtual int GetValue(double& value, int code, const CDataDocument* document,
                         const SValueQuery* query) const;
    // Releases value buffers.
    virtual void FreeData() {}

    // ---- Stamping --------------------------------------------------------------------------
    // Time and milliseconds from the clock.
    void StampNow();
    // Probe and sample positions from the motion systems (through the position source).
    void StampPositions();
    void SetTime(int64_t seconds, uint16_t ms);
    // Code 1029 sets the probe position, 1030 the sample position; others are ignored.
    void SetPosition(int axisSystem, const CDVector4& position);

    // Time order of the list: earlier time, or the same second and fewer milliseconds.
    bool IsEarlierThan(const CVelmObs& other) const {
        return time < other.time || (time == other.time && milliseconds < other.milliseconds);
    }
    // `index` taken as a signed number (0xFFFF is -1).
    int SignedIndex() const { return static_cast<int16_t>(index); }

    int64_t time = 0;
    uint16_t milliseconds = 0;
    uint16_t index = 0xFFFF;
    CDVector4 probePosition;
    CDVector4 samplePosition;
    bool hidden = false;  // not stored

  protected:
    // The colour of a class's line: `hiddenColor` while hidden.
    SRgb ColorFor(SRgb shown, SRgb hiddenColor) const { return hidden ? hiddenColor : shown; }
};

// Where "stamp positions" gets the stage positions from (the motion systems install it).
// Without one, positions stay as they are.
void SetPositionSource(std::function<void(CDVector4& probe, CDVector4& sample)> source);
// How image, scan and video observations open their file as a document (the GUI installs it).
// Returns false when the document could not be opened.
void SetOpenDocumentHook(std::function<bool(const std::string& path)> hook);
bool OpenDocumentFile(const std::string& path);

// Appends the description prefix chosen by the detail flags (hidden mark, date, time, positions).
void DescribePrefix(const CVelmObs& obs, std::string& text, unsigned options);
// Whether a class's data (Information or Calculations) was asked for.
inline bool WantsData(unsigned options) {
    return (options & DetailFlags::kData) != 0;
}

// Filter for object lists: only observations.
bool IsObservation(const CSerializable& object);
