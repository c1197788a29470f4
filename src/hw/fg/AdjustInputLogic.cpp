#include "hw/fg/AdjustInputLogic.h"

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstdlib>

#include "hw/FgBoard.h"
#include "platform/Services.h"

CAdjustInputLogic::CAdjustInputLogic(CFgBoard& board)
    : board(board), original(board.InputSignal()) {}

int CAdjustInputLogic::Value(EControl control) const {
    switch (control) {
        case kGain:
            return board.gain;
        case kOffset:
            return board.offset;
        case kHue:
            return board.hue;
        case kSaturation:
            return board.saturation;
    }
    return 0;
}

void CAdjustInputLogic::Set(EControl control, int value) {
    value = std::clamp(value, kMinValue, kMaxValue);
    switch (control) {
        case kGain:
            board.gain = value;
            break;
        case kOffset:
            board.offset = value;
            break;
        case kHue:
            board.hue = value;
            break;
        case kSaturation:
            board.saturation = value;
            break;
    }
    board.ApplyInputSignal();
}

void CAdjustInputLogic::Step(EControl control, int delta) {
    Set(control, Value(control) + std::clamp(delta, -kMaxValue, kMaxValue));
}

bool CAdjustInputLogic::Type(EControl control, const std::string& text) {
    char* end = nullptr;
    errno = 0;
    long value = std::strtol(text.c_str(), &end, 10);
    while (end && (*end == ' ' || *end == '\t'))
        ++end;
    if (end == text.c_str() || *end != '\0') {
        Prompt().Message("Enter a whole number from 0 to 100.", EPromptIcon::Exclamation, kTitle);
        return false;
    }
    // Overflowing entries clamp like any other value out of range.
    Set(control, static_cast<int>(std::clamp<long>(value, INT_MIN, INT_MAX)));
    return true;
}

void CAdjustInputLogic::Apply() {
    board.ApplyInputSignal();
}

void CAdjustInputLogic::Defaults() {
    board.gain = board.offset = board.hue = board.saturation = kDefault;
    board.ApplyInputSignal();
}

bool CAdjustInputLogic::PreviewEnabled() const {
    return board.live;
}

void CAdjustInputLogic::Preview() {
    if (PreviewEnabled() && board.showLiveVideo) board.showLiveVideo();
}

bool CAdjustInputLogic::ColourControls() const {
    return board.IsColour();
}

std::string CAdjustInputLogic::Label(EControl control) const {
    const bool colour = ColourControls();
    switch (control) {
        case kGain:
            return colour ? "Brightness:" : "Gain:";
        case kOffset:
            return colour ? "Contrast:" : "Offset:";
        case kHue:
            return "Hue:";
        case kSaturation:
            return "Sat:";
    }
    return std::string();
}

void CAdjustInputLogic::Ok() {
    board.SaveSettings();
}

void CAdjustInputLogic::Cancel() {
    board.gain = original.gain;
    board.offset = original.offset;
    board.hue = original.hue;
    board.saturation = original.saturation;
    board.ApplyInputSignal();
}
