#include "obs/VelmObs.h"

#include "obs/DataDocument.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {
std::function<void(CDVector4&, CDVector4&)>& PositionSource() {
    static std::function<void(CDVector4&, CDVector4&)> source;
    return source;
}
std::function<bool(const std::string&)>& OpenHook() {
    static std::function<bool(const std::string&)> hook;
    return hook;
}
}  // namespace

void SetPositionSource(std::function<void(CDVector4& probe, CDVector4& sample)> source) {
    PositionSource() = std::move(source);
}

void SetOpenDocumentHook(std::function<bool(const std::string& path)> hook) {
    OpenHook() = std::move(hook);
}

bool OpenDocumentFile(const std::string& path) {
    return OpenHook() ? OpenHook()(path) : false;
}

bool IsObservation(const CSerializable& object) {
    return dynamic_cast<const CVelmObs*>(&object) != nullptr;
}

CVelmObs::CVelmObs() : time(Clock().Now().seconds) {}

CVelmObs::~CVelmObs() = default;

void CVelmObs::Serialize(CArchive& ar) {
    ar.Time(time);
    ar.Word(milliseconds);
    ar.Word(index);
    ar.Vector(probePosition);
    ar.Vector(samplePosition);
}

SRgb CVelmObs::GetColor() const {
    return ColorFor({0, 0, 0}, {192, 192, 192});
}

void DescribePrefix(const CVelmObs& obs, std::string& text, unsigned options) {
    if (obs.hidden) text += "x ";
    if (options & DetailFlags::kDate) text += CClock::FormatLocal(obs.time, "%m/%d/%y  ");
    if (options & DetailFlags::kTime) {
        text += CClock::FormatLocal(obs.time, "%H:%M:%S");
        StrAppendf(text, ".%03d  ", obs.milliseconds);
    }
    const CDVector4& p = obs.probePosition;
    if (options & DetailFlags::kProbePosition)
        StrAppendf(text, "probe: [ %8.1lf %8.1lf %8.1lf %8.1lf ] ", p.x, p.y, p.z, p.w);
    const CDVector4& s = obs.samplePosition;
    if (options & DetailFlags::kSamplePosition)
        StrAppendf(text, "sample: [ %8.1lf %8.1lf %8.1lf %8.1lf ] ", s.x, s.y, s.z, s.w);
}

void CVelmObs::Describe(std::string& text, const CDataDocument*, unsigned options) const {
    DescribePrefix(*this, text, options);
}

void CVelmObs::AddToList(CObsRegister&) const {}

bool CVelmObs::Open(CDataDocument* document, unsigned options) {
    std::string text;
    Describe(text, document, options);
    Prompt().Message(text, EPromptIcon::Information);
    return true;
}

CObsList CVelmObs::TakeObservation(CTechniques&) {
    return {};
}

bool CVelmObs::Edit(CTechniques&) {
    return false;
}

void CVelmObs::GetOperationName(std::string& text) const {
    text += "Intermediate Point";
}

std::unique_ptr<CVelmObs> CVelmObs::Clone() const {
    return nullptr;
}

int CVelmObs::GetValue(double& value, int, const CDataDocument*, const SValueQuery*) const {
    value = 0.0;
    return 0;
}

void CVelmObs::StampNow() {
    CTimeStamp now = Clock().Now();
    time = now.seconds;
    milliseconds = now.milliseconds;
}

void CVelmObs::StampPositions() {
    if (PositionSource()) PositionSource()(probePosition, samplePosition);
}

void CVelmObs::SetTime(int64_t seconds, uint16_t ms) {
    time = seconds;
    milliseconds = ms;
}

void CVelmObs::SetPosition(int axisSystem, const CDVector4& position) {
    if (axisSystem == kProbeAxisSystem)
        probePosition = position;
    else if (axisSystem == kSampleAxisSystem)
        samplePosition = position;
}
