#include "hw/fg/PickOnImageLogic.h"

#include "hw/FgBoard.h"
#include "platform/Format.h"

CPickOnImageLogic::CPickOnImageLogic(CFgBoard& board, std::string prompt, SPickMarkers markers)
    : board(board), prompt(std::move(prompt)), markers(markers) {}

int CPickOnImageLogic::Camera() const {
    return board.currentCamera;
}

bool CPickOnImageLogic::Camera1Installed() const {
    return board.cam1Installed != 0;
}

bool CPickOnImageLogic::Grab() {
    if (board.GrabBitmap(image)) return true;
    image = CBitmapImage::Blank(board.ImageWidth(), board.ImageHeight(), board.IsColour() ? 24 : 8);
    return false;
}

bool CPickOnImageLogic::SwitchCamera(int camera) {
    if (!board.SelectCamera(camera)) return false;
    Grab();
    return true;
}

bool CPickOnImageLogic::SwitchToOtherCamera() {
    if (!Camera1Installed()) return false;
    return SwitchCamera(Camera() == 1 ? 0 : 1);
}

SPixel CPickOnImageLogic::Marker() const {
    const std::optional<SPixel>& marker = Camera() == 1 ? markers.camera1 : markers.camera0;
    return board.ClampPick(marker ? *marker : board.Origin(Camera()));
}

SPixel CPickOnImageLogic::Click(SPixel at) {
    result = board.ClampPick(at);
    return *result;
}

std::string CPickOnImageLogic::PositionText(SPixel at) const {
    if (!pixelToMicrons) return std::string();
    std::optional<CDVector4> p = pixelToMicrons(Camera(), board.ClampPick(at));
    if (!p) return std::string();
    return StrPrintf("%.1lf, %.1lf, %.1lf, %.1lf", p->x, p->y, p->z, p->w);
}
