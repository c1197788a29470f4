#pragma once
// "&Display" (F11) and "&Add To Display" (Ctrl+F11) of the list views: the layers that show a
// selection of observations. An image among the selected observations goes at the bottom and
// the data are lined up on it (the point where the image was grabbed sits on the image's
// optical axis); without one, the selected points fill the middle of the window.

#include <memory>
#include <string>
#include <vector>

#include "display/DispLayer.h"

class CDataDocument;

// The layers for observations first..last (list positions, inclusive) of `doc`, stored at
// `docPath`, bottom first: an image layer for the newest selected image (if any), then a data
// layer over the document with the selection's time range and the quantity and method of the
// selected measurements. Data layers are preset from their settings lines and take `active`.
// `grabbed`, when given, is the image to line the data up on (one grabbed for the purpose).
std::vector<std::unique_ptr<CDispLayer>> LayersForSelection(CDataDocument& doc,
                                                            const std::string& docPath,
                                                            size_t first, size_t last,
                                                            const COpticalSystem& active,
                                                            const class CDibObs* grabbed = nullptr);
// Whether observations first..last hold an image.
bool SelectionHasImage(const CDataDocument& doc, size_t first, size_t last);
