// Serial operations over a real pseudo-terminal with the simulated sensor on its other side.
#include <filesystem>
#include <functional>

#include "serial_fixture.h"
#include "serial_port_map.h"

namespace serialtest {
namespace {

using namespace platform;

TEST_F(SerialTest, RoundTripAtTheLineRate) {
    StartSensor("--baud 19200");
    for (int result : {rs_.FlushInQ(kPort), rs_.FlushOutQ(kPort), rs_.SetCTSMode(kPort, 0)})
        EXPECT_EQ(result, 0);
    const double start = Now();
    ASSERT_EQ(Send(sim::LINE_CHECK, 0x1234), 36);
    std::uint8_t answer[36] = {};
    ASSERT_EQ(rs_.ComRd(kPort, answer, 36), 36);
    const double elapsed = Now() - start;
    EXPECT_GT(elapsed, 0.030);  // 72 bytes at 1920 bytes/s: 37.5 ms
    EXPECT_LT(elapsed, 0.5);
    EXPECT_EQ(std::tuple(sim::GetWord(&answer[0]), sim::GetWord(&answer[2]),
                         sim::GetWord(&answer[4]), sensor_->RequestCount()),
              std::tuple(sim::kAnswerSync, sim::LINE_CHECK, 0x1234, 1));
}

TEST_F(SerialTest, ShortReadReturnsWhatArrivedAfterTheTimeout) {
    StartSensor("--baud 0 --fault short-frame=20");
    rs_.SetComTime(kPort, 0.3);
    Send(sim::GET_RAM);
    std::uint8_t answer[36] = {};
    const double start = Now();
    EXPECT_EQ(rs_.ComRd(kPort, answer, 36), 20);
    EXPECT_GT(Now() - start, 0.25);
    EXPECT_LT(Now() - start, 1.5);
    EXPECT_EQ(answer[1], 0xAA);
}

TEST_F(SerialTest, OpenErrorsMapToTheirCodes) {
    RawPty pty;
    ASSERT_EQ(OpenPort(kPort, pty.path), 0);
    ::unsetenv("TAVRIX_COM77");
    auto open = [&](int port, const std::string& device, long baud = 19200, int dataBits = 8) {
        const int result = rs_.OpenComConfig(port, device, baud, 0, dataBits, 1, 4096, 4096);
        EXPECT_FALSE(rs_.IsOpen(port)) << device;
        return result;
    };
    EXPECT_EQ(open(kOtherPort, "/dev/tavrix-no-such-device"), kComNoPortFound);
    EXPECT_EQ(open(kOtherPort, pty.path), kComCannotOpen);  // busy: kPort holds it
    EXPECT_EQ(open(-1, ""), kComInvalidPort);
    EXPECT_EQ(open(77, ""), kComInvalidPort);  // no device for the number
    EXPECT_EQ(open(kOtherPort, pty.path, 19200, 9), kComInvalidParameter);
    EXPECT_EQ(open(kOtherPort, pty.path, 0), kComInvalidParameter);
    EXPECT_TRUE(rs_.IsOpen(kPort));
}

TEST_F(SerialTest, HangUpDuringAWaitClosesThePortQuietly) {
    std::uint8_t b[36] = {};
    const std::function<void()> waits[] = {
        [&] { Pump(1.0); },                              // event dispatch
        [&] { EXPECT_EQ(rs_.ComRd(kPort, b, 36), 0); },  // a blocking read
        [&] {                                            // polling without events
            for (const double end = Now() + 0.5; Now() < end; ::usleep(1000))
                rs_.GetInQLen(kPort);
        }};
    for (int i = 0; i < 3; ++i) {
        StartSensor("--baud 0 --fault hang-up");
        int runs = 0;
        rs_.InstallComCallback(
            kPort, LWRS_RECEIVE | LWRS_RXFLAG, 36, 0x55,
            [](int, int, void* n) { ++*static_cast<int*>(n); }, &runs);
        Send(sim::LINE_CHECK);  // the sensor hangs up instead of answering
        const double cpu = CpuSeconds(), start = Now();
        waits[i]();
        EXPECT_LT(Now() - start, 1.9) << i;  // a read ends on the hang-up, not at 2 s
        EXPECT_LT(CpuSeconds() - cpu, 0.5) << i;
        EXPECT_FALSE(rs_.IsOpen(kPort)) << i;
        EXPECT_EQ(runs, 0) << i;
        for (int result : {rs_.ComWrt(kPort, b, 36), rs_.ComRd(kPort, b, 36), rs_.GetInQLen(kPort),
                           rs_.FlushInQ(kPort), rs_.SetComTime(kPort, 1.0), rs_.CloseCom(kPort)})
            EXPECT_EQ(result, kComNotOpen) << i;
    }
    EXPECT_EQ(rs_.ComRd(kOtherPort, b, 36), kComNotOpen);  // never opened
    StartSensor();                                         // opens again after a hang-up
    Send(sim::LINE_CHECK);
    EXPECT_EQ(rs_.ComRd(kPort, b, 36), 36);
}

// The built-in simulated sensor serves in this process, paced, without a pseudo-terminal.
TEST_F(SerialTest, SimulatedPortOpensNoPseudoTerminalAndKeepsItsRecords) {
    const auto pseudoTerminals = [] {
        int n = 0;
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code ignored;
            const std::string target = std::filesystem::read_symlink(fd, ignored).string();
            n += target == "/dev/ptmx" || target.starts_with("/dev/pts/");
        }
        return n;
    };
    const int before = pseudoTerminals();
    ::setenv("TAVRIX_SIM", "--board 400 --fault hang-up=3", 1);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    ::unsetenv("TAVRIX_SIM");
    auto exchange = [&](std::uint16_t code, std::uint16_t firstWord) {
        Send(code, firstWord, kSimulatedPort);
        std::array<std::uint8_t, 36> answer{};
        EXPECT_EQ(rs_.ComRd(kSimulatedPort, answer.data(), 36), 36);
        return sim::PayloadOf(answer);
    };
    EXPECT_EQ(exchange(sim::GET_HARDWARE, 0)[3], 400);
    exchange(sim::SEND_RAM, 777);
    EXPECT_EQ(rs_.CloseCom(kSimulatedPort), 0);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    EXPECT_EQ(OpenPort(kOtherPort, "sim"), kComCannotOpen);  // held, as a device opens once
    EXPECT_EQ(exchange(sim::GET_RAM, 0)[0], 777);
    EXPECT_EQ(pseudoTerminals(), before);
    Send(sim::LINE_CHECK, 0, kSimulatedPort);  // the sensor hangs up instead of answering
    std::uint8_t b[36];
    EXPECT_EQ(rs_.ComRd(kSimulatedPort, b, 36), 0);
    EXPECT_FALSE(rs_.IsOpen(kSimulatedPort));
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);  // a fresh line with the records
    EXPECT_EQ(exchange(sim::GET_RAM, 0)[0], 777);
}

