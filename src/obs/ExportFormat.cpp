#include "obs/ExportFormat.h"

#include <charconv>
#include <cmath>
#include <cstdio>

#include "obs/DataDocument.h"
#include "obs/VelmObs.h"
#include "platform/Clock.h"

namespace {

void AppendPrintf(std::string& out, const char* format, double value) {
    char buffer[512];
    int n = std::snprintf(buffer, sizeof buffer, format, value);
    if (n > 0) out.append(buffer, static_cast<size_t>(std::min<int>(n, sizeof buffer - 1)));
}

// Two digits with a leading zero, as strftime's %m, %d, %y, %H, %M, %S give them.
void AppendTwoDigits(std::string& out, int v) {
    if (v < 0 || v > 99) {
        AppendInt(out, v);
        return;
    }
    out += static_cast<char>('0' + v / 10);
    out += static_cast<char>('0' + v % 10);
}

const char* const kDayNames[] = {"Sunday",   "Monday", "Tuesday", "Wednesday",
                                 "Thursday", "Friday", "Saturday"};
const char* const kMonthNames[] = {"January",   "February", "March",    "April",
                                   "May",       "June",     "July",     "August",
                                   "September", "October",  "November", "December"};

thread_local CLocalTimeCache exportTimes;
thread_local bool hasExportReference = false;
thread_local int64_t exportReference = 0;

}  // namespace

void AppendLf(std::string& out, double value) {
    AppendFixed(out, value, 6);
}

void AppendFixed(std::string& out, double value, int precision) {
    // to_chars gives the correctly rounded digits, as glibc's printf does; infinities and NaNs
    // are left to printf so that their spelling is printf's own.
    if (!std::isfinite(value)) {
        char format[8];
        std::snprintf(format, sizeof format, "%%.%dlf", precision);
        AppendPrintf(out, format, value);
        return;
    }
    char buffer[400];  // the largest double in fixed notation has 309 digits before the point
    auto result =
        std::to_chars(buffer, buffer + sizeof buffer, value, std::chars_format::fixed, precision);
    if (result.ec != std::errc()) {
        char format[8];
        std::snprintf(format, sizeof format, "%%.%dlf", precision);
        AppendPrintf(out, format, value);
        return;
    }
    out.append(buffer, result.ptr);
}

void AppendInt(std::string& out, long value) {
    char buffer[24];
    auto result = std::to_chars(buffer, buffer + sizeof buffer, value);
    out.append(buffer, result.ptr);
}

void AppendLg(std::string& out, double value) {
    AppendPrintf(out, "%lg", value);
}

const std::tm& CLocalTimeCache::At(int64_t seconds) {
    if (valid && seconds >= hourStart && seconds - hourStart < 3600) {
        const int offset = static_cast<int>(seconds - hourStart);
        current = hourTm;
        current.tm_min = offset / 60;
        current.tm_sec = offset % 60;
        return current;
    }
    current = CClock::LocalTime(seconds);
    // The hour can be reused only when it has one UTC offset from its first second to its last
    // (a daylight-saving change or a leap second inside it breaks the simple counting).
    const int64_t start = seconds - current.tm_min * 60 - current.tm_sec;
    const std::tm first = CClock::LocalTime(start);
    const std::tm last = CClock::LocalTime(start + 3599);
    valid = first.tm_gmtoff == current.tm_gmtoff && last.tm_gmtoff == current.tm_gmtoff &&
            first.tm_hour == current.tm_hour && last.tm_hour == current.tm_hour &&
            first.tm_min == 0 && first.tm_sec == 0 && last.tm_min == 59 && last.tm_sec == 59;
    if (valid) {
        hourStart = start;
        hourTm = first;
    }
    return current;
}

CExportReferenceScope::CExportReferenceScope(int64_t referenceTime)
    : hadPrevious(hasExportReference), previous(exportReference) {
    hasExportReference = true;
    exportReference = referenceTime;
}

CExportReferenceScope::~CExportReferenceScope() {
    hasExportReference = hadPrevious;
    exportReference = previous;
}

