#pragma once
// What the files of the observation document's commands share (ObsDocCommands.cpp and one file
// per technique's commands): the copies of the station's rules and calibrations a measurement
// appends before itself, and the making of objects with the program's "Insufficient Memory"
// messages.

#include <memory>
#include <new>
#include <vector>

#include "app/ObsDocCommands.h"
#include "obs/VelmObs.h"
#include "platform/Services.h"

struct CObsDocCommands::SPendingSetup {
    std::vector<std::unique_ptr<CVelmObs>> copies;
    bool wireRules = false, wireCalibration = false, rawADRules = false;
    bool ionRules = false, ionCalibration = false;
};

namespace obsdoc {

// Makes an object, or shows the "Insufficient Memory ..." text and gives null.
template <class T>
std::unique_ptr<T> Make(const char* failure) {
    try {
        return std::make_unique<T>();
    } catch (const std::bad_alloc&) {
        Prompt().Message(failure, EPromptIcon::Exclamation);
        return nullptr;
    }
}

// A copy of a station object to append, stamped now so that it is in force from here on.
inline std::unique_ptr<CVelmObs> StampedCopy(const CVelmObs& original, const char* failure) {
    try {
        std::unique_ptr<CVelmObs> copy = original.Clone();
        if (!copy) throw std::bad_alloc();
        copy->StampNow();
        copy->StampPositions();
        return copy;
    } catch (const std::bad_alloc&) {
        Prompt().Message(failure, EPromptIcon::Exclamation);
        return nullptr;
    }
}

}  // namespace obsdoc
