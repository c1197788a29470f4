#include "hw/Bmp.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "support/TestEnv.h"

namespace {

const uint8_t* Bytes(const std::string& s) {
    return reinterpret_cast<const uint8_t*>(s.data());
}

// A 2 x 2 24-bit bitmap byte for byte as paint programs write it: bottom row first, each
// 6-byte row padded to 8.
const std::string kPaint2x2 = std::string(
    "BM\x46\0\0\0\0\0\0\0\x36\0\0\0"
    "\x28\0\0\0\x02\0\0\0\x02\0\0\0\x01\0\x18\0\0\0\0\0\x10\0\0\0\x13\x0b\0\0\x13\x0b\0\0\0\0\0\0\0"
    "\0\0\0"
    "\x01\x02\x03\x04\x05\x06\0\0"
    "\x07\x08\x09\x0a\x0b\x0c\0\0",
    70);

CBitmapImage GreyRamp(int w, int h) {
    CBitmapImage image = CBitmapImage::Blank(w, h, 8);
    for (int y = 0; y < h; ++y)
        for (int x = 0; x < w; ++x)
            image.Row(y)[x] = static_cast<uint8_t>(x * 7 + y * 13);
    return image;
}

}  // namespace

TEST(Bmp, ReadsAPaintProgramFileBottomRowFirst) {
    CBitmapImage image;
    ASSERT_TRUE(DecodeBmp(Bytes(kPaint2x2), kPaint2x2.size(), image).Ok());
    EXPECT_EQ(image.width, 2);
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.bitsPerPixel, 24);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12}));
    // And writes the same bytes back, apart from the resolution fields it leaves zero.
    std::string written = EncodeBmp(image);
    ASSERT_EQ(written.size(), kPaint2x2.size());
    EXPECT_EQ(written.substr(0, 38), kPaint2x2.substr(0, 38));
    EXPECT_EQ(written.substr(54), kPaint2x2.substr(54));
}

TEST(Bmp, WritesAndReadsGreyAndColourFilesOfOddWidths) {
    CTempDir dir;
    for (int w : {1, 3, 5, 640}) {
        CBitmapImage grey = GreyRamp(w, 3);
        ASSERT_TRUE(WriteBmpFile(dir.File("g.bmp"), grey));
        // 8-bit files carry the grey ramp and rows padded to four bytes.
        const size_t stride = (static_cast<size_t>(w) + 3) / 4 * 4;
        EXPECT_EQ(std::filesystem::file_size(dir.File("g.bmp")), 54 + 1024 + stride * 3);
        CBitmapImage back;
        ASSERT_TRUE(ReadBmpFile(dir.File("g.bmp"), back).Ok());
        EXPECT_EQ(back.pixels, grey.pixels);
        ASSERT_EQ(back.palette.size(), 256u);
        EXPECT_EQ(back.palette[200], 0xC8C8C8u);

        CBitmapImage colour = CBitmapImage::Blank(w, 2, 24);
        for (size_t i = 0; i < colour.pixels.size(); ++i)
            colour.pixels[i] = static_cast<uint8_t>(i);
        ASSERT_TRUE(WriteBmpFile(dir.File("c.bmp"), colour));
        ASSERT_TRUE(ReadBmpFile(dir.File("c.bmp"), back).Ok());
        EXPECT_EQ(back.pixels, colour.pixels);
        EXPECT_TRUE(back.palette.empty());
    }
}

TEST(Bmp, TopDownFilesAreTurnedBottomRowFirst) {
    std::string topDown = kPaint2x2;
    topDown[22] = '\xFE';  // height -2
    topDown[23] = topDown[24] = topDown[25] = '\xFF';
    CBitmapImage image;
    ASSERT_TRUE(DecodeBmp(Bytes(topDown), topDown.size(), image).Ok());
    EXPECT_EQ(image.height, 2);
    EXPECT_EQ(image.pixels, (std::vector<uint8_t>{7, 8, 9, 10, 11, 12, 1, 2, 3, 4, 5, 6}));
}

