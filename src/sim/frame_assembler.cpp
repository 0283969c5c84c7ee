#include "frame_assembler.h"

#include <algorithm>

namespace sim {

void FrameAssembler::Feed(std::span<const std::uint8_t> bytes) {
    buffer_.insert(buffer_.end(), bytes.begin(), bytes.end());
    SkipToHeader();
}

std::optional<Frame> FrameAssembler::Next() {
    if (buffer_.size() < kFrameBytes) return std::nullopt;
    Frame f;
    std::copy_n(buffer_.begin(), kFrameBytes, f.begin());
    buffer_.erase(buffer_.begin(), buffer_.begin() + kFrameBytes);
    SkipToHeader();
    return f;
}

void FrameAssembler::DropPartial() {
    discarded_ += static_cast<long>(buffer_.size());
    buffer_.clear();
}

void FrameAssembler::SkipToHeader() {
    std::size_t start = 0;
    while (start + 1 < buffer_.size() &&
           !(buffer_[start] == 0x00 && buffer_[start + 1] == kRequestSync))
        ++start;
    // A lone trailing byte may still begin a header.
    if (start + 1 == buffer_.size() && buffer_[start] != 0x00) ++start;
    if (start == 0) return;
    discarded_ += static_cast<long>(start);
    buffer_.erase(buffer_.begin(), buffer_.begin() + static_cast<std::ptrdiff_t>(start));
}

}  // namespace sim
