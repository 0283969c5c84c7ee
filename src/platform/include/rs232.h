// Serial ports by number, over QSerialPort.
//
// Port numbers: on Windows port n is "COMn". Elsewhere the environment variable TAVRIX_COM<n>
// names the device when it is set (any path, a pseudo-terminal included); the value "sim" names
// the built-in simulated sensor. Without the variable, port n is the n-th entry of the serial
// devices present, sorted by system location. Port kSimulatedPort (0) is always the simulated
// sensor.
//
// The simulated sensor runs on a line inside this process (no pseudo-terminal; bytes arrive in
// bursts every few milliseconds, as from a USB serial adapter). It starts on the first open
// of a simulated port, with the options of the environment variable TAVRIX_SIM (the syntax of the
// tavrix-sim program, src/sim/options.h, e.g. "--board 400 --baud 0 --fault delay=1.6@8"); its
// line is paced at 19200 baud unless the options say otherwise. It lives as long as the Rs232
// object, so its parameter records survive closing and reopening the port; after a simulated
// hang-up the next open starts a fresh one that keeps the records. Options it cannot parse make
// OpenComConfig return kComInvalidParameter (the reason goes to standard error).
//
// Results: byte counts >= 0, or a negative code of the open-error table below. Operations on a
// port that is not open return kComNotOpen and do nothing.
//
// Receive callback: once at least `notifyCount` bytes wait in the input queue, the callback runs
// with LWRS_RECEIVE (plus LWRS_RXFLAG when the event character arrived). It runs only while events
// are dispatched (Engine::ProcessSystemEvents or the idle event loop), never inside ComRd or
// GetInQLen, and never re-entered while it runs. It runs again when new bytes arrive and the count
// is still reached. Bytes that a ComRd or GetInQLen pulls in still raise the callback, at the next
// event dispatch. With LWRS_RXFLAG in the mask it also runs with LWRS_RXFLAG alone when the event
// character arrives while fewer than notifyCount bytes wait; with LWRS_TXEMPTY, with that bit once
// a write has left completely. Bits not in the mask are never reported.
//
// Port list: the numbered devices present, each with what the system knows of it (product, maker,
// serial number); the TAVRIX_COM<n> ports (n = 1..16) while their device exists (on Windows
// always; a variable with a missing device keeps its number, no other device takes it); the
// simulated sensor, last.
//
// Hang-up: when the device vanishes or the other end closes (a pulled USB adapter, a closed pty),
// the port is closed at once; later operations return kComNotOpen, so every wait of the caller
// ends by its own time-out. No error flood, no busy loop.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "rs232_types.h"

namespace platform {

class Engine;

class Rs232 {
  public:
    // The engine must outlive this object.
    explicit Rs232(Engine& engine);
    ~Rs232();  // closes every open port
    Rs232(const Rs232&) = delete;
    Rs232& operator=(const Rs232&) = delete;

    // Opens and configures a port (parity 0 none, 1 odd, 2 even; stop bits 1 or 2). An empty
    // deviceName uses the port-number mapping. Opening an already open port reopens it. The input
    // queue holds at most inputQueueSize bytes; further bytes stay in the device until read.
    // Returns 0, or: kComInvalidParameter for settings out of range (baud 1..4000000, data bits
    // 5..8, input queue >= 1) before any device is touched; kComInvalidPort when no device has that
    // number; kComNoPortFound when the named device does not exist; kComCannotOpen when another
    // program (or another port number of this object) holds it; kComPermissionDenied when this
    // user has no right to read and write the device (Unix; Windows reports a held port instead).
    int OpenComConfig(int port, const std::string& deviceName, long baud, int parity, int dataBits,
                      int stopBits, int inputQueueSize, int outputQueueSize);
    int CloseCom(int port);  // 0, or kComNotOpen when the port is not open
    bool IsOpen(int port) const;
    // Time-out for ComRd and ComWrt, seconds (10 s until set; 0 takes only what is there).
    int SetComTime(int port, double seconds);
    // Hardware handshake: 0 off, other values RTS/CTS on. kComInvalidParameter when the device
    // refuses; a pseudo-terminal takes the setting but has no handshake lines.
    int SetCTSMode(int port, int mode);
    int FlushInQ(int port);  // drops the input queue and the device's pending input
    // Drops output not yet sent, a request that has begun to leave included: the device then
    // sees a cut frame. Callers that talk to a sensor let their requests leave whole instead.
    int FlushOutQ(int port);
    // Writes count bytes; returns the count accepted (waits for the device up to the time-out).
    // Bytes still unsent at the time-out are dropped and not counted; kComIoError when the device
    // fails (it is then closed as on a hang-up). Gives up the CPU once before it returns, so that
    // the driver's worker and a peer on this machine move the bytes on before the caller's next
    // work.
    int ComWrt(int port, const void* data, int count);
    // Reads up to count bytes, blocking until count bytes have arrived or the time-out passed.
    // Returns the count read (possibly short), or a negative code when the port is not open.
    int ComRd(int port, void* buffer, int count);
    // Bytes waiting in the input queue; pulls pending device input in without dispatching events.
    int GetInQLen(int port);
    // Installs the receive callback; eventMask 0 (or a null callback) removes it. With LWRS_RECEIVE
    // the notify count must lie in 1..inputQueueSize, else kComInvalidParameter. Bytes already
    // waiting when it is installed count as new arrivals.
    int InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                           ComCallback callback, void* callbackData);

    // Device for a port number as described above; empty when there is none.
    std::string DeviceForPort(int port) const;
    // Ports that can be chosen, by number (see "Port list" above).
    std::vector<PortEntry> ListPorts() const;
    // Watches the port list: about once a second it is looked up again, and `callback` runs when
    // it differs from the list ListPorts last returned (or, before any, the list when the watch
    // was installed): a device came or went. It runs only while the program is idle, from the
    // event loop with no other callback (control, panel, receive) running: an acquisition loop or
    // an exchange waiting inside a callback never sees it, and a change made meanwhile is reported
    // at the first idle look after. The watch never touches a port. A new callback replaces the
    // old one; a null callback stops the watch.
    void WatchPorts(PortListCallback callback, void* callbackData);

    struct Impl;

  private:
    std::unique_ptr<Impl> impl_;
};

// False when `path` names something that is surely no serial device: a folder, a regular file, a
// device that is no terminal (/dev/null). True when it may be one (also when it cannot be
// opened to tell, e.g. for lack of rights or held by another program).
bool IsSerialDevice(const std::string& path);

}  // namespace platform
