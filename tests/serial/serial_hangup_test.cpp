// The other end hangs up: the port closes at once, without spinning, and stays quiet.
#include "protocol.h"
#include "serial_fixture.h"

namespace serialtest {
namespace {

using namespace platform;

int gCallbackRuns = 0;
void CountRuns(int, int, void*) {
    ++gCallbackRuns;
}

// Generous bound: the waits below sleep in the event dispatcher; a spinning port would use
// close to the whole wall time.
constexpr double kMaxCpuShare = 0.5;

TEST_F(SerialTest, HangUpDuringAnEventWaitClosesThePortQuietly) {
    StartSensor("--baud 0 --fault hang-up");
    gCallbackRuns = 0;
    rs_->InstallComCallback(kPort, LWRS_RECEIVE | LWRS_RXFLAG, 36, 0x55, &CountRuns, nullptr);
    Send(sim::LINE_CHECK);  // the sensor hangs up instead of answering
    const double cpu = CpuSeconds();
    Pump(1.0);
    EXPECT_LT(CpuSeconds() - cpu, kMaxCpuShare * 1.0);
    EXPECT_FALSE(rs_->IsOpen(kPort));
    EXPECT_EQ(gCallbackRuns, 0);
    std::uint8_t b[36] = {};
    EXPECT_EQ(rs_->ComWrt(kPort, b, 36), kComNotOpen);
    EXPECT_EQ(rs_->GetInQLen(kPort), kComNotOpen);
}

TEST_F(SerialTest, HangUpDuringABlockingReadEndsTheRead) {
    StartSensor("--baud 0 --fault hang-up=1");
    std::uint8_t answer[36];
    Send(sim::LINE_CHECK);
    ASSERT_EQ(rs_->ComRd(kPort, answer, 36), 36);
    Send(sim::LINE_CHECK);
    const double cpu = CpuSeconds();
    const double start = Now();
    EXPECT_EQ(rs_->ComRd(kPort, answer, 36), 0);
    EXPECT_LT(Now() - start, 1.9);  // ended by the hang-up, not by the 2 s time-out
    EXPECT_LT(CpuSeconds() - cpu, kMaxCpuShare * 2.0);
    EXPECT_FALSE(rs_->IsOpen(kPort));
}

TEST_F(SerialTest, HangUpDuringAPollingWaitWithoutEvents) {
    StartSensor("--baud 0");
    Send(sim::GET_VERSION);
    sensor_->HangUp();
    const double cpu = CpuSeconds();
    int waiting = 0;
    for (const double end = Now() + 0.5; Now() < end;)
        waiting = rs_->GetInQLen(kPort);
    // The program's own loop polls as fast as it can; the port adds no error flood to it.
    EXPECT_EQ(waiting, kComNotOpen);
    EXPECT_FALSE(rs_->IsOpen(kPort));
    (void)cpu;
}

TEST_F(SerialTest, PortOpensAgainAfterAHangUp) {
    StartSensor("--baud 0 --fault hang-up");
    Send(sim::LINE_CHECK);
    Pump(0.3);
    ASSERT_FALSE(rs_->IsOpen(kPort));
    StartSensor("--baud 0");
    Send(sim::LINE_CHECK);
    std::uint8_t answer[36];
    EXPECT_EQ(rs_->ComRd(kPort, answer, 36), 36);
}

}  // namespace
}  // namespace serialtest
