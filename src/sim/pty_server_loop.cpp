// The serving thread of PtyServer: moves the line's bytes through the pseudo-terminal.
#include <poll.h>
#ifdef __linux__
#include <sys/prctl.h>
#endif
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <limits>

#include "pty_server.h"

namespace sim {

namespace {

constexpr double kIdleGuard = 0.02;  // pause when the master reports a hang-up

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

timespec ToTimespec(double seconds) {
    seconds = std::max(seconds, 0.0);
    timespec ts{};
    ts.tv_sec = static_cast<time_t>(seconds);
    ts.tv_nsec = static_cast<long>((seconds - static_cast<double>(ts.tv_sec)) * 1e9);
    return ts;
}

void Drain(int fd) {
    char buf[64];
    while (::read(fd, buf, sizeof buf) > 0) {
    }
}

}  // namespace

void PtyServer::Run() {
#ifdef __linux__
    // A byte is due every 0.5 ms at 19200 baud: the default 50 us of timer slack on each wake-up
    // would make the simulated line slower than a real one.
    ::prctl(PR_SET_TIMERSLACK, 1UL);
#endif
    LineEngine line(*this, Now());
    bool blocked = false;  // the pseudo-terminal took no more bytes
    while (!stopRequested_) {
        const double now = Now();
        if (hangUpRequested_ || !line.Advance(now)) break;
        WriteDueOutput(line, now, &blocked);
        WaitAndRead(line, now, &blocked);
    }
    if (!stopRequested_) CloseLine();
}

void PtyServer::WriteDueOutput(LineEngine& line, double now, bool* blocked) {
    if (*blocked || now < nextBurst_) return;
    std::uint8_t chunk[4096];
    const std::size_t n = line.Due(now, chunk);
    if (n == 0) return;
    const ssize_t written = ::write(master_, chunk, n);
    if (written > 0) {
        line.Consume(static_cast<std::size_t>(written));
        if (burst() > 0) nextBurst_ = now + burst();
    } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        *blocked = true;
    } else if (written < 0 && errno != EINTR) {
        line.DropOutput();  // nobody can receive them
    }
}

void PtyServer::WaitAndRead(LineEngine& line, double now, bool* blocked) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (*blocked) fds[0].events |= POLLOUT;
    const double wait = line.NextDeadline(
        now, *blocked ? std::numeric_limits<double>::infinity() : std::max(now, nextBurst_));
    const timespec ts = ToTimespec(wait);
    if (::ppoll(fds, 2, wait < 0 ? nullptr : &ts, nullptr) <= 0) return;
    if (fds[1].revents & POLLIN) Drain(wakeRead_);
    if (fds[0].revents & POLLOUT) *blocked = false;
    bool idle = false;
    if (fds[0].revents & POLLIN) {
        std::uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n > 0) line.Receive({buf, static_cast<std::size_t>(n)}, Now());
        if (n > 0 || (n < 0 && (errno == EAGAIN || errno == EINTR))) return;
        idle = true;  // EIO: no reader on the slave side
    }
    if (idle || (fds[0].revents & (POLLHUP | POLLERR | POLLNVAL))) {
        // No reader on the other side: wait a little instead of spinning on the report.
        pollfd wake = {wakeRead_, POLLIN, 0};
        const timespec guard = ToTimespec(kIdleGuard);
        ::ppoll(&wake, 1, &guard, nullptr);
    }
}

}  // namespace sim
