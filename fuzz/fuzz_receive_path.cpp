// The receive path driven by an arbitrary byte stream in arbitrary chunks, around requests of
// every kind. Each step of the input is one of: write a request (any code, framed or block), feed
// a chunk of line bytes after a pause, or let the waiting exchanges look for their answers. Checks
// the routing rules: an exchange takes only a frame with the sync word and its own echo (the line
// check any frame) whose bytes were fed after its request was written; a frame is taken once, so
// no request is sent twice for one answer.
#include <array>
#include <cstddef>
#include <cstdint>

#include "com232_codec.h"
#include "com232_router.h"

namespace {

struct Waiting {
    bool active = false;
    long ticket = 0;
    long fedAt = 0;  // bytes fed before the request was written
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
                if (code == GET_DATA64 || (arg & 0x80)) {
                    router.ExpectBlock(arg & 1 ? 128 : 512);
                    break;
                }
                const long ticket = router.Mark(code, now, TIMEOUT, code == LINE_CHECK, arg & 0x40);
                waiting[code] = {true, ticket, fed};
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
                    if (!router.Take(waiting[code].ticket, f)) continue;
                    Check(code == LINE_CHECK ||
                          (WordAt(f.data(), 0) == ANSWER_SYNC && WordAt(f.data(), 2) == code));
                    Check(fed - waiting[code].fedAt >= FRAME_BYTES);
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
