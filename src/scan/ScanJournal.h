#pragma once
// CScanJournal: while a grid scan runs, every observation it takes is appended to a journal
// beside the scan file and flushed to disk before the next point starts, so that a crash loses
// at most the point being taken. A scan that ends normally removes its journal once its file is
// saved; a journal found later is turned into the scan file (RecoverScanJournals).
//
// The journal's file: the 8 bytes "VELMSCNJ", then records. Each record is a DWORD length n, a
// DWORD CRC-32 of the n bytes that follow, then those bytes: a type byte and its body.
//   type 1, the start (one, first): DWORD scan number, DWORD points of the scan, the observation
//     document's path (DWORD length, bytes), then the scan document as it stands at the start
//     (its .scn bytes: its definition and what went in before the first point).
//   type 2, an observation: DWORD points done, then the observation as one archive object.
// A record cut short or damaged ends the journal there: what was flushed before it counts.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

class CScanDoc;
class CVelmObs;

inline constexpr char kScanJournalMagic[] = "VELMSCNJ";
inline constexpr size_t kScanJournalMagicSize = 8;
inline constexpr const char* kScanJournalSuffix = ".journal";

class CScanJournal {
  public:
    CScanJournal();
    ~CScanJournal();
    CScanJournal(const CScanJournal&) = delete;
    CScanJournal& operator=(const CScanJournal&) = delete;

    // Starts the journal of the scan `doc` that will be saved to `doc.scanFile`: records the
    // scan's definition, the observation document it belongs to (may be empty), its number and
    // how many points it will take. False with the user's message when it cannot be written.
    bool Begin(const CScanDoc& doc, const std::string& obsDocPath, int scanNumber, int totalPoints,
               std::string& message);
    // Appends one observation the scan took (and how many points are done) and flushes it to
    // disk. False with the user's message.
    bool Append(const CVelmObs& obs, int pointsDone, std::string& message);
    // The scan file has been saved: the journal goes.
    void Finish();
    bool IsOpen() const { return fd >= 0; }
    // The journal's path for a scan file.
    static std::string PathFor(const std::string& scanFile);

  private:
    bool WriteRecord(const std::string& record, std::string& message);

    int fd = -1;
    std::string path;
};

// A journal read back: the start record and the observation records that were whole.
struct SScanJournalContents {
    int scanNumber = 0;
    int totalPoints = 0;
    int pointsDone = 0;  // of the last whole observation record (0 when none)
    std::string obsDocPath;
    std::string documentBytes;              // the scan document at the start
    std::vector<std::string> observations;  // one archive object each
    bool torn = false;                      // bytes after the last whole record were dropped
};

// Reads a journal's bytes. False (with the reason) when not even the start record is whole.
bool ParseScanJournal(std::string_view bytes, SScanJournalContents& contents, std::string& why);

// CRC-32 (the common polynomial, reflected), as the journal checks its records.
uint32_t Crc32(std::string_view bytes);
