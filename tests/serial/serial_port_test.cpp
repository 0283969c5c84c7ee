// Serial operations over a real pseudo-terminal with the simulated sensor on its other side.
#include <functional>

#include "serial_fixture.h"

namespace serialtest {
namespace {

using namespace platform;

TEST_F(SerialTest, RoundTripAtTheLineRate) {
    StartSensor("--baud 19200");
    EXPECT_EQ(rs_.FlushInQ(kPort), 0);
    EXPECT_EQ(rs_.FlushOutQ(kPort), 0);
    EXPECT_EQ(rs_.SetCTSMode(kPort, 0), 0);
    const double start = Now();
    ASSERT_EQ(Send(sim::LINE_CHECK, 0x1234), 36);
    std::uint8_t answer[36] = {};
    ASSERT_EQ(rs_.ComRd(kPort, answer, 36), 36);
    const double elapsed = Now() - start;
    EXPECT_GT(elapsed, 0.030);  // 72 bytes at 1920 bytes/s: 37.5 ms
    EXPECT_LT(elapsed, 0.5);
    EXPECT_EQ(sim::GetWord(&answer[0]), sim::kAnswerSync);
    EXPECT_EQ(sim::GetWord(&answer[2]), sim::LINE_CHECK);
    EXPECT_EQ(sim::GetWord(&answer[4]), 0x1234);
    EXPECT_EQ(sensor_->RequestCount(), 1);
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

TEST_F(SerialTest, InputLengthGrowsWithoutEventProcessing) {
    StartSensor("--baud 0 --board 400");
    Send(sim::RESET_MAXMIN);  // all-zero payload on board 400: the 512-byte image
    int waiting = 0;
    for (const double end = Now() + 2.0; waiting < 512 && Now() < end;)
        waiting = rs_.GetInQLen(kPort);
    EXPECT_EQ(waiting, 512);
    std::vector<std::uint8_t> block(1024);
    EXPECT_EQ(rs_.ComRd(kPort, block.data(), waiting), 512);
    EXPECT_EQ(rs_.GetInQLen(kPort), 0);
}

TEST_F(SerialTest, OpenErrorsMapToTheirCodes) {
    RawPty pty;
    ASSERT_EQ(OpenPort(kPort, pty.path), 0);
    struct Case {
        const char* what;
        int port;
        std::string device;
        long baud;
        int dataBits, expected;
    };
    const Case cases[] = {
        {"missing device", kOtherPort, "/dev/tavrix-no-such-device", 19200, 8, kComNoPortFound},
        {"busy device", kOtherPort, pty.path, 19200, 8, kComCannotOpen},
        {"negative port", -1, "", 19200, 8, kComInvalidPort},
        {"no device for the number", 77, "", 19200, 8, kComInvalidPort},
        {"bad data bits", kOtherPort, pty.path, 19200, 9, kComInvalidParameter},
        {"bad baud rate", kOtherPort, pty.path, 0, 8, kComInvalidParameter},
    };
    ::unsetenv("TAVRIX_COM77");
    for (const Case& c : cases) {
        EXPECT_EQ(rs_.OpenComConfig(c.port, c.device, c.baud, 0, c.dataBits, 1, 4096, 4096),
                  c.expected)
            << c.what;
        EXPECT_FALSE(rs_.IsOpen(c.port)) << c.what;
    }
    EXPECT_TRUE(rs_.IsOpen(kPort));
}

TEST_F(SerialTest, HangUpDuringAWaitClosesThePortQuietly) {
    std::uint8_t b[36] = {};
    struct Wait {
        const char* what;
        bool polls;  // the caller's own loop spins: no CPU bound
        std::function<void()> run;
    };
    const Wait waits[] = {
        {"event dispatch", false, [&] { Pump(1.0); }},
        {"blocking read", false, [&] { EXPECT_EQ(rs_.ComRd(kPort, b, 36), 0); }},
        {"polling without events", true,
         [&] {
             for (const double end = Now() + 0.5; Now() < end;)
                 rs_.GetInQLen(kPort);
         }},
    };
    for (const Wait& w : waits) {
        StartSensor("--baud 0 --fault hang-up");
        int runs = 0;
        rs_.InstallComCallback(
            kPort, LWRS_RECEIVE | LWRS_RXFLAG, 36, 0x55,
            [](int, int, void* n) { ++*static_cast<int*>(n); }, &runs);
        Send(sim::LINE_CHECK);  // the sensor hangs up instead of answering
        const double cpu = CpuSeconds(), start = Now();
        w.run();
        EXPECT_LT(Now() - start, 1.9) << w.what;  // a read ends on the hang-up, not at 2 s
        if (!w.polls) {
            EXPECT_LT(CpuSeconds() - cpu, 0.5) << w.what;
        }
        EXPECT_FALSE(rs_.IsOpen(kPort)) << w.what;
        EXPECT_EQ(runs, 0) << w.what;
        for (int result : {rs_.ComWrt(kPort, b, 36), rs_.ComRd(kPort, b, 36), rs_.GetInQLen(kPort),
                           rs_.FlushInQ(kPort), rs_.SetComTime(kPort, 1.0), rs_.CloseCom(kPort)})
            EXPECT_EQ(result, kComNotOpen) << w.what;
    }
    EXPECT_EQ(rs_.ComRd(kOtherPort, b, 36), kComNotOpen);  // never opened
    StartSensor();                                         // opens again after a hang-up
    Send(sim::LINE_CHECK);
    EXPECT_EQ(rs_.ComRd(kPort, b, 36), 36);
}

TEST_F(SerialTest, SimulatedPortKeepsItsRecordsAcrossReopening) {
    ::setenv("TAVRIX_SIM", "--baud 0 --board 400", 1);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    ::unsetenv("TAVRIX_SIM");
    auto exchange = [&](std::uint16_t code, const sim::Words& payload) {
        const auto frame = sim::MakeFrame(sim::kRequestSync, code, payload);
        rs_.ComWrt(kSimulatedPort, frame.data(), 36);
        std::array<std::uint8_t, 36> answer{};
        EXPECT_EQ(rs_.ComRd(kSimulatedPort, answer.data(), 36), 36);
        return sim::PayloadOf(answer);
    };
    EXPECT_EQ(exchange(sim::GET_HARDWARE, {})[3], 400);
    sim::Words record = sim::DefaultRecord();
    record[sim::kTVal] = 777;
    exchange(sim::SEND_RAM, record);
    EXPECT_EQ(rs_.CloseCom(kSimulatedPort), 0);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    EXPECT_EQ(exchange(sim::GET_RAM, {})[sim::kTVal], 777);
}

TEST_F(SerialTest, PortNumbersFollowTheEnvironment) {
    ::setenv("TAVRIX_COM3", "/dev/pts/tavrix-test", 1);
    ::setenv("TAVRIX_COM5", "sim", 1);
    EXPECT_EQ(rs_.DeviceForPort(3), "/dev/pts/tavrix-test");
    EXPECT_EQ(rs_.DeviceForPort(kSimulatedPort), "sim");
    const auto ports = rs_.ListPorts();
    ::unsetenv("TAVRIX_COM3");
    ::unsetenv("TAVRIX_COM5");
    auto label = [&](int n) {
        for (const PortEntry& e : ports)
            if (e.number == n) return e.label;
        return std::string();
    };
    EXPECT_EQ(label(3), "COM3  /dev/pts/tavrix-test");
    EXPECT_EQ(label(5), "COM5  Simulated sensor");
    EXPECT_EQ(label(kSimulatedPort), "Simulated sensor");
    EXPECT_EQ(ports.back().number, kSimulatedPort);
}

}  // namespace
}  // namespace serialtest
