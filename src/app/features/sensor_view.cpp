#include "sensor_view.h"

#include <ctime>

#include "com232.h"
#include "compare.h"
#include "edit_marks.h"
#include "gui.h"
#include "records.h"
#include "workbench.h"

using namespace platform;

namespace {

Lamp LampOf(LinkState link) {
    switch (link) {
        case LinkState::Online:
            return Lamp::Online;
        case LinkState::Opening:
        case LinkState::Identifying:
            return Lamp::Busy;
        case LinkState::NotAnswering:
            return Lamp::NotAnswering;
        case LinkState::Unplugged:
            return Lamp::Unplugged;
        case LinkState::WrongDevice:
            return Lamp::WrongDevice;
        case LinkState::NoPort:
            break;
    }
    return Lamp::NoPort;
}

std::string LinkText(const SensorModel& m) {
    switch (m.Link()) {
        case LinkState::Online:
            return "Online";
        case LinkState::Opening:
            return "Opening the port ...";
        case LinkState::Identifying:
            return "Identifying the sensor ...";
        case LinkState::NotAnswering:
            return "Not answering since " + ClockText(m.SilentSince());
        case LinkState::Unplugged:
            return "Unplugged";
        case LinkState::WrongDevice:
            return "Wrong device";
        case LinkState::NoPort:
            break;
    }
    return "No port";
}

std::string IdentityText(const SensorIdentity& id) {
    std::string text = "Port " + (id.port.empty() ? std::string("-") : id.port);
    if (id.identifiedAt == 0) return text + "\nNot identified";
    return text + "\nSensor type " + std::to_string(id.sensorType) + ", " +
           std::to_string(id.pixels) + " pixels, " + std::to_string(id.subPixels) +
           " sub-pixels\nBoard " + std::to_string(id.board) + ", software " +
           std::to_string(id.softwareVersion) +
           "\nFirmware: " + (id.firmware.empty() ? std::string("-") : id.firmware) +
           "\nIdentified at " + ClockText(id.identifiedAt);
}

std::string NoticeText(const SensorModel& m) {
    std::string notice;
    if (m.Link() == LinkState::NotAnswering || m.Link() == LinkState::NoPort ||
        m.Link() == LinkState::Unplugged)
        notice = "Check the cable, the sensor's power and the port chosen.";
    if (m.Link() == LinkState::WrongDevice)
        notice = "Another device answers on this port: choose the sensor's port.";
    const std::size_t unknown = m.Unknown().count();
    if (unknown > 0)
        notice += (notice.empty() ? "" : "\n") + std::to_string(unknown) +
                  (unknown == 1 ? " value" : " values") + " not read from the sensor (marked).";
    return notice;
}

void ApplyHistoryStep(void* data, const std::vector<unsigned short>& words) {
    Program& p = ProgramOf(data);
    for (int i = 0; i < PNUM && i < static_cast<int>(words.size()); ++i)
        p.pp[i] = words[static_cast<std::size_t>(i)];
    CopyPPtoVars(p);
    SetPanelValues(p);  // undone values pass the panel's limits like any edit
    p.sensorView->shown = PanelRecord(p);
    ShowSensorView(p);
}

void FindSensor(void* data) {
    Program& p = ProgramOf(data);
    if (p.loopRunning) {
        ShowText(p, "Stop Run or Video before finding the sensor");
        return;
    }
    if (p.router.Outstanding(p.rt.Timer())) {  // a Get, Send... waits: its port stays
        ShowText(p, "Wait for the sensor's answer before finding the sensor");
        return;
    }
    p.rs.CloseCom(p.com);
    ShowText(p, "Init COM-Port ...");
    InitRS232(p, p.com);
    SelectTarget(p, p.target);
}

}  // namespace

std::string ClockText(UtcMs time) {
    const std::time_t seconds = static_cast<std::time_t>(time / 1000);
    char text[8] = "--:--";
    if (const std::tm* local = std::localtime(&seconds))
        std::strftime(text, sizeof text, "%H:%M", local);
    return text;
}

SensorView::SensorView(Program& p)
    : box(p.rt, p.pHandle, FindSensor, &p), history(p.rt, p.pHandle, ApplyHistoryStep, &p) {}

void SensorViewCloser::operator()(SensorView* v) const {
    delete v;
}

void OpenSensorView(Program& p) {
    p.sensorView.reset(new SensorView(p));
    p.sensorView->shown = PanelRecord(p);
    ShowSensorView(p);
}

void ShowSensorView(Program& p) {
    if (!p.sensorView) return;
    const SensorModel& m = p.model;
    p.sensorView->box.Show({LampOf(m.Link()), LinkText(m), IdentityText(m.Identity()),
                            m.MemoryState(), p.sensorView->result, NoticeText(m)});
    ShowEditMarks(p);
}

void PanelChanged(Program& p, const char* what) {
    if (!p.sensorView) return;
    SensorView& v = *p.sensorView;
    const RecordWords now = PanelRecord(p);
    v.history.Record(what, {v.shown.begin(), v.shown.end()}, {now.begin(), now.end()});
    v.shown = now;
    ShowSensorView(p);
}
