#pragma once
// Mode > "Video &Sequence" of an observation document, without the GUI: a new sequence
// document starts with the last values used and the stages' current positions as home, goes
// through "Video Image Sequence Setup" (which names and makes its folder), is acquired and
// saved; the observation document then records it with a CVidSeqObs naming the .vsq file.

#include <functional>
#include <string>

class CDevices;
class CObsDoc;
class CVidSeqSetupLogic;

class CVidSeqCommand {
  public:
    CVidSeqCommand(CObsDoc& doc, CDevices& devices);

    // The set-up dialog: true when closed with OK (the logic has then accepted its entries).
    // Empty: the set-up is cancelled.
    std::function<bool(CVidSeqSetupLogic&)> setupDialog;
    // Passed on to the acquisition (CVidSeqAcquisition).
    std::function<bool()> escapePressed;
    std::function<void(const std::string&)> showProgress;
    std::function<void(bool)> showBusy;

    // Sets up, acquires and records the sequence. The full path of the saved .vsq, or "" when
    // nothing was acquired (cancelled, or a failure the user has been told about).
    std::string Run();

  private:
    CObsDoc& doc;
    CDevices& devices;
};
