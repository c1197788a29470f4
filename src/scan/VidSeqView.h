#pragma once
// What the sequence window shows, without the GUI: the frames of a sequence document with
// their grid indices, the frames of one (z, w) plane for "Split", the position labels, and
// each frame's image as shown, with the reference frame applied as the set-up chose:
// background subtracted (frame - reference + 128) or as the ratio's denominator
// (128 x frame / reference), clamped to 0..255.

#include <cstddef>
#include <string>
#include <vector>

#include "hw/Bmp.h"
#include "platform/Vector4.h"

class CVidSeqDoc;

class CVidSeqViewLogic {
  public:
    struct SFrame {
        size_t obs = 0;          // position in the document's list
        bool reference = false;  // the reference frame (ref.bmp)
        CIVector4 index;         // grid index (x, y, z, w); zero for the reference
    };

    explicit CVidSeqViewLogic(const CVidSeqDoc& doc);

    // The image observations in list order: the reference first when there is one, then the
    // grid in the order it was taken.
    const std::vector<SFrame>& Frames() const { return frames; }
    // "%.3lg, %.3lg": X and Y of the moved stage when the frame was taken.
    std::string Label(size_t frame) const;
    // The frames of plane (z, w) of the grid, in rows of y and columns of x.
    std::vector<size_t> Plane(int z, int w) const;
    // The image of a frame as shown; false with the reason when its file cannot be read.
    bool Image(size_t frame, CBitmapImage& image, std::string& why) const;
    // The reference applied to a frame of the same size and depth (otherwise left as it is).
    static void ApplyReference(CBitmapImage& frame, const CBitmapImage& reference, char refUse);

  private:
    std::string PathOf(size_t frame) const;

    const CVidSeqDoc& doc;
    std::vector<SFrame> frames;
    CIVector4 steps;
    mutable bool referenceRead = false;
    mutable CBitmapImage referenceImage;
};
