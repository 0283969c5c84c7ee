#include "serial_channel.h"

#include <QDeadlineTimer>
#include <QThread>
#include <algorithm>
#include <cmath>

namespace platform {

namespace {

constexpr int kErrorBurstLimit = 16;  // read errors in a row that count as a dead device
constexpr int kMaxPulls = 8;          // device reads per pull, to bound a flood

}  // namespace

SerialChannel::SerialChannel(int port,
                             std::function<void(const std::function<void()>&)> runCallback)
    : port_(port), runCallback_(std::move(runCallback)) {}

SerialChannel::~SerialChannel() {
    Close();
}

int SerialChannel::Open(std::unique_ptr<SerialDevice> device, const SerialSettings& s) {
    Close();
    Retire();
    device_ = std::move(device);
    device_->SetHandlers({[this] { OnReadyRead(); }, [this] { OnBytesWritten(); },
                          [this](SerialDevice::Failure f) { OnFailure(f); }});
    const int code = device_->Open(s);
    if (code == 0) errorBurst_ = 0;
    return code;
}

// The device of an earlier open may still be on the call stack (an open from inside its
// callback): it is deleted on the next event dispatch.
void SerialChannel::Retire() {
    if (!device_) return;
    std::shared_ptr<SerialDevice> retired(std::move(device_));
    QMetaObject::invokeMethod(
        &context_, [retired] {}, Qt::QueuedConnection);
}

void SerialChannel::Close() {
    if (closing_) return;
    closing_ = true;
    if (device_) device_->Close();
    closing_ = false;
    scanned_ = 0;
    newInput_ = eventCharacterSeen_ = transmitEmpty_ = false;
}

void SerialChannel::SetTimeout(double seconds) {
    const double ms = std::isfinite(seconds) ? std::clamp(seconds * 1000.0, 0.0, 2.0e9) : 0.0;
    timeoutMs_ = static_cast<int>(std::lround(ms));
}

int SerialChannel::SetHandshake(int mode) {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    return device_->SetHardwareHandshake(mode != 0) ? 0 : kComInvalidParameter;
}

int SerialChannel::FlushInput() {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    device_->ClearInput();
    scanned_ = 0;
    eventCharacterSeen_ = newInput_ = false;
    RestartInputNotification();
    return isOpen() ? 0 : kComNotOpen;
}

int SerialChannel::FlushOutput() {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    device_->ClearOutput();
    return isOpen() ? 0 : kComNotOpen;
}

int SerialChannel::Write(const char* data, int count) {
    if (!isOpen()) return kComNotOpen;
    if (count <= 0 || data == nullptr) return 0;
    Operation op(*this);
    if (!device_->Write(data, count)) {
        HangUp();
        return kComIoError;
    }
    // At least one attempt, also with a zero time-out: QSerialPort writes only when asked to.
    QDeadlineTimer deadline(timeoutMs_);
    do {
        const int remaining = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
        bool timedOut = false;
        if (device_->WaitForBytesWritten(remaining, &timedOut)) continue;
        if (!timedOut && isOpen()) QThread::msleep(1);
    } while (isOpen() && device_->BytesToWrite() > 0 && !deadline.hasExpired());
    if (!isOpen()) return kComIoError;
    const qint64 unsent = device_->BytesToWrite();
    if (unsent > 0) device_->ClearOutput();  // the caller counts them as not accepted
    // The driver has the bytes, but on a pseudo-terminal, a network bridge or a USB adapter a
    // worker thread (and a peer on this machine) still needs a CPU to move them on. Whatever the
    // caller does next (a loop draws the last answer) would hold them back by its own length:
    // measured on a 2-core machine, Run lost 1 % of the line's rate that way.
    QThread::yieldCurrentThread();
    return count - static_cast<int>(std::min<qint64>(unsent, count));
}

int SerialChannel::Read(char* buffer, int count) {
    if (!isOpen()) return kComNotOpen;
    if (count <= 0 || buffer == nullptr) return 0;
    Operation op(*this);
    QDeadlineTimer deadline(timeoutMs_);
    int got = 0;
    while (isOpen()) {
        const qint64 n = device_->Read(buffer + got, count - got);
        if (n > 0) {
            got += static_cast<int>(n);
            AfterRead(n);
        }
        if (got >= count) break;
        const int remaining = static_cast<int>(deadline.remainingTime());
        if (!WaitForInput(std::max(remaining, 0)) && remaining <= 0) break;
    }
    return got;
}

int SerialChannel::InputLength() {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    PullInput();
    return isOpen() ? static_cast<int>(device_->BytesAvailable()) : kComNotOpen;
}

int SerialChannel::InstallCallback(int eventMask, int notifyCount, int eventCharacter,
                                   ComCallback callback, void* callbackData) {
    if (!isOpen()) return kComNotOpen;
    if (eventMask == 0 || callback == nullptr) {
        eventMask_ = 0;
        callback_ = nullptr;
        callbackData_ = nullptr;
        return 0;
    }
    if ((eventMask & LWRS_RECEIVE) && (notifyCount < 1 || notifyCount > device_->ReadBufferSize()))
        return kComInvalidParameter;
    eventMask_ = eventMask;
    notifyCount_ = std::max(notifyCount, 1);
    eventCharacter_ = (eventCharacter >= 0 && eventCharacter <= 255) ? eventCharacter : -1;
    callback_ = callback;
    callbackData_ = callbackData;
    // Bytes that already wait count from now on; only later ones are searched for the character.
    scanned_ = device_->BytesAvailable();
    eventCharacterSeen_ = transmitEmpty_ = false;
    newInput_ = scanned_ > 0;
    if (newInput_) QueueDispatch();
    return 0;
}

// --- Input ---------------------------------------------------------------------------------

// QSerialPort stops watching the device while its input buffer is full, and clearing the buffer
// does not make it watch again (a read does); setting the buffer size again does.
void SerialChannel::RestartInputNotification() {
    if (isOpen() && device_->BytesAvailable() < device_->ReadBufferSize())
        device_->SetReadBufferSize(device_->ReadBufferSize());
}

void SerialChannel::AfterRead(qint64 count) {
    scanned_ = std::max<qint64>(0, scanned_ - count);
    errorBurst_ = 0;
}

// Waits for more input; false when none came. Errors other than the time-out close a dead
// device, and never turn the wait into a busy loop.
bool SerialChannel::WaitForInput(int msecs) {
    bool timedOut = false;
    if (device_->WaitForReadyRead(msecs, &timedOut)) return true;
    if (!timedOut && isOpen() && msecs > 0) QThread::msleep(1);
    return false;
}

void SerialChannel::PullInput() {
    for (int i = 0; i < kMaxPulls && isOpen(); ++i) {
        if (device_->BytesAvailable() >= device_->ReadBufferSize()) break;
        bool timedOut = false;
        if (!device_->WaitForReadyRead(0, &timedOut)) break;
    }
}

void SerialChannel::OnReadyRead() {
    errorBurst_ = 0;
    newInput_ = true;
    const qint64 available = device_->BytesAvailable();
    if (callback_ && (eventMask_ & LWRS_RXFLAG) && eventCharacter_ >= 0 && available > scanned_) {
        const QByteArray bytes = device_->Peek(available);
        const auto begin = bytes.cbegin() + std::min<qint64>(scanned_, bytes.size());
        if (std::find(begin, bytes.cend(), static_cast<char>(eventCharacter_)) != bytes.cend())
            eventCharacterSeen_ = true;
    }
    scanned_ = available;
    RequestDispatch();
}

void SerialChannel::OnBytesWritten() {
    if (device_->BytesToWrite() > 0) return;
    transmitEmpty_ = true;
    RequestDispatch();
}

// --- Hang-up -------------------------------------------------------------------------------

void SerialChannel::OnFailure(SerialDevice::Failure failure) {
    if (failure == SerialDevice::Failure::Gone || device_->Gone() ||
        ++errorBurst_ >= kErrorBurstLimit)
        HangUp();
}

// Closes the port at once: QSerialPort would otherwise report the dead device again and again.
void SerialChannel::HangUp() {
    if (!isOpen() || closing_) return;
    Close();
}

// --- Callback dispatch ---------------------------------------------------------------------

void SerialChannel::RequestDispatch() {
    if (operationDepth_ > 0)
        QueueDispatch();  // e.g. readyRead emitted inside waitForReadyRead
    else
        Dispatch();
}

void SerialChannel::QueueDispatch() {
    if (dispatchQueued_) return;
    dispatchQueued_ = true;
    QMetaObject::invokeMethod(
        &context_,
        [this] {
            dispatchQueued_ = false;
            Dispatch();
        },
        Qt::QueuedConnection);
}

void SerialChannel::Dispatch() {
    if (operationDepth_ > 0) return QueueDispatch();
    if (inCallback_) {
        dispatchAfterCallback_ = true;
        return;
    }
    int events = 0;
    if ((eventMask_ & LWRS_RECEIVE) && newInput_ && device_->BytesAvailable() >= notifyCount_)
        events |= LWRS_RECEIVE;
    if ((eventMask_ & LWRS_RXFLAG) && eventCharacterSeen_) events |= LWRS_RXFLAG;
    if ((eventMask_ & LWRS_TXEMPTY) && transmitEmpty_) events |= LWRS_TXEMPTY;
    newInput_ = eventCharacterSeen_ = transmitEmpty_ = false;
    if (events == 0 || callback_ == nullptr || !isOpen()) return;

    const ComCallback callback = callback_;
    void* const data = callbackData_;
    inCallback_ = true;
    runCallback_([&] { callback(port_, events, data); });
    inCallback_ = false;
    if (dispatchAfterCallback_) {
        dispatchAfterCallback_ = false;
        QueueDispatch();
    }
}

}  // namespace platform
