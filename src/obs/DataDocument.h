#pragma once
// CDataDocument: the base of the observation, scan and image-sequence documents. It owns the
// time-ordered observation list, the view filters and export options that travel with the
// file, automatic saving, and the register of rules and calibrations in force.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "obs/Archive.h"
#include "obs/ObsRegister.h"
#include "obs/VelmObs.h"

// Time-range filters of the View menu (the identifiers of their commands).
inline constexpr int kViewAll = 32959;
inline constexpr int kViewLatestHalfHour = 32932;
inline constexpr int kViewFixed = 32931;

// Reads or writes an owned object list: count, then each element as an object reference.
// Loading accepts only observations, refuses an object owned twice, and skips empty entries.
void SerializeObsList(CArchive& ar, CObsList& list);

class CDataDocument {
  public:
    CDataDocument();
    virtual ~CDataDocument();
    CDataDocument(const CDataDocument&) = delete;
    CDataDocument& operator=(const CDataDocument&) = delete;

    // ---- The observation list -------------------------------------------------------------
    // Inserts `obs` after the last observation not later than it (so observations taken now
    // go to the end and equal stamps keep their order), marks the document modified, counts
    // it for automatic saving and refreshes the views. False only for no observation.
    // Automatic saving counts what the user took; the copies of rules and calibrations that
    // go in before a measurement, and all but the last part of one acquisition, pass
    // `countForAutoSave` false, so that each automatic save holds the measurement that
    // triggered it.
    bool AddObs(std::unique_ptr<CVelmObs> obs, bool countForAutoSave = true);
    // A log entry stamped now (time and positions) with `text`, added with AddObs.
    CVelmObs* AddLogEntry(const std::string& text);
    size_t GetObsCount() const { return observations.size(); }
    // The observation at `position`, or null past the end.
    CVelmObs* GetObsAt(size_t position) const;
    const CObsList& Observations() const { return observations; }

    // The rules and calibrations in force, rebuilt from the list when it has changed.
    const CObsRegister& Register() const;
    // Empties the register and offers every observation to it in list order.
    void RebuildRegister() const;

    // ---- Files --------------------------------------------------------------------------------
    virtual void Serialize(CArchive& ar);
    // Empties the lists (fields keep their values).
    virtual void DeleteContents();

    // Loads `path` (the document must be new). False on failure, with the message for the
    // user in `message` ("" when an observation has shown its own already).
    bool LoadFile(const std::string& path, std::string& message);
    // Saves through a temporary file that replaces `path` only when complete.
    bool SaveFile(const std::string& path, std::string& message);
    // As LoadFile / SaveFile, showing the failure message (exclamation icon).
    bool OnOpenDocument(const std::string& path);
    bool OnSaveDocument(const std::string& path);
    // The document's bytes in memory, and back (tests, the tool, the fuzzer).
    std::string SaveToBytes();
    EArchiveError LoadFromBytes(std::string_view bytes);

    const std::string& GetPathName() const { return pathName; }
    void SetPathName(const std::string& path) { pathName = path; }
    bool IsModified() const { return modified; }
    void SetModifiedFlag(bool on = true) { modified = on; }

    // Refreshes the document's views (the GUI installs it).
    void SetUpdateViewsHook(std::function<void()> hook) { updateViewsHook = std::move(hook); }
    void UpdateAllViews() const {
        if (updateViewsHook) updateViewsHook();
    }
    // What an automatic save does; by default saves to the document's path when it has one.
    void SetAutoSaveHook(std::function<bool(CDataDocument&)> hook) {
        autoSaveHook = std::move(hook);
    }

    // ---- Stored fields, in file order -----------------------------------------------------------
    // Export selection by class.
    int exportDIB = 1, exportIonCal = 1, exportIonPt = 1, exportIonRef = 1, exportIonSampRules = 1,
        exportLog = 1, exportScan = 1, exportVidSeq = 1, exportWireCal = 1, exportWirePt = 1,
        exportWireRef = 1, exportWireSampRules = 1, exportRawAD = 1, exportRawADSampRules = 1;
    int exportContour = 1;  // settings only
    // Export columns.
    int includeHeader = 1, useCalcs = 1, useNumber = 1, useDate = 1, useData = 0, useProbePos = 1,
        useSampPos = 0, useTime = 1, useDescrip = 1;
    int64_t referenceTime = 0;  // creation time; elapsed-time columns count from it
    int exportTimeType = 1407;
    int exportDataType = 1399;
    int detailFlags = static_cast<int>(DetailFlags::kDefault);
    int viewMode = kViewAll;
    int64_t fixedStart = 0, fixedEnd = 0;
    int updateView = 1;
    int32_t listExtent[2] = {260, 3};  // recomputed by the list view before it is used
    int autoSave = 0;
    int numAutoSaveObs = 10;
    // Whether the station's current object of each kind has been appended to this document.
    int storedWireRules = 0, storedWireCal = 0, storedIonRules = 0, storedIonCal = 0,
        storedRawADRules = 0;
    uint16_t surfaceExport[12] = {1734, 1744, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0};

    // Additions since the last automatic save (not stored).
    int autoSaveCount = 0;

  protected:
    CObsList observations;

  private:
    std::string pathName;
    bool modified = false;
    mutable CObsRegister reg;
    mutable bool registerValid = false;
    std::function<void()> updateViewsHook;
    std::function<bool(CDataDocument&)> autoSaveHook;
};
