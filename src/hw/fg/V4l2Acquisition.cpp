#include "hw/fg/V4l2Acquisition.h"

#include <algorithm>
#include <cctype>
#include <cmath>

#include "hw/Bmp.h"
#include "platform/Format.h"

namespace {

bool CanConvert(uint32_t pixelFormat) {
    switch (pixelFormat) {
        case kFourccGrey:
        case kFourccYuyv:
        case kFourccUyvy:
        case kFourccBgr24:
        case kFourccRgb24:
        case kFourccYuv420:
        case kFourccYvu420:
            return true;
        default:
            return false;
    }
}

std::string FourccText(uint32_t f) {
    std::string s;
    for (int i = 0; i < 4; ++i) {
        char c = static_cast<char>((f >> (8 * i)) & 0xFF);
        s += std::isprint(static_cast<unsigned char>(c)) ? c : '?';
    }
    return s;
}

uint8_t Clip(int v) {
    return static_cast<uint8_t>(std::clamp(v, 0, 255));
}

// ITU-R BT.601 studio range, as cameras send it.
void YuvToBgr(int y, int u, int v, uint8_t* out) {
    const int c = y - 16, d = u - 128, e = v - 128;
    out[0] = Clip((298 * c + 516 * d + 128) >> 8);
    out[1] = Clip((298 * c - 100 * d - 208 * e + 128) >> 8);
    out[2] = Clip((298 * c + 409 * e + 128) >> 8);
    out[3] = 0;
}

}  // namespace

CV4l2Acquisition::CV4l2Acquisition(std::unique_ptr<CV4l2Device> device)
    : device(std::move(device)) {}

CV4l2Acquisition::~CV4l2Acquisition() {
    Close();
}

int CV4l2Acquisition::Fail(std::string text) {
    lastError = std::move(text);
    return kStatusError;
}

std::string CV4l2Acquisition::ErrorText(int status) {
    if (status == 0) return std::string();
    return lastError.empty() ? StrPrintf("Camera error %d.", status) : lastError;
}

int CV4l2Acquisition::InterfaceOpen(const std::string& interfaceName) {
    Close();
    const bool digits = interfaceName.size() > 3 && interfaceName.size() <= 5 &&
                        interfaceName.compare(0, 3, "img") == 0 &&
                        std::all_of(interfaceName.begin() + 3, interfaceName.end(), [](char c) {
                            return std::isdigit(static_cast<unsigned char>(c));
                        });
    if (!digits)
        return Fail("\"" + interfaceName + "\" is not a camera interface name (img0, img1, ...).");
    const size_t camera = std::stoul(interfaceName.substr(3));
    const std::vector<SV4l2Node> cameras = CameraNodes(device->Nodes());
    if (camera < cameras.size()) {
        devicePath = cameras[camera].path;
    } else if (!cameras.empty()) {
        return Fail(
            StrPrintf("Camera %zu is not connected: %zu camera%s connected (see Frame "
                      "Grabber Setup).",
                      camera, cameras.size(), cameras.size() == 1 ? " is" : "s are"));
    } else {
        // Nothing found: the node itself says why (no camera there, a build without cameras).
        devicePath = "/dev/video" + interfaceName.substr(3);
    }
    std::string error;
    if (!device->Open(devicePath, error)) return Fail(error);
    interfaceOpen = true;
    return 0;
}

int CV4l2Acquisition::SessionOpen() {
    if (!interfaceOpen) return Fail("No camera interface is open.");
    std::string error;
    if (!device->GetFormat(format, error)) return Fail(error);
    wantWidth = format.width;
    wantHeight = format.height;
    sessionOpen = true;
    return 0;
}

int CV4l2Acquisition::GetAttribute(uint32_t attribute, double& value) {
    if (!sessionOpen) return Fail("No camera session is open.");
    switch (attribute) {
        case kImgAttrRoiWidth:
            value = wantWidth;
            return 0;
        case kImgAttrRoiHeight:
            value = wantHeight;
            return 0;
        case kImgAttrRowPixels:
            value = wantWidth;
            return 0;
        case kImgAttrBitsPerPixel:
            value = colour ? 32 : 8;
            return 0;
        case kImgAttrBrightness:
            value = brightness;
            return 0;
        case kImgAttrContrast:
            value = contrast;
            return 0;
        case kImgAttrSaturation:
            value = saturation;
            return 0;
        default:
            return Fail(StrPrintf("The camera has no attribute 0x%X.", attribute));
    }
}

