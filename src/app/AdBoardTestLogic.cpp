#include "app/AdBoardTestLogic.h"

#include <cerrno>
#include <climits>
#include <cmath>
#include <cstdlib>

#include "hw/AdBoard.h"
#include "platform/Format.h"
#include "platform/NumberEntry.h"
#include "platform/Services.h"
#include "platform/StationBusy.h"
#include "settings/FileNumbering.h"
#include "settings/Profile.h"

namespace {
// Written and read with the same format ("%lf" is a double either way).
constexpr const char* kLineFormat =
    "first=%d  last=%d  scale=%lf to %lf over %lf sec  daChan=%d  daVolts=%lf  track=%d";
constexpr const char* kScanFormat = kLineFormat;

bool ParseDouble(const std::string& text, double& value) {
    const std::optional<double> v = ParseNumberEntry(text);
    if (v) value = *v;
    return v.has_value();
}
}  // namespace

CAdBoardTestLogic::CAdBoardTestLogic(CAdBoard& board) : board(board) {
    int f = 0, l = 0, chan = 0, track = 0;
    double top = 10.0, bottom = -10.0, seconds = 10.0, volts = 0.0;
    Profile().ReadLine(kMainframeSection, kSettingsKey, "", kScanFormat, &f, &l, &top, &bottom,
                       &seconds, &chan, &volts, &track);
    first = StrPrintf("%d", f);
    last = StrPrintf("%d", l);
    scaleTop = StrPrintf("%g", std::isfinite(top) ? top : 10.0);
    scaleBottom = StrPrintf("%g", std::isfinite(bottom) ? bottom : -10.0);
    span = StrPrintf("%g", std::isfinite(seconds) ? seconds : 10.0);
    daChannel = StrPrintf("%d", chan);
    daVolts = StrPrintf("%.3lf", std::isfinite(volts) ? volts : 0.0);
    trackCh = StrPrintf("%d", track);
}

bool CAdBoardTestLogic::ReadInt(const std::string& text, const char* label, int& value) const {
    double v = 0.0;
    if (!ParseDouble(text, v) || v != std::floor(v) || v < INT_MIN || v > INT_MAX) {
        Prompt().Message(StrPrintf("%s enter a whole number.", label), EPromptIcon::Exclamation,
                         kTitle);
        return false;
    }
    value = static_cast<int>(v);
    return true;
}

bool CAdBoardTestLogic::ReadDouble(const std::string& text, const char* label,
                                   double& value) const {
    if (!ParseDouble(text, value)) {
        Prompt().Message(StrPrintf("%s enter a number.", label), EPromptIcon::Exclamation, kTitle);
        return false;
    }
    return true;
}

bool CAdBoardTestLogic::Start() {
    // This dialog's own messages hold the station too: the readings wait until they close.
    CStationBusy::CScope busy;
    int f = 0, l = 0;
    if (!ReadInt(first, "First:", f) || !ReadInt(last, "Last:", l)) return false;
    if (f < 0 || f > l || l >= CAdBoard::kMaxChannels) {
        Prompt().Message(StrPrintf("Illegal A/D channel range (%d-%d), must be inside 0-7.", f, l),
                         EPromptIcon::Exclamation, kTitle);
        return false;
    }
    firstCh = f;
    lastCh = l;
    running = true;
    return true;
}

void CAdBoardTestLogic::TimerFailed() {
    running = false;
    Prompt().Message("Unable to allocate A/D board test timer.", EPromptIcon::Stop, kTitle);
}

bool CAdBoardTestLogic::Tick(std::vector<double>& volts) {
    if (!running) return false;
    // Never inside another operation's wait (a scan keeps running behind this dialog), nor
    // while one of this dialog's own messages is open.
    if (CStationBusy::IsBusy()) return false;
    CStationBusy::CScope busy;
    volts.assign(static_cast<size_t>(lastCh - firstCh + 1), 0.0);
    if (!board.ReadChannels(kReadSec, firstCh, lastCh, volts.data())) {
        readProblem.Show(StrPrintf("Reading A/D channels %d to %d failed on the A/D board \"%s\".",
                                   firstCh, lastCh, board.GetBoardName()),
                         EPromptIcon::Exclamation, kTitle);
        return false;
    }
    readProblem.Clear();
    // A tracked position past the channels read has no reading: the output is left alone.
    if (tracking && trackPosition < static_cast<int>(volts.size())) {
        // Beyond the D/A range the output follows at the range's end, as a saturating output
        // would, instead of being refused and freezing at its last value.
        const double out = board.ClampToDaRange(volts[static_cast<size_t>(trackPosition)]);
        if (board.SetDA(trackDa, out))
            trackProblem.Clear();
        else
            trackProblem.Show(board.SetDAFailureText(trackDa, out), EPromptIcon::Exclamation,
                              kTitle);
    }
    return true;
}

