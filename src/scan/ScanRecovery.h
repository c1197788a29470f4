#pragma once
// Recovery of interrupted scans: a journal left beside a scan file (the program or the computer
// died during the scan) is turned into that scan file, holding every observation that reached
// the journal, with a log entry saying where the scan stopped; the scan's observation is added
// to its observation document when that document is there, and the journal is removed.

#include <string>
#include <vector>

struct SRecoveredScan {
    std::string journalPath;
    std::string scanFile;
    int scanNumber = 0;
    int pointsDone = 0;
    int totalPoints = 0;
    size_t observations = 0;  // taken from the journal's observation records
    // The scan file was already saved whole (the scan ended, its journal was not yet removed):
    // only the journal went.
    bool alreadyComplete = false;
    bool addedToObsDoc = false;
    bool inUse = false;         // a running scan holds the journal: it was left alone
    std::string obsDocProblem;  // why the observation document was not updated ("" when it was)
};

struct SScanRecoveryReport {
    std::vector<SRecoveredScan> recovered;
    std::vector<std::string> failures;  // one line per journal that could not be recovered
    bool Empty() const { return recovered.empty() && failures.empty(); }
};

// The log entry of a recovered scan.
std::string ScanInterruptedText(int point, int totalPoints);

// Recovers one journal. False with the reason in `why` (the journal then stays).
bool RecoverScanJournal(const std::string& journalPath, SRecoveredScan& result, std::string& why);

// Recovers every journal under `folder` (the data root: its group folders and their
// subfolders, `maxDepth` levels down; links to folders are not followed). A journal still held
// by a running scan is left alone.
SScanRecoveryReport RecoverScanJournals(const std::string& folder, int maxDepth = 3);

// One line for a recovered scan: "<scan file>: scan N recovered, point P of T" or
// "<scan file>: already saved; journal removed".
std::string RecoveredScanLine(const SRecoveredScan& scan);
// The one message telling the user what was recovered at start-up ("" when nothing).
std::string ScanRecoveryMessage(const SScanRecoveryReport& report);
