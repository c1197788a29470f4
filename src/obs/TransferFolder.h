#pragma once
// The transfer folder: how an outside program cooperates with a running acquisition. It drops
// a region of interest in to trigger a scan, reads our status words, drops an abort command in,
// and answers image requests with a bitmap. All files lie in the folder "transfer" of the
// current root directory and have fixed names.

#include <optional>
#include <string>
#include <string_view>

class CClock;

// A region of interest in camera pixels, as the outside program sends it.
struct SRegionRequest {
    int x1 = 0, y1 = 0;  // first corner
    int x2 = 0, y2 = 0;  // second corner
    int refFlag = 0;     // non-zero: a reference position follows
    int refX = 0, refY = 0;
};

class CTransferFolder {
  public:
    static constexpr const char* kRegionFile = "velmroi.txt";
    static constexpr const char* kResponseFile = "velmresp.txt";
    static constexpr const char* kCommandFile = "velmcmd.txt";
    static constexpr const char* kImageFile = "velmimg.bmp";

    static constexpr const char* kScanStarted = "Scan Started";
    static constexpr const char* kScanFinished = "Scan Finished";
    static constexpr const char* kScanAborted = "Scan Aborted";
    static constexpr const char* kGetImage = "Get Image";
    static constexpr const char* kAbortScan = "Abort Scan";

    // The folder itself.
    explicit CTransferFolder(std::string folder) : folder(std::move(folder)) {}
    // The "transfer" folder of a root directory.
    static CTransferFolder ForRoot(const std::string& root);
    // The "transfer" folder of the current root directory (velm.ini).
    static CTransferFolder Current();

    const std::string& Folder() const { return folder; }
    std::string PathOf(const char* name) const;

    // Triggered start: when the region file holds a whole line, reads its first 512
    // characters, deletes it and parses "(%d,%d) to (%d,%d) ref=%d (%d,%d)" (after a byte-order
    // mark, if the writer put one). The flag counts as 0 unless the line supplies it. A line
    // without its four corners starts nothing (the file is still removed, so it cannot trigger
    // again).
    //
    // A file still being written is left alone: a line without its line end that stops short
    // of the seventh number is taken only when it is found unchanged at the next look.
    std::optional<SRegionRequest> TakeRegionRequest();

    // Replaces the response file with `word` (no line end). The new content is written under a
    // temporary name and renamed, so the outside program never reads half a word.
    bool WriteResponse(std::string_view word) const;

    // True, after deleting the command file, when its first line is "Abort Scan".
    bool TakeAbortCommand() const;

    // Image request: deletes the old image and writes "Get Image". False (with `error` set) when
    // the request cannot be written, so nobody waits for an answer that cannot come.
    bool RequestImage(std::string* error = nullptr) const;
    // Waits until the image file exists or `timeoutMs` has passed; true when it exists.
    bool WaitForImage(CClock& clock, uint64_t timeoutMs) const;

  private:
    std::string folder;
    std::string unfinishedRegion;  // an unfinished region line seen at the last look
};
