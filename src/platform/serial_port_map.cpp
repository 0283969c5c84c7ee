#include "serial_port_map.h"

#include <QFileInfo>
#include <QSerialPortInfo>
#include <QString>
#include <QStringList>
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

// Product, maker and serial number, each once (a product text often repeats the maker).
std::string Description(const QSerialPortInfo& info) {
    QStringList parts;
    for (const QString& part : {info.description(), info.manufacturer()})
        if (!part.isEmpty() && !parts.join(' ').contains(part, Qt::CaseInsensitive)) parts << part;
    if (!info.serialNumber().isEmpty()) parts << "SN " + info.serialNumber();
    return parts.join(", ").toStdString();
}

// What the system knows of each device present, by the device name ports are opened with.
std::map<std::string, std::string> DescriptionsPresent() {
    std::map<std::string, std::string> descriptions;
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
#ifdef Q_OS_WIN
        const QString device = info.portName();
#else
        const QString device = info.systemLocation();
#endif
        descriptions[device.toStdString()] = Description(info);
    }
    return descriptions;
}

// A TAVRIX_COM<n> device is listed while it exists, so that a pseudo-terminal comes and goes in
// the list like a USB adapter. Windows port names are no paths: they are always listed.
bool Present(const std::string& device) {
#ifdef Q_OS_WIN
    Q_UNUSED(device);
    return true;
#else
    return device == kSimulatedDevice || QFileInfo::exists(QString::fromStdString(device));
#endif
}

}  // namespace

std::string PortLabel(int number, const std::string& device) {
    return "COM" + std::to_string(number) + "  " +
           (device == kSimulatedDevice ? kSimulatedLabel : device);
}

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
    const std::map<std::string, std::string> descriptions = DescriptionsPresent();
    std::map<int, std::string> byNumber;
#ifdef Q_OS_WIN
    for (const QSerialPortInfo& info : QSerialPortInfo::availablePorts()) {
        const std::string name = info.portName().toStdString();
        if (const int n = WindowsPortNumber(name); n > 0) byNumber[n] = name;
    }
#else
    std::size_t i = 0;
    for (const auto& [device, description] : descriptions)
        byNumber[static_cast<int>(++i)] = device;
#endif
    for (int n = 1; n <= kListedEnvironmentPorts; ++n) {
        std::string env = EnvironmentDevice(n);
        if (env.empty()) continue;
        if (Present(env))
            byNumber[n] = env;
        else
            byNumber.erase(n);  // the number stays the variable's while its device is away
    }

    std::vector<PortEntry> entries;
    for (const auto& [number, device] : byNumber) {
        const auto known = descriptions.find(device);
        const std::string description = known == descriptions.end() ? "" : known->second;
        entries.push_back({number, device, PortLabel(number, device), description});
    }
    entries.push_back({kSimulatedPort, kSimulatedDevice, kSimulatedLabel});
    return entries;
}

}  // namespace platform
