#include "hw/fg/V4l2Device.h"

#include <algorithm>

#include "platform/Format.h"

std::vector<SV4l2Node> CameraNodes(std::vector<SV4l2Node> nodes) {
    std::sort(nodes.begin(), nodes.end(),
              [](const SV4l2Node& a, const SV4l2Node& b) { return a.number < b.number; });
    std::erase_if(nodes, [](const SV4l2Node& n) { return n.queried && !n.capture; });
    return nodes;
}

#ifdef VELM_HAVE_V4L2

#include <dirent.h>
#include <fcntl.h>
#include <libv4l2.h>
#include <linux/videodev2.h>
#include <poll.h>
#include <sys/ioctl.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace {

// What a node reports of itself. Asked with the plain kernel call: libv4l2 would set up its
// format conversion for every node just to be asked its name.
SV4l2Node AskNode(const std::string& path, int number) {
    SV4l2Node node;
    node.path = path;
    node.number = number;
    int fd = ::open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return node;
    v4l2_capability caps{};
    if (::ioctl(fd, VIDIOC_QUERYCAP, &caps) == 0) {
        const uint32_t have =
            (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
        node.queried = true;
        node.capture = (have & V4L2_CAP_VIDEO_CAPTURE) != 0;
        node.card.assign(reinterpret_cast<const char*>(caps.card),
                         strnlen(reinterpret_cast<const char*>(caps.card), sizeof caps.card));
    }
    ::close(fd);
    return node;
}

static_assert(kV4l2CidBrightness == V4L2_CID_BRIGHTNESS);
static_assert(kV4l2CidContrast == V4L2_CID_CONTRAST);
static_assert(kV4l2CidSaturation == V4L2_CID_SATURATION);
static_assert(kFourccYuyv == V4L2_PIX_FMT_YUYV);
static_assert(kFourccBgr24 == V4L2_PIX_FMT_BGR24);

// Memory-mapped streaming with two buffers, polled with a time-out so that a camera that stops
// sending never blocks the caller for good.
class CKernelV4l2Device : public CV4l2Device {
  public:
    ~CKernelV4l2Device() override { Close(); }

    bool Open(const std::string& path, std::string& error) override {
        Close();
        fd = v4l2_open(path.c_str(), O_RDWR | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            int code = errno;
            error = path + ": " + strerror(code) + ".";
            if (code == ENOENT)
                error += " No camera is connected there.";
            else if (code == EACCES)
                error += " Your user needs to be in the group \"video\" to use cameras.";
            return false;
        }
        v4l2_capability caps{};
        if (!Ioctl(VIDIOC_QUERYCAP, &caps, error, "VIDIOC_QUERYCAP")) {
            Close();
            return false;
        }
        uint32_t have =
            (caps.capabilities & V4L2_CAP_DEVICE_CAPS) ? caps.device_caps : caps.capabilities;
        if (!(have & V4L2_CAP_VIDEO_CAPTURE) || !(have & V4L2_CAP_STREAMING)) {
            error = path + " is not a video capture device that can stream frames.";
            Close();
            return false;
        }
        return true;
    }

    bool GetFormat(SV4l2Format& format, std::string& error) override {
        v4l2_format f{};
        f.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (!Ioctl(VIDIOC_G_FMT, &f, error, "VIDIOC_G_FMT")) return false;
        Take(f, format);
        return true;
    }

    bool SetFormat(SV4l2Format& format, std::string& error) override {
        v4l2_format f{};
        f.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        f.fmt.pix.width = format.width;
        f.fmt.pix.height = format.height;
        f.fmt.pix.pixelformat = format.pixelFormat;
        f.fmt.pix.field = V4L2_FIELD_ANY;
        if (!Ioctl(VIDIOC_S_FMT, &f, error, "VIDIOC_S_FMT")) return false;
        Take(f, format);
        return true;
    }

    bool QueryControl(uint32_t id, SV4l2ControlRange& range) override {
        v4l2_queryctrl q{};
        q.id = id;
        if (v4l2_ioctl(fd, VIDIOC_QUERYCTRL, &q) != 0) return false;
        if (q.flags & (V4L2_CTRL_FLAG_DISABLED | V4L2_CTRL_FLAG_READ_ONLY)) return false;
        range.minimum = q.minimum;
        range.maximum = q.maximum;
        return true;
    }

    bool SetControl(uint32_t id, int32_t value, std::string& error) override {
        v4l2_control c{};
        c.id = id;
        c.value = value;
        return Ioctl(VIDIOC_S_CTRL, &c, error, "VIDIOC_S_CTRL");
    }

    bool StartStreaming(std::string& error) override {
        v4l2_requestbuffers req{};
        req.count = 2;
        req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        req.memory = V4L2_MEMORY_MMAP;
        if (!Ioctl(VIDIOC_REQBUFS, &req, error, "VIDIOC_REQBUFS")) return false;
        if (req.count < 1) {
            error = "The camera offers no frame buffers.";
            return false;
        }
        for (uint32_t i = 0; i < std::min<uint32_t>(req.count, 2); ++i) {
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            b.index = i;
            if (!Ioctl(VIDIOC_QUERYBUF, &b, error, "VIDIOC_QUERYBUF")) return Fail();
            void* at =
                v4l2_mmap(nullptr, b.length, PROT_READ | PROT_WRITE, MAP_SHARED, fd, b.m.offset);
            if (at == MAP_FAILED) {
                error = StrPrintf("Mapping a camera buffer failed: %s.", strerror(errno));
                return Fail();
            }
            buffers.push_back({at, b.length});
            if (!Ioctl(VIDIOC_QBUF, &b, error, "VIDIOC_QBUF")) return Fail();
        }
        int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
        if (!Ioctl(VIDIOC_STREAMON, &type, error, "VIDIOC_STREAMON")) return Fail();
        streaming = true;
        return true;
    }

    bool ReadFrame(std::vector<uint8_t>& bytes, int timeoutMs, std::string& error) override {
        for (;;) {
            pollfd p{fd, POLLIN, 0};
            int n = ::poll(&p, 1, timeoutMs);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                error = n == 0 ? StrPrintf("The camera sent no frame within %d ms.", timeoutMs)
                               : StrPrintf("Waiting for the camera failed: %s.", strerror(errno));
                return false;
            }
            v4l2_buffer b{};
            b.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            b.memory = V4L2_MEMORY_MMAP;
            if (v4l2_ioctl(fd, VIDIOC_DQBUF, &b) != 0) {
                if (errno == EAGAIN || errno == EINTR) continue;
                error = StrPrintf("VIDIOC_DQBUF: %s.", strerror(errno));
                return false;
            }
            if (b.index >= buffers.size()) {
                error = "The camera returned an unknown buffer.";
                return false;
            }
            const auto& buf = buffers[b.index];
            const size_t used =
                std::min<size_t>(b.bytesused ? b.bytesused : buf.length, buf.length);
            bytes.assign(static_cast<const uint8_t*>(buf.start),
                         static_cast<const uint8_t*>(buf.start) + used);
            const bool broken = (b.flags & V4L2_BUF_FLAG_ERROR) != 0;
            if (!Ioctl(VIDIOC_QBUF, &b, error, "VIDIOC_QBUF")) return false;
            if (!broken) return true;  // a frame flagged bad is dropped; wait for the next
        }
    }

    void StopStreaming() override {
        if (fd < 0) return;
        if (streaming) {
            int type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            v4l2_ioctl(fd, VIDIOC_STREAMOFF, &type);
            streaming = false;
        }
        for (const auto& b : buffers)
            v4l2_munmap(b.start, b.length);
        if (!buffers.empty()) {
            buffers.clear();
            v4l2_requestbuffers req{};
            req.type = V4L2_BUF_TYPE_VIDEO_CAPTURE;
            req.memory = V4L2_MEMORY_MMAP;
            v4l2_ioctl(fd, VIDIOC_REQBUFS, &req);
        }
    }

    void Close() override {
        if (fd < 0) return;
        StopStreaming();
        v4l2_close(fd);
        fd = -1;
    }

    std::vector<SV4l2Node> Nodes() override {
        std::vector<SV4l2Node> nodes;
        DIR* dev = ::opendir("/dev");
        if (!dev) return nodes;
        while (const dirent* entry = ::readdir(dev)) {
            const std::string name = entry->d_name;
            if (name.size() < 6 || name.size() > 10 || name.compare(0, 5, "video") != 0 ||
                name.find_first_not_of("0123456789", 5) != std::string::npos)
                continue;
            nodes.push_back(AskNode("/dev/" + name, std::stoi(name.substr(5))));
        }
        ::closedir(dev);
        return nodes;
    }

  private:
    struct SBuffer {
        void* start;
        size_t length;
    };

    bool Ioctl(unsigned long request, void* arg, std::string& error, const char* name) {
        for (;;) {
            if (v4l2_ioctl(fd, request, arg) == 0) return true;
            if (errno == EINTR) continue;
            int code = errno;
            error = StrPrintf("%s: %s.", name, strerror(code));
            if (code == EBUSY) error += " The camera is in use (is live video running?).";
            return false;
        }
    }
    bool Fail() {
        StopStreaming();
        return false;
    }
    static void Take(const v4l2_format& f, SV4l2Format& format) {
        format.width = f.fmt.pix.width;
        format.height = f.fmt.pix.height;
        format.pixelFormat = f.fmt.pix.pixelformat;
        format.bytesPerLine = f.fmt.pix.bytesperline;
    }

    int fd = -1;
    bool streaming = false;
    std::vector<SBuffer> buffers;
};

}  // namespace

