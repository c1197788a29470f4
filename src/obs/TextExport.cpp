#include "obs/TextExport.h"

#include <sys/stat.h>

#include <algorithm>
#include <cctype>
#include <cstdlib>
#include <ctime>
#include <map>
#include <set>

#include "obs/DataDocument.h"
#include "obs/IonCalibration.h"
#include "obs/IonObs.h"
#include "obs/LinkedFile.h"
#include "obs/RawADObs.h"
#include "obs/SampRulesIon.h"
#include "obs/ScanObs.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"
#include "settings/RootDirectory.h"

namespace {

ScanDocumentOpener& ScanOpener() {
    static ScanDocumentOpener opener;
    return opener;
}
DefineTimeRangeHook& TimeRangeHook() {
    static DefineTimeRangeHook hook;
    return hook;
}
TextExportDialogHook& DialogHook() {
    static TextExportDialogHook hook;
    return hook;
}

// "Use Concentrations" is kept nowhere; the next export of the run starts with the last choice.
bool lastUseConcentrations = false;

// Rows are collected here and handed to the sink in large pieces.
constexpr size_t kFlushBytes = 1 << 20;

// One export into one file: the options word, the headings written so far and the running row
// number are shared by a document and every scan document exported into the same file.
class CTextExportRun {
  public:
    CTextExportRun(const SExportOptions& options, IExportSink& sink)
        : options(options),
          word(ExportOptionsWord(options)),
          sink(sink),
          headingsOn(Profile().GetProfileInt(kObsDocSection, "Export Headings", 1) != 0) {
        buffer.reserve(kFlushBytes + 64 * 1024);
    }

    void Write(std::string_view text) {
        buffer += text;
        FlushIfFull();
    }

    void ExportDocument(const CDataDocument& document, const SExportRange& range);

    bool Finish() {
        Flush();
        return ok;
    }

  private:
    void FlushIfFull() {
        if (buffer.size() >= kFlushBytes) Flush();
    }
    void Flush() {
        if (!buffer.empty() && ok) ok = sink.Write(buffer);
        buffer.clear();
    }
    // Writes the heading row of `obs` when it needs one. A class's heading is written once per
    // export; raw A/D observations (per probe number) and gradient observations and references
    // (per probe name and number), whose columns follow their channels, values and rules, get
    // a heading again whenever their columns differ from the last heading of that key.
    void WriteHeadingIfNeeded(const CVelmObs& obs, const CDataDocument& document);
    void ExportScan(const CScanObs& scan, const CDataDocument& document);

    const SExportOptions& options;
    const unsigned word;
    IExportSink& sink;
    const bool headingsOn;
    std::string buffer;
    bool ok = true;
    int rowNumber = 0;
    std::set<std::string> headings;
    std::map<std::string, std::string> lastColumns;  // per-probe key -> its last heading's columns
    std::string key;
    std::string columns;
    const SClassInfo* lastHeadingClass = nullptr;  // a run of one class skips the set lookup
    std::vector<std::string> scanChain;            // scan files being exported, innermost last
};

void CTextExportRun::WriteHeadingIfNeeded(const CVelmObs& obs, const CDataDocument& document) {
    const SClassInfo* cls = &obs.GetRuntimeClass();
    const bool perProbe = cls == &CRawADObs::classInfo || cls == &CIonObs::classInfo ||
                          cls == &CIonReference::classInfo;
    if (!perProbe) {
        if (cls == lastHeadingClass) return;
        lastHeadingClass = cls;
        if (!headings.insert(cls->name).second) return;
        obs.Export(buffer, &document, word | ExportFlags::kHeading);
        buffer += '\n';
        return;
    }
    key.assign(cls->name);
    key += '\0';
    if (cls != &CRawADObs::classInfo) key += static_cast<const CIonReading&>(obs).name;
    key += '\0';
    AppendInt(key, obs.index);
    // What decides the columns: a raw A/D row's channels and mode (cheap to compare for a
    // million rows), a gradient row's heading itself.
    columns.clear();
    if (cls == &CRawADObs::classInfo) {
        const CSampRulesRawAD& r = static_cast<const CRawADObs&>(obs).rules;
        AppendInt(columns, r.FirstChan);
        columns += ',';
        AppendInt(columns, r.LastChan);
        columns += r.average ? 'a' : 'b';
    } else {
        obs.Export(columns, &document, word | ExportFlags::kHeading);
    }
    auto [last, isNew] = lastColumns.try_emplace(key, columns);
    if (!isNew) {
        if (last->second == columns) return;
        last->second = columns;
    }
    obs.Export(buffer, &document, word | ExportFlags::kHeading);
    buffer += '\n';
}

void CTextExportRun::ExportDocument(const CDataDocument& document, const SExportRange& range) {
    const char s = ExportSeparator(word);
    for (const auto& owned : document.Observations()) {
        const CVelmObs& obs = *owned;
        if (!range.all) {
            if (obs.time < range.start) continue;
            if (obs.time > range.end) break;
        }
        if (!IsExportSelected(obs, options)) continue;
        if (headingsOn) WriteHeadingIfNeeded(obs, document);
        if (word & ExportFlags::kNumberLabel) {
            AppendInt(buffer, ++rowNumber);
            buffer += s;
        }
        obs.Export(buffer, &document, word);
        buffer += '\n';
        const SClassInfo* cls = &obs.GetRuntimeClass();
        if (cls == &CRawADObs::classInfo) {
            const auto& raw = static_cast<const CRawADObs&>(obs);
            if (!raw.rules.average) ExportBurstBlock(raw, buffer, word, false);
        } else if (cls == &CScanObs::classInfo) {
            ExportScan(static_cast<const CScanObs&>(obs), document);
        }
        FlushIfFull();
    }
}

void CTextExportRun::ExportScan(const CScanObs& scan, const CDataDocument& document) {
    if (!HasScanDocumentOpener()) return;
    const std::string path = ResolveLinkedFile(scan.fileName, document.GetPathName());
    if (path.empty()) {
        Prompt().Message("File " + scan.fileName + " not found - not exporting.",
                         EPromptIcon::Exclamation);
        return;
    }
    // A scan file that (through its own scan observations) names itself again would never end.
    if (std::find(scanChain.begin(), scanChain.end(), path) != scanChain.end()) return;
    std::unique_ptr<CDataDocument> scanDocument = OpenScanDocument(path);
    if (!scanDocument) return;
    scanChain.push_back(path);
    ExportDocument(*scanDocument, SExportRange{});
    scanChain.pop_back();
}

bool ParseWhole(const std::string& text, long low, long high, long& value) {
    const std::optional<int64_t> v = ParseDigitsEntry(text, low, high);
    if (v) value = static_cast<long>(*v);
    return v.has_value();
}

bool IsExistingPath(const std::string& path) {
    struct stat st {};
    return !path.empty() && ::stat(path.c_str(), &st) == 0;
}

}  // namespace

