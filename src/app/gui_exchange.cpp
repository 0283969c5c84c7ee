// The exchanges that read and write the parameter record, teach and reset: each returns what
// happened, and the status line is chosen from that in one place.
#include "com232.h"
#include "edit_marks.h"
#include "gui.h"

namespace {

// The status texts of one exchange: what the line shows when the sensor answered, and when not.
struct ExchangeTexts {
    const char* answered;
    const char* failed;
};

ExchangeTexts TextsOf(ExchangeKind kind) {
    switch (kind) {
        case ExchangeKind::Get:
            return {"Parameter-frame received! - Line Ok!", "Timeout-RS-232..."};
        case ExchangeKind::Send:
            // The sensor confirms a stored record with its answer; only that makes the line "Ok".
            return {"Line Ok!", "Timeout-RS-232..."};
        case ExchangeKind::Teach:
            return {nullptr, "Timeout-RS-232..."};  // answered: the Get that follows speaks
        case ExchangeKind::Reset:
            return {"Reset of analog-output Max/Min OK!", "Timeout-RS-232..."};
        case ExchangeKind::Run:
        case ExchangeKind::Video:
            return {nullptr, "Timeout RS232-Line!"};
    }
    return {nullptr, nullptr};
}

// Writes the request for `code` from pp as it stands and waits for its own answer. A request that
// did not leave whole is waited for only when `waitWhenShort` (Get, Teach and Reset always wait
// their time-out; Send gives up at once).
ExchangeOutcome Exchange(Program& p, int code, const char* announcement, bool waitWhenShort) {
    const SentRequest request = WriteRequest(p, code);
    const bool whole = p.nBytesW == FRAME_BYTES;
    if (!whole && !waitWhenShort) return WriteOutcome(p.nBytesW);
    if (whole && announcement != nullptr) ShowText(p, announcement);
    const ExchangeOutcome outcome = AwaitOutcome(p, request);
    return whole || outcome == ExchangeOutcome::Answered ? outcome : WriteOutcome(p.nBytesW);
}

}  // namespace

void ReportOutcome(Program& p, ExchangeKind kind, ExchangeOutcome outcome) {
    const ExchangeTexts texts = TextsOf(kind);
    const char* text = outcome == ExchangeOutcome::Answered ? texts.answered : texts.failed;
    if (text == nullptr || outcome == ExchangeOutcome::Stopped) return;
    // A loop's time-out passes; an exchange's outcome stays in the status line.
    if (kind == ExchangeKind::Run || kind == ExchangeKind::Video)
        ShowText(p, text);
    else
        SetStatus(p, text);
}

ExchangeOutcome PushGET(Program& p, int target) {
    if (target != DATFILE && target != RAM && target != EEPROM) return ExchangeOutcome::NotOpen;
    if (target != DATFILE) {
        CopyVarsToPP(p);
        const ExchangeOutcome outcome = Exchange(p, target == RAM ? GET_RAM : GET_EEPROM,
                                                 "Waiting for parameter-frame ...", true);
        if (outcome != ExchangeOutcome::Answered) {
            // The panel is not redrawn: values typed but not sent stay as they are.
            ReportOutcome(p, ExchangeKind::Get, outcome);
            return outcome;
        }
        CopyPPtoVars(p);
        p.szStatus = TextsOf(ExchangeKind::Get).answered;
    }
    SetPanelValues(p);
    EditMarksReference(p, p.pp);
    ShowStatus(p);
    return ExchangeOutcome::Answered;
}

ExchangeOutcome PushSEND(Program& p, int target) {
    p.sync = 0x55;
    GetPanelValues(p);
    CopyVarsToPP(p);
    const ExchangeOutcome outcome =
        Exchange(p, target == EEPROM ? SEND_EEPROM : SEND_RAM, nullptr, false);
    ReportOutcome(p, ExchangeKind::Send, outcome);
    // Only a record the sensor confirmed counts as sent.
    if (outcome == ExchangeOutcome::Answered) EditMarksReference(p, PackedRecord(p));
    return outcome;
}

ExchangeOutcome PushTEACH(Program& p) {
    // The request carries pp as it stands; the panel is not read for it.
    const ExchangeOutcome outcome = Exchange(p, TEACH, "New setpoint value teached!", true);
    if (outcome != ExchangeOutcome::Answered) {
        ReportOutcome(p, ExchangeKind::Teach, outcome);
        return outcome;
    }
    return PushGET(p, RAM);
}

ExchangeOutcome PushRESET(Program& p) {
    const ExchangeOutcome outcome = Exchange(p, RESET_MAXMIN, "Reset Max/Min values...", true);
    ReportOutcome(p, ExchangeKind::Reset, outcome);
    return outcome;
}
