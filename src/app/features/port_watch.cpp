#include "port_watch.h"

#include <algorithm>

#include "com232.h"
#include "panel_ids.h"
#include "program.h"
#include "sensor_events.h"

using namespace platform;

namespace {

// The chosen device in a new list: under its number if it still has it (two numbers may name one
// device, "sim" say), else under the number the list gives it now.
const PortEntry* FindChosen(const std::vector<PortEntry>& entries, const PortEntry& chosen) {
    const PortEntry* moved = nullptr;
    for (const PortEntry& e : entries) {
        if (e.device != chosen.device) continue;
        if (e.number == chosen.number) return &e;
        if (moved == nullptr) moved = &e;
    }
    return moved;
}

std::string MissingEntryText(const PortEntry& entry) {
    return PortEntryText(entry) + "  (not present)";
}

void TellStatus(Program& p, const std::string& text) {
    p.szStatus = text;
    ShowStatus(p);
}

// The chosen device first when it is away, so that it is the item its number selects.
void ShowList(Program& p) {
    const PortWatch& w = p.portWatch;
    p.rt.ClearListCtrl(p.pHandle, ui::DropDCom);
    if (w.chosenGone)
        p.rt.InsertListItem(p.pHandle, ui::DropDCom, -1, MissingEntryText(w.chosen),
                            w.chosen.number);
    for (const PortEntry& entry : w.shown)
        p.rt.InsertListItem(p.pHandle, ui::DropDCom, -1, PortEntryText(entry), entry.number);
    p.rt.SetCtrlVal(p.pHandle, ui::DropDCom, w.chosen.number);
}

// Takes a new look and keeps the chosen device's entry (and number) up to date; true when the
// chosen device is present.
bool Look(Program& p) {
    PortWatch& w = p.portWatch;
    w.shown = p.rs.ListPorts();
    const PortEntry* present = FindChosen(w.shown, w.chosen);
    if (present != nullptr) w.chosen = *present;
    w.chosenGone = present == nullptr && !w.chosen.device.empty();
    return present != nullptr;
}

void OnPortListChanged(void* callbackData) {
    RefreshPortList(ProgramOf(callbackData));
}

// The item the user picked, by its text: the one device it names.
void NotePick(Program& p) {
    PortWatch& w = p.portWatch;
    std::string text;
    if (p.rt.GetCtrlVal(p.pHandle, ui::DropDCom, text) < 0) return;
    for (const PortEntry& entry : w.shown) {
        if (PortEntryText(entry) != text) continue;
        w.chosen = entry;
        w.chosenGone = false;
        return;
    }
}

}  // namespace

std::string PortEntryText(const PortEntry& entry) {
    return entry.description.empty() ? entry.label : entry.label + " - " + entry.description;
}

std::string PortName(const PortEntry& entry) {
    return "COM" + std::to_string(entry.number) + " (" + entry.device + ")";
}

void StartPortWatch(Program& p) {
    PortWatch& w = p.portWatch;
    const std::string device = p.rs.DeviceForPort(p.com);
    w.chosen = {p.com, device, platform::PortLabel(p.com, device)};
    Look(p);
    ShowList(p);
    p.rs.WatchPorts(OnPortListChanged, &p);
}

void StopPortWatch(Program& p) {
    p.rs.WatchPorts(nullptr, nullptr);
}

void PortSelectorEvent(Program& p, int event) {
    if (event == EVENT_LIST_OPENING) RefreshPortList(p);
    if (event == EVENT_COMMIT) NotePick(p);
}

void RefreshPortList(Program& p) {
    const bool wasGone = p.portWatch.chosenGone;
    const bool present = Look(p);
    ShowList(p);
    const std::string name = PortName(p.portWatch.chosen);
    if (!wasGone && p.portWatch.chosenGone) {
        TellStatus(p, name + " was unplugged - plug it in again or choose another port");
        if (p.portWatch.chosen.number == p.com) SensorOutcome(p, ExchangeOutcome::PortLost);
    } else if (wasGone && present)
        TellStatus(p, name + " is plugged in - choose it in the port list to connect");
}
