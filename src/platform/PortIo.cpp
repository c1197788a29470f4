#include "platform/PortIo.h"

#include <fcntl.h>
#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>

#include "platform/Format.h"

#if defined(__x86_64__) || defined(__i386__)
#include <sys/io.h>
#define VELM_HAVE_IOPERM 1
#endif

namespace {

constexpr uint32_t kPortSpace = 0x10000;
constexpr int kCapSysRawIo = 17;

std::string ReadSmallFile(const char* path) {
    std::ifstream in(path);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

bool ProcessHasRawIo() {
    std::istringstream status(ReadSmallFile("/proc/self/status"));
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("CapEff:", 0) != 0) continue;
        unsigned long long caps = std::strtoull(line.c_str() + 7, nullptr, 16);
        return (caps >> kCapSysRawIo) & 1;
    }
    return false;
}

std::string ProgramPath() {
    char buffer[4096];
    ssize_t n = ::readlink("/proc/self/exe", buffer, sizeof buffer - 1);
    if (n <= 0) return "velm";
    return std::string(buffer, static_cast<size_t>(n));
}

}  // namespace

// ---------------------------------------------------------------------------------------------
// CLinuxPortIo

CLinuxPortIo::CLinuxPortIo() : granted(kPortSpace, false) {}

CLinuxPortIo::~CLinuxPortIo() {
    if (devPort >= 0) ::close(devPort);
}

std::string CLinuxPortIo::RefusalText(uint32_t first, uint32_t count, const std::string& lockdown,
                                      bool hasRawIo, const std::string& program) {
    std::string ports = count > 1 ? StrPrintf("I/O ports %X-%X", first, first + count - 1)
                                  : StrPrintf("I/O port %X", first);
    // The active lockdown mode is the bracketed word, e.g. "none [integrity] confidentiality".
    bool lockedDown =
        lockdown.find('[') != std::string::npos && lockdown.find("[none]") == std::string::npos;
    if (lockedDown) {
        return StrPrintf(
            "Access to %s was refused: the Linux kernel is in lockdown (Secure Boot is on), "
            "which refuses direct port access even to root.\nTo use this board, turn off "
            "Secure Boot in the computer's firmware setup.",
            ports.c_str());
    }
    if (!hasRawIo) {
        return StrPrintf(
            "Access to %s was refused: direct port access needs root or the CAP_SYS_RAWIO "
            "capability.\nRun the program as root, or grant the capability once with\n"
            "  sudo setcap cap_sys_rawio+ep %s",
            ports.c_str(), program.c_str());
    }
    return StrPrintf("Access to %s was refused by the system (%s).", ports.c_str(),
                     std::strerror(EPERM));
}

bool CLinuxPortIo::Acquire(uint32_t first, uint32_t count, std::string& why) {
    if (count == 0) return true;
    if (first >= kPortSpace || count > kPortSpace - first) {
        why = StrPrintf("I/O port %X lies outside the PC's I/O space (0-FFFF).",
                        first >= kPortSpace ? first : kPortSpace);
        return false;
    }
    bool all = true;
    for (uint32_t p = first; p < first + count; ++p)
        all = all && granted[p];
    if (all || devPort >= 0) return true;
#ifdef VELM_HAVE_IOPERM
    if (::ioperm(first, count, 1) == 0) {
        for (uint32_t p = first; p < first + count; ++p)
            granted[p] = true;
        return true;
    }
    int ioError = errno;
    devPort = ::open("/dev/port", O_RDWR | O_CLOEXEC);
    if (devPort >= 0) return true;
    if (ioError == EPERM || errno == EPERM || errno == EACCES) {
        why = RefusalText(first, count, ReadSmallFile("/sys/kernel/security/lockdown"),
                          ProcessHasRawIo(), ProgramPath());
    } else if (ioError == ENOSYS) {
        why = StrPrintf(
            "Access to I/O ports %X-%X is not possible here: the system does not provide direct "
            "port access (as inside some containers and sandboxes).\nRun the program directly "
            "on the PC that holds the board.",
            first, first + count - 1);
    } else {
        why = StrPrintf("Access to I/O ports %X-%X failed: %s.", first, first + count - 1,
                        std::strerror(ioError));
    }
    return false;
#else
    why =
        "Direct I/O port access is only available on x86 PCs; this board cannot be used on "
        "this computer.";
    return false;
#endif
}

