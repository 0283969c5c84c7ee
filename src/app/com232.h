// The sensor link: frame codec, port set-up and receive callback, command exchanges, line-image
// block reads and the hardware profile.
//
// Frames are 36 bytes: a sync word, a command word and 16 payload words, each word high byte
// first whatever the host's byte order. Every wait is bounded: TIMEOUT (1.5 s) for framed answers
// and blocks, VERSION_TIMEOUT (2.0 s) for the firmware text. Nothing is retried; every outcome is
// a text in the status line.
//
// Answers reach only the exchange that asked: the receive callback files every frame in the
// router, which gives each frame to the request it answers by the order of writes and arrivals
// (see com232_router.h); repeated and late answers are dropped and shown in the status line. pp and the state change only when an exchange takes its own answer.
// Requests always leave whole: nothing flushes output that has begun to leave.
#pragma once

#include <string>

#include "com232_codec.h"
#include "exchange_outcome.h"
#include "program.h"

// --- Status line ---
// Stores a text in szStatus (cut to 71 characters) and shows it.
void SetStatus(Program& p, const std::string& text);
// Shows szStatus as it stands.
void ShowStatus(Program& p);
// Shows a passing text without storing it in szStatus.
void ShowText(Program& p, const std::string& text);
// The status text of an open error.
const char* OpenErrorText(platform::ComResult code);

// --- Port set-up and receive callback ---
// Opens and configures the port, installs the receive callback and identifies the sensor: line
// check, hardware profile, parameters from RAM, firmware text, with 0.1 s pauses. The outcome is
// the status line.
void InitRS232(Program& p, int port);
// The receive callback (callbackData is the Program): hands every byte waiting to the router.
void RX_Receive_Function(int port, int eventBits, void* callbackData);
void InstallRxCallback(Program& p);
void RemoveRxCallback(Program& p);
// Hands the bytes waiting in the input queue to the router, stamped with the time (bounded: a
// flooding line cannot hold the caller).
void PumpReceived(Program& p);

// --- Exchanges ---
// 1 when the sensor answered with the answer sync word, else 0.
int CheckComLine(Program& p, int port);
// The count of bytes waiting when the 2.0 s wait ended (72 on success). Processes no events.
int GetVERSIONInfo(Program& p);
// Line-image blocks into adcbuf. Words that did not arrive keep their previous samples; a time-out
// or a short block is reported in the status line and stays there for the rest of the Video cycle
// (blockTimedOut).
int ReadData64(Program& p, int start, int last);
int ReadData256(Program& p);
// 1 when an answer with echo 10 was taken in; only then is the profile stored and applied.
int GetHARDWAREInfo(Program& p);
// Applies a hardware profile already stored in the profile variables (steps after the echo test).
void ApplyHardwareProfile(Program& p);

// --- The one request writer and the answer waits ---
struct SentRequest {
    int code = 0;
    long ticket = 0;     // the router's mark of this request in the byte stream
    double sentAt = 0;   // when the request had been written
    long repeatsAt = 0;  // repeated answers dropped on this port before it
    long lateAt = 0;     // late answers dropped on this port before it
};
// What became of a request's answer.
enum class AnswerWait {
    Pending,        // not yet come, the time-out not yet passed
    Answered,       // taken in
    TimedOut,       // nothing came within TIMEOUT
    RepeatDropped,  // timed out; meanwhile a repeated answer was dropped
    LateDropped,    // timed out; meanwhile a late answer was dropped
};
// Writes the request for `code`: the frame is built from pp, or for a line-image block from the
// two block words (`blockBytes` > 0 then says how long the raw answer is). What has arrived
// before is handed to the router first, so it cannot pass for the answer. Before a block, while
// a probe for repeats is due, and on a port that repeats answers, it first waits (briefly,
// without processing events) for a quiet line. Stores the code in order, the count in nBytesW
// and the time in tstart.
SentRequest WriteRequest(Program& p, int code, int blockBytes = 0, u16 word0 = 0, u16 word1 = 0);
// The next loop's second request probes for a sensor that answers twice.
void ProbeLoopForRepeats(Program& p);
// Takes the answer to `r` if it has come: copies it to szReadBuf, decodes it into pp and sets
// rx_flag.
AnswerWait PollAnswer(Program& p, const SentRequest& r);
bool TakeAnswer(Program& p, const SentRequest& r);
// Processes events until the answer is taken or more than TIMEOUT has passed since the request.
// An answer taken in during the pass that reaches the time-out still counts.
AnswerWait AwaitAnswerWait(Program& p, const SentRequest& r);
bool AwaitAnswer(Program& p, const SentRequest& r);
// AwaitAnswerWait's result as an exchange outcome: Answered, or why not (the port went away, a
// repeated answer was dropped, or no answer came in time; a late answer dropped counts as no
// answer).
ExchangeOutcome AwaitOutcome(Program& p, const SentRequest& r);
// The outcome of a request that did not leave whole, from the count ComWrt returned.
ExchangeOutcome WriteOutcome(int written);
// Reads the parameter record with GET_RAM or GET_EEPROM into `words` alone: the request carries
// the packed parameters as Get's does, and pp, the parameter variables, szReadBuf and rx_flag stay
// as they are (the
// request's own bookkeeping, order, tstart, nBytesW and szWriteBuf, is written as for any
// request). False, with `words` untouched, when the request could not be written or no answer
// came within TIMEOUT. Processes events while it waits.
bool ReadRecordOnly(Program& p, int code, std::array<u16, PNUM>& words);
