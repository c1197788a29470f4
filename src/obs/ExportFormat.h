#pragma once
// The building blocks of export rows: the options word that every observation's Export reads,
// fast printf-equivalent number formatting (a text export of a million points must take a
// second or two, and snprintf alone costs more than that), and the common columns that start
// every row.
//
// Every Append* function produces exactly the bytes of the printf conversion it names, so the
// row layouts stay the printf formats that analysis scripts were written against.

#include <cstdint>
#include <ctime>
#include <string>

class CVelmObs;
class CDataDocument;

// Bits of the options word handed to CVelmObs::Export.
namespace ExportFlags {
inline constexpr unsigned kConcentrations = 0x01;  // gradient values as concentrations
inline constexpr unsigned kNumberLabel = 0x02;     // "#" column (value cells come from the command)
inline constexpr unsigned kData = 0x04;
inline constexpr unsigned kSamplePosition = 0x08;
inline constexpr unsigned kProbePosition = 0x10;
inline constexpr unsigned kTitle = 0x20;  // "Description": the class's title cell
inline constexpr unsigned kTime = 0x40;
inline constexpr unsigned kDate = 0x80;  // only together with kClockTime
inline constexpr unsigned kCalculations = 0x100;
inline constexpr unsigned kHeading = 0x200;  // write the column names instead of values
inline constexpr unsigned kTab = 0x400;
inline constexpr unsigned kComma = 0x800;
inline constexpr unsigned kSecondsFrom = 0x1000;
inline constexpr unsigned kMinutesFrom = 0x2000;
inline constexpr unsigned kHoursFrom = 0x4000;
inline constexpr unsigned kClockTime = 0x8000;
// What a double click in the observation list copies: clock time, date, time, description,
// both positions, data, calculations and concentrations, tab separated.
inline constexpr unsigned kListCopy = 0x85FD;
}  // namespace ExportFlags

// The cell separator: "," in comma mode, otherwise a tab.
inline char ExportSeparator(unsigned options) {
    return (options & ExportFlags::kComma) ? ',' : '\t';
}
inline bool IsHeadingRow(unsigned options) {
    return (options & ExportFlags::kHeading) != 0;
}

// "%lf", "%.1lf", "%.2lf" and "%d" / "%ld", appended.
void AppendLf(std::string& out, double value);
void AppendFixed(std::string& out, double value, int precision);
void AppendInt(std::string& out, long value);
// "%lg".
void AppendLg(std::string& out, double value);
// `value` followed by the separator: "%lf%c".
inline void AppendLfSep(std::string& out, double value, char sep) {
    AppendLf(out, value);
    out += sep;
}

// Local time of `seconds`, as localtime_r gives it, but cheap for the runs of nearby times that
// exports walk through: the breakdown of the start of the local hour is kept and the minutes and
// seconds are counted from it while the hour has one UTC offset.
class CLocalTimeCache {
  public:
    const std::tm& At(int64_t seconds);

  private:
    int64_t hourStart = 0;
    bool valid = false;
    std::tm hourTm{};
    std::tm current{};
};

// Forgets the local times kept for export rows, so that an export started after the time zone
// changed uses the new one (each export starts with it).
void ResetExportTimeCache();

// English day and month names whatever the user's locale: export headers are read by scripts.
// "%H:%M:%S on %A, %B %d, %Y" of `seconds` in local time.
std::string ExportDateText(int64_t seconds);
// "%m/%d/%y %H:%M:%S" of `seconds` in local time.
std::string ShortDateTimeText(int64_t seconds);

// While one exists, the elapsed-time columns count from `referenceTime` rather than from the
// document's own: a text export counts every row of its file, those of the scan documents it
// includes too, from the reference time chosen in its dialog.
class CExportReferenceScope {
  public:
    explicit CExportReferenceScope(int64_t referenceTime);
    ~CExportReferenceScope();
    CExportReferenceScope(const CExportReferenceScope&) = delete;
    CExportReferenceScope& operator=(const CExportReferenceScope&) = delete;

  private:
    bool hadPrevious;
    int64_t previous;
};

// The common columns at the start of every row (CVelmObs::Export): number label heading,
// date, time, probe and sample positions as `options` asks. The elapsed-time columns count
// from the export's reference time (CExportReferenceScope), else from `document`'s (0 without
// a document).
void ExportCommonColumns(const CVelmObs& obs, std::string& text, const CDataDocument* document,
                         unsigned options);
