#include "shared_sensor.h"

namespace sim {

SharedSensor::SharedSensor(const SensorConfig& sensor, ServerOptions options)
    : responder_(sensor), injector_(options.faults), options_(std::move(options)) {}

Reply SharedSensor::Serve(const Frame& request, double time) {
    Reply reply;
    LoggedRequest entry;
    {
        std::lock_guard lock(mutex_);
        const Answer answer = responder_.Respond(request, time);
        entry = responder_.log().back();
        reply = injector_.Apply(entry.code, answer);
    }
    if (options_.onRequest) options_.onRequest(entry);
    return reply;
}

void SharedSensor::SetFaults(std::vector<Fault> faults) {
    std::lock_guard lock(mutex_);
    injector_ = FaultInjector(std::move(faults));
}

std::vector<Fault> SharedSensor::faults() const {
    std::lock_guard lock(mutex_);
    return injector_.faults();
}

std::vector<LoggedRequest> SharedSensor::Log() const {
    std::lock_guard lock(mutex_);
    return {responder_.log().begin(), responder_.log().end()};
}

long SharedSensor::RequestCount() const {
    std::lock_guard lock(mutex_);
    return responder_.requestCount();
}

void SharedSensor::ClearLog() {
    std::lock_guard lock(mutex_);
    responder_.ClearLog();
}

Words SharedSensor::Ram() const {
    std::lock_guard lock(mutex_);
    return responder_.ram();
}

Words SharedSensor::Eeprom() const {
    std::lock_guard lock(mutex_);
    return responder_.eeprom();
}

HardwareProfile SharedSensor::Profile() const {
    std::lock_guard lock(mutex_);
    return responder_.profile();
}

Image SharedSensor::CurrentImage() const {
    std::lock_guard lock(mutex_);
    return responder_.image();
}

Words SharedSensor::LastRun() const {
    std::lock_guard lock(mutex_);
    return responder_.lastRun();
}

void SharedSensor::SetRecords(const Words& ram, const Words& eeprom) {
    std::lock_guard lock(mutex_);
    responder_.SetRecords(ram, eeprom);
}

}  // namespace sim
