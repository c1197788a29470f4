#pragma once
// Direct I/O-port access for the legacy ISA boards, the bath mover and the parallel port.
// Only the bytes that cross to a device go through a CPortIo; everything a board does with
// them lives in the board's own code. The program-wide instance is reached with PortIo();
// tests install a CScriptedPortIo that records every write and answers queued reads.

#include <cstdint>
#include <deque>
#include <map>
#include <string>
#include <vector>

class CPortIo {
  public:
    virtual ~CPortIo() = default;

    // Asks for access to `count` ports from `first`. Returns false with a reason the user can
    // act on (missing privilege, kernel lockdown, no port I/O on this processor) when refused.
    // A range already granted costs nothing.
    virtual bool Acquire(uint32_t first, uint32_t count, std::string& why) = 0;

    virtual uint8_t In8(uint16_t port) = 0;
    virtual void Out8(uint16_t port, uint8_t value) = 0;
    virtual uint16_t In16(uint16_t port) = 0;
    virtual void Out16(uint16_t port, uint16_t value) = 0;
};

// The Linux backend: ioperm() with inb/outb on x86, falling back to /dev/port when ioperm is
// refused but the device file can be opened. Permissions belong to the calling thread; the
// station does all its port I/O on the user-interface thread.
class CLinuxPortIo : public CPortIo {
  public:
    CLinuxPortIo();
    ~CLinuxPortIo() override;
    CLinuxPortIo(const CLinuxPortIo&) = delete;
    CLinuxPortIo& operator=(const CLinuxPortIo&) = delete;

    bool Acquire(uint32_t first, uint32_t count, std::string& why) override;
    uint8_t In8(uint16_t port) override;
    void Out8(uint16_t port, uint8_t value) override;
    uint16_t In16(uint16_t port) override;
    void Out16(uint16_t port, uint16_t value) override;

    // The explanation given when access is refused, from what the system reports: exposed so
    // that the wording can be checked without the privilege actually missing.
    //   lockdown: contents of /sys/kernel/security/lockdown ("" when absent)
    //   hasRawIo: whether the process holds CAP_SYS_RAWIO
    static std::string RefusalText(uint32_t first, uint32_t count, const std::string& lockdown,
                                   bool hasRawIo, const std::string& program);

  private:
    std::vector<bool> granted;  // per port, by ioperm
    int devPort = -1;           // /dev/port, when ioperm was refused but the file opened
};

// Test double. Every access is logged in order; reads answer from a per-port queue and, when
// that is empty, from the port's standing value (`levels`, else 0).
class CScriptedPortIo : public CPortIo {
  public:
    struct SAccess {
        bool write = false;
        bool word = false;
        uint16_t port = 0;
        uint16_t value = 0;
        bool operator==(const SAccess&) const = default;
    };

    bool Acquire(uint32_t first, uint32_t count, std::string& why) override;
    uint8_t In8(uint16_t port) override;
    void Out8(uint16_t port, uint8_t value) override;
    uint16_t In16(uint16_t port) override;
    void Out16(uint16_t port, uint16_t value) override;

    // Only the writes, in order, as (port, value) pairs.
    std::vector<std::pair<uint16_t, uint16_t>> Writes() const;
    // Number of reads of `port` so far.
    size_t ReadCount(uint16_t port) const;

    std::vector<SAccess> log;
    std::map<uint16_t, std::deque<uint16_t>> queued;
    std::map<uint16_t, uint16_t> levels;
    // When non-empty, Acquire refuses with this reason.
    std::string refuse;
    std::vector<std::pair<uint32_t, uint32_t>> acquired;

  private:
    uint16_t Next(uint16_t port);
};

// The program-wide port access; a CLinuxPortIo unless one was installed.
CPortIo& PortIo();
void SetPortIo(CPortIo* io);

class CScopedPortIo {
  public:
    explicit CScopedPortIo(CPortIo* io);
    ~CScopedPortIo();
    CScopedPortIo(const CScopedPortIo&) = delete;
    CScopedPortIo& operator=(const CScopedPortIo&) = delete;

  private:
    CPortIo* previous;
};
