#pragma once
// How stored gradient rules and calibrations open their editors when the user double-clicks
// them in a document's list. The editors are dialogs of the techniques above the stored model,
// so the station installs them here; without them the stored objects show their description,
// as every observation does.

#include <functional>

class CDataDocument;
class CSampRulesIon;
class CIonCalibration;

struct SIonEditHooks {
    // "ISP/PVP Sampling Rules" on rules stored in `document`; true when they were changed.
    std::function<bool(CSampRulesIon& rules, CDataDocument* document)> openRules;
    // "Edit ISP/PVP Calibration" on a stored calibration; true when it was changed.
    std::function<bool(CIonCalibration& calibration, CDataDocument* document)> openCalibration;
};

void SetIonEditHooks(SIonEditHooks hooks);
const SIonEditHooks& IonEditHooks();
