// The receive path driven by an arbitrary byte stream in arbitrary chunks, around requests of
// every kind. Each step of the input is one of: write a request (any code, framed or block), feed
// a chunk of line bytes after a pause, or let the waiting exchanges look for their answers. Checks
// the routing rules: an exchange takes only a frame with the sync word and its own echo that came
// after its request and no sooner than the line allows; a frame is taken once, so no request is
// sent twice for one answer; a frame that began before a block request is never cut by it.
#include <array>
#include <cstddef>
#include <cstdint>

#include "com232_codec.h"
#include "com232_router.h"

namespace {

constexpr double kCrossing = 0.0375;

struct Waiting {
    bool active = false;
    double sentAt = 0;
};

void Check(bool ok) {
    if (!ok) __builtin_trap();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    AnswerRouter router;
    std::array<Waiting, 12> waiting{};
    double now = 1.0;
    long taken = 0, fed = 0;
    std::size_t at = 0;
    while (at + 2 <= size) {
        const std::uint8_t op = data[at++];
        const std::uint8_t arg = data[at++];
        now += (op >> 4) * 0.004;
        switch (op & 3) {
            case 0: {  // a request
                const int code = 1 + arg % 11;
                if (code == GET_DATA64 || (arg & 0x80)) router.ExpectBlock(arg & 1 ? 128 : 512);
                waiting[code] = {true, now};
                break;
            }
            case 1: {  // line bytes
                const std::size_t n = std::min<std::size_t>(arg, size - at);
                router.Feed(data + at, static_cast<int>(n), now);
                fed += static_cast<long>(n);
                at += n;
                break;
            }
            case 2: {  // the waiting exchanges look
                for (int code = 1; code < 12; ++code) {
                    if (!waiting[code].active) continue;
                    FrameBytes f{};
                    const double sent = waiting[code].sentAt;
                    if (router.Take(code, sent, sent + kCrossing, f) != TakeResult::Taken) continue;
                    Check(WordAt(f.data(), 0) == ANSWER_SYNC && WordAt(f.data(), 2) == code);
                    Check(now >= sent + kCrossing);
                    waiting[code].active = false;
                    ++taken;
                }
                break;
            }
            default:  // the line seen quiet, or the block reader giving up
                if (arg & 1)
                    router.Quiet(now);
                else
                    router.EndBlock();
                break;
        }
        // Every answer taken was a whole frame of the bytes fed: never more answers than frames.
        Check(taken <= fed / FRAME_BYTES);
        Check(router.BlockBytes() <= AnswerRouter::kMaxBlock);
    }
    return 0;
}