void CV4l2Acquisition::ApplyControl(uint32_t control, double fraction) {
    SV4l2ControlRange range;
    if (!device->QueryControl(control, range) || range.maximum < range.minimum) return;
    fraction = std::clamp(fraction, 0.0, 1.0);
    const double value =
        range.minimum + std::round(fraction * (static_cast<double>(range.maximum) - range.minimum));
    // A camera that refuses a picture control still grabs; the image is only less adjusted.
    std::string ignored;
    device->SetControl(control, static_cast<int32_t>(value), ignored);
}

int CV4l2Acquisition::SetAttribute(uint32_t attribute, double value) {
    if (!sessionOpen) return Fail("No camera session is open.");
    if (!std::isfinite(value))
        return Fail(StrPrintf("Attribute 0x%X cannot be set to %g.", attribute, value));
    switch (attribute) {
        case kImgAttrRoiWidth:
        case kImgAttrRoiHeight: {
            if (value < 1 || value > CBitmapImage::kMaxDimension)
                return Fail(StrPrintf("An image size of %g pixels is not usable.", value));
            (attribute == kImgAttrRoiWidth ? wantWidth : wantHeight) = static_cast<uint32_t>(value);
            return 0;
        }
        case kImgAttrRowPixels:
            return 0;  // rows are always copied by their own length
        case kImgAttrBrightness:
            brightness = value;
            ApplyControl(kV4l2CidBrightness, (value + 50.0) / 100.0);
            return 0;
        case kImgAttrContrast:
            contrast = value;
            ApplyControl(kV4l2CidContrast, value - 0.5);
            return 0;
        case kImgAttrSaturation:
            saturation = value;
            ApplyControl(kV4l2CidSaturation, value - 0.5);
            return 0;
        case kImgAttrColorMode:
        case kImgAttrColorRepresentation:
            colour = true;
            return 0;
        default:
            return Fail(StrPrintf("The camera has no attribute 0x%X.", attribute));
    }
}

int CV4l2Acquisition::Configure() {
    if (!sessionOpen) return Fail("No camera session is open.");
    std::string error;
    SV4l2Format ask{wantWidth, wantHeight, colour ? kFourccBgr24 : kFourccGrey, 0};
    if (!device->SetFormat(ask, error)) return Fail(error);
    if (!CanConvert(ask.pixelFormat)) {
        // Few cameras send grey; BGR24 is what libv4l2 converts every camera format to.
        ask = SV4l2Format{wantWidth, wantHeight, kFourccBgr24, 0};
        if (!device->SetFormat(ask, error)) return Fail(error);
        if (!CanConvert(ask.pixelFormat))
            return Fail("The camera sends pixel format " + FourccText(ask.pixelFormat) +
                        ", which cannot be converted.");
    }
    format = ask;
    return 0;
}

