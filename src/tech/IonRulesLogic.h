#pragma once
// "ISP/PVP Sampling Rules", "Add Cartesian Point to Path" and "Add Gradient Calculation": the
// fields as typed and what the buttons do, without the GUI. The rules dialog keeps its path and
// its calculations in step: deleting a point drops the calculations that used it and renumbers
// the others, so no calculation ever names a point the path does not have.

#include <string>
#include <vector>

#include "obs/SampRulesIon.h"

class CStation;
class CDataDocument;

// "Add Cartesian Point to Path".
class CIonPointLogic {
  public:
    // `boardPort`: the A/D board's own digital port, the one port below 100 (hex) a point may
    // write to.
    CIonPointLogic(const CSampPointIon& point, int boardPort);

    std::string name;         // "Sample Name:" (1714)
    std::string move[4];      // "Move By (microns):" dX, dY, dZ, dW (1260-1263)
    std::string wait;         // "Wait" (1265) "seconds, average for"
    std::string average;      // (1266)
    std::string adChannel;    // "Read A/D channel" (1369) "(-1 for none)"
    std::string daChannel;    // "add D/A channel" (1370) "(-1 for none)"
    std::string adGain;       // "A/D channel gain:" (1371)
    std::string daGain;       // "D/A channel gain:" (1372)
    bool write = false;       // "Write" (1739)
    std::string assertData;   // (1740) "hex (assert)"
    std::string standbyData;  // (1742) "(hex) standby to port"
    std::string port;         // (1741) "hex"

    // OK: on success `point` holds the entered values.
    bool Accept(std::string& error);
    CSampPointIon point;

  private:
    int boardPort;
};

// "Add Gradient Calculation".
class CGradCalcLogic {
  public:
    static constexpr const char* kPointHeader =
        "Name          X      Y      Z      W     wait    average";

    CGradCalcLogic(const CGradCalcIon& calc, const std::vector<CSampPointIon>& points);

    std::string name;                  // "Gradient Calculation Name:" (1715)
    int first = 0;                     // "First Sample:" (combo 1266)
    int second = 1;                    // "Minus Second Sample:" (combo 1267)
    std::vector<std::string> choices;  // the points as the combos list them

    // OK: two points of the path; an empty name becomes "<first>-<second>" of their names.
    bool Accept(std::string& error);
    CGradCalcIon calc;

  private:
    std::vector<std::string> pointNames;
};

// A point of the rotation or tilt preview: where the rotated path puts it, in the plane shown.
struct SIonPreviewPoint {
    std::string name;
    double across = 0.0;  // X (rotation) or X/Y along the tilt's axis (tilt)
    double up = 0.0;      // Y (rotation) or Z (tilt)
};

// "ISP/PVP Sampling Rules".
class CIonRulesLogic {
  public:
    static constexpr const char* kCheckCaption = "Gradient Probe Sampling Rules";

    CIonRulesLogic(const CSampRulesIon& rules, int boardPort);

    std::string rotation;            // Rotation (1251) "degrees from 3 o'clock", -180..180
    std::string tilt;                // Tilt (1252) "degrees from horizontal"
    std::string bathWait;            // Update Bath: "Wait" (1389)
    std::string bathAverage;         // "sec, average for" (1390)
    bool da0From = true;             // "D/A chan 0 from A/D chan" (1722)
    std::string da0Channel;          // (1723) 0..7
    bool da1From = false;            // "D/A chan 1 from A/D chan" (1725)
    std::string da1Channel;          // (1724) 0..7
    bool bathBefore = false;         // "At Beginning of Path" (1259)
    bool bathAfter = false;          // "At End of Path" (1388)
    uint16_t csys = kCoordAbsolute;  // "Absolute /" (1470) "Relative" (1471)
    int moveType = kMoveTrack;       // "Linear Interp" (1048) / "Tracking" (1049)
    std::string repetitions;         // (1484)
    bool useRef = false;             // "Subtract Reference Gradient" (1258)
    bool applyCal = false;           // "Apply Calibration" (1663)
    std::vector<CSampPointIon> points;
    std::vector<CGradCalcIon> calcs;
    int selectedPoint = -1;
    int selectedCalc = -1;

    const std::string& ProbeName() const { return probeName; }
    // The path list (1247): its header (by coordinate system) and one line per point.
    std::string PathHeader() const;
    std::vector<std::string> PointLines() const;
    // The calculations list (1248, "Initial #    Final #").
    std::vector<std::string> CalcLines() const;

    // "Add ...": "Add Cartesian Point to Path" with the probe's point defaults (stored back on
    // OK) and the next "Sample%d" name.
    bool AddPoint();
    // A double click: the point in "Add Cartesian Point to Path".
    bool EditPoint(int index);
    // "Delete ...": asks "This may disrupt Gradient Calculations!"; the calculations that used
    // the point go with it.
    bool DeletePoint();
    bool AddCalc();
    bool EditCalc(int index);
    bool DeleteCalc();

    // The path as rotated by the typed rotation (and tilt, for the tilt preview), origin first;
    // empty when the angles are no numbers.
    std::vector<SIonPreviewPoint> Preview(bool tiltView) const;

    // OK: on success `rules` holds the entered values (name and time stamp untouched).
    bool Accept(std::string& error);
    CSampRulesIon rules;

  private:
    std::string probeName;
    int boardPort;
};

// Edit(): "Select ISP/PVP By Name" when the rules have no name (Cancel ends), the dialog on the
// probe's rules from velm.ini, and on OK the values back into `rules` (keeping their reference
// mark), stamped and kept as the station's rules of the probe (written to velm.ini).
bool EditIonRulesOnStation(CStation& station, CSampRulesIon& rules);
// Open(): the dialog on rules stored in `document`; when something changed, "Save changes
// (cannot undo later) ?" (Yes/No), and Yes puts the values into the stored rules.
bool OpenStoredIonRules(CStation& station, CSampRulesIon& rules, CDataDocument* document);
