#pragma once
// A Video4Linux2 camera as the kernel presents it, for tests of the acquisition and of the
// grabber above it: the /dev/video nodes a camera makes (capture and metadata), the formats it
// accepts, its controls and the bytes of its frames. Like the kernel it serves one streaming
// session at a time: while one open handle streams, another handle's format change and
// stream start are refused as busy.

#include <algorithm>
#include <map>
#include <string>
#include <vector>

#include "hw/fg/V4l2Device.h"

struct SFakeCamera {
    std::string path = "/dev/video1";
    // /dev/video0 is the camera's metadata node: it captures nothing.
    std::vector<SV4l2Node> nodes = {{"/dev/video0", 0, true, false, "Microscope camera"},
                                    {"/dev/video1", 1, true, true, "Microscope camera"}};
    std::vector<uint32_t> formats = {kFourccYuyv};  // what it accepts; the first is its default
    uint32_t width = 4, height = 2;
    std::map<uint32_t, SV4l2ControlRange> controls;
    std::map<uint32_t, int32_t> set;
    std::vector<uint8_t> frameBytes;
    std::vector<SV4l2Format> asked;
    bool streaming = false;
    bool silent = false;
    const void* streamOwner = nullptr;  // the open handle whose session streams
    int busyRefusals = 0;
};

class CFakeV4l2Device : public CV4l2Device {
  public:
    explicit CFakeV4l2Device(SFakeCamera& camera) : camera(camera) {}
    ~CFakeV4l2Device() override { Close(); }

    bool Open(const std::string& path, std::string& error) override {
        if (path == camera.path) return open = true;
        error = path + ": No such file or directory. No camera is connected there.";
        return false;
    }
    bool GetFormat(SV4l2Format& format, std::string&) override {
        format = {camera.width, camera.height, camera.formats.front(), 0};
        return true;
    }
    bool SetFormat(SV4l2Format& format, std::string& error) override {
        if (Busy(error, "VIDIOC_S_FMT")) return false;
        camera.asked.push_back(format);
        bool accepted = false;
        for (uint32_t f : camera.formats)
            accepted = accepted || f == format.pixelFormat;
        if (!accepted) format.pixelFormat = camera.formats.front();
        format.width = std::min(format.width, camera.width);
        format.height = std::min(format.height, camera.height);
        format.bytesPerLine = 0;
        return true;
    }
    bool QueryControl(uint32_t id, SV4l2ControlRange& range) override {
        auto it = camera.controls.find(id);
        if (it == camera.controls.end()) return false;
        range = it->second;
        return true;
    }
    bool SetControl(uint32_t id, int32_t value, std::string&) override {
        camera.set[id] = value;
        return true;
    }
    bool StartStreaming(std::string& error) override {
        if (Busy(error, "VIDIOC_REQBUFS")) return false;
        camera.streamOwner = this;
        return camera.streaming = true;
    }
    bool ReadFrame(std::vector<uint8_t>& bytes, int timeoutMs, std::string& error) override {
        if (camera.silent) {
            error = "The camera sent no frame within " + std::to_string(timeoutMs) + " ms.";
            return false;
        }
        bytes = camera.frameBytes;
        return true;
    }
    void StopStreaming() override {
        if (camera.streamOwner != this) return;
        camera.streamOwner = nullptr;
        camera.streaming = false;
    }
    void Close() override {
        StopStreaming();
        open = false;
    }
    std::vector<SV4l2Node> Nodes() override { return camera.nodes; }

  private:
    // Another handle streams: the kernel answers EBUSY.
    bool Busy(std::string& error, const char* request) {
        if (camera.streamOwner == nullptr || camera.streamOwner == this) return false;
        ++camera.busyRefusals;
        error = std::string(request) + ": Device or resource busy.";
        return true;
    }

    SFakeCamera& camera;
    bool open = false;
};
