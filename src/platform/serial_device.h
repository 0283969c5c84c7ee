// The byte device under a SerialChannel: a serial port through QSerialPort, or the built-in
// simulated sensor's in-process line. The channel keeps the time-outs, the receive callback and the
// hang-up rules; a device only moves bytes and reports what happened. Private to the platform
// layer.
#pragma once

#include <QByteArray>
#include <QString>
#include <functional>
#include <memory>

namespace sim {
class LocalLine;
}

namespace platform {

struct SerialSettings {
    long baud = 19200;
    int parity = 0;    // 0 none, 1 odd, 2 even
    int dataBits = 8;  // 5..8
    int stopBits = 1;  // 1 or 2
    int inputQueueSize = 4096;
};

// True when the settings can be applied to a port at all.
bool ValidSettings(const SerialSettings& s);

class SerialDevice {
  public:
    enum class Failure {
        Passing,  // a read or write error that may pass
        Gone,     // the device vanished or the other end hung up
    };
    // Called on the program's thread, also from inside the Wait functions.
    struct Handlers {
        std::function<void()> readyRead;
        std::function<void()> bytesWritten;
        std::function<void(Failure)> failed;
    };

    virtual ~SerialDevice() = default;
    void SetHandlers(Handlers handlers) { handlers_ = std::move(handlers); }

    // 0 or an open-error code of rs232.h.
    virtual int Open(const SerialSettings& settings) = 0;
    virtual void Close() = 0;
    virtual bool IsOpen() const = 0;
    virtual bool SetHardwareHandshake(bool on) = 0;
    virtual void ClearInput() = 0;  // the input buffer and what the device still holds
    virtual void ClearOutput() = 0;
    // Queues bytes for sending; false when the device fails.
    virtual bool Write(const char* data, qint64 count) = 0;
    virtual qint64 BytesToWrite() const = 0;
    // Waits up to msecs; false with *timedOut set on a plain time-out, false alone on a failure.
    virtual bool WaitForBytesWritten(int msecs, bool* timedOut) = 0;
    virtual bool WaitForReadyRead(int msecs, bool* timedOut) = 0;
    // The input buffer, at most ReadBufferSize bytes; further bytes stay in the device.
    virtual qint64 Read(char* data, qint64 max) = 0;
    virtual QByteArray Peek(qint64 max) = 0;
    virtual qint64 BytesAvailable() const = 0;
    virtual qint64 ReadBufferSize() const = 0;
    virtual void SetReadBufferSize(qint64 size) = 0;
    // True when the device is known to be gone (asked after a passing failure).
    virtual bool Gone() const = 0;

  protected:
    Handlers handlers_;
};

// A serial port by its path (a link names its target) or, on Windows, its name "COMn".
std::unique_ptr<SerialDevice> MakePortDevice(const QString& path);
// The client end of the simulated sensor's line; it shares the line's ownership.
std::unique_ptr<SerialDevice> MakeSimulatedDevice(std::shared_ptr<sim::LocalLine> line);

}  // namespace platform
