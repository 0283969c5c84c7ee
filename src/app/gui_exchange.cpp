// The parameter read.
#include "com232.h"
#include "edit_marks.h"
#include "gui.h"

bool PushGET(Program& p, int target) {
    if (target != DATFILE && target != RAM && target != EEPROM) return false;
    if (target != DATFILE) {
        p.order = target == RAM ? GET_RAM : GET_EEPROM;
        CopyVarsToPP(p);
        const SentRequest request = WriteRequest(p, p.order);
        if (p.nBytesW == FRAME_BYTES) ShowText(p, "Waiting for parameter-frame ...");
        if (!AwaitAnswer(p, request)) {
            // The panel is not redrawn: values typed but not sent stay as they are.
            SetStatus(p, "Timeout-RS-232...");
            return false;
        }
        CopyPPtoVars(p);
        p.szStatus = "Parameter-frame received! - Line Ok!";
    }
    SetPanelValues(p);
    EditMarksReference(p, p.pp);
    ShowStatus(p);
    return true;
}
