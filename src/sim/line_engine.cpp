#include "line_engine.h"

#include <algorithm>
#include <cmath>

namespace sim {

namespace {

constexpr double kPartialFrameTimeout = 0.5;  // seconds of silence that drop a partial frame
constexpr std::size_t kFloodBacklog = 256;    // flood bytes queued ahead of the line at most
constexpr std::size_t kPacedFloodAhead = 8;

}  // namespace

LineEngine::LineEngine(SharedSensor& sensor, double start)
    : sensor_(sensor), start_(start), pacer_(sensor.baud(), sensor.requestBaud()) {}

void LineEngine::Receive(std::span<const std::uint8_t> bytes, double readAt) {
    for (const std::uint8_t& byte : bytes) {
        const double arrival = pacer_.Arrive(readAt);
        lastRx_ = readAt;
        assembler_.Feed({&byte, 1});
        while (auto frame = assembler_.Next())
            requests_.push_back({*frame, arrival});
    }
}

bool LineEngine::Advance(double now) {
    if (assembler_.pending() > 0 && now - lastRx_ >= kPartialFrameTimeout) assembler_.DropPartial();
    while (!requests_.empty() && requests_.front().due <= now) {
        const PendingRequest request = requests_.front();
        requests_.pop_front();
        const Reply reply = sensor_.Serve(request.frame, request.due - start_);
        if (reply.hangUp) return false;
        if (flooding(now)) continue;  // answers are lost in the flood
        if (reply.floodSeconds > 0) {
            floodUntil_ = now + reply.floodSeconds;
            continue;
        }
        Queue(reply.bytes, request.due + reply.delay);
    }
    GenerateFlood(now);
    return true;
}

std::size_t LineEngine::Due(double now, std::span<std::uint8_t> out) const {
    std::size_t n = 0;
    for (auto it = output_.begin(); it != output_.end() && it->due <= now && n < out.size(); ++it)
        out[n++] = it->byte;
    return n;
}

void LineEngine::Consume(std::size_t count) {
    output_.erase(output_.begin(), output_.begin() + std::min(count, output_.size()));
}

void LineEngine::DropOutput() {
    output_.clear();
}

double LineEngine::NextDeadline(double now, double outputNotBefore) const {
    double next = -1;
    auto consider = [&](double t) {
        if (next < 0 || t < next) next = t;
    };
    if (!requests_.empty()) consider(requests_.front().due);
    if (!output_.empty() && std::isfinite(outputNotBefore))
        consider(std::max(output_.front().due, outputNotBefore));
    if (flooding(now)) consider(output_.empty() ? now : floodUntil_);
    if (assembler_.pending() > 0) consider(lastRx_ + kPartialFrameTimeout);
    return next < 0 ? -1 : std::max(next - now, 0.0);
}

void LineEngine::Queue(const std::vector<std::uint8_t>& bytes, double earliest) {
    for (std::uint8_t b : bytes)
        output_.push_back({b, pacer_.Send(earliest)});
}

void LineEngine::GenerateFlood(double now) {
    if (!flooding(now)) return;
    if (output_.size() >= kFloodBacklog) {
        pacer_.ResetSend(now);  // the reader is not keeping up: the line just drops the bytes
        return;
    }
    // Paced, a few bytes ahead of the line; unpaced, as many as the reader takes.
    const std::size_t ahead = pacer_.byteTime() > 0 ? kPacedFloodAhead : kFloodBacklog;
    while (output_.size() < ahead)
        output_.push_back({kRequestSync, pacer_.Send(now)});
}

}  // namespace sim
