#pragma once
// CScanJournal: while a grid scan runs, every observation it takes is appended to a journal
// beside the scan file and flushed to disk before the next point starts, so that a crash loses
// at most the point being taken. A scan that ends normally removes its journal once its file is
// saved; a journal found later is turned into the scan file (RecoverScanJournals).

#include <string>

class CScanDoc;
class CVelmObs;

class CScanJournal {
  public:
    CScanJournal();
    ~CScanJournal();
    CScanJournal(const CScanJournal&) = delete;
    CScanJournal& operator=(const CScanJournal&) = delete;

    // Starts the journal of the scan `doc` that will be saved to `doc.scanFile`: records the
    // scan's definition, the observation document it belongs to (may be empty), its number and
    // how many points it will take. False with the user's message when it cannot be written.
    bool Begin(const CScanDoc& doc, const std::string& obsDocPath, int scanNumber,
               int totalPoints, std::string& message);
    // Appends one observation the scan took (and how many points are done) and flushes it to
    // disk. False with the user's message.
    bool Append(const CVelmObs& obs, int pointsDone, std::string& message);
    // The scan file has been saved: the journal goes.
    void Finish();
    bool IsOpen() const { return fd >= 0; }
    // The journal's path for a scan file.
    static std::string PathFor(const std::string& scanFile);

  private:
    int fd = -1;
    std::string path;
};
