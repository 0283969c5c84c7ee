// The receive callback: when it runs, with which event bits, and never inside ComRd/GetInQLen.
#include <numeric>

#include "serial_fixture.h"

namespace serialtest {
namespace {

using namespace platform;

// Counts runs; with readFrame it reads one frame and flushes, as the program's callback does.
struct Receiver {
    Rs232* rs = nullptr;
    bool readFrame = false;
    int receiveRuns = 0, flagRuns = 0, depth = 0, maxDepth = 0;
    std::array<std::uint8_t, 36> frame{};

    static void Callback(int port, int events, void* data) {
        auto& r = *static_cast<Receiver*>(data);
        r.maxDepth = std::max(r.maxDepth, ++r.depth);
        r.flagRuns += (events & LWRS_RXFLAG) != 0;
        r.receiveRuns += (events & LWRS_RECEIVE) != 0;
        if ((events & LWRS_RECEIVE) && r.readFrame) {
            r.rs->ComRd(port, r.frame.data(), 36);
            r.rs->FlushInQ(port);
        }
        --r.depth;
    }
};

class CallbackTest : public SerialTest {
  protected:
    void SetUp() override {
        ASSERT_EQ(OpenPort(kPort, pty_.path), 0);
        receiver_.rs = &rs_;
        ASSERT_EQ(rs_.InstallComCallback(kPort, LWRS_RECEIVE | LWRS_RXFLAG | LWRS_TXEMPTY, 36, 0x55,
                                         &Receiver::Callback, &receiver_),
                  0);
    }
    RawPty pty_;
    Receiver receiver_;
};

TEST_F(CallbackTest, FortyBytesAtOnceGiveOneRunThatTakesTheFirstFrame) {
    receiver_.readFrame = true;
    std::vector<std::uint8_t> bytes(40);
    std::iota(bytes.begin(), bytes.end(), 1);
    pty_.Send(bytes);
    Pump(0.3);
    EXPECT_EQ(receiver_.receiveRuns, 1);
    EXPECT_EQ(std::tuple(receiver_.frame[0], receiver_.frame[35]), std::tuple(1, 36));
    EXPECT_EQ(rs_.GetInQLen(kPort), 0);  // the other 4 were flushed
}

TEST_F(CallbackTest, LoneEventCharacterGivesNoReceiveEventAndMaskZeroRemoves) {
    pty_.Send({0x55});
    Pump(0.2);
    EXPECT_EQ(std::tuple(receiver_.receiveRuns, receiver_.flagRuns), std::tuple(0, 1));
    ASSERT_EQ(rs_.InstallComCallback(kPort, 0, 36, 0x55, nullptr, nullptr), 0);
    pty_.Send(std::vector<std::uint8_t>(127, 0x55));
    Pump(0.2);
    EXPECT_EQ(std::tuple(receiver_.receiveRuns, receiver_.flagRuns), std::tuple(0, 1));
    EXPECT_EQ(rs_.GetInQLen(kPort), 128);  // left for the reader
}

TEST_F(CallbackTest, RunsOnceTheCountIsReachedAndOnlyInEventDispatch) {
    pty_.Send(std::vector<std::uint8_t>(20, 0x01));
    Pump(0.15);
    EXPECT_EQ(receiver_.receiveRuns, 0);
    pty_.Send(std::vector<std::uint8_t>(16, 0x02));
    int waiting = 0;
    for (const double end = Now() + 2.0; waiting < 36 && Now() < end;)
        waiting = rs_.GetInQLen(kPort);
    ASSERT_EQ(waiting, 36);
    EXPECT_EQ(receiver_.receiveRuns, 0);
    Pump(0.15);
    EXPECT_EQ(receiver_.receiveRuns, 1);
    pty_.Send({0x03});  // new bytes with the count still reached: runs again
    Pump(0.15);
    EXPECT_EQ(receiver_.receiveRuns, 2);
    EXPECT_EQ(receiver_.maxDepth, 1);
}

TEST_F(CallbackTest, FullInputQueueResumesAfterAReadOrAFlush) {
    std::vector<std::uint8_t> buffer(4096);
    for (bool flush : {false, true}) {
        pty_.Send(std::vector<std::uint8_t>(5000, 0x01));  // more than the 4096-byte queue
        int most = 0;
        for (const double end = Now() + 0.3; Now() < end;)
            most = std::max(most, rs_.GetInQLen(kPort));
        EXPECT_EQ(most, 4096);
        Pump(0.2);
        EXPECT_EQ(rs_.GetInQLen(kPort), 4096);
        EXPECT_TRUE(rs_.IsOpen(kPort));
        EXPECT_EQ(flush ? rs_.FlushInQ(kPort) : rs_.ComRd(kPort, buffer.data(), 4096),
                  flush ? 0 : 4096);
        const int runs = receiver_.receiveRuns;
        pty_.Send(std::vector<std::uint8_t>(36, 0x02));
        Pump(0.2);  // the rest comes in through event dispatch alone
        EXPECT_GT(receiver_.receiveRuns, runs) << flush;
        EXPECT_EQ(rs_.GetInQLen(kPort), flush ? 36 : 5000 - 4096 + 36);
        rs_.FlushInQ(kPort);
    }
}

}  // namespace
}  // namespace serialtest
