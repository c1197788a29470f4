// The observation list's model: header, time range, lines, hit testing, selection, hiding,
// double click and pages.

#include <gtest/gtest.h>

#include <cmath>

#include "obs/DibObs.h"
#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ObsListModel.h"
#include "obs/ScanObs.h"
#include "obs/VidSeqObs.h"
#include "obs/WireObs.h"
#include "support/TestEnv.h"

namespace {

class ObsListModelTest : public CVelmTest {
  protected:
    CLogEntry* Add(int64_t t, const std::string& text, uint16_t ms = 0) {
        auto entry = std::make_unique<CLogEntry>();
        entry->SetTime(t, ms);
        entry->text = text;
        CLogEntry* raw = entry.get();
        doc.AddObs(std::move(entry));
        return raw;
    }
    std::vector<SListLine> Lines(int64_t first = 0, int64_t count = 100) const {
        std::vector<SListLine> out;
        model.DescribeLines(first, count, out);
        return out;
    }
    CObsDoc doc;
    CObsListModel model{doc};
};

using EKind = SListLine::EKind;

TEST_F(ObsListModelTest, HeaderObservationLinesAndEndOfFile) {
    doc.detailFlags = DetailFlags::kType | DetailFlags::kInformation;
    Add(kTestEpoch, "first");
    Add(kTestEpoch + 100, "last");
    EXPECT_EQ(model.HeaderLine(), "Events from 12/05/07 12:00:00 to 12/05/07 12:01:40");
    const auto lines = Lines();
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0].kind, EKind::Header);
    EXPECT_EQ(lines[1].kind, EKind::Blank);
    EXPECT_EQ(lines[3].text, "Log Entry:  first");
    EXPECT_EQ(lines[4].obsIndex, 1u);
    EXPECT_EQ(lines[5].kind, EKind::Blank);
    EXPECT_EQ(lines[6].text, "End of file");
    EXPECT_EQ(model.LineCount(), 7);
    model.UpdateExtent();
    EXPECT_EQ(doc.listExtent[0], 260);
    EXPECT_EQ(doc.listExtent[1], 5);
    EXPECT_TRUE(Lines(7, 10).empty());
    EXPECT_EQ(Lines(4, 1).size(), 1u);  // only what is asked for is described
    EXPECT_EQ(model.PageCount(3), 3);
    EXPECT_EQ(CObsListModel::PageTitle("data.vpo", 2, 3), "data.vpo - Page 2 of 3");

    // An observation stamped earlier takes its place in time order, on the first line.
    Add(kTestEpoch - 5, "earlier");
    EXPECT_EQ(Lines(3, 1)[0].text, "Log Entry:  earlier");
}

TEST_F(ObsListModelTest, TimeRangesShowOnlyTheirObservations) {
    for (int64_t t : {-3600, -2000, -10, 0, 10})
        Add(kTestEpoch + t, std::to_string(t));
    doc.viewMode = kViewLatestHalfHour;
    auto range = model.ObsRange();
    EXPECT_EQ(range.first, 2u);  // -2000 s is older than half an hour; +10 s is not yet
    EXPECT_EQ(range.count, 2u);
    EXPECT_EQ(model.HeaderLine(), "Events from 12/05/07 11:30:00 to 12/05/07 12:00:00");
    EXPECT_EQ(*model.ObsAtLine(3), 2u);

    doc.viewMode = kViewFixed;
    doc.fixedStart = kTestEpoch - 5000;
    doc.fixedEnd = kTestEpoch - 2000;  // an observation at the end second counts
    range = model.ObsRange();
    EXPECT_EQ(range.first, 0u);
    EXPECT_EQ(range.count, 2u);
    doc.fixedEnd = doc.fixedStart - 1;  // nothing in an empty range
    EXPECT_EQ(model.ObsRange().count, 0u);
    EXPECT_FALSE(model.NearestObsAtLine(3));
}

TEST_F(ObsListModelTest, TheLineUnderThePointer) {
    for (int i = 0; i < 10; ++i)
        Add(kTestEpoch + i, "");
    EXPECT_EQ(CObsListModel::LineAtY(0, 0, 16), 0);
    EXPECT_EQ(CObsListModel::LineAtY(47, 0, 16), 2);
    EXPECT_EQ(CObsListModel::LineAtY(48, 0, 16), 3);
    EXPECT_EQ(CObsListModel::LineAtY(5, 160, 16), 10);
    EXPECT_EQ(CObsListModel::LineAtY(-1, 0, 16), -1);  // above the list, not its first line
    EXPECT_FALSE(model.ObsAtLine(2));
    EXPECT_EQ(model.ObsAtLine(3), 0u);
    EXPECT_EQ(model.ObsAtLine(12), 9u);
    EXPECT_FALSE(model.ObsAtLine(13));  // below the last observation
    EXPECT_EQ(model.NearestObsAtLine(-4), 0u);
    EXPECT_EQ(model.NearestObsAtLine(99), 9u);
}

