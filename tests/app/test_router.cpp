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

u16 TakenWord(AnswerRouter& r, int code, double sentAt = 0.5) {
    FrameBytes f{};
    return r.Take(code, sentAt, sentAt, f) == TakeResult::Taken ? WordAt(f.data(), 4) : 0xDEAD;
}

struct Split {
    std::size_t chunk;
};
class RouterChunks : public ::testing::TestWithParam<Split> {};

TEST_P(RouterChunks, EachExchangeTakesOnlyItsOwnAnswer) {
    AnswerRouter r;
    // A RUN answer and a Get answer, back to back behind stray bytes (a nested Get during Run).
    FeedChunks(r, Join({{0x13, 0x37, 0x7E}, Answer(RUN, 111), Answer(GET_RAM, 222)}),
               GetParam().chunk);
    EXPECT_EQ(TakenWord(r, TEACH), 0xDEAD);  // nothing for an exchange that got no answer
    EXPECT_EQ(TakenWord(r, GET_RAM), 222);
    EXPECT_EQ(TakenWord(r, RUN), 111);
    EXPECT_EQ(TakenWord(r, RUN), 0xDEAD);  // an answer is taken once
}

TEST_P(RouterChunks, BlockGoesToTheReaderAndAFrameBehindItToItsExchange) {
    AnswerRouter r;
    r.ExpectBlock(BLOCK64_BYTES);
    Bytes block(BLOCK64_BYTES, 0x03);
    FeedChunks(r, Join({block, Answer(GET_RAM, 7)}), GetParam().chunk);
    ASSERT_EQ(r.BlockBytes(), BLOCK64_BYTES);
    EXPECT_EQ(WordAt(r.Block(), 126), 0x0303);
    EXPECT_EQ(TakenWord(r, GET_RAM), 7);
}

TEST_P(RouterChunks, RepeatedMeasurementAnswerIsNoLineImage) {
    AnswerRouter r;
    r.ExpectBlock(BLOCK64_BYTES);
    Bytes block(BLOCK64_BYTES, 0x01);
    FeedChunks(r, Join({Answer(RUN, 5), block}), GetParam().chunk);
    EXPECT_EQ(r.BlockBytes(), BLOCK64_BYTES);
    EXPECT_EQ(r.Block()[0], 0x01);
}

INSTANTIATE_TEST_SUITE_P(Chunks, RouterChunks,
                         ::testing::Values(Split{1}, Split{7}, Split{36}, Split{500}));

TEST(Router, AnswerSoonerThanTheLineAllowsIsARepeat) {
    AnswerRouter r;
    FeedChunks(r, Answer(RUN, 1), 36, 1.010);
    FrameBytes f{};
    // Sent at 1.0 s: an answer cannot be complete before 1.0375 s at 19200 baud.
    EXPECT_EQ(r.Take(RUN, 1.0, 1.0375, f), TakeResult::TooSoon);
    EXPECT_EQ(r.RepeatedAnswers(), 1);
    FeedChunks(r, Answer(RUN, 2), 36, 1.050);
    EXPECT_EQ(r.Take(RUN, 1.0, 1.0375, f), TakeResult::Taken);
    // A frame completed before the request answers an earlier one: passed over, not a repeat.
    FeedChunks(r, Answer(RUN, 3), 36, 1.060);
    EXPECT_EQ(r.Take(RUN, 1.070, 1.1075, f), TakeResult::None);
    EXPECT_EQ(r.RepeatedAnswers(), 1);
}

TEST(Router, PartialFrameCutShortIsDroppedAfterASilenceSeen) {
    AnswerRouter r;
    const Bytes first = Answer(GET_RAM, 1);
    r.Feed(first.data(), 30, 1.0);  // a short frame, then a silence
    r.Quiet(1.0 + 2 * AnswerRouter::kFrameGap);
    FeedChunks(r, Answer(GET_RAM, 9), 36, 1.0 + 3 * AnswerRouter::kFrameGap);
    EXPECT_EQ(TakenWord(r, GET_RAM), 9);
}

TEST(Router, LineCheckTakesAFrameWhateverItsHeader) {
    AnswerRouter r;
    FeedChunks(r, Answer(LINE_CHECK, 4, 0xAA00), 36);
    FrameBytes f{};
    ASSERT_TRUE(r.TakeAny(0.5, f));
    EXPECT_EQ(WordAt(f.data(), 0), 0xAA00);
    EXPECT_EQ(TakenWord(r, LINE_CHECK), 0xDEAD);  // without the sync word it answers nothing
}

}  // namespace
