#include "hw/Bmp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <new>

#include "platform/AtomicFile.h"
#include "platform/Format.h"

namespace {

constexpr size_t kFileHeaderBytes = 14;
constexpr size_t kInfoHeaderBytes = 40;
constexpr uint32_t kCompressionNone = 0;
// Room for headers, palette, row padding and whatever a writer appends after the pixels.
constexpr size_t kMaxFileBytes = CBitmapImage::kMaxPixelBytes + (size_t{4} << 20);

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}
uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}
void Put16(std::string& out, uint16_t v) {
    out.push_back(static_cast<char>(v & 0xFF));
    out.push_back(static_cast<char>(v >> 8));
}
void Put32(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// File rows are padded to whole 32-bit words.
uint64_t StrideOf(uint64_t width, int bitsPerPixel) {
    return ((width * static_cast<uint64_t>(bitsPerPixel) + 31) / 32) * 4;
}

bool UsableSize(int64_t width, int64_t height, int bitsPerPixel) {
    if (width < 1 || height < 1) return false;
    if (width > CBitmapImage::kMaxDimension || height > CBitmapImage::kMaxDimension) return false;
    return static_cast<uint64_t>(width) * static_cast<uint64_t>(height) *
               static_cast<uint64_t>(bitsPerPixel / 8) <=
           CBitmapImage::kMaxPixelBytes;
}

SBmpStatus Fail(EBmpError error, std::string detail) {
    return SBmpStatus{error, std::move(detail)};
}

}  // namespace

CBitmapImage CBitmapImage::Blank(int width, int height, int bitsPerPixel) {
    CBitmapImage image;
    if ((bitsPerPixel != 8 && bitsPerPixel != 24) || !UsableSize(width, height, bitsPerPixel))
        return image;
    image.width = width;
    image.height = height;
    image.bitsPerPixel = bitsPerPixel;
    image.pixels.assign(image.RowBytes() * static_cast<size_t>(height), 0);
    return image;
}

bool CBitmapImage::IsValid() const {
    if (bitsPerPixel != 8 && bitsPerPixel != 24) return false;
    if (!UsableSize(width, height, bitsPerPixel)) return false;
    if (palette.size() > 256) return false;
    return pixels.size() == RowBytes() * static_cast<size_t>(height);
}

SBmpStatus DecodeBmp(const uint8_t* data, size_t size, CBitmapImage& image) {
    image = CBitmapImage{};
    if (size < 2 || data[0] != 'B' || data[1] != 'M')
        return Fail(EBmpError::NotBitmap, "The file is not a bitmap (it does not start with BM).");
    if (size < kFileHeaderBytes + 4)
        return Fail(EBmpError::Truncated, "The bitmap file ends inside its header.");
    const uint32_t pixelOffset = Le32(data + 10);
    const uint32_t headerBytes = Le32(data + kFileHeaderBytes);
    // The Windows 3 header and its later extensions (V2 to V5) start with the same 40 bytes.
    if (headerBytes < kInfoHeaderBytes || headerBytes > 4096)
        return Fail(EBmpError::Unsupported,
                    StrPrintf("Bitmaps with a %u-byte header are not supported.", headerBytes));
    if (size < kFileHeaderBytes + headerBytes)
        return Fail(EBmpError::Truncated, "The bitmap file ends inside its header.");
    const uint8_t* info = data + kFileHeaderBytes;
    const int64_t width = static_cast<int32_t>(Le32(info + 4));
    const int64_t signedHeight = static_cast<int32_t>(Le32(info + 8));
    const int bitsPerPixel = Le16(info + 14);
    const uint32_t compression = Le32(info + 16);
    const uint32_t coloursUsed = Le32(info + 32);

    if ((bitsPerPixel != 8 && bitsPerPixel != 24) || compression != kCompressionNone)
        return Fail(EBmpError::Unsupported,
                    StrPrintf("Bitmaps with %d bits per pixel (compression %u) are not supported; "
                              "use 8-bit greyscale or 24-bit colour.",
                              bitsPerPixel, compression));
    const bool topDown = signedHeight < 0;
    const int64_t height = topDown ? -signedHeight : signedHeight;
    if (!UsableSize(width, height, bitsPerPixel))
        return Fail(EBmpError::Dimensions,
                    StrPrintf("The bitmap's size (%lld x %lld) is not usable.",
                              static_cast<long long>(width), static_cast<long long>(signedHeight)));

    const size_t paletteStart = kFileHeaderBytes + headerBytes;
    size_t paletteEntries = 0;
    if (bitsPerPixel == 8) {
        if (coloursUsed > 256)
            return Fail(
                EBmpError::NotBitmap,
                StrPrintf("The bitmap claims %u palette colours (at most 256).", coloursUsed));
        paletteEntries = coloursUsed == 0 ? 256 : coloursUsed;
        if (size < paletteStart + paletteEntries * 4)
            return Fail(EBmpError::Truncated, "The bitmap file ends inside its palette.");
    }
    // Some writers leave the pixel offset zero; the pixels then follow the palette.
    const size_t pixelStart = pixelOffset != 0 ? pixelOffset : paletteStart + paletteEntries * 4;
    if (pixelStart < kFileHeaderBytes + kInfoHeaderBytes)
        return Fail(EBmpError::NotBitmap, "The bitmap's pixel offset points into its header.");
    const uint64_t stride = StrideOf(static_cast<uint64_t>(width), bitsPerPixel);
    const uint64_t needed = stride * static_cast<uint64_t>(height);
    if (pixelStart > size || needed > size - pixelStart)
        return Fail(
            EBmpError::Truncated,
            StrPrintf("The bitmap file is truncated: %lld x %lld pixels need %llu bytes "
                      "of pixel data, the file holds %llu.",
                      static_cast<long long>(width), static_cast<long long>(height),
                      static_cast<unsigned long long>(needed),
                      static_cast<unsigned long long>(pixelStart > size ? 0 : size - pixelStart)));

    CBitmapImage out;
    out.width = static_cast<int>(width);
    out.height = static_cast<int>(height);
    out.bitsPerPixel = bitsPerPixel;
    try {
        out.palette.resize(paletteEntries);
        for (size_t i = 0; i < paletteEntries; ++i) {
            const uint8_t* q = data + paletteStart + 4 * i;
            out.palette[i] = static_cast<uint32_t>(q[0]) | (static_cast<uint32_t>(q[1]) << 8) |
                             (static_cast<uint32_t>(q[2]) << 16);
        }
        out.pixels.resize(out.RowBytes() * static_cast<size_t>(height));
    } catch (const std::bad_alloc&) {
        return Fail(EBmpError::Memory, "Insufficient Memory for the bitmap.");
    }
    for (int64_t row = 0; row < height; ++row) {
        const int64_t fileRow = topDown ? height - 1 - row : row;
        std::memcpy(out.Row(static_cast<int>(row)),
                    data + pixelStart + static_cast<size_t>(fileRow * static_cast<int64_t>(stride)),
                    out.RowBytes());
    }
    image = std::move(out);
    return SBmpStatus{};
}

