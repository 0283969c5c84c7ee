#include "serial_channel.h"

#include <QDeadlineTimer>
#include <QFileInfo>
#include <QThread>
#include <algorithm>
#include <cmath>

#ifdef Q_OS_UNIX
#include <poll.h>
#endif

namespace platform {

namespace {

constexpr int kErrorBurstLimit = 16;  // read errors in a row that count as a dead device
constexpr int kMaxPulls = 8;          // device reads per pull, to bound a flood

QSerialPort::Parity ToParity(int parity) {
    return parity == 1   ? QSerialPort::OddParity
           : parity == 2 ? QSerialPort::EvenParity
                         : QSerialPort::NoParity;
}

int OpenErrorCode(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return kComNoPortFound;
        case QSerialPort::PermissionError:
        case QSerialPort::OpenError:
            return kComCannotOpen;
        case QSerialPort::UnsupportedOperationError:
            return kComInvalidParameter;
        case QSerialPort::ResourceError:
            return kComIoError;
        default:
            return kComUnknownSystemError;
    }
}

// A link (e.g. made by socat) names its device by the link's target.
QString DevicePath(const QString& device) {
    const QFileInfo info(device);
    const QString target = info.isSymLink() ? info.canonicalFilePath() : QString();
    return target.isEmpty() ? device : target;
}

}  // namespace

bool ValidSettings(const SerialSettings& s) {
    return s.baud > 0 && s.baud <= 4000000 && s.parity >= 0 && s.parity <= 2 && s.dataBits >= 5 &&
           s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2) && s.inputQueueSize > 0;
}

SerialChannel::SerialChannel(int port,
                             std::function<void(const std::function<void()>&)> runCallback)
    : port_(port), runCallback_(std::move(runCallback)) {
    QObject::connect(&serial_, &QSerialPort::readyRead, &serial_, [this] { OnReadyRead(); });
    QObject::connect(&serial_, &QSerialPort::bytesWritten, &serial_, [this] { OnBytesWritten(); });
    QObject::connect(&serial_, &QSerialPort::errorOccurred, &serial_,
                     [this](QSerialPort::SerialPortError e) { OnError(e); });
}

SerialChannel::~SerialChannel() {
    serial_.disconnect();
    Close();
}

int SerialChannel::Open(const QString& device, const SerialSettings& s) {
    Close();
    serial_.setPortName(DevicePath(device));
    serial_.setReadBufferSize(s.inputQueueSize);
    serial_.clearError();
    if (!serial_.open(QIODevice::ReadWrite)) {
        const int code = OpenErrorCode(serial_.error());
        serial_.clearError();
        return code;
    }
    const bool configured =
        serial_.setBaudRate(static_cast<qint32>(s.baud)) &&
        serial_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
        serial_.setParity(ToParity(s.parity)) &&
        serial_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        serial_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        Close();
        return kComInvalidParameter;
    }
    errorBurst_ = 0;
    return 0;
}

void SerialChannel::Close() {
    if (closing_) return;
    closing_ = true;
    if (serial_.isOpen()) serial_.close();
    serial_.clearError();
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
    const bool ok = serial_.setFlowControl(mode == 0 ? QSerialPort::NoFlowControl
                                                     : QSerialPort::HardwareControl);
    serial_.clearError();
    return ok ? 0 : kComInvalidParameter;
}

int SerialChannel::FlushInput() {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    serial_.clear(QSerialPort::Input);
    scanned_ = 0;
    eventCharacterSeen_ = newInput_ = false;
    RestartInputNotification();
    return isOpen() ? 0 : kComNotOpen;
}

int SerialChannel::FlushOutput() {
    if (!isOpen()) return kComNotOpen;
    Operation op(*this);
    serial_.clear(QSerialPort::Output);
    return isOpen() ? 0 : kComNotOpen;
}

int SerialChannel::Write(const char* data, int count) {
    if (!isOpen()) return kComNotOpen;
    if (count <= 0 || data == nullptr) return 0;
    Operation op(*this);
    if (serial_.write(data, count) < 0) {
        HangUp();
        return kComIoError;
    }
    // At least one attempt, also with a zero time-out: QSerialPort writes only when asked to.
    QDeadlineTimer deadline(timeoutMs_);
    do {
        const int remaining = static_cast<int>(std::max<qint64>(deadline.remainingTime(), 0));
        if (serial_.waitForBytesWritten(remaining)) continue;
        if (serial_.error() != QSerialPort::TimeoutError && isOpen()) QThread::msleep(1);
        serial_.clearError();
    } while (isOpen() && serial_.bytesToWrite() > 0 && !deadline.hasExpired());
    if (!isOpen()) return kComIoError;
    const qint64 unsent = serial_.bytesToWrite();
    if (unsent > 0) serial_.clear(QSerialPort::Output);  // the caller counts them as not accepted
    return count - static_cast<int>(std::min<qint64>(unsent, count));
}

