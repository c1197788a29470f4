#pragma once
// What the live map of a scan document shows, without the GUI: the scan's area in stage
// coordinates (origin + start .. origin + end, X and Y), the grid points the scan visits, an
// arrow for every CDP point (its current density computed with the scan's calibration, the
// longest arrow as long as the grid's spacing) and a coloured dot for every gradient and raw
// A/D point (blue for the kind's smallest value so far, red for its largest). The widget only
// paints what this returns, so the map grows point by point as the scan adds observations.

#include <string>
#include <vector>

#include "obs/VelmObs.h"

class CScanDoc;

struct SMapPoint {
    double x = 0.0, y = 0.0;
};

struct SMapArrow {
    SMapPoint tail;          // where the point was taken
    SMapPoint head;          // tail + the density's direction, scaled (stage units)
    double magnitude = 0.0;  // the density (or the probe's microvolts when uncalibrated)
};

struct SMapDot {
    SMapPoint at;
    SRgb color;
    double value = 0.0;
    bool hasValue = false;
};

struct SScanMap {
    // The scan's area: origin + start .. origin + end (left <= right, bottom <= top).
    double left = 0.0, bottom = 0.0, right = 0.0, top = 0.0;
    std::vector<SMapPoint> grid;
    std::vector<SMapArrow> arrows;
    std::vector<SMapDot> dots;
    // What is drawn, area and points, with a margin: the view maps this onto the window.
    double viewLeft = 0.0, viewBottom = 0.0, viewRight = 1.0, viewTop = 1.0;
    double largest = 0.0;    // the longest arrow's magnitude
    double arrowUnit = 0.0;  // stage units of the longest arrow
    bool calibrated = true;  // arrows in uA/sq.cm (else microvolts at the tip)
    // The line under the map: the scale of the arrows and what the dots mean.
    std::string legend;
};

// Grid coordinates along one axis: n points from a to b, linear or logarithmic as the scan's
// step type spaces them (log: the first a micron from a, the last exactly at b; "Log Dec"
// crowds them toward b).
std::vector<double> MapAxisPositions(double a, double b, int n, int stepType);

SScanMap BuildScanMap(const CScanDoc& doc);

// Blue (0) through green to red (1).
SRgb MapColorRamp(double fraction);
