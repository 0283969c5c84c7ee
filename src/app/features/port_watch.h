// The port selector follows the hardware. Its list is looked up again when it opens and whenever
// a device comes or goes; the device the user chose stays selected whatever number the list gives
// it now. A chosen device that goes away stays in the list marked "(not present)", and the status
// line says once that it was unplugged; once it is back it is selected again and can be chosen
// without a restart. Refreshing touches the list only, never the port.
#pragma once

#include <string>
#include <vector>

#include "rs232_types.h"

struct Program;

struct PortWatch {
    std::vector<platform::PortEntry> shown;  // the ports present at the last look
    platform::PortEntry chosen{-1, "", ""};  // the device chosen, under the number it has now
    bool chosenGone = false;                 // the chosen device was not present at the last look
};

// Fills the selector, takes the port p.com as the chosen one and starts following the hardware.
void StartPortWatch(Program& p);
void StopPortWatch(Program& p);
// The selector's own events: the list is brought up to date before it opens, and a pick makes
// the picked device the chosen one (the caller then opens it).
void PortSelectorEvent(Program& p, int event);
// Looks the ports up again and shows them; tells in the status line when the chosen device went
// away or came back.
void RefreshPortList(Program& p);

// An entry as the selector shows it: "COM3  /dev/ttyUSB0 - FT232R USB UART, FTDI, SN A10K2B3C".
std::string PortEntryText(const platform::PortEntry& entry);
// How the status line names a port: "COM3 (/dev/ttyUSB0)".
std::string PortName(const platform::PortEntry& entry);
