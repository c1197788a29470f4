#pragma once
// The File menu's list of recently used documents: at most four paths, newest first, kept in
// velm.ini section "Recent File List" under "File1" to "File4".

#include <string>
#include <vector>

class CRecentFileList {
  public:
    static constexpr size_t kSize = 4;
    static constexpr const char* kSection = "Recent File List";

    // Reads the list; empty entries and repeats are skipped.
    void Load();
    // Writes the four keys (unused ones empty), so a shorter list leaves no stale names.
    void Save() const;

    // Puts `path` first (moving it up when it is already listed) and saves.
    void Add(const std::string& path);
    // Drops `path` and saves.
    void Remove(const std::string& path);

    const std::vector<std::string>& Paths() const { return paths; }

  private:
    std::vector<std::string> paths;
};