std::string CAdBoardTestLogic::ValuesText(const std::vector<double>& volts) const {
    std::string text;
    for (size_t i = 0; i < volts.size(); ++i)
        StrAppendf(text, "%d: %.3lf  ", firstCh + static_cast<int>(i), volts[i]);
    return text;
}

bool CAdBoardTestLogic::DaAvailable() const {
    return board.HasDA();
}

void CAdBoardTestLogic::Send() {
    if (!DaAvailable()) return;
    CStationBusy::CScope busy;
    int channel = 0;
    double volts = 0.0;
    if (!ReadInt(daChannel, "volts to channel:", channel)) return;
    if (channel != 0 && channel != 1) {
        Prompt().Message(StrPrintf("Illegal D/A channel (%d), must be 0-1.", channel),
                         EPromptIcon::Exclamation, kTitle);
        return;
    }
    if (!ReadDouble(daVolts, "Volts to send:", volts)) return;
    if (std::fabs(volts) > board.daRange) {
        Prompt().Message(StrPrintf("%.3lf volts is outside the D/A range of +/-%.3lf volts.", volts,
                                   board.daRange),
                         EPromptIcon::Exclamation, kTitle);
        return;
    }
    if (board.SetDA(channel, volts))
        Prompt().Message(StrPrintf("D/A Channel %d set to %.3lf volts.", channel, volts),
                         EPromptIcon::Information, kTitle);
    else
        Prompt().Message(board.SetDAFailureText(channel, volts), EPromptIcon::Exclamation, kTitle);
}

void CAdBoardTestLogic::ToggleTrack() {
    if (tracking) {
        tracking = false;
        return;
    }
    CStationBusy::CScope busy;
    if (!DaAvailable()) return;
    int channel = 0, position = 0;
    if (!ReadInt(daChannel, "volts to channel:", channel)) return;
    if (channel != 0 && channel != 1) {
        Prompt().Message(StrPrintf("Illegal D/A channel (%d), must be 0-1.", channel),
                         EPromptIcon::Exclamation, kTitle);
        return;
    }
    if (!ReadInt(trackCh, "Track A/D channel:", position)) return;
    if (position < 0 || position >= CAdBoard::kMaxChannels) {
        Prompt().Message(StrPrintf("Illegal A/D track channel (%d), must be inside 0-7.", position),
                         EPromptIcon::Exclamation, kTitle);
        return;
    }
    trackDa = channel;
    trackPosition = position;
    tracking = true;
}

bool CAdBoardTestLogic::ReadScale(double& top, double& bottom, double& seconds) const {
    if (!ReadDouble(scaleTop, "Scale top:", top) ||
        !ReadDouble(scaleBottom, "Scale bottom:", bottom) || !ReadDouble(span, "seconds:", seconds))
        return false;
    if (top <= bottom || seconds <= 0.0) {
        Prompt().Message(
            "The scale's top must lie above its bottom, over a positive number of "
            "seconds.",
            EPromptIcon::Exclamation, kTitle);
        return false;
    }
    return true;
}

void CAdBoardTestLogic::Save() const {
    // Entries that cannot be read are stored as they were when the dialog opened.
    int f = 0, l = 0, chan = 0, track = 0;
    double top = 10.0, bottom = -10.0, seconds = 10.0, volts = 0.0;
    Profile().ReadLine(kMainframeSection, kSettingsKey, "", kScanFormat, &f, &l, &top, &bottom,
                       &seconds, &chan, &volts, &track);
    double v = 0.0;
    auto whole = [&v](const std::string& text, int& into) {
        if (ParseDouble(text, v) && v == std::floor(v) && v >= INT_MIN && v <= INT_MAX)
            into = static_cast<int>(v);
    };
    auto number = [&v](const std::string& text, double& into) {
        if (ParseDouble(text, v)) into = v;
    };
    whole(first, f);
    whole(last, l);
    number(scaleTop, top);
    number(scaleBottom, bottom);
    number(span, seconds);
    whole(daChannel, chan);
    number(daVolts, volts);
    whole(trackCh, track);
    Profile().WriteLine(kMainframeSection, kSettingsKey, kLineFormat, f, l, top, bottom, seconds,
                        chan, volts, track);
}
