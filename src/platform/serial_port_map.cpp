#include "serial_port_map.h"

#include <QSerialPortInfo>
#include <QString>
#include <algorithm>
#include <cctype>
#include <map>

namespace platform {

namespace {

std::string EnvironmentDevice(int port) {
    const QByteArray name = "TAVRIX_COM" + QByteArray::number(port);
    return qEnvironmentVariable(name.constData()).trimmed().toStdString();
}

std::vector<std::string> DevicesPresent() {
    std::vector<std::string> devices;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts())
        devices.push_back(info.systemLocation().toStdString());
    std::sort(devices.begin(), devices.end());
    return devices;
}

std::string Label(int port, const std::string& device) {
    const std::string shown = device == kSimulatedDevice ? "Simulated sensor" : device;
    return "COM" + std::to_string(port) + "  " + shown;
}

}  // namespace

std::string WindowsPortPath(int port) {
    return port >= 1 ? "\\\\.\\COM" + std::to_string(port) : std::string();
}

int WindowsPortNumber(const std::string& name) {
    std::string upper = name;
    for (char& c : upper)
        c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (upper.starts_with("\\\\.\\")) upper.erase(0, 4);
    if (!upper.starts_with("COM") || upper.size() < 4 || upper.size() > 6 || upper[3] == '0')
        return 0;
    if (!std::all_of(upper.begin() + 3, upper.end(), [](char c) { return c >= '0' && c <= '9'; }))
        return 0;
    return std::stoi(upper.substr(3));
}

std::string MapPortToDevice(int port) {
    if (port == kSimulatedPort) return kSimulatedDevice;
    if (port < 0) return {};
    if (std::string env = EnvironmentDevice(port); !env.empty()) return env;
#ifdef Q_OS_WIN
    return WindowsPortPath(port);
#else
    const std::vector<std::string> devices = DevicesPresent();
    if (port > static_cast<int>(devices.size())) return {};
    return devices[port - 1];
#endif
}

std::vector<PortEntry> ListSerialPorts() {
    std::map<int, std::string> byNumber;
#ifdef Q_OS_WIN
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string name = info.portName().toStdString();
        if (const int n = WindowsPortNumber(name); n > 0) byNumber[n] = name;
    }
#else
    const std::vector<std::string> devices = DevicesPresent();
    for (std::size_t i = 0; i < devices.size(); ++i)
        byNumber[static_cast<int>(i) + 1] = devices[i];
#endif
    for (int n = 1; n <= kListedEnvironmentPorts; ++n)
        if (std::string env = EnvironmentDevice(n); !env.empty()) byNumber[n] = env;

    std::vector<PortEntry> entries;
    for (const auto& [number, device] : byNumber)
        entries.push_back({number, device, Label(number, device)});
    entries.push_back({kSimulatedPort, kSimulatedDevice, "Simulated sensor"});
    return entries;
}

}  // namespace platform
