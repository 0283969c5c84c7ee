// The parameter read.
#include "com232.h"
#include "gui.h"
#include "sensor_events.h"

bool PushGET(Program& p, int target) {
    if (target != DATFILE && target != RAM && target != EEPROM) return false;
    if (target != DATFILE) {
        p.order = target == RAM ? GET_RAM : GET_EEPROM;
        CopyVarsToPP(p);
        const SentRequest request = WriteRequest(p, p.order);
        if (p.nBytesW == FRAME_BYTES) ShowText(p, "Waiting for parameter-frame ...");
        const Memory memory = target == RAM ? Memory::Ram : Memory::Eeprom;
        if (!AwaitAnswer(p, request)) {
            // The panel is not redrawn: values typed but not sent stay as they are.
            SetStatus(p, "Timeout-RS-232...");
            SensorRecordShown(p, memory, OutcomeOf(p, false));
            return false;
        }
        CopyPPtoVars(p);
        p.szStatus = "Parameter-frame received! - Line Ok!";
    }
    SetPanelValues(p);
    if (target == DATFILE)
        SensorFileShown(p);
    else
        SensorRecordShown(p, target == RAM ? Memory::Ram : Memory::Eeprom,
                          ExchangeOutcome::Answered);
    ShowStatus(p);
    return true;
}
