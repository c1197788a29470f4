#pragma once
// The Simulated Station's section of velm.ini. Every parameter of the bench is one value of a
// printf-formatted line, read back with the matching scanf format:
//
//   [Simulated Station]
//   Line 0=source: x=0.000000  y=0.000000  z=0.000000  nA=60.000000  on=0
//   Line 1=medium: rho=100.000000  SG=50000.000000  span=20.000000  fchan=0
//   Line 2=X PSD: axis=Y  plane=XY  angle=0.000000  phase=30.000000  offsets=0.004000 -0.003000
//   Line 3=Y PSD: axis=Z  plane=XY  angle=0.000000  phase=60.000000  offsets=0.002000 -0.001000
//   Line 4=field: linear  c0=1.000000  g=0.010000  k=100.000000  at=0.000000 0.000000 0.000000
//          along=1.000000 0.000000 0.000000                               (one line in the file)
//   Line 5=electrode 1: nernst  e0=59.000000  slope=59.000000  i0=5.000000  kp=5.000000
//          plateau=-0.900000 -0.500000  gains=10.000000 100.000000  hi=4  lo=5  da=0
//   Line 6=electrode 2: off  ... hi=6  lo=7  da=1
//   Line 7=solutions: c1=0.100000  c2=1.000000  c3=10.000000  beaker=0
//   Line 8=noise: volts=0.000000  seed=1
//
// Axes are X, Y or Z; planes XY or YZ; fields linear or point; electrodes off, nernst or
// polar. Gains are preamplifier then main amplifier. A missing line keeps the defaults. A line
// that is there but cannot be used in full (a misspelt label, a letter where a number
// belongs, "nan", a channel outside 0-7, a gain of 0) is reported and keeps the defaults as a
// whole, so the bench never runs on half a line.

#include <string>

#include "hw/sim/StationModel.h"

inline constexpr const char* kSimStationSection = "Simulated Station";

// Reads the section into `params`; lines that cannot be used are added to `problems` (may be
// null) as "[Simulated Station] Line n=text".
void LoadSimStationParams(SSimStationParams& params, std::string* problems);
// Writes every line. False when velm.ini could not be written (the user has been told).
bool SaveSimStationParams(const SSimStationParams& params);
// Writes only the line of the calibration source ("Line 0") or of the solutions and the beaker
// ("Line 7"): what the user's hands change.
bool SaveSimSourceLine(const SSimStationParams& params);
bool SaveSimSolutionsLine(const SSimStationParams& params);

// Why the parameters cannot run the bench ("" when they can): the checks the reader applies
// to each line, for the parameters as a whole.
std::string SimStationParamsProblem(const SSimStationParams& params);
