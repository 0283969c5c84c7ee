// The sensor link: frame codec, port set-up and receive callback, command exchanges, line-image
// block reads and the hardware profile.
//
// Frames are 36 bytes: a sync word, a command word and 16 payload words, each word high byte
// first whatever the host's byte order. Every wait is bounded: TIMEOUT (1.5 s) for framed answers
// and blocks, VERSION_TIMEOUT (2.0 s) for the firmware text. Nothing is retried; every outcome is
// a text in the status line.
#pragma once

#include <string>

#include "program.h"

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

// --- Frame codec (pure: no port, no panel)
// --------------------------------------------------------- Packs the 16 parameter variables into
// pp in record order, and back. No limits are applied.
void CopyVarsToPP(State& s);
void CopyPPtoVars(State& s);
// Builds the request frame at the start of szWriteBuf: sync word, code (low 16 bits), PNUM words.
void FillTxBuf(State& s, unsigned code, const u16* words);
// Decodes `count` payload words (at most PNUM) from szReadBuf bytes 4.. into pp; the header is not
// looked at.
void GetRxBuf(State& s, int count);
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

// --- Status line
// ---------------------------------------------------------------------------------- Stores a text
// in szStatus (cut to 71 characters) and shows it.
void SetStatus(Program& p, const std::string& text);
// Shows szStatus as it stands.
void ShowStatus(Program& p);
// Shows a passing text without storing it in szStatus.
void ShowText(Program& p, const std::string& text);
// The status text of an open error.
const char* OpenErrorText(int code);

// --- Port set-up and receive callback -----------------------------------------------------------
// Opens and configures the port, installs the receive callback and identifies the sensor: line
// check, hardware profile, parameters from RAM, firmware text, with 0.1 s pauses. The outcome is
// the status line.
void InitRS232(Program& p, int port);
// The receive callback (callbackData is the Program): on LWRS_RECEIVE reads one 36-byte frame,
// decodes it into pp, sets rx_flag and graphrefresh and drops whatever followed the frame.
void RX_Receive_Function(int port, int eventBits, void* callbackData);
void InstallRxCallback(Program& p);
void RemoveRxCallback(Program& p);

// --- Exchanges
// ------------------------------------------------------------------------------------ 1 when the
// sensor answered with the answer sync word, else 0.
int CheckComLine(Program& p, int port);
// The count of bytes waiting when the 2.0 s wait ended (72 on success). Processes no events.
int GetVERSIONInfo(Program& p);
// Line-image blocks into adcbuf (the receive callback must be removed). Always 1; a time-out or a
// short block is reported in the status line and the block is decoded from szReadBuf anyway.
int ReadData64(Program& p, int start, int last);
int ReadData256(Program& p);
// 1 when an answer with echo 10 was taken in; adapts scales, limits, axes and controls to it.
int GetHARDWAREInfo(Program& p);
// Applies a hardware profile already stored in the profile variables (steps after the echo test).
void ApplyHardwareProfile(Program& p);
// The x factor of the line-image samples for a sub-pixel count.
int SubpixelFactor(u16 ccdsubpixel);

// --- Shared by the exchanges
// ---------------------------------------------------------------------- Packs nothing: builds the
// frame for `code` from pp (storing the code in order), empties both queues, clears rx_flag, writes
// the 36 bytes and starts the wait clock. Returns nBytesW.
int SendFrame(Program& p, int port, int code);
// Processes events until the receive callback has taken in an answer (true) or more than TIMEOUT
// has passed since tstart (false). An answer taken in during the pass that reaches the time-out
// still counts.
bool AwaitFrame(Program& p);
