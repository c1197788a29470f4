// The rooms of the source tree include only rooms below them, so any room can be read, built
// and tested with only what lies beneath it. This test reads every quoted include of the core,
// the tools, the benchmarks and the fuzz targets and names each one that reaches up.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <filesystem>
#include <fstream>
#include <regex>
#include <string>
#include <vector>

#include "support/TestEnv.h"

namespace fs = std::filesystem;

namespace {

// Bottom to top. gui/ may include every room; nothing else may include gui/.
constexpr std::array<const char*, 9> kRooms = {"platform", "settings", "hw",  "obs", "tech",
                                               "scan",     "display",  "app", "gui"};

int RankOf(const std::string& room) {
    for (size_t i = 0; i < kRooms.size(); ++i)
        if (room == kRooms[i]) return static_cast<int>(i);
    return -1;
}

bool IsSource(const fs::path& p) {
    const std::string ext = p.extension().string();
    return ext == ".h" || ext == ".cpp" || ext == ".c";
}

// "file:line: text" for every include that reaches up. `root` holds src/, tools/, bench/ and
// fuzz/; the last three sit above the core but below the desktop program.
std::vector<std::string> UpwardIncludes(const fs::path& root) {
    static const std::regex include(R"(^\s*#\s*include\s*"([A-Za-z0-9_]+)/)");
    std::vector<std::string> faults;
    auto check = [&](const fs::path& file, int fromRank, const std::string& shown) {
        std::ifstream in(file);
        std::string line;
        for (int n = 1; std::getline(in, line); ++n) {
            std::smatch m;
            if (!std::regex_search(line, m, include)) continue;
            const int to = RankOf(m[1].str());
            if (to < 0) continue;  // a folder of the test or tool itself
            if (to > fromRank) faults.push_back(shown + ":" + std::to_string(n) + ": " + line);
        }
    };
    const fs::path src = root / "src";
    if (fs::is_directory(src)) {
        for (const auto& room : fs::directory_iterator(src)) {
            if (!room.is_directory()) continue;
            const std::string name = room.path().filename().string();
            const int rank = RankOf(name);
            if (rank < 0) {
                faults.push_back("src/" + name + ": a room that is not in the order");
                continue;
            }
            for (const auto& f : fs::recursive_directory_iterator(room.path()))
                if (f.is_regular_file() && IsSource(f.path()))
                    check(f.path(), rank, fs::relative(f.path(), root).string());
        }
    }
    const int belowGui = RankOf("gui") - 1;
    for (const char* top : {"tools", "bench", "fuzz"}) {
        if (!fs::is_directory(root / top)) continue;
        for (const auto& f : fs::recursive_directory_iterator(root / top))
            if (f.is_regular_file() && IsSource(f.path()))
                check(f.path(), belowGui, fs::relative(f.path(), root).string());
    }
    return faults;
}

std::string Joined(const std::vector<std::string>& lines) {
    std::string text;
    for (const std::string& l : lines)
        text += l + "\n";
    return text;
}

}  // namespace

TEST(RoomOrder, NoRoomIncludesARoomAboveIt) {
    const std::vector<std::string> faults = UpwardIncludes(VELM_SOURCE_DIR);
    EXPECT_TRUE(faults.empty()) << "Includes that reach up (order, bottom to top: platform "
                                   "settings hw obs tech scan display app gui):\n"
                                << Joined(faults);
}

TEST(RoomOrder, TheCheckFindsWrongIncludesAndUnknownRooms) {
    CTempDir dir;
    const fs::path root = dir.Path();
    auto write = [&](const std::string& rel, const std::string& text) {
        fs::create_directories((root / rel).parent_path());
        std::ofstream(root / rel) << text;
    };
    write("src/hw/Board.cpp",
          "#include \"hw/Board.h\"\n#include \"platform/Clock.h\"\n#include \"obs/VelmObs.h\"\n");
    write("src/gui/Window.cpp", "#include \"app/MainFrame.h\"\n");
    write("src/obs/Doc.h", "// #include \"app/x.h\" is prose\n#  include \"settings/Profile.h\"\n");
    write("tools/t/main.cpp", "#include \"app/MainFrame.h\"\n#include \"gui/MainWindow.h\"\n");
    write("src/extra/Thing.cpp", "\n");
    std::vector<std::string> faults = UpwardIncludes(root);
    std::sort(faults.begin(), faults.end());
    ASSERT_EQ(faults.size(), 3u) << Joined(faults);
    EXPECT_EQ(faults[0], "src/extra: a room that is not in the order");
    EXPECT_EQ(faults[1], "src/hw/Board.cpp:3: #include \"obs/VelmObs.h\"");
    EXPECT_EQ(faults[2], "tools/t/main.cpp:2: #include \"gui/MainWindow.h\"");
}