bool CV4l2Acquisition::Convert(const std::vector<uint8_t>& bytes, const SV4l2Format& format,
                               bool colour, SAcquiredFrame& frame, std::string& error) {
    const uint64_t w = format.width, h = format.height;
    if (w < 1 || h < 1 || w > CBitmapImage::kMaxDimension || h > CBitmapImage::kMaxDimension) {
        error = StrPrintf("The camera reports an unusable frame size of %u x %u.", format.width,
                          format.height);
        return false;
    }
    uint64_t sourceBytesPerPixel = 1;
    if (format.pixelFormat == kFourccYuyv || format.pixelFormat == kFourccUyvy)
        sourceBytesPerPixel = 2;
    else if (format.pixelFormat == kFourccBgr24 || format.pixelFormat == kFourccRgb24)
        sourceBytesPerPixel = 3;
    const uint64_t minLine = w * sourceBytesPerPixel;
    const uint64_t line = format.bytesPerLine >= minLine ? format.bytesPerLine : minLine;
    const bool planar = format.pixelFormat == kFourccYuv420 || format.pixelFormat == kFourccYvu420;
    // 4:2:0 adds two chroma planes of half the line length and half the rows.
    const uint64_t chromaLine = line / 2, chromaRows = (h + 1) / 2;
    const uint64_t needed =
        planar ? line * h + 2 * chromaLine * chromaRows : line * (h - 1) + minLine;
    if (bytes.size() < needed) {
        error = StrPrintf("The camera sent a short frame (%zu bytes of %llu).", bytes.size(),
                          static_cast<unsigned long long>(needed));
        return false;
    }
    frame.width = static_cast<int>(w);
    frame.height = static_cast<int>(h);
    frame.bytesPerPixel = colour ? 4 : 1;
    frame.rowBytes = static_cast<size_t>(w) * frame.bytesPerPixel;
    frame.data.resize(frame.rowBytes * static_cast<size_t>(h));
    const uint8_t* uPlane = bytes.data() + line * h;
    const uint8_t* vPlane = uPlane + chromaLine * chromaRows;
    if (format.pixelFormat == kFourccYvu420) std::swap(uPlane, vPlane);

    for (uint64_t y = 0; y < h; ++y) {
        const uint8_t* in = bytes.data() + y * line;
        uint8_t* out = frame.data.data() + y * frame.rowBytes;
        for (uint64_t x = 0; x < w; ++x) {
            int luma = 0, u = 128, v = 128;
            int b = 0, g = 0, r = 0;
            bool rgb = false;
            switch (format.pixelFormat) {
                case kFourccGrey:
                    luma = in[x];
                    break;
                case kFourccYuyv: {
                    // Y0 U Y1 V: two pixels share their chroma.
                    const uint64_t pair = (x & ~uint64_t{1}) * 2;
                    luma = in[2 * x];
                    u = in[pair + 1];
                    v = pair + 3 < minLine ? in[pair + 3] : 128;
                    break;
                }
                case kFourccUyvy: {
                    const uint64_t pair = (x & ~uint64_t{1}) * 2;
                    luma = in[2 * x + 1];
                    u = in[pair];
                    v = pair + 2 < minLine ? in[pair + 2] : 128;
                    break;
                }
                case kFourccBgr24:
                    b = in[3 * x], g = in[3 * x + 1], r = in[3 * x + 2];
                    rgb = true;
                    break;
                case kFourccRgb24:
                    r = in[3 * x], g = in[3 * x + 1], b = in[3 * x + 2];
                    rgb = true;
                    break;
                default:  // 4:2:0 planar
                    luma = in[x];
                    u = uPlane[(y / 2) * chromaLine + x / 2];
                    v = vPlane[(y / 2) * chromaLine + x / 2];
                    break;
            }
            if (!colour) {
                out[x] = rgb ? static_cast<uint8_t>((b + g + r) / 3) : static_cast<uint8_t>(luma);
            } else if (rgb) {
                out[4 * x] = static_cast<uint8_t>(b);
                out[4 * x + 1] = static_cast<uint8_t>(g);
                out[4 * x + 2] = static_cast<uint8_t>(r);
                out[4 * x + 3] = 0;
            } else if (format.pixelFormat == kFourccGrey) {
                out[4 * x] = out[4 * x + 1] = out[4 * x + 2] = static_cast<uint8_t>(luma);
                out[4 * x + 3] = 0;
            } else {
                YuvToBgr(luma, u, v, out + 4 * x);
            }
        }
    }
    return true;
}

int CV4l2Acquisition::Snap(SAcquiredFrame& frame) {
    if (int status = GrabSetup()) return status;
    int status = Grab(frame);
    StopAcquisition();
    return status;
}

int CV4l2Acquisition::GrabSetup() {
    if (int status = Configure()) return status;
    std::string error;
    if (!device->StartStreaming(error)) return Fail(error);
    streaming = true;
    return 0;
}

int CV4l2Acquisition::Grab(SAcquiredFrame& frame) {
    if (!streaming) return Fail("The camera is not acquiring.");
    std::string error;
    if (!device->ReadFrame(bytes, kFrameTimeoutMs, error)) return Fail(error);
    if (!Convert(bytes, format, colour, frame, error)) return Fail(error);
    return 0;
}

int CV4l2Acquisition::StopAcquisition() {
    if (streaming) device->StopStreaming();
    streaming = false;
    return 0;
}

void CV4l2Acquisition::Close() {
    StopAcquisition();
    if (interfaceOpen) device->Close();
    interfaceOpen = sessionOpen = false;
    colour = false;
}

std::vector<std::string> CV4l2Acquisition::InterfaceNames() {
    std::vector<std::string> names;
    for (const SV4l2Node& node : CameraNodes(device->Nodes()))
        names.push_back(node.card.empty() ? node.path : node.path + " (" + node.card + ")");
    return names;
}

std::unique_ptr<CImageAcquisition> CreateImageAcquisition() {
    return std::make_unique<CV4l2Acquisition>(CreateV4l2Device());
}
