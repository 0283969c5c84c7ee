// Shared set-up of the serial tests: the toolkit and engine, a simulated sensor on a real
// pseudo-terminal, and a bare pseudo-terminal whose master side the test drives itself.
#pragma once

#include <gtest/gtest.h>

#include <array>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "pty_server.h"
#include "rs232.h"

namespace serialtest {

inline constexpr int kPort = 1;
inline constexpr int kOtherPort = 2;

// The master side of a pseudo-terminal; the test plays the device.
class RawPty {
  public:
    RawPty();
    ~RawPty();
    const std::string& slavePath() const { return path_; }
    void Send(const std::vector<std::uint8_t>& bytes);
    void Close();

  private:
    int master_ = -1;
    std::string path_;
};

std::array<std::uint8_t, 36> Request(std::uint16_t code, std::uint16_t firstWord = 0);
double Now();
// CPU seconds (user + system) used by this process so far.
double CpuSeconds();

class SerialTest : public ::testing::Test {
  protected:
    static void SetUpTestSuite();
    static void TearDownTestSuite();
    void SetUp() override;
    void TearDown() override;

    // Starts a simulated sensor with the given options (tavrix-sim syntax) and opens kPort on it.
    void StartSensor(const std::string& options = "--baud 0");
    int OpenPort(int port, const std::string& device);
    // Dispatches events for the given seconds, as the program's waits do.
    void Pump(double seconds);
    // Writes a request; returns ComWrt's result.
    int Send(std::uint16_t code, std::uint16_t firstWord = 0);

    static platform::Toolkit* toolkit_;
    static platform::Engine* engine_;
    std::unique_ptr<platform::Rs232> rs_;
    std::unique_ptr<sim::PtyServer> sensor_;
};

}  // namespace serialtest
