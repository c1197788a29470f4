#include "obs/WireCalibration.h"

#include <cmath>

#include "obs/ObsRegister.h"
#include "obs/WireObs.h"
#include "platform/Format.h"

namespace {
std::function<bool(CWireCalibration&, CDataDocument*)>& Editor() {
    static std::function<bool(CWireCalibration&, CDataDocument*)> editor;
    return editor;
}
}  // namespace

void SetWireCalibrationEditor(std::function<bool(CWireCalibration&, CDataDocument*)> editor) {
    Editor() = std::move(editor);
}

bool CWireCalibration::EditValues(CDataDocument* holder) {
    return Editor() ? Editor()(*this, holder) : false;
}

bool CWireCalibration::Open(CDataDocument* holder, unsigned options) {
    if (!Editor()) return CVelmObs::Open(holder, options);
    EditValues(holder);
    return true;
}

void CWireCalibration::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    if (ar.IsStoring()) {
        ar.WriteWord(AxisCode());
    } else {
        SetAxisCode(ar.ReadWord());
    }
    ar.Word(xCal);
    ar.Word(yCal);
    for (double* d : {&XXphase, &XXuAperV, &XYphase, &XYuAperV, &YXphase, &YXuAperV, &YYphase,
                      &YYuAperV, &xVibAng, &yVibAng, &Xmicrons, &Ymicrons, &XnanoAmps, &YnanoAmps,
                      &Resistivity, &SystemGain})
        ar.Double(*d);
    rules.Serialize(ar);
    ar.Vector(srcpos);
    ar.Vector(probeOffset);
    ar.Vector(refReading);
}

uint16_t CWireCalibration::AxisCode() const {
    return static_cast<uint16_t>((yVibAxis - 1000) * 256 + (xVibAxis - 1000));
}

void CWireCalibration::SetAxisCode(unsigned code) {
    if (code == 1062) {
        xVibAxis = kXVibAxisZ;
        yVibAxis = kYVibAxisY;
    } else if (code == 1065) {
        xVibAxis = kXVibAxisX;
        yVibAxis = kYVibAxisZ;
    } else {
        xVibAxis = static_cast<uint16_t>(code % 256 + 1000);
        yVibAxis = static_cast<uint16_t>(code / 256 + 1000);
    }
}

int CWireCalibration::ZVibration() const {
    if (xVibAxis == kXVibAxisZ) return kXVibAxisZ;
    if (yVibAxis == kYVibAxisZ) return kYVibAxisZ;
    return 0;
}

CDVector4 CWireCalibration::ComputeCurrentDensity(const CWireReading& obs, bool calibrated) const {
    return ComputeCurrentDensity(obs.reading - obs.reference, calibrated);
}

CDVector4 CWireCalibration::ComputeCurrentDensity(const CDVector4& d, bool calibrated) const {
    const double a = d.x, b = d.y, c = d.z, e = d.w;
    if (!calibrated) {
        return CDVector4(a * 1000000.0 / SystemGain, b * 1000000.0 / SystemGain,
                         c * 1000000.0 / SystemGain, e * 1000000.0 / SystemGain);
    }
    const double rho = Resistivity, sg = SystemGain;
    const double x = (a * std::sin(XXphase) + b * std::cos(XXphase)) * XXuAperV / rho / sg +
                     (c * std::sin(YXphase) + e * std::cos(YXphase)) * YXuAperV / rho / sg;
    const double y = (a * std::sin(XYphase) + b * std::cos(XYphase)) * XYuAperV / rho / sg +
                     (c * std::sin(YYphase) + e * std::cos(YYphase)) * YYuAperV / rho / sg;
    const double total = std::sqrt(x * x + y * y);
    double angle;
    if (x == 0.0) {
        angle = (y >= 0.0 ? 1.57079635 : 4.71238905) * kDegreesPerRadian;
    } else {
        const double radians = std::atan2(y, x);
        angle = radians * kDegreesPerRadian;
        if (radians < 0.0) angle += 360.0;
    }
    return CDVector4(x, y, total, angle);
}

void CWireCalibration::Describe(std::string& text, const CDataDocument* doc,
                                unsigned options) const {
    CVelmObs::Describe(text, doc, options);
    if (options & DetailFlags::kType) text += "CDP Calibration:  ";
    if (!WantsData(options)) return;
    const double k = Resistivity * SystemGain;
    StrAppendf(text, "XX: ph=%.1lf,av=%.1lf  XY: ph=%.1lf,av=%.1lf  ", XXphase * kDegreesPerRadian,
               XXuAperV / k, XYphase * kDegreesPerRadian, XYuAperV / k);
    StrAppendf(text, "YX: ph=%.1lf,av=%.1lf  YY: ph=%.1lf,av=%.1lf", YXphase * kDegreesPerRadian,
               YXuAperV / k, YYphase * kDegreesPerRadian, YYuAperV / k);
    StrAppendf(text, "rho: %.1lf  SG: %.0lf ", Resistivity, SystemGain);
    StrAppendf(text, "xuM: %.1lf  yuM: %.1lf  xnA: %.1lf  ynA: %.1lf ", Xmicrons, Ymicrons,
               XnanoAmps, YnanoAmps);
    StrAppendf(text, "srcpos: %.1lf %.1lf %.1lf %.1lf", srcpos.x, srcpos.y, srcpos.z, srcpos.w);
}

void CWireCalibration::AddToList(CObsRegister& reg) const {
    reg.Add(*this);
}

void CWireCalibration::CopyCalibrationFrom(const CWireCalibration& o) {
    xVibAxis = o.xVibAxis;
    yVibAxis = o.yVibAxis;
    xCal = o.xCal;
    yCal = o.yCal;
    XXphase = o.XXphase;
    XXuAperV = o.XXuAperV;
    XYphase = o.XYphase;
    XYuAperV = o.XYuAperV;
    YXphase = o.YXphase;
    YXuAperV = o.YXuAperV;
    YYphase = o.YYphase;
    YYuAperV = o.YYuAperV;
    xVibAng = o.xVibAng;
    yVibAng = o.yVibAng;
    xMX = o.xMX;
    yMX = o.yMX;
    xMY = o.xMY;
    yMY = o.yMY;
    Xmicrons = o.Xmicrons;
    Ymicrons = o.Ymicrons;
    XnanoAmps = o.XnanoAmps;
    YnanoAmps = o.YnanoAmps;
    Resistivity = o.Resistivity;
    SystemGain = o.SystemGain;
    document = o.document;
    rules.CopyRulesFrom(o.rules);
    srcpos = o.srcpos;
    probeOffset = o.probeOffset;
    refReading = o.refReading;
}

std::unique_ptr<CVelmObs> CWireCalibration::Clone() const {
    auto copy = std::make_unique<CWireCalibration>();
    copy->CopyCalibrationFrom(*this);
    return copy;
}
