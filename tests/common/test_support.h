// Small helpers every test program may use: a steady clock, the process's CPU time and the
// parameter words a logged request carried.
#pragma once

#include <chrono>
#include <cstdint>
#include <ctime>
#include <vector>
#if __has_include(<sys/resource.h>)
#include <sys/resource.h>
#endif

namespace testsupport {

// Seconds on a steady clock.
inline double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

// CPU seconds (user and system) this process has used.
inline double CpuSeconds() {
#if __has_include(<sys/resource.h>)
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) {
        return static_cast<double>(t.tv_sec) + static_cast<double>(t.tv_usec) / 1e6;
    };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
#else
    return static_cast<double>(std::clock()) / CLOCKS_PER_SEC;
#endif
}

// The 16 big-endian words after a frame's sync and code words.
inline std::vector<std::uint16_t> PayloadWords(const unsigned char* frame) {
    std::vector<std::uint16_t> words;
    for (int i = 0; i < 16; ++i)
        words.push_back(static_cast<std::uint16_t>(frame[4 + 2 * i] << 8 | frame[5 + 2 * i]));
    return words;
}

}  // namespace testsupport
