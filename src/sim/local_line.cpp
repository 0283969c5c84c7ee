#include "local_line.h"

#include <algorithm>
#include <chrono>
#include <limits>

#include "line_engine.h"

namespace sim {

namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

std::chrono::duration<double> Seconds(double s) {
    return std::chrono::duration<double>(std::max(s, 0.0));
}

}  // namespace

LocalLine::LocalLine(const SensorConfig& sensor, ServerOptions options)
    : SharedSensor(sensor, std::move(options)) {}

LocalLine::~LocalLine() {
    Stop();
}

bool LocalLine::Start() {
    std::lock_guard lock(mutex_);
    if (started_) return serving_;
    started_ = serving_ = true;
    thread_ = std::thread([this] { Run(); });
    return true;
}

void LocalLine::Stop() {
    {
        std::lock_guard lock(mutex_);
        stopRequested_ = true;
        serving_ = false;
    }
    lineWake_.notify_all();
    clientWake_.notify_all();
    if (thread_.joinable() && thread_.get_id() != std::this_thread::get_id()) thread_.join();
}

void LocalLine::HangUp() {
    {
        std::lock_guard lock(mutex_);
        hangUpRequested_ = true;
    }
    lineWake_.notify_all();
}

bool LocalLine::serving() const {
    std::lock_guard lock(mutex_);
    return serving_;
}

bool LocalLine::Claim() {
    std::lock_guard lock(mutex_);
    if (claimed_) return false;
    claimed_ = true;
    return true;
}

void LocalLine::Release() {
    std::lock_guard lock(mutex_);
    claimed_ = false;
}

void LocalLine::SetNotify(std::function<void()> notify) {
    std::lock_guard lock(mutex_);
    notify_ = std::move(notify);
}

bool LocalLine::Write(std::span<const std::uint8_t> bytes) {
    {
        std::lock_guard lock(mutex_);
        if (!serving_) return false;
        written_.insert(written_.end(), bytes.begin(), bytes.end());
    }
    lineWake_.notify_all();
    return true;
}

std::size_t LocalLine::Available() const {
    std::lock_guard lock(mutex_);
    return input_.size();
}

std::size_t LocalLine::Read(std::span<std::uint8_t> buffer) {
    std::size_t n = 0;
    {
        std::lock_guard lock(mutex_);
        const bool wasFull = input_.size() >= kInputLimit;
        n = std::min(buffer.size(), input_.size());
        std::copy_n(input_.begin(), n, buffer.begin());
        input_.erase(input_.begin(), input_.begin() + static_cast<std::ptrdiff_t>(n));
        if (!wasFull || n == 0) return n;
    }
    lineWake_.notify_all();  // room again for bytes held back
    return n;
}

void LocalLine::ClearInput() {
    {
        std::lock_guard lock(mutex_);
        input_.clear();
    }
    lineWake_.notify_all();
}

bool LocalLine::WaitForInput(double seconds) {
    std::unique_lock lock(mutex_);
    clientWake_.wait_for(lock, Seconds(seconds), [&] { return !input_.empty() || !serving_; });
    return !input_.empty();
}

// Holds mutex_ except while it sleeps. The sensor's own lock (SharedSensor) is taken inside it,
// never the other way round.
void LocalLine::Run() {
    std::unique_lock lock(mutex_);
    LineEngine line(*this, Now());
    const bool paced = baud() > 0;
    while (!stopRequested_ && !hangUpRequested_) {
        const double now = Now();
        if (!written_.empty()) {
            line.Receive(written_, now);
            written_.clear();
        }
        if (!line.Advance(now)) break;
        if (HandOver(line, now)) {
            if (notify_) notify_();
            clientWake_.notify_all();
        }
        const bool full = input_.size() >= kInputLimit;
        const double wait = line.NextDeadline(now, full    ? std::numeric_limits<double>::infinity()
                                                   : paced ? nextBurst_
                                                           : now);
        if (wait < 0)
            lineWake_.wait(lock);
        else
            lineWake_.wait_for(lock, Seconds(wait));
    }
    if (stopRequested_) return;
    serving_ = false;  // hung up: what was not read is lost with the line
    input_.clear();
    if (notify_) notify_();
    clientWake_.notify_all();
}

bool LocalLine::HandOver(LineEngine& line, double now) {
    const bool paced = baud() > 0;
    if (paced && now < nextBurst_) return false;
    std::uint8_t chunk[kInputLimit];
    const std::size_t room = kInputLimit - std::min(input_.size(), kInputLimit);
    const std::size_t n = line.Due(now, {chunk, room});
    if (n == 0) return false;
    line.Consume(n);
    input_.insert(input_.end(), chunk, chunk + n);
    nextBurst_ = now + (burst() > 0 ? burst() : kBurstInterval);
    return true;
}

}  // namespace sim
