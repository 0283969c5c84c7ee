// The sensor link: frame codec, port set-up and receive callback, command exchanges, line-image
// block reads and the hardware profile.
//
// Frames are 36 bytes: a sync word, a command word and 16 payload words, each word high byte
// first whatever the host's byte order. Every wait is bounded: TIMEOUT (1.5 s) for framed answers
// and blocks, VERSION_TIMEOUT (2.0 s) for the firmware text. Nothing is retried; every outcome is
// a text in the status line.
#pragma once

#include <string>

#include "com232_codec.h"
#include "program.h"

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
// decodes it into pp, sets rx_flag and graphrefresh and drops whatever followed the frame. Bytes
// that do not begin with the answer sync word but hold it further on are a frame behind stray
// bytes: the strays are dropped and the frame completed from the queue (waiting 50 ms at most,
// without events); without a sync word inside, the bytes are taken as read.
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
// AwaitFrame for the answer to the request `code`: a frame that does not begin with the answer
// sync word and the echo of `code` (a late answer to an earlier request, or bytes out of step
// with the frames) is passed over and the wait goes on, still bounded by TIMEOUT since tstart.
bool AwaitAnswerTo(Program& p, int code);
