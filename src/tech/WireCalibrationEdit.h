#pragma once
// "Edit Current Density Probe Calibration", opened by a double click on a calibration in a
// document's list: the four gains ("mV per uA/cm^2", i.e. divided by resistivity and system
// gain) and phases (degrees), the system gain and the resistivity, "Set to ... ohm-cm assuming
// this was" to rescale the gains to another medium, and "Load current settings from .INI file".
//
// A box left as shown keeps its value exactly: the texts are rounded and the degree factors
// are not exact inverses, so reading every box back would shift every value a little at each
// OK.

#include <array>
#include <string>

#include "obs/WireCalibration.h"

class CStation;
enum class EPsd;

class CWireCalibrationEditLogic {
  public:
    static constexpr const char* kTitle = "Edit Current Density Probe Calibration";
    // The detector and current-direction pairs, in the order of the arrays below.
    enum EPair { kXX = 0, kXY = 1, kYX = 2, kYY = 3 };

    explicit CWireCalibrationEditLogic(const CWireCalibration& calibration);

    std::array<std::string, 4> gain;   // "mV per uA/cm^2"
    std::array<std::string, 4> phase;  // degrees
    std::string systemGain;            // "System Gain:" (1835)
    std::string resistivity;           // "Resistivity:" (1107)
    std::string setTo;                 // "Set to" ... (1745)
    std::string assumingWas;           // "ohm-cm assuming this was" ... (1746)

    // The values shown but not edited here: vibration angles (degrees), currents (nA) and
    // distances (microns) of the calibration the boxes came from.
    const CWireCalibration& Shown() const { return source; }
    std::string VibAngleText(EPsd psd) const;
    std::string CurrentText(EPsd psd) const;
    std::string DistanceText(EPsd psd) const;

    // "Set to": the four gains times (Set to) / (assuming this was), the resistivity takes the
    // Set to value. Both must be resistivities above 0. False with `error`; nothing changes.
    bool SetTo(std::string& error);
    // "Load current settings from .INI file": every box from the settings lines.
    void LoadFromSettings();

    // OK: on success `result` holds the calibration with the edited values.
    bool Accept(std::string& error);
    CWireCalibration result;

  private:
    // A box's text as last shown and the stored value it stands for.
    struct SShown {
        std::string text;
        double stored = 0.0;
    };
    void ShowValues(const CWireCalibration& calibration);
    // The stored value of a box: exactly the shown one when untouched, else the typed number
    // times `factor`. False with `error` for a text that is not a number.
    static bool StoredValue(const std::string& text, const SShown& shown, double factor,
                            const char* label, double& value, std::string& error);

    CWireCalibration source;
    // Resistivity times system gain of the calibration the shown gains were divided by.
    double scale = 1.0;
    std::array<SShown, 4> shownGain, shownPhase;
    SShown shownRho, shownSg;
};

// EditValues: the dialog on `calibration`; on OK the values go back into it and `document` is
// marked modified. When it is the document's last calibration it is saved to the settings and
// the station goes on with it. False when cancelled.
bool EditWireCalibration(CWireCalibration& calibration, CDataDocument* document, CStation& station);
