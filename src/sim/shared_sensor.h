// The simulated sensor shared by its serving thread and whoever watches it (the program's built-in
// port, a test): the responder, the faults and the request log behind one lock. Every public
// function is thread-safe.
#pragma once

#include <functional>
#include <mutex>
#include <vector>

#include "faults.h"
#include "responder.h"

namespace sim {

struct ServerOptions {
    long baud = 19200;  // 0: unpaced
    std::vector<Fault> faults;
    // Called on the serving thread for every request frame taken, before it is answered.
    std::function<void(const LoggedRequest&)> onRequest;
    double burst = 0;  // seconds between hand-overs of answer bytes (a USB adapter); 0: default
    // The pace the requests come at, the PC's; 0: the sensor's own. A sensor whose clock runs fast
    // or slow still receives at the PC's pace.
    long requestBaud = 0;
};

class SharedSensor {
  public:
    explicit SharedSensor(const SensorConfig& sensor = {}, ServerOptions options = {});

    long baud() const { return options_.baud; }
    // Unpaced, requests come at once too.
    long requestBaud() const {
        return options_.baud > 0 && options_.requestBaud > 0 ? options_.requestBaud : options_.baud;
    }
    double burst() const { return options_.burst; }
    // Takes one request that arrived `time` seconds after the start, shaped by the faults.
    Reply Serve(const Frame& request, double time);

    // Replaces the faults; their request counts start again from 0.
    void SetFaults(std::vector<Fault> faults);
    std::vector<Fault> faults() const;

    std::vector<LoggedRequest> Log() const;  // the most recent requests, oldest first
    long RequestCount() const;               // requests taken since the start
    void ClearLog();
    Words Ram() const;
    Words Eeprom() const;
    HardwareProfile Profile() const;
    Image CurrentImage() const;
    Words LastRun() const;
    void SetRecords(const Words& ram, const Words& eeprom);

  private:
    mutable std::mutex mutex_;
    Responder responder_;
    FaultInjector injector_;
    ServerOptions options_;
};

}  // namespace sim
