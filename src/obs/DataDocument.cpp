#include "obs/DataDocument.h"

#include "obs/LogEntry.h"
#include "platform/Services.h"

namespace {
// The smallest stored observation: an object tag and the base record.
constexpr uint64_t kMinObservationBytes = 2 + 72;
}  // namespace

void SerializeObsList(CArchive& ar, CObsList& list) {
    if (ar.IsStoring()) {
        ar.WriteCount(list.size());
        for (const auto& obs : list)
            ar.WriteObject(obs.get());
        return;
    }
    list.clear();
    const uint64_t count = ar.ReadCount();
    if (!ar.CanHold(count, kMinObservationBytes)) return;
    list.reserve(static_cast<size_t>(count));
    for (uint64_t i = 0; i < count && !ar.Failed(); ++i) {
        std::unique_ptr<CSerializable> object = ar.ReadOwnedObject(IsObservation);
        // An empty entry carries nothing; the list stays dense.
        if (object) list.emplace_back(static_cast<CVelmObs*>(object.release()));
    }
}

CDataDocument::CDataDocument() {
    const int64_t now = Clock().Now().seconds;
    referenceTime = now;
    fixedStart = now - 30 * 60;
    fixedEnd = now;
}

CDataDocument::~CDataDocument() = default;

bool CDataDocument::AddObs(std::unique_ptr<CVelmObs> obs, bool countForAutoSave) {
    if (!obs) return false;
    size_t at = observations.size();
    while (at > 0 && obs->IsEarlierThan(*observations[at - 1]))
        --at;
    const CVelmObs* added = obs.get();
    const bool atEnd = at == observations.size();
    observations.insert(observations.begin() + static_cast<std::ptrdiff_t>(at), std::move(obs));
    if (registerValid && atEnd)
        added->AddToList(reg);
    else
        registerValid = false;
    SetModifiedFlag(true);
    if (autoSave && countForAutoSave) {
        if (autoSaveCount > numAutoSaveObs) {
            if (autoSaveHook)
                autoSaveHook(*this);
            else if (!pathName.empty())
                OnSaveDocument(pathName);
            autoSaveCount = 0;
        } else {
            ++autoSaveCount;
        }
    }
    if (updateView) UpdateAllViews();
    return true;
}

CVelmObs* CDataDocument::AddLogEntry(const std::string& text) {
    auto entry = std::make_unique<CLogEntry>();
    entry->StampNow();
    entry->StampPositions();
    entry->text = text;
    CVelmObs* raw = entry.get();
    AddObs(std::move(entry));
    return raw;
}

CVelmObs* CDataDocument::GetObsAt(size_t position) const {
    return position < observations.size() ? observations[position].get() : nullptr;
}

const CObsRegister& CDataDocument::Register() const {
    if (!registerValid) RebuildRegister();
    return reg;
}

void CDataDocument::RebuildRegister() const {
    reg.Clear();
    for (const auto& obs : observations)
        obs->AddToList(reg);
    registerValid = true;
}

void CDataDocument::Serialize(CArchive& ar) {
    for (int* w : {&exportDIB,
                   &exportIonCal,
                   &exportIonPt,
                   &exportIonRef,
                   &exportIonSampRules,
                   &exportLog,
                   &exportScan,
                   &exportVidSeq,
                   &exportWireCal,
                   &exportWirePt,
                   &exportWireRef,
                   &exportWireSampRules,
                   &exportRawAD,
                   &exportRawADSampRules,
                   &includeHeader,
                   &useCalcs,
                   &useNumber,
                   &useDate,
                   &useData,
                   &useProbePos,
                   &useSampPos,
                   &useTime,
                   &useDescrip})
        ar.Word(*w);
    ar.Time(referenceTime);
    ar.Word(exportTimeType);
    ar.Word(exportDataType);
    ar.Word(detailFlags);
    ar.Word(viewMode);
    ar.Time(fixedStart);
    ar.Time(fixedEnd);
    ar.Word(updateView);
    // The list extent as it lies in memory: two 32-bit integers.
    if (ar.IsStoring())
        ar.WriteRaw(listExtent, sizeof listExtent);
    else
        ar.ReadRaw(listExtent, sizeof listExtent);
    for (int* w : {&autoSave, &numAutoSaveObs, &storedWireRules, &storedWireCal, &storedIonRules,
                   &storedIonCal, &storedRawADRules})
        ar.Word(*w);
    for (uint16_t& w : surfaceExport)
        ar.Word(w);
    SerializeObsList(ar, observations);
    if (ar.IsLoading()) registerValid = false;
}

void CDataDocument::DeleteContents() {
    observations.clear();
    registerValid = false;
    autoSaveCount = 0;
}

std::string CDataDocument::SaveToBytes() {
    CArchive ar;
    Serialize(ar);
    return ar.TakeBytes();
}

EArchiveError CDataDocument::LoadFromBytes(std::string_view bytes) {
    DeleteContents();
    CArchive ar(bytes);
    Serialize(ar);
    if (ar.Failed()) DeleteContents();
    return ar.Error();
}

bool CDataDocument::LoadFile(const std::string& path, std::string& message) {
    const bool ok = ReadArchiveFile(
        path,
        [this](CArchive& ar) {
            DeleteContents();
            Serialize(ar);
            if (ar.Failed()) DeleteContents();
        },
        message);
    if (!ok) return false;
    pathName = path;
    modified = false;
    UpdateAllViews();
    return true;
}

bool CDataDocument::SaveFile(const std::string& path, std::string& message) {
    if (!WriteArchiveFile(
            path, [this](CArchive& ar) { Serialize(ar); }, message))
        return false;
    pathName = path;
    modified = false;
    return true;
}

bool CDataDocument::OnOpenDocument(const std::string& path) {
    std::string message;
    if (LoadFile(path, message)) return true;
    if (!message.empty()) Prompt().Message(message, EPromptIcon::Exclamation);
    return false;
}

bool CDataDocument::OnSaveDocument(const std::string& path) {
    std::string message;
    if (SaveFile(path, message)) return true;
    if (!message.empty()) Prompt().Message(message, EPromptIcon::Exclamation);
    return false;
}
