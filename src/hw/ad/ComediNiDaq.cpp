#include "hw/ad/ComediNiDaq.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <vector>

#include "platform/Format.h"

#ifdef VELM_HAVE_COMEDI
#include <comedilib.h>
#endif

std::string ComediDevicePath(int device) {
    return StrPrintf("/dev/comedi%d", device - 1);
}

bool CountOfVolts(double volts, double span, int16_t& count) {
    if (std::isnan(volts) || !(span > 0.0)) return false;
    const double counts = std::round(volts / span * 32768.0);
    count = static_cast<int16_t>(std::clamp(counts, -32768.0, 32767.0));
    return true;
}

namespace {

[[maybe_unused]] std::string OpenFailureText(int device, int error) {
    const std::string path = ComediDevicePath(device);
    if (device < 1) {
        return StrPrintf(
            "NI device number %d is not valid: NI devices are numbered from 1 "
            "(device 1 is %s).\nCorrect the Device ID in the A/D Board Setup.",
            device, ComediDevicePath(1).c_str());
    }
    if (error == ENOENT || error == ENODEV || error == ENXIO) {
        return StrPrintf(
            "The National Instruments board (device %d) is driven through Comedi, but %s does "
            "not exist.\nLoad the Comedi driver of the board (ni_pcimio for the PCI-603x E "
            "series, ni_labpc_pci for the PCI-1200) and check the device number in the A/D "
            "Board Setup: device n is /dev/comedi(n-1).",
            device, path.c_str());
    }
    if (error == EACCES || error == EPERM) {
        return StrPrintf(
            "%s cannot be opened: permission denied.\nComedi devices belong to the group "
            "iocard: add your user to it (sudo adduser $USER iocard) and log in again.",
            path.c_str());
    }
    return StrPrintf("%s cannot be opened: %s.", path.c_str(), std::strerror(error));
}

#ifdef VELM_HAVE_COMEDI

// Status codes returned for errors Comedi reports without an errno of its own.
constexpr int kNoSubdevice = -10001;
constexpr int kNoRange = -10002;
constexpr int kBadScan = -10003;
constexpr int kNoNumber = -10004;  // a sample that did not convert to volts

int Failure() {
    int e = comedi_errno();
    return e > 0 ? -e : kBadScan;
}

class CComediNiDaq : public CNiDaqRoles {
  public:
    ~CComediNiDaq() override { Close(); }

    bool Open(int device, std::string& why) override {
        if (dev && openDevice == device) return true;
        Close();
        if (device < 1) {
            why = OpenFailureText(device, EINVAL);
            return false;
        }
        const std::string path = ComediDevicePath(device);
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) {
            why = OpenFailureText(device, errno);
            return false;
        }
        if (::access(path.c_str(), R_OK | W_OK) != 0) {
            why = OpenFailureText(device, errno);
            return false;
        }
        dev = comedi_open(path.c_str());
        if (!dev) {
            why = OpenFailureText(device, errno != 0 ? errno : ENODEV);
            return false;
        }
        // By default comedilib turns a sample at either end of the range (a saturated input)
        // into NaN; a saturated input must read as the range's end.
        comedi_set_global_oor_behavior(COMEDI_OOR_NUMBER);
        openDevice = device;
        return true;
    }

    int ScanSetup(int, int count, const int16_t channels[], const int16_t gains[]) override {
        if (!dev) return kBadScan;
        aiSubdevice = comedi_find_subdevice_by_type(dev, COMEDI_SUBD_AI, 0);
        if (aiSubdevice < 0) return kNoSubdevice;
        chanlist.clear();
        ranges.clear();
        for (int i = 0; i < count; ++i) {
            const unsigned ch = static_cast<unsigned>(channels[i]);
            const double span = gains[i] == -1 ? 10.0 : 5.0 / gains[i];
            int range = comedi_find_range(dev, static_cast<unsigned>(aiSubdevice), ch, UNIT_volt,
                                          -span, span);
            if (range < 0) return kNoRange;
            chanlist.push_back(CR_PACK(ch, static_cast<unsigned>(range), AREF_GROUND));
            ranges.push_back(span);
        }
        return 0;
    }