SBmpStatus ReadBmpFile(const std::string& path, CBitmapImage& image) {
    image = CBitmapImage{};
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK);
    if (fd < 0) return Fail(EBmpError::Open, StrPrintf("%s: %s", path.c_str(), strerror(errno)));
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return Fail(EBmpError::Open, path + " is not a regular file.");
    }
    if (static_cast<uint64_t>(st.st_size) > kMaxFileBytes) {
        ::close(fd);
        return Fail(EBmpError::Dimensions,
                    StrPrintf("%s is too large (%lld bytes) to be an image of this program.",
                              path.c_str(), static_cast<long long>(st.st_size)));
    }
    std::vector<uint8_t> bytes;
    try {
        bytes.resize(static_cast<size_t>(st.st_size));
    } catch (const std::bad_alloc&) {
        ::close(fd);
        return Fail(EBmpError::Memory, "Insufficient Memory for the bitmap.");
    }
    // Read what fstat promised; a file that shrinks meanwhile simply decodes as truncated.
    size_t got = 0;
    while (got < bytes.size()) {
        ssize_t n = ::read(fd, bytes.data() + got, bytes.size() - got);
        if (n < 0) {
            if (errno == EINTR) continue;
            int code = errno;
            ::close(fd);
            return Fail(EBmpError::Read, StrPrintf("%s: %s", path.c_str(), strerror(code)));
        }
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    ::close(fd);
    return DecodeBmp(bytes.data(), got, image);
}

std::string EncodeBmp(const CBitmapImage& image) {
    if (!image.IsValid()) return std::string();
    const size_t paletteEntries =
        image.bitsPerPixel == 8 ? (image.palette.empty() ? 256 : image.palette.size()) : 0;
    const uint64_t stride = StrideOf(static_cast<uint64_t>(image.width), image.bitsPerPixel);
    const size_t pixelOffset = kFileHeaderBytes + kInfoHeaderBytes + paletteEntries * 4;
    const size_t imageBytes = static_cast<size_t>(stride) * static_cast<size_t>(image.height);
    std::string out;
    out.reserve(pixelOffset + imageBytes);
    out += "BM";
    Put32(out, static_cast<uint32_t>(pixelOffset + imageBytes));
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(pixelOffset));
    Put32(out, kInfoHeaderBytes);
    Put32(out, static_cast<uint32_t>(image.width));
    Put32(out, static_cast<uint32_t>(image.height));
    Put16(out, 1);
    Put16(out, static_cast<uint16_t>(image.bitsPerPixel));
    Put32(out, kCompressionNone);
    Put32(out, static_cast<uint32_t>(imageBytes));
    Put32(out, 0);
    Put32(out, 0);
    Put32(out, static_cast<uint32_t>(paletteEntries));
    Put32(out, 0);
    for (size_t i = 0; i < paletteEntries; ++i) {
        uint32_t rgb =
            image.palette.empty() ? static_cast<uint32_t>(i * 0x010101u) : image.palette[i];
        Put32(out, rgb & 0x00FFFFFFu);
    }
    const std::string padding(static_cast<size_t>(stride) - image.RowBytes(), '\0');
    for (int y = 0; y < image.height; ++y) {
        out.append(reinterpret_cast<const char*>(image.Row(y)), image.RowBytes());
        out += padding;
    }
    return out;
}

bool WriteBmpFile(const std::string& path, const CBitmapImage& image, std::string* error) {
    std::string bytes = EncodeBmp(image);
    if (bytes.empty()) {
        if (error) *error = "The image to be saved is empty or damaged.";
        return false;
    }
    return WriteFileAtomic(path, bytes, error);
}
