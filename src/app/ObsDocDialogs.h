#pragma once
// The dialogs of the observation document's commands: "Log Entry", "Auto Save Feature",
// "Define Time Range", "Open Observations With ...", "Edit Current Density Probe Reference"
// and "Edit ISP/PVP Reference". Each works on a logic object that holds the fields and checks
// them; the desktop program installs Qt dialogs, tests scripted ones. With nothing installed
// every dialog is cancelled.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "platform/Clock.h"
#include "platform/Vector4.h"

class CIonReading;

inline constexpr const char* kOpenWithSection = "Open Observations With ...";
inline constexpr const char* kOpenWithExportsKey = "Exports";
// Without a stored choice, exports open with the desktop's own program for the file's type.
inline constexpr const char* kOpenWithDefaultCommand = "xdg-open";

// "Log Entry": the log time is taken when the dialog opens.
class CLogEntryLogic {
  public:
    CLogEntryLogic();
    // "Update Time && Save" takes the time anew before acting as OK.
    void TakeTime();
    // "Log Time:": "%H:%M:%S", ".%03d on " with the milliseconds, then "%m/%d/%y".
    std::string TimeText() const;

    CTimeStamp logTime;
    std::string text;  // "Log Text:"
};

// "Auto Save Feature": "Automatic document save every" N "observations".
class CAutoSaveLogic {
  public:
    explicit CAutoSaveLogic(int observations);
    std::string observations;
    // N from 0 to 65535 (the document stores it in 16 bits).
    bool Accept(std::string& error);
    int value = 0;
};

// "Define Time Range": start and end, seconds since 1970.
class CTimeRangeLogic {
  public:
    CTimeRangeLogic(int64_t start, int64_t end) : start(start), end(end) {}
    int64_t start, end;
    // The start not after the end, both within the years the document can store (1901-2038).
    bool Accept(std::string& error) const;
};

// "Open Observations With ...": the command line of the program that opens exports.
class COpenWithLogic {
  public:
    // Shows the stored command line (kOpenWithDefaultCommand when none is stored).
    COpenWithLogic();
    static std::string StoredCommand();

    std::string type = "Exports";
    std::string command;
    // A command line that names a program and closes its quotes.
    bool Accept(std::string& error) const;
    void Save() const;
};

// "Edit Current Density Probe Reference": "X In-Ph", "X Quad", "Y In-Ph", "Y Quad", volts at
// the A/D input.
class CWireReferenceLogic {
  public:
    explicit CWireReferenceLogic(const CDVector4& reference);
    std::string xInPh, xQuad, yInPh, yQuad;
    bool Accept(std::string& error);
    CDVector4 value;
};

// "Edit ISP/PVP Reference": "Gradient:", "D/A Channel 0:", "D/A Channel 1:", "Number of
// Samples:" and "Samples:" (the values as one line).
class CIonReferenceLogic {
  public:
    explicit CIonReferenceLogic(const CIonReading& reference);
    std::string gradient;         // shown only
    std::string numberOfSamples;  // shown only: nReps x nPoints
    std::string daChannel0, daChannel1;
    std::string samples;
    // Exactly as many numbers as the reference holds.
    bool Accept(std::string& error);
    double da0 = 0.0, da1 = 0.0;
    std::vector<double> values;

  private:
    size_t expected = 0;
};

class CObsDocDialogs {
  public:
    virtual ~CObsDocDialogs() = default;
    // Each returns true when closed with OK (after the logic accepted its fields).
    virtual bool EditLogEntry(CLogEntryLogic& logic) = 0;
    virtual bool EditAutoSave(CAutoSaveLogic& logic) = 0;
    virtual bool DefineTimeRange(CTimeRangeLogic& logic) = 0;
    virtual bool EditOpenWith(COpenWithLogic& logic) = 0;
    virtual bool EditWireReference(CWireReferenceLogic& logic) = 0;
    virtual bool EditIonReference(CIonReferenceLogic& logic) = 0;
};

CObsDocDialogs& ObsDocDialogs();
void SetObsDocDialogs(CObsDocDialogs* dialogs);

class CScopedObsDocDialogs {
  public:
    explicit CScopedObsDocDialogs(CObsDocDialogs* dialogs);
    ~CScopedObsDocDialogs();
    CScopedObsDocDialogs(const CScopedObsDocDialogs&) = delete;
    CScopedObsDocDialogs& operator=(const CScopedObsDocDialogs&) = delete;

  private:
    CObsDocDialogs* previous;
};

// Scripted dialogs for tests: each function edits the logic and returns true for OK (empty:
// Cancel). A refused entry is shown through Prompt() and counts as Cancel.
class CScriptedObsDocDialogs : public CObsDocDialogs {
  public:
    bool EditLogEntry(CLogEntryLogic& logic) override;
    bool EditAutoSave(CAutoSaveLogic& logic) override;
    bool DefineTimeRange(CTimeRangeLogic& logic) override;
    bool EditOpenWith(COpenWithLogic& logic) override;
    bool EditWireReference(CWireReferenceLogic& logic) override;
    bool EditIonReference(CIonReferenceLogic& logic) override;

    std::function<bool(CLogEntryLogic&)> logEntry;
    std::function<bool(CAutoSaveLogic&)> autoSave;
    std::function<bool(CTimeRangeLogic&)> timeRange;
    std::function<bool(COpenWithLogic&)> openWith;
    std::function<bool(CWireReferenceLogic&)> wireReference;
    std::function<bool(CIonReferenceLogic&)> ionReference;
};
