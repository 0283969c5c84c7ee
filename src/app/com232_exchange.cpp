// Request-and-wait exchanges: line check and firmware text.
#include <algorithm>

#include "com232.h"

int SendFrame(Program& p, int port, int code) {
    p.order = code;
    FillTxBuf(p, static_cast<unsigned>(p.order), p.pp.data());
    p.rs.FlushOutQ(port);
    p.rs.FlushInQ(port);
    p.rx_flag = 0;
    p.nBytesW = p.rs.ComWrt(port, p.szWriteBuf.data(), FRAME_BYTES);
    p.tstart = p.rt.Timer();
    return p.nBytesW;
}

bool AwaitFrame(Program& p) {
    for (;;) {
        p.rt.ProcessSystemEvents();
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.rx_flag == 1) return true;
        if (p.tdiff > TIMEOUT) return false;
    }
}

bool AwaitAnswerTo(Program& p, int code) {
    while (AwaitFrame(p)) {
        const unsigned char* frame = p.szReadBuf.data();
        if (WordAt(frame, 0) == ANSWER_SYNC && WordAt(frame, 2) == code) return true;
        p.rx_flag = 0;
    }
    return false;
}

int CheckComLine(Program& p, int port) {
    int result = 0;
    CopyVarsToPP(p);
    SendFrame(p, port, LINE_CHECK);
    if (!AwaitFrame(p)) p.szStatus = "Timeout-RS-232...";
    if (p.rx_flag == 1) {
        if (WordAt(p.szReadBuf.data(), 0) == ANSWER_SYNC) {
            p.szStatus = "Echo Check - Line Ok!";
            result = 1;
        } else {
            p.szStatus = "read error - not sync byte 0xAA!";
        }
    }
    ShowStatus(p);
    return result;
}

namespace {

// The 72 bytes take 37.5 ms on the wire: a poll every millisecond adds no noticeable delay and
// keeps a wait on a silent or dead line from spinning a core for the whole 2.0 s.
constexpr double kVersionPollPause = 0.001;

// Polls the input queue without processing events until 72 bytes wait or 2.0 s have passed.
int AwaitVersionBytes(Program& p) {
    p.tstart = p.rt.Timer();
    for (;;) {
        const int count = p.rs.GetInQLen(p.com);
        p.tdiff = p.rt.Timer() - p.tstart;
        if (p.tdiff > VERSION_TIMEOUT) {
            p.szStatus = "Timeout - reading firmware info!";
            return count;
        }
        if (count >= VERSION_BYTES) return count;
        p.rt.Delay(kVersionPollPause);
    }
}

}  // namespace

int GetVERSIONInfo(Program& p) {
    RemoveRxCallback(p);
    p.rs.FlushInQ(p.com);
    p.rs.FlushOutQ(p.com);
    p.order = GET_VERSION;
    FillTxBuf(p, static_cast<unsigned>(p.order), p.pp.data());
    p.rs.ComWrt(p.com, p.szWriteBuf.data(), FRAME_BYTES);
    ShowText(p, "Waiting for firmware info ...");

    const int count = AwaitVersionBytes(p);
    p.szVersion.clear();
    const int toRead = std::clamp(count, 0, static_cast<int>(p.szReadBuf.size()));
    p.nBytesR = toRead > 0 ? p.rs.ComRd(p.com, p.szReadBuf.data(), toRead) : 0;
    if (p.nBytesR == VERSION_BYTES) {
        const std::string text = DecodeVersionText(p.szReadBuf.data(), VERSION_BYTES, p.pcbtype);
        if (p.pcbtype == 0) p.szVersion = text;
        p.szStatus = text;
    }

    InstallRxCallback(p);
    p.rs.FlushInQ(p.com);
    p.rs.FlushOutQ(p.com);
    p.rx_flag = 0;
    ShowStatus(p);
    return count;
}
