#pragma once
// Replacing a file so that a crash, a full disk or a failed write never leaves a half-written
// file where a good one stood: write a temporary file in the same folder, flush it to disk,
// then rename it over the old one.

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

class CAtomicFile {
  public:
    CAtomicFile() = default;
    ~CAtomicFile();  // a file neither committed nor aborted is aborted
    CAtomicFile(const CAtomicFile&) = delete;
    CAtomicFile& operator=(const CAtomicFile&) = delete;

    // Creates the temporary file beside `path` (a symbolic link is followed, so the link stays).
    bool Open(const std::string& path);
    // Buffered writes; the first failure is kept and later writes are ignored.
    bool Write(const void* data, size_t size);
    bool Write(std::string_view text) { return Write(text.data(), text.size()); }
    // Flushes, syncs and renames over the target. False leaves the old file as it was.
    bool Commit();
    // Removes the temporary file; the target is untouched.
    void Abort();

    bool IsOpen() const { return fd >= 0; }
    // errno of the first failure (0 when none) and its text.
    int ErrorCode() const { return errorCode; }
    std::string ErrorText() const;
    // The file being replaced (after following links).
    const std::string& TargetPath() const { return target; }

  private:
    bool FlushBuffer();
    void Fail(int code);

    int fd = -1;
    int errorCode = 0;
    std::string target;
    std::string tempPath;
    std::string buffer;
};

// Whole-file convenience: true on success; on failure `error` (when given) gets the reason.
bool WriteFileAtomic(const std::string& path, std::string_view bytes, std::string* error = nullptr);

// Reads a whole regular file. False when it cannot be opened or read, or is no regular file
// (EISDIR for a folder, EINVAL for a FIFO, socket or device); `errorCode` gets errno.
bool ReadWholeFile(const std::string& path, std::string& bytes, int* errorCode = nullptr);
