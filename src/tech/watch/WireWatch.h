#pragma once
// "Watch Current Density Probe Values": a CDP point with the station's rules at every tick, its
// lock-in values at the tip, the calibrated current density as numbers and as a vector in one
// of three styles, the picture option's arrow over the live video, and the X and Y currents
// over time. "Reference" takes a reference the user keeps or discards.

#include <array>
#include <string>

#include "platform/Vector4.h"
#include "tech/watch/Watch.h"

// Vector display styles, as stored in "dispfunc".
inline constexpr int kVectorStyleArrow = 1480;    // "Vector /"
inline constexpr int kVectorStyleCircle = 1481;   // "Circle && Line /"
inline constexpr int kVectorStyleEllipse = 1482;  // "Ellipse"

// The arrow the picture option draws over the live video: tail and tip in image pixels.
struct SVideoArrow {
    bool shown = false;
    double tailX = 0.0, tailY = 0.0, tipX = 0.0, tipY = 0.0;
};

class CWireWatch : public CWatch {
  public:
    static constexpr const char* kTitle = "Watch Current Density Probe Values";
    explicit CWireWatch(CStation& station);

    std::string Title() const override { return kTitle; }
    double SamplingTime() const override;

    // ---- What the last tick showed ----------------------------------------------------------
    // The four lock-in values in microvolts at the tip, "%.2lf" ("Sample:" row).
    std::array<std::string, 4> SampleTexts() const;
    // "X Cur", "Y Cur", "Length" (uA/sq.cm.) and "Angle" (deg.), "%.3lg"; "" before a tick.
    std::array<std::string, 4> CurrentTexts() const;
    // The reference in force, volts at the A/D input ("Ref. Offset:" row), "%.4lf".
    std::array<std::string, 4> ReferenceTexts() const;
    const CDVector4& Current() const { return current; }  // X, Y, total, angle
    bool HasValues() const { return hasValues; }
    // The vector in a display of `radius` pixels (autoscale updates the scale).
    SVectorPixels Vector(double radius);
    // The picture option's arrow for an image whose probe tip is at (originX, originY) pixels
    // and whose Y pixel scale has `yUp` (+Y up on screen when true). Length in pixels.
    SVideoArrow VideoArrow(double originX, double originY, double length, bool yUp) const;

    // ---- Buttons ----------------------------------------------------------------------------
    // Pauses, takes a reference with the station's rules, shows it and asks "Save this
    // reference sample?": OK keeps it (velm.ini and the document), Cancel restores the one in
    // force before. The watch resumes when it was running. True when kept.
    bool Reference();
    bool Resistivity();
    bool SamplingRules();
    bool LogEntry();

    // ---- Settings (the "Watch", "Watch 1" and "Watch 2" lines) ------------------------------
    int lockin = 1;
    int vector = 1;
    int picture = 0;
    int vectorAutoscale = 1;
    double scale = 10.0;
    int dispfunc = kVectorStyleArrow;

  protected:
    bool Acquire(CObsList& taken) override;
    void LoadSettings() override;
    void SaveSettings() const override;
    std::string RangeMessage(double low, double high) const override;

  private:
    CDVector4 sample;   // microvolts at the tip
    CDVector4 current;  // X, Y, total, angle
    bool hasValues = false;
    bool hasCurrent = false;
};
