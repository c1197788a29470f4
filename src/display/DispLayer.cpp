#include "display/DispLayer.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "obs/DataDocument.h"
#include "platform/Format.h"
#include "settings/Profile.h"

#define VELM_DEFINE_LAYER_CLASS(cls) \
    const SClassInfo cls::classInfo{ \
        #cls, 1, []() -> std::unique_ptr<CSerializable> { return std::make_unique<cls>(); }};
VELM_DEFINE_LAYER_CLASS(CDispLayer)
VELM_DEFINE_LAYER_CLASS(CImageDispLayer)
VELM_DEFINE_LAYER_CLASS(CDataDispLayer)

namespace {

// Registers the layer classes with the archive's class table, so that display documents read
// them (the table itself lives below the display room).
struct SLayerClasses {
    SLayerClasses() {
        RegisterSerialClass(CDispLayer::classInfo);
        RegisterSerialClass(CImageDispLayer::classInfo);
        RegisterSerialClass(CDataDispLayer::classInfo);
    }
} registerLayers;

// The 16-bit microns of an image offset: truncated toward zero and held to what a signed
// word keeps, read back signed (so negative offsets survive).
void OffsetWord(CArchive& ar, double& v) {
    if (ar.IsStoring()) {
        double t = std::isfinite(v) ? std::trunc(v) : 0.0;
        t = std::clamp(t, -32768.0, 32767.0);
        ar.WriteWord(static_cast<uint16_t>(static_cast<int16_t>(t)));
    } else {
        v = static_cast<int16_t>(ar.ReadWord());
    }
}

void Rgb(CArchive& ar, std::array<int, 3>& c) {
    for (int& v : c)
        ar.Word(v);
}

// The optical system name at the end of a settings line: everything after "OptSys=", so that
// names with blanks come back whole.
std::string NameAfter(const std::string& line, const char* label) {
    const size_t at = line.find(label);
    if (at == std::string::npos) return {};
    std::string name = line.substr(at + std::strlen(label));
    while (!name.empty() && (name.back() == '\r' || name.back() == '\n' || name.back() == ' '))
        name.pop_back();
    return name;
}

void LoadNamedSystem(COpticalSystem& into, const std::string& name) {
    if (name.empty()) return;
    COpticalSystem loaded;
    if (FindOpticalSystem(name) >= 0 && loaded.Load(name)) into = loaded;
}

COpticalSystem ActiveOrDefault() {
    COpticalSystem system;
    const std::string active = ActiveOpticalSystemName();
    if (!active.empty() && FindOpticalSystem(active) >= 0) system.Load(active);
    return system;
}

int Bool(bool b) {
    return b ? 1 : 0;
}

}  // namespace

CDispLayer::~CDispLayer() = default;

void CDispLayer::Serialize(CArchive& ar) {
    ar.String(source);
}

bool IsDisplayLayer(const CSerializable& object) {
    return dynamic_cast<const CDispLayer*>(&object) != nullptr;
}

// ---- Image layers ------------------------------------------------------------------------------

CImageDispLayer::CImageDispLayer() = default;

void CImageDispLayer::Serialize(CArchive& ar) {
    CDispLayer::Serialize(ar);
    OffsetWord(ar, offset.x);
    OffsetWord(ar, offset.y);
    OffsetWord(ar, offset.z);
    OffsetWord(ar, offset.w);
    ar.Word(blend);
    opticalSystem.Serialize(ar);
}

std::string CImageDispLayer::GetTitle() const {
    const char* how = blend == kBlendMix         ? "mix"
                      : blend == kBlendOutline   ? "outline"
                      : blend == kBlendThreshold ? "threshold"
                                                 : "copy";
    return "Image: " + source + " (" + how + ")";
}

void CImageDispLayer::LoadSettings() {
    opticalSystem = ActiveOrDefault();
    const std::string line = Profile().GetProfileString(kImageLayerSection, "Line 0", "");
    double o[4] = {offset.x, offset.y, offset.z, offset.w};
    int b = blend;
    const int n = std::sscanf(line.c_str(), "Offset=(%lf,%lf,%lf,%lf)  Blend=%d", &o[0], &o[1],
                              &o[2], &o[3], &b);
    if (n >= 4) offset = CDVector4(o[0], o[1], o[2], o[3]);
    if (n >= 5 && b >= kBlendCopy && b <= kBlendThreshold) blend = b;
    LoadNamedSystem(opticalSystem, NameAfter(line, "OptSys="));
}

void CImageDispLayer::SaveSettings() const {
    Profile().WriteLine(kImageLayerSection, "Line 0",
                        "Offset=(%lf,%lf,%lf,%lf)  Blend=%d  OptSys=%s", offset.x, offset.y,
                        offset.z, offset.w, blend, opticalSystem.name.c_str());
}

// ---- Data layers -------------------------------------------------------------------------------

CDataDispLayer::CDataDispLayer() = default;
CDataDispLayer::~CDataDispLayer() = default;

void CDataDispLayer::Serialize(CArchive& ar) {
    CDispLayer::Serialize(ar);
    Rgb(ar, posColor);
    Rgb(ar, negColor);
    Rgb(ar, refColor);
    ar.Word(lineWidth);
    Rgb(ar, backColor);
    ar.Word(backWidth);
    ar.Word(backOn);
    ar.Vector(offset);
    ar.Word(scaleType);
    ar.Word(autoMax);
    ar.Word(autoMin);
    ar.Word(autoScalar);
    ar.Word(scaleToPixels);
    ar.String(units);
    ar.Double(minValue);
    ar.Double(maxValue);
    ar.Double(scalarValue);
    ar.Word(scaleBarHorz);
    ar.Word(scaleBarVert);
    ar.Double(scaleBarSize);
    ar.Double(scaleBarPos[0]);
    ar.Double(scaleBarPos[1]);
    ar.Double(headLength);
    ar.Double(headAngle);
    ar.Word(headOn);
    ar.Double(sheetRotation);
    ar.Double(sheetTilt);
    ar.Word(applyIonRef);
    for (int* v :
         {&sampleNumber, &gradSample1, &gradSample2, &repFirst, &repLast, &rawADChannel, &spare})
        ar.Word(*v);
    for (int64_t& t : timeRange)
        ar.Time(t);
    for (int* v : {&quantity, &method, &vectorOrigin, &vectorAxis, &lineColorMode, &contourType,
                   &numAutoContours, &graphType})
        ar.Word(*v);
    ar.Doubles(graphFrom, 4);
    ar.Doubles(graphTo, 4);
    ar.Doubles(graphWindow, 4);
    ar.Word(showAxes);
    ar.Word(showBorder);
    ar.Word(hGrid);
    ar.Word(showLabels);
    ar.Word(showTicks);
    ar.Word(vGrid);
    ar.Word(hGridCount);
    ar.Word(ticksH);
    ar.Word(vGridCount);
    ar.Word(ticksV);
    ar.String(timeRangeText);
    // -1 ("none") must survive a reload.
    for (int* v : {&indexWireCal, &indexIonCal, &indexRulesWire, &indexRulesIon, &indexRulesRawAD})
        ar.SignedWord(*v);
}

std::string CDataDispLayer::GetTitle() const {
    const char* how = method == kMethodCircle       ? "circles"
                      : method == kMethodSheet      ? "sheet"
                      : method == kMethodContour    ? "contours"
                      : method == kMethodValueGraph ? "value graph"
                                                    : "vectors";
    return "Data: " + source + " (" + how + ")";
}

bool CDataDispLayer::InTimeRange(int64_t time) const {
    if (timeRange[0] == 0 && timeRange[1] == 0) return true;
    return time >= timeRange[0] && time <= timeRange[1];
}

std::string CDataDispLayer::TimeRangeText(int64_t start, int64_t end) {
    if (start == 0 && end == 0) return {};
    char a[64] = "", b[64] = "";
    const time_t ts = static_cast<time_t>(start), te = static_cast<time_t>(end);
    struct tm tmStart {
    }, tmEnd{};
    if (localtime_r(&ts, &tmStart)) std::strftime(a, sizeof a, "%m/%d/%y %H:%M:%S to ", &tmStart);
    if (localtime_r(&te, &tmEnd)) std::strftime(b, sizeof b, "%m/%d/%y %H:%M:%S", &tmEnd);
    return std::string(a) + b;
}

void CDataDispLayer::LoadSettings() {
    opticalSystem = ActiveOrDefault();
    CProfile& p = Profile();
    const char* s = kDataLayerSection;
    p.ReadLine(s, "Line 0", "", "pos=%d,%d,%d  neg=%d,%d,%d  ref=%d,%d,%d  back=%d,%d,%d",
               &posColor[0], &posColor[1], &posColor[2], &negColor[0], &negColor[1], &negColor[2],
               &refColor[0], &refColor[1], &refColor[2], &backColor[0], &backColor[1],
               &backColor[2]);
    int bo = Bool(backOn);
    p.ReadLine(s, "Line 1", "", "width=%d  backwidth=%d  backon=%d", &lineWidth, &backWidth, &bo);
    backOn = bo != 0;
    int amin = Bool(autoMin), amax = Bool(autoMax), ascalar = Bool(autoScalar);
    unsigned st = static_cast<unsigned>(scaleType);
    p.ReadLine(s, "Line 2", "",
               "Auto: min=%d (%lf)  max=%d (%lf)  scalar=%d (%lf)  scaleToPixels=%d  scaleType=%u",
               &amin, &minValue, &amax, &maxValue, &ascalar, &scalarValue, &scaleToPixels, &st);
    autoMin = amin != 0, autoMax = amax != 0, autoScalar = ascalar != 0;
    scaleType = static_cast<int>(st);
    units = p.GetProfileString(s, "Line 2a", units);
    int horz = Bool(scaleBarHorz), vert = Bool(scaleBarVert), head = Bool(scaleBarHead);
    p.ReadLine(s, "Line 3", "",
               "ScaleBar: showhorz=%d  showvert=%d  size=%lf  pos=(%lf,%lf)  head=%d", &horz, &vert,
               &scaleBarSize, &scaleBarPos[0], &scaleBarPos[1], &head);
    scaleBarHorz = horz != 0, scaleBarVert = vert != 0, scaleBarHead = head != 0;
    int hon = Bool(headOn);
    unsigned origin = static_cast<unsigned>(vectorOrigin);
    p.ReadLine(s, "Line 4", "",
               "VectorHead: on=%d  len=%lf  angle=%lf  origin=%u  Sheet: rot=%lf  tilt=%lf", &hon,
               &headLength, &headAngle, &origin, &sheetRotation, &sheetTilt);
    headOn = hon != 0;
    vectorOrigin = static_cast<int>(origin);
    unsigned q = static_cast<unsigned>(quantity), m = static_cast<unsigned>(method),
             lc = static_cast<unsigned>(lineColorMode), va = static_cast<unsigned>(vectorAxis);
    p.ReadLine(s, "Line 5", "", "Disp: quantity=%u  method=%u  lineclr=%u  VectDisp=%u", &q, &m,
               &lc, &va);
    quantity = static_cast<int>(q), method = static_cast<int>(m);
    lineColorMode = static_cast<int>(lc), vectorAxis = static_cast<int>(va);
    int air = Bool(applyIonRef);
    p.ReadLine(s, "Line 6", "",
               "applyIonRef=%d  sampNum=%d  gradSamp1=%d  gradSamp2=%d  pathRepN1=%d  "
               "pathRepN2=%d  rawADchan=%d",
               &air, &sampleNumber, &gradSample1, &gradSample2, &repFirst, &repLast, &rawADChannel);
    applyIonRef = air != 0;
    unsigned ct = static_cast<unsigned>(contourType);
    p.ReadLine(s, "Line 7", "", "contType=%u  numAuto=%d", &ct, &numAutoContours);
    contourType = static_cast<int>(ct);
    const std::string line8 = p.GetProfileString(s, "Line 8", "");
    double o[4] = {offset.x, offset.y, offset.z, offset.w};
    if (std::sscanf(line8.c_str(), "Offset=(%lf,%lf,%lf,%lf)", &o[0], &o[1], &o[2], &o[3]) == 4)
        offset = CDVector4(o[0], o[1], o[2], o[3]);
    LoadNamedSystem(opticalSystem, NameAfter(line8, "OptSys="));
    timeRangeText = p.GetProfileString(s, "Line 9", timeRangeText);
    p.ReadLine(s, "Line 10", "",
               "Indices: wireCal=%d  ionCal=%d  sruleWire=%d  sruleIon=%d  sruleRawAD=%d",
               &indexWireCal, &indexIonCal, &indexRulesWire, &indexRulesIon, &indexRulesRawAD);
    unsigned gt = static_cast<unsigned>(graphType);
    p.ReadLine(s, "Line 11", "", "graphType=%u  %lf,%lf,%lf,%lf to %lf,%lf,%lf,%lf", &gt,
               &graphFrom[0], &graphFrom[1], &graphFrom[2], &graphFrom[3], &graphTo[0], &graphTo[1],
               &graphTo[2], &graphTo[3]);
    graphType = static_cast<int>(gt);
    p.ReadLine(s, "Line 12", "", "graphWindow=(%lf,%lf) to (%lf,%lf)", &graphWindow[0],
               &graphWindow[1], &graphWindow[2], &graphWindow[3]);
    int ax = Bool(showAxes), bd = Bool(showBorder), lb = Bool(showLabels), tk = Bool(showTicks),
        hg = Bool(hGrid), vg = Bool(vGrid);
    p.ReadLine(s, "Line 13", "",
               "axes=%d  border=%d  labels=%d  Ticks=%d (%dx%d)  hGrid=%d  (%d) vGrid=%d  (%d)",
               &ax, &bd, &lb, &tk, &ticksH, &ticksV, &hg, &hGridCount, &vg, &vGridCount);
    showAxes = ax != 0, showBorder = bd != 0, showLabels = lb != 0, showTicks = tk != 0;
    hGrid = hg != 0, vGrid = vg != 0;
    contourLevels = LoadContourLevels();
}

void CDataDispLayer::SaveSettings() const {
    CProfile& p = Profile();
    const char* s = kDataLayerSection;
    p.WriteLine(s, "Line 0", "pos=%d,%d,%d  neg=%d,%d,%d  ref=%d,%d,%d  back=%d,%d,%d", posColor[0],
                posColor[1], posColor[2], negColor[0], negColor[1], negColor[2], refColor[0],
                refColor[1], refColor[2], backColor[0], backColor[1], backColor[2]);
    p.WriteLine(s, "Line 1", "width=%d  backwidth=%d  backon=%d", lineWidth, backWidth,
                Bool(backOn));
    p.WriteLine(s, "Line 2",
                "Auto: min=%d (%lf)  max=%d (%lf)  scalar=%d (%lf)  scaleToPixels=%d  scaleType=%u",
                Bool(autoMin), minValue, Bool(autoMax), maxValue, Bool(autoScalar), scalarValue,
                scaleToPixels, static_cast<unsigned>(scaleType));
    p.WriteProfileString(s, "Line 2a", units);
    p.WriteLine(s, "Line 3", "ScaleBar: showhorz=%d  showvert=%d  size=%lf  pos=(%lf,%lf)  head=%d",
                Bool(scaleBarHorz), Bool(scaleBarVert), scaleBarSize, scaleBarPos[0],
                scaleBarPos[1], Bool(scaleBarHead));
    p.WriteLine(s, "Line 4",
                "VectorHead: on=%d  len=%lf  angle=%lf  origin=%u  Sheet: rot=%lf  tilt=%lf",
                Bool(headOn), headLength, headAngle, static_cast<unsigned>(vectorOrigin),
                sheetRotation, sheetTilt);
    p.WriteLine(s, "Line 5", "Disp: quantity=%u  method=%u  lineclr=%u  VectDisp=%u",
                static_cast<unsigned>(quantity), static_cast<unsigned>(method),
                static_cast<unsigned>(lineColorMode), static_cast<unsigned>(vectorAxis));
    p.WriteLine(s, "Line 6",
                "applyIonRef=%d  sampNum=%d  gradSamp1=%d  gradSamp2=%d  pathRepN1=%d  "
                "pathRepN2=%d  rawADchan=%d",
                Bool(applyIonRef), sampleNumber, gradSample1, gradSample2, repFirst, repLast,
                rawADChannel);
    p.WriteLine(s, "Line 7", "contType=%u  numAuto=%d", static_cast<unsigned>(contourType),
                numAutoContours);
    p.WriteLine(s, "Line 8", "Offset=(%lf,%lf,%lf,%lf)  OptSys=%s", offset.x, offset.y, offset.z,
                offset.w, opticalSystem.name.c_str());
    p.WriteProfileString(s, "Line 9", timeRangeText);
    p.WriteLine(s, "Line 10",
                "Indices: wireCal=%d  ionCal=%d  sruleWire=%d  sruleIon=%d  sruleRawAD=%d",
                indexWireCal, indexIonCal, indexRulesWire, indexRulesIon, indexRulesRawAD);
    p.WriteLine(s, "Line 11", "graphType=%u  %lf,%lf,%lf,%lf to %lf,%lf,%lf,%lf",
                static_cast<unsigned>(graphType), graphFrom[0], graphFrom[1], graphFrom[2],
                graphFrom[3], graphTo[0], graphTo[1], graphTo[2], graphTo[3]);
    p.WriteLine(s, "Line 12", "graphWindow=(%lf,%lf) to (%lf,%lf)", graphWindow[0], graphWindow[1],
                graphWindow[2], graphWindow[3]);
    p.WriteLine(s, "Line 13",
                "axes=%d  border=%d  labels=%d  Ticks=%d (%dx%d)  hGrid=%d  (%d) vGrid=%d  (%d)",
                Bool(showAxes), Bool(showBorder), Bool(showLabels), Bool(showTicks), ticksH, ticksV,
                Bool(hGrid), hGridCount, Bool(vGrid), vGridCount);
}

std::vector<double> CDataDispLayer::LoadContourLevels() {
    std::vector<double> levels;
    const int count = std::min(Profile().GetProfileInt(kDataLayerSection, "Number of Contours", 0),
                               kMaxContourLevels);
    for (int i = 0; i < count; ++i) {
        const std::string text =
            Profile().GetProfileString(kDataLayerSection, StrPrintf("Contour Level %d", i), "");
        double v = 0.0;
        if (std::sscanf(text.c_str(), "%lf", &v) == 1 && std::isfinite(v)) levels.push_back(v);
    }
    return levels;
}

void CDataDispLayer::SaveContourLevels(const std::vector<double>& levels) {
    const size_t count = std::min(levels.size(), static_cast<size_t>(kMaxContourLevels));
    Profile().WriteProfileInt(kDataLayerSection, "Number of Contours", static_cast<int>(count));
    for (size_t i = 0; i < count; ++i)
        Profile().WriteProfileString(kDataLayerSection,
                                     StrPrintf("Contour Level %d", static_cast<int>(i)),
                                     StrPrintf("%.17g", levels[i]));
}
