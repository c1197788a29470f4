#pragma once
// A current-density probe calibration: per detector (X PSD, Y PSD) and calibration-current
// direction a phase and a gain, the vibration axes and angles, the calibration geometry, the
// medium resistivity and the system gain. It turns a CDP reading into current densities.
// Gains are stored multiplied by Resistivity and SystemGain; every text shows them divided.

#include <functional>

#include "obs/SampRulesWire.h"
#include "obs/VelmObs.h"

class CWireReading;

inline constexpr const char* kWireCalibrationSection = "Voltage Probe Calibration";

// Vibration-axis ids of the two detectors.
inline constexpr uint16_t kXVibAxisX = 1063, kXVibAxisY = 1064, kXVibAxisZ = 1065;
inline constexpr uint16_t kYVibAxisX = 1066, kYVibAxisY = 1067, kYVibAxisZ = 1068;

class CWireCalibration : public CVelmObs {
    VELM_DECLARE_SERIAL(CWireCalibration)

  public:
    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    void AddToList(CObsRegister& reg) const override;
    std::unique_ptr<CVelmObs> Clone() const override;
    // A double click in the list edits the values (EditValues), or shows the description
    // when nobody can edit them.
    bool Open(CDataDocument* document, unsigned options) override;
    // "Edit Current Density Probe Calibration" on this calibration, held by `document`, through
    // the editor the station installs. False when cancelled or when there is no editor.
    bool EditValues(CDataDocument* document);

    // The two axis ids packed into one number, and back (two old codes stand for pairs).
    uint16_t AxisCode() const;
    void SetAxisCode(unsigned code);
    // 1065 or 1068 when a detector vibrates along Z, else 0.
    int ZVibration() const;

    // Reading minus reference of `obs`; uncalibrated: microvolts at the probe tip per
    // component; calibrated: (X, Y, total current density in uA/sq.cm., angle in degrees).
    CDVector4 ComputeCurrentDensity(const CWireReading& obs, bool calibrated) const;
    CDVector4 ComputeCurrentDensity(const CDVector4& difference, bool calibrated) const;

    // Every calibration field of `other` (time stamp and positions are not copied).
    void CopyCalibrationFrom(const CWireCalibration& other);
    // Every stored value is equal (time stamps, positions and the unstored magnitudes aside).
    bool SameValues(const CWireCalibration& other) const;

    // ---- Settings (WireCalibrationSettings.cpp) ---------------------------------------------
    // "Line 0" to "Line 5" of "Voltage Probe Calibration", then the rules under "Calibration ".
    bool SaveSettings() const;
    // False when "Line 0" is missing. Lines that are there but unusable go to `problems`.
    bool LoadSettings(std::string* problems = nullptr);
    static std::unique_ptr<CWireCalibration> NewFromSettings(std::string* problems = nullptr);

    uint16_t xVibAxis = kXVibAxisY;
    uint16_t yVibAxis = kYVibAxisZ;
    int xCal = 0;
    int yCal = 0;
    double XXphase = 0.0, XXuAperV = 0.0;
    double XYphase = 0.0, XYuAperV = 0.0;
    double YXphase = 0.0, YXuAperV = 0.0;
    double YYphase = 0.0, YYuAperV = 0.0;
    double xVibAng = 0.0, yVibAng = 0.0;
    double xMX = 0.0, yMX = 0.0, xMY = 0.0, yMY = 0.0;  // not stored
    double Xmicrons = 150.0, Ymicrons = 150.0;
    double XnanoAmps = 60.0, YnanoAmps = 60.0;
    double Resistivity = 100.0;
    double SystemGain = 50000.0;
    CDataDocument* document = nullptr;  // the holder, not stored
    CSampRulesWire rules;
    CDVector4 srcpos;
    CDVector4 probeOffset;
    CDVector4 refReading;
};

// Who edits a calibration's stored values (the station, which must make an edited last
// calibration its own); empty: nobody.
void SetWireCalibrationEditor(std::function<bool(CWireCalibration&, CDataDocument*)> editor);

// The station's current CDP reference reading, key "Reference" beside the calibration.
bool SaveWireReferenceLine(const CDVector4& reading);
// False when the key is missing (reading unchanged).
bool LoadWireReferenceLine(CDVector4& reading, std::string* problems = nullptr);
