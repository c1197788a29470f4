#include "obs/SampRulesIon.h"

#include <cmath>

#include "obs/IonEditHooks.h"
#include "obs/ObsRegister.h"
#include "obs/Techniques.h"
#include "platform/Format.h"

namespace {
const char kPointVersion[] = "VELM Version 1.05";
bool tiltAboutYSetting = false;

std::function<double(const CDVector4&, const CDVector4&, int)>& MoveTimeEstimator() {
    static std::function<double(const CDVector4&, const CDVector4&, int)> estimate;
    return estimate;
}

bool StartsWith(const std::string& text, const char* prefix) {
    return text.rfind(prefix, 0) == 0;
}

bool IsPoint(const CSerializable& o) {
    return dynamic_cast<const CSampPointIon*>(&o) != nullptr;
}
bool IsCalc(const CSerializable& o) {
    return dynamic_cast<const CGradCalcIon*>(&o) != nullptr;
}

}  // namespace

void CSampPointIon::Serialize(CArchive& ar) {
    if (ar.IsStoring()) {
        ar.WriteString(kPointVersion);
        ar.WriteString(name);
        ar.WriteDouble(adGain);
        ar.WriteDouble(daGain);
    } else {
        std::string first = ar.ReadString();
        if (first == kPointVersion) {
            name = ar.ReadString();
            adGain = ar.ReadDouble();
            daGain = ar.ReadDouble();
        } else {
            // Older points: no version string and no gains (the defaults stay).
            name = std::move(first);
        }
    }
    ar.Double(wait);
    ar.Double(average);
    ar.SignedWord(adChan);
    ar.SignedWord(daChan);
    ar.Word(io);
    if (ar.IsStoring()) {
        ar.WriteWord(static_cast<uint16_t>(((dataS & 0xFF) << 8) | (dataA & 0xFF)));
    } else {
        uint16_t data = ar.ReadWord();
        dataS = data >> 8;
        dataA = data & 0xFF;
    }
    ar.Word(port);
    ar.Vector(offset);
}

void CSampPointIon::Describe(std::string& text) const {
    text += name;
    text += ": ";
    text += ValuesText();
}

std::string CSampPointIon::ValuesText() const {
    return StrPrintf("%8.1lf %8.1lf %8.1lf %8.1lf    %6.2lf  %6.2lf  %d+%d (%d:%X>%X)  %lf  %lf",
                     offset.x, offset.y, offset.z, offset.w, wait, average, adChan, daChan, io,
                     port, dataS * 256 + dataA, adGain, daGain);
}

bool CSampPointIon::SameAs(const CSampPointIon& o) const {
    return name == o.name && offset == o.offset && wait == o.wait && average == o.average &&
           adChan == o.adChan && daChan == o.daChan && adGain == o.adGain && daGain == o.daGain &&
           io == o.io && dataA == o.dataA && dataS == o.dataS && port == o.port;
}

std::string CSampPointIon::Problem() const {
    if (adChan < -1 || adChan > 7) return "The A/D channel must be from 0 to 7 (-1 for none).";
    if (daChan < -1 || daChan > 1) return "The D/A channel must be 0 or 1 (-1 for none).";
    if (!std::isfinite(adGain) || adGain == 0.0 || !std::isfinite(daGain) || daGain == 0.0)
        return "The A/D and D/A channel gains must be numbers other than 0.";
    if (!(wait >= 0.0 && wait <= 86400.0) || !(average >= 0.0 && average <= 86400.0))
        return "The wait and the average must be from 0 to 86400 seconds.";
    if (dataA < 0 || dataA > 0xFF || dataS < 0 || dataS > 0xFF)
        return "The assert and standby data must be bytes (0 to FF).";
    if (port < 0 || port > 0xFFFF) return "The port must be from 0 to FFFF.";
    if (!std::isfinite(offset.x) || !std::isfinite(offset.y) || !std::isfinite(offset.z) ||
        !std::isfinite(offset.w))
        return "The point's position must be numbers.";
    return {};
}

