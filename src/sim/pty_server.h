// The simulated sensor on a pseudo-terminal: a thread that reads request frames from the master
// side and writes the answers back, so that a program opening the slave path talks to it as to
// a sensor on a serial port.
//
// The line itself (pacing at a baud rate, dropping stale partial frames, faults) is LineEngine's;
// this server moves its bytes through the pseudo-terminal. The sensor's state is SharedSensor's.
//
// The server holds the slave open itself, so that a client may close and reopen it without the
// line hanging up; the line hangs up only through the HangUp fault, HangUp() or Stop().
//
// Every public function is thread-safe.
#pragma once

#include <atomic>
#include <mutex>
#include <string>
#include <thread>

#include "line_engine.h"
#include "shared_sensor.h"

namespace sim {

class PtyServer : public SharedSensor {
  public:
    explicit PtyServer(const SensorConfig& sensor = {}, ServerOptions options = {});
    ~PtyServer();  // stops the thread and closes the pseudo-terminal
    PtyServer(const PtyServer&) = delete;
    PtyServer& operator=(const PtyServer&) = delete;

    // Opens the pseudo-terminal and starts serving. False with error() set when it cannot. While
    // serving, or after a hang-up, a further call does nothing and returns serving(); after Stop
    // it serves again on a new pseudo-terminal.
    bool Start();
    // Ends the thread within milliseconds and closes the pseudo-terminal. Idempotent.
    void Stop();
    // Closes the line as the HangUp fault does, at once.
    void HangUp();

    // Path of the slave device, e.g. "/dev/pts/7"; empty before Start.
    std::string slavePath() const;
    // True from Start until Stop or a hang-up.
    bool serving() const { return serving_; }
    std::string error() const;

  private:
    void Run();
    void WriteDueOutput(LineEngine& line, double now, bool* blocked);
    void WaitAndRead(LineEngine& line, double now, bool* blocked);
    void CloseLine();
    void Wake();

    mutable std::mutex mutex_;  // the descriptors, path and error
    std::mutex stopMutex_;      // one Stop at a time
    std::string slavePath_;
    std::string error_;
    int master_ = -1;
    int slave_ = -1;
    int wakeRead_ = -1;
    int wakeWrite_ = -1;
    std::atomic<bool> serving_{false};
    std::atomic<bool> stopRequested_{false};
    std::atomic<bool> hangUpRequested_{false};
    std::thread thread_;
    double nextBurst_ = 0;  // serving thread only
};

}  // namespace sim
