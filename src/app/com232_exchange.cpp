// The request writer, the answer waits and the exchanges built on them: line check and firmware
// text.
#include <algorithm>

#include "com232.h"

namespace {

// A quiet line shows within a few measured quiet spans; a line that never falls quiet (a flood,
// a long block) holds a write back no longer than this. Events are not processed meanwhile.
constexpr double kQuietWaitLimit = 0.5;
constexpr double kQuietPoll = 0.0005;

// Waits until the line has been quiet for the router's measured span and, on a port that repeats
// answers, no request waits for its answer. True when the line was found quiet.
bool AwaitQuietLine(Program& p) {
    const double start = p.rt.Timer();
    for (;;) {
        PumpReceived(p);
        const double now = p.rt.Timer();
        const bool idle = !p.router.Serialised() || !p.router.Outstanding(now);
        if (idle && p.router.QuietAt(now)) return true;
        if (now - start > kQuietWaitLimit) return false;
        p.rt.Delay(kQuietPoll);
    }
}

}  // namespace

SentRequest WriteRequest(Program& p, int code, int blockBytes, u16 word0, u16 word1) {
    p.order = code;
    if (blockBytes > 0)
        FillBlockRequest(p, static_cast<unsigned>(p.order), word0, word1);
    else
        FillTxBuf(p, static_cast<unsigned>(p.order), p.pp.data());
    PumpReceived(p);
    // A block has no header: whatever still arrives would be read as its first bytes.
    if (blockBytes > 0 || p.router.WantsQuiet(p.rt.Timer())) AwaitQuietLine(p);
    p.rx_flag = 0;
    p.tstart = p.rt.Timer();
    const bool quiet = p.router.QuietAt(p.tstart) && !p.router.Outstanding(p.tstart);
    SentRequest r{code, 0, p.tstart, p.router.RepeatedAnswers(), p.router.LateAnswers()};
    if (blockBytes > 0)
        p.router.ExpectBlock(blockBytes);
    else if (code != GET_VERSION)  // the firmware text is read around the router
        r.ticket = p.router.Mark(code, p.tstart, TIMEOUT, code == LINE_CHECK, quiet);
    p.nBytesW = p.rs.ComWrt(p.com, p.szWriteBuf.data(), FRAME_BYTES);
    return r;
}

void ProbeLoopForRepeats(Program& p) {
    p.router.ProbeAfter(1);
}

namespace {

// The answer to `r` if it has come, copied to `frame`; nothing else changes.
bool TakeFrame(Program& p, const SentRequest& r, FrameBytes& frame) {
    // A frame under way is looked after here too: only a look that finds the line quiet can tell
    // that it was cut short (the receive callback runs on arrivals only).
    if (p.router.FramePending()) PumpReceived(p);
    return p.router.Take(r.ticket, frame);
}

// Why `r` has no answer (yet).
AnswerWait Unanswered(Program& p, const SentRequest& r) {
    if (p.rt.Timer() - r.sentAt <= TIMEOUT) return AnswerWait::Pending;
    if (p.router.RepeatedAnswers() > r.repeatsAt) return AnswerWait::RepeatDropped;
    if (p.router.LateAnswers() > r.lateAt) return AnswerWait::LateDropped;
    return AnswerWait::TimedOut;
}

// Processes events until `take` succeeds or more than TIMEOUT has passed since the request.
template <class Take>
AnswerWait Await(Program& p, const SentRequest& r, Take take) {
    for (;;) {
        p.rt.ProcessSystemEvents();
        const bool timedOut = p.rt.Timer() - r.sentAt > TIMEOUT;
        if (take()) return AnswerWait::Answered;
        if (timedOut) return Unanswered(p, r);
    }
}

}  // namespace

AnswerWait PollAnswer(Program& p, const SentRequest& r) {
    FrameBytes frame;
    if (!TakeFrame(p, r, frame)) return Unanswered(p, r);
    std::copy(frame.begin(), frame.end(), p.szReadBuf.begin());
    GetRxBuf(p, PNUM);
    p.rx_flag = 1;
    return AnswerWait::Answered;
}

bool TakeAnswer(Program& p, const SentRequest& r) {
    return PollAnswer(p, r) == AnswerWait::Answered;
}

AnswerWait AwaitAnswerWait(Program& p, const SentRequest& r) {
    return Await(p, r, [&] { return TakeAnswer(p, r); });
}

bool AwaitAnswer(Program& p, const SentRequest& r) {
    return AwaitAnswerWait(p, r) == AnswerWait::Answered;
}

ExchangeOutcome WriteOutcome(int written) {
    if (written == platform::kComNotOpen) return ExchangeOutcome::NotOpen;
    if (written == platform::kComIoError) return ExchangeOutcome::PortLost;
    return ExchangeOutcome::ShortWrite;
}

ExchangeOutcome AwaitOutcome(Program& p, const SentRequest& r) {
    const AnswerWait wait = AwaitAnswerWait(p, r);
    if (wait == AnswerWait::Answered) return ExchangeOutcome::Answered;
    // A port that went away during the wait is closed by the serial layer.
    if (p.rs.GetInQLen(p.com) == platform::kComNotOpen) return ExchangeOutcome::PortLost;
    return wait == AnswerWait::RepeatDropped ? ExchangeOutcome::RepeatDropped
                                             : ExchangeOutcome::TimedOut;
}

bool ReadRecordOnly(Program& p, int code, std::array<u16, PNUM>& words) {
    // The request carries what Get's carries; pp itself stays as it is.
    const std::array<u16, PNUM> kept = p.pp;
    CopyVarsToPP(p);
    const SentRequest request = WriteRequest(p, code);
    p.pp = kept;
    FrameBytes frame;
    if (p.nBytesW != FRAME_BYTES ||
        Await(p, request, [&] { return TakeFrame(p, request, frame); }) != AnswerWait::Answered)
        return false;
    words = FrameWords(frame.data());
    return true;
}

int CheckComLine(Program& p, int /*port*/) {
    int result = 0;
    CopyVarsToPP(p);
    const SentRequest r = WriteRequest(p, LINE_CHECK);
    FrameBytes frame;
    // Kept: the line check takes any frame, so that a wrong sync word is reported as such.
    const bool answered = Await(p, r, [&] {
                              p.tdiff = p.rt.Timer() - r.sentAt;
                              return TakeFrame(p, r, frame);
                          }) == AnswerWait::Answered;
    if (!answered) {
        p.szStatus = "Timeout-RS-232...";
    } else if (WordAt(frame.data(), 0) == ANSWER_SYNC) {
        // The answer echoes the request's words into pp: the hardware request carries them.
        std::copy(frame.begin(), frame.end(), p.szReadBuf.begin());
        GetRxBuf(p, PNUM);
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