void CGradCalcIon::Serialize(CArchive& ar) {
    ar.String(name);
    ar.Word(first);
    ar.Word(second);
}

CSampRulesIon::CSampRulesIon() = default;
CSampRulesIon::~CSampRulesIon() = default;

void CSampRulesIon::SetTiltAboutY(bool aboutY) {
    tiltAboutYSetting = aboutY;
}
bool CSampRulesIon::TiltAboutY() {
    return tiltAboutYSetting;
}

void CSampRulesIon::Serialize(CArchive& ar) {
    CVelmObs::Serialize(ar);
    ar.String(name);
    ar.Double(rot);
    ar.Double(tilt);
    ar.Word(bathBefore);
    ar.Word(bathAfter);
    ar.Word(da0From);
    ar.Word(da1From);
    ar.Word(da0AdChan);
    ar.Word(da1AdChan);
    ar.Double(bathWait);
    ar.Double(bathAvg);
    ar.Word(useRef);
    ar.Word(applyCal);
    ar.Word(pathReps);
    ar.Word(moveType);
    ar.Word(csys);
    // The smallest stored point (old form, one-letter name) and calculation with their tags.
    SerializeOwnedList(ar, points, IsPoint, 2 + 1 + 16 + 10 + 32);
    SerializeOwnedList(ar, calcs, IsCalc, 2 + 1 + 4);
}

void CSampRulesIon::Describe(std::string& text, const CDataDocument* document,
                             unsigned options) const {
    CVelmObs::Describe(text, document, options);
    if (options & DetailFlags::kType) {
        if (SignedIndex() > 0)
            StrAppendf(text, "%s Gradient Sampling Rules %d:", name.c_str(), SignedIndex());
        else
            StrAppendf(text, "%s Gradient Sampling Rules:", name.c_str());
    }
    if (WantsData(options)) {
        StrAppendf(text, "reps=%d, points=%d, calcs=%d, rot=%.1lf, tilt=%.1lf", pathReps,
                   static_cast<int>(points.size()), static_cast<int>(calcs.size()), rot, tilt);
    }
}

void CSampRulesIon::AddToList(CObsRegister& reg) const {
    reg.Add(*this);
}

void CSampRulesIon::GetOperationName(std::string& text) const {
    text += MakesReferences() ? " Gradient Reference Observation: " : " Gradient Observation: ";
    StrAppendf(text,
               "reps=%d, rot %.1lf, tilt %.1lf; bath update %s:%s (wait %.2lf, average %.2lf)",
               pathReps, rot, tilt, bathBefore ? "Before" : "None", bathAfter ? "After" : "None",
               bathWait, bathAvg);
}

void CSampRulesIon::CopyRulesFrom(const CSampRulesIon& o) {
    name = o.name;
    rot = o.rot;
    tilt = o.tilt;
    bathBefore = o.bathBefore;
    bathAfter = o.bathAfter;
    da0From = o.da0From;
    da1From = o.da1From;
    da0AdChan = o.da0AdChan;
    da1AdChan = o.da1AdChan;
    bathWait = o.bathWait;
    bathAvg = o.bathAvg;
    useRef = o.useRef;
    applyCal = o.applyCal;
    pathReps = o.pathReps;
    moveType = o.moveType;
    csys = o.csys;
    points.clear();
    for (const auto& p : o.points)
        points.push_back(std::make_unique<CSampPointIon>(*p));
    calcs.clear();
    for (const auto& c : o.calcs)
        calcs.push_back(std::make_unique<CGradCalcIon>(*c));
}

bool CSampRulesIon::SameRules(const CSampRulesIon& o) const {
    if (name != o.name || rot != o.rot || tilt != o.tilt || bathBefore != o.bathBefore ||
        bathAfter != o.bathAfter || da0From != o.da0From || da1From != o.da1From ||
        da0AdChan != o.da0AdChan || da1AdChan != o.da1AdChan || bathWait != o.bathWait ||
        bathAvg != o.bathAvg || useRef != o.useRef || applyCal != o.applyCal ||
        pathReps != o.pathReps || moveType != o.moveType || csys != o.csys ||
        points.size() != o.points.size() || calcs.size() != o.calcs.size() || index != o.index)
        return false;
    for (size_t i = 0; i < points.size(); ++i)
        if (!points[i]->SameAs(*o.points[i])) return false;
    for (size_t i = 0; i < calcs.size(); ++i) {
        const CGradCalcIon &a = *calcs[i], &b = *o.calcs[i];
        if (a.name != b.name || a.first != b.first || a.second != b.second) return false;
    }
    return true;
}

