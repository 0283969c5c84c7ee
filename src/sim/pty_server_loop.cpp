// The serving thread of PtyServer: reads requests, answers them when due, paces the line.
#include <poll.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <deque>

#include "frame_assembler.h"
#include "line_pacer.h"
#include "pty_server.h"

namespace sim {

namespace {

constexpr double kPartialFrameTimeout = 0.5;  // seconds of silence that drop a partial frame
constexpr std::size_t kFloodBacklog = 256;    // flood bytes queued ahead of the line at most
constexpr std::size_t kPacedFloodAhead = 8;
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

// The line state of the serving thread.
struct PtyServer::Loop {
    struct PendingRequest {
        Frame frame;
        double due;
    };
    struct OutByte {
        std::uint8_t byte;
        double due;
    };

    explicit Loop(long baud) : pacer(baud) {}

    LinePacer pacer;
    FrameAssembler assembler;
    std::deque<PendingRequest> requests;
    std::deque<OutByte> output;
    double lastRx = 0;
    double floodUntil = 0;
    bool writeBlocked = false;

    bool flooding(double now) const { return now < floodUntil; }

    void Queue(const std::vector<std::uint8_t>& bytes, double earliest) {
        for (std::uint8_t b : bytes)
            output.push_back({b, pacer.Send(earliest)});
    }

    void GenerateFlood(double now) {
        if (!flooding(now)) return;
        if (output.size() >= kFloodBacklog) {
            pacer.ResetSend(now);  // the reader is not keeping up: the line just drops the bytes
            return;
        }
        // Paced, a few bytes ahead of the line; unpaced, as many as the reader takes.
        const std::size_t ahead = pacer.byteTime() > 0 ? kPacedFloodAhead : kFloodBacklog;
        while (output.size() < ahead)
            output.push_back({kRequestSync, pacer.Send(now)});
    }

    // Seconds until something is due, or -1 when only input or a wake-up can change anything.
    double NextDeadline(double now) const {
        double next = -1;
        auto consider = [&](double t) {
            if (next < 0 || t < next) next = t;
        };
        if (!requests.empty()) consider(requests.front().due);
        if (!output.empty() && !writeBlocked) consider(output.front().due);
        if (flooding(now)) consider(output.empty() ? now : floodUntil);
        if (assembler.pending() > 0) consider(lastRx + kPartialFrameTimeout);
        return next < 0 ? -1 : std::max(next - now, 0.0);
    }
};

void PtyServer::Run() {
    Loop loop(options_.baud);
    const double start = Now();
    while (!stopRequested_) {
        const double now = Now();
        if (hangUpRequested_) break;
        if (loop.assembler.pending() > 0 && now - loop.lastRx >= kPartialFrameTimeout)
            loop.assembler.DropPartial();
        if (!AnswerDueRequests(loop, now, start)) break;
        loop.GenerateFlood(now);
        WriteDueOutput(loop, now);
        WaitAndRead(loop, now);
    }
    if (!stopRequested_) CloseLine();
}

bool PtyServer::AnswerDueRequests(Loop& loop, double now, double start) {
    while (!loop.requests.empty() && loop.requests.front().due <= now) {
        const Loop::PendingRequest request = loop.requests.front();
        loop.requests.pop_front();
        Reply reply;
        LoggedRequest entry;
        {
            std::lock_guard lock(mutex_);
            const Answer answer = responder_.Respond(request.frame, request.due - start);
            entry = responder_.log().back();
            reply = injector_.Apply(entry.code, answer);
        }
        if (options_.onRequest) options_.onRequest(entry);
        if (reply.hangUp) return false;
        if (loop.flooding(now)) continue;  // answers are lost in the flood
        if (reply.floodSeconds > 0) {
            loop.floodUntil = now + reply.floodSeconds;
            continue;
        }
        loop.Queue(reply.bytes, request.due + reply.delay);
    }
    return true;
}

void PtyServer::WriteDueOutput(Loop& loop, double now) {
    if (loop.writeBlocked) return;
    std::uint8_t chunk[4096];
    std::size_t n = 0;
    for (auto it = loop.output.begin();
         it != loop.output.end() && it->due <= now && n < sizeof chunk; ++it)
        chunk[n++] = it->byte;
    if (n == 0) return;
    const ssize_t written = ::write(master_, chunk, n);
    if (written > 0) {
        loop.output.erase(loop.output.begin(), loop.output.begin() + written);
    } else if (written < 0 && (errno == EAGAIN || errno == EWOULDBLOCK)) {
        loop.writeBlocked = true;
    } else if (written < 0 && errno != EINTR) {
        loop.output.clear();  // nobody can receive them
    }
}

void PtyServer::WaitAndRead(Loop& loop, double now) {
    pollfd fds[2] = {{master_, POLLIN, 0}, {wakeRead_, POLLIN, 0}};
    if (loop.writeBlocked && !loop.output.empty()) fds[0].events |= POLLOUT;
    const double wait = loop.NextDeadline(now);
    const timespec ts = ToTimespec(wait);
    if (::ppoll(fds, 2, wait < 0 ? nullptr : &ts, nullptr) <= 0) return;
    if (fds[1].revents & POLLIN) Drain(wakeRead_);
    if (fds[0].revents & POLLOUT) loop.writeBlocked = false;
    bool idle = false;
    if (fds[0].revents & POLLIN) {
        std::uint8_t buf[4096];
        const ssize_t n = ::read(master_, buf, sizeof buf);
        const double readAt = Now();
        for (ssize_t i = 0; i < n; ++i) {
            const double arrival = loop.pacer.Arrive(readAt);
            loop.lastRx = readAt;
            loop.assembler.Feed({&buf[i], 1});
            while (auto frame = loop.assembler.Next())
                loop.requests.push_back({*frame, arrival});
        }
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
