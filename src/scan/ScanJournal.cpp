#include "scan/ScanJournal.h"

// Placeholder until the journal's file format lands: a scan runs without one.
CScanJournal::CScanJournal() = default;
CScanJournal::~CScanJournal() = default;

bool CScanJournal::Begin(const CScanDoc&, const std::string&, int, int, std::string&) {
    return true;
}
bool CScanJournal::Append(const CVelmObs&, int, std::string&) { return true; }
void CScanJournal::Finish() {}
std::string CScanJournal::PathFor(const std::string& scanFile) { return scanFile + ".journal"; }
