#include "scan/ScanRecovery.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <memory>

#include "obs/Archive.h"
#include "obs/ObsDoc.h"
#include "obs/ScanObs.h"
#include "obs/VelmObs.h"
#include "platform/Format.h"
#include "scan/ScanDoc.h"
#include "scan/ScanJournal.h"

namespace fs = std::filesystem;

namespace {

// A journal larger than this is not one the program wrote for a scan it could hold in memory.
constexpr off_t kMaxJournalBytes = off_t{2} << 30;

bool EndsWith(const std::string& text, const std::string& suffix) {
    return text.size() >= suffix.size() &&
           text.compare(text.size() - suffix.size(), suffix.size(), suffix) == 0;
}

// The journal's bytes, while holding its lock. False when it is held by a running scan
// (`busy`) or cannot be read.
bool ReadJournal(const std::string& path, std::string& bytes, int& fd, bool& busy,
                 std::string& why) {
    busy = false;
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) {
        why = FileErrorMessage(errno, path);
        return false;
    }
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        busy = true;
        why = "the scan that writes it is still running";
        return false;
    }
    struct stat st {};
    if (::fstat(fd, &st) != 0 || st.st_size > kMaxJournalBytes) {
        why = "the journal is too large to be one of ours";
        return false;
    }
    bytes.assign(static_cast<size_t>(st.st_size), '\0');
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n =
            ::pread(fd, bytes.data() + done, bytes.size() - done, static_cast<off_t>(done));
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) break;
        done += static_cast<size_t>(n);
    }
    bytes.resize(done);
    return true;
}

// Whether `scanFile` is there whole and holds the scan the journal started.
bool IsSavedScan(const std::string& scanFile, int64_t startTime) {
    struct stat st {};
    if (::stat(scanFile.c_str(), &st) != 0) return false;
    std::string message;
    std::unique_ptr<CScanDoc> saved = LoadScanDocument(scanFile, message);
    return saved && saved->startTime == startTime;
}

// Adds the scan observation to the observation document on disk, unless it names the file
// already. "" when done (or nothing to do), else why not.
std::string AddToObsDoc(const std::string& obsDocPath, const std::string& scanFile, int scanNumber,
                        bool& added) {
    added = false;
    if (obsDocPath.empty()) return "";
    struct stat st {};
    if (::stat(obsDocPath.c_str(), &st) != 0) return "";  // the document was never saved
    CObsDoc doc;
    std::string message;
    if (!doc.LoadFile(obsDocPath, message)) return message;
    for (const auto& obs : doc.Observations()) {
        if (const auto* scan = dynamic_cast<const CScanObs*>(obs.get());
            scan && scan->fileName == scanFile)
            return "";
    }
    auto scan = std::make_unique<CScanObs>();
    scan->StampNow();
    scan->scanNumber = scanNumber;
    scan->fileName = scanFile;
    doc.AddObs(std::move(scan));
    if (!doc.SaveFile(obsDocPath, message)) return message;
    added = true;
    return "";
}

}  // namespace

std::string ScanInterruptedText(int point, int totalPoints) {
    return StrPrintf("Scan interrupted at point %d of %d; recovered from journal.", point,
                     totalPoints);
}