std::unique_ptr<CV4l2Device> CreateV4l2Device() {
    return std::make_unique<CKernelV4l2Device>();
}

#else  // !VELM_HAVE_V4L2

namespace {

class CMissingV4l2Device : public CV4l2Device {
  public:
    bool Open(const std::string&, std::string& error) override {
        error =
            "This VELM was built without Video4Linux2 (the Debian package libv4l-dev), so it "
            "cannot use cameras.";
        return false;
    }
    bool GetFormat(SV4l2Format&, std::string& error) override { return Open({}, error); }
    bool SetFormat(SV4l2Format&, std::string& error) override { return Open({}, error); }
    bool QueryControl(uint32_t, SV4l2ControlRange&) override { return false; }
    bool SetControl(uint32_t, int32_t, std::string& error) override { return Open({}, error); }
    bool StartStreaming(std::string& error) override { return Open({}, error); }
    bool ReadFrame(std::vector<uint8_t>&, int, std::string& error) override {
        return Open({}, error);
    }
    void StopStreaming() override {}
    void Close() override {}
    std::vector<SV4l2Node> Nodes() override { return {}; }
};

}  // namespace

std::unique_ptr<CV4l2Device> CreateV4l2Device() {
    return std::make_unique<CMissingV4l2Device>();
}

#endif
