// Faults the simulated sensor can show, and how they change its answer to one request.
//
// A fault applies to every request, or only to those with one command code. "After N" counts
// the requests the fault applies to.
//   Silent       no answer
//   SilentAfter  answers N requests, then none
//   Delay        the answer starts `seconds` after the request has arrived
//   DelayFirst   as Delay, for the first request it applies to only (one late answer)
//   ShortFrame   answer frames: only the first K bytes
//   Trailing     answer frames: K extra bytes (0x7E) after the frame
//   Garbage      answer frames: K bytes (never 0x55 or 0xAA) before the frame
//   WrongSync    answer frames begin 0xAA 0x00
//   WrongEcho    answer frames echo code E instead of the request's code
//   ShortBlock   raw answers (version text, image blocks): only the first K bytes
//   HangUp       answers N requests, then closes the line when the next one arrives
//   Flood        at the first request it applies to: no answer but 0x55 bytes for `seconds`
//   Twice        answers N requests once, then sends every answer frame twice, back to back (a
//                faulty converter or repeater, maybe one that starts failing while in use)
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "responder.h"

namespace sim {

enum class FaultKind {
    Silent,
    SilentAfter,
    Delay,
    DelayFirst,
    ShortFrame,
    Trailing,
    Garbage,
    WrongSync,
    WrongEcho,
    ShortBlock,
    HangUp,
    Flood,
    Twice,
};

struct Fault {
    FaultKind kind = FaultKind::Silent;
    double value = 0;  // N, K, E or seconds by kind
    int code = -1;     // the command code it applies to; -1 every code
    bool operator==(const Fault&) const = default;
};

// What the line does in reply to one request.
struct Reply {
    bool hangUp = false;      // close the line; nothing is sent
    double floodSeconds = 0;  // send 0x55 bytes for this long; the answer is dropped
    double delay = 0;         // seconds from the request's arrival to the first answer byte
    std::vector<std::uint8_t> bytes;
};

class FaultInjector {
  public:
    explicit FaultInjector(std::vector<Fault> faults = {});
    // Shapes the answer to a request with the given code; counts the request.
    Reply Apply(std::uint16_t code, const Answer& answer);
    const std::vector<Fault>& faults() const { return faults_; }

  private:
    std::vector<Fault> faults_;
    std::vector<long> seen_;   // requests each fault applied to, this one included
    std::vector<bool> spent_;  // one-shot faults that have fired
};

}  // namespace sim
