// The receive path's frame reader.
#include "com232_router.h"

#include <algorithm>
#include <cstring>

#include "com232_codec.h"

namespace {

// A quiet span is twice the longest gap inside a frame, as most recent frames show it: a repeat
// sent back to back with its original, even one held over to the adapter's next packet, shows
// up within it, and a program held up now and then does not stretch it.
constexpr double kQuietMin = 0.003;
constexpr double kQuietMax = 0.1;
// Requests remembered at most; a wait abandoned without a time-out is forgotten this long after
// its deadline.
constexpr std::size_t kMaxRequests = 32;
constexpr double kForgetAfter = 5.0;

}  // namespace

void AnswerRouter::Feed(const unsigned char* bytes, int count, double now) {
    if (count <= 0) return;
    if (partialCount_ > 0) frameGap_ = std::max(frameGap_, now - lastArrival_);
    lastArrival_ = now;
    for (int i = 0; i < count; ++i) {
        TakeByte(bytes[i], now);
        ++received_;
    }
}

void AnswerRouter::Quiet(double now) {
    if (partialCount_ > 0 && now - lastArrival_ > kFrameGap) partialCount_ = 0;
}

void AnswerRouter::TakeByte(unsigned char byte, double now) {
    if (blockCount_ < blockExpected_ && partialCount_ == 0) {
        if (InLateBlock())
            NoteLateBlock();
        else
            block_[blockCount_++] = byte;
        return;
    }
    if (partialCount_ == 0) {
        partialMark_ = received_;
        partialStart_ = now;
        frameGap_ = 0;
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
            partialMark_ += shift;
            return;
        }
    }
    partialCount_ = 0;
    NoteGap(frameGap_);
    File(partial_, partialMark_, partialStart_, now);
}

void AnswerRouter::File(const FrameBytes& frame, long long start, double startTime, double now) {
    Expire(now);
    const bool synced = WordAt(frame.data(), 0) == ANSWER_SYNC;
    const int code = WordAt(frame.data(), 2);
    Request* live = Oldest(Wait::Waiting, code, synced, start);
    Request* late = Oldest(Wait::TimedOut, code, synced, start);
    // Both could be its request: the late answer comes first, unless the frame began too late
    // after the newer request's write to be anything but its answer.
    const bool tooSoonForLive =
        live && startTime - live->sentAt < 0.5 * std::max(shortestAnswer_, 0.0);
    const bool slot = synced && code > 0 && code < kSlots;
    // The last frame of its code again, begun too soon after the write to answer it: a repeat that
    // was delayed past a quiet look at the line (a busy sender, a loaded machine). Only where the
    // line itself takes time to answer: on a line without pacing the answer times are scheduling
    // noise, and an equal answer (the same record, a still scene) must not be taken for a repeat.
    const bool repeat =
        tooSoonForLive && slot && shortestAnswer_ >= kQuietMin && lastFrame_[code] == frame;
    if (late && (!live || tooSoonForLive)) {
        requests_.erase(requests_.begin() + (late - requests_.data()));
        ++late_;
    } else if (live && !repeat) {
        Answer(*live, frame, startTime);
        // A later request answered: a block that timed out before it is not coming here.
        lateBlockEnd_ = std::min(lateBlockEnd_, start);
    } else if (start < lateBlockEnd_) {
        NoteLateBlock();
    } else if (slot) {
        Orphan(code);
    }
    if (slot) {
        lastFrame_[code] = frame;
        lastFrameEnd_[code] = now;
    }
}

void AnswerRouter::Answer(Request& request, const FrameBytes& frame, double startTime) {
    const int code = WordAt(frame.data(), 2);
    // The same frame again, right behind the last one of its code: maybe a repeat taken for an
    // answer (a sensor that began repeating). The next write looks first.
    if (code > 0 && code < kSlots && lastFrame_[code] == frame &&
        startTime - lastFrameEnd_[code] <= QuietSpan())
        probeIn_ = 0;
    if (request.quietLine && startTime >= request.sentAt)
        shortestAnswer_ = shortestAnswer_ < 0
                              ? startTime - request.sentAt
                              : std::min(shortestAnswer_, startTime - request.sentAt);
    request.frame = frame;
    request.wait = Wait::Answered;
    if (code > 0 && code < kSlots) answered_[static_cast<std::size_t>(code)] = true;
    // The sensor answers in order: requests written before this one that timed out never will.
    const long long mark = request.mark;
    std::erase_if(requests_,
                  [&](const Request& r) { return r.wait == Wait::TimedOut && r.mark < mark; });
}

