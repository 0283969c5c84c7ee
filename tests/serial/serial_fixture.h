// Shared set-up of the serial tests: the toolkit and engine, a simulated sensor on a real
// pseudo-terminal, and a bare raw pseudo-terminal whose master side the test drives itself.
#pragma once

#include <gtest/gtest.h>
#include <pty.h>
#include <stdlib.h>
#include <unistd.h>

#include <chrono>
#include <ctime>
#include <memory>

#include "engine.h"
#include "options.h"
#include "protocol.h"
#include "pty_server.h"
#include "rs232.h"
#include "test_support.h"
#include "toolkit.h"

namespace serialtest {

inline constexpr int kPort = 1;
inline constexpr int kOtherPort = 2;

using testsupport::CpuSeconds;
using testsupport::Now;

// The master side of a pseudo-terminal, raw before the port opens it; the test plays the device.
struct RawPty {
    RawPty() {
        termios raw{};
        ::cfmakeraw(&raw);
        char name[128] = {};
        int slave = -1;
        if (::openpty(&master, &slave, name, &raw, nullptr) == 0) ::close(slave);
        path = name;
    }
    ~RawPty() { ::close(master); }
    void Send(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(master, bytes.data(), bytes.size()), std::ssize(bytes));
    }
    int master = -1;
    std::string path;
};

class SerialTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        toolkit_ = std::make_unique<platform::Toolkit>();
        ASSERT_TRUE(toolkit_->ok());
        engine_ = std::make_unique<platform::Engine>();
    }
    static void TearDownTestSuite() {
        engine_.reset();
        toolkit_.reset();
    }

    // Starts a simulated sensor (tavrix-sim options) and opens kPort on it.
    void StartSensor(const std::string& options = "--baud 0") {
        const sim::ParsedOptions p = sim::ParseOptionString(options);
        ASSERT_TRUE(p.ok) << p.error;
        sensor_ = std::make_unique<sim::PtyServer>(
            p.options.sensor,
            sim::ServerOptions{p.options.baud, p.options.faults, {}, p.options.burst});
        ASSERT_TRUE(sensor_->Start()) << sensor_->error();
        ASSERT_EQ(OpenPort(kPort, sensor_->slavePath()), 0);
    }
    int OpenPort(int port, const std::string& device) {
        const int r = rs_.OpenComConfig(port, device, 19200, 0, 8, 1, 4096, 4096);
        if (r == 0) rs_.SetComTime(port, 2.0);
        return r;
    }
    // Dispatches events for the given seconds, as the program's waits do.
    void Pump(double seconds) {
        for (const double end = Now() + seconds; Now() < end;)
            engine_->ProcessSystemEvents();
    }
    int Send(std::uint16_t code, std::uint16_t firstWord = 0, int port = kPort) {
        const sim::Frame frame = sim::MakeFrame(sim::kRequestSync, code, sim::Words{firstWord});
        return rs_.ComWrt(port, frame.data(), 36);
    }

    inline static std::unique_ptr<platform::Toolkit> toolkit_;
    inline static std::unique_ptr<platform::Engine> engine_;
    std::unique_ptr<sim::PtyServer> sensor_;  // outlives the port
    platform::Rs232 rs_{*engine_};
};

}  // namespace serialtest
