#pragma once
// CObsDoc: the observation document (.vpo), the experiment's notebook. Besides the data
// document it keeps the vector scan (its operations and schedule) and the D/A output scan
// settings.

#include "obs/DataDocument.h"

// Interval units of the vector scan.
inline constexpr int kIntervalSeconds = 1422;
inline constexpr int kIntervalMinutes = 1423;
inline constexpr int kIntervalHours = 1424;

class CObsDoc : public CDataDocument {
  public:
    CObsDoc();
    ~CObsDoc() override;

    void Serialize(CArchive& ar) override;
    void DeleteContents() override;

    // Vector scan (the operations are observation objects that take observations).
    int vsShowStatus = 1;
    int vsIntervalUnit = kIntervalSeconds;
    int vsReps = 1;  // stored as a double
    double vsInterval = 30.0;
    int vsMoveWithMouse = 0, vsShowProbeCol = 1, vsShowSampleCol = 0;  // settings only
    CObsList vsOps;

    // D/A output scan.
    int daChannel = 1;
    double daStart = 0.0;
    double daEnd = -1.0;
    int daPoints = 10;
    int daIncrement = 1483;  // 1482 manual, 1483 automatic
    double daInterval = 2.0;
    bool daRecordRawAD = true;
    bool daRecordCDP = false;
    int daReset = 1;
    double daResetVolts = 0.0;
    int daCycle = 0, daTimes = 1;  // settings only
};
