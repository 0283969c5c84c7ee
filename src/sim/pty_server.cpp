#include "pty_server.h"

#include <fcntl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

namespace sim {

namespace {

void CloseFd(int& fd) {
    if (fd >= 0) ::close(fd);
    fd = -1;
}

}  // namespace

PtyServer::PtyServer(const SensorConfig& sensor, ServerOptions options)
    : SharedSensor(sensor, std::move(options)) {}

PtyServer::~PtyServer() {
    Stop();
    CloseFd(wakeRead_);
    CloseFd(wakeWrite_);
}

bool PtyServer::Start() {
    std::lock_guard lock(mutex_);
    if (thread_.joinable() || serving_) return serving_;
    auto fail = [&](const char* what) {
        error_ = std::string(what) + ": " + std::strerror(errno);
        CloseFd(master_);
        CloseFd(slave_);
        return false;
    };
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0) return fail("posix_openpt");
    if (::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return fail("grantpt/unlockpt");
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return fail("ptsname_r");
    slave_ = ::open(name, O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (slave_ < 0) return fail("open slave");
    termios tio{};
    if (::tcgetattr(slave_, &tio) != 0) return fail("tcgetattr");
    ::cfmakeraw(&tio);
    if (::tcsetattr(slave_, TCSANOW, &tio) != 0) return fail("tcsetattr");
    if (::fcntl(master_, F_SETFL, ::fcntl(master_, F_GETFL) | O_NONBLOCK) != 0)
        return fail("fcntl");
    // The wake-up pipe stays until destruction, so that Stop and HangUp may race safely.
    if (wakeRead_ < 0) {
        int pipeFds[2];
        if (::pipe2(pipeFds, O_NONBLOCK | O_CLOEXEC) != 0) return fail("pipe2");
        wakeRead_ = pipeFds[0];
        wakeWrite_ = pipeFds[1];
    }
    slavePath_ = name;
    stopRequested_ = false;
    hangUpRequested_ = false;
    serving_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void PtyServer::Wake() {
    if (wakeWrite_ < 0) return;
    const char b = 1;
    [[maybe_unused]] auto n = ::write(wakeWrite_, &b, 1);
}

void PtyServer::Stop() {
    std::lock_guard stopping(stopMutex_);
    stopRequested_ = true;
    Wake();
    if (thread_.joinable()) thread_.join();
    std::lock_guard lock(mutex_);
    serving_ = false;
    CloseFd(master_);
    CloseFd(slave_);
}

void PtyServer::HangUp() {
    hangUpRequested_ = true;
    Wake();
}

void PtyServer::CloseLine() {
    std::lock_guard lock(mutex_);
    CloseFd(master_);
    CloseFd(slave_);
    serving_ = false;
}

std::string PtyServer::slavePath() const {
    std::lock_guard lock(mutex_);
    return slavePath_;
}

std::string PtyServer::error() const {
    std::lock_guard lock(mutex_);
    return error_;
}

}  // namespace sim
