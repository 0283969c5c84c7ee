#include "close_guard.h"

#include <cstdio>

#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "desktop.h"
#include "edit_marks.h"
#include "gui.h"
#include "panel_ids.h"
#include "sensor_events.h"
#include "sensor_view.h"
#include "user_files.h"

using namespace platform;

namespace {

constexpr const char* kTitle = "Tavrix-Didor";
constexpr const char* kSendAndStore = "Send and store in EEPROM";
constexpr const char* kCloseWithoutStoring = "Close without storing";
constexpr const char* kSaveFile = "Save parameter file...";
constexpr const char* kCloseWithoutSaving = "Close without saving";
constexpr const char* kCancel = "Cancel";

void Quit(Program& p) {
    p.stop_flag = 1;
    p.rs.CloseCom(p.com);
    p.quitting = true;
    p.rt.QuitUserInterface(0);
}

bool Online(const Program& p) {
    return p.model.Link() == LinkState::Online;
}

// Values on the panel that RAM may not hold: not sent, or (while RAM is not known) edited since
// the start values.
int ValuesAtRisk(Program& p) {
    const RecordWords panel = PanelRecord(p);
    WordMask risk = p.model.Unsent(panel);
    if (p.sensorView) risk |= p.model.Unknown() & DifferingWords(panel, p.sensorView->start);
    return static_cast<int>(risk.count());
}

// Sends the panel to RAM when it differs, then to EEPROM. False when either was not confirmed.
bool SendAndStore(Program& p) {
    const int target = p.target;
    bool confirmed = true;
    for (const int memory : {RAM, EEPROM}) {
        if (memory == RAM && p.model.Unsent(PanelRecord(p)).none() && p.model.Unknown().none())
            continue;
        p.target = memory;
        p.rx_flag = 0;
        CC_BTNSend(p.pHandle, ui::BTNSend, EVENT_LEFT_CLICK, &p, 0, 0);
        confirmed = p.rx_flag == 1;
        if (!confirmed) break;
    }
    SelectTarget(p, target);
    return confirmed;
}

void AskWhileOnline(Program& p, const std::string& lost) {
    const int answer = AskQuestion(p.rt, p.pHandle, kTitle,
                                   lost +
                                       "\n\nSend the panel to the sensor and store it in "
                                       "EEPROM before closing?",
                                   {kSendAndStore, kCloseWithoutStoring, kCancel});
    if (answer == 1) return Quit(p);
    if (answer != 0) return;
    if (SendAndStore(p))
        Quit(p);
    else
        ShowText(p, "Not stored: the sensor did not answer - the window stays open");
}

void AskWhileSilent(Program& p, const std::string& lost) {
    const int answer = AskQuestion(
        p.rt, p.pHandle, kTitle,
        lost +
            "\n\nThe sensor is not answering: the set-up exists only in the panel. Save it to "
            "a parameter file?",
        {kSaveFile, kCloseWithoutSaving, kCancel});
    if (answer == 1) return Quit(p);
    if (answer != 0 || ParaFilePopup(p, SAVE_POPUP) <= 0) return;
    GetPanelValues(p);
    CopyVarsToPP(p);
    const FileResult result = WriteParaFile(p);
    if (result == kFileOk) return Quit(p);
    ShowText(p, ParaFileErrorText(result, true));
}

void CloseWhenIdle(void* data) {
    Program& p = ProgramOf(data);
    if (p.quitting) return;
    const std::string lost = WhatWouldBeLost(p);
    if (lost.empty()) return Quit(p);
    if (Online(p))
        AskWhileOnline(p, lost);
    else
        AskWhileSilent(p, lost);
}

void WriteRecovery(void* data) {
    Program& p = ProgramOf(data);
    if (WhatWouldBeLost(p).empty()) return;
    const std::string saved = p.file_name;
    p.file_name = RecoveryFilePath();
    GetPanelValues(p);
    CopyVarsToPP(p);
    WriteParaFile(p);
    p.file_name = saved;
}

}  // namespace

std::string RecoveryFilePath() {
    return DataFolder() + "/recovery.dat";
}

std::string WhatWouldBeLost(Program& p) {
    std::string lost;
    if (const int values = ValuesAtRisk(p); values > 0)
        lost = "The panel holds " + std::to_string(values) + (values == 1 ? " value" : " values") +
               " that the sensor does not have.";
    if (p.model.NotStored())
        lost += (lost.empty() ? "" : "\n") + p.model.MemoryState() +
                ": the set-up is lost at the sensor's next power-off.";
    return lost;
}

void RequestClose(Program& p) {
    p.stop_flag = 1;  // a running loop ends first
    if (WhatWouldBeLost(p).empty()) return Quit(p);
    p.rt.PostDeferredCall(CloseWhenIdle, &p);
}

void GuardSessionEnd(Program& p) {
    WhenSessionEnds(WriteRecovery, &p);
}

void StopGuardingSessionEnd() {
    WhenSessionEnds(nullptr, nullptr);
}

void OfferRecovery(Program& p) {
    const std::string path = RecoveryFilePath();
    RecordWords words{};
    if (ReadParaFileWords(path, words) != kFileOk) return;
    const int answer = AskQuestion(p.rt, p.pHandle, kTitle,
                                   "The panel was saved to a recovery file when the desktop "
                                   "session ended. Load it into the panel?",
                                   {"Load", "Discard"});
    std::remove(path.c_str());
    if (answer != 0) return;
    p.pp = words;
    CopyPPtoVars(p);
    SetPanelValues(p);
    SensorFileShown(p);
    SetStatus(p, "Recovery file loaded - not sent to the sensor");
}
