#pragma once
// The surface export: one measured quantity over two position components, as three columns
// (X, Y, Z) or as a matrix of Z values with a line per Y, for surface plotting programs.

#include <cstdint>
#include <string>

#include "obs/VelmObs.h"

// What an observation is asked for by the surface export (CVelmObs::GetSurfaceValue). `code`
// is a display value code: a CDP quantity (1175 to 1182), a gradient "Sample #" (1184) or
// "Scalar" (1186) of the probe `probeName`, or a raw A/D channel (1187).
struct SSurfaceQuantity {
    int code = ValueCode::kTotalCurrentDensity;
    std::string probeName;  // gradient quantities: only this probe's observations
    SValueQuery query;
};