uint8_t CLinuxPortIo::In8(uint16_t port) {
#ifdef VELM_HAVE_IOPERM
    if (granted[port]) return ::inb(port);
#endif
    uint8_t value = 0xFF;  // what an empty ISA bus answers
    if (devPort >= 0 && ::pread(devPort, &value, 1, port) != 1) value = 0xFF;
    return value;
}

void CLinuxPortIo::Out8(uint16_t port, uint8_t value) {
#ifdef VELM_HAVE_IOPERM
    if (granted[port]) {
        ::outb(value, port);
        return;
    }
#endif
    if (devPort >= 0) (void)!::pwrite(devPort, &value, 1, port);
}

uint16_t CLinuxPortIo::In16(uint16_t port) {
#ifdef VELM_HAVE_IOPERM
    if (granted[port] && port + 1u < kPortSpace && granted[port + 1u]) return ::inw(port);
#endif
    // /dev/port moves single bytes: two byte reads are the closest it offers.
    uint16_t low = In8(port);
    uint16_t high = port < 0xFFFF ? In8(static_cast<uint16_t>(port + 1)) : 0xFF;
    return static_cast<uint16_t>(low | (high << 8));
}

void CLinuxPortIo::Out16(uint16_t port, uint16_t value) {
#ifdef VELM_HAVE_IOPERM
    if (granted[port] && port + 1u < kPortSpace && granted[port + 1u]) {
        ::outw(value, port);
        return;
    }
#endif
    Out8(port, static_cast<uint8_t>(value & 0xFF));
    if (port < 0xFFFF) Out8(static_cast<uint16_t>(port + 1), static_cast<uint8_t>(value >> 8));
}

// ---------------------------------------------------------------------------------------------
// CScriptedPortIo

bool CScriptedPortIo::Acquire(uint32_t first, uint32_t count, std::string& why) {
    if (!refuse.empty()) {
        why = refuse;
        return false;
    }
    if (first >= kPortSpace || count > kPortSpace - first) {
        why = "outside the I/O space";
        return false;
    }
    acquired.emplace_back(first, count);
    return true;
}

uint16_t CScriptedPortIo::Next(uint16_t port) {
    auto q = queued.find(port);
    if (q != queued.end() && !q->second.empty()) {
        uint16_t value = q->second.front();
        q->second.pop_front();
        return value;
    }
    auto level = levels.find(port);
    return level != levels.end() ? level->second : 0;
}

uint8_t CScriptedPortIo::In8(uint16_t port) {
    uint8_t value = static_cast<uint8_t>(Next(port));
    log.push_back({false, false, port, value});
    return value;
}

void CScriptedPortIo::Out8(uint16_t port, uint8_t value) {
    log.push_back({true, false, port, value});
}

uint16_t CScriptedPortIo::In16(uint16_t port) {
    uint16_t value = Next(port);
    log.push_back({false, true, port, value});
    return value;
}

void CScriptedPortIo::Out16(uint16_t port, uint16_t value) {
    log.push_back({true, true, port, value});
}

std::vector<std::pair<uint16_t, uint16_t>> CScriptedPortIo::Writes() const {
    std::vector<std::pair<uint16_t, uint16_t>> out;
    for (const auto& a : log)
        if (a.write) out.emplace_back(a.port, a.value);
    return out;
}

size_t CScriptedPortIo::ReadCount(uint16_t port) const {
    size_t n = 0;
    for (const auto& a : log)
        if (!a.write && a.port == port) ++n;
    return n;
}

// ---------------------------------------------------------------------------------------------

namespace {
CPortIo* currentPortIo = nullptr;
}

CPortIo& PortIo() {
    if (currentPortIo) return *currentPortIo;
    static CLinuxPortIo linuxPorts;
    return linuxPorts;
}

void SetPortIo(CPortIo* io) {
    currentPortIo = io;
}

CScopedPortIo::CScopedPortIo(CPortIo* io) : previous(currentPortIo) {
    currentPortIo = io;
}

CScopedPortIo::~CScopedPortIo() {
    currentPortIo = previous;
}
