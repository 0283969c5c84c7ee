// One serial port of Rs232: a device (a port, or the simulated sensor's line) with blocking reads
// and writes bounded by a time-out, a receive callback delivered from event dispatch, and a prompt
// close when the device hangs up. Private to the platform layer; rs232.h documents the behaviour
// callers see.
#pragma once

#include <QObject>
#include <functional>
#include <memory>

#include "rs232_types.h"
#include "serial_device.h"

namespace platform {

class SerialChannel {
  public:
    // runCallback wraps every call of the receive callback (the engine's callback bookkeeping).
    SerialChannel(int port, std::function<void(const std::function<void()>&)> runCallback);
    ~SerialChannel();
    SerialChannel(const SerialChannel&) = delete;
    SerialChannel& operator=(const SerialChannel&) = delete;

    // 0 or an open-error code of rs232.h. An open port is closed first.
    int Open(std::unique_ptr<SerialDevice> device, const SerialSettings& settings);
    void Close();
    bool isOpen() const { return device_ && device_->IsOpen(); }

    void SetTimeout(double seconds);
    int SetHandshake(int mode);
    int FlushInput();
    int FlushOutput();
    int Write(const char* data, int count);
    int Read(char* buffer, int count);
    int InputLength();
    int InstallCallback(int eventMask, int notifyCount, int eventCharacter, ComCallback callback,
                        void* callbackData);

  private:
    // Marks a public operation in progress: callbacks are never run inside one.
    struct Operation {
        explicit Operation(SerialChannel& c) : c_(c) { ++c_.operationDepth_; }
        ~Operation() { --c_.operationDepth_; }
        SerialChannel& c_;
    };

    void OnReadyRead();
    void OnBytesWritten();
    void OnFailure(SerialDevice::Failure failure);
    void Retire();
    void HangUp();
    void AfterRead(qint64 count);
    void RestartInputNotification();
    bool WaitForInput(int msecs);
    void PullInput();
    void RequestDispatch();
    void QueueDispatch();
    void Dispatch();

    int port_;
    std::function<void(const std::function<void()>&)> runCallback_;
    std::unique_ptr<SerialDevice> device_;
    int timeoutMs_ = 10000;

    // Receive callback.
    int eventMask_ = 0;
    int notifyCount_ = 1;
    int eventCharacter_ = -1;
    ComCallback callback_ = nullptr;
    void* callbackData_ = nullptr;
    bool newInput_ = false;  // bytes arrived since the last dispatch
    bool eventCharacterSeen_ = false;
    bool transmitEmpty_ = false;
    qint64 scanned_ = 0;  // leading bytes of the input buffer already searched for the character
    int operationDepth_ = 0;
    bool inCallback_ = false;
    bool dispatchAfterCallback_ = false;
    bool dispatchQueued_ = false;

    bool closing_ = false;
    int errorBurst_ = 0;  // read/write errors in a row without data in between
    QObject context_;     // queued dispatches and retired devices end with the channel
};

}  // namespace platform
