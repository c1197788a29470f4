#pragma once
// One grid scan: the references, images and points of one repetition of a scan group, taken
// into the scan document and saved as its numbered, read-only .scn file.
//
// The scan runs as one stretch holding the station. Between points it looks for Esc and, in a
// triggered scan, for the transfer folder's abort command. Every observation it adds goes to
// the scan's journal as well, so a crash loses at most the point being taken. Whatever ends a
// scan once it has begun (Esc, the abort command, a failed move, image or acquisition) still
// saves the file with what was taken; only a refused overwrite and a read-only document save
// nothing.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>

#include "platform/Vector4.h"

class CScanDoc;
class CStation;
class CTransferFolder;
class CVelmObs;
class CScanJournal;

// What a running scan tells the user ("Scan Status"). The engine calls it only when the scan's
// "Show Status" is on.
class IScanStatusSink {
  public:
    virtual ~IScanStatusSink() = default;
    // The scan begins; `title` is "Grid Scan File " and the file's path.
    virtual void Open(const std::string& /*title*/) {}
    // The message line.
    virtual void Message(const std::string& text) = 0;
    virtual void PointsRemaining(int64_t /*points*/) {}
    // The scan tool's stage position after a move.
    virtual void Position(const CDVector4& /*position*/) {}
    // An observation was taken (the window shows its values with the scan's calibration).
    virtual void Observation(const CVelmObs& /*obs*/, const CScanDoc& /*scan*/) {}
    // The scan is over.
    virtual void Close() {}
};

// How a scan ended.
enum class EScanEnd {
    Completed,   // every point was taken
    EndedEarly,  // a failed move, image, acquisition or journal write ended it (user told)
    Aborted,     // Esc answered OK, or the transfer folder's abort command
    Refused,     // nothing taken: read-only document, overwrite refused, journal not begun
};

struct SScanOutcome {
    EScanEnd end = EScanEnd::Refused;
    bool saved = false;  // this call wrote the scan file
    // The group may go on: the scan ran to its end and its file was saved.
    bool Continue() const { return end == EScanEnd::Completed && saved; }
};

class CGridScanEngine {
  public:
    static constexpr const char* kTerminateQuestion = "Terminate grid scan group acquisition?";
    static constexpr const char* kReadOnly = "Attempt to acquire read-only scan.";
    static constexpr const char* kOverwrite =
        "Scan file %s already exists - overwrite with new data ?";

    CGridScanEngine(CScanDoc& doc, CStation& station);
    ~CGridScanEngine();
    CGridScanEngine(const CGridScanEngine&) = delete;
    CGridScanEngine& operator=(const CGridScanEngine&) = delete;

    // The status window (null: none).
    IScanStatusSink* status = nullptr;
    // Whether Esc has been pressed since the last call (empty: never).
    std::function<bool()> escapePressed;
    // Triggered scans: the transfer folder whose abort command stops the scan (null: timed).
    CTransferFolder* transfer = nullptr;
    // The observation document the scan belongs to (recorded in the journal).
    std::string obsDocPath;

    // Scan number `n` of the group (sequence of the file name). The document's list must be
    // empty and its parameters loaded.
    SScanOutcome AcquireScan(int n);

    // "%a%b%d" of `seconds` in local time with English names ("WedDec05"), whatever the
    // user's language, so file names are the same on every station.
    static std::string DatePrefix(int64_t seconds);
    // <root>/<group>/<date>Scan%04d.scn
    static std::string ScanFilePath(const CScanDoc& doc, int n, int64_t seconds);
    // <root>/<group>/<date>ScnBefImg%04d.bmp or ScnAftImg
    static std::string ImagePath(const CScanDoc& doc, int n, int64_t seconds, bool before);

  private:
    struct SRun;
    bool Begin(SRun& run, int n);
    bool Add(SRun& run, std::unique_ptr<CVelmObs> obs, bool countForAutoSave = true);
    void Say(const std::string& text);
    bool MoveTool(const CDVector4& target);
    bool MoveStage(bool probe, const CDVector4& target);
    bool Image(SRun& run, bool before);
    bool References(SRun& run, bool before);
    bool Point(SRun& run);
    bool UserAborts();
    void Finish(SRun& run, SScanOutcome& outcome);

    CScanDoc& doc;
    CStation& station;
};
