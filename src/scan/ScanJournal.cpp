#include "scan/ScanJournal.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <array>
#include <cerrno>
#include <cstring>

#include "obs/Archive.h"
#include "obs/VelmObs.h"
#include "platform/Format.h"
#include "scan/ScanDoc.h"

namespace {

constexpr uint8_t kStartRecord = 1;
constexpr uint8_t kObservationRecord = 2;
// No record the program writes comes near this; a length past it is damage.
constexpr uint32_t kMaxRecordBytes = 256u << 20;

void PutDword(std::string& out, uint32_t v) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

uint32_t GetDword(std::string_view bytes, size_t at) {
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = (v << 8) | static_cast<uint8_t>(bytes[at + static_cast<size_t>(i)]);
    return v;
}

constexpr std::array<uint32_t, 256> MakeCrcTable() {
    std::array<uint32_t, 256> table{};
    for (uint32_t n = 0; n < 256; ++n) {
        uint32_t c = n;
        for (int k = 0; k < 8; ++k)
            c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        table[n] = c;
    }
    return table;
}
constexpr std::array<uint32_t, 256> kCrcTable = MakeCrcTable();

// The directory entry of a new file is on disk only once its folder has been synced.
void SyncFolderOf(const std::string& path) {
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : path.substr(0, slash + 1);
    int dfd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dfd < 0) return;
    ::fsync(dfd);
    ::close(dfd);
}

}  // namespace

uint32_t Crc32(std::string_view bytes) {
    uint32_t c = 0xFFFFFFFFu;
    for (char ch : bytes)
        c = kCrcTable[(c ^ static_cast<uint8_t>(ch)) & 0xFF] ^ (c >> 8);
    return c ^ 0xFFFFFFFFu;
}

CScanJournal::CScanJournal() = default;

CScanJournal::~CScanJournal() {
    // A journal still open here belongs to a scan that did not save its file: it stays for
    // recovery.
    if (fd >= 0) ::close(fd);
}

std::string CScanJournal::PathFor(const std::string& scanFile) {
    return scanFile + kScanJournalSuffix;
}

bool CScanJournal::Begin(const CScanDoc& doc, const std::string& obsDocPath, int scanNumber,
                         int totalPoints, std::string& message) {
    if (fd >= 0) ::close(fd);
    fd = -1;
    path = PathFor(doc.scanFile);
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0) {
        message = FileErrorMessage(errno, path);
        return false;
    }
    // Held while the scan runs, so that a recovery run beside the program (velm-tool recover)
    // leaves a live journal alone.
    ::flock(fd, LOCK_EX | LOCK_NB);
    if (::write(fd, kScanJournalMagic, kScanJournalMagicSize) !=
        static_cast<ssize_t>(kScanJournalMagicSize)) {
        message = FileErrorMessage(errno, path);
        ::close(fd);
        fd = -1;
        return false;
    }
    std::string record(1, static_cast<char>(kStartRecord));
    PutDword(record, static_cast<uint32_t>(scanNumber));
    PutDword(record, static_cast<uint32_t>(totalPoints));
    PutDword(record, static_cast<uint32_t>(obsDocPath.size()));
    record += obsDocPath;
    // Storing only reads the document's fields.
    record += const_cast<CScanDoc&>(doc).SaveToBytes();
    if (!WriteRecord(record, message)) {
        ::close(fd);
        fd = -1;
        ::unlink(path.c_str());
        return false;
    }
    SyncFolderOf(path);
    return true;
}

bool CScanJournal::Append(const CVelmObs& obs, int pointsDone, std::string& message) {
    if (fd < 0) return true;  // no journal was begun: nothing to keep
    std::string record(1, static_cast<char>(kObservationRecord));
    PutDword(record, static_cast<uint32_t>(pointsDone));
    CArchive ar;
    ar.WriteObject(&obs);
    record += ar.TakeBytes();
    return WriteRecord(record, message);
}

bool CScanJournal::WriteRecord(const std::string& record, std::string& message) {
    std::string out;
    out.reserve(record.size() + 8);
    PutDword(out, static_cast<uint32_t>(record.size()));
    PutDword(out, Crc32(record));
    out += record;
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = ::write(fd, out.data() + done, out.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) {
            message = FileErrorMessage(n < 0 ? errno : ENOSPC, path);
            return false;
        }
        done += static_cast<size_t>(n);
    }
    if (::fdatasync(fd) != 0) {
        message = FileErrorMessage(errno, path);
        return false;
    }
    return true;
}

void CScanJournal::Finish() {
    if (fd < 0) return;
    ::unlink(path.c_str());
    ::close(fd);
    fd = -1;
}

bool ParseScanJournal(std::string_view bytes, SScanJournalContents& contents, std::string& why) {
    contents = SScanJournalContents{};
    if (bytes.size() < kScanJournalMagicSize ||
        bytes.substr(0, kScanJournalMagicSize) !=
            std::string_view(kScanJournalMagic, kScanJournalMagicSize)) {
        why = "not a scan journal";
        return false;
    }
    size_t at = kScanJournalMagicSize;
    bool started = false;
    while (at < bytes.size()) {
        if (bytes.size() - at < 8) {
            contents.torn = true;
            break;
        }
        const uint32_t length = GetDword(bytes, at);
        const uint32_t crc = GetDword(bytes, at + 4);
        if (length == 0 || length > kMaxRecordBytes || bytes.size() - at - 8 < length) {
            contents.torn = true;
            break;
        }
        const std::string_view record = bytes.substr(at + 8, length);
        if (Crc32(record) != crc) {
            contents.torn = true;
            break;
        }
        const uint8_t type = static_cast<uint8_t>(record[0]);
        if (!started) {
            // The start: number, points, the observation document's path, the document.
            if (type != kStartRecord || record.size() < 13) break;
            contents.scanNumber = static_cast<int>(GetDword(record, 1));
            contents.totalPoints = static_cast<int>(GetDword(record, 5));
            const uint32_t pathLength = GetDword(record, 9);
            if (record.size() - 13 < pathLength) break;
            contents.obsDocPath = std::string(record.substr(13, pathLength));
            contents.documentBytes = std::string(record.substr(13 + pathLength));
            started = true;
        } else {
            if (type != kObservationRecord || record.size() < 5) {
                contents.torn = true;
                break;
            }
            contents.pointsDone = static_cast<int>(GetDword(record, 1));
            contents.observations.emplace_back(record.substr(5));
        }
        at += 8 + length;
    }
    if (!started) {
        why = "the journal's start is damaged";
        return false;
    }
    return true;
}
