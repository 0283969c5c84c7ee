// SerialDevice over the simulated sensor's in-process line. The line's thread only posts a note to
// the program's thread; bytes move into the input buffer there, and readyRead follows as from a
// port.
#include <QObject>
#include <algorithm>
#include <atomic>
#include <span>

#include "local_line.h"
#include "rs232_types.h"
#include "serial_device.h"

namespace platform {

namespace {

class SimulatedDevice final : public SerialDevice {
  public:
    explicit SimulatedDevice(std::shared_ptr<sim::LocalLine> line) : line_(std::move(line)) {}
    ~SimulatedDevice() override { Close(); }

    int Open(const SerialSettings& s) override {
        Close();
        if (!line_->serving()) return kComIoError;
        if (!line_->Claim()) return kComCannotOpen;
        open_ = true;
        readBufferSize_ = s.inputQueueSize;
        posted_ = false;
        line_->SetNotify([this] { PostLineEvent(); });
        return 0;
    }
    void Close() override {
        if (!open_) return;
        line_->SetNotify({});
        line_->Release();
        open_ = false;
        buffer_.clear();
        writePending_ = false;
    }
    bool IsOpen() const override { return open_; }
    bool SetHardwareHandshake(bool) override { return true; }  // no handshake lines
    void ClearInput() override {
        buffer_.clear();
        line_->ClearInput();
    }
    void ClearOutput() override {}  // bytes go onto the line as they are written
    bool Write(const char* data, qint64 count) override {
        const auto* bytes = reinterpret_cast<const std::uint8_t*>(data);
        if (!line_->Write({bytes, static_cast<std::size_t>(count)})) return false;
        writePending_ = true;
        return true;
    }
    qint64 BytesToWrite() const override { return 0; }
    bool WaitForBytesWritten(int, bool* timedOut) override {
        *timedOut = !writePending_;
        if (!writePending_) return false;
        writePending_ = false;
        if (handlers_.bytesWritten) handlers_.bytesWritten();
        return true;
    }
    bool WaitForReadyRead(int msecs, bool* timedOut) override {
        *timedOut = false;
        if (Announce(Pull())) return true;
        if (line_->WaitForInput(msecs / 1000.0) && Announce(Pull())) return true;
        if (LineDown()) return false;
        *timedOut = true;
        return false;
    }
    qint64 Read(char* data, qint64 max) override {
        const qint64 n = std::min<qint64>(max, buffer_.size());
        std::copy_n(buffer_.constData(), n, data);
        buffer_.remove(0, n);
        if (n > 0 && line_->Available() > 0) PostLineEvent();  // room for what the line holds
        return n;
    }
    QByteArray Peek(qint64 max) override { return buffer_.left(max); }
    qint64 BytesAvailable() const override { return buffer_.size(); }
    qint64 ReadBufferSize() const override { return readBufferSize_; }
    void SetReadBufferSize(qint64 size) override { readBufferSize_ = size; }
    bool Gone() const override { return !line_->serving(); }

  private:
    // Called on the line's thread: one note at a time waits in the program's event queue.
    void PostLineEvent() {
        if (posted_.exchange(true)) return;
        QMetaObject::invokeMethod(
            &context_,
            [this] {
                posted_ = false;
                OnLineEvent();
            },
            Qt::QueuedConnection);
    }
    void OnLineEvent() {
        if (open_ && !LineDown()) Announce(Pull());
    }
    bool Announce(qint64 pulled) {
        if (pulled > 0 && handlers_.readyRead) handlers_.readyRead();
        return pulled > 0;
    }
    // Moves bytes from the line into the input buffer while it has room; the count moved.
    qint64 Pull() {
        const qint64 room = readBufferSize_ - buffer_.size();
        if (!open_ || room <= 0) return 0;
        const qint64 before = buffer_.size();
        buffer_.resize(before + std::min<qint64>(room, line_->Available()));
        auto* into = reinterpret_cast<std::uint8_t*>(buffer_.data()) + before;
        const std::size_t got =
            line_->Read({into, static_cast<std::size_t>(buffer_.size() - before)});
        buffer_.resize(before + static_cast<qint64>(got));
        return static_cast<qint64>(got);
    }
    // Reports a hung-up line once; the channel then closes.
    bool LineDown() {
        if (line_->serving()) return false;
        if (open_ && handlers_.failed) handlers_.failed(Failure::Gone);
        return true;
    }

    std::shared_ptr<sim::LocalLine> line_;
    QObject context_;  // posted notes die with the device
    std::atomic<bool> posted_{false};
    QByteArray buffer_;
    qint64 readBufferSize_ = 4096;
    bool open_ = false;
    bool writePending_ = false;
};

}  // namespace

std::unique_ptr<SerialDevice> MakeSimulatedDevice(std::shared_ptr<sim::LocalLine> line) {
    return std::make_unique<SimulatedDevice>(std::move(line));
}

}  // namespace platform
