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

// How a command line is started (the GUI installs it; it reports failures itself).
void SetRunCommandHook(std::function<bool(const std::string& commandLine)> hook);