void CSampRulesIon::SetMoveTimeEstimator(
    std::function<double(const CDVector4&, const CDVector4&, int)> estimate) {
    MoveTimeEstimator() = std::move(estimate);
}

double CSampRulesIon::EstimateTime(
    const std::function<double(const CDVector4&, const CDVector4&, int)>& moveTime) const {
    auto move = [&](const CDVector4& from, const CDVector4& to) {
        return moveTime ? moveTime(from, to, moveType) : 0.0;
    };
    // A reference's bath wait is marked by its sign, but it lasts as long as a point's.
    const double bath = std::fabs(bathWait) + bathAvg;
    double t0 = 0.0;
    if (bathBefore && (da0From || da1From)) t0 += bath;
    if (bathAfter && (da0From || da1From)) t0 += bath;
    double pass = 0.0;
    CDVector4 position, previous;
    for (const auto& p : points) {
        const CDVector4 step = p->offset.Rotate(rot, tilt, TiltAboutY());
        position = csys == kCoordRelative ? position + step : step;
        if (StartsWith(p->name, "KorbeRead")) continue;
        pass += move(previous, position) + p->wait + p->average;
        previous = position;
    }
    pass += move(previous, CDVector4());
    return pathReps * pass + t0;
}

double CSampRulesIon::GetNumber() const {
    return EstimateTime(MoveTimeEstimator());
}

CObsList CSampRulesIon::TakeObservation(CTechniques& techniques) {
    CObsList taken;
    if (std::unique_ptr<CVelmObs> obs = techniques.TakeIon(*this)) taken.push_back(std::move(obs));
    return taken;
}

bool CSampRulesIon::Edit(CTechniques& techniques) {
    return techniques.EditIonRules(*this);
}

bool CSampRulesIon::Open(CDataDocument* document, unsigned options) {
    if (IonEditHooks().openRules) return IonEditHooks().openRules(*this, document);
    return CVelmObs::Open(document, options);
}

std::unique_ptr<CVelmObs> CSampRulesIon::Clone() const {
    auto copy = std::make_unique<CSampRulesIon>();
    copy->CopyRulesFrom(*this);
    // The probe number travels with the rules: it says which probe they belong to.
    copy->index = index;
    return copy;
}

void CSampRulesIon::FreeData() {
    points.clear();
    calcs.clear();
}

CDVector4 CSampRulesIon::PointPosition(int i, bool rotated) const {
    auto offsetOf = [&](int k) {
        const CDVector4& o = points[static_cast<size_t>(k)]->offset;
        return rotated ? o.Rotate(rot, tilt, TiltAboutY()) : o;
    };
    if (i < 0 || i >= static_cast<int>(points.size())) return CDVector4();
    if (csys != kCoordRelative) return offsetOf(i);
    CDVector4 sum;
    for (int k = 0; k <= i; ++k)
        sum += offsetOf(k);
    return sum;
}

double CSampRulesIon::DirectionComponent(int code, const CGradCalcIon& calc) const {
    const CDVector4 d = PointPosition(calc.second, false) - PointPosition(calc.first, false);
    const double r2 = d.x * d.x + d.y * d.y + d.z * d.z + d.w * d.w;
    if (r2 <= 0.0) return 0.0;
    const double r = std::sqrt(r2);
    const CDVector4 e = PointPosition(calc.second, true) - PointPosition(calc.first, true);
    if (code == ValueCode::kXCurrentDensity) return e.x / r;
    if (code == ValueCode::kYCurrentDensity) return e.y / r;
    return 0.0;
}
