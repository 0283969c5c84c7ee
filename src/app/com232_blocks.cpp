// Line-image block reads: raw big-endian words, collected by the router.
#include <algorithm>

#include "com232.h"

namespace {

struct BlockKind {
    int code;
    int bytes;
    const char* waiting;
    const char* timeout;
    const char* received;
};

constexpr BlockKind kBlock64{GET_DATA64, BLOCK64_BYTES, "Waiting for Data[64] ...",
                             "Timeout-RS-232 while reading 64 data-words!",
                             "Data[64] block received!"};
constexpr BlockKind kBlock256{GET_DATA256, BLOCK256_BYTES, "Waiting for Data[256] ...",
                              "Timeout-RS-232 while reading 256 data-words!",
                              "Data[256] block received!"};

// Processes events until the block has come or TIMEOUT has passed; returns the bytes received.
int AwaitBlock(Program& p, const BlockKind& kind, const SentRequest& request) {
    for (;;) {
        p.rt.ProcessSystemEvents();
        PumpReceived(p);
        const int count = p.router.BlockBytes();
        p.tdiff = p.rt.Timer() - request.sentAt;
        if (count >= kind.bytes) return count;
        if (p.tdiff > TIMEOUT) return count;
    }
}

// Sends the block request, waits for the block and decodes what arrived into adcbuf from `start`.
// The router collects the block, so that a frame answering a nested exchange after it still
// reaches that exchange. Words that did not arrive keep the previous cycle's samples.
void ReadBlock(Program& p, const BlockKind& kind, int start, u16 word0, u16 word1) {
    const SentRequest request = WriteRequest(p, kind.code, kind.bytes, word0, word1);
    ShowText(p, kind.waiting);

    const int count = std::min(AwaitBlock(p, kind, request), kind.bytes);
    std::copy_n(p.router.Block(), count, p.szReadBuf.begin());
    p.router.EndBlock();
    p.nBytesR = count;
    DecodeBlock(p, start, count / 2);
    if (count < kind.bytes) {
        p.szStatus = kind.timeout;
        p.blockTimedOut = true;  // stays in view until the cycle ends
    } else if (!p.blockTimedOut) {
        p.szStatus = kind.received;
    }
    ShowStatus(p);
}

}  // namespace

// Kept: the block reads report 1 whatever happened; the Video cycle goes on and draws either way.
int ReadData64(Program& p, int start, int last) {
    start = std::clamp(start, 0, 192);
    ReadBlock(p, kBlock64, start, static_cast<u16>(start), static_cast<u16>(last));
    return 1;
}

int ReadData256(Program& p) {
    ReadBlock(p, kBlock256, 0, 0, 0);
    return 1;
}
