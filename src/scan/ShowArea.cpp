#include "scan/ShowArea.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <system_error>

#include "platform/Format.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"

namespace {

constexpr const char* kSettingsLine = "Pen: %d  Color: (%d,%d,%d)";

void Tell(const std::string& text) {
    Prompt().Message(text, EPromptIcon::Exclamation, CShowAreaLogic::kTitle);
}

std::optional<long> ParseInt(const std::string& text) {
    const char* s = text.c_str();
    while (*s == ' ')
        ++s;
    if (!*s) return std::nullopt;
    char* end = nullptr;
    const long v = std::strtol(s, &end, 10);
    while (*end == ' ')
        ++end;
    if (*end) return std::nullopt;
    return v;
}

// trunc of a pixel offset, kept within what an int can hold for any image.
long long PixelOffset(double microns, double micronsPerPixel) {
    const double v = std::trunc(microns / micronsPerPixel);
    return static_cast<long long>(std::clamp(v, -1.0e9, 1.0e9));
}

}  // namespace

std::optional<SShowAreaRect> ShowAreaRect(const CDVector4& start, const CDVector4& end,
                                          const COpticalSystem& system, int width, int height,
                                          int pen, int offsetX, int offsetY) {
    if (width <= 0 || height <= 0 || !system.Problem().empty()) return std::nullopt;
    if (!std::isfinite(start.x) || !std::isfinite(start.y) || !std::isfinite(end.x) ||
        !std::isfinite(end.y))
        return std::nullopt;
    // Microns per pixel of this image: the system's scale for its own frame, stretched to the
    // image's size.
    const double perColumn = system.umPerPixelX * system.frameWidth / width;
    const double perRow = system.umPerPixelY * system.frameHeight / height;
    const long long c1 = PixelOffset(start.x, perColumn) + width / 2 + offsetX;
    const long long c2 = PixelOffset(end.x, perColumn) + width / 2 + offsetX;
    const long long r1 = height / 2 - PixelOffset(start.y, perRow) + offsetY;
    const long long r2 = height / 2 - PixelOffset(end.y, perRow) + offsetY;
    const long long half = std::max(pen, 0) / 2;
    long long left = std::min(c1, c2) - half, right = std::max(c1, c2) + half;
    long long bottom = std::min(r1, r2) - half, top = std::max(r1, r2) + half;
    if (right < 0 || left >= width || top < 0 || bottom >= height) return std::nullopt;
    SShowAreaRect rect;
    rect.clipped = left < 0 || right > width - 1 || bottom < 0 || top > height - 1;
    rect.left = static_cast<int>(std::max(left, 0LL));
    rect.right = static_cast<int>(std::min(right, static_cast<long long>(width - 1)));
    rect.bottom = static_cast<int>(std::max(bottom, 0LL));
    rect.top = static_cast<int>(std::min(top, static_cast<long long>(height - 1)));
    return rect;
}

void DrawShowArea(CBitmapImage& image, const SShowAreaRect& rect, int pen, int r, int g, int b) {
    if (!image.IsValid()) return;
    if (image.bitsPerPixel == 8) {
        CBitmapImage colour = CBitmapImage::Blank(image.width, image.height, 24);
        for (int y = 0; y < image.height; ++y) {
            const uint8_t* in = image.Row(y);
            uint8_t* out = colour.Row(y);
            for (int x = 0; x < image.width; ++x) {
                const uint32_t rgb = image.palette.size() > in[x]
                                         ? image.palette[in[x]]
                                         : (uint32_t{in[x]} << 16) | (uint32_t{in[x]} << 8) | in[x];
                out[3 * x] = static_cast<uint8_t>(rgb & 0xFF);
                out[3 * x + 1] = static_cast<uint8_t>((rgb >> 8) & 0xFF);
                out[3 * x + 2] = static_cast<uint8_t>((rgb >> 16) & 0xFF);
            }
        }
        image = std::move(colour);
    }
    const int width = std::max(pen, 1);
    for (int y = rect.bottom; y <= rect.top && y < image.height; ++y) {
        if (y < 0) continue;
        uint8_t* row = image.Row(y);
        const bool band = y < rect.bottom + width || y > rect.top - width;
        for (int x = rect.left; x <= rect.right && x < image.width; ++x) {
            if (x < 0) continue;
            if (!band && x >= rect.left + width && x <= rect.right - width) continue;
            row[3 * x] = static_cast<uint8_t>(b);
            row[3 * x + 1] = static_cast<uint8_t>(g);
            row[3 * x + 2] = static_cast<uint8_t>(r);
        }
    }
}

// ---- CShowAreaLogic -----------------------------------------------------------------------------

