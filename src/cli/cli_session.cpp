#include "cli_session.h"

#include <cstdlib>

#include "Tavrix-VarizA152.h"
#include "com232.h"
#include "panel_ids.h"
#include "rs232.h"

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

bool Session::Connect(const PortChoice& port, bool needFirmware, std::string& why,
                      std::string& warning) {
    Program& p = program_;
    if (!port.device.empty()) MapDeviceToPort(port.number, port.device);
    p.com = port.number;
    InitRS232(p, p.com);
    const std::string where = "port " + std::to_string(p.com) + " (" + Device() + ")";
    if (!p.rs.IsOpen(p.com)) {
        // The status texts for a folder, a file or /dev/null are the window's own for their
        // error codes; a script is told plainly.
        const bool notSerial = !port.device.empty() && !platform::IsSerialDevice(port.device);
        why = "cannot open " + where + ": " +
              (notSerial ? port.device + " is not a serial device" : p.szStatus);
        return false;
    }
    // The model says whether another device answers; the identification notes which answers came.
    const Identification& id = p.identified;
    if (p.model.Link() == LinkState::WrongDevice) {
        why = "another device answers on this port, " + where + ": " + p.szStatus;
        return false;
    }
    const char* missing = !id.line      ? "the line check"
                          : !id.profile ? "the hardware profile"
                          : !id.record  ? "the parameter record"
                                        : nullptr;
    if (missing) {
        why = "no sensor answering on " + where + ": no answer to " + missing;
        return false;
    }
    if (!id.firmware) {
        (needFirmware ? why : warning) = "no firmware text from the sensor on " + where;
        return !needFirmware;
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
