// The observation list's model: header, time range, lines, hit testing, selection, hiding,
// double click and pages.

#include <gtest/gtest.h>

#include "obs/LogEntry.h"
#include "obs/ObsDoc.h"
#include "obs/ObsListModel.h"
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
