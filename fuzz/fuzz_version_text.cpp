// The firmware text of both board kinds from any 72-byte (or shorter, or longer) answer.
#include <cstddef>
#include <cstdint>

#include "com232_codec.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const int count = static_cast<int>(size > 1024 ? 1024 : size);
    for (u16 board : {u16{0}, u16{100}, u16{400}}) {
        const std::string text = DecodeVersionText(data, count, board);
        if (text.size() > TEXT_BYTES - 1) __builtin_trap();
    }
    return 0;
}
