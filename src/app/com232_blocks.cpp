// Line-image block reads: raw big-endian words polled from the input queue.
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

// Processes events until the block is waiting or TIMEOUT has passed; returns the count waiting.
int AwaitBlock(Program& p, const BlockKind& kind) {
    p.tstart = p.rt.Timer();
    for (;;) {
        p.rt.ProcessSystemEvents();
        const int count = p.rs.GetInQLen(p.com);
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.tdiff > TIMEOUT) {
            p.szStatus = kind.timeout;
            return count;
        }
        if (count >= kind.bytes) return count;
    }
}

// Sends the block request, waits for the block and decodes it into adcbuf from `start`. Words
// that did not arrive come from older receive-buffer content.
void ReadBlock(Program& p, const BlockKind& kind, int start, u16 word0, u16 word1) {
    p.order = kind.code;
    p.rs.FlushOutQ(p.com);
    p.rs.FlushInQ(p.com);
    FillBlockRequest(p, static_cast<unsigned>(p.order), word0, word1);
    p.nBytesW = p.rs.ComWrt(p.com, p.szWriteBuf.data(), FRAME_BYTES);
    ShowText(p, kind.waiting);

    const int count = AwaitBlock(p, kind);
    const int toRead = std::clamp(count, 0, static_cast<int>(p.szReadBuf.size()));
    p.nBytesR = toRead > 0 ? p.rs.ComRd(p.com, p.szReadBuf.data(), toRead) : 0;
    if (p.nBytesR == kind.bytes) p.szStatus = kind.received;
    DecodeBlock(p, start, kind.bytes / 2);
    ShowStatus(p);
}

}  // namespace

int ReadData64(Program& p, int start, int last) {
    start = std::clamp(start, 0, 192);
    ReadBlock(p, kBlock64, start, static_cast<u16>(start), static_cast<u16>(last));
    return 1;
}

int ReadData256(Program& p) {
    ReadBlock(p, kBlock256, 0, 0, 0);
    return 1;
}
