// The CDP calibration and the current CDP reference in velm.ini.

#include <cmath>
#include <cstdio>
#include <initializer_list>

#include "obs/WireCalibration.h"
#include "settings/Profile.h"
#include "settings/SettingsLines.h"

namespace {

bool AllFinite(std::initializer_list<double> values) {
    for (double v : values)
        if (!std::isfinite(v)) return false;
    return true;
}

// Scans one line into `fields` (all or nothing beyond the first mismatch, as scanf does).
// A non-finite number keeps the field's old value. False when the key is missing.
bool ReadDoublesLine(const char* key, const char* format, std::initializer_list<double*> fields,
                     std::string* problems) {
    const auto text = ReadSettingsText(kWireCalibrationSection, key);
    if (!text) return false;
    double v[5] = {};
    size_t i = 0;
    for (double* f : fields)
        v[i++] = *f;
    const int n = std::sscanf(text->c_str(), format, &v[0], &v[1], &v[2], &v[3], &v[4]);
    bool usable = n == static_cast<int>(fields.size());
    i = 0;
    for (double* f : fields) {
        if (static_cast<int>(i) < n) {
            if (std::isfinite(v[i]))
                *f = v[i];
            else
                usable = false;
        }
        ++i;
    }
    if (!usable) AddSettingsProblem(problems, kWireCalibrationSection, key, *text);
    return true;
}

}  // namespace

bool CWireCalibration::SameValues(const CWireCalibration& o) const {
    return AxisCode() == o.AxisCode() && xCal == o.xCal && yCal == o.yCal && XXphase == o.XXphase &&
           XXuAperV == o.XXuAperV && XYphase == o.XYphase && XYuAperV == o.XYuAperV &&
           YXphase == o.YXphase && YXuAperV == o.YXuAperV && YYphase == o.YYphase &&
           YYuAperV == o.YYuAperV && xVibAng == o.xVibAng && yVibAng == o.yVibAng &&
           Xmicrons == o.Xmicrons && Ymicrons == o.Ymicrons && XnanoAmps == o.XnanoAmps &&
           YnanoAmps == o.YnanoAmps && Resistivity == o.Resistivity && SystemGain == o.SystemGain &&
           rules.SameRules(o.rules) && srcpos == o.srcpos && probeOffset == o.probeOffset &&
           refReading == o.refReading;
}

bool CWireCalibration::SaveSettings() const {
    CProfile& p = Profile();
    const char* s = kWireCalibrationSection;
    bool ok = p.WriteLine(s, "Line 0", "Zvib: %u  xCal: %d  yCal: %d  rho: %lf  SG: %lf",
                          static_cast<unsigned>(AxisCode()), xCal, yCal, Resistivity, SystemGain);
    ok = p.WriteLine(s, "Line 1", "xxPh: %lf  xxA/V: %lf  xyPh: %lf  xyA/V: %lf  xVibAng=%lf",
                     XXphase, XXuAperV, XYphase, XYuAperV, xVibAng) &&
         ok;
    ok = p.WriteLine(s, "Line 2", "yxPh: %lf  yxA/V: %lf  yyPh: %lf  yyA/V: %lf  yVibAng=%lf",
                     YXphase, YXuAperV, YYphase, YYuAperV, yVibAng) &&
         ok;
    ok = p.WriteLine(s, "Line 3", "xMX: %lf  yMX: %lf  xMY: %lf  yMY: %lf", xMX, yMX, xMY, yMY) &&
         ok;
    ok = p.WriteLine(s, "Line 4", "xuM: %lf  yuM: %lf  xnA: %lf  ynA: %lf", Xmicrons, Ymicrons,
                     XnanoAmps, YnanoAmps) &&
         ok;
    ok = p.WriteLine(s, "Line 5", "srcpos: %lf %lf %lf %lf", srcpos.x, srcpos.y, srcpos.z,
                     srcpos.w) &&
         ok;
    return rules.SaveSettings(kCalibrationRulesKey) && ok;
}

bool CWireCalibration::LoadSettings(std::string* problems) {
    const char* s = kWireCalibrationSection;
    const auto line0 = ReadSettingsText(s, "Line 0");
    if (!line0) return false;
    unsigned code = AxisCode();
    int xc = xCal, yc = yCal;
    double rho = Resistivity, sg = SystemGain;
    const int n = std::sscanf(line0->c_str(), "Zvib: %u  xCal: %d  yCal: %d  rho: %lf  SG: %lf",
                              &code, &xc, &yc, &rho, &sg);
    if (n >= 1) SetAxisCode(code & 0xFFFF);
    if (n >= 2) xCal = xc;
    if (n >= 3) yCal = yc;
    if (n >= 4 && std::isfinite(rho)) Resistivity = rho;
    if (n >= 5 && std::isfinite(sg)) SystemGain = sg;
    if (n != 5 || code > 0xFFFF || !AllFinite({rho, sg}))
        AddSettingsProblem(problems, s, "Line 0", *line0);

    // A missing "Line 1" or "Line 2" ends the reading there.
    if (!ReadDoublesLine("Line 1", "xxPh: %lf  xxA/V: %lf  xyPh: %lf  xyA/V: %lf  xVibAng=%lf",
                         {&XXphase, &XXuAperV, &XYphase, &XYuAperV, &xVibAng}, problems))
        return true;
    if (!ReadDoublesLine("Line 2", "yxPh: %lf  yxA/V: %lf  yyPh: %lf  yyA/V: %lf  yVibAng=%lf",
                         {&YXphase, &YXuAperV, &YYphase, &YYuAperV, &yVibAng}, problems))
        return true;
    ReadDoublesLine("Line 3", "xMX: %lf  yMX: %lf  xMY: %lf  yMY: %lf", {&xMX, &yMX, &xMY, &yMY},
                    problems);
    ReadDoublesLine("Line 4", "xuM: %lf  yuM: %lf  xnA: %lf  ynA: %lf",
                    {&Xmicrons, &Ymicrons, &XnanoAmps, &YnanoAmps}, problems);
    ReadDoublesLine("Line 5", "srcpos: %lf %lf %lf %lf",
                    {&srcpos.x, &srcpos.y, &srcpos.z, &srcpos.w}, problems);
    rules.LoadSettings(kCalibrationRulesKey, problems);
    return true;
}

std::unique_ptr<CWireCalibration> CWireCalibration::NewFromSettings(std::string* problems) {
    auto calibration = std::make_unique<CWireCalibration>();
    calibration->LoadSettings(problems);
    return calibration;
}

bool SaveWireReferenceLine(const CDVector4& r) {
    return Profile().WriteLine(kWireCalibrationSection, "Reference",
                               "xInPh=%lf  xQuad=%lf  yInPh=%lf  yQuad=%lf", r.x, r.y, r.z, r.w);
}

bool LoadWireReferenceLine(CDVector4& reading, std::string* problems) {
    return ReadDoublesLine("Reference", "xInPh=%lf  xQuad=%lf  yInPh=%lf  yQuad=%lf",
                           {&reading.x, &reading.y, &reading.z, &reading.w}, problems);
}