CShowAreaLogic::CShowAreaLogic() {
    Profile().ReadLine(kMainframeSection, kShowAreaKey, "", kSettingsLine, &penWidth, &r, &g, &b);
    penWidth = std::clamp(penWidth, 1, kMaxPen);
    r = std::clamp(r, 0, 255);
    g = std::clamp(g, 0, 255);
    b = std::clamp(b, 0, 255);
    pen = StrPrintf("%d", penWidth);
    red = StrPrintf("%d", r);
    green = StrPrintf("%d", g);
    blue = StrPrintf("%d", b);
    systems = OpticalSystemNames();
    systemName = ActiveOpticalSystemName();
    if (systemName.empty() && !systems.empty()) systemName = systems.front();
    recentImages = ImageFiles();
    if (!recentImages.empty()) imageFile = recentImages.front();
}

std::vector<std::string> CShowAreaLogic::ImageFiles() {
    std::vector<std::pair<std::filesystem::file_time_type, std::string>> found;
    std::error_code ec;
    const std::string folder = JoinPath(GetRootDirectory(), "images");
    std::filesystem::directory_iterator it(folder, ec), end;
    for (; !ec && it != end; it.increment(ec)) {
        std::string ext = it->path().extension().string();
        for (char& c : ext)
            c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        if (ext != ".bmp" && ext != ".dib") continue;
        std::error_code tec;
        found.emplace_back(it->last_write_time(tec), it->path().string());
        if (found.size() >= 1000) break;  // a list, not the whole disk
    }
    std::sort(found.begin(), found.end(), [](const auto& a, const auto& b) {
        return a.first != b.first ? a.first > b.first : a.second < b.second;
    });
    std::vector<std::string> names;
    for (auto& [when, name] : found)
        names.push_back(std::move(name));
    return names;
}

bool CShowAreaLogic::Accept() {
    const std::optional<long> p = ParseInt(pen);
    if (!p || *p < 1 || *p > kMaxPen) {
        Tell(StrPrintf("Please enter an integer between 1 and %d.", kMaxPen));
        return false;
    }
    long rgb[3];
    const std::string* texts[3] = {&red, &green, &blue};
    for (int i = 0; i < 3; ++i) {
        const std::optional<long> v = ParseInt(*texts[i]);
        if (!v || *v < 0 || *v > 255) {
            Tell("Please enter an integer between 0 and 255.");
            return false;
        }
        rgb[i] = *v;
    }
    long offsets[4];
    const std::string* offsetTexts[4] = {&anchorX, &anchorY, &offsetX, &offsetY};
    for (int i = 0; i < 4; ++i) {
        const std::optional<long> v = ParseInt(*offsetTexts[i]);
        if (!v || *v < -100000 || *v > 100000) {
            Tell("Please enter an integer between -100000 and 100000.");
            return false;
        }
        offsets[i] = *v;
    }
    if (imageFile.empty()) {
        Tell("Choose an image file first.");
        return false;
    }
    penWidth = static_cast<int>(*p);
    r = static_cast<int>(rgb[0]);
    g = static_cast<int>(rgb[1]);
    b = static_cast<int>(rgb[2]);
    (void)offsets;
    Profile().WriteLine(kMainframeSection, kShowAreaKey, kSettingsLine, penWidth, r, g, b);
    COpticalSystem loaded;
    if (!loaded.Load(systemName)) {
        Tell(StrPrintf("Cannot load optical system %s from profile.", systemName.c_str()));
        return false;
    }
    system = loaded;
    return true;
}

std::optional<CBitmapImage> CShowAreaLogic::Draw(const CDVector4& start, const CDVector4& end) {
    CBitmapImage image;
    const SBmpStatus status = ReadBmpFile(imageFile, image);
    if (!status.Ok()) {
        Tell("Cannot read the image " + imageFile + ":\n" + status.detail);
        return std::nullopt;
    }
    const std::string problem = system.Problem();
    if (!problem.empty()) {
        Tell("The optical system '" + system.name + "' cannot map the scan area:\n" + problem);
        return std::nullopt;
    }
    // The offset is the step from the anchor to the offset point as the video shows it (rows
    // down the screen), here in rows counted from the bottom.
    const int dx = static_cast<int>(std::strtol(offsetX.c_str(), nullptr, 10) -
                                    std::strtol(anchorX.c_str(), nullptr, 10));
    const int dy = -static_cast<int>(std::strtol(offsetY.c_str(), nullptr, 10) -
                                     std::strtol(anchorY.c_str(), nullptr, 10));
    const std::optional<SShowAreaRect> rect =
        ShowAreaRect(start, end, system, image.width, image.height, penWidth, dx, dy);
    if (!rect) {
        Tell("The scan area lies outside the image\nusing optical system \n'" + system.name + "'.");
        return std::nullopt;
    }
    if (rect->clipped)
        Prompt().Message(
            "Clipping scan area to fit on image\nusing optical system \n'" + system.name + "'.",
            EPromptIcon::Exclamation);
    DrawShowArea(image, *rect, penWidth, r, g, b);
    return image;
}
