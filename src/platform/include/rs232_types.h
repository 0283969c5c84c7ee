// The serial layer's vocabulary: event bits, result codes, the callback type and port-list
// entries. Shared by rs232.h and the platform's private serial helpers.
#pragma once

#include <string>

namespace platform {

inline constexpr int LWRS_RXFLAG = 0x0002;   // the event character arrived
inline constexpr int LWRS_TXEMPTY = 0x0004;  // the transmit queue ran empty
inline constexpr int LWRS_RECEIVE = 0x8000;  // at least the notify count of bytes is waiting

inline constexpr int kSimulatedPort = 0;

// Open errors and other port results (their own family of codes).
enum ComResult : int {
    kComUnknownSystemError = -1,
    kComInvalidPort = -2,        // no device for that number
    kComNotOpen = -3,            // operation on a port that is not open
    kComIoError = -4,            // read/write failed, or the device went away
    kComNoPortFound = -6,        // the named device does not exist
    kComCannotOpen = -7,         // device exists but another program (or port) holds it
    kComInvalidParameter = -13,  // unsupported settings
    kComPermissionDenied = -14,  // device exists but this user may not open it
    kComTimeout = -99,
};

using ComCallback = void (*)(int port, int eventMask, void* callbackData);
using PortListCallback = void (*)(void* callbackData);

// The built-in simulated sensor: its device key and how lists show it.
inline constexpr const char* kSimulatedDevice = "sim";
inline constexpr const char* kSimulatedLabel = "Simulated sensor";
// A port list's text for a port: "COM1  /dev/ttyUSB0", "COM3  Simulated sensor".
std::string PortLabel(int number, const std::string& device);

struct PortEntry {
    int number;          // port number for OpenComConfig
    std::string device;  // device path or "sim"
    std::string label;   // text for a port list, e.g. "COM1  /dev/ttyUSB0"
    // What the system knows of the device, e.g. "FT232R USB UART, FTDI, SN A10K2B3C"; empty when
    // it knows nothing (a pseudo-terminal, the simulated sensor).
    std::string description = {};

    bool operator==(const PortEntry&) const = default;
};

}  // namespace platform
