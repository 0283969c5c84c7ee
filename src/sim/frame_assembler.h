// Cuts a byte stream into 36-byte request frames. Bytes before a 0x00 0x55 header are dropped,
// so the stream resynchronises after garbage.
#pragma once

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "protocol.h"

namespace sim {

class FrameAssembler {
  public:
    void Feed(std::span<const std::uint8_t> bytes);
    // The next complete frame, if any.
    std::optional<Frame> Next();
    // Bytes held towards an incomplete frame.
    std::size_t pending() const { return buffer_.size(); }
    // Forgets an incomplete frame (e.g. after a long gap on the line).
    void DropPartial();
    // Bytes dropped so far while looking for a header.
    long discarded() const { return discarded_; }

  private:
    void SkipToHeader();

    std::vector<std::uint8_t> buffer_;
    long discarded_ = 0;
};

}  // namespace sim
