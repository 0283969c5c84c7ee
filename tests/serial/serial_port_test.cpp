// Serial operations over a real pseudo-terminal with the simulated sensor on its other side.
#include <stdlib.h>

#include "protocol.h"
#include "serial_fixture.h"

namespace serialtest {
namespace {

using namespace platform;

TEST_F(SerialTest, RoundTripAnswersTheLineCheck) {
    StartSensor();
    EXPECT_EQ(rs_->FlushInQ(kPort), 0);
    EXPECT_EQ(rs_->FlushOutQ(kPort), 0);
    EXPECT_EQ(rs_->SetCTSMode(kPort, 0), 0);
    ASSERT_EQ(Send(sim::LINE_CHECK, 0x1234), 36);
    std::uint8_t answer[36] = {};
    ASSERT_EQ(rs_->ComRd(kPort, answer, 36), 36);
    EXPECT_EQ(sim::GetWord(&answer[0]), sim::kAnswerSync);
    EXPECT_EQ(sim::GetWord(&answer[2]), sim::LINE_CHECK);
    EXPECT_EQ(sim::GetWord(&answer[4]), 0x1234);
    EXPECT_EQ(sensor_->RequestCount(), 1);
}

TEST_F(SerialTest, ShortReadReturnsWhatArrivedAfterTheTimeout) {
    StartSensor("--baud 0 --fault short-frame=20");
    rs_->SetComTime(kPort, 0.3);
    Send(sim::GET_RAM);
    std::uint8_t answer[36] = {};
    const double start = Now();
    EXPECT_EQ(rs_->ComRd(kPort, answer, 36), 20);
    const double elapsed = Now() - start;
    EXPECT_GT(elapsed, 0.25);
    EXPECT_LT(elapsed, 1.5);
    EXPECT_EQ(answer[1], 0xAA);
}

TEST_F(SerialTest, InputLengthGrowsWithoutEventProcessing) {
    StartSensor("--baud 0 --board 400");
    Send(sim::RESET_MAXMIN);  // all-zero payload on board 400: the 512-byte image
    int waiting = 0;
    for (const double end = Now() + 2.0; waiting < 512 && Now() < end;)
        waiting = rs_->GetInQLen(kPort);
    EXPECT_EQ(waiting, 512);
    std::vector<std::uint8_t> block(1024);
    EXPECT_EQ(rs_->ComRd(kPort, block.data(), waiting), 512);
    EXPECT_EQ(rs_->GetInQLen(kPort), 0);
}

TEST_F(SerialTest, OpenErrorsMapToTheirCodes) {
    RawPty pty;
    ASSERT_EQ(OpenPort(kPort, pty.slavePath()), 0);
    struct Case {
        const char* what;
        int port;
        std::string device;
        long baud;
        int dataBits;
        int expected;
    };
    const Case cases[] = {
        {"missing device", kOtherPort, "/dev/tavrix-no-such-device", 19200, 8, kComNoPortFound},
        {"busy device", kOtherPort, pty.slavePath(), 19200, 8, kComCannotOpen},
        {"negative port", -1, "", 19200, 8, kComInvalidPort},
        {"no device for the number", 77, "", 19200, 8, kComInvalidPort},
        {"bad data bits", kOtherPort, pty.slavePath(), 19200, 9, kComInvalidParameter},
        {"bad baud rate", kOtherPort, pty.slavePath(), 0, 8, kComInvalidParameter},
    };
    ::unsetenv("TAVRIX_COM77");
    for (const Case& c : cases) {
        EXPECT_EQ(rs_->OpenComConfig(c.port, c.device, c.baud, 0, c.dataBits, 1, 4096, 4096),
                  c.expected)
            << c.what;
        EXPECT_FALSE(rs_->IsOpen(c.port)) << c.what;
    }
    EXPECT_TRUE(rs_->IsOpen(kPort));
}

TEST_F(SerialTest, OperationsOnAClosedPortReportNotOpen) {
    StartSensor();
    EXPECT_EQ(rs_->CloseCom(kPort), 0);
    std::uint8_t b[4] = {};
    EXPECT_EQ(rs_->ComWrt(kPort, b, 4), kComNotOpen);
    EXPECT_EQ(rs_->ComRd(kPort, b, 4), kComNotOpen);
    EXPECT_EQ(rs_->GetInQLen(kPort), kComNotOpen);
    EXPECT_EQ(rs_->FlushInQ(kPort), kComNotOpen);
    EXPECT_EQ(rs_->SetComTime(kPort, 1.0), kComNotOpen);
    EXPECT_EQ(rs_->CloseCom(kPort), kComNotOpen);
    EXPECT_EQ(rs_->ComRd(kOtherPort, b, 4), kComNotOpen);  // never opened
}

TEST_F(SerialTest, PacedRunExchangeTakesAboutTheLineTime) {
    StartSensor("--baud 19200");
    std::uint8_t answer[36];
    const double start = Now();
    Send(sim::RUN);
    ASSERT_EQ(rs_->ComRd(kPort, answer, 36), 36);
    const double elapsed = Now() - start;
    EXPECT_GT(elapsed, 0.030);  // 72 bytes at 1920 bytes/s: 37.5 ms
    EXPECT_LT(elapsed, 0.5);
}

TEST_F(SerialTest, SimulatedPortKeepsItsRecordsAcrossReopening) {
    ::setenv("TAVRIX_SIM", "--baud 0 --board 400 --firmware 'Board four hundred'", 1);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    ::unsetenv("TAVRIX_SIM");
    auto exchange = [&](std::uint16_t code, const sim::Words& payload) {
        const auto frame = sim::MakeFrame(sim::kRequestSync, code, payload);
        rs_->ComWrt(kSimulatedPort, frame.data(), 36);
        std::array<std::uint8_t, 36> answer{};
        EXPECT_EQ(rs_->ComRd(kSimulatedPort, answer.data(), 36), 36);
        return sim::PayloadOf(answer);
    };
    EXPECT_EQ(exchange(sim::GET_HARDWARE, {})[3], 400);
    sim::Words record = sim::DefaultRecord();
    record[sim::kTVal] = 777;
    exchange(sim::SEND_RAM, record);
    EXPECT_EQ(rs_->CloseCom(kSimulatedPort), 0);
    ASSERT_EQ(OpenPort(kSimulatedPort, ""), 0);
    EXPECT_EQ(exchange(sim::GET_RAM, {})[sim::kTVal], 777);
}

TEST_F(SerialTest, PortNumbersFollowTheEnvironment) {
    ::setenv("TAVRIX_COM3", "/dev/pts/tavrix-test", 1);
    ::setenv("TAVRIX_COM5", "sim", 1);
    EXPECT_EQ(rs_->DeviceForPort(3), "/dev/pts/tavrix-test");
    EXPECT_EQ(rs_->DeviceForPort(kSimulatedPort), "sim");
    const auto ports = rs_->ListPorts();
    ::unsetenv("TAVRIX_COM3");
    ::unsetenv("TAVRIX_COM5");
    auto find = [&](int n) {
        for (const PortEntry& e : ports)
            if (e.number == n) return e;
        return PortEntry{-1, "", ""};
    };
    EXPECT_EQ(find(3).device, "/dev/pts/tavrix-test");
    EXPECT_EQ(find(3).label, "COM3  /dev/pts/tavrix-test");
    EXPECT_EQ(find(5).label, "COM5  Simulated sensor");
    EXPECT_EQ(find(kSimulatedPort).label, "Simulated sensor");
    EXPECT_EQ(ports.back().number, kSimulatedPort);
}

TEST_F(SerialTest, FloodStaysWithinTheInputQueue) {
    StartSensor("--baud 0 --fault flood=0.5");
    Send(sim::LINE_CHECK);
    int most = 0;
    for (const double end = Now() + 0.7; Now() < end;)
        most = std::max(most, rs_->GetInQLen(kPort));
    EXPECT_EQ(most, 4096);
    EXPECT_TRUE(rs_->IsOpen(kPort));
}

}  // namespace
}  // namespace serialtest
