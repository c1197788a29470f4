// The table of stored classes: the name and schema written in class descriptions and the
// factory that makes an empty object when a file names the class. Adding a stored class is one
// line in kStoredClasses (and its header below).

#include <cstring>
#include <vector>

#include "obs/Archive.h"
#include "obs/DibObs.h"
#include "obs/InterestPointObs.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LogEntry.h"
#include "obs/OpticalSystem.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/SampRulesRawAD.h"
#include "obs/SampRulesWire.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireCalibration.h"
#include "obs/WireObs.h"

#define VELM_STORED_CLASSES(X) \
    X(CVelmObs, 1)             \
    X(CWireObs, 1)             \
    X(CWireReference, 1)       \
    X(CIonObs, 1)              \
    X(CIonReference, 1)        \
    X(CRawADObs, 1)            \
    X(CDibObs, 1)              \
    X(CScanObs, 1)             \
    X(CVidSeqObs, 1)           \
    X(CInterestPointObs, 1)    \
    X(CLogEntry, 1)            \
    X(CWireCalibration, 1)     \
    X(CIonCalibration, 1)      \
    X(CSampRulesWire, 1)       \
    X(CSampRulesIon, 1)        \
    X(CSampRulesRawAD, 1)      \
    X(CGradCalcIon, 1)         \
    X(CSampPointIon, 1)        \
    X(COpticalSystem, 1)

#define VELM_DEFINE_CLASS_INFO(cls, schema) \
    const SClassInfo cls::classInfo{        \
        #cls, schema, []() -> std::unique_ptr<CSerializable> { return std::make_unique<cls>(); }};
VELM_STORED_CLASSES(VELM_DEFINE_CLASS_INFO)

namespace {
// The vectors have class names but are only ever embedded by value: a file that names one as
// an object is refused.
const SClassInfo kEmbeddedOnly[] = {
    {"CIVector4", 1, nullptr},
    {"CDVector4", 1, nullptr},
};

#define VELM_CLASS_ENTRY(cls, schema) &cls::classInfo,
const SClassInfo* const kStoredClasses[] = {VELM_STORED_CLASSES(VELM_CLASS_ENTRY)};

std::vector<const SClassInfo*>& RegisteredClasses() {
    static std::vector<const SClassInfo*> classes;
    return classes;
}
}  // namespace

void RegisterSerialClass(const SClassInfo& cls) {
    if (!FindSerialClass(cls.name)) RegisteredClasses().push_back(&cls);
}

const SClassInfo* FindSerialClass(std::string_view name) {
    for (const SClassInfo* cls : kStoredClasses)
        if (name == cls->name) return cls;
    for (const SClassInfo* cls : RegisteredClasses())
        if (name == cls->name) return cls;
    for (const SClassInfo& cls : kEmbeddedOnly)
        if (name == cls.name) return &cls;
    return nullptr;
}