// ---- Ranges and hooks ------------------------------------------------------------------------

SExportRange ViewRangeOf(const CDataDocument& document) {
    SExportRange range;
    if (document.viewMode == kViewLatestHalfHour) {
        range.all = false;
        range.end = Clock().Now().seconds;
        range.start = range.end - 30 * 60;
    } else if (document.viewMode == kViewFixed) {
        range.all = false;
        range.start = document.fixedStart;
        range.end = document.fixedEnd;
    }
    return range;
}

void RangeBounds(const CDataDocument& document, const SExportRange& range, int64_t& start,
                 int64_t& end) {
    if (!range.all) {
        start = range.start;
        end = range.end;
    } else if (document.GetObsCount() > 0) {
        start = document.Observations().front()->time;
        end = document.Observations().back()->time;
    } else {
        start = end = document.referenceTime;
    }
}

std::string RangeText(const CDataDocument& document, const SExportRange& range) {
    int64_t start = 0, end = 0;
    RangeBounds(document, range, start, end);
    return ShortDateTimeText(start) + " to " + ShortDateTimeText(end);
}

void SetScanDocumentOpener(ScanDocumentOpener opener) {
    ScanOpener() = std::move(opener);
}

bool HasScanDocumentOpener() {
    return static_cast<bool>(ScanOpener());
}

std::unique_ptr<CDataDocument> OpenScanDocument(const std::string& path) {
    return ScanOpener() ? ScanOpener()(path) : nullptr;
}

void SetDefineTimeRangeHook(DefineTimeRangeHook hook) {
    TimeRangeHook() = std::move(hook);
}

bool DefineTimeRange(int64_t& start, int64_t& end) {
    if (!TimeRangeHook()) return false;
    int64_t s = start, e = end;
    if (!TimeRangeHook()(s, e)) return false;
    start = s;
    end = e;
    return true;
}

// ---- Rows
// ----------------------------------------------------------------------------------------

