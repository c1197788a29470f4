#include "obs/ObsListModel.h"

#include <algorithm>

#include "obs/DataDocument.h"
#include "obs/ExportFormat.h"
#include "obs/TextExport.h"
#include "platform/Format.h"
#include "platform/Services.h"

namespace {

// The first index in [0, n) whose observation's time is not below `t` (or above `t` when
// `after`). The list is kept in time order; should a file hold it otherwise, this still ends
// on an index in range.
size_t FirstTimeIndex(const CObsList& list, int64_t t, bool after) {
    size_t lo = 0, hi = list.size();
    while (lo < hi) {
        const size_t mid = lo + (hi - lo) / 2;
        const int64_t time = list[mid]->time;
        if (after ? time <= t : time < t)
            lo = mid + 1;
        else
            hi = mid;
    }
    return lo;
}

constexpr const char* kHeaderTimeFormat = "%m/%d/%y %H:%M:%S";

}  // namespace

SRgb SelectedLineColor(SRgb c) {
    // Perceived lightness (0..255) of the complement: below about a third it would vanish in
    // the dark bar.
    const SRgb inverse{static_cast<uint8_t>(255 - c.r), static_cast<uint8_t>(255 - c.g),
                       static_cast<uint8_t>(255 - c.b)};
    const int lightness = (299 * inverse.r + 587 * inverse.g + 114 * inverse.b) / 1000;
    return lightness >= 96 ? inverse : c;
}

std::string ExportRowForClipboard(const CVelmObs& obs, const CDataDocument& document) {
    return ObservationExportRow(obs, &document, ExportFlags::kListCopy);
}

void CObsListModel::TimeRange(int64_t& start, int64_t& end) const {
    const int64_t now = Clock().Now().seconds;
    switch (doc.viewMode) {
        case kViewFixed:
            start = doc.fixedStart;
            end = doc.fixedEnd;
            return;
        case kViewLatestHalfHour:
            start = now - 30 * 60;
            end = now;
            return;
        default: {
            const CObsList& list = doc.Observations();
            start = list.empty() ? doc.referenceTime : list.front()->time;
            end = list.empty() ? now : std::max(now, list.back()->time);
            return;
        }
    }
}

std::string CObsListModel::HeaderLine() const {
    int64_t start = 0, end = 0;
    TimeRange(start, end);
    return "Events from " + CClock::FormatLocal(start, kHeaderTimeFormat) + " to " +
           CClock::FormatLocal(end, kHeaderTimeFormat);
}

CObsListModel::SRange CObsListModel::ObsRange() const {
    const CObsList& list = doc.Observations();
    if (doc.viewMode != kViewFixed && doc.viewMode != kViewLatestHalfHour) return {0, list.size()};
    int64_t start = 0, end = 0;
    TimeRange(start, end);
    const size_t first = FirstTimeIndex(list, start, false);
    const size_t past = FirstTimeIndex(list, end, true);
    return {first, past > first ? past - first : 0};
}

int64_t CObsListModel::LineCount() const {
    return kFirstObsLine + static_cast<int64_t>(ObsRange().count) + 2;
}

void CObsListModel::UpdateExtent() const {
    doc.listExtent[0] = kListWidthChars;
    const int64_t lines = kFirstObsLine + static_cast<int64_t>(ObsRange().count);
    doc.listExtent[1] = static_cast<int32_t>(std::min<int64_t>(lines, INT32_MAX));
}

void CObsListModel::DescribeLines(int64_t firstLine, int64_t count,
                                  std::vector<SListLine>& out) const {
    out.clear();
    if (count <= 0) return;
    const SRange range = ObsRange();
    const int64_t n = static_cast<int64_t>(range.count);
    const int64_t endOfFile = kFirstObsLine + n + 1;
    const int64_t from = std::max<int64_t>(firstLine, 0);
    const int64_t to = std::min(firstLine + count, endOfFile + 1);
    const unsigned flags = static_cast<unsigned>(doc.detailFlags);
    for (int64_t line = from; line < to; ++line) {
        SListLine item;
        if (line == 0) {
            item.kind = SListLine::EKind::Header;
            item.text = HeaderLine();
        } else if (line >= kFirstObsLine && line < kFirstObsLine + n) {
            item.kind = SListLine::EKind::Observation;
            item.obsIndex = range.first + static_cast<size_t>(line - kFirstObsLine);
            const CVelmObs* obs = doc.GetObsAt(item.obsIndex);
            obs->Describe(item.text, &doc, flags);
            item.color = obs->GetColor();
            item.selected = IsSelected(item.obsIndex);
        } else if (line == endOfFile) {
            item.kind = SListLine::EKind::EndOfFile;
            item.text = "End of file";
        }
        out.push_back(std::move(item));
    }
}

std::string CObsListModel::RulerText(unsigned flags) {
    // The widths of the description's prefix (DescribePrefix): each name starts its column,
    // the axis letters stand over the last digit of their numbers.
    std::string ruler;
    auto padded = [&ruler](const char* name, size_t width) {
        ruler += name;
        ruler.append(width - std::string(name).size(), ' ');
    };
    auto position = [&](const char* name, size_t width) {
        padded(name, width);
        for (const char* axis : {"X", "Y", "Z", "W"})
            StrAppendf(ruler, "%8s ", axis);
        ruler += "  ";
    };
    if (flags & DetailFlags::kDate) padded("Date", 10);                   // "%m/%d/%y  "
    if (flags & DetailFlags::kTime) padded("Time", 14);                   // "%H:%M:%S.%03d  "
    if (flags & DetailFlags::kProbePosition) position("Probe um", 9);     // "probe: [ "
    if (flags & DetailFlags::kSamplePosition) position("Sample um", 10);  // "sample: [ "
    std::string rest;
    for (auto [bit, name] : {std::pair{DetailFlags::kType, "Type"},
                             std::pair{DetailFlags::kInformation, "Information"},
                             std::pair{DetailFlags::kCalculations, "Calculations"}}) {
        if (!(flags & bit)) continue;
        if (!rest.empty()) rest += ", ";
        rest += name;
    }
    ruler += rest;
    while (!ruler.empty() && ruler.back() == ' ')
        ruler.pop_back();
    return ruler;
}

