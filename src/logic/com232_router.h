// The receive path's frame reader: bytes from the sensor go in, answers come out to the request
// that asked for them. It never touches a port: the receive callback feeds it what arrived and
// when, and every write marks its place in the byte stream.
//
// Order, not a clock, decides whose a frame is. A frame can only answer a request written before
// its first byte arrived; frames go first-in-first-out, per code, to the oldest such request still
// waiting (the sensor answers in order, nested waits unwind innermost first). A frame that finds
// no request is either late (its request timed out) or a repeat. Durations the design needs are
// measured on this line: the longest gap inside one frame, and the shortest time from a request
// written on a quiet line to the first byte of its answer.
#pragma once

#include <array>
#include <vector>

#include "state.h"

using FrameBytes = std::array<unsigned char, FRAME_BYTES>;

class AnswerRouter {
  public:
    // The bytes of one frame follow each other closely (a USB adapter holds them a few ms at
    // most, a busy sender a little longer): a line seen quiet this long after a partial frame has
    // cut that frame short.
    static constexpr double kFrameGap = 0.25;
    static constexpr int kMaxBlock = 512;

    // Takes `count` received bytes that arrived at `now` (seconds).
    void Feed(const unsigned char* bytes, int count, double now);
    // Nothing was waiting at `now`. Only a silence seen this way cuts a partial frame short: a
    // program held up for a while finds the rest of the frame waiting, not a silence.
    void Quiet(double now);

    // A request with `code` is written at `now`, after everything received before it was fed.
    // A partial frame that does not begin like an answer is dropped here (stray bytes). The line
    // check (`anyHeader`) takes any frame, whatever its header. `quietLine`: nothing was on its
    // way, so its answer's delay is a true measure of the line. Returns the request's ticket.
    long Mark(int code, double now, double timeout, bool anyHeader, bool quietLine);
    // The answer to the request with `ticket`, once: copied out and forgotten.
    bool Take(long ticket, FrameBytes& out);

    // Raw block mode: the next `count` bytes (at most kMaxBlock) are a raw block, not frames. A
    // partial frame that begins like an answer is completed first.
    void ExpectBlock(int count);
    int BlockBytes() const { return blockCount_; }
    const unsigned char* Block() const { return block_.data(); }
    // Back to frames. A block that came short or not at all may still come: frames that find no
    // request among its bytes are late, not repeats. One that did not come at all is skipped by
    // the next block read, should it come then.
    void EndBlock();

    // Waits for a quiet line the caller should make before its next write: a probe for repeats
    // (armed by ProbeAfter or by a time-out), or every write once repeats were seen here.
    bool WantsQuiet(double now);
    // The write after the next `writes` writes is preceded by a wait for a quiet line.
    void ProbeAfter(int writes) { probeIn_ = writes; }
    // Nothing arrived for a measured quiet span, and no frame or block is under way.
    bool QuietAt(double now) const;
    // A request is still waiting for its answer (its time-out not yet passed).
    bool Outstanding(double now);
    // Once repeats were seen, requests go one at a time, each after a quiet line.
    bool Serialised() const { return repeatsSeen_; }
    double QuietSpan() const;

    // Drops every partial frame, request and measure (another port, another sensor).
    void Clear();
    bool FramePending() const { return partialCount_ > 0; }
    double LastArrival() const { return lastArrival_; }
    long RepeatedAnswers() const { return repeated_; }
    long LateAnswers() const { return late_; }

  private:
    enum class Wait { Waiting, Answered, TimedOut };
    struct Request {
        long ticket = 0;
        int code = 0;
        long long mark = 0;  // bytes received before it was written
        double sentAt = 0, deadline = 0;
        bool anyHeader = false, quietLine = false;
        Wait wait = Wait::Waiting;
        FrameBytes frame{};
    };
    static constexpr int kSlots = 12;     // echo codes 1..11
    static constexpr int kGapFrames = 8;  // frames whose inner gaps set the quiet span

    void TakeByte(unsigned char byte, double now);
    void CompleteFrame(double now);
    void File(const FrameBytes& frame, long long start, double startTime, double now);
    void Answer(Request& request, const FrameBytes& frame, double startTime);
    void Orphan(int code);
    void Expire(double now);
    Request* Oldest(Wait wait, int code, bool synced, long long start);
    bool PartialLooksLikeAnswer() const;
    bool InLateBlock() const;
    void NoteLateBlock();
    void NoteGap(double gap);

    std::vector<Request> requests_;
    long nextTicket_ = 1;
    long long received_ = 0;
    FrameBytes partial_{};
    int partialCount_ = 0;
    long long partialMark_ = 0;  // stream position of its first byte
    double partialStart_ = 0;
    double lastArrival_ = -1e9;
    std::array<unsigned char, kMaxBlock> block_{};
    int blockExpected_ = 0;
    int blockCount_ = 0;
    long long lateBlockEnd_ = 0;  // bytes of a block that timed out may come up to here
    bool lateBlockCounted_ = false;
    bool lateBlockWhole_ = false;  // nothing of that block came
    std::array<FrameBytes, kSlots> lastFrame_{};
    std::array<double, kSlots> lastFrameEnd_{};
    std::array<bool, kSlots> answered_{};  // codes that got an answer here
    std::array<double, kGapFrames> gaps_{};
    int gapIndex_ = 0;
    double frameGap_ = 0;  // longest gap inside the frame under way
    double shortestAnswer_ = -1;
    int probeIn_ = -1;
    bool repeatsSeen_ = false;
    long repeated_ = 0;
    long late_ = 0;
};
