#include "support/TestEnv.h"

#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <sstream>

CTempDir::CTempDir() {
    std::string pattern = (std::filesystem::temp_directory_path() / "velm-test-XXXXXX").string();
    if (::mkdtemp(pattern.data()) == nullptr) std::abort();
    path = pattern;
}

CTempDir::~CTempDir() {
    std::error_code ec;
    std::filesystem::remove_all(path, ec);
}

std::string ReadFileText(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream out;
    out << in.rdbuf();
    return out.str();
}

void WriteFileText(const std::string& path, const std::string& text) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << text;
}

CVelmTest::CVelmTest()
    : profile(dir.File("velm.ini")), services(&clock, &prompt), scopedProfile(&profile) {}

CVelmTest::~CVelmTest() = default;