// A frame that no request can take, of a code that was answered before: the sensor sent an
// answer twice. One of a code never answered here (a wrong echo) is dropped without a word.
void AnswerRouter::Orphan(int code) {
    if (!answered_[static_cast<std::size_t>(code)]) return;
    ++repeated_;
    repeatsSeen_ = true;
}

void AnswerRouter::Expire(double now) {
    for (Request& r : requests_) {
        if (r.wait != Wait::Waiting || now <= r.deadline) continue;
        r.wait = Wait::TimedOut;
        probeIn_ = 0;  // after a time-out, the next write looks at the line first
    }
    std::erase_if(requests_, [&](const Request& r) {
        return r.wait == Wait::Answered && now > r.deadline + kForgetAfter;
    });
    if (requests_.size() > kMaxRequests)
        requests_.erase(requests_.begin(),
                        requests_.begin() + static_cast<long>(requests_.size() - kMaxRequests));
}

AnswerRouter::Request* AnswerRouter::Oldest(Wait wait, int code, bool synced, long long start) {
    for (Request& r : requests_)
        if (r.wait == wait && r.mark <= start && (r.anyHeader || (synced && r.code == code)))
            return &r;
    return nullptr;
}

long AnswerRouter::Mark(int code, double now, double timeout, bool anyHeader, bool quietLine) {
    Expire(now);
    if (!PartialLooksLikeAnswer()) partialCount_ = 0;
    if (probeIn_ >= 0) --probeIn_;
    Request r;
    r.ticket = nextTicket_++;
    r.code = code;
    r.mark = received_;
    r.sentAt = now;
    r.deadline = now + timeout;
    r.anyHeader = anyHeader;
    r.quietLine = quietLine;
    requests_.push_back(r);
    Expire(now);
    return r.ticket;
}

bool AnswerRouter::Take(long ticket, FrameBytes& out) {
    for (auto it = requests_.begin(); it != requests_.end(); ++it) {
        if (it->ticket != ticket) continue;
        if (it->wait != Wait::Answered) return false;
        out = it->frame;
        requests_.erase(it);
        return true;
    }
    return false;
}

bool AnswerRouter::WantsQuiet(double now) {
    Expire(now);
    return repeatsSeen_ || probeIn_ == 0;
}

bool AnswerRouter::QuietAt(double now) const {
    const bool blockUnderWay = blockCount_ > 0 && blockCount_ < blockExpected_;
    return partialCount_ == 0 && !blockUnderWay && now - lastArrival_ >= QuietSpan();
}

bool AnswerRouter::Outstanding(double now) {
    Expire(now);
    return std::any_of(requests_.begin(), requests_.end(),
                       [](const Request& r) { return r.wait == Wait::Waiting; });
}

double AnswerRouter::QuietSpan() const {
    std::array<double, kGapFrames> gaps = gaps_;
    std::nth_element(gaps.begin(), gaps.begin() + kGapFrames / 2, gaps.end());
    return std::clamp(2 * gaps[kGapFrames / 2], kQuietMin, kQuietMax);
}

void AnswerRouter::NoteGap(double gap) {
    gaps_[static_cast<std::size_t>(gapIndex_)] = gap;
    gapIndex_ = (gapIndex_ + 1) % kGapFrames;
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
    if (blockCount_ < blockExpected_) {
        lateBlockEnd_ = received_ + (blockExpected_ - blockCount_);
        lateBlockCounted_ = false;
        lateBlockWhole_ = blockCount_ == 0;
    }
    blockExpected_ = 0;
    blockCount_ = 0;
}

// Nothing of a block that timed out came, and the sensor answers in order: if it comes, it comes
// before the answer to any later request, so the next block read skips it. A block that came
// short is not completed later; its missing bytes are not skipped.
bool AnswerRouter::InLateBlock() const {
    return lateBlockWhole_ && received_ < lateBlockEnd_;
}

void AnswerRouter::NoteLateBlock() {
    if (!lateBlockCounted_) ++late_;
    lateBlockCounted_ = true;
}

void AnswerRouter::Clear() {
    requests_.clear();
    partialCount_ = 0;
    EndBlock();
    lateBlockEnd_ = 0;
    lastFrame_ = {};
    answered_ = {};
    gaps_ = {};
    shortestAnswer_ = -1;
    probeIn_ = -1;
    repeatsSeen_ = false;
}
