#pragma once
// The two halves of `velm-tool calibrate`: the CDP's and a gradient probe's. Each takes the
// arguments after "calibrate" (its own word first) and returns the exit code.

#include <string>
#include <vector>

int RunCalibrateCdp(const std::vector<std::string>& args);
int RunCalibrateIon(const std::vector<std::string>& args);
