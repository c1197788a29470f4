#pragma once
// The dialogs that frame grabber operations open: "Frame Grabber Setup", "Adjust Frame Grabber
// Input Signal" and "Show Position on Frame Grabber". The desktop program installs its Qt
// dialogs at start-up; tests install scripted ones. With nothing installed setup changes
// nothing, the input dialog is not shown and a pick is cancelled.

#include <deque>
#include <functional>
#include <optional>

#include "hw/fg/FgTypes.h"

class CFgSetupLogic;
class CAdjustInputLogic;
class CPickOnImageLogic;

class CFgDialogs {
  public:
    virtual ~CFgDialogs() = default;
    // True when closed with OK (the logic has then accepted its entries).
    virtual bool EditFgSetup(CFgSetupLogic& logic) = 0;
    // Modal; OK and Cancel are the logic's.
    virtual void AdjustInput(CAdjustInputLogic& logic) = 0;
    // True when the user clicked a pixel (then in logic.result).
    virtual bool PickOnImage(CPickOnImageLogic& logic) = 0;
};

CFgDialogs& FgDialogs();
void SetFgDialogs(CFgDialogs* dialogs);

class CScopedFgDialogs {
  public:
    explicit CScopedFgDialogs(CFgDialogs* dialogs);
    ~CScopedFgDialogs();
    CScopedFgDialogs(const CScopedFgDialogs&) = delete;
    CScopedFgDialogs& operator=(const CScopedFgDialogs&) = delete;

  private:
    CFgDialogs* previous;
};

// Scripted dialogs for tests: each is a function of the test's choosing (empty: cancel).
// `clicks` answers picks in order: a pixel is clicked (and clamped as a click would be),
// nullopt cancels; with the queue empty the pick is cancelled.
class CScriptedFgDialogs : public CFgDialogs {
  public:
    bool EditFgSetup(CFgSetupLogic& logic) override;
    void AdjustInput(CAdjustInputLogic& logic) override;
    bool PickOnImage(CPickOnImageLogic& logic) override;

    std::function<bool(CFgSetupLogic&)> editSetup;
    std::function<void(CAdjustInputLogic&)> adjustInput;
    std::function<void(CPickOnImageLogic&)> beforeClick;  // e.g. switch cameras first
    std::deque<std::optional<SPixel>> clicks;
    int picks = 0;
};
