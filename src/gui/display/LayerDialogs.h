#pragma once
// The display layer dialogs: "Add Display Layer", "Image File Display Layer", "Data Display
// Layer" with its groups, "Contour Features", "Value Graph Features", "Select an
// Observation", and "Display Window Size".

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "display/DispLayer.h"

class QWidget;
class CDataDocument;

// The open data documents the "File:" combo offers (the main window installs it): path and
// document.
struct SOpenDataDocument {
    std::string path;
    CDataDocument* document = nullptr;
};
extern std::function<std::vector<SOpenDataDocument>()> openDataDocuments;

// "&New": "Add Display Layer" (Image / Data / Cancel), then the layer's own dialog. Null when
// cancelled at either.
std::unique_ptr<CDispLayer> NewLayerWithDialogs(QWidget* parent);
// The layer's dialog; true on OK (the values are then in the layer and its settings lines).
bool EditLayerWithDialog(CDispLayer& layer, QWidget* parent);
bool EditImageLayer(CImageDispLayer& layer, QWidget* parent);
bool EditDataLayer(CDataDispLayer& layer, QWidget* parent);
bool EditContourFeatures(CDataDispLayer& layer, QWidget* parent);
bool EditValueGraphFeatures(CDataDispLayer& layer, QWidget* parent);
// "Select an Observation": the list positions of `doc`'s observations that `accept` takes;
// the chosen position, or -1 when cancelled or there are none.
int SelectObservation(const CDataDocument& doc, bool (*accept)(const class CVelmObs&), int current,
                      QWidget* parent);
// "Select Documents": the positions of the names chosen (several may be), `preselected` marked
// at first; empty when cancelled.
std::vector<int> SelectDocuments(const std::vector<std::string>& names,
                                 const std::vector<int>& preselected, QWidget* parent);
// "Display Window Size".
bool AskWindowSize(int& width, int& height, QWidget* parent);
