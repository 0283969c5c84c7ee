// The whole program started against a simulated sensor on a real pseudo-terminal, with its real
// widgets offscreen. Tests drive it as a person would (mouse and keys on the controls) and look
// at the panel, the program state and the requests the sensor received.
#pragma once

#include <gtest/gtest.h>

#include <QWidget>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "Tavrix-VarizA152.h"
#include "pty_server.h"
#include "test_support.h"

namespace systest {

class ProgramTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    void TearDown() override;

    // Starts a simulated sensor (tavrix-sim option syntax) and makes it port `port`.
    sim::PtyServer& StartSensor(const std::string& options = "--baud 19200", int port = 1);
    // Makes port `port` a device path that does not exist.
    void NoSensor(int port = 1);
    // Runs the program's start-up (everything before the event loop); expects success.
    void StartProgram();
    Program& p() { return *program_; }
    sim::PtyServer& sensor() { return *sensor_; }

    // Controls of the main panel, by identifier.
    QWidget* Ctrl(int id) const;
    template <class T>
    T* CtrlAs(int id) const {
        return qobject_cast<T*>(Ctrl(id));
    }
    std::string Status() const;
    bool Dimmed(int id) const { return !Ctrl(id)->isEnabled(); }

    // A left mouse click (press and release) on a control.
    void Click(int id);
    // Types a value into a spin box and commits it with Enter.
    void EnterValue(int id, int value);
    // Runs `action` once `seconds` have passed, from inside the event processing of whatever
    // loop is running then (the program's loops block inside their callbacks).
    void After(double seconds, std::function<void()> action);

    // Dispatches events for the given seconds.
    void Pump(double seconds);
    // Dispatches events until `done` or the time is up; returns `done()`.
    bool PumpUntil(const std::function<bool()>& done, double seconds);

    std::vector<int> RequestCodes() const;

    std::unique_ptr<platform::Engine> engine_;
    std::unique_ptr<platform::Rs232> ports_;
    std::unique_ptr<Program> program_;
    std::unique_ptr<sim::PtyServer> sensor_;
    bool started_ = false;
};

// The answers a simulated sensor with these options gave to the requests it logged: it is
// deterministic, so replaying its log gives them again.
std::vector<sim::Answer> ReplayedAnswers(const sim::PtyServer& sensor, const std::string& options);

using testsupport::CpuSeconds;
using testsupport::Now;

}  // namespace systest
