// The request writer, the answer waits and the exchanges built on them: line check and firmware
// text.
#include <algorithm>

#include "com232.h"

namespace {

// A request and its answer each take 36 byte times on the line.
constexpr int kCrossingBytes = 2 * FRAME_BYTES;

}  // namespace

SentRequest WriteRequest(Program& p, int code, int blockBytes, u16 word0, u16 word1) {
    p.order = code;
    if (blockBytes > 0)
        FillBlockRequest(p, static_cast<unsigned>(p.order), word0, word1);
    else
        FillTxBuf(p, static_cast<unsigned>(p.order), p.pp.data());
    PumpReceived(p);
    if (blockBytes > 0) p.router.ExpectBlock(blockBytes);
    p.rx_flag = 0;
    // Stamped before the write, so that the soonest time an answer can complete is a true lower
    // bound even when this thread is held up between the two.
    p.tstart = p.rt.Timer();
    p.nBytesW = p.rs.ComWrt(p.com, p.szWriteBuf.data(), FRAME_BYTES);
    return SentRequest{code, p.tstart, p.tstart + kCrossingBytes * p.rs.ByteSeconds(p.com)};
}

namespace {

// The answer to `r` if it has come, copied to `frame`; nothing else changes.
bool TakeFrame(Program& p, const SentRequest& r, FrameBytes& frame) {
    // A frame under way is looked after here too: only a look that finds the line quiet can tell
    // that it was cut short (the receive callback runs on arrivals only).
    if (p.router.FramePending()) PumpReceived(p);
    switch (p.router.Take(r.code, r.sentAt, r.earliest, frame)) {
        case TakeResult::Taken:
            return true;
        case TakeResult::TooSoon:
            ShowText(p, "Sensor answered twice - repeated answer dropped!");
            return false;
        case TakeResult::None:
            return false;
    }
    return false;
}

// Processes events until `take` succeeds (true) or more than TIMEOUT has passed since the request.
template <class Take>
bool Await(Program& p, const SentRequest& r, Take take) {
    for (;;) {
        p.rt.ProcessSystemEvents();
        const bool timedOut = p.rt.Timer() - r.sentAt > TIMEOUT;
        if (take()) return true;
        if (timedOut) return false;
    }
}

}  // namespace

bool TakeAnswer(Program& p, const SentRequest& r) {
    FrameBytes frame;
    if (!TakeFrame(p, r, frame)) return false;
    std::copy(frame.begin(), frame.end(), p.szReadBuf.begin());
    GetRxBuf(p, PNUM);
    p.rx_flag = 1;
    return true;
}

bool AwaitAnswer(Program& p, const SentRequest& r) {
    return Await(p, r, [&] { return TakeAnswer(p, r); });
}

ExchangeOutcome WriteOutcome(int written) {
    if (written == platform::kComNotOpen) return ExchangeOutcome::NotOpen;
    if (written == platform::kComIoError) return ExchangeOutcome::PortLost;
    return ExchangeOutcome::ShortWrite;
}

ExchangeOutcome AwaitOutcome(Program& p, const SentRequest& r) {
    if (AwaitAnswer(p, r)) return ExchangeOutcome::Answered;
    // A port that went away during the wait is closed by the serial layer.
    if (p.rs.GetInQLen(p.com) == platform::kComNotOpen) return ExchangeOutcome::PortLost;
    return ExchangeOutcome::TimedOut;
}

bool ReadRecordOnly(Program& p, int code, std::array<u16, PNUM>& words) {
    const SentRequest request = WriteRequest(p, code);
    FrameBytes frame;
    if (p.nBytesW != FRAME_BYTES ||
        !Await(p, request, [&] { return TakeFrame(p, request, frame); }))
        return false;
    words = FrameWords(frame.data());
    return true;
}

int CheckComLine(Program& p, int /*port*/) {
    int result = 0;
    CopyVarsToPP(p);
    const SentRequest r = WriteRequest(p, LINE_CHECK);
    FrameBytes frame;
    bool answered = false;
    // Kept: the line check takes any frame, so that a wrong sync word is reported as such.
    for (;;) {
        p.rt.ProcessSystemEvents();
        p.tdiff = p.rt.Timer() - r.sentAt;
        answered = p.router.TakeAny(r.earliest, frame);
        if (answered || p.tdiff > TIMEOUT) break;
    }
    if (!answered) {
        p.szStatus = "Timeout-RS-232...";
    } else if (WordAt(frame.data(), 0) == ANSWER_SYNC) {
        std::copy(frame.begin(), frame.end(), p.szReadBuf.begin());
        p.szStatus = "Echo Check - Line Ok!";
        result = 1;
    } else {
        p.szStatus = "read error - not sync byte 0xAA!";
    }
    ShowStatus(p);
    return result;
}

namespace {

// The 72 bytes take 37.5 ms on the wire: a poll every millisecond adds no noticeable delay and
// keeps a wait on a silent or dead line from spinning a core for the whole 2.0 s.
constexpr double kVersionPollPause = 0.001;

// Polls the input queue without processing events until 72 bytes wait or 2.0 s have passed.
int AwaitVersionBytes(Program& p) {
    p.tstart = p.rt.Timer();
    for (;;) {
        const int count = p.rs.GetInQLen(p.com);
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.tdiff > VERSION_TIMEOUT) {
            p.szStatus = "Timeout - reading firmware info!";
            return count;
        }
        if (count >= VERSION_BYTES) return count;
        p.rt.Delay(kVersionPollPause);
    }
}

}  // namespace

int GetVERSIONInfo(Program& p) {
    // Kept: the text is read without processing events, so nothing else can use the line
    // meanwhile; the callback is out of the way and earlier input is dropped.
    RemoveRxCallback(p);
    p.rs.FlushInQ(p.com);
    WriteRequest(p, GET_VERSION);
    ShowText(p, "Waiting for firmware info ...");

    const int count = AwaitVersionBytes(p);
    p.szVersion.clear();
    const int toRead = std::clamp(count, 0, static_cast<int>(p.szReadBuf.size()));
    p.nBytesR = toRead > 0 ? p.rs.ComRd(p.com, p.szReadBuf.data(), toRead) : 0;
    if (p.nBytesR == VERSION_BYTES) {
        const std::string text = DecodeVersionText(p.szReadBuf.data(), VERSION_BYTES, p.pcbtype);
        // Kept: only a board-0 sensor's text is kept as its firmware text (the recordings' and
        // the exports' "firmware" line); other boards show theirs in the status line alone.
        if (p.pcbtype == 0) p.szVersion = text;
        p.szStatus = text;
    }

    p.rs.FlushInQ(p.com);
    InstallRxCallback(p);
    p.rx_flag = 0;
    ShowStatus(p);
    return count;
}
