// Frame codec and parameter record.
#include <algorithm>

#include "com232_codec.h"
#include "records.h"

namespace {

void PutWord(unsigned char* bytes, int at, unsigned value) {
    bytes[at] = static_cast<unsigned char>((value >> 8) & 0xFF);
    bytes[at + 1] = static_cast<unsigned char>(value & 0xFF);
}

void PutHeader(State& s, unsigned code) {
    PutWord(s.szWriteBuf.data(), 0, static_cast<unsigned>(s.sync) & 0xFFFF);
    PutWord(s.szWriteBuf.data(), 2, code & 0xFFFF);
}

}  // namespace

std::array<u16, PNUM> PackedRecord(const State& s) {
    return RecordOf(kParameterRecord, s);
}

void CopyVarsToPP(State& s) {
    s.pp = PackedRecord(s);
}

void CopyPPtoVars(State& s) {
    StoreRecord(kParameterRecord, s.pp, s);
}

void FillTxBuf(State& s, unsigned code, const u16* words) {
    PutHeader(s, code);
    for (int i = 0; i < PNUM; ++i)
        PutWord(s.szWriteBuf.data(), 4 + 2 * i, words[i]);
}

void FillBlockRequest(State& s, unsigned code, u16 word0, u16 word1) {
    PutHeader(s, code);
    PutWord(s.szWriteBuf.data(), 4, word0);
    PutWord(s.szWriteBuf.data(), 6, word1);
    std::fill(s.szWriteBuf.begin() + 8, s.szWriteBuf.begin() + FRAME_BYTES, 0);
}

void GetRxBuf(State& s, int count) {
    count = std::clamp(count, 0, PNUM);
    for (int i = 0; i < count; ++i)
        s.pp[i] = WordAt(s.szReadBuf.data(), 4 + 2 * i);
}

std::array<u16, PNUM> FrameWords(const unsigned char* frame) {
    std::array<u16, PNUM> words{};
    for (int i = 0; i < PNUM; ++i)
        words[i] = WordAt(frame, 4 + 2 * i);
    return words;
}

void DecodeBlock(State& s, int start, int words) {
    start = std::clamp(start, 0, 256);
    words = std::clamp(words, 0, 256 - start);
    for (int i = 0; i < words; ++i)
        s.adcbuf[start + i] = WordAt(s.szReadBuf.data(), 2 * i);
}

std::string DecodeVersionText(const unsigned char* block, int count, u16 pcbtype) {
    std::string text;
    count = std::clamp(count, 0, VERSION_BYTES);
    if (pcbtype == 0) {
        // Kept: a board-0 sensor sends its text as words, one character in each low byte; the
        // high bytes are not characters. Other boards send plain bytes. A zero character ends
        // the text.
        for (int i = 1; i < count && block[i] != 0; i += 2)
            text.push_back(static_cast<char>(block[i]));
    } else {
        for (int i = 0; i < count && block[i] != 0; ++i)
            text.push_back(static_cast<char>(block[i]));
    }
    if (text.size() > TEXT_BYTES - 1) text.resize(TEXT_BYTES - 1);
    return text;
}
