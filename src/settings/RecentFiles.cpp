#include "settings/RecentFiles.h"

#include <algorithm>

#include "platform/Format.h"
#include "settings/Profile.h"

void CRecentFileList::Load() {
    paths.clear();
    for (size_t i = 1; i <= kSize; ++i) {
        std::string path = Profile().GetProfileString(kSection, StrPrintf("File%zu", i));
        if (path.empty() || std::find(paths.begin(), paths.end(), path) != paths.end()) continue;
        paths.push_back(path);
    }
}

void CRecentFileList::Save() const {
    // Only the keys that change are written: each write replaces the whole file on disk.
    for (size_t i = 0; i < kSize; ++i) {
        std::string key = StrPrintf("File%zu", i + 1);
        std::string value = i < paths.size() ? paths[i] : std::string();
        if (Profile().GetProfileString(kSection, key) != value)
            Profile().WriteProfileString(kSection, key, value);
    }
}

void CRecentFileList::Add(const std::string& path) {
    if (path.empty()) return;
    paths.erase(std::remove(paths.begin(), paths.end(), path), paths.end());
    paths.insert(paths.begin(), path);
    if (paths.size() > kSize) paths.resize(kSize);
    Save();
}

void CRecentFileList::Remove(const std::string& path) {
    auto end = std::remove(paths.begin(), paths.end(), path);
    if (end == paths.end()) return;
    paths.erase(end, paths.end());
    Save();
}
