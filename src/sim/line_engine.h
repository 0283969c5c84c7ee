// The simulated sensor's end of a serial line, without any input or output: cuts the bytes it
// receives into request frames, answers each once the line has carried it, and schedules the
// answer bytes at the line's pace (see LinePacer). Faults shape the answers; a flood fault fills
// the line. A request frame that stays incomplete for half a second is dropped, as a sensor would
// after a gap on the line.
//
// Not thread-safe: one serving thread owns it. Times are seconds on one steady clock.
#pragma once

#include <cstddef>
#include <cstdint>
#include <deque>
#include <span>

#include "frame_assembler.h"
#include "line_pacer.h"
#include "shared_sensor.h"

namespace sim {

class LineEngine {
  public:
    LineEngine(SharedSensor& sensor, double start);

    // Bytes the other end wrote, read off the line at `readAt`.
    void Receive(std::span<const std::uint8_t> bytes, double readAt);
    // Answers the requests that have arrived by `now` and keeps a flood going. False when the
    // line hangs up (the hang-up fault).
    bool Advance(double now);
    // Copies the answer bytes that have crossed the line by `now`, oldest first, at most
    // out.size(); returns the count. They stay queued until Consume.
    std::size_t Due(double now, std::span<std::uint8_t> out) const;
    void Consume(std::size_t count);
    void DropOutput();  // nobody can receive them
    // Seconds from `now` until something is due; output counts from `outputNotBefore` on (a
    // writer that batches), not at all when it is infinite (a blocked writer). -1 when only input
    // or a wake-up can change anything.
    double NextDeadline(double now, double outputNotBefore) const;

  private:
    struct PendingRequest {
        Frame frame;
        double due;
    };
    struct OutByte {
        std::uint8_t byte;
        double due;
    };

    bool flooding(double now) const { return now < floodUntil_; }
    void Queue(const std::vector<std::uint8_t>& bytes, double earliest);
    void GenerateFlood(double now);

    SharedSensor& sensor_;
    double start_;
    LinePacer pacer_;
    FrameAssembler assembler_;
    std::deque<PendingRequest> requests_;
    std::deque<OutByte> output_;
    double lastRx_ = 0;
    double floodUntil_ = 0;
};

}  // namespace sim