// A TAVRIX_COM<n> device is listed while it exists, as a USB adapter is while plugged in.
TEST_F(SerialTest, PortNumbersFollowTheEnvironment) {
    auto pty = std::make_unique<RawPty>();
    ::setenv("TAVRIX_COM3", pty->path.c_str(), 1);
    ::setenv("TAVRIX_COM5", "sim", 1);
    auto label = [&](int n) {
        for (const PortEntry& e : rs_.ListPorts())
            if (e.number == n) return e.label;
        return std::string();
    };
    EXPECT_EQ(label(3), "COM3  " + pty->path);
    EXPECT_EQ(label(5), "COM5  Simulated sensor");
    EXPECT_EQ(label(kSimulatedPort), "Simulated sensor");
    EXPECT_EQ(rs_.ListPorts().back().number, kSimulatedPort);
    pty.reset();
    EXPECT_EQ(label(3), "");
    ::unsetenv("TAVRIX_COM3");
    ::unsetenv("TAVRIX_COM5");
}

// Windows opens COM10 and above only by the device path; the port list reads names both ways.
TEST(WindowsPorts, PathsAndNumbers) {
    EXPECT_EQ(std::tuple(WindowsPortPath(1), WindowsPortPath(10), WindowsPortPath(0)),
              std::tuple(R"(\\.\COM1)", R"(\\.\COM10)", ""));
    const std::pair<const char*, int> names[] = {
        {"COM1", 1}, {"COM10", 10}, {"com256", 256}, {R"(\\.\COM12)", 12}, {"COM", 0},
        {"COM0", 0}, {"COM01", 0},  {"COM1x", 0},    {"LPT1", 0},          {"/dev/ttyS0", 0}};
    for (const auto& [name, number] : names)
        EXPECT_EQ(WindowsPortNumber(name), number) << name;
}

}  // namespace
}  // namespace serialtest
