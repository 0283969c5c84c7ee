// The simulated sensor on a pseudo-terminal: a thread that reads request frames from the master
// side and writes the answers back, so that a program opening the slave path talks to it as to
// a sensor on a serial port.
//
// Pacing: with a baud rate, the server behaves like the wire (10 bits a byte): a request counts
// as arrived only once its bytes would have crossed the line, and answer bytes leave no faster
// than the line carries them, a few at a time. A RUN exchange then takes 72 byte times (37.5 ms at
// 19200). Baud 0 answers at once, as fast as the pseudo-terminal takes the bytes.
//
// A request frame that stays incomplete for half a second is dropped, as a sensor would after a
// gap on the line. Bytes before a 0x00 0x55 header are skipped.
//
// The server holds the slave open itself, so that a client may close and reopen it without the
// line hanging up; the line hangs up only through the HangUp fault, HangUp() or Stop().
//
// Every public function is thread-safe.
#pragma once

#include <atomic>
#include <functional>
#include <memory>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "faults.h"
#include "responder.h"

namespace sim {

struct ServerOptions {
    long baud = 19200;  // 0: unpaced
    std::vector<Fault> faults;
    // Called on the server's thread for every request frame taken, before it is answered.
    std::function<void(const LoggedRequest&)> onRequest;
};

class PtyServer {
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

    // Replaces the faults; their request counts start again from 0.
    void SetFaults(std::vector<Fault> faults);
    std::vector<Fault> faults() const;

    std::vector<LoggedRequest> Log() const;  // the most recent requests, oldest first
    long RequestCount() const;               // requests taken since Start
    void ClearLog();
    Words Ram() const;
    Words Eeprom() const;
    HardwareProfile Profile() const;
    Image CurrentImage() const;
    Words LastRun() const;
    void SetRecords(const Words& ram, const Words& eeprom);

  private:
    struct Loop;
    void Run();
    bool AnswerDueRequests(Loop& loop, double now, double start);  // false: hang up
    void WriteDueOutput(Loop& loop, double now);
    void WaitAndRead(Loop& loop, double now);
    void CloseLine();
    void Wake();

    mutable std::mutex mutex_;
    std::mutex stopMutex_;  // one Stop at a time
    Responder responder_;
    FaultInjector injector_;
    ServerOptions options_;
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
};

}  // namespace sim
