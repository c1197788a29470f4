#pragma once
// The surface export: one measured quantity over two position components, as three columns
// (X, Y, Z) or as a matrix of Z values with a line per Y, for surface plotting programs. The
// definition travels with the document; the program the file is loaded into is a setting.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "obs/TextExport.h"
#include "obs/VelmObs.h"

// What an observation is asked for by the surface export (CVelmObs::GetSurfaceValue). `code`
// is a display value code: a CDP quantity (1175 to 1182), a gradient "Sample #" (1184) or
// "Scalar" (1186) of the probe `probeName`, or a raw A/D channel (1187).
struct SSurfaceQuantity {
    int code = ValueCode::kTotalCurrentDensity;
    std::string probeName;  // gradient quantities: only this probe's observations ("" any)
    SValueQuery query;
};

// Option identifiers of "X Value" (X, Y, Z, W) and "Y Value" (X, Y, Z, W).
inline constexpr int kSurfaceXValueIds[4] = {1734, 1737, 1736, 1738};
inline constexpr int kSurfaceYValueIds[4] = {1743, 1744, 1745, 1746};

// The surface export definition. The document keeps it in its 12 stored words:
//   [0]  "X Value": 1734 X, 1737 Y, 1736 Z, 1738 W of the position
//   [1]  "Y Value": 1743 X, 1744 Y, 1745 Z, 1746 W
//   [2]  "Z Quantity": the display value code (1175..1182 CDP, 1184 gradient "Sample #", 1186
//        gradient "Scalar", 1187 raw A/D "Channel #"); 0 in a document that never had a
//        definition, whose words [2] to [11] then all take the defaults below
//   [3]  flags: 1 "Matrix", 2 "Apply Reference to Gradients"
//   [4]  "Sample #" (1-based point of the path)
//   [5]  "Calculate gradient as" Scalar "from" point (1-based)
//   [6]  ... "to" point (1-based)
//   [7]  "Average repetition #" (1-based)
//   [8]  ... "to" repetition (1-based)
//   [9]  "Channel #" (raw A/D)
//   [10] the gradient probe: the place of its name in the document's probe names (0-based)
//   [11] whose position X and Y are taken from: 1029 the probe stage, 1030 the sample stage
// A word that holds none of its allowed values (a damaged file) reads as its default.
struct SSurfaceDefinition {
    int xValue = 1734;
    int yValue = 1744;
    int quantity = ValueCode::kTotalCurrentDensity;
    bool matrix = false;
    bool applyReference = true;
    int sampleNumber = 1;
    int gradFrom = 1, gradTo = 2;
    int repFirst = 1, repLast = 1;
    int channel = 4;
    int probe = 0;
    int positionOf = kProbeAxisSystem;
};

SSurfaceDefinition SurfaceDefinitionOf(const CDataDocument& document);
void StoreSurfaceDefinition(CDataDocument& document, const SSurfaceDefinition& definition);
// The gradient probe names of the document's gradient observations, in order of appearance.
std::vector<std::string> SurfaceProbeNames(const CDataDocument& document);
// What the observations are asked for; `probeName` names the gradient probe.
SSurfaceQuantity SurfaceQuantityOf(const SSurfaceDefinition& definition,
                                   const std::string& probeName);

// The labels of the CDP quantities 1175..1182, in code order.
extern const char* const kCdpQuantityLabels[8];

// Writes the surface export of `document` into `sink`: for every observation of the range that
// gives a value for the quantity, "%lf\t%lf\t%lf\n" (X, Y, Z), or with "Matrix" the Z values
// "%lf\t" on a line per Y. A scan observation adds "\nFile %s\n" and its scan document's
// surface. False when the sink failed.
bool WriteSurfaceExport(const CDataDocument& document, const SSurfaceDefinition& definition,
                        const SExportRange& range, IExportSink& sink);

// ---- The "Surface Export" command -------------------------------------------------------------

// "Surface Export Definition": the working values of the dialog.
class CSurfaceExportLogic {
  public:
    static constexpr const char* kCaption = "Surface Export Definition";

    CSurfaceExportLogic(const CDataDocument& document, const std::string& proposedPath);

    SSurfaceDefinition definition;
    SExportRange range;
    std::string outputPath;   // "Output to file:"
    bool loadInto = false;    // "Load into"
    std::string loadCommand;  // its command line
    std::vector<std::string> probeNames;
    // The numeric entries as typed.
    std::string sampleText, fromText, toText, repFirstText, repLastText, channelText;

    std::string RangeText() const;
    // "Time Range:": the "Define Time Range" dialog; OK makes the range fixed.
    bool TimeRange();
    // "Calibration", "Reference", "View Rules" of the CDP, gradient and raw A/D groups: the
    // description of the last one of the document for that technique (and for the chosen
    // gradient probe), in an information box.
    enum class ETechnique { Cdp, Gradient, RawAD };
    void ShowCalibration(ETechnique technique) const;
    void ShowReference(ETechnique technique) const;
    void ViewRules(ETechnique technique) const;
    // OK: checks the entries (a message names the first bad one) and takes them.
    bool Ok();

    const CDataDocument& Document() const { return document; }

  private:
    void ShowLast(const std::function<bool(const CVelmObs&)>& wanted, const char* none) const;
    std::string ChosenProbe() const;

    const CDataDocument& document;
};

using SurfaceExportDialogHook = std::function<bool(CSurfaceExportLogic& logic)>;
void SetSurfaceExportDialog(SurfaceExportDialogHook hook);

// "&Surface Export": runs the dialog, writes the file (with the same overwrite question and
// counter rules as the text export), adds the log entry "Export to file ... complete.", keeps
// the definition in the document and the "Load into" choice in the settings, and starts the
// "Load into" program on the file. True when a file was written.
bool SurfaceExportCommand(CDataDocument& document);
