#include "cli_session.h"

#include <cstdlib>

#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "panel_ids.h"

namespace {

// A device path becomes port `port` through the port map's own variable (see rs232.h).
void MapDeviceToPort(int port, const std::string& device) {
    const std::string name = "TAVRIX_COM" + std::to_string(port);
#ifdef _WIN32
    _putenv_s(name.c_str(), device.c_str());
#else
    setenv(name.c_str(), device.c_str(), 1);
#endif
}

}  // namespace

Session::Session() : ports_(engine_), program_(engine_, ports_) {
    Program& p = program_;
    p.pHandle = p.rt.LoadPanel(0, ui::kPanelFile, ui::kMainPanelName);
    if (p.pHandle <= 0) return;
    p.proj_dir = p.rt.GetProjectDir();
    InitVars(p);
}

bool Session::Connect(const PortChoice& port, std::string& why) {
    Program& p = program_;
    if (!port.device.empty()) MapDeviceToPort(port.number, port.device);
    p.com = port.number;
    InitRS232(p, p.com);
    const std::string where = "port " + std::to_string(p.com) + " (" + Device() + ")";
    if (!p.rs.IsOpen(p.com)) {
        why = "cannot open " + where + ": " + p.szStatus;
        return false;
    }
    // The model says how the identification ended; the firmware text must have arrived whole.
    if (p.model.Link() == LinkState::WrongDevice) {
        why = "another device answers on " + where + ": " + p.szStatus;
        return false;
    }
    if (p.model.Identity().identifiedAt == 0 || p.ret < VERSION_BYTES) {
        why = "no sensor answering on " + where + ": " + p.szStatus;
        return false;
    }
    return true;
}

std::string Session::Device() const {
    const std::string device = ports_.DeviceForPort(program_.com);
    return device.empty() ? "no device" : device;
}

std::string Session::StatusLine() const {
    std::string text;
    engine_.GetCtrlVal(program_.pHandle, ui::TEXTStatus, text);
    return text;
}
