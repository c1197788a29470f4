#pragma once
// A note in the document: the user's log entries and the records of what exports and scans
// did.

#include <functional>
#include <string>

#include "obs/VelmObs.h"

class CLogEntry : public CVelmObs {
    VELM_DECLARE_SERIAL(CLogEntry)

  public:
    void Serialize(CArchive& ar) override;
    void Describe(std::string& text, const CDataDocument* document,
                  unsigned options) const override;
    void Export(std::string& text, const CDataDocument* document, unsigned options) const override;
    // An entry that records an export opens the exported file with the "Open With" command;
    // any other shows its description.
    bool Open(CDataDocument* document, unsigned options) override;

    // For an entry written by an export ("Export to file ... complete."): the text between the
    // two markers, blanks included. False for other entries.
    static bool ExportedFileText(const std::string& text, std::string& between);

    std::string text;
};

// How the file named by an export entry is opened: it gets the text between the markers, blanks
// included, and reports failures itself (the program installs the "Open With" runner).
void SetOpenExportedFileHook(std::function<bool(const std::string& between)> hook);
