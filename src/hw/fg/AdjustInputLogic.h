#pragma once
// Working values of "Adjust Frame Grabber Input Signal": gain (brightness), offset (contrast),
// hue and saturation, 0..100 each. Every change is clamped and applied to the grabber at
// once; Cancel puts the values back as they were when the dialog opened, OK saves them.

#include <string>

#include "hw/fg/FgTypes.h"

class CFgBoard;

class CAdjustInputLogic {
  public:
    static constexpr const char* kTitle = "Adjust Frame Grabber Input Signal";
    enum EControl { kGain = 0, kOffset = 1, kHue = 2, kSaturation = 3 };
    static constexpr int kMinValue = 0, kMaxValue = 100, kDefault = 50;

    explicit CAdjustInputLogic(CFgBoard& board);

    int Value(EControl control) const;
    // "+" and "-" (delta 1), the arrow buttons (delta 10).
    void Step(EControl control, int delta);
    // A typed value, clamped to 0..100. Not a whole number: the user is told, false.
    bool Type(EControl control, const std::string& text);
    // "Apply": all four to the grabber.
    void Apply();
    // "Defaults": all four to 50, applied.
    void Defaults();
    // "Preview": shows the live window; enabled while one exists.
    bool PreviewEnabled() const;
    void Preview();

    // Colour grabbers: hue and saturation enabled, the first two called brightness and contrast.
    bool ColourControls() const;
    std::string Label(EControl control) const;

    void Ok();
    void Cancel();

  private:
    void Set(EControl control, int value);

    CFgBoard& board;
    SInputSignal original;
};
