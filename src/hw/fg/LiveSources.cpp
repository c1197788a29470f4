#include "hw/fg/LiveSources.h"

#include "hw/FgBoard.h"
#include "platform/Format.h"

int ApplyInputAttributes(CImageAcquisition& acquisition, const SInputSignal& input) {
    if (int s = acquisition.SetAttribute(kImgAttrBrightness, input.gain - 50.0)) return s;
    if (int s = acquisition.SetAttribute(kImgAttrContrast, (input.offset - 50) * 0.01 + 1.0))
        return s;
    return acquisition.SetAttribute(kImgAttrSaturation, (input.saturation - 50) * 0.01 + 1.0);
}

int OpenAcquisition(CImageAcquisition& acquisition, const SAcquisitionSetup& setup) {
    if (int s = acquisition.InterfaceOpen(StrPrintf("img%d", setup.camera))) return s;
    if (int s = acquisition.SessionOpen()) return s;
    double width = 0, height = 0;
    if (int s = acquisition.GetAttribute(kImgAttrRoiWidth, width)) return s;
    if (int s = acquisition.GetAttribute(kImgAttrRoiHeight, height)) return s;
    if (width > setup.width) width = setup.width;
    if (height > setup.height) height = setup.height;
    if (int s = acquisition.SetAttribute(kImgAttrRoiWidth, width)) return s;
    if (int s = acquisition.SetAttribute(kImgAttrRoiHeight, height)) return s;
    if (int s = acquisition.SetAttribute(kImgAttrRowPixels, width)) return s;
    if (int s = ApplyInputAttributes(acquisition, setup.input)) return s;
    if (setup.colour) {
        if (setup.type == kFgNiImaq1408) {
            if (int s = acquisition.SetAttribute(kImgAttrColorMode, 2)) return s;
            if (int s = acquisition.SetAttribute(kImgAttrColorRepresentation, 13)) return s;
        } else if (setup.type == kFgNiImaq1411) {
            if (int s = acquisition.SetAttribute(kImgAttrColorRepresentation, 0)) return s;
        } else if (setup.type == kFgNiImaq1428) {
            double bits = 0;
            if (int s = acquisition.GetAttribute(kImgAttrBitsPerPixel, bits)) return s;
        }
    }
    return 0;
}

namespace {

class CCameraLiveSource : public CLiveFrameSource {
  public:
    CCameraLiveSource(std::unique_ptr<CImageAcquisition> acquisition,
                      const SAcquisitionSetup& setup)
        : acquisition(std::move(acquisition)), setup(setup) {}

    bool Begin(std::string& error) override {
        int status = OpenAcquisition(*acquisition, setup);
        if (status == 0) status = acquisition->GrabSetup();
        if (status == 0) return true;
        error = acquisition->ErrorText(status);
        return false;
    }
    bool Next(CBitmapImage& frame, std::string& error) override {
        if (int status = acquisition->Grab(grabbed)) {
            error = acquisition->ErrorText(status);
            return false;
        }
        if (!grabbed.IsConsistent()) {
            error = "The camera delivered a damaged frame.";
            return false;
        }
        const int bits = setup.colour ? 24 : 8;
        if (frame.width != setup.width || frame.height != setup.height ||
            frame.bitsPerPixel != bits)
            frame = CBitmapImage::Blank(setup.width, setup.height, bits);
        CopyAcquiredFrame(grabbed, setup.width, setup.height, bits / 8, frame.pixels.data());
        return true;
    }
    void SetInput(const SInputSignal& input) override { ApplyInputAttributes(*acquisition, input); }
    void End() override {
        acquisition->StopAcquisition();
        acquisition->Close();
    }

  private:
    std::unique_ptr<CImageAcquisition> acquisition;
    SAcquisitionSetup setup;
    SAcquiredFrame grabbed;
};

class CPatternLiveSource : public CLiveFrameSource {
  public:
    CPatternLiveSource(int width, int height, bool colour, int captureWidth)
        : width(width), height(height), bits(colour ? 24 : 8), captureWidth(captureWidth) {}
    bool Begin(std::string& error) override {
        if (CBitmapImage::Blank(width, height, bits).IsValid()) return true;
        error = StrPrintf("The frame grabber's image size (%d x %d) is not usable.", width, height);
        return false;
    }
    bool Next(CBitmapImage& frame, std::string&) override {
        if (!frame.IsValid() || frame.width != width || frame.height != height) {
            frame = CBitmapImage::Blank(width, height, bits);
            FillTestPattern(frame.pixels.data(), width, height, bits / 8, captureWidth);
        }
        return true;
    }

  private:
    int width, height, bits, captureWidth;
};

class CStillLiveSource : public CLiveFrameSource {
  public:
    explicit CStillLiveSource(CBitmapImage image) : image(std::move(image)) {}
    bool Begin(std::string& error) override {
        if (image.IsValid()) return true;
        error = "There is no image to show.";
        return false;
    }
    bool Next(CBitmapImage& frame, std::string&) override {
        frame = image;
        return true;
    }

  private:
    CBitmapImage image;
};

}  // namespace

std::unique_ptr<CLiveFrameSource> MakeCameraLiveSource(
    std::unique_ptr<CImageAcquisition> acquisition, const SAcquisitionSetup& setup) {
    return std::make_unique<CCameraLiveSource>(std::move(acquisition), setup);
}

std::unique_ptr<CLiveFrameSource> MakePatternLiveSource(int width, int height, bool colour,
                                                        int captureWidth) {
    return std::make_unique<CPatternLiveSource>(width, height, colour, captureWidth);
}

std::unique_ptr<CLiveFrameSource> MakeStillLiveSource(CBitmapImage image) {
    return std::make_unique<CStillLiveSource>(std::move(image));
}
