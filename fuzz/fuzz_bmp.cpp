// Fuzzes the bitmap reader: any bytes must decode or be refused without crashing, without
// reading past the input and without allocating more than the input could fill. Whatever
// decodes must survive a write and a second read unchanged.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "hw/Bmp.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    CBitmapImage image;
    SBmpStatus status = DecodeBmp(data, size, image);
    if (!status.Ok()) {
        if (status.detail.empty() || !image.pixels.empty()) std::abort();
        return 0;
    }
    if (!image.IsValid()) std::abort();
    // Nothing decodes into more pixel bytes than the input held.
    if (image.pixels.size() > size) std::abort();
    std::string again = EncodeBmp(image);
    CBitmapImage second;
    if (!DecodeBmp(reinterpret_cast<const uint8_t*>(again.data()), again.size(), second).Ok())
        std::abort();
    if (second.pixels != image.pixels || second.width != image.width ||
        second.height != image.height || second.bitsPerPixel != image.bitsPerPixel)
        std::abort();
    return 0;
}
