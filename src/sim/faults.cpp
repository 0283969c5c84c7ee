#include "faults.h"

#include <algorithm>

namespace sim {

namespace {

std::size_t Count(double value) {
    return value > 0 ? static_cast<std::size_t>(value) : 0;
}

void Truncate(std::vector<std::uint8_t>& bytes, double keep) {
    bytes.resize(std::min(bytes.size(), Count(keep)));
}

std::vector<std::uint8_t> GarbageBytes(std::size_t n) {
    std::vector<std::uint8_t> g(n);
    for (std::size_t i = 0; i < n; ++i)
        g[i] = static_cast<std::uint8_t>(0xC3 ^ (i * 7 % 32));
    return g;
}

}  // namespace

FaultInjector::FaultInjector(std::vector<Fault> faults)
    : faults_(std::move(faults)), seen_(faults_.size(), 0), spent_(faults_.size(), false) {}

Reply FaultInjector::Apply(std::uint16_t code, const Answer& answer) {
    Reply reply;
    reply.bytes = answer.bytes;
    const bool frame = answer.kind == AnswerKind::FrameAnswer && reply.bytes.size() >= 4;
    const bool raw = answer.kind == AnswerKind::Raw;
    std::size_t garbage = 0, trailing = 0;
    bool silent = false, twice = false;

    for (std::size_t i = 0; i < faults_.size(); ++i) {
        const Fault& f = faults_[i];
        if (f.code >= 0 && f.code != code) continue;
        const long n = ++seen_[i];
        switch (f.kind) {
            case FaultKind::Silent:
                silent = true;
                break;
            case FaultKind::SilentAfter:
                silent |= n > static_cast<long>(Count(f.value));
                break;
            case FaultKind::Delay:
                reply.delay += std::max(f.value, 0.0);
                break;
            case FaultKind::DelayFirst:
                if (n == 1) reply.delay += std::max(f.value, 0.0);
                break;
            case FaultKind::HangUp:
                if (n > static_cast<long>(Count(f.value))) reply.hangUp = true;
                break;
            case FaultKind::Flood:
                if (!spent_[i]) reply.floodSeconds = std::max(f.value, 0.0);
                spent_[i] = true;
                break;
            case FaultKind::WrongSync:
                if (frame) reply.bytes[0] = 0xAA, reply.bytes[1] = 0x00;
                break;
            case FaultKind::WrongEcho:
                if (frame) PutWord(&reply.bytes[2], static_cast<std::uint16_t>(Count(f.value)));
                break;
            case FaultKind::ShortFrame:
                if (frame) Truncate(reply.bytes, f.value);
                break;
            case FaultKind::ShortBlock:
                if (raw) Truncate(reply.bytes, f.value);
                break;
            case FaultKind::Garbage:
                if (frame) garbage += Count(f.value);
                break;
            case FaultKind::Trailing:
                if (frame) trailing += Count(f.value);
                break;
            case FaultKind::Twice:
                twice |= frame && n > static_cast<long>(Count(f.value));
                break;
        }
    }
    if (reply.hangUp || reply.floodSeconds > 0 || silent) {
        reply.bytes.clear();
        return reply;
    }
    if (garbage > 0) {
        const auto g = GarbageBytes(garbage);
        reply.bytes.insert(reply.bytes.begin(), g.begin(), g.end());
    }
    reply.bytes.insert(reply.bytes.end(), trailing, 0x7E);
    if (twice) reply.bytes.insert(reply.bytes.end(), reply.bytes.begin(), reply.bytes.end());
    return reply;
}

}  // namespace sim