int SerialChannel::Read(char* buffer, int count) {
    if (!isOpen()) return kComNotOpen;
    if (count <= 0 || buffer == nullptr) return 0;
    Operation op(*this);
    QDeadlineTimer deadline(timeoutMs_);
    int got = 0;
    while (isOpen()) {
        const qint64 n = serial_.read(buffer + got, count - got);
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
    return isOpen() ? static_cast<int>(serial_.bytesAvailable()) : kComNotOpen;
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
    if ((eventMask & LWRS_RECEIVE) && (notifyCount < 1 || notifyCount > serial_.readBufferSize()))
        return kComInvalidParameter;
    eventMask_ = eventMask;
    notifyCount_ = std::max(notifyCount, 1);
    eventCharacter_ = (eventCharacter >= 0 && eventCharacter <= 255) ? eventCharacter : -1;
    callback_ = callback;
    callbackData_ = callbackData;
    // Bytes that already wait count from now on; only later ones are searched for the character.
    scanned_ = serial_.bytesAvailable();
    eventCharacterSeen_ = transmitEmpty_ = false;
    newInput_ = serial_.bytesAvailable() > 0;
    if (newInput_) QueueDispatch();
    return 0;
}

// --- Input ---------------------------------------------------------------------------------

// QSerialPort stops watching the device while its input buffer is full, and clearing the buffer
// does not make it watch again (a read does); setting the buffer size again does.
void SerialChannel::RestartInputNotification() {
    if (isOpen() && serial_.bytesAvailable() < serial_.readBufferSize())
        serial_.setReadBufferSize(serial_.readBufferSize());
}

void SerialChannel::AfterRead(qint64 count) {
    scanned_ = std::max<qint64>(0, scanned_ - count);
    errorBurst_ = 0;
}

// Waits for more input; false when none came. Errors other than the time-out close a dead
// device, and never turn the wait into a busy loop.
bool SerialChannel::WaitForInput(int msecs) {
    if (serial_.waitForReadyRead(msecs)) return true;
    const bool timedOut = serial_.error() == QSerialPort::TimeoutError;
    serial_.clearError();
    if (!timedOut && isOpen() && msecs > 0) QThread::msleep(1);
    return false;
}

void SerialChannel::PullInput() {
    for (int i = 0; i < kMaxPulls && isOpen(); ++i) {
        if (serial_.bytesAvailable() >= serial_.readBufferSize()) break;
        if (!serial_.waitForReadyRead(0)) break;
    }
    serial_.clearError();
}

void SerialChannel::OnReadyRead() {
    errorBurst_ = 0;
    newInput_ = true;
    const qint64 available = serial_.bytesAvailable();
    if (callback_ && (eventMask_ & LWRS_RXFLAG) && eventCharacter_ >= 0 && available > scanned_) {
        const QByteArray bytes = serial_.peek(available);
        const auto begin = bytes.cbegin() + std::min<qint64>(scanned_, bytes.size());
        if (std::find(begin, bytes.cend(), static_cast<char>(eventCharacter_)) != bytes.cend())
            eventCharacterSeen_ = true;
    }
    scanned_ = available;
    RequestDispatch();
}

void SerialChannel::OnBytesWritten() {
    if (serial_.bytesToWrite() > 0) return;
    transmitEmpty_ = true;
    RequestDispatch();
}

// --- Hang-up -------------------------------------------------------------------------------

void SerialChannel::OnError(QSerialPort::SerialPortError error) {
    switch (error) {
        case QSerialPort::NoError:
        case QSerialPort::TimeoutError:
            return;
        case QSerialPort::ResourceError:
        case QSerialPort::DeviceNotFoundError:
            HangUp();
            return;
        case QSerialPort::ReadError:
        case QSerialPort::WriteError:
            if (DeviceGone() || ++errorBurst_ >= kErrorBurstLimit) HangUp();
            return;
        default:
            return;
    }
}

bool SerialChannel::DeviceGone() const {
#ifdef Q_OS_UNIX
    pollfd fd = {static_cast<int>(serial_.handle()), POLLIN, 0};
    if (fd.fd < 0) return false;
    return ::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
    return false;
#endif
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
        &serial_,
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
    if ((eventMask_ & LWRS_RECEIVE) && newInput_ && serial_.bytesAvailable() >= notifyCount_)
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