void ResetExportTimeCache() {
    exportTimes = CLocalTimeCache();
}

std::string ExportDateText(int64_t seconds) {
    const std::tm tm = CClock::LocalTime(seconds);
    std::string out;
    AppendTwoDigits(out, tm.tm_hour);
    out += ':';
    AppendTwoDigits(out, tm.tm_min);
    out += ':';
    AppendTwoDigits(out, tm.tm_sec);
    out += " on ";
    out += kDayNames[(tm.tm_wday % 7 + 7) % 7];
    out += ", ";
    out += kMonthNames[(tm.tm_mon % 12 + 12) % 12];
    out += ' ';
    AppendTwoDigits(out, tm.tm_mday);
    out += ", ";
    AppendInt(out, tm.tm_year + 1900L);
    return out;
}

std::string ShortDateTimeText(int64_t seconds) {
    return CClock::FormatLocal(seconds, "%m/%d/%y %H:%M:%S");
}

void ExportCommonColumns(const CVelmObs& obs, std::string& text, const CDataDocument* document,
                         unsigned options) {
    using namespace ExportFlags;
    const char s = ExportSeparator(options);
    const bool comma = (options & kComma) != 0;
    const bool date = (options & kDate) && (options & kClockTime);
    if (IsHeadingRow(options)) {
        if (options & kNumberLabel) {
            text += '#';
            text += s;
        }
        if (date) text += comma ? "Month,Day,Year," : "Month\tDay\tYear\t";
        if (options & kTime) {
            const char* label = nullptr;
            if (options & kClockTime)
                text += comma ? "Hours,Minutes,Seconds," : "Hours\tMinutes\tSeconds\t";
            else if (options & kHoursFrom)
                label = "Hrs_From";
            else if (options & kMinutesFrom)
                label = "Min_From";
            else if (options & kSecondsFrom)
                label = "Sec_From";
            if (label) {
                text += label;
                text += s;
            }
        }
        for (const char* name : {"X_microns", "Y_microns", "Z_microns", "W_microns"}) {
            if (!(options & kProbePosition)) break;
            text += name;
            text += s;
        }
        for (const char* name : {"SampleX", "SampleY", "SampleZ", "SampleW"}) {
            if (!(options & kSamplePosition)) break;
            text += name;
            text += s;
        }
        return;
    }

    const bool clock = (options & kTime) && (options & kClockTime);
    if (date || clock) {
        const std::tm& tm = exportTimes.At(obs.time);
        if (date) {
            AppendTwoDigits(text, tm.tm_mon + 1);
            text += s;
            AppendTwoDigits(text, tm.tm_mday);
            text += s;
            AppendTwoDigits(text, ((tm.tm_year + 1900) % 100 + 100) % 100);
            text += s;
        }
        if (clock) {
            AppendTwoDigits(text, tm.tm_hour);
            text += s;
            AppendTwoDigits(text, tm.tm_min);
            text += s;
            AppendTwoDigits(text, tm.tm_sec);
            text += s;
        }
    } else if (options & kTime) {
        const int64_t reference = hasExportReference ? exportReference
                                  : document         ? document->referenceTime
                                                     : 0;
        const double elapsed = static_cast<double>(obs.time - reference) + obs.milliseconds * 0.001;
        if (options & kHoursFrom)
            AppendLfSep(text, elapsed / 3600.0, s);
        else if (options & kMinutesFrom)
            AppendLfSep(text, elapsed / 60.0, s);
        else if (options & kSecondsFrom)
            AppendLfSep(text, elapsed, s);
    }
    if (options & kProbePosition) {
        const CDVector4& p = obs.probePosition;
        for (double v : {p.x, p.y, p.z, p.w}) {
            AppendFixed(text, v, 1);
            text += s;
        }
    }
    if (options & kSamplePosition) {
        const CDVector4& p = obs.samplePosition;
        for (double v : {p.x, p.y, p.z, p.w}) {
            AppendFixed(text, v, 1);
            text += s;
        }
    }
}