TEST_F(ObsListModelTest, ClickShiftClickAndDragSelect) {
    for (int i = 0; i < 10; ++i)
        Add(kTestEpoch + i, "");
    EXPECT_FALSE(model.HasSelection());
    model.Click(5, true);  // Shift without a selection: the line alone
    EXPECT_EQ(model.FirstSelected(), 5);
    EXPECT_EQ(model.LastSelected(), 5);
    model.Click(2, true);  // above: a new first line
    EXPECT_EQ(model.FirstSelected(), 2);
    EXPECT_EQ(model.LastSelected(), 5);
    model.Click(4, true);  // inside or below: the new last line
    EXPECT_EQ(model.LastSelected(), 4);
    model.Extend(8);  // dragging extends as Shift does
    EXPECT_EQ(model.LastSelected(), 8);
    EXPECT_TRUE(model.IsSelected(2) && model.IsSelected(8) && !model.IsSelected(9));
    model.Click(7, false);
    EXPECT_EQ(model.FirstSelected(), 7);
    EXPECT_EQ(model.LastSelected(), 7);
    const auto lines = Lines(9, 2);
    EXPECT_FALSE(lines[0].selected);
    EXPECT_TRUE(lines[1].selected);
}

TEST_F(ObsListModelTest, HiddenObservationsAreMarkedGreyAndStaySelectable) {
    for (int i = 0; i < 4; ++i)
        Add(kTestEpoch + i, "note");
    int refreshed = 0;
    doc.SetUpdateViewsHook([&] { ++refreshed; });
    EXPECT_FALSE(model.SetSelectedHidden(true));  // nothing selected
    model.Click(1, false);
    model.Click(2, true);
    EXPECT_TRUE(model.SetSelectedHidden(true));
    EXPECT_EQ(refreshed, 1);
    doc.detailFlags = 0;
    auto lines = Lines(3, 4);
    EXPECT_EQ(lines[0].text, "");
    EXPECT_EQ(lines[1].text, "x ");
    EXPECT_EQ(lines[1].color, (SRgb{192, 192, 192}));
    EXPECT_EQ(lines[3].color, (SRgb{0, 0, 0}));
    EXPECT_EQ(model.ObsAtLine(4), 1u);
    EXPECT_TRUE(model.SetSelectedHidden(false));
    EXPECT_FALSE(doc.GetObsAt(1)->hidden || doc.GetObsAt(2)->hidden);
}

TEST_F(ObsListModelTest, KeysMoveAndExtendTheSelectionAsInAnyList) {
    using EKey = CObsListModel::EKey;
    for (int i = 0; i < 10; ++i)
        Add(kTestEpoch + i, "");
    // Nothing selected yet: the keys start at an end.
    EXPECT_EQ(model.MoveByKey(EKey::Down, 4, false), 0u);
    EXPECT_EQ(model.MoveByKey(EKey::Down, 4, false), 1u);
    EXPECT_EQ(model.FirstSelected(), 1);
    EXPECT_EQ(model.LastSelected(), 1);
    // Shift extends from where the selection started, and takes back as well.
    model.MoveByKey(EKey::Down, 4, true);
    model.MoveByKey(EKey::Down, 4, true);
    EXPECT_EQ(model.FirstSelected(), 1);
    EXPECT_EQ(model.LastSelected(), 3);
    model.MoveByKey(EKey::Up, 4, true);
    EXPECT_EQ(model.LastSelected(), 2);
    model.MoveByKey(EKey::Up, 4, true);
    model.MoveByKey(EKey::Up, 4, true);
    EXPECT_EQ(model.FirstSelected(), 0);
    EXPECT_EQ(model.LastSelected(), 1);
    // Pages, the ends, and no step past them.
    EXPECT_EQ(model.MoveByKey(EKey::PageDown, 4, false), 4u);
    EXPECT_EQ(model.MoveByKey(EKey::End, 4, true), 9u);
    EXPECT_EQ(model.FirstSelected(), 4);
    EXPECT_EQ(model.LastSelected(), 9);
    EXPECT_EQ(model.MoveByKey(EKey::Down, 4, false), 9u);
    EXPECT_EQ(model.MoveByKey(EKey::Home, 4, false), 0u);
    EXPECT_EQ(model.MoveByKey(EKey::PageUp, 4, false), 0u);
    // A click sets where Shift+keys start; Shift+click keeps the other end.
    model.Click(6, false);
    model.MoveByKey(EKey::Up, 4, true);
    EXPECT_EQ(model.FirstSelected(), 5);
    EXPECT_EQ(model.LastSelected(), 6);
    model.Click(8, true);
    model.MoveByKey(EKey::Down, 4, true);
    EXPECT_EQ(model.FirstSelected(), 5);
    EXPECT_EQ(model.LastSelected(), 9);
    EXPECT_EQ(model.LineOfObs(9), 12);

    // Only the lines shown are visited.
    doc.viewMode = kViewFixed;
    doc.fixedStart = kTestEpoch + 2;
    doc.fixedEnd = kTestEpoch + 4;
    EXPECT_EQ(model.MoveByKey(EKey::Down, 4, false), 2u);  // the current line is not shown
    EXPECT_EQ(model.MoveByKey(EKey::End, 4, false), 4u);
    EXPECT_FALSE(model.LineOfObs(5));
    doc.fixedEnd = doc.fixedStart - 1;
    EXPECT_FALSE(model.MoveByKey(EKey::Down, 4, false));
}

