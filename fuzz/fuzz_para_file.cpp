// A parameter file of any content: read with the program's reader; a file is either refused with
// the values untouched, or gives 16 numbers.
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>

#include "arrayfile.h"

namespace {

const std::string& ScratchFile() {
    static const std::string path = "/tmp/tavrix-fuzz-para-" + std::to_string(getpid()) + ".dat";
    return path;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::FILE* f = std::fopen(ScratchFile().c_str(), "wb");
    if (f == nullptr) return 0;
    std::fwrite(data, 1, size, f);
    std::fclose(f);

    std::uint32_t values[16];
    for (auto& v : values)
        v = 0xDEADBEEF;
    const int result = platform::FileToArray(ScratchFile(), values, 16);
    if (result != platform::kFileOk) {
        for (auto v : values)
            if (v != 0xDEADBEEF) __builtin_trap();  // a refused file leaves the values alone
    }
    return 0;
}