TEST(Bmp, EveryTruncationIsRefusedWithAReason) {
    std::string whole = EncodeBmp(GreyRamp(9, 4));
    for (size_t n = 0; n < whole.size(); ++n) {
        CBitmapImage image;
        SBmpStatus status = DecodeBmp(Bytes(whole), n, image);
        ASSERT_FALSE(status.Ok()) << n;
        EXPECT_FALSE(status.detail.empty());
        EXPECT_TRUE(image.pixels.empty());
        if (n >= 2) {
            EXPECT_EQ(status.error, EBmpError::Truncated) << n;
        }
    }
}

TEST(Bmp, RefusesAbsurdAndUnsupportedHeadersBeforeAllocating) {
    auto withField = [](std::string bytes, size_t at, uint32_t value) {
        const char le[4] = {static_cast<char>(value & 0xFF), static_cast<char>((value >> 8) & 0xFF),
                            static_cast<char>((value >> 16) & 0xFF),
                            static_cast<char>((value >> 24) & 0xFF)};
        bytes.replace(at, 4, le, 4);
        return bytes;
    };
    CBitmapImage image;
    // 100000 x 100000 in a 70-byte file.
    std::string huge = withField(withField(kPaint2x2, 18, 100000), 22, 100000);
    SBmpStatus status = DecodeBmp(Bytes(huge), huge.size(), image);
    EXPECT_EQ(status.error, EBmpError::Dimensions);
    EXPECT_EQ(status.detail, "The bitmap's size (100000 x 100000) is not usable.");
    // Within the limits, but far more pixels than the file holds.
    std::string big = withField(withField(kPaint2x2, 18, 9000), 22, 9000);
    EXPECT_EQ(DecodeBmp(Bytes(big), big.size(), image).error, EBmpError::Truncated);
    EXPECT_EQ(DecodeBmp(Bytes(withField(kPaint2x2, 18, 0)), 70, image).error,
              EBmpError::Dimensions);
    EXPECT_EQ(DecodeBmp(Bytes(withField(kPaint2x2, 18, 0x80000000u)), 70, image).error,
              EBmpError::Dimensions);
    // RLE compression and 32-bit pixels.
    SBmpStatus rle = DecodeBmp(Bytes(withField(kPaint2x2, 30, 1)), 70, image);
    EXPECT_EQ(rle.error, EBmpError::Unsupported);
    EXPECT_EQ(rle.detail,
              "Bitmaps with 24 bits per pixel (compression 1) are not supported; use 8-bit "
              "greyscale or 24-bit colour.");
    std::string bpp32 = kPaint2x2;
    bpp32[28] = 32;
    EXPECT_EQ(DecodeBmp(Bytes(bpp32), 70, image).error, EBmpError::Unsupported);
    EXPECT_EQ(DecodeBmp(Bytes(std::string("Get Image")), 9, image).error, EBmpError::NotBitmap);
    // A palette count past 256 would index outside any palette.
    std::string grey = EncodeBmp(GreyRamp(2, 2));
    EXPECT_EQ(DecodeBmp(Bytes(withField(grey, 46, 257)), grey.size(), image).error,
              EBmpError::NotBitmap);
    EXPECT_TRUE(image.pixels.empty());
}

TEST(Bmp, FileProblemsAreReportedAsSuch) {
    CTempDir dir;
    CBitmapImage image;
    EXPECT_EQ(ReadBmpFile(dir.File("missing.bmp"), image).error, EBmpError::Open);
    EXPECT_EQ(ReadBmpFile(dir.Path(), image).error, EBmpError::Open);
    std::string error;
    EXPECT_FALSE(WriteBmpFile(dir.File("none/x.bmp"), GreyRamp(2, 2), &error));
    EXPECT_FALSE(error.empty());
    CBitmapImage broken = GreyRamp(4, 4);
    broken.pixels.pop_back();
    EXPECT_FALSE(WriteBmpFile(dir.File("x.bmp"), broken, &error));
    EXPECT_FALSE(std::filesystem::exists(dir.File("x.bmp")));
}
