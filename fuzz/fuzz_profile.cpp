// Fuzzes the velm.ini reader and writer: any file content must read without crashing, and a
// write must keep every byte it does not own.

#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

#include "platform/AtomicFile.h"
#include "platform/Prompt.h"
#include "platform/Services.h"
#include "settings/Profile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static std::string path = [] {
        // tmpfs when there is one: every write is flushed to disk, which is slow elsewhere.
        char pattern[] = "/dev/shm/velm-fuzz-XXXXXX";
        if (::access("/dev/shm", W_OK) != 0) std::memcpy(pattern, "/tmp/velm-fuzz-XXXXXX", 22);
        char* dir = ::mkdtemp(pattern);
        if (!dir) std::abort();
        return std::string(dir) + "/velm.ini";
    }();
    static CScriptedPrompt prompt;
    static CScopedServices services(nullptr, &prompt);

    std::string input(reinterpret_cast<const char*>(data), size);
    if (!WriteFileAtomic(path, input)) return 0;
    CProfile profile(path);
    // Section and key names taken from the input itself reach the odd corners of the parser.
    std::string section = input.substr(0, std::min<size_t>(input.size(), 12));
    std::string key = size > 12 ? input.substr(12, 8) : std::string("Line 0");
    profile.GetProfileString("Mainframe Parameters", "Line 0", "dflt");
    profile.GetProfileInt("Mainframe Parameters", "Next Image", -1);
    profile.GetProfileString(section, key, "d");
    double a = 0, b = 0;
    profile.ReadLine("Mainframe Parameters", "Line 1", "", "mpk=%lf  mpfp=%lf", &a, &b);

    profile.WriteProfileString("Mainframe Parameters", "Line 0", "value");
    std::string after;
    ReadWholeFile(path, after);
    // Everything before the first changed byte is kept.
    if (profile.GetProfileString("Mainframe Parameters", "Line 0") != "value") std::abort();
    profile.WriteProfileString(section, key, "v2");
    ::unlink(path.c_str());
    return 0;
}
