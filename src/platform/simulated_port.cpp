#include "simulated_port.h"

#include <QtGlobal>
#include <cstdio>

#include "local_line.h"
#include "options.h"
#include "rs232_types.h"

namespace platform {

std::unique_ptr<SerialDevice> SimulatedPort::Device(int* error) {
    if (line_ && line_->serving()) return MakeSimulatedDevice(line_);
    const sim::ParsedOptions parsed =
        sim::ParseOptionString(qEnvironmentVariable("TAVRIX_SIM").toStdString());
    if (!parsed.ok) {
        std::fprintf(stderr, "TAVRIX_SIM: %s\n", parsed.error.c_str());
        *error = kComInvalidParameter;
        return nullptr;
    }
    sim::ServerOptions options;
    options.baud = parsed.options.baud;
    options.burst = parsed.options.burst;
    options.faults = parsed.options.faults;
    if (parsed.options.log)
        options.onRequest = [](const sim::LoggedRequest& r) {
            std::fprintf(stderr, "sim %10.4f  %2u %s\n", r.time, static_cast<unsigned>(r.code),
                         sim::CodeName(r.code).c_str());
        };
    auto fresh = std::make_shared<sim::LocalLine>(parsed.options.sensor, options);
    if (line_) fresh->SetRecords(line_->Ram(), line_->Eeprom());
    fresh->Start();
    line_ = std::move(fresh);
    return MakeSimulatedDevice(line_);
}

}  // namespace platform
