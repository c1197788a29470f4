#include "tech/IonRulesLogic.h"

#include <cctype>
#include <climits>
#include <cmath>
#include <new>

#include "hw/AdBoard.h"
#include "hw/Devices.h"
#include "obs/DataDocument.h"
#include "obs/IonObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "tech/DialogFields.h"
#include "tech/IonDialogs.h"
#include "tech/IonStation.h"
#include "tech/Station.h"

namespace {

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    const size_t last = text.find_last_not_of(" \t");
    return text.substr(first, last - first + 1);
}

std::string Hex(int value) {
    return StrPrintf("%X", static_cast<unsigned>(value));
}

// A hexadecimal number from 0 to `max` (digits only, no sign).
bool ParseHexField(const std::string& text, const char* label, int max, int& value,
                   std::string& error) {
    const std::string t = Trimmed(text);
    bool ok = !t.empty() && t.size() <= 8;
    unsigned long v = 0;
    for (char c : t) {
        if (!std::isxdigit(static_cast<unsigned char>(c))) {
            ok = false;
            break;
        }
        v = v * 16 + static_cast<unsigned long>(std::isdigit(static_cast<unsigned char>(c))
                                                    ? c - '0'
                                                    : std::toupper(c) - 'A' + 10);
    }
    if (!ok || v > static_cast<unsigned long>(max)) {
        error = StrPrintf("Please enter a hexadecimal number from 0 to %X for \"%s\" (not \"%s\").",
                          static_cast<unsigned>(max), label, t.c_str());
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

// Names are kept in velm.ini lines and export cells: no line ends or other control characters.
bool PlainName(const std::string& name) {
    for (unsigned char c : name)
        if (c < 0x20 || c == 0x7F) return false;
    return true;
}

bool InRange(double v, double low, double high) {
    return v >= low && v <= high;
}

}  // namespace

// ---- "Add Cartesian Point to Path" -------------------------------------------------------------

CIonPointLogic::CIonPointLogic(const CSampPointIon& p, int boardPort)
    : name(p.name),
      wait(FormatNumber(p.wait)),
      average(FormatNumber(p.average)),
      adChannel(std::to_string(p.adChan)),
      daChannel(std::to_string(p.daChan)),
      adGain(FormatNumber(p.adGain)),
      daGain(FormatNumber(p.daGain)),
      write(p.io != 0),
      assertData(Hex(p.dataA)),
      standbyData(Hex(p.dataS)),
      port(Hex(p.port)),
      point(p),
      boardPort(boardPort) {
    for (int i = 0; i < 4; ++i)
        move[i] = FormatNumber(p.offset[i]);
}

bool CIonPointLogic::Accept(std::string& error) {
    CSampPointIon p = point;
    const char* moveLabels[4] = {"dX", "dY", "dZ", "dW"};
    for (int i = 0; i < 4; ++i)
        if (!ParseNumberField(move[i], moveLabels[i], p.offset[i], error)) return false;
    int64_t ad = 0, da = 0;
    if (!ParseNumberField(wait, "Wait", p.wait, error) ||
        !ParseNumberField(average, "average for", p.average, error) ||
        !ParseIntegerField(adChannel, "Read A/D channel", -1, 7, ad, error) ||
        !ParseIntegerField(daChannel, "add D/A channel", -1, 1, da, error) ||
        !ParseNumberField(adGain, "A/D channel gain:", p.adGain, error) ||
        !ParseNumberField(daGain, "D/A channel gain:", p.daGain, error) ||
        !ParseHexField(assertData, "hex (assert)", 0xFF, p.dataA, error) ||
        !ParseHexField(standbyData, "(hex) standby to port", 0xFF, p.dataS, error) ||
        !ParseHexField(port, "port", 0xFFFF, p.port, error))
        return false;
    p.adChan = static_cast<int>(ad);
    p.daChan = static_cast<int>(da);
    p.io = write ? 1 : 0;
    p.name = name;
    if (!PlainName(p.name)) {
        error = "A sample name cannot hold tabs or other control characters.";
        return false;
    }
    // Every value read is divided by its gain.
    if (p.adGain == 0.0 || p.daGain == 0.0) {
        error = "The A/D and D/A channel gains cannot be 0.";
        return false;
    }
    if (!InRange(p.wait, 0.0, CAdBoard::kMaxPeriodSec) ||
        !InRange(p.average, 0.0, CAdBoard::kMaxPeriodSec)) {
        error = "The wait and the average must be from 0 to 86400 seconds.";
        return false;
    }
    if (p.adChan >= 0 && p.average < 0.001) {
        error = "A point that reads an A/D channel must average for at least 0.001 seconds.";
        return false;
    }
    // Addresses below 100 (hex) belong to the PC's own chips.
    if (p.port != boardPort && p.port < 0x100) {
        error = StrPrintf(
            "The port must be the A/D board's digital port (%X) or an address from "
            "100 to FFFF.",
            static_cast<unsigned>(boardPort));
        return false;
    }
    point = p;
    return true;
}

// ---- "Add Gradient Calculation" ---------------------------------------------------------------

CGradCalcLogic::CGradCalcLogic(const CGradCalcIon& c, const std::vector<CSampPointIon>& points)
    : name(c.name), first(c.first), second(c.second), calc(c) {
    for (const CSampPointIon& p : points) {
        std::string line;
        p.Describe(line);
        choices.push_back(line);
        pointNames.push_back(p.name);
    }
}

bool CGradCalcLogic::Accept(std::string& error) {
    const int n = static_cast<int>(pointNames.size());
    if (first < 0 || first >= n || second < 0 || second >= n) {
        error = "Choose the first and the second sample of the calculation.";
        return false;
    }
    if (!PlainName(name)) {
        error = "A calculation name cannot hold tabs or other control characters.";
        return false;
    }
    calc.name = name.empty() ? pointNames[static_cast<size_t>(first)] + "-" +
                                   pointNames[static_cast<size_t>(second)]
                             : name;
    calc.first = first;
    calc.second = second;
    return true;
}

// ---- "ISP/PVP Sampling Rules" -----------------------------------------------------------------

CIonRulesLogic::CIonRulesLogic(const CSampRulesIon& r, int boardPort)
    : rotation(FormatNumber(r.rot)),
      tilt(FormatNumber(r.tilt)),
      bathWait(FormatNumber(std::fabs(r.bathWait))),
      bathAverage(FormatNumber(r.bathAvg)),
      da0From(r.da0From != 0),
      da0Channel(std::to_string(r.da0AdChan)),
      da1From(r.da1From != 0),
      da1Channel(std::to_string(r.da1AdChan)),
      bathBefore(r.bathBefore != 0),
      bathAfter(r.bathAfter != 0),
      csys(r.csys == kCoordRelative ? kCoordRelative : kCoordAbsolute),
      moveType(r.moveType == kMoveLinear ? kMoveLinear : kMoveTrack),
      repetitions(std::to_string(r.pathReps)),
      useRef(r.useRef != 0),
      applyCal(r.applyCal != 0),
      probeName(r.name),
      boardPort(boardPort) {
    rules.CopyRulesFrom(r);
    for (const auto& p : r.points)
        points.push_back(*p);
    for (const auto& c : r.calcs)
        calcs.push_back(*c);
}

std::string CIonRulesLogic::PathHeader() const {
    return csys == kCoordRelative
               ? "Name    dX      dY      dZ      dW       wait     average    a/d   d/a"
               : "Name     X       Y       Z       W       wait     average    a/d   d/a";
}

std::vector<std::string> CIonRulesLogic::PointLines() const {
    std::vector<std::string> lines;
    for (const CSampPointIon& p : points) {
        std::string line;
        p.Describe(line);
        lines.push_back(line);
    }
    return lines;
}

std::vector<std::string> CIonRulesLogic::CalcLines() const {
    std::vector<std::string> lines;
    auto pointName = [&](int i) {
        return i >= 0 && i < static_cast<int>(points.size()) ? points[static_cast<size_t>(i)].name
                                                             : std::string("?");
    };
    for (const CGradCalcIon& c : calcs)
        lines.push_back(StrPrintf("%s:  %d (%s)    %d (%s)", c.name.c_str(), c.first + 1,
                                  pointName(c.first).c_str(), c.second + 1,
                                  pointName(c.second).c_str()));
    return lines;
}

bool CIonRulesLogic::AddPoint() {
    if (points.size() >= static_cast<size_t>(kMaxIonPoints)) {
        Prompt().Message(StrPrintf("A path holds at most %d points.", kMaxIonPoints),
                         EPromptIcon::Exclamation);
        return false;
    }
    CSampPointIon start;
    start.port = boardPort;
    LoadIonPointDefaults(probeName, start);
    start.name = StrPrintf("Sample%d", static_cast<int>(points.size()) + 1);
    start.offset = CDVector4();
    CIonPointLogic logic(start, boardPort);
    if (!IonDialogs().EditPoint(logic)) return false;
    try {
        points.push_back(logic.point);
    } catch (const std::bad_alloc&) {
        Prompt().Message("Memory error - unable to add point to list.", EPromptIcon::Exclamation);
        return false;
    }
    SaveIonPointDefaults(probeName, logic.point);
    selectedPoint = static_cast<int>(points.size()) - 1;
    return true;
}

bool CIonRulesLogic::EditPoint(int index) {
    if (index < 0 || index >= static_cast<int>(points.size())) return false;
    CIonPointLogic logic(points[static_cast<size_t>(index)], boardPort);
    if (!IonDialogs().EditPoint(logic)) return false;
    points[static_cast<size_t>(index)] = logic.point;
    return true;
}

bool CIonRulesLogic::DeletePoint() {
    if (selectedPoint < 0 || selectedPoint >= static_cast<int>(points.size())) {
        Prompt().Message("Select a sampling point to delete.", EPromptIcon::Exclamation);
        return false;
    }
    if (Prompt().Ask("This may disrupt Gradient Calculations!", EPromptButtons::OkCancel,
                     EPromptIcon::Exclamation) != EPromptAnswer::Ok)
        return false;
    const int gone = selectedPoint;
    points.erase(points.begin() + gone);
    // A calculation with the point is meaningless now; the others follow the renumbering.
    std::vector<CGradCalcIon> kept;
    for (CGradCalcIon c : calcs) {
        if (c.first == gone || c.second == gone) continue;
        if (c.first > gone) --c.first;
        if (c.second > gone) --c.second;
        kept.push_back(c);
    }
    calcs = std::move(kept);
    selectedPoint = -1;
    selectedCalc = -1;
    return true;
}

bool CIonRulesLogic::AddCalc() {
    if (points.size() < 2) {
        Prompt().Message("Not enough points in path to calculate gradient.",
                         EPromptIcon::Exclamation);
        return false;
    }
    if (calcs.size() >= static_cast<size_t>(kMaxIonCalcs)) {
        Prompt().Message(
            StrPrintf("The rules hold at most %d gradient calculations.", kMaxIonCalcs),
            EPromptIcon::Exclamation);
        return false;
    }
    CGradCalcIon start;
    start.name = StrPrintf("Gradient%d", static_cast<int>(calcs.size()) + 1);
    CGradCalcLogic logic(start, points);
    if (!IonDialogs().EditCalc(logic)) return false;
    calcs.push_back(logic.calc);
    selectedCalc = static_cast<int>(calcs.size()) - 1;
    return true;
}

bool CIonRulesLogic::EditCalc(int index) {
    if (index < 0 || index >= static_cast<int>(calcs.size())) return false;
    CGradCalcLogic logic(calcs[static_cast<size_t>(index)], points);
    if (!IonDialogs().EditCalc(logic)) return false;
    calcs[static_cast<size_t>(index)] = logic.calc;
    return true;
}

bool CIonRulesLogic::DeleteCalc() {
    if (selectedCalc < 0 || selectedCalc >= static_cast<int>(calcs.size())) {
        Prompt().Message("Select a gradient calculation to delete.", EPromptIcon::Exclamation);
        return false;
    }
    calcs.erase(calcs.begin() + selectedCalc);
    selectedCalc = -1;
    return true;
}

std::vector<SIonPreviewPoint> CIonRulesLogic::Preview(bool tiltView) const {
    double rot = 0.0, t = 0.0;
    std::string error;
    if (!ParseNumberField(rotation, "Rotation", rot, error)) return {};
    if (tiltView && !ParseNumberField(tilt, "Tilt", t, error)) return {};
    const bool aboutY = CSampRulesIon::TiltAboutY();
    std::vector<SIonPreviewPoint> shown{{"Origin", 0.0, 0.0}};
    CDVector4 position;
    for (const CSampPointIon& p : points) {
        const CDVector4 step = p.offset.Rotate(rot, t, aboutY);
        position = csys == kCoordRelative ? position + step : step;
        if (tiltView)
            shown.push_back({p.name, aboutY ? position.x : position.y, position.z});
        else
            shown.push_back({p.name, position.x, position.y});
    }
    return shown;
}

bool CIonRulesLogic::Accept(std::string& error) {
    double rot = 0, t = 0, wait = 0, avg = 0;
    int64_t ch0 = 0, ch1 = 0, reps = 0;
    if (!ParseNumberField(rotation, "Rotation", rot, error) ||
        !ParseNumberField(tilt, "Tilt", t, error) ||
        !ParseNumberField(bathWait, "Wait", wait, error) ||
        !ParseNumberField(bathAverage, "sec, average for", avg, error) ||
        !ParseIntegerField(da0Channel, "D/A chan 0 from A/D chan", 0, 7, ch0, error) ||
        !ParseIntegerField(da1Channel, "D/A chan 1 from A/D chan", 0, 7, ch1, error) ||
        !ParseIntegerField(repetitions, "repetitions", 1, kMaxIonPathReps, reps, error))
        return false;
    if (!InRange(rot, -180.0, 180.0) || !InRange(t, -180.0, 180.0)) {
        error = "The rotation and the tilt must be from -180 to 180 degrees.";
        return false;
    }
    if (!InRange(wait, 0.0, CAdBoard::kMaxPeriodSec) ||
        !InRange(avg, 0.001, CAdBoard::kMaxPeriodSec)) {
        error = "The bath update waits 0 to 86400 seconds and averages for 0.001 to 86400 seconds.";
        return false;
    }
    if (points.size() < 2) {
        error = "Minimum of 2 (two) sampling points required.";
        return false;
    }
    if (calcs.empty()) {
        error = "Minimum of 1 (one) gradient calculation required.";
        return false;
    }
    if (points.size() * static_cast<size_t>(reps) > kMaxIonValues) {
        error = StrPrintf(
            "%d repetitions of %d points are more values than one observation "
            "holds (%zu).",
            static_cast<int>(reps), static_cast<int>(points.size()), kMaxIonValues);
        return false;
    }
    rules.rot = rot;
    rules.tilt = t;
    rules.bathWait = wait;
    rules.bathAvg = avg;
    rules.da0From = da0From;
    rules.da0AdChan = static_cast<int>(ch0);
    rules.da1From = da1From;
    rules.da1AdChan = static_cast<int>(ch1);
    rules.bathBefore = bathBefore;
    rules.bathAfter = bathAfter;
    rules.csys = csys;
    rules.moveType = moveType;
    rules.pathReps = static_cast<int>(reps);
    rules.useRef = useRef;
    rules.applyCal = applyCal;
    rules.points.clear();
    for (const CSampPointIon& p : points)
        rules.points.push_back(std::make_unique<CSampPointIon>(p));
    rules.calcs.clear();
    for (const CGradCalcIon& c : calcs)
        rules.calcs.push_back(std::make_unique<CGradCalcIon>(c));
    return true;
}

// ---- Edit and Open
// -------------------------------------------------------------------------------

namespace {

int BoardPort(CStation& station) {
    CDevices* devices = station.Devices();
    return devices ? devices->AdBoard().GetDigitalPort() : 0x378;
}

// The edited values into `rules`, keeping their reference mark.
void TakeValues(CSampRulesIon& rules, const CSampRulesIon& edited) {
    const bool reference = rules.MakesReferences();
    const std::string name = rules.name;
    rules.CopyRulesFrom(edited);
    rules.name = name;
    rules.bathWait = reference ? -std::fabs(rules.bathWait) : std::fabs(rules.bathWait);
}

}  // namespace

bool EditIonRulesOnStation(CStation& station, CSampRulesIon& rules) {
    if (rules.name.empty()) {
        const std::string name = station.ChooseProbe("");
        if (name.empty()) return false;
        rules.name = name;
    }
    CSampRulesIon shown;
    shown.CopyRulesFrom(rules);
    shown.LoadSettings();
    CIonRulesLogic logic(shown, BoardPort(station));
    if (!IonDialogs().EditRules(logic)) return false;
    TakeValues(rules, logic.rules);
    rules.StampNow();
    rules.StampPositions();
    station.Ion().KeepRules(rules);
    station.AddProbeName(rules.name);
    return true;
}

bool OpenStoredIonRules(CStation& station, CSampRulesIon& rules, CDataDocument* document) {
    CSampRulesIon shown;
    shown.CopyRulesFrom(rules);
    shown.index = rules.index;
    if (shown.name.empty()) {
        shown.name = station.ChooseProbe("");
        if (shown.name.empty()) return false;
    }
    CIonRulesLogic logic(shown, BoardPort(station));
    if (!IonDialogs().EditRules(logic)) return false;
    CSampRulesIon edited;
    edited.CopyRulesFrom(rules);
    edited.index = rules.index;
    TakeValues(edited, logic.rules);
    edited.name = shown.name;
    if (edited.SameRules(rules)) return false;
    if (Prompt().Ask("Save changes (cannot undo later) ?", EPromptButtons::YesNo,
                     EPromptIcon::Question) != EPromptAnswer::Yes)
        return false;
    rules.CopyRulesFrom(edited);
    if (document) {
        document->SetModifiedFlag(true);
        // A name given here files the rules under that probe.
        document->RebuildRegister();
        document->UpdateAllViews();
    }
    return true;
}
