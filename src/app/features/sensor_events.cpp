#include "sensor_events.h"

#include "change_record.h"
#include "com232.h"
#include "compare.h"
#include "edit_marks.h"
#include "row_file.h"
#include "sensor_view.h"

namespace {

UtcMs Now() {
    return platform::UtcMilliseconds();
}

// A log that cannot be written is told once, in the status line; the write itself went on.
void Log(Program& p, const char* action, Memory memory, const KnownRecord& before,
         ExchangeOutcome outcome) {
    const std::string failure = LogSensorWrite(p, action, memory, before, outcome);
    if (!failure.empty()) ShowText(p, failure);
}

// The model took an outcome: whoever follows it hears of it.
void Changed(Program& p) {
    p.sensorWatchers.ModelChanged(p.model);
}

void SetResult(Program& p, const std::string& text) {
    if (p.sensorView) p.sensorView->result = text;
}

std::string PortText(const Program& p) {
    const std::string device = p.rs.DeviceForPort(p.com);
    const std::string name = p.com == 0 ? "simulated sensor" : "COM" + std::to_string(p.com);
    return device.empty() ? name : name + " (" + device + ")";
}

}  // namespace

ExchangeOutcome OutcomeOf(Program& p, bool answered) {
    if (answered) return ExchangeOutcome::Answered;
    if (p.nBytesW != FRAME_BYTES) return WriteOutcome(p.nBytesW);
    // A port that went away during the wait is closed by the serial layer.
    if (p.rs.GetInQLen(p.com) == platform::kComNotOpen || p.portWatch.chosenGone)
        return ExchangeOutcome::PortLost;
    return ExchangeOutcome::TimedOut;
}

void SensorPortOpening(Program& p) {
    p.model.OnPortOpening(PortText(p));
    Changed(p);
    SetResult(p, "");
    ShowSensorView(p);
}

void SensorPortNotOpened(Program& p) {
    p.model.OnPortClosed();
    Changed(p);
    ShowSensorView(p);
}

void SensorIdentifying(Program& p) {
    p.model.OnIdentifying();
    Changed(p);
    ShowSensorView(p);
}

void SensorIdentificationEnded(Program& p, bool identified) {
    if (identified) {
        SensorIdentity id;
        id.sensorType = p.ccdtype, id.pixels = p.ccdmaxpixel, id.subPixels = p.ccdsubpixel;
        id.board = p.pcbtype, id.softwareVersion = p.softversion;
        id.firmware = p.nBytesR == VERSION_BYTES
                          ? DecodeVersionText(p.szReadBuf.data(), VERSION_BYTES, p.pcbtype)
                          : "";
        id.identifiedAt = Now();
        p.model.OnIdentified(id);
        Changed(p);
    }
    if (p.sensorView) p.sensorView->start = p.sensorView->shown = PanelRecord(p);
    ShowSensorView(p);
}

void SensorOutcome(Program& p, ExchangeOutcome outcome) {
    p.model.OnOutcome(outcome, Now());
    Changed(p);
    ShowSensorView(p);
}

void SensorRecordRead(Program& p, Memory memory, ExchangeOutcome outcome,
                      const RecordWords& words) {
    p.model.OnRecordRead(memory, outcome, words, Now());
    Changed(p);
    ShowSensorView(p);
}

void SensorRecordShown(Program& p, Memory memory, ExchangeOutcome outcome) {
    p.model.OnRecordRead(memory, outcome, p.pp, Now());
    Changed(p);
    const bool teach = p.teach.on && memory == Memory::Ram;
    if (teach) {
        p.teach.on = false;
        Log(p, "teach", Memory::Ram, p.teach.before, ExchangeOutcome::Answered);
        if (outcome == ExchangeOutcome::Answered)
            SetResult(p, "Setpoint taught: " + std::to_string(p.tVal) + " (was " +
                             std::to_string(p.teach.setpoint) + ")");
    }
    // The start-up read is no step: there is nothing before it to go back to.
    if (p.model.Link() != LinkState::Identifying && outcome == ExchangeOutcome::Answered)
        PanelChanged(p, teach ? "Teach" : "Get");
    else
        ShowSensorView(p);
}

void SensorFileShown(Program& p) {
    PanelChanged(p, "Load file");
}

void SensorRecordSent(Program& p, Memory memory, ExchangeOutcome outcome,
                      const RecordWords& words) {
    const KnownRecord before = memory == Memory::Ram ? p.model.Ram() : p.model.Eeprom();
    p.model.OnRecordSent(memory, outcome, words, Now());
    Changed(p);
    Log(p, memory == Memory::Ram ? "send-ram" : "send-eeprom", memory, before, outcome);
    const std::string at = ClockText(Now());
    if (outcome != ExchangeOutcome::Answered)
        SetResult(p, std::string("Not confirmed: ") + OutcomeName(outcome) + " at " + at);
    else if (memory == Memory::Eeprom)
        SetResult(p, "Stored in EEPROM at " + at);
    else
        SetResult(p, "Sent to RAM at " + at + ": lost at power-off until stored in EEPROM");
    ShowSensorView(p);
}

void SensorTaught(Program& p, ExchangeOutcome outcome, u16 setpointBefore) {
    const KnownRecord before = p.model.Ram();
    p.model.OnTaught(outcome, Now());
    Changed(p);
    // Answered, the entry waits for the read-back to say what the setpoint became.
    p.teach = {outcome == ExchangeOutcome::Answered, before, setpointBefore};
    if (outcome != ExchangeOutcome::Answered) {
        Log(p, "teach", Memory::Ram, before, outcome);
        SetResult(p, std::string("Teach not confirmed: ") + OutcomeName(outcome));
    }
    ShowSensorView(p);
}

void SensorMaxMinReset(Program& p, ExchangeOutcome outcome) {
    const KnownRecord before = p.model.Ram();
    p.model.OnOutcome(outcome, Now());
    Changed(p);
    Log(p, "reset-maxmin", Memory::Ram, before, outcome);
    ShowSensorView(p);
}
