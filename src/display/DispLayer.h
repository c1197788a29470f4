#pragma once
// The layers of a display document. An image layer places a BMP file on the stage frame
// through its optical system; a data layer draws the observations of a data document (an
// observation or scan document) as vectors, circles, a perspective sheet, contours or value
// graphs. Layers name their source by path; the display document opens the sources after its
// whole file has been read.

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "hw/Bmp.h"
#include "obs/Archive.h"
#include "obs/OpticalSystem.h"
#include "platform/Vector4.h"

class CDataDocument;

// Blend methods of image layers.
inline constexpr int kBlendCopy = 1323;
inline constexpr int kBlendMix = 1324;
inline constexpr int kBlendOutline = 1325;
inline constexpr int kBlendThreshold = 1326;

// Data layer choices (the identifiers stored in the files and settings).
inline constexpr int kMethodVector = 1480;
inline constexpr int kMethodCircle = 1481;
inline constexpr int kMethodSheet = 1482;
inline constexpr int kMethodContour = 1483;
inline constexpr int kMethodValueGraph = 1484;
inline constexpr int kScaleMinMax = 1568;
inline constexpr int kScaleScalar = 1569;
inline constexpr int kOriginHead = 1286;
inline constexpr int kOriginTail = 1287;
inline constexpr int kColorPseudo = 1333;
inline constexpr int kColorFixed = 1334;
inline constexpr int kAxisX = 1487;
inline constexpr int kAxisY = 1488;
inline constexpr int kContourLevels = 1331;
inline constexpr int kContourAuto = 1332;
inline constexpr int kGraphX = 1677;
inline constexpr int kGraphTime = 1681;

inline constexpr const char* kImageLayerSection = "Image Display Layer";
inline constexpr const char* kDataLayerSection = "Data Display Layer";

class CDispLayer : public CSerializable {
    VELM_DECLARE_SERIAL(CDispLayer)

  public:
    ~CDispLayer() override;
    void Serialize(CArchive& ar) override;
    // The line shown in the layer list.
    virtual std::string GetTitle() const { return source; }

    // Path of the source document or image file.
    std::string source;
};

class CImageDispLayer : public CDispLayer {
    VELM_DECLARE_SERIAL(CImageDispLayer)

  public:
    CImageDispLayer();
    void Serialize(CArchive& ar) override;
    std::string GetTitle() const override;

    // "Image Display Layer" "Line 0": presets a new layer (with the active optical system unless
    // the line names another) / remembers this one's values.
    void LoadSettings();
    void SaveSettings() const;

    CDVector4 offset;
    int blend = kBlendCopy;
    COpticalSystem opticalSystem;

    // The bitmap, read after the display document's file (not stored).
    CBitmapImage image;
    std::string imageProblem;  // why it could not be read ("" when read)
};

class CDataDispLayer : public CDispLayer {
    VELM_DECLARE_SERIAL(CDataDispLayer)

  public:
    static constexpr int kMaxContourLevels = 1000;

    CDataDispLayer();
    ~CDataDispLayer() override;
    void Serialize(CArchive& ar) override;
    std::string GetTitle() const override;

    // "Data Display Layer" lines 0 to 13 and "Line 2a": presets a new layer (with the active
    // optical system unless "Line 8" names another) / remembers this one's values.
    void LoadSettings();
    void SaveSettings() const;
    // The specific contour levels ("Number of Contours", "Contour Level %d"; at most 1,000).
    static std::vector<double> LoadContourLevels();
    static void SaveContourLevels(const std::vector<double>& levels);

    // Whether the observation time lies in the layer's range (0 to 0: every observation).
    bool InTimeRange(int64_t time) const;
    // The range text as "Define Time Range ..." shows it: "%m/%d/%y %H:%M:%S to " and the end.
    static std::string TimeRangeText(int64_t start, int64_t end);

    std::array<int, 3> posColor{255, 0, 0};
    std::array<int, 3> negColor{0, 0, 255};
    std::array<int, 3> refColor{0, 255, 0};
    int lineWidth = 1;
    std::array<int, 3> backColor{255, 255, 255};
    int backWidth = 1;
    bool backOn = false;
    CDVector4 offset;
    int scaleType = kScaleScalar;
    bool autoMin = false, autoMax = false, autoScalar = true;
    double minValue = -10.0, maxValue = 10.0, scalarValue = 10.0;
    int scaleToPixels = 50;
    std::string units = "uA/sq.cm.";
    bool scaleBarHorz = false, scaleBarVert = false;
    double scaleBarSize = 10.0;
    double scaleBarPos[2] = {-50.0, 50.0};
    bool scaleBarHead = true;  // not stored: the settings line's "head"
    bool headOn = false;       // the state of "No head": 0 draws heads
    double headLength = 20.0;  // percent of the arrow
    double headAngle = 10.0;   // degrees either side of the shaft
    int vectorOrigin = kOriginTail;
    double sheetRotation = 0.0, sheetTilt = 0.0;
    int quantity = 1175;
    int method = kMethodVector;
    int lineColorMode = kColorFixed;
    int vectorAxis = kAxisX;
    bool applyIonRef = true;
    int sampleNumber = 1;
    int gradSample1 = 1, gradSample2 = 2;
    int repFirst = 1, repLast = 1;
    int rawADChannel = 4;
    int spare = 0;                        // kept as read
    int64_t timeRange[4] = {0, 0, 0, 0};  // start, end, and two kept as read
    int contourType = kContourAuto;
    int numAutoContours = 5;
    int graphType = kGraphTime;
    double graphFrom[4] = {-1000.0, -1000.0, -1000.0, -1000.0};
    double graphTo[4] = {1000.0, 1000.0, 1000.0, 1000.0};
    double graphWindow[4] = {-100.0, 100.0, 100.0, -100.0};  // left, top, right, bottom
    bool showAxes = true, showBorder = true, showLabels = false, showTicks = false;
    bool hGrid = false, vGrid = false;
    int ticksH = 1, ticksV = 1, hGridCount = 4, vGridCount = 3;
    std::string timeRangeText;
    int indexWireCal = -1, indexIonCal = -1, indexRulesWire = -1, indexRulesIon = -1,
        indexRulesRawAD = -1;
    // The opened source (not stored): a document of the program's, or one this layer's
    // display opened itself and shares with its other layers.
    CDataDocument* sourceDoc = nullptr;
    std::shared_ptr<CDataDocument> ownedSource;
    // Not stored: the display's system (the lowest image layer's, else the active one).
    COpticalSystem opticalSystem;
    // The specific levels in force (from the settings when the layer was made or loaded).
    std::vector<double> contourLevels;
};

// Layer-list filter: only display layers.
bool IsDisplayLayer(const CSerializable& object);
