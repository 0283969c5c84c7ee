// The sensor frame codec: request frames, answer payloads, line-image blocks and the firmware
// text. Pure functions over the state: no port, no panel.
#pragma once

#include <array>
#include <string>

#include "state.h"

// Command codes (the word in bytes 2-3 of a request).
inline constexpr int SEND_RAM = 1;
inline constexpr int GET_RAM = 2;
inline constexpr int SEND_EEPROM = 3;
inline constexpr int GET_EEPROM = 4;
inline constexpr int LINE_CHECK = 5;
inline constexpr int TEACH = 6;
inline constexpr int GET_VERSION = 7;
inline constexpr int RUN = 8;
inline constexpr int GET_DATA64 = 9;
inline constexpr int GET_HARDWARE = 10;
inline constexpr int RESET_MAXMIN = 11;  // also the 256-word line-image read, with a zero payload
inline constexpr int GET_DATA256 = 11;

inline constexpr int ANSWER_SYNC = 0x00AA;
inline constexpr int VERSION_BYTES = 72;
inline constexpr int BLOCK64_BYTES = 128;
inline constexpr int BLOCK256_BYTES = 512;

// --- Frame codec (pure: no port, no panel) ---
// Packs the 16 parameter variables into pp in record order, and back. No limits are applied.
void CopyVarsToPP(State& s);
void CopyPPtoVars(State& s);
// The 16 parameter variables in record order, as CopyVarsToPP packs them.
std::array<u16, PNUM> PackedRecord(const State& s);
// Builds the request frame at the start of szWriteBuf: sync word, code (low 16 bits), PNUM words.
void FillTxBuf(State& s, unsigned code, const u16* words);
// Decodes `count` payload words (at most PNUM) from szReadBuf bytes 4.. into pp; the header is not
// looked at.
void GetRxBuf(State& s, int count);
// Decodes the 16 payload words of a frame (bytes 4..35); the header is not looked at.
std::array<u16, PNUM> FrameWords(const unsigned char* frame);
// Builds a line-image block request at the start of szWriteBuf: payload words 0 and 1 given,
// the other 14 zero. pp is neither read nor changed.
void FillBlockRequest(State& s, unsigned code, u16 word0, u16 word1);
// The big-endian word at byte offset `at` of a buffer.
inline u16 WordAt(const unsigned char* bytes, int at) {
    return static_cast<u16>(bytes[at] << 8 | bytes[at + 1]);
}
// The firmware text of a 72-byte answer: board type 0 sends 36 words whose low bytes are the
// characters; other boards send plain text, which ends at the first zero byte. At most 71 chars.
std::string DecodeVersionText(const unsigned char* block, int count, u16 pcbtype);
// Decodes `words` big-endian words from the start of szReadBuf into adcbuf from `start`.
void DecodeBlock(State& s, int start, int words);
