// The receive path's frame reader: bytes from the sensor go in, answers come out filed by the
// request code they echo. It never touches a port: the receive callback feeds it what arrived and
// when, and each waiting exchange takes only its own answer, so a frame meant for one exchange can
// neither reach another nor be lost to it.
#pragma once

#include <array>

#include "state.h"

using FrameBytes = std::array<unsigned char, FRAME_BYTES>;

enum class TakeResult {
    None,     // no answer for this request yet
    Taken,    // the answer was copied out and removed
    TooSoon,  // a frame with this echo came sooner than an answer can cross the line: dropped
};

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

    // The answer to a request with `code` written at `sentAt`: a frame that begins with the answer
    // sync word and echoes `code`. Frames that completed before `sentAt` belong to earlier
    // requests and are passed over; one that completed after `sentAt` but before `earliest` (the
    // soonest an answer can cross the line) is a repeated answer: dropped and counted.
    TakeResult Take(int code, double sentAt, double earliest, FrameBytes& out);
    // The line check's answer: the newest frame completed since `earliest`, whatever its header.
    bool TakeAny(double earliest, FrameBytes& out);

    // Raw block mode: the next `count` bytes (at most kMaxBlock) are a raw block, not frames. A
    // partial frame that begins like an answer is completed first; a block that begins with the
    // answer sync word and the measurement echo is a late measurement answer, filed as a frame.
    void ExpectBlock(int count);
    int BlockBytes() const { return blockCount_; }
    const unsigned char* Block() const { return block_.data(); }
    // Back to frames; block bytes that come later are read as frames (and find no taker).
    void EndBlock();

    // Drops every partial and filed frame (another port, another sensor).
    void Clear();
    bool FramePending() const { return partialCount_ > 0; }
    double LastArrival() const { return lastArrival_; }
    long RepeatedAnswers() const { return repeated_; }

  private:
    struct Slot {
        FrameBytes frame{};
        double completed = 0;
        bool full = false;
    };
    static constexpr int kOtherSlot = 0;  // frames without the sync word or with an unknown echo
    static constexpr int kSlots = 12;     // echo codes 1..11

    void TakeByte(unsigned char byte, double now);
    void CompleteFrame(double now);
    bool PartialLooksLikeAnswer() const;

    std::array<Slot, kSlots> slots_{};
    FrameBytes partial_{};
    int partialCount_ = 0;
    double lastArrival_ = -1e9;
    double newest_ = -1e9;
    int newestSlot_ = -1;
    std::array<unsigned char, kMaxBlock> block_{};
    int blockExpected_ = 0;
    int blockCount_ = 0;
    long repeated_ = 0;
};
