#pragma once
// A small PNG writer for pictures made without a window system: 8-bit RGB, the image data in
// stored (uncompressed) deflate blocks, so it needs no compression library. Any PNG reader
// takes it; the files are about as large as a BMP of the same picture.

#include <cstdint>
#include <string>

// The PNG bytes of an image of width x height pixels, rows top first, three bytes (red,
// green, blue) per pixel, or four with alpha. "" when the size is not usable.
std::string EncodePng(int width, int height, const uint8_t* pixels, int channels = 3);
// RFC 4648 base64, for images embedded in SVG files.
std::string Base64(const std::string& bytes);
