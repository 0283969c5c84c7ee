// SerialDevice over QSerialPort.
#include <QFile>
#include <QFileInfo>
#include <QSerialPort>

#include "rs232_types.h"
#include "serial_device.h"

#ifdef Q_OS_UNIX
#include <fcntl.h>
#include <poll.h>
#include <unistd.h>

#include <cerrno>
#endif

namespace platform {

namespace {

QSerialPort::Parity ToParity(int parity) {
    return parity == 1   ? QSerialPort::OddParity
           : parity == 2 ? QSerialPort::EvenParity
                         : QSerialPort::NoParity;
}

// The serial library reports a device held by another program (its lock file, or exclusive mode)
// as a permission error too: only the device's own access rights tell the two apart. On Windows a
// port has no access rights of its own, so there it always means "held".
int PermissionErrorCode(const QString& path) {
#ifdef Q_OS_UNIX
    const QByteArray name = QFile::encodeName(path);
    if (::access(name.constData(), R_OK | W_OK) != 0 && errno == EACCES)
        return kComPermissionDenied;
#else
    Q_UNUSED(path);
#endif
    return kComCannotOpen;
}

int OpenErrorCode(QSerialPort::SerialPortError error, const QString& path) {
    switch (error) {
        case QSerialPort::DeviceNotFoundError:
            return kComNoPortFound;
        case QSerialPort::PermissionError:
            return PermissionErrorCode(path);
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

class PortDevice final : public SerialDevice {
  public:
    explicit PortDevice(const QString& path) : path_(path) {
        QObject::connect(&serial_, &QSerialPort::readyRead, &serial_, [this] {
            if (handlers_.readyRead) handlers_.readyRead();
        });
        QObject::connect(&serial_, &QSerialPort::bytesWritten, &serial_, [this] {
            if (handlers_.bytesWritten) handlers_.bytesWritten();
        });
        QObject::connect(&serial_, &QSerialPort::errorOccurred, &serial_,
                         [this](QSerialPort::SerialPortError e) { OnError(e); });
    }
    ~PortDevice() override { serial_.disconnect(); }

    int Open(const SerialSettings& s) override {
        serial_.setPortName(DevicePath(path_));
        serial_.setReadBufferSize(s.inputQueueSize);
        serial_.clearError();
        if (!serial_.open(QIODevice::ReadWrite)) {
            const int code = OpenErrorCode(serial_.error(), DevicePath(path_));
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
        return 0;
    }
    void Close() override {
        if (serial_.isOpen()) serial_.close();
        serial_.clearError();
    }
    bool IsOpen() const override { return serial_.isOpen(); }
    bool SetHardwareHandshake(bool on) override {
        const bool ok =
            serial_.setFlowControl(on ? QSerialPort::HardwareControl : QSerialPort::NoFlowControl);
        serial_.clearError();
        return ok;
    }
    void ClearInput() override { serial_.clear(QSerialPort::Input); }
    void ClearOutput() override { serial_.clear(QSerialPort::Output); }
    bool Write(const char* data, qint64 count) override { return serial_.write(data, count) >= 0; }
    qint64 BytesToWrite() const override { return serial_.bytesToWrite(); }
    bool WaitForBytesWritten(int msecs, bool* timedOut) override {
        return Settle(serial_.waitForBytesWritten(msecs), timedOut);
    }
    bool WaitForReadyRead(int msecs, bool* timedOut) override {
        return Settle(serial_.waitForReadyRead(msecs), timedOut);
    }
    qint64 Read(char* data, qint64 max) override { return serial_.read(data, max); }
    QByteArray Peek(qint64 max) override { return serial_.peek(max); }
    qint64 BytesAvailable() const override { return serial_.bytesAvailable(); }
    qint64 ReadBufferSize() const override { return serial_.readBufferSize(); }
    void SetReadBufferSize(qint64 size) override { serial_.setReadBufferSize(size); }

    // A pty hang-up shows as a read error; the descriptor tells a dead device from a passing one.
    bool Gone() const override {
#ifdef Q_OS_UNIX
        pollfd fd = {static_cast<int>(serial_.handle()), POLLIN, 0};
        if (fd.fd < 0) return false;
        return ::poll(&fd, 1, 0) > 0 && (fd.revents & (POLLHUP | POLLERR | POLLNVAL)) != 0;
#else
        return false;
#endif
    }

  private:
    bool Settle(bool done, bool* timedOut) {
        *timedOut = !done && serial_.error() == QSerialPort::TimeoutError;
        serial_.clearError();
        return done;
    }
    void OnError(QSerialPort::SerialPortError error) {
        if (!handlers_.failed) return;
        switch (error) {
            case QSerialPort::ResourceError:
            case QSerialPort::DeviceNotFoundError:
                return handlers_.failed(Failure::Gone);
            case QSerialPort::ReadError:
            case QSerialPort::WriteError:
                return handlers_.failed(Failure::Passing);
            default:
                return;
        }
    }

    QString path_;
    QSerialPort serial_;
};

}  // namespace

bool ValidSettings(const SerialSettings& s) {
    return s.baud > 0 && s.baud <= 4000000 && s.parity >= 0 && s.parity <= 2 && s.dataBits >= 5 &&
           s.dataBits <= 8 && (s.stopBits == 1 || s.stopBits == 2) && s.inputQueueSize > 0;
}

std::unique_ptr<SerialDevice> MakePortDevice(const QString& path) {
    return std::make_unique<PortDevice>(path);
}

bool IsSerialDevice(const std::string& path) {
#ifdef Q_OS_UNIX
    // Without blocking on the modem lines; asked only after an open has failed.
    const int fd = ::open(QFile::encodeName(QString::fromStdString(path)).constData(),
                          O_RDWR | O_NOCTTY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return errno != ENOTDIR && errno != EISDIR && errno != ENXIO;
    const bool terminal = ::isatty(fd) == 1;
    ::close(fd);
    return terminal;
#else
    return !QFileInfo(QString::fromStdString(path)).isDir();
#endif
}

}  // namespace platform
