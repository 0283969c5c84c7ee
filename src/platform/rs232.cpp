// Serial ports by number over QSerialPort, and the built-in simulated sensor.
#include "rs232.h"

#include <QString>
#include <QtGlobal>
#include <cstdio>
#include <map>

#include "engine.h"
#include "engine_impl.h"
#include "options.h"
#include "pty_server.h"
#include "serial_channel.h"
#include "serial_port_map.h"

namespace platform {

struct Rs232::Impl {
    explicit Impl(Engine& e) : engine(e) {}

    SerialChannel* Channel(int port) {
        const auto it = channels.find(port);
        return it == channels.end() ? nullptr : it->second.get();
    }
    SerialChannel& MakeChannel(int port);
    // The slave path of the simulated sensor, started on first use; empty with *error set when
    // it cannot start.
    std::string SimulatorDevice(int* error);

    Engine& engine;
    std::map<int, std::unique_ptr<SerialChannel>> channels;
    std::map<int, double> byteSeconds;  // by port, as last opened
    std::unique_ptr<sim::PtyServer> simulator;
    long simulatorBaud = 0;
};

SerialChannel& Rs232::Impl::MakeChannel(int port) {
    auto& slot = channels[port];
    if (!slot) {
        Engine::Impl& engineImpl = engine.impl();
        slot = std::make_unique<SerialChannel>(port, [&engineImpl](const std::function<void()>& f) {
            CallbackScope scope(engineImpl);
            f();
        });
    }
    return *slot;
}

// Options come from TAVRIX_SIM; the line is paced at 19200 baud unless they say otherwise. A
// simulator whose line hung up is replaced by a fresh one that keeps its records.
std::string Rs232::Impl::SimulatorDevice(int* error) {
    if (simulator && simulator->serving()) return simulator->slavePath();
    const sim::ParsedOptions parsed =
        sim::ParseOptionString(qEnvironmentVariable("TAVRIX_SIM").toStdString());
    if (!parsed.ok) {
        std::fprintf(stderr, "TAVRIX_SIM: %s\n", parsed.error.c_str());
        *error = kComInvalidParameter;
        return {};
    }
    sim::ServerOptions options;
    options.baud = parsed.options.baud;
    options.faults = parsed.options.faults;
    if (parsed.options.log)
        options.onRequest = [](const sim::LoggedRequest& r) {
            std::fprintf(stderr, "sim %10.4f  %2u %s\n", r.time, static_cast<unsigned>(r.code),
                         sim::CodeName(r.code).c_str());
        };
    auto fresh = std::make_unique<sim::PtyServer>(parsed.options.sensor, options);
    if (simulator) fresh->SetRecords(simulator->Ram(), simulator->Eeprom());
    if (!fresh->Start()) {
        std::fprintf(stderr, "simulated sensor: %s\n", fresh->error().c_str());
        *error = kComUnknownSystemError;
        return {};
    }
    simulator = std::move(fresh);
    simulatorBaud = parsed.options.baud;
    return simulator->slavePath();
}

Rs232::Rs232(Engine& engine) : impl_(std::make_unique<Impl>(engine)) {}

Rs232::~Rs232() {
    impl_->channels.clear();  // closes the ports before the simulator's line goes away
    impl_->simulator.reset();
}

int Rs232::OpenComConfig(int port, const std::string& deviceName, long baud, int parity,
                         int dataBits, int stopBits, int inputQueueSize, int outputQueueSize) {
    if (port < 0) return kComInvalidPort;
    const SerialSettings settings{baud, parity, dataBits, stopBits, inputQueueSize};
    if (!ValidSettings(settings) || outputQueueSize < 0) return kComInvalidParameter;
    if (SerialChannel* open = impl_->Channel(port)) open->Close();

    std::string device = deviceName.empty() ? MapPortToDevice(port) : deviceName;
    if (device.empty()) return kComInvalidPort;
    // A start bit, the data bits, a parity bit if any and the stop bits make one byte on the line.
    const int bitsPerByte = 1 + dataBits + (parity != 0 ? 1 : 0) + stopBits;
    impl_->byteSeconds[port] = static_cast<double>(bitsPerByte) / static_cast<double>(baud);
    if (device == kSimulatedDevice) {
        int error = 0;
        device = impl_->SimulatorDevice(&error);
        if (device.empty()) return error;
        const long simBaud = impl_->simulatorBaud;
        impl_->byteSeconds[port] = simBaud > 0 ? static_cast<double>(bitsPerByte) / simBaud : 0.0;
    }
    return impl_->MakeChannel(port).Open(QString::fromStdString(device), settings);
}

int Rs232::CloseCom(int port) {
    SerialChannel* c = impl_->Channel(port);
    if (c == nullptr || !c->isOpen()) return kComNotOpen;
    c->Close();
    return 0;
}

bool Rs232::IsOpen(int port) const {
    const auto it = impl_->channels.find(port);
    return it != impl_->channels.end() && it->second->isOpen();
}

int Rs232::SetComTime(int port, double seconds) {
    SerialChannel* c = impl_->Channel(port);
    if (c == nullptr || !c->isOpen()) return kComNotOpen;
    c->SetTimeout(seconds);
    return 0;
}

int Rs232::SetCTSMode(int port, int mode) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->SetHandshake(mode) : kComNotOpen;
}

int Rs232::FlushInQ(int port) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->FlushInput() : kComNotOpen;
}

int Rs232::FlushOutQ(int port) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->FlushOutput() : kComNotOpen;
}

int Rs232::ComWrt(int port, const void* data, int count) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->Write(static_cast<const char*>(data), count) : kComNotOpen;
}

int Rs232::ComRd(int port, void* buffer, int count) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->Read(static_cast<char*>(buffer), count) : kComNotOpen;
}

int Rs232::GetInQLen(int port) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->InputLength() : kComNotOpen;
}

int Rs232::InstallComCallback(int port, int eventMask, int notifyCount, int eventCharacter,
                              ComCallback callback, void* callbackData) {
    SerialChannel* c = impl_->Channel(port);
    return c ? c->InstallCallback(eventMask, notifyCount, eventCharacter, callback, callbackData)
             : kComNotOpen;
}

double Rs232::ByteSeconds(int port) const {
    const auto it = impl_->byteSeconds.find(port);
    return it == impl_->byteSeconds.end() ? 0.0 : it->second;
}

std::string Rs232::DeviceForPort(int port) const {
    return MapPortToDevice(port);
}

std::vector<PortEntry> Rs232::ListPorts() const {
    return ListSerialPorts();
}

}  // namespace platform
