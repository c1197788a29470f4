// Export rows of the sampling rules and calibrations: the settings that were in force, written
// beside the measurements they produced so that an analysis can tell which held for which rows.

#include "obs/ExportFormat.h"
#include "obs/IonCalibration.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"

namespace {

using namespace ExportFlags;

void AppendCells(std::string& text, std::initializer_list<const char*> cells, char s) {
    for (const char* cell : cells) {
        text += cell;
        text += s;
    }
}

void AppendIntSep(std::string& text, long v, char s) {
    AppendInt(text, v);
    text += s;
}

void AppendTextSep(std::string& text, const std::string& v, char s) {
    text += v;
    text += s;
}

// The title of rules that carry a probe number: `name`, `kind`, the number when above 0.
void AppendNumberedTitle(std::string& text, const std::string& name, const char* kind, int index,
                         char s) {
    text += name;
    text += kind;
    if (index > 0) AppendInt(text, index);
    text += s;
}

}  // namespace

void CSampRulesWire::Export(std::string& text, const CDataDocument* document,
                            unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCells(text, {"CurDensSampRules"}, s);
    if (IsHeadingRow(options)) {
        AppendCells(text, {"WaitPeriod", "SamplePeriod", "RefPeriod", "FirstChan"}, s);
        return;
    }
    // The wait goes out in milliseconds although its column is named after the field.
    AppendLfSep(text, WaitPeriod * 1000, s);
    AppendLfSep(text, SamplePeriod, s);
    AppendLfSep(text, RefPeriod, s);
    AppendIntSep(text, FirstChan, s);
}

void CWireCalibration::Export(std::string& text, const CDataDocument* document,
                              unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendCells(text, {"CDPCalibration"}, s);
    if (IsHeadingRow(options)) {
        AppendCells(text, {"XXphase", "XXuAperV", "XYphase", "XYuAperV"}, s);
        AppendCells(text, {"YXphase", "YXuAperV", "YYphase", "YYuAperV"}, s);
        AppendCells(text, {"Resistivity", "SystemGain"}, s);
        AppendCells(text, {"Xmicrons", "Ymicrons", "XnanoAmps", "YnanoAmps"}, s);
        AppendCells(text, {"Xsource", "Ysource", "Zsource", "Wsource"}, s);
        return;
    }
    // As every text shows them: phases in degrees, gains without rho and SG.
    const double k = Resistivity * SystemGain;
    for (double v : {XXphase * kDegreesPerRadian, XXuAperV / k, XYphase * kDegreesPerRadian,
                     XYuAperV / k, YXphase * kDegreesPerRadian, YXuAperV / k,
                     YYphase * kDegreesPerRadian, YYuAperV / k, Resistivity, SystemGain, Xmicrons,
                     Ymicrons, XnanoAmps, YnanoAmps, srcpos.x, srcpos.y, srcpos.z, srcpos.w})
        AppendLfSep(text, v, s);
}

void CSampRulesIon::Export(std::string& text, const CDataDocument* document,
                           unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendNumberedTitle(text, name, "IonSampRules", SignedIndex(), s);
    if (IsHeadingRow(options)) {
        AppendCells(text,
                    {"Rotation", "Tilt", "PathReps", "DA0up", "DA0AD", "DA1up", "DA1AD",
                     "BathBefore", "BathAfter", "BathWait", "BathAvg"},
                    s);
        // One set of point columns names the repeating group of cells each point writes.
        AppendCells(text,
                    {"PointName", "dX", "dY", "dZ", "dW", "WaitSec", "AvgSec", "A/D", "D/A", "DIO",
                     "Port", "DataA"},
                    s);
        text += "DataS";
        return;
    }
    AppendLfSep(text, rot, s);
    AppendLfSep(text, tilt, s);
    AppendIntSep(text, pathReps, s);
    AppendTextSep(text, da0From ? "yes" : "no", s);
    AppendIntSep(text, da0AdChan, s);
    AppendTextSep(text, da1From ? "yes" : "no", s);
    AppendIntSep(text, da1AdChan, s);
    AppendTextSep(text, bathBefore ? "Before" : "None", s);
    AppendTextSep(text, bathAfter ? "After" : "None", s);
    AppendLfSep(text, bathWait, s);
    AppendLfSep(text, bathAvg, s);
    for (const auto& point : points) {
        AppendTextSep(text, point->name, s);
        const CDVector4& d = point->offset;
        for (double v : {d.x, d.y, d.z, d.w, point->wait, point->average})
            AppendLfSep(text, v, s);
        for (int v :
             {point->adChan, point->daChan, point->io, point->port, point->dataA, point->dataS})
            AppendIntSep(text, v, s);
    }
}

void CIonCalibration::Export(std::string& text, const CDataDocument* document,
                             unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    const bool comma = (options & kComma) != 0;
    if (options & kTitle) AppendNumberedTitle(text, name, "IonCalibration", 0, s);
    if (IsHeadingRow(options)) {
        AppendCells(text, {"Conc1", "Conc2", "Conc3", "Vconc1", "Vconc2", "Vconc3", "Use3"}, s);
        AppendCells(text, {"sampPeriod", "LoGainADChan", "HiGainADChan", "DAChan", "NernstSlope"},
                    s);
        text += "NernstIntercept";
        return;
    }
    for (double v : {conc1, conc2, conc3, volts1, volts2, volts3})
        AppendLfSep(text, v, s);
    AppendIntSep(text, use3, s);
    AppendLfSep(text, samplePeriod, s);
    for (int v : {loGainAdChan, hiGainAdChan, daChan})
        AppendIntSep(text, v, s);
    AppendLfSep(text, slope, s);
    AppendLf(text, intercept);
    // The tab form has always ended with a tab here, the comma form without a comma.
    if (!comma) text += s;
}

void CSampRulesRawAD::Export(std::string& text, const CDataDocument* document,
                             unsigned options) const {
    ExportCommonColumns(*this, text, document, options);
    const char s = ExportSeparator(options);
    if (options & kTitle) AppendNumberedTitle(text, "", "RawADSampRules", SignedIndex(), s);
    if (IsHeadingRow(options)) {
        AppendCells(text,
                    {"FirstChan", "LastChan", "WaitSec", "AvgSec", "BurstNum", "BurstFreq",
                     "Method1", "Method2"},
                    s);
        return;
    }
    AppendIntSep(text, FirstChan, s);
    AppendIntSep(text, LastChan, s);
    AppendLfSep(text, WaitSec, s);
    AppendLfSep(text, AvgSec, s);
    AppendIntSep(text, BurstNum, s);
    AppendLfSep(text, BurstFreq, s);
    AppendTextSep(text, average ? "Average" : "Burst", s);
    AppendTextSep(text, interleave ? "Interleave" : "Sequential", s);
}