void ExportBurstBlock(const CRawADObs& obs, std::string& text, unsigned options,
                      bool oneValuePerLine) {
    const CSampRulesRawAD& r = obs.rules;
    const int64_t channels = r.ChannelCount();
    if (channels <= 0 || r.BurstNum <= 0) return;
    // Interleaved: sample i of channel c at i * channels + c; sequential: a block of BurstNum
    // samples per channel. A record read from a file may hold fewer values than the rules
    // describe: only samples present for every channel are written.
    const int64_t have = static_cast<int64_t>(obs.values.size());
    int64_t samples = r.BurstNum;
    if (r.interleave)
        samples = std::min<int64_t>(samples, have / channels);
    else
        samples = std::min<int64_t>(samples, have - (channels - 1) * r.BurstNum);
    if (samples < 0) samples = 0;
    auto at = [&](int64_t i, int64_t c) {
        return obs
            .values[static_cast<size_t>(r.interleave ? i * channels + c : c * r.BurstNum + i)];
    };
    if (oneValuePerLine) {
        for (int64_t c = 0; c < channels; ++c) {
            text += "Ch";
            AppendInt(text, static_cast<long>(r.FirstChan + c));
            text += '\n';
            for (int64_t i = 0; i < samples; ++i) {
                AppendLf(text, at(i, c));
                text += '\n';
            }
        }
        return;
    }
    const char s = ExportSeparator(options);
    for (int64_t c = 0; c < channels; ++c) {
        text += "Ch";
        AppendInt(text, static_cast<long>(r.FirstChan + c));
        text += s;
    }
    text += '\n';
    for (int64_t i = 0; i < samples; ++i) {
        for (int64_t c = 0; c < channels; ++c)
            AppendLfSep(text, at(i, c), s);
        text += '\n';
    }
}

std::string ObservationExportRow(const CVelmObs& obs, const CDataDocument* document,
                                 unsigned options) {
    ResetExportTimeCache();
    std::string row;
    obs.Export(row, document, options);
    return row;
}

bool WriteTextExport(const CDataDocument& document, const SExportOptions& options,
                     const SExportRange& range, const std::string& outputName, IExportSink& sink) {
    ResetExportTimeCache();
    // The rows count from the reference time the export was given, which the dialog may just
    // have changed (the document takes it only once the file is written).
    CExportReferenceScope reference(options.referenceTime);
    CTextExportRun run(options, sink);
    if (options.includeHeader) {
        int64_t start = 0, end = 0;
        RangeBounds(document, range, start, end);
        std::string header = "Export Time: " + ExportDateText(Clock().Now().seconds) + "\n";
        header += "Data exported from file " + document.GetPathName() + " to file " + outputName +
                  " (VELM Beta 0.3.0.0)\n";
        header += "Observations from " + ExportDateText(start) + " " + " to " +
                  ExportDateText(end) + "\n\n";
        run.Write(header);
    }
    run.ExportDocument(document, range);
    return run.Finish();
}

// ---- The command -----------------------------------------------------------------------------

CTextExportLogic::CTextExportLogic(const CDataDocument& document, const SExportOptions& options,
                                   const std::string& proposedPath)
    : options(options), outputPath(proposedPath), range(ViewRangeOf(document)), document(document) {
    for (const auto& obs : document.Observations()) {
        const std::string* name = nullptr;
        if (auto* reading = dynamic_cast<const CIonReading*>(obs.get()))
            name = &reading->name;
        else if (auto* rules = dynamic_cast<const CSampRulesIon*>(obs.get()))
            name = &rules->name;
        else if (auto* cal = dynamic_cast<const CIonCalibration*>(obs.get()))
            name = &cal->name;
        if (name && !name->empty() &&
            std::find(probeNames.begin(), probeNames.end(), *name) == probeNames.end())
            probeNames.push_back(*name);
    }
    ShowReferenceTime();
}

void CTextExportLogic::ShowReferenceTime() {
    const std::tm tm = CClock::LocalTime(options.referenceTime);
    month = std::to_string(tm.tm_mon + 1);
    day = std::to_string(tm.tm_mday);
    year = std::to_string(tm.tm_year + 1900);
    hour = std::to_string(tm.tm_hour);
    minute = std::to_string(tm.tm_min);
    second = std::to_string(tm.tm_sec);
}

std::string CTextExportLogic::RangeText() const {
    return ::RangeText(document, range);
}

bool CTextExportLogic::ObservationsFrom() {
    return ChooseExportRange(document, range);
}

bool ChooseExportRange(const CDataDocument& document, SExportRange& range) {
    int64_t start = 0, end = 0;
    RangeBounds(document, range, start, end);
    if (!DefineTimeRange(start, end)) return false;
    range.all = false;
    range.start = start;
    range.end = end;
    return true;
}

void CTextExportLogic::Midnight() {
    // One character each, filled rather than copied from a literal: GCC 12 at -O3 warns of a
    // string copy overlapping itself (a false alarm) for the literal assignment.
    for (std::string* field : {&hour, &minute, &second})
        field->assign(1, '0');
}

void CTextExportLogic::SetForViewer() {
    for (int* on :
         {&options.exportDIB, &options.exportIonCal, &options.exportIonPt, &options.exportIonRef,
          &options.exportIonSampRules, &options.exportLog, &options.exportScan,
          &options.exportContour, &options.exportVidSeq, &options.exportWireCal,
          &options.exportWirePt, &options.exportWireRef, &options.exportWireSampRules,
          &options.exportRawAD, &options.exportRawADSampRules})
        *on = 1;
    options.includeHeader = 0;
    options.useData = 1;    // "Number label"
    options.useNumber = 1;  // "Data"
    options.useCalcs = 1;
    options.useDescrip = 1;
    options.useProbePos = 1;
    options.useSampPos = 0;
    options.useDate = 0;
    options.useTime = 1;
    options.exportTimeType = kTimeSeconds;
    options.exportDataType = kDataTab;
}

