#include "tech/watch/WatchFor.h"

#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/WireCalibration.h"
#include "platform/Services.h"
#include "tech/Station.h"
#include "tech/watch/IonWatch.h"
#include "tech/watch/RawADWatch.h"
#include "tech/watch/WireWatch.h"

std::unique_ptr<CWatch> MakeWatchFor(CStation& station) {
    return MakeWatchFor(station, station.measurementType);
}

std::unique_ptr<CWatch> MakeWatchFor(CStation& station, int technique) {
    switch (technique) {
        case kTechniqueCdp:
            if (!station.wireRules || !station.wireCalibration) {
                Prompt().Message("Define CDP sampling rules and calibration first.",
                                 EPromptIcon::Exclamation);
                return nullptr;
            }
            return std::make_unique<CWireWatch>(station);
        case kTechniqueGradient:
            if (station.selectedProbe.empty() || !station.Ion().Rules(station.selectedProbe) ||
                !station.Ion().Calibration(station.selectedProbe)) {
                Prompt().Message("Define ISP/PVP Probe sampling rules and calibration first.",
                                 EPromptIcon::Exclamation);
                return nullptr;
            }
            return std::make_unique<CIonWatch>(station, station.selectedProbe);
        case kTechniqueRawAD:
            if (!station.rawADRules) {
                Prompt().Message("Define Raw A/D sampling rules first.", EPromptIcon::Exclamation);
                return nullptr;
            }
            return std::make_unique<CRawADWatch>(station);
        default:
            return nullptr;
    }
}