    int ScanStart(int, int16_t* buffer, uint32_t total, int sampleTimebase, uint32_t sampleInterval,
                  int, uint32_t) override {
        if (!dev || aiSubdevice < 0 || chanlist.empty() || total == 0 || sampleInterval == 0)
            return kBadScan;
        const unsigned subd = static_cast<unsigned>(aiSubdevice);
        const unsigned n = static_cast<unsigned>(chanlist.size());
        const double unitNs = sampleTimebase == 1 ? 1000.0 : 50.0;
        const double scanNs = unitNs * sampleInterval * n;
        comedi_cmd cmd{};
        if (comedi_get_cmd_generic_timed(dev, subd, &cmd, n,
                                         static_cast<unsigned>(std::min(scanNs, 4.0e9))) < 0)
            return Failure();
        cmd.chanlist = chanlist.data();
        cmd.chanlist_len = n;
        cmd.stop_src = TRIG_COUNT;
        cmd.stop_arg = total / n;
        int tested = -1;
        for (int i = 0; i < 3 && tested != 0; ++i)
            tested = comedi_command_test(dev, &cmd);
        if (tested != 0) return tested < 0 ? Failure() : kBadScan;
        lsampl = (comedi_get_subdevice_flags(dev, subd) & SDF_LSAMPL) != 0;
        maxdata = comedi_get_maxdata(dev, subd, 0);
        rangeInfo.clear();
        for (unsigned i = 0; i < n; ++i)
            rangeInfo.push_back(
                comedi_get_range(dev, subd, CR_CHAN(chanlist[i]), CR_RANGE(chanlist[i])));
        if (comedi_command(dev, &cmd) < 0) return Failure();
        const int fd = comedi_fileno(dev);
        ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) | O_NONBLOCK);
        target = buffer;
        wanted = total;
        got = 0;
        pending.clear();
        return 0;
    }

    int ScanCheck(int, bool& stopped, uint32_t& retrieved) override {
        if (!dev || !target) return kBadScan;
        const size_t sampleBytes = lsampl ? sizeof(lsampl_t) : sizeof(sampl_t);
        unsigned char chunk[8192];
        bool ended = false;
        while (got < wanted) {
            ssize_t r = ::read(comedi_fileno(dev), chunk, sizeof chunk);
            if (r > 0) {
                pending.insert(pending.end(), chunk, chunk + r);
                continue;
            }
            if (r == 0)
                ended = true;  // the command ran out
            else if (errno != EAGAIN && errno != EINTR)
                return -errno;
            break;
        }
        size_t whole = pending.size() / sampleBytes;
        for (size_t k = 0; k < whole && got < wanted; ++k) {
            lsampl_t raw = 0;
            if (lsampl) {
                std::memcpy(&raw, &pending[k * sampleBytes], sizeof(lsampl_t));
            } else {
                sampl_t s = 0;
                std::memcpy(&s, &pending[k * sampleBytes], sizeof(sampl_t));
                raw = s;
            }
            const size_t slot = got % rangeInfo.size();
            const double volts = comedi_to_phys(raw, rangeInfo[slot], maxdata);
            // NI-DAQ hands back signed counts of the gain's range; so do we.
            if (!CountOfVolts(volts, ranges[slot], target[got])) {
                Cancel();
                return kNoNumber;
            }
            ++got;
        }
        pending.erase(pending.begin(),
                      pending.begin() + static_cast<std::ptrdiff_t>(whole * sampleBytes));
        retrieved = got;
        stopped = got >= wanted;
        if (ended && !stopped) return kBadScan;
        if (stopped) Cancel();
        return 0;
    }

    int AcqClear(int) override {
        Cancel();
        return 0;
    }

    int AOVWrite(int, int channel, double volts) override {
        if (!dev) return kBadScan;
        int subd = comedi_find_subdevice_by_type(dev, COMEDI_SUBD_AO, 0);
        if (subd < 0) return kNoSubdevice;
        const unsigned s = static_cast<unsigned>(subd);
        int range = comedi_find_range(dev, s, static_cast<unsigned>(channel), UNIT_volt, -10, 10);
        if (range < 0) range = 0;
        comedi_range* info =
            comedi_get_range(dev, s, static_cast<unsigned>(channel), static_cast<unsigned>(range));
        if (!info) return kNoRange;
        lsampl_t data = comedi_from_phys(volts, info, comedi_get_maxdata(dev, s, 0));
        if (comedi_data_write(dev, s, static_cast<unsigned>(channel), static_cast<unsigned>(range),
                              AREF_GROUND, data) < 0)
            return Failure();
        return 0;
    }

    int DigOutPort(int, int port, int value) override {
        if (!dev) return kBadScan;
        int subd = comedi_find_subdevice_by_type(dev, COMEDI_SUBD_DIO, 0);
        if (subd < 0) return kNoSubdevice;
        const unsigned s = static_cast<unsigned>(subd);
        // NI digital port p is lines 8p..8p+7 of the board's digital subdevice.
        const unsigned first = static_cast<unsigned>(port) * 8;
        if (port < 0 || static_cast<int>(first + 8) > comedi_get_n_channels(dev, s))
            return kNoSubdevice;
        for (unsigned line = first; line < first + 8; ++line)
            if (comedi_dio_config(dev, s, line, COMEDI_OUTPUT) < 0) return Failure();
        unsigned bits = static_cast<unsigned>(value) & 0xFF;
        if (comedi_dio_bitfield2(dev, s, 0xFF, &bits, first) < 0) return Failure();
        return 0;
    }

  private:
    void Cancel() {
        if (dev && aiSubdevice >= 0 && target)
            comedi_cancel(dev, static_cast<unsigned>(aiSubdevice));
        target = nullptr;
    }
    void Close() {
        Cancel();
        if (dev) comedi_close(dev);
        dev = nullptr;
        openDevice = 0;
    }

    comedi_t* dev = nullptr;
    int openDevice = 0;
    int aiSubdevice = -1;
    std::vector<unsigned> chanlist;
    std::vector<double> ranges;
    std::vector<comedi_range*> rangeInfo;
    bool lsampl = false;
    lsampl_t maxdata = 0;
    int16_t* target = nullptr;
    uint32_t wanted = 0;
    uint32_t got = 0;
    std::vector<unsigned char> pending;
};

#else  // built without Comedi

class CComediNiDaq : public CNiDaqRoles {
  public:
    bool Open(int device, std::string& why) override {
        why = StrPrintf(
            "The National Instruments board (device %d) needs Comedi, but this "
            "program was built without it.\nInstall libcomedi-dev and build the "
            "program again.",
            device);
        return false;
    }
    int ScanSetup(int, int, const int16_t[], const int16_t[]) override { return -1; }
    int ScanStart(int, int16_t*, uint32_t, int, uint32_t, int, uint32_t) override { return -1; }
    int ScanCheck(int, bool&, uint32_t&) override { return -1; }
    int AcqClear(int) override { return 0; }
    int AOVWrite(int, int, double) override { return -1; }
    int DigOutPort(int, int, int) override { return -1; }
};

#endif

}  // namespace

std::unique_ptr<CNiDaqRoles> MakeComediNiDaq() {
    return std::make_unique<CComediNiDaq>();
}
