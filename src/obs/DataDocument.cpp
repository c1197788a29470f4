#include "obs/DataDocument.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>

#include "obs/LogEntry.h"
#include "platform/AtomicFile.h"
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

bool CDataDocument::LoadFromDescriptor(int fd, uint64_t size, EArchiveError& error, int& sysErrno) {
    DeleteContents();
    CArchive ar(fd, size);
    Serialize(ar);
    error = ar.Error();
    sysErrno = ar.SystemError();
    if (ar.Failed()) DeleteContents();
    return !ar.Failed();
}

bool CDataDocument::LoadFile(const std::string& path, std::string& message) {
    message.clear();
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        message = FileErrorMessage(errno, path);
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || S_ISDIR(st.st_mode)) {
        const int code = S_ISDIR(st.st_mode) ? EISDIR : errno;
        ::close(fd);
        message = FileErrorMessage(code, path);
        return false;
    }
    EArchiveError error = EArchiveError::None;
    int sysErrno = 0;
    const bool ok = LoadFromDescriptor(fd, st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0,
                                       error, sysErrno);
    ::close(fd);
    if (!ok) {
        message = ArchiveFailureMessage(error, sysErrno, path, false);
        return false;
    }
    pathName = path;
    modified = false;
    UpdateAllViews();
    return true;
}

bool CDataDocument::SaveFile(const std::string& path, std::string& message) {
    message.clear();
    CAtomicFile file;
    if (!file.Open(path)) {
        message = ArchiveFailureMessage(EArchiveError::WriteError, file.ErrorCode(), path, true);
        return false;
    }
    CArchive ar(file);
    Serialize(ar);
    ar.Flush();
    if (ar.Failed() || !file.Commit()) {
        // The old file stays as it was; the temporary one is removed.
        int code = ar.Failed() ? ar.SystemError() : file.ErrorCode();
        EArchiveError error = ar.Failed() ? ar.Error() : EArchiveError::WriteError;
        file.Abort();
        message = ArchiveFailureMessage(error, code, path, true);
        return false;
    }
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
