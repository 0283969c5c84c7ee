// The receive path's frame reader fed byte chunks from tables: each exchange gets its own answer
// only, however the bytes are split, and nothing meant for one waiting exchange is lost.
#include <gtest/gtest.h>

#include <vector>

#include "com232_codec.h"
#include "com232_router.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes Answer(int echo, u16 firstWord, int sync = ANSWER_SYNC) {
    Bytes b(FRAME_BYTES, 0);
    b[0] = static_cast<unsigned char>(sync >> 8), b[1] = static_cast<unsigned char>(sync);
    b[3] = static_cast<unsigned char>(echo);
    b[4] = static_cast<unsigned char>(firstWord >> 8), b[5] = static_cast<unsigned char>(firstWord);
    return b;
}

Bytes Join(std::initializer_list<Bytes> parts) {
    Bytes all;
    for (const Bytes& p : parts)
        all.insert(all.end(), p.begin(), p.end());
    return all;
}

// Feeds `bytes` in chunks of `chunk` bytes, one millisecond apart, from t = 1 s.
void FeedChunks(AnswerRouter& r, const Bytes& bytes, std::size_t chunk, double t = 1.0) {
    for (std::size_t at = 0; at < bytes.size(); at += chunk, t += 0.001)
        r.Feed(bytes.data() + at, static_cast<int>(std::min(chunk, bytes.size() - at)), t);
}

// A request for `code` written at `sentAt`: its ticket.
long Write(AnswerRouter& r, int code, double sentAt = 0.5) {
    return r.Mark(code, sentAt, TIMEOUT, code == LINE_CHECK, true);
}

u16 TakenWord(AnswerRouter& r, long ticket) {
    FrameBytes f{};
    return r.Take(ticket, f) ? WordAt(f.data(), 4) : 0xDEAD;
}

struct Split {
    std::size_t chunk;
};
class RouterChunks : public ::testing::TestWithParam<Split> {};

TEST_P(RouterChunks, EachExchangeTakesOnlyItsOwnAnswer) {
    AnswerRouter r;
    const long run = Write(r, RUN), get = Write(r, GET_RAM), teach = Write(r, TEACH);
    // A RUN answer and a Get answer, back to back behind stray bytes (a nested Get during Run).
    FeedChunks(r, Join({{0x13, 0x37, 0x7E}, Answer(RUN, 111), Answer(GET_RAM, 222)}),
               GetParam().chunk);
    EXPECT_EQ(TakenWord(r, teach), 0xDEAD);  // nothing for an exchange that got no answer
    EXPECT_EQ(TakenWord(r, get), 222);
    EXPECT_EQ(TakenWord(r, run), 111);
    EXPECT_EQ(TakenWord(r, run), 0xDEAD);  // an answer is taken once
}

TEST_P(RouterChunks, BlockGoesToTheReaderAndAFrameBehindItToItsExchange) {
    AnswerRouter r;
    r.ExpectBlock(BLOCK64_BYTES);
    const long get = Write(r, GET_RAM);
    Bytes block(BLOCK64_BYTES, 0x03);
    FeedChunks(r, Join({block, Answer(GET_RAM, 7)}), GetParam().chunk);
    ASSERT_EQ(r.BlockBytes(), BLOCK64_BYTES);
    EXPECT_EQ(WordAt(r.Block(), 126), 0x0303);
    EXPECT_EQ(TakenWord(r, get), 7);
}

INSTANTIATE_TEST_SUITE_P(Chunks, RouterChunks,
                         ::testing::Values(Split{1}, Split{7}, Split{36}, Split{500}));

// Two waits with the same code: first in, first served, whatever the clock says; a frame that
// began before a request was written is never its answer.
TEST(Router, SameCodeFirstInFirstOutAndOrderBeatsTheClock) {
    AnswerRouter r;
    const long first = Write(r, SEND_RAM, 1.0), second = Write(r, SEND_RAM, 1.0);
    FeedChunks(r, Join({Answer(SEND_RAM, 1), Answer(SEND_RAM, 2)}), 72, 1.0);
    EXPECT_EQ(TakenWord(r, second), 2);
    EXPECT_EQ(TakenWord(r, first), 1);

    const long measured = Write(r, RUN, 1.5);
    FeedChunks(r, Answer(RUN, 3), 36, 1.55);
    EXPECT_EQ(TakenWord(r, measured), 3);
    const Bytes repeat = Answer(RUN, 3);
    r.Feed(repeat.data(), 10, 2.0);  // its repeat under way when the next request leaves
    const long run = Write(r, RUN, 2.0);
    r.Feed(repeat.data() + 10, FRAME_BYTES - 10, 2.0);
    EXPECT_EQ(TakenWord(r, run), 0xDEAD);
    EXPECT_EQ(r.RepeatedAnswers(), 1);
    EXPECT_TRUE(r.Serialised());
}

// An answer after its request's time-out is late, not a repeat; the next request of its code is
// in step again.
TEST(Router, LateAnswerIsDroppedAsLateAndTheNextTakesItsOwn) {
    AnswerRouter r;
    const long lost = Write(r, RUN, 1.0);
    FeedChunks(r, Answer(RUN, 4), 36, 1.0 + TIMEOUT + 0.1);
    const long next = Write(r, RUN, 3.0);
    FeedChunks(r, Answer(RUN, 5), 36, 3.04);
    EXPECT_EQ(TakenWord(r, lost), 0xDEAD);
    EXPECT_EQ(TakenWord(r, next), 5);
    EXPECT_EQ(r.LateAnswers(), 1);
    EXPECT_EQ(r.RepeatedAnswers(), 0);
    EXPECT_FALSE(r.Serialised());
}

TEST(Router, PartialFrameCutShortIsDroppedAfterASilenceSeen) {
    AnswerRouter r;
    const long get = Write(r, GET_RAM);
    const Bytes first = Answer(GET_RAM, 1);
    r.Feed(first.data(), 30, 1.0);  // a short frame, then a silence
    r.Quiet(1.0 + 2 * AnswerRouter::kFrameGap);
    FeedChunks(r, Answer(GET_RAM, 9), 36, 1.0 + 3 * AnswerRouter::kFrameGap);
    EXPECT_EQ(TakenWord(r, get), 9);
}

TEST(Router, LineCheckTakesAFrameWhateverItsHeader) {
    AnswerRouter r;
    const long check = Write(r, LINE_CHECK), get = Write(r, GET_RAM);
    FeedChunks(r, Join({Answer(LINE_CHECK, 4, 0xAA00), Answer(GET_RAM, 4, 0xAA00)}), 36);
    FrameBytes f{};
    ASSERT_TRUE(r.Take(check, f));
    EXPECT_EQ(WordAt(f.data(), 0), 0xAA00);
    EXPECT_EQ(TakenWord(r, get), 0xDEAD);  // without the sync word it answers nothing else
}

}  // namespace