TEST_F(ObsListModelTest, TheRulerNamesTheColumnsOverTheirValues) {
    doc.detailFlags = static_cast<int>(DetailFlags::kDefault);  // time, type, probe, info, calcs
    auto* entry = Add(kTestEpoch, "note");
    entry->probePosition = CDVector4(1234.5, -2, 3, 4);
    const std::string ruler = CObsListModel::RulerText(DetailFlags::kDefault);
    const std::string line = Lines(3, 1)[0].text;
    EXPECT_EQ(ruler.find("Time"), 0u);
    // Each axis letter stands over the last digit of its number.
    EXPECT_EQ(line[ruler.find('X')], '5');
    EXPECT_EQ(line[ruler.find('W')], '0');
    EXPECT_EQ(line.substr(ruler.find("Type"), 9), "Log Entry");
    EXPECT_NE(ruler.find("Type, Information, Calculations"), std::string::npos);

    const unsigned all = DetailFlags::kAll;  // date, time, both positions, type, information
    doc.detailFlags = static_cast<int>(all);
    const std::string wide = CObsListModel::RulerText(all);
    const std::string wideLine = Lines(3, 1)[0].text;
    EXPECT_EQ(wide.find("Date"), 0u);
    EXPECT_EQ(wideLine.substr(wide.find("Time"), 8), "12:00:00");
    EXPECT_EQ(wideLine[wide.find("Sample um") - 1], ' ');
    EXPECT_EQ(wideLine.substr(wide.find("Sample um"), 7), "sample:");
    EXPECT_EQ(wide.find("Calculations"), std::string::npos);
    EXPECT_EQ(CObsListModel::RulerText(0), "");
}

// WCAG contrast ratio of two colours.
double Contrast(SRgb a, SRgb b) {
    auto luminance = [](SRgb c) {
        auto channel = [](uint8_t v) {
            const double s = v / 255.0;
            return s <= 0.03928 ? s / 12.92 : std::pow((s + 0.055) / 1.055, 2.4);
        };
        return 0.2126 * channel(c.r) + 0.7152 * channel(c.g) + 0.0722 * channel(c.b);
    };
    const double la = luminance(a), lb = luminance(b);
    return (std::max(la, lb) + 0.05) / (std::min(la, lb) + 0.05);
}

TEST_F(ObsListModelTest, EveryLineColourIsReadableWhenSelected) {
    CLogEntry log;
    CDibObs dib;
    CScanObs scan;
    CVidSeqObs sequence;
    for (CVelmObs* obs : std::initializer_list<CVelmObs*>{&log, &dib, &scan, &sequence}) {
        for (bool hidden : {false, true}) {
            obs->hidden = hidden;
            const SRgb shown = obs->GetColor();
            const SRgb selected = SelectedLineColor(shown);
            EXPECT_GE(Contrast(selected, kListSelectionBar), 4.5)
                << obs->GetRuntimeClass().name << (hidden ? " hidden" : "");
            if (!hidden) {
                EXPECT_GE(Contrast(shown, kListBackground), 3.0);
            }
        }
    }
    // The list keeps its light background whatever the desktop's theme.
    EXPECT_EQ(kListBackground, (SRgb{255, 255, 255}));
    EXPECT_EQ(SelectedLineColor({0, 0, 0}), (SRgb{255, 255, 255}));
}

TEST_F(ObsListModelTest, DoubleClickOpensAndGivesTheExportRow) {
    doc.detailFlags = DetailFlags::kType;
    Add(kTestEpoch, "plain note");
    std::string clip = "old";
    EXPECT_TRUE(model.Open(0, clip));
    EXPECT_EQ(prompt.LastText(), "Log Entry:  ");
    // Clock time, date, positions, title and text, tab-separated.
    EXPECT_EQ(clip,
              "12\t05\t07\t12\t00\t00\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\t0.0\tLogEntry\t"
              "plain note");
}

}  // namespace
