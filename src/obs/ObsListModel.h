#pragma once
// What the observation list view shows, without the GUI: the header line with the time range,
// one line per observation in the range (described with the document's detail flags and the
// rules and calibrations in force at its time), "End of file", the mapping from a line to an
// observation, the selection rules, hiding and showing, and the pages of a printout.
//
// Only the lines asked for are described, and the range is found by binary search in the
// time-ordered list, so a screen of a document of a million observations costs a screen's
// worth of descriptions.

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "obs/VelmObs.h"

class CDataDocument;

// The export row a double click puts on the clipboard: clock time, date, time, description,
// probe and sample positions, data, calculations, concentrations, tab separators.
std::string ExportRowForClipboard(const CVelmObs& obs, const CDataDocument& document);

// The list is drawn on a light background of its own whatever the desktop's colours, because
// the classes' line colours are chosen for it. A selected line is a dark bar.
inline constexpr SRgb kListBackground{255, 255, 255};
inline constexpr SRgb kListSelectionBar{0, 0, 0};
// The ruler under the header line.
inline constexpr SRgb kListRulerColor{96, 96, 96};
// The text colour of a selected line: the complement of the line's colour, as the station has
// always shown a selection, or the colour itself where the complement would be too dark to
// read on the bar (the pale colours of hidden lines).
SRgb SelectedLineColor(SRgb lineColor);

struct SListLine {
    enum class EKind { Blank, Header, Observation, EndOfFile };
    EKind kind = EKind::Blank;
    size_t obsIndex = 0;  // for observation lines
    std::string text;
    SRgb color;
    bool selected = false;
};

class CObsListModel {
  public:
    static constexpr int kFirstObsLine = 3;      // header, two blank lines, then observations
    static constexpr int kListWidthChars = 260;  // in average character widths

    explicit CObsListModel(CDataDocument& document) : doc(document) {}
    CDataDocument& Document() const { return doc; }

    // ---- The time range and the lines --------------------------------------------------------
    // The range of the document's View > Time Range mode: Fixed, the last 30 minutes, or All
    // (from the first observation to the last one or now, whichever is later).
    void TimeRange(int64_t& start, int64_t& end) const;
    // "Events from %m/%d/%y %H:%M:%S to %m/%d/%y %H:%M:%S".
    std::string HeaderLine() const;
    // The observations in the range: list indexes first .. first + count - 1.
    struct SRange {
        size_t first = 0;
        size_t count = 0;
    };
    SRange ObsRange() const;
    // Lines of the list: the header, two blank lines, the observations, a blank line and
    // "End of file".
    int64_t LineCount() const;
    // Sets the document's stored list extent (260 by 3 + observations in the range).
    void UpdateExtent() const;
    // Describes lines firstLine .. firstLine + count - 1 (past the end: none).
    void DescribeLines(int64_t firstLine, int64_t count, std::vector<SListLine>& out) const;
    // The ruler drawn under the header (not a line of the list: clicks and line numbers are
    // not affected): the names of the columns that `detailFlags` show, each over its column.
    static constexpr int kRulerLine = 1;
    static std::string RulerText(unsigned detailFlags);
    // The list line of the observation at list index `obsIndex` (none outside the range).
    std::optional<int64_t> LineOfObs(size_t obsIndex) const;

    // ---- Mouse ----------------------------------------------------------------------------------
    // The list line at pixel row y of a view scrolled by `scrollPixels` (lines `lineHeight`
    // high); rows above the list give negative lines.
    static int64_t LineAtY(int64_t y, int64_t scrollPixels, int lineHeight);
    // The list index of the observation on `line`, or none (header, blank lines, below the
    // last observation).
    std::optional<size_t> ObsAtLine(int64_t line) const;
    // The observation line nearest to `line` (for dragging past either end), or none when the
    // range is empty.
    std::optional<size_t> NearestObsAtLine(int64_t line) const;

    // ---- Selection (indexes into the whole list; -1, -1 for none)
    // -------------------------------- Left button: without Shift the line alone; with Shift the
    // selection grows to it: a line before the first selected line becomes the first line, any
    // other the last line.
    void Click(size_t obsIndex, bool shift);
    // Moving with the button held extends the selection as Shift does.
    void Extend(size_t obsIndex);
    void ClearSelection() { firstSelected = lastSelected = anchor = current = -1; }
    bool HasSelection() const { return firstSelected >= 0 && lastSelected >= 0; }
    bool IsSelected(size_t obsIndex) const;
    int64_t FirstSelected() const { return firstSelected; }
    int64_t LastSelected() const { return lastSelected; }

    // ---- Keyboard --------------------------------------------------------------------------
    // The keys of any list: a line up or down, a page (`pageLines` lines) up or down, the first
    // or the last line shown (Home, End; Ctrl+Home and Ctrl+End alike).
    enum class EKey { Up, Down, PageUp, PageDown, Home, End };
    // Moves the current line (the one last clicked or moved to) by `key`, within the lines
    // shown. Without `extend` the selection becomes that line alone; with it (Shift held) the
    // selection runs from the line where it was started to the new one, shrinking as well as
    // growing. Returns the new current observation, or none when no line is shown.
    std::optional<size_t> MoveByKey(EKey key, int64_t pageLines, bool extend);
    int64_t CurrentIndex() const { return current; }

    // "&Hide Obs" / "Sh&ow Obs": sets or clears `hidden` from the first to the last selected
    // observation and refreshes the views. False without a selection.
    bool SetSelectedHidden(bool hidden);

    // Double click: opens the observation, then gives its export row for the clipboard.
    bool Open(size_t obsIndex, std::string& clipboardText);

    // ---- Printing
    // -------------------------------------------------------------------------------- Pages of
    // `linesPerPage` list lines (at least one page).
    int64_t PageCount(int64_t linesPerPage) const;
    // The centred page title: `title` + " - Page %u of %u".
    static std::string PageTitle(const std::string& title, int64_t page, int64_t pages);

  private:
    CDataDocument& doc;
    int64_t firstSelected = -1;
    int64_t lastSelected = -1;
    int64_t anchor = -1;   // where a Shift selection starts from
    int64_t current = -1;  // the line last clicked or moved to
};
