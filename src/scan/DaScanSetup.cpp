#include "scan/DaScanSetup.h"

#include <cmath>
#include <cstdint>

#include "obs/ObsDoc.h"
#include "obs/ObsDocSettings.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "tech/DialogFields.h"
#include "tech/Station.h"

namespace {

// Volts as the entries show them: three decimals, as the log entries give them.
std::string VoltsText(double volts) {
    return std::isfinite(volts) ? StrPrintf("%.3lf", volts) : std::string();
}

}  // namespace

CDaScanSetupLogic::CDaScanSetupLogic(const CObsDoc& doc, CStation& station, double daRange)
    : channel(std::to_string(doc.daChannel)),
      start(VoltsText(doc.daStart)),
      end(VoltsText(doc.daEnd)),
      points(std::to_string(doc.daPoints)),
      increment(doc.daIncrement == kManual ? kManual : kAutomatic),
      interval(std::isfinite(doc.daInterval) ? FormatNumber(doc.daInterval) : std::string()),
      recordRawAD(doc.daRecordRawAD),
      recordCDP(doc.daRecordCDP),
      reset(doc.daReset != 0),
      resetVolts(VoltsText(doc.daResetVolts)),
      cycle(doc.daCycle != 0),
      times(std::to_string(doc.daTimes)),
      station(station),
      daRange(std::isfinite(daRange) ? std::fabs(daRange) : 0.0) {}

bool CDaScanSetupLogic::EditRawADRules() {
    if (!station.rawADRules) return false;
    return station.EditRawADRules(*station.rawADRules, "Point ");
}

bool CDaScanSetupLogic::EditCdpRules() {
    if (!station.wireRules) return false;
    return station.EditWireRules(*station.wireRules, kPointRulesKey);
}

double CDaScanSetupLogic::SamplingTime() const {
    if (recordCDP) return station.wireRules ? station.wireRules->GetNumber(false) : 0.0;
    if (recordRawAD) return station.rawADRules ? station.rawADRules->GetNumber() : 0.0;
    return 0.0;
}

bool CDaScanSetupLogic::Volts(const std::string& text, const char* label, const char* entry,
                              double& value, std::string& error) {
    // Volts beyond the output's range would be put out at its end, not where the log says.
    const std::optional<double> v = ParseNumberEntry(text);
    if (!v || std::fabs(*v) > daRange) {
        error = StrPrintf("Please enter volts from %.3lf to %.3lf for \"%s\" (not \"%s\").",
                          -daRange, daRange, label, TrimmedEntry(text).c_str());
        badEntry = entry;
        return false;
    }
    value = *v;
    return true;
}

bool CDaScanSetupLogic::Accept(std::string& error) {
    badEntry.clear();
    SDaScanPlan p;
    int64_t whole = 0;
    if (!ParseIntegerField(channel, "D/A Channel:", 0, 1, whole, error)) {
        badEntry = "channel";
        return false;
    }
    p.channel = static_cast<int>(whole);
    if (!Volts(start, "Scan Start:", "start", p.start, error) ||
        !Volts(end, "Scan End:", "end", p.end, error))
        return false;
    // One point has no step to the next: the voltage of each point would be undefined.
    if (!ParseIntegerField(points, "Number of points in scan:", 2, kMaxPoints, whole, error)) {
        badEntry = "points";
        return false;
    }
    p.points = static_cast<int>(whole);
    p.automatic = increment != kManual;
    const std::optional<double> seconds = ParseNumberEntry(interval);
    if (!seconds || *seconds < 0.0 || *seconds > kMaxInterval) {
        error =
            StrPrintf("Please enter seconds from 0 to %.0lf for \"Automatic every\" (not \"%s\").",
                      kMaxInterval, TrimmedEntry(interval).c_str());
        badEntry = "interval";
        return false;
    }
    p.interval = *seconds;
    p.recordRawAD = recordRawAD;
    p.recordCDP = recordCDP;
    p.reset = reset;
    if (!Volts(resetVolts, "Reset to", "resetVolts", p.resetVolts, error)) return false;
    p.cycle = cycle;
    if (!ParseIntegerField(times, "times", 1, kMaxTimes, whole, error)) {
        badEntry = "times";
        return false;
    }
    p.times = static_cast<int>(whole);

    // Rounding of the two times' sums must not refuse an interval typed as their total.
    const double sampling = SamplingTime();
    if (p.automatic && p.interval < sampling - 1e-9) {
        error = StrPrintf(
            "Automatic increment interval (%.2lf sec) must allow\nfor data sampling time (%.2lf "
            "sec).",
            p.interval, sampling);
        badEntry = "interval";
        return false;
    }
    plan = p;
    return true;
}

void CDaScanSetupLogic::Store(CObsDoc& doc) const {
    doc.daChannel = plan.channel;
    doc.daStart = plan.start;
    doc.daEnd = plan.end;
    doc.daPoints = plan.points;
    doc.daIncrement = plan.automatic ? kAutomatic : kManual;
    doc.daInterval = plan.interval;
    doc.daRecordRawAD = plan.recordRawAD;
    doc.daRecordCDP = plan.recordCDP;
    doc.daReset = plan.reset ? 1 : 0;
    doc.daResetVolts = plan.resetVolts;
    doc.daCycle = plan.cycle ? 1 : 0;
    doc.daTimes = plan.times;
}

void CDaScanSetupLogic::Apply(CObsDoc& doc) const {
    Store(doc);
    SaveObsDocLines(doc);
}
