#pragma once
// The text export: every selected observation of a data document as a tab- or comma-separated
// row, with a heading row per class, optional header lines and running row numbers. The
// desktop program's "Text Export" command and velm-tool's export write their bytes through the
// same WriteTextExport, so the two give the same file for the same options.
//
// The file is written through a temporary file that replaces the target only when complete: a
// failed export never leaves half a file where an older export stood.

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "obs/ExportFormat.h"
#include "obs/ExportOptions.h"
#include "platform/AtomicFile.h"

class CDataDocument;
class CRawADObs;
class CVelmObs;

// Where the bytes of an export go.
class IExportSink {
  public:
    virtual ~IExportSink() = default;
    // False once writing has failed.
    virtual bool Write(std::string_view bytes) = 0;
};

// An export kept in memory (tests, the clipboard).
class CStringSink : public IExportSink {
  public:
    bool Write(std::string_view bytes) override {
        text += bytes;
        return true;
    }
    std::string text;
};

// An export file: a temporary file beside `path`, renamed over it by Commit.
class CExportFile : public IExportSink {
  public:
    bool Open(const std::string& path) { return file.Open(path); }
    bool Write(std::string_view bytes) override { return file.Write(bytes); }
    bool Commit() { return file.Commit(); }
    std::string ErrorText() const { return file.ErrorText(); }

  private:
    CAtomicFile file;
};

// The observations an export covers: all, or those from `start` to `end` (seconds, both
// included).
struct SExportRange {
    bool all = true;
    int64_t start = 0;
    int64_t end = 0;
};

// The range the document's view filter shows: all, the latest half hour, or its fixed range.
SExportRange ViewRangeOf(const CDataDocument& document);
// The start and end to name in texts; for all observations the first and last observation's
// times (the document's reference time for an empty document).
void RangeBounds(const CDataDocument& document, const SExportRange& range, int64_t& start,
                 int64_t& end);
// "%m/%d/%y %H:%M:%S to %m/%d/%y %H:%M:%S" of the range.
std::string RangeText(const CDataDocument& document, const SExportRange& range);
// The export dialogs' time-range button: "Define Time Range" on the range's bounds; on OK the
// range becomes that fixed range. False when cancelled.
bool ChooseExportRange(const CDataDocument& document, SExportRange& range);

// How a scan observation's document is opened for exporting into the same file (the scan
// layer installs it, since this layer does not know scan documents). It gets the resolved path
// and returns the loaded document, or null after telling the user why not. Without an opener a
// scan observation exports its own row only.
using ScanDocumentOpener = std::function<std::unique_ptr<CDataDocument>(const std::string& path)>;
void SetScanDocumentOpener(ScanDocumentOpener opener);
bool HasScanDocumentOpener();
std::unique_ptr<CDataDocument> OpenScanDocument(const std::string& path);

// The "Define Time Range" dialog (installed by the GUI): shows `start` and `end`, and on OK
// returns true with the range the user chose. Without one the range stays as it is.
using DefineTimeRangeHook = std::function<bool(int64_t& start, int64_t& end)>;
void SetDefineTimeRangeHook(DefineTimeRangeHook hook);
bool DefineTimeRange(int64_t& start, int64_t& end);

// The samples of a raw A/D burst as a block: a line naming the channels and a line per sample
// (separator per the options), or with `oneValuePerLine` each channel's name and then its
// values, one per line.
void ExportBurstBlock(const CRawADObs& obs, std::string& text, unsigned options,
                      bool oneValuePerLine);

// One observation's row as the list view copies it to the clipboard on a double click.
std::string ObservationExportRow(const CVelmObs& obs, const CDataDocument* document,
                                 unsigned options = ExportFlags::kListCopy);

// The complete text export of `document` into `sink`: header lines (with includeHeader), then
// for every selected observation of the range its heading row (once per class, when the
// "Export Headings" setting is on) and its row. Elapsed times count from
// options.referenceTime. `outputName` is named in the header. False when the sink failed.
bool WriteTextExport(const CDataDocument& document, const SExportOptions& options,
                     const SExportRange& range, const std::string& outputName, IExportSink& sink);

// ---- The "Text Export" command --------------------------------------------------------------

// "Export Observations To Text File": the working values of the dialog.
class CTextExportLogic {
  public:
    static constexpr const char* kCaption = "Export Observations To Text File";
    static constexpr const char* kBrowseFilter = "Text Files (*.txt)|*.txt|All Files (*.*)|*.*||";

    CTextExportLogic(const CDataDocument& document, const SExportOptions& options,
                     const std::string& proposedPath);

    SExportOptions options;
    std::string outputPath;  // "Output to file:"
    SExportRange range;      // "Observations From:"
    // The probe names of the document's gradient observations, for the list.
    std::vector<std::string> probeNames;
    // The reference time of the elapsed-time columns, as typed (local time).
    std::string month, day, year, hour, minute, second;

    std::string RangeText() const;
    // "Observations From:": the "Define Time Range" dialog; OK makes the range fixed.
    bool ObservationsFrom();
    // "Midnight": the reference time moves to the start of its day.
    void Midnight();
    // "Set for Viewer": the columns the external viewer reads (tab-separated, seconds from the
    // reference time, number label, title, probe position, data and calculations of every
    // class, no header lines).
    void SetForViewer();
    // OK: checks the entries (a message names the first bad one) and takes the reference time.
    bool Ok();

    const CDataDocument& Document() const { return document; }

  private:
    void ShowReferenceTime();

    const CDataDocument& document;
};

using TextExportDialogHook = std::function<bool(CTextExportLogic& logic)>;
void SetTextExportDialog(TextExportDialogHook hook);

// The root directory, "/", the export prefix and the export counter as "%03d.txt".
std::string ProposedExportPath();

// When `path` exists, asks whether to overwrite it: No advances the export counter (and says
// so), Cancel ends; both return false. True when the export may go ahead.
bool ConfirmExportPath(const std::string& path);

// "&Text Export": loads the options from `section` (kObsDocSection, kScanDocSection or
// kVidSeqDocSection, by the kind of document), runs the dialog, writes the file, adds the log
// entry "Export to file ... complete." and stores the options in the document and the settings.
// True when a file was written.
bool TextExportCommand(CDataDocument& document, const std::string& section);
