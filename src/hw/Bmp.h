#pragma once
// Device-independent bitmaps (.bmp files): the frame grabber's images, the images a scan
// saves, and what an outside program hands the file-based grabber. In memory an image keeps
// the file's order, bottom row first, without the padding of the file's rows.
//
// Bitmaps come from outside programs and old disks, so the reader trusts nothing: every size
// in the headers is checked against the bytes actually present before anything is allocated,
// and dimensions no camera produces are refused.

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CBitmapImage {
  public:
    // Largest width or height accepted, and largest pixel area in bytes: far beyond any
    // camera, small enough that a forged header cannot ask for gigabytes.
    static constexpr int kMaxDimension = 20000;
    static constexpr size_t kMaxPixelBytes = size_t{256} << 20;

    int width = 0;
    int height = 0;
    // 8: one palette index per pixel; 24: blue, green, red bytes per pixel.
    int bitsPerPixel = 8;
    // 8-bit images: palette entries as 0x00RRGGBB. An empty palette is written as the
    // 256-step grey ramp, so an index is a grey level.
    std::vector<uint32_t> palette;
    // Rows bottom first, RowBytes() each, no padding.
    std::vector<uint8_t> pixels;

    // An image of the given size filled with zeros (8-bit with the grey ramp, or 24-bit).
    // Empty when the size is not usable.
    static CBitmapImage Blank(int width, int height, int bitsPerPixel);

    int BytesPerPixel() const { return bitsPerPixel / 8; }
    size_t RowBytes() const { return static_cast<size_t>(width) * BytesPerPixel(); }
    // True when the fields describe a usable image and `pixels` holds exactly its bytes.
    bool IsValid() const;
    // Row y counted from the bottom (the first row stored).
    uint8_t* Row(int y) { return pixels.data() + RowBytes() * static_cast<size_t>(y); }
    const uint8_t* Row(int y) const { return pixels.data() + RowBytes() * static_cast<size_t>(y); }
};

// What went wrong reading a bitmap. Open and Read are failures of the file itself; the others
// say its bytes do not make a bitmap we can use.
enum class EBmpError { None, Open, Read, NotBitmap, Truncated, Dimensions, Unsupported, Memory };

struct SBmpStatus {
    EBmpError error = EBmpError::None;
    std::string detail;  // a sentence for the user, "" when there was no error
    bool Ok() const { return error == EBmpError::None; }
};

// Decodes a whole .bmp file held in memory: 8-bit palette and 24-bit uncompressed bitmaps,
// stored bottom row first or (negative height) top row first. On failure `image` is left empty.
SBmpStatus DecodeBmp(const uint8_t* data, size_t size, CBitmapImage& image);
SBmpStatus ReadBmpFile(const std::string& path, CBitmapImage& image);

// The file bytes of a valid image (8-bit with its palette, or 24-bit). "" for an invalid one.
std::string EncodeBmp(const CBitmapImage& image);
// Writes atomically: the old file stays whole if anything fails. `error` gets the reason.
bool WriteBmpFile(const std::string& path, const CBitmapImage& image, std::string* error = nullptr);
