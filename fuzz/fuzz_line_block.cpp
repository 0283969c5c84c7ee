// A line-image block of any length decoded at any start offset.
#include <algorithm>
#include <cstddef>
#include <cstdint>

#include "com232_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 2) return 0;
    State s;
    const int start = data[0];
    const int words = data[1] * 2;
    const std::size_t n = std::min(size - 2, s.szReadBuf.size());
    std::copy(data + 2, data + 2 + n, s.szReadBuf.begin());
    DecodeBlock(s, start, words);
    return 0;
}
