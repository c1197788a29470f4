#include "app/VidSeqCommand.h"

#include <memory>
#include <new>

#include "hw/Devices.h"
#include "hw/MsWcmc.h"
#include "obs/ObsDoc.h"
#include "obs/VidSeqObs.h"
#include "platform/Format.h"
#include "platform/Services.h"
#include "scan/VidSeqAcquisition.h"
#include "scan/VidSeqDoc.h"
#include "scan/VidSeqSetup.h"
#include "settings/RootDirectory.h"

CVidSeqCommand::CVidSeqCommand(CObsDoc& doc, CDevices& devices) : doc(doc), devices(devices) {}

std::string CVidSeqCommand::Run() {
    std::unique_ptr<CVidSeqDoc> sequence;
    std::unique_ptr<CVidSeqObs> record;
    try {
        sequence = std::make_unique<CVidSeqDoc>();
        record = std::make_unique<CVidSeqObs>();
    } catch (const std::bad_alloc&) {
        Prompt().Message("Insufficient Memory for Video Sequence", EPromptIcon::Exclamation);
        return std::string();
    }
    std::string problems;
    sequence->LoadSettings(problems);
    if (!problems.empty())
        Prompt().Message("These lines of velm.ini could not be read in full:" + problems +
                             "\n\nThe values they could not give keep their defaults.",
                         EPromptIcon::Exclamation);
    // "Return here after scan": here is where the stages stand now.
    sequence->probeHome = devices.ProbeSystem().Position();
    sequence->sampleHome = devices.SampleSystem().Position();

    const std::string root = GetRootDirectory();
    CVidSeqSetupLogic setup(*sequence, root);
    if (!setupDialog || !setupDialog(setup) || !setup.Apply()) return std::string();

    CVidSeqAcquisition acquisition(*sequence, devices, root);
    acquisition.escapePressed = escapePressed;
    acquisition.showProgress = showProgress;
    acquisition.showBusy = showBusy;
    if (!acquisition.Run()) return std::string();

    record->StampNow();
    record->StampPositions();
    record->fileName = acquisition.DocumentPath();
    record->steps = sequence->steps;
    doc.AddObs(std::move(record));
    return acquisition.DocumentPath();
}
