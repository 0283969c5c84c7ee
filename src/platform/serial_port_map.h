// Port numbers to devices (see rs232.h): TAVRIX_COM<n>, "COMn" on Windows, otherwise the serial
// devices present sorted by system location; port 0 is the simulated sensor.
#pragma once

#include <string>
#include <vector>

#include "rs232_types.h"

namespace platform {

inline constexpr int kListedEnvironmentPorts = 16;  // TAVRIX_COM1..16 appear in port lists

// Windows port names: port n is "COMn". Windows opens COM1..COM9 by that name, COM10 and above
// only by the device path "\\.\COMn", which works for every n; empty for n < 1.
std::string WindowsPortPath(int port);
// The number of "COMn" or "\\.\COMn" (any letter case); 0 for any other name.
int WindowsPortNumber(const std::string& name);

// The device of a port number; empty when there is none.
std::string MapPortToDevice(int port);
// The numbered devices present with their descriptions, the TAVRIX_COM<n> ports (n = 1..16)
// whose device exists, and the simulated sensor (last), each once, by number.
std::vector<PortEntry> ListSerialPorts();

}  // namespace platform
