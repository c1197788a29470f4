#include "app/DaOutputLogic.h"

#include <cerrno>
#include <cmath>
#include <cstdlib>

#include "hw/AdBoard.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"

namespace {
bool ParseDouble(const std::string& text, double& value) {
    const std::optional<double> v = ParseNumberEntry(text);
    if (v) value = *v;
    return v.has_value();
}

bool ParseWhole(const std::string& text, long low, long high, long& value) {
    const std::optional<int64_t> v = ParseWholeEntry(text, low, high);
    if (v) value = static_cast<long>(*v);
    return v.has_value();
}
}  // namespace

CSetDaOutputLogic::CSetDaOutputLogic(const SDaOutput& current, CAdBoard& board) : board(board) {
    for (int c = 0; c < 2; ++c) {
        choice[c] = current.Tracks(c) ? kTrack : (current.IsConstant(c) ? kConstant : kNoChange);
        volts[c] = StrPrintf("%.3lf", current.constVolts[c]);
        channel[c] = StrPrintf("%d", current.trackCh[c]);
    }
    period = StrPrintf("%.0lf", current.trackSec);
    window = StrPrintf("%g", current.avgSec);
}

std::string CSetDaOutputLogic::ChannelCaption(int c) const {
    return StrPrintf(c == 0 ? "D/A Channel 0 (now at %.3lf V):" : "D/A Channel 1 (now at %.3lf V):",
                     c == 0 ? board.da0 : board.da1);
}

bool CSetDaOutputLogic::Read(SDaOutput& output) {
    SDaOutput read;
    badEntry.clear();
    for (int c = 0; c < 2; ++c) {
        read.op[c] = choice[c] == kTrack      ? kDaTrack[c]
                     : choice[c] == kConstant ? kDaConstant[c]
                                              : kDaNoChange[c];
        double v = 0.0;
        if (!ParseDouble(volts[c], v) || std::fabs(v) > board.daRange) {
            Prompt().Message(StrPrintf("D/A Channel %d: enter the volts to put out, from %.3lf "
                                       "to %.3lf.",
                                       c, -board.daRange, board.daRange),
                             EPromptIcon::Exclamation, kTitle);
            badEntry = StrPrintf("volts%d", c);
            return false;
        }
        read.constVolts[c] = v;
        long ch = 0;
        if (!ParseWhole(channel[c], 0, CAdBoard::kMaxChannels - 1, ch)) {
            Prompt().Message(StrPrintf("D/A Channel %d: the A/D channel to track is a whole "
                                       "number from 0 to 7.",
                                       c),
                             EPromptIcon::Exclamation, kTitle);
            badEntry = StrPrintf("channel%d", c);
            return false;
        }
        read.trackCh[c] = static_cast<int>(ch);
    }
    long seconds = 0;
    if (!ParseWhole(period, 1, kMaxTrackSec, seconds)) {
        Prompt().Message("The tracking period is whole seconds from 1 to 3600.",
                         EPromptIcon::Exclamation, kTitle);
        badEntry = "period";
        return false;
    }
    read.trackSec = static_cast<double>(seconds);
    // Each reading holds the window for its whole length; a window longer than the period
    // would leave the program busy reading nearly all the time.
    double avg = 0.0;
    if (!ParseDouble(window, avg) || avg < 0.0 || avg > read.trackSec) {
        Prompt().Message("The averaging window is seconds from 0 up to the tracking period.",
                         EPromptIcon::Exclamation, kTitle);
        badEntry = "window";
        return false;
    }
    read.avgSec = avg;
    output = read;
    return true;
}

void CSetDaOutputLogic::Test() {
    SDaOutput values;
    if (!Read(values)) return;
    for (int c = 0; c < 2; ++c) {
        double volts = 0.0;
        if (values.IsConstant(c)) {
            volts = values.constVolts[c];
        } else if (values.Tracks(c)) {
            if (!board.ReadChannels(values.avgSec, values.trackCh[c], values.trackCh[c], &volts)) {
                Prompt().Message(StrPrintf("A/D channel %d could not be read for D/A Channel %d.",
                                           values.trackCh[c], c),
                                 EPromptIcon::Exclamation, kTitle);
                continue;
            }
            volts = board.ClampToDaRange(volts);  // as the tracker puts it out
        } else {
            continue;
        }
        if (!board.SetDA(c, volts))
            Prompt().Message(board.SetDAFailureText(c, volts), EPromptIcon::Exclamation, kTitle);
    }
}