bool RecoverScanJournal(const std::string& journalPath, SRecoveredScan& result, std::string& why) {
    result = SRecoveredScan{};
    result.journalPath = journalPath;
    if (!EndsWith(journalPath, kScanJournalSuffix)) {
        why = "not a scan journal";
        return false;
    }
    result.scanFile = journalPath.substr(0, journalPath.size() - std::strlen(kScanJournalSuffix));

    std::string bytes;
    int fd = -1;
    bool busy = false;
    const bool read = ReadJournal(journalPath, bytes, fd, busy, why);
    struct CloseFd {
        int& fd;
        ~CloseFd() {
            if (fd >= 0) ::close(fd);
        }
    } closeFd{fd};
    if (!read) {
        result.inUse = busy;
        return false;
    }

    SScanJournalContents contents;
    if (!ParseScanJournal(bytes, contents, why)) return false;
    CScanDoc doc;
    if (doc.LoadFromBytes(contents.documentBytes) != EArchiveError::None) {
        why = "the scan's definition in the journal cannot be read";
        return false;
    }
    result.scanNumber = contents.scanNumber;
    result.totalPoints = contents.totalPoints;
    result.pointsDone = contents.pointsDone;

    if (IsSavedScan(result.scanFile, doc.startTime)) {
        result.alreadyComplete = true;
    } else {
        // Every whole observation record goes in; one that does not read is damage the CRC
        // did not catch, and ends the list there like a torn record.
        for (const std::string& record : contents.observations) {
            CArchive ar(record);
            std::unique_ptr<CSerializable> object = ar.ReadOwnedObject(IsObservation);
            if (ar.Failed() || !object) break;
            doc.AddObs(std::unique_ptr<CVelmObs>(static_cast<CVelmObs*>(object.release())), false);
            ++result.observations;
        }
        const int point = std::min(contents.pointsDone + 1, std::max(contents.totalPoints, 1));
        doc.AddLogEntry(ScanInterruptedText(point, contents.totalPoints));
        doc.viewMode = kViewAll;
        doc.scanFile = result.scanFile;
        doc.readOnly = true;
        if (!doc.SaveFile(result.scanFile, why)) return false;
    }
    result.obsDocProblem = AddToObsDoc(contents.obsDocPath, result.scanFile, contents.scanNumber,
                                       result.addedToObsDoc);
    if (::unlink(journalPath.c_str()) != 0 && errno != ENOENT) {
        why = FileErrorMessage(errno, journalPath);
        return false;
    }
    return true;
}

SScanRecoveryReport RecoverScanJournals(const std::string& folder, int maxDepth) {
    SScanRecoveryReport report;
    std::vector<std::string> journals;
    std::error_code ec;
    if (folder.empty() || !fs::is_directory(folder, ec)) return report;
    fs::recursive_directory_iterator it(folder, fs::directory_options::skip_permission_denied, ec);
    for (; !ec && it != fs::recursive_directory_iterator(); it.increment(ec)) {
        if (it.depth() >= maxDepth) it.disable_recursion_pending();
        std::error_code typeEc;
        if (it->is_symlink(typeEc)) {
            it.disable_recursion_pending();
            continue;
        }
        const std::string path = it->path().string();
        if (EndsWith(path, kScanJournalSuffix) && it->is_regular_file(typeEc))
            journals.push_back(path);
    }
    std::sort(journals.begin(), journals.end());
    for (const std::string& journal : journals) {
        SRecoveredScan scan;
        std::string why;
        if (RecoverScanJournal(journal, scan, why))
            report.recovered.push_back(std::move(scan));
        else if (!scan.inUse)
            report.failures.push_back(journal + ": " + why);
    }
    return report;
}

std::string RecoveredScanLine(const SRecoveredScan& scan) {
    if (scan.alreadyComplete)
        return StrPrintf("%s: already saved; journal removed", scan.scanFile.c_str());
    return StrPrintf("%s: scan %d recovered, %zu observations, stopped at point %d of %d",
                     scan.scanFile.c_str(), scan.scanNumber, scan.observations,
                     std::min(scan.pointsDone + 1, std::max(scan.totalPoints, 1)),
                     scan.totalPoints);
}

std::string ScanRecoveryMessage(const SScanRecoveryReport& report) {
    if (report.Empty()) return "";
    std::string text;
    if (!report.recovered.empty()) {
        text += "Interrupted scans were recovered from their journals:\n";
        for (const SRecoveredScan& scan : report.recovered) {
            text += '\n';
            text += RecoveredScanLine(scan);
            if (!scan.obsDocProblem.empty()) {
                text += "\n    (not added to its observation document: ";
                text += scan.obsDocProblem;
                text += ')';
            }
        }
    }
    if (!report.failures.empty()) {
        if (!text.empty()) text += "\n\n";
        text += "These scan journals could not be recovered:\n";
        for (const std::string& line : report.failures) {
            text += '\n';
            text += line;
        }
    }
    return text;
}
