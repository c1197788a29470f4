#pragma once
// The Mage export: its definition dialog is shown and nothing more. No file is written and no
// choice is kept, whichever button closes the dialog; the command exists so that the menu entry
// and its dialog are where users expect them.

#include <functional>
#include <string>
#include <vector>

#include "obs/TextExport.h"

class CDataDocument;

// "Mage Export Definition": the working values of the dialog.
class CMageExportLogic {
  public:
    static constexpr const char* kCaption = "Mage Export Definition";

    CMageExportLogic(const CDataDocument& document, const std::string& proposedPath);

    SExportRange range;                 // "Observations From:"
    std::string outputPath;             // "Output to file:"
    bool includeContour = false;        // "Include Contour"
    std::vector<std::string> contours;  // the contour choice
    int contour = 0;
    bool contourOn = false;    // "On"
    std::string text;          // the free text block
    bool thinline = false;     // "Thinline"
    bool perspective = false;  // "Perspective"
    std::string scale[3] = {"1.0", "1.0", "1.0"};
    std::string angle[3] = {"0.0", "0.0", "0.0"};
    bool fromContour = false;  // "Calculate from:" "Contour" (true) or "Samples"

    std::string RangeText() const;
    bool ObservationsFrom();
    // OK: the scale and angle fields must be numbers (a message names the first that is not).
    bool Ok();

  private:
    const CDataDocument& document;
};

using MageExportDialogHook = std::function<bool(CMageExportLogic& logic)>;
void SetMageExportDialog(MageExportDialogHook hook);

// "&Mage Export": shows the dialog, then ends; returns whether it was closed with OK.
bool MageExportCommand(const CDataDocument& document);
