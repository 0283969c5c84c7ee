// The simulated sensor on an in-process line: a thread runs the sensor's end (LineEngine), and a
// client in the same process writes and reads bytes here as it would through a serial driver. No
// pseudo-terminal and no system calls beyond the standard library, so it serves wherever the
// program runs.
//
// Answer bytes reach the client in bursts, at most every few milliseconds, as a USB serial
// adapter's latency timer hands them over; unpaced lines hand them over at once. At most
// kInputLimit bytes wait for the client; the line holds back the rest until it reads.
//
// One client at a time holds the line (Claim), as a serial device opens once. The line hangs up
// only through the HangUp fault, HangUp() or Stop(). Every public function is thread-safe.
#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <span>
#include <thread>
#include <vector>

#include "shared_sensor.h"

namespace sim {

class LineEngine;

class LocalLine : public SharedSensor {
  public:
    static constexpr double kBurstInterval = 0.004;  // seconds between hand-overs, paced, unless
                                                     // the options say otherwise
    static constexpr std::size_t kInputLimit = 4096;

    explicit LocalLine(const SensorConfig& sensor = {}, ServerOptions options = {});
    ~LocalLine();  // stops the thread
    LocalLine(const LocalLine&) = delete;
    LocalLine& operator=(const LocalLine&) = delete;

    // Starts serving; after Stop or a hang-up a further call does nothing and returns false.
    bool Start();
    void Stop();    // ends the thread within milliseconds; idempotent
    void HangUp();  // closes the line as the HangUp fault does
    // True from Start until Stop or a hang-up.
    bool serving() const;

    // False while another client holds the line.
    bool Claim();
    void Release();
    // Called on the line's thread after each hand-over and on a hang-up; it must not block, nor
    // call back into the line. An empty function removes it.
    void SetNotify(std::function<void()> notify);

    // The client's bytes, onto the line now; false when the line is down.
    bool Write(std::span<const std::uint8_t> bytes);
    // Bytes handed over and not yet read; Read takes up to buffer.size() of them.
    std::size_t Available() const;
    std::size_t Read(std::span<std::uint8_t> buffer);
    void ClearInput();
    // Waits up to `seconds` for bytes to read; false when none came or the line went down.
    bool WaitForInput(double seconds);

  private:
    void Run();
    // Moves the due answer bytes to the client when a burst is due; true when some moved.
    bool HandOver(LineEngine& line, double now);

    mutable std::mutex mutex_;
    std::condition_variable lineWake_;    // the client wrote, read or stopped the line
    std::condition_variable clientWake_;  // bytes were handed over, or the line went down
    std::vector<std::uint8_t> written_;   // client bytes not yet taken by the line
    std::deque<std::uint8_t> input_;      // bytes handed over, not yet read
    std::function<void()> notify_;
    double nextBurst_ = 0;
    bool started_ = false;
    bool serving_ = false;
    bool claimed_ = false;
    bool stopRequested_ = false;
    bool hangUpRequested_ = false;
    std::thread thread_;
};

}  // namespace sim
