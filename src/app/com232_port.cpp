// Port set-up, identification sequence, receive callback and the status line.
#include <cstring>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"

using namespace platform;

void SetStatus(Program& p, const std::string& text) {
    p.szStatus = text.substr(0, TEXT_BYTES - 1);
    ShowStatus(p);
}

void ShowStatus(Program& p) {
    p.rt.SetCtrlVal(p.pHandle, ui::TEXTStatus, p.szStatus);
}

void ShowText(Program& p, const std::string& text) {
    p.rt.SetCtrlVal(p.pHandle, ui::TEXTStatus, text);
}

const char* OpenErrorText(int code) {
    switch (code) {
        case -1:
            return "Unknown system error";
        case -2:
            return "Invalid port number";
        case -3:
            return "Port is not open";
        case -4:
            return "Unknown I/0 error";
        case -6:
            return "No serial port found";
        case -7:
            return "Cannot open port";
        case -13:
            return "Invalid parameter";
        case -99:
            return "Timeout";
        default:
            return "RS-232 error!";
    }
}

void InstallRxCallback(Program& p) {
    p.rs.InstallComCallback(p.com, eventMask, FRAME_BYTES, p.sync, RX_Receive_Function, &p);
}

void RemoveRxCallback(Program& p) {
    p.rs.InstallComCallback(p.com, 0, FRAME_BYTES, p.sync, nullptr, nullptr);
}

namespace {

// Longest wait for the rest of a frame that stray bytes pushed out of step: a whole frame takes
// 18.75 ms at 19200 baud.
constexpr double kFrameTailWait = 0.05;

// Waits without processing events until `count` bytes wait in the input queue.
bool AwaitQueued(Program& p, int count, double seconds) {
    const double end = p.rt.Timer() + seconds;
    while (p.rs.GetInQLen(p.com) < count) {
        if (p.rt.Timer() > end) return false;
        p.rt.Delay(0.001);
    }
    return true;
}

// Stray bytes before an answer (line noise, the rest of an earlier answer arriving after a flush)
// shift the 36 bytes read out of step with the frames; taken as they are, every later answer
// would be read out of step too. When the bytes do not begin with the answer sync word but hold
// it further on, the frame is moved to the start and completed from the bytes behind it. A frame
// that begins with the sync word, or holds none, is left as read.
void BringFrameInStep(Program& p) {
    unsigned char* frame = p.szReadBuf.data();
    if (WordAt(frame, 0) == ANSWER_SYNC) return;
    int shift = 1;
    while (shift < FRAME_BYTES - 1 && WordAt(frame, shift) != ANSWER_SYNC)
        ++shift;
    if (shift == FRAME_BYTES - 1 || !AwaitQueued(p, shift, kFrameTailWait)) return;
    std::memmove(frame, frame + shift, FRAME_BYTES - shift);
    p.rs.ComRd(p.com, frame + FRAME_BYTES - shift, shift);
}

}  // namespace

void RX_Receive_Function(int /*port*/, int eventBits, void* callbackData) {
    if (!(eventBits & LWRS_RECEIVE) || callbackData == nullptr) return;
    Program& p = *static_cast<Program*>(callbackData);
    p.rs.ComRd(p.com, p.szReadBuf.data(), FRAME_BYTES);
    BringFrameInStep(p);
    GetRxBuf(p, PNUM);
    p.rx_flag = 1;
    p.graphrefresh = 1;
    p.rs.FlushInQ(p.com);  // bytes that followed the frame are dropped
}

namespace {

// Line check, hardware profile, parameter record and firmware text, with 0.1 s pauses.
void IdentifySensor(Program& p, int port) {
    p.ret = CheckComLine(p, port);
    if (p.ret != 1) return;
    p.rt.Delay(0.1);
    p.ret = GetHARDWAREInfo(p);
    p.rt.Delay(0.1);
    p.target = RAM;
    PushGET(p, RAM);
    p.rt.Delay(0.1);
    p.ret = GetVERSIONInfo(p);
    if (p.ret < VERSION_BYTES) p.szStatus = "Error reading firmware-info!";
}

}  // namespace

void InitRS232(Program& p, int port) {
    p.ret = p.rs.OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (p.ret < 0) {
        p.szStatus = OpenErrorText(p.ret);
    } else {
        p.rs.SetComTime(port, 2.0);
        p.rs.FlushInQ(port);
        p.rs.FlushOutQ(port);
        p.rs.SetCTSMode(port, 0);
        p.rs.InstallComCallback(port, eventMask, FRAME_BYTES, p.sync, RX_Receive_Function, &p);
        IdentifySensor(p, port);
    }
    ShowStatus(p);
}