std::optional<int64_t> CObsListModel::LineOfObs(size_t obsIndex) const {
    const SRange range = ObsRange();
    if (obsIndex < range.first || obsIndex >= range.first + range.count) return std::nullopt;
    return kFirstObsLine + static_cast<int64_t>(obsIndex - range.first);
}

int64_t CObsListModel::LineAtY(int64_t y, int64_t scrollPixels, int lineHeight) {
    if (lineHeight <= 0) return -1;
    const int64_t pixel = y + scrollPixels;
    // Rounded down, so the rows just above the list are not taken for its first line.
    return pixel >= 0 ? pixel / lineHeight : -((-pixel + lineHeight - 1) / lineHeight);
}

std::optional<size_t> CObsListModel::ObsAtLine(int64_t line) const {
    const SRange range = ObsRange();
    const int64_t row = line - kFirstObsLine;
    if (row < 0 || row >= static_cast<int64_t>(range.count)) return std::nullopt;
    return range.first + static_cast<size_t>(row);
}

std::optional<size_t> CObsListModel::NearestObsAtLine(int64_t line) const {
    const SRange range = ObsRange();
    if (range.count == 0) return std::nullopt;
    const int64_t row =
        std::clamp<int64_t>(line - kFirstObsLine, 0, static_cast<int64_t>(range.count) - 1);
    return range.first + static_cast<size_t>(row);
}

void CObsListModel::Click(size_t obsIndex, bool shift) {
    const int64_t i = static_cast<int64_t>(obsIndex);
    if (!shift || !HasSelection()) {
        firstSelected = lastSelected = anchor = i;
    } else if (i < firstSelected) {
        firstSelected = i;
        anchor = lastSelected;
    } else {
        lastSelected = i;
        anchor = firstSelected;
    }
    current = i;
}

std::optional<size_t> CObsListModel::MoveByKey(EKey key, int64_t pageLines, bool extend) {
    const SRange range = ObsRange();
    if (range.count == 0) return std::nullopt;
    const int64_t first = static_cast<int64_t>(range.first);
    const int64_t last = first + static_cast<int64_t>(range.count) - 1;
    const int64_t page = std::max<int64_t>(1, pageLines);
    int64_t to = 0;
    if (current < first || current > last) {
        // Nothing current among the lines shown: the keys start at an end of the list.
        to = key == EKey::End ? last : first;
    } else {
        switch (key) {
            case EKey::Up:
                to = current - 1;
                break;
            case EKey::Down:
                to = current + 1;
                break;
            case EKey::PageUp:
                to = current - page;
                break;
            case EKey::PageDown:
                to = current + page;
                break;
            case EKey::Home:
                to = first;
                break;
            case EKey::End:
                to = last;
                break;
        }
    }
    to = std::clamp(to, first, last);
    if (extend && HasSelection() && anchor >= 0) {
        firstSelected = std::min(anchor, to);
        lastSelected = std::max(anchor, to);
    } else {
        firstSelected = lastSelected = anchor = to;
    }
    current = to;
    return static_cast<size_t>(to);
}

void CObsListModel::Extend(size_t obsIndex) {
    Click(obsIndex, true);
}

bool CObsListModel::IsSelected(size_t obsIndex) const {
    const int64_t i = static_cast<int64_t>(obsIndex);
    return HasSelection() && i >= firstSelected && i <= lastSelected;
}

bool CObsListModel::SetSelectedHidden(bool hidden) {
    if (!HasSelection()) return false;
    const int64_t n = static_cast<int64_t>(doc.GetObsCount());
    for (int64_t i = std::max<int64_t>(firstSelected, 0); i <= lastSelected && i < n; ++i)
        doc.GetObsAt(static_cast<size_t>(i))->hidden = hidden;
    doc.UpdateAllViews();
    return true;
}

bool CObsListModel::Open(size_t obsIndex, std::string& clipboardText) {
    clipboardText.clear();
    CVelmObs* obs = doc.GetObsAt(obsIndex);
    if (obs == nullptr) {
        Prompt().Message(StrPrintf("CObsView::OnLButtonDblClk - Unexpected NULL at obs %d.",
                                   static_cast<int>(obsIndex)),
                         EPromptIcon::Information);
        return false;
    }
    obs->Open(&doc, static_cast<unsigned>(doc.detailFlags));
    clipboardText = ExportRowForClipboard(*obs, doc);
    return true;
}

int64_t CObsListModel::PageCount(int64_t linesPerPage) const {
    if (linesPerPage < 1) linesPerPage = 1;
    return std::max<int64_t>(1, (LineCount() + linesPerPage - 1) / linesPerPage);
}

std::string CObsListModel::PageTitle(const std::string& title, int64_t page, int64_t pages) {
    return title +
           StrPrintf(" - Page %u of %u", static_cast<unsigned>(page), static_cast<unsigned>(pages));
}
