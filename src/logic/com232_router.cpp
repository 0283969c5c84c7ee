// The receive path's frame reader.
#include "com232_router.h"

#include <algorithm>
#include <cstring>

#include "com232_codec.h"

void AnswerRouter::Feed(const unsigned char* bytes, int count, double now) {
    if (count <= 0) return;
    lastArrival_ = now;
    for (int i = 0; i < count; ++i)
        TakeByte(bytes[i], now);
}

void AnswerRouter::Quiet(double now) {
    if (partialCount_ > 0 && now - lastArrival_ > kFrameGap) partialCount_ = 0;
}

void AnswerRouter::TakeByte(unsigned char byte, double now) {
    if (blockCount_ < blockExpected_ && partialCount_ == 0) {
        block_[blockCount_++] = byte;
        if (blockCount_ == 4 && WordAt(block_.data(), 0) == ANSWER_SYNC &&
            WordAt(block_.data(), 2) == RUN) {
            std::copy_n(block_.begin(), 4, partial_.begin());
            partialCount_ = 4;
            blockCount_ = 0;
        }
        return;
    }
    partial_[partialCount_++] = byte;
    if (partialCount_ == FRAME_BYTES) CompleteFrame(now);
}

// A frame pushed out of step by stray bytes holds the sync word further on: the strays are dropped
// and the frame completed from the bytes that follow. Without a sync word it is filed as it is,
// for the line check to report.
void AnswerRouter::CompleteFrame(double now) {
    if (WordAt(partial_.data(), 0) != ANSWER_SYNC) {
        for (int shift = 1; shift < FRAME_BYTES - 1; ++shift) {
            if (WordAt(partial_.data(), shift) != ANSWER_SYNC) continue;
            std::memmove(partial_.data(), partial_.data() + shift, FRAME_BYTES - shift);
            partialCount_ = FRAME_BYTES - shift;
            return;
        }
    }
    const int echo = WordAt(partial_.data(), 2);
    const bool synced = WordAt(partial_.data(), 0) == ANSWER_SYNC;
    const int index = synced && echo > 0 && echo < kSlots ? echo : kOtherSlot;
    slots_[index] = Slot{partial_, now, true};
    newest_ = now;
    newestSlot_ = index;
    partialCount_ = 0;
}

TakeResult AnswerRouter::Take(int code, double sentAt, double earliest, FrameBytes& out) {
    if (code <= 0 || code >= kSlots) return TakeResult::None;
    Slot& slot = slots_[code];
    if (!slot.full) return TakeResult::None;
    slot.full = false;
    if (slot.completed < sentAt) return TakeResult::None;
    if (slot.completed < earliest) {
        ++repeated_;
        return TakeResult::TooSoon;
    }
    out = slot.frame;
    return TakeResult::Taken;
}

bool AnswerRouter::TakeAny(double earliest, FrameBytes& out) {
    if (newestSlot_ < 0 || newest_ < earliest || !slots_[newestSlot_].full) return false;
    Slot& slot = slots_[newestSlot_];
    slot.full = false;
    out = slot.frame;
    return true;
}

bool AnswerRouter::PartialLooksLikeAnswer() const {
    if (partialCount_ == 0 || partial_[0] != 0x00) return false;
    return partialCount_ < 2 || WordAt(partial_.data(), 0) == ANSWER_SYNC;
}

void AnswerRouter::ExpectBlock(int count) {
    if (!PartialLooksLikeAnswer()) partialCount_ = 0;
    blockExpected_ = std::clamp(count, 0, kMaxBlock);
    blockCount_ = 0;
}

void AnswerRouter::EndBlock() {
    blockExpected_ = 0;
    blockCount_ = 0;
}

void AnswerRouter::Clear() {
    slots_ = {};
    partialCount_ = 0;
    newestSlot_ = -1;
    EndBlock();
}
