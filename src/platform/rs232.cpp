// Serial ports by number over QSerialPort, and the built-in simulated sensor.
#include "rs232.h"

#include <QString>
#include <map>

#include "engine.h"
#include "engine_impl.h"
#include "port_list_watch.h"
#include "serial_channel.h"
#include "serial_port_map.h"
#include "simulated_port.h"

namespace platform {

struct Rs232::Impl {
    explicit Impl(Engine& e) : engine(e), watch(e) {}

    SerialChannel* Channel(int port) {
        const auto it = channels.find(port);
        return it == channels.end() ? nullptr : it->second.get();
    }
    SerialChannel& MakeChannel(int port);

    Engine& engine;
    std::map<int, std::unique_ptr<SerialChannel>> channels;
    SimulatedPort simulator;
    PortListWatch watch;
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

Rs232::Rs232(Engine& engine) : impl_(std::make_unique<Impl>(engine)) {}

Rs232::~Rs232() {
    impl_->channels.clear();  // closes the ports before the simulator's line goes away
}

int Rs232::OpenComConfig(int port, const std::string& deviceName, long baud, int parity,
                         int dataBits, int stopBits, int inputQueueSize, int outputQueueSize) {
    if (port < 0) return kComInvalidPort;
    const SerialSettings settings{baud, parity, dataBits, stopBits, inputQueueSize};
    if (!ValidSettings(settings) || outputQueueSize < 0) return kComInvalidParameter;
    if (SerialChannel* open = impl_->Channel(port)) open->Close();

    const std::string device = deviceName.empty() ? MapPortToDevice(port) : deviceName;
    if (device.empty()) return kComInvalidPort;
    int error = 0;
    const bool simulated = device == kSimulatedDevice;
    auto opened = simulated ? impl_->simulator.Device(&error)
                            : MakePortDevice(QString::fromStdString(device));
    return opened ? impl_->MakeChannel(port).Open(std::move(opened), settings) : error;
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

std::string Rs232::DeviceForPort(int port) const {
    return MapPortToDevice(port);
}

std::vector<PortEntry> Rs232::ListPorts() const {
    std::vector<PortEntry> list = ListSerialPorts();
    impl_->watch.Given(list);
    return list;
}

void Rs232::WatchPorts(PortListCallback callback, void* callbackData) {
    impl_->watch.Start(callback, callbackData);
}

}  // namespace platform
