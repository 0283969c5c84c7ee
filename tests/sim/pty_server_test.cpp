// The simulator on a real pseudo-terminal, driven through the slave side with plain POSIX calls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <unistd.h>

#include <chrono>

#include "pty_server.h"

namespace sim {
namespace {

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

class Client {
  public:
    explicit Client(const std::string& path) : fd_(::open(path.c_str(), O_RDWR | O_NOCTTY)) {}
    ~Client() { ::close(fd_); }
    bool ok() const { return fd_ >= 0; }
    void Write(const std::vector<std::uint8_t>& bytes) {
        ASSERT_EQ(::write(fd_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
    }
    std::vector<std::uint8_t> Read(std::size_t count, double seconds) {
        std::vector<std::uint8_t> got;
        for (const double end = Now() + seconds; got.size() < count && Now() < end;) {
            pollfd p = {fd_, POLLIN, 0};
            if (::poll(&p, 1, 5) <= 0) continue;
            std::uint8_t buf[512];
            const ssize_t n = ::read(fd_, buf, std::min(sizeof buf, count - got.size()));
            if (n <= 0) break;
            got.insert(got.end(), buf, buf + n);
        }
        return got;
    }

  private:
    int fd_;
};

std::vector<std::uint8_t> Bytes(const Frame& f) {
    return {f.begin(), f.end()};
}

ServerOptions Line(long baud, std::vector<Fault> faults = {}) {
    ServerOptions o;
    o.baud = baud;
    o.faults = std::move(faults);
    return o;
}

TEST(PtyServer, AnswersAfterGarbageAndDropsAStalePartialFrame) {
    PtyServer server({}, Line(0));
    ASSERT_TRUE(server.Start()) << server.error();
    Client c(server.slavePath());
    ASSERT_TRUE(c.ok());
    c.Write({0x12, 0x00, 0x55, 0x00});  // junk, then a frame that never completes
    ::usleep(600000);                   // the sensor forgets it
    std::vector<std::uint8_t> stream = {0xFF, 0x00, 0xAA};
    const auto request = Bytes(MakeFrame(kRequestSync, GET_HARDWARE, {}));
    stream.insert(stream.end(), request.begin(), request.end());
    c.Write(stream);
    const auto answer = c.Read(36, 2.0);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(GetWord(&answer[2]), GET_HARDWARE);
    EXPECT_EQ(server.RequestCount(), 1);
}

TEST(PtyServer, DelayAndFaultChangesAtRunTime) {
    PtyServer server({}, Line(0, {{FaultKind::Delay, 0.3, RUN}}));
    ASSERT_TRUE(server.Start());
    Client c(server.slavePath());
    const auto run = Bytes(MakeFrame(kRequestSync, RUN, {}));
    double start = Now();
    c.Write(run);
    EXPECT_EQ(c.Read(36, 2.0).size(), 36u);
    EXPECT_GT(Now() - start, 0.25);
    server.SetFaults({{FaultKind::Silent}});
    c.Write(run);
    EXPECT_TRUE(c.Read(36, 0.3).empty());
    server.SetFaults({});
    start = Now();
    c.Write(run);
    EXPECT_EQ(c.Read(36, 2.0).size(), 36u);
    EXPECT_LT(Now() - start, 0.25);
}

TEST(PtyServer, StopsPromptlyAndHangsUp) {
    PtyServer server({}, Line(19200, {{FaultKind::Flood, 30}}));
    ASSERT_TRUE(server.Start());
    Client c(server.slavePath());
    c.Write(Bytes(MakeFrame(kRequestSync, LINE_CHECK, {})));
    const auto flood = c.Read(64, 1.0);
    EXPECT_EQ(flood, std::vector<std::uint8_t>(64, 0x55));
    server.HangUp();
    for (const double end = Now() + 1.0; server.serving() && Now() < end;)
        ::usleep(1000);
    EXPECT_FALSE(server.serving());
    const double start = Now();
    server.Stop();
    EXPECT_LT(Now() - start, 0.5);
}

}  // namespace
}  // namespace sim
