#pragma once
// The traditional NI-DAQ roles served by Comedi on Linux: NI device number n is the Comedi
// device /dev/comedi(n-1) (the PCI-603x E series through the ni_pcimio driver, the PCI-1200
// through ni_labpc_pci). A scan is a timed Comedi command, analogue output comedi_data_write,
// digital output comedi_dio_bitfield2. Built without Comedi, Open says so.

#include <cstdint>
#include <memory>
#include <string>

#include "hw/ad/NiDaqBoard.h"

std::unique_ptr<CNiDaqRoles> MakeComediNiDaq();

// The device file of NI device number `device`.
std::string ComediDevicePath(int device);

// A sample in volts as the signed count of a +/-`span` range that NI-DAQ hands back. A sample
// that is no number (a conversion that failed) gives false: it is a failed read, never 0 V.
bool CountOfVolts(double volts, double span, int16_t& count);
