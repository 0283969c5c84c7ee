// Port set-up, identification sequence, receive callback and the status line.
#include <algorithm>

#include "com232.h"
#include "gui.h"
#include "panel_ids.h"
#include "sensor_events.h"

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

const char* OpenErrorText(ComResult code) {
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
            return "No serial port found - plug the adapter in, or choose another port";
        case -7:
            return "Cannot open port - another program holds it: close that program, or choose "
                   "another port";
        case -13:
            return "Invalid parameter";
        case -14:
#ifdef _WIN32
            return "No permission to open the port - ask the administrator for access to it";
#else
            return "No permission to open the port - join the dialout group (sudo usermod -aG "
                   "dialout $USER), then log in again";
#endif
        case -99:
            return "Timeout";
        default:
            return "RS-232 error!";
    }
}

// Every byte goes to the router as soon as it arrives, so that the time a frame completed is known
// and a frame split across arrivals is still whole.
void InstallRxCallback(Program& p) {
    p.rs.InstallComCallback(p.com, eventMask, 1, p.sync, RX_Receive_Function, &p);
}

void RemoveRxCallback(Program& p) {
    p.rs.InstallComCallback(p.com, 0, FRAME_BYTES, p.sync, nullptr, nullptr);
}

namespace {

// A flooding line delivers without end: one call takes what a few frames' worth of reads bring
// and leaves the rest for the next.
void FeedRouter(Program& p) {
    constexpr int kMaxReadsPerCall = 16;
    unsigned char bytes[256];
    for (int reads = 0; reads < kMaxReadsPerCall; ++reads) {
        const int waiting = std::min(p.rs.GetInQLen(p.com), static_cast<int>(sizeof bytes));
        if (waiting <= 0 && reads == 0) p.router.Quiet(p.rt.Timer());
        if (waiting <= 0) return;
        const int count = p.rs.ComRd(p.com, bytes, waiting);
        if (count <= 0) return;
        p.router.Feed(bytes, count, p.rt.Timer());
    }
}

}  // namespace

// A dropped answer is shown the moment it is dropped, whoever waits (or nobody).
void PumpReceived(Program& p) {
    const long repeated = p.router.RepeatedAnswers();
    const long late = p.router.LateAnswers();
    FeedRouter(p);
    if (p.router.RepeatedAnswers() > repeated)
        ShowText(p, "Sensor answered twice - repeated answer dropped!");
    if (p.router.LateAnswers() > late) ShowText(p, "Late answer dropped!");
}

void RX_Receive_Function(int /*port*/, int eventBits, void* callbackData) {
    if (!(eventBits & LWRS_RECEIVE) || callbackData == nullptr) return;
    PumpReceived(*static_cast<Program*>(callbackData));
}

namespace {

// Line check, hardware profile, parameter record and firmware text, with 0.1 s pauses. Notes
// which answers came; true when the line check, the profile and the record read were answered.
bool IdentifySensor(Program& p, int port) {
    Identification& id = p.identified;
    p.ret = CheckComLine(p, port);
    id.line = p.ret == 1;
    id.wrongSync = !id.line && p.szStatus == "read error - not sync byte 0xAA!";
    SensorOutcome(p, id.wrongSync ? ExchangeOutcome::WrongSync : OutcomeOf(p, id.line));
    if (!id.line) return false;
    p.rt.Delay(0.1);
    p.ret = GetHARDWAREInfo(p);
    id.profile = p.ret == 1;
    p.rt.Delay(0.1);
    p.target = RAM;
    id.record = PushGET(p, RAM) == ExchangeOutcome::Answered;
    p.rt.Delay(0.1);
    p.ret = GetVERSIONInfo(p);
    id.firmware = p.ret >= VERSION_BYTES;
    if (p.ret < VERSION_BYTES) p.szStatus = "Error reading firmware-info!";
    return id.profile && id.record;
}

}  // namespace

void InitRS232(Program& p, int port) {
    p.identified = {};
    SensorPortOpening(p);
    p.ret = p.rs.OpenComConfig(port, "", 19200, 0, 8, 1, 4096, 4096);
    if (p.ret < 0) {
        p.szStatus = OpenErrorText(static_cast<ComResult>(p.ret));
        SensorPortNotOpened(p);
    } else {
        p.rs.SetComTime(port, 2.0);
        p.rs.FlushInQ(port);
        p.rs.SetCTSMode(port, 0);
        p.router.Clear();
        InstallRxCallback(p);
        SensorIdentifying(p);
        SensorIdentificationEnded(p, IdentifySensor(p, port));
    }
    ShowStatus(p);
}
