// Frame codec and parameter record: byte layout, no sign extension, round trips.
#include <gtest/gtest.h>

#include "com232_codec.h"

namespace {

TEST(Codec, LineCheckOfZeroStateIsHeaderAndZeros) {
    State s;
    CopyVarsToPP(s);
    FillTxBuf(s, LINE_CHECK, s.pp.data());
    const unsigned char head[4] = {0x00, 0x55, 0x00, 0x05};
    for (int i = 0; i < 4; ++i)
        EXPECT_EQ(s.szWriteBuf[i], head[i]) << i;
    for (int i = 4; i < FRAME_BYTES; ++i)
        EXPECT_EQ(s.szWriteBuf[i], 0) << i;
}

TEST(Codec, WordsAreBigEndianAndUnsigned) {
    State s;
    s.pp.fill(0);
    s.pp[0] = 0x1234;
    s.pp[15] = 0xFFFF;
    FillTxBuf(s, 0x10008, s.pp.data());  // codes keep their low 16 bits
    EXPECT_EQ(s.szWriteBuf[2], 0x00);
    EXPECT_EQ(s.szWriteBuf[3], 0x08);
    EXPECT_EQ(s.szWriteBuf[4], 0x12);
    EXPECT_EQ(s.szWriteBuf[5], 0x34);
    EXPECT_EQ(s.szWriteBuf[34], 0xFF);
    EXPECT_EQ(s.szWriteBuf[35], 0xFF);

    // The answer decoder ignores the header and takes the payload as it stands.
    std::copy(s.szWriteBuf.begin(), s.szWriteBuf.begin() + FRAME_BYTES, s.szReadBuf.begin());
    s.szReadBuf[0] = 0xAA;
    s.pp.fill(7);
    GetRxBuf(s, PNUM);
    EXPECT_EQ(s.pp[0], 0x1234);
    EXPECT_EQ(s.pp[15], 0xFFFF);
    EXPECT_EQ(s.pp[1], 0);
}

TEST(Codec, BlockRequestsDifferOnlyInOffsetAndLastFlag) {
    State s;
    s.pp.fill(0xBEEF);  // never read by block requests
    FillBlockRequest(s, GET_DATA64, 0, 0);
    const auto first = s.szWriteBuf;
    FillBlockRequest(s, GET_DATA64, 192, 1);
    for (int i = 0; i < FRAME_BYTES; ++i) {
        if (i == 5 || i == 7) continue;
        EXPECT_EQ(s.szWriteBuf[i], first[i]) << i;
    }
    EXPECT_EQ(s.szWriteBuf[5], 0xC0);
    EXPECT_EQ(s.szWriteBuf[7], 1);
    EXPECT_EQ(s.pp[0], 0xBEEF);
}

TEST(Codec, BlockDecodeFillsFromStartOffset) {
    State s;
    s.szReadBuf[0] = 0x01;
    s.szReadBuf[1] = 0x02;
    s.szReadBuf[126] = 0xFF;
    s.szReadBuf[127] = 0xFE;
    DecodeBlock(s, 64, 64);
    EXPECT_EQ(s.adcbuf[64], 0x0102);
    EXPECT_EQ(s.adcbuf[127], 0xFFFE);
    EXPECT_EQ(s.adcbuf[63], 0);
    DecodeBlock(s, 250, 64);  // never past the line image
    EXPECT_EQ(s.adcbuf[250], 0x0102);
}

struct VersionCase {
    u16 board;
    std::vector<unsigned char> block;
    std::string expected;
};

TEST(Codec, VersionTextByBoardType) {
    std::vector<unsigned char> words(72, 0);
    const std::string text = "V1.52 line";
    for (size_t i = 0; i < text.size(); ++i) {
        words[2 * i] = 0x7F;  // high bytes play no part
        words[2 * i + 1] = static_cast<unsigned char>(text[i]);
    }
    std::vector<unsigned char> plain(72, 'x');
    plain[10] = 0;
    std::vector<unsigned char> full(72, 'y');

    const VersionCase cases[] = {
        {0, words, text},
        {400, plain, std::string(10, 'x')},
        {400, full, std::string(71, 'y')},  // no zero byte: cut to the text buffer
        {0, std::vector<unsigned char>(72, 0), ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(DecodeVersionText(c.block.data(), 72, c.board), c.expected) << c.board;
}

}  // namespace