bool CTextExportLogic::Ok() {
    auto refuse = [](const std::string& text) {
        Prompt().Message(text, EPromptIcon::Exclamation, kCaption);
        return false;
    };
    if (outputPath.find_first_not_of(" \t") == std::string::npos)
        return refuse("Enter the name of the file to export to.");
    struct SField {
        const std::string& text;
        const char* name;
        long low, high;
        long value = 0;
    } fields[] = {{month, "Month", 1, 12}, {day, "Day", 1, 31},    {year, "Year", 1970, 2037},
                  {hour, "Hour", 0, 23},   {minute, "Min", 0, 59}, {second, "Sec", 0, 59}};
    for (SField& f : fields) {
        if (!ParseWhole(f.text, f.low, f.high, f.value))
            return refuse(
                StrPrintf("\"%s\" must be a whole number from %ld to %ld.", f.name, f.low, f.high));
    }
    std::tm tm{};
    tm.tm_mon = static_cast<int>(fields[0].value - 1);
    tm.tm_mday = static_cast<int>(fields[1].value);
    tm.tm_year = static_cast<int>(fields[2].value - 1900);
    tm.tm_hour = static_cast<int>(fields[3].value);
    tm.tm_min = static_cast<int>(fields[4].value);
    tm.tm_sec = static_cast<int>(fields[5].value);
    tm.tm_isdst = -1;
    std::tm check = tm;
    const std::time_t t = std::mktime(&check);
    // mktime moves a day or hour that does not exist (February 30th, the hour skipped when the
    // clocks go forward) to another one: such a reference time is refused, not silently moved.
    if (t == static_cast<std::time_t>(-1) || check.tm_mday != tm.tm_mday ||
        check.tm_mon != tm.tm_mon || check.tm_year != tm.tm_year || check.tm_hour != tm.tm_hour ||
        check.tm_min != tm.tm_min || t > 0x7FFFFFFF)
        return refuse(
            StrPrintf("%02ld/%02ld/%04ld %02ld:%02ld:%02ld is not a time of the local "
                      "calendar.",
                      fields[0].value, fields[1].value, fields[2].value, fields[3].value,
                      fields[4].value, fields[5].value));
    options.referenceTime = static_cast<int64_t>(t);
    return true;
}

void SetTextExportDialog(TextExportDialogHook hook) {
    DialogHook() = std::move(hook);
}

std::string ProposedExportPath() {
    return JoinPath(GetRootDirectory(),
                    GetExportPrefix() + StrPrintf("%03d.txt", GetNextExportFileNumber()));
}

bool ConfirmExportPath(const std::string& path) {
    if (!IsExistingPath(path)) return true;
    const EPromptAnswer answer =
        Prompt().Ask(StrPrintf("File %s already exists - overwrite for export ?", path.c_str()),
                     EPromptButtons::YesNoCancel, EPromptIcon::Question);
    if (answer == EPromptAnswer::Yes) return true;
    if (answer == EPromptAnswer::No) {
        AdvanceExportFileNumber();
        Prompt().Message("Export file number incremented - try export again.",
                         EPromptIcon::Information);
    }
    return false;
}

bool TextExportCommand(CDataDocument& document, const std::string& section) {
    SExportOptions options = ExportOptionsOf(document);
    options.useConcentrations = lastUseConcentrations;
    LoadExportSettings(options, section);
    CTextExportLogic logic(document, options, ProposedExportPath());
    if (!DialogHook() || !DialogHook()(logic)) return false;
    lastUseConcentrations = logic.options.useConcentrations;

    const std::string& path = logic.outputPath;
    if (!ConfirmExportPath(path)) return false;
    AdvanceExportFileNumber();
    CExportFile file;
    if (!file.Open(path)) {
        Prompt().Message(StrPrintf("Unable to open file %s for export.", path.c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    if (!WriteTextExport(document, logic.options, logic.range, path, file) || !file.Commit()) {
        // The temporary file is removed; an older file of that name is left as it was.
        Prompt().Message(StrPrintf("Unable to write file %s for export.\n%s", path.c_str(),
                                   file.ErrorText().c_str()),
                         EPromptIcon::Exclamation);
        return false;
    }
    StoreExportOptions(document, logic.options);
    document.AddLogEntry(StrPrintf("Export to file %s complete.", path.c_str()));
    SaveDataDocLines(document, section.c_str());
    return true;
}
