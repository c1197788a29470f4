#pragma once
// An image acquisition for tests: records every call as a line of text, answers attribute
// reads from a table, snaps a prepared frame, and fails any call a test names.

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "hw/fg/ImageAcquisition.h"
#include "platform/Format.h"

struct SFakeAcquisitionLog {
    std::vector<std::string> calls;
    int closes = 0;
};

class CFakeAcquisition : public CImageAcquisition {
  public:
    explicit CFakeAcquisition(std::shared_ptr<SFakeAcquisitionLog> log) : log(std::move(log)) {}

    std::map<uint32_t, double> attributes = {{kImgAttrRoiWidth, 640}, {kImgAttrRoiHeight, 480}};
    SAcquiredFrame frame;
    std::string failOn;  // call name that returns -3

    int InterfaceOpen(const std::string& name) override { return Log("InterfaceOpen " + name); }
    int SessionOpen() override { return Log("SessionOpen"); }
    int GetAttribute(uint32_t attribute, double& value) override {
        value = attributes[attribute];
        return Log(StrPrintf("Get %X", attribute));
    }
    int SetAttribute(uint32_t attribute, double value) override {
        attributes[attribute] = value;
        return Log(StrPrintf("Set %X %g", attribute, value));
    }
    int Snap(SAcquiredFrame& out) override {
        out = frame;
        return Log("Snap");
    }
    int GrabSetup() override { return Log("GrabSetup"); }
    int Grab(SAcquiredFrame& out) override {
        out = frame;
        return Log("Grab");
    }
    int StopAcquisition() override { return Log("Stop"); }
    void Close() override { ++log->closes; }
    std::string ErrorText(int status) override { return StrPrintf("Camera says %d", status); }

    // A grey frame whose pixel (x, y) from the top is x + 10 y.
    static SAcquiredFrame GreyFrame(int w, int h) {
        SAcquiredFrame f;
        f.width = w;
        f.height = h;
        f.bytesPerPixel = 1;
        f.rowBytes = static_cast<size_t>(w) + 3;  // padded rows, as cameras deliver them
        f.data.assign(f.rowBytes * h, 0xEE);
        for (int y = 0; y < h; ++y)
            for (int x = 0; x < w; ++x)
                f.data[y * f.rowBytes + x] = static_cast<uint8_t>(x + 10 * y);
        return f;
    }

  private:
    int Log(const std::string& call) {
        log->calls.push_back(call);
        return call.rfind(failOn, 0) == 0 && !failOn.empty() ? -3 : 0;
    }
    std::shared_ptr<SFakeAcquisitionLog> log;
};
