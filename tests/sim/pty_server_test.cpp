// The simulator on a real pseudo-terminal, in this process and as the tavrix-sim program, driven
// through the slave side with plain POSIX calls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>

#include "pty_server.h"
#include "test_support.h"

namespace sim {
namespace {

using testsupport::Now;

// Reads until `count` bytes have come or `seconds` pass.
std::string ReadFor(int fd, std::size_t count, double seconds) {
    std::string got;
    for (const double end = Now() + seconds; got.size() < count && Now() < end;) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

// Writes `before` (stray bytes), then a request frame unless code is negative.
void Write(int fd, int code, std::vector<std::uint8_t> before = {}, std::uint16_t word = 0) {
    const Frame f = MakeFrame(kRequestSync, static_cast<std::uint16_t>(code), Words{word});
    if (code >= 0) before.insert(before.end(), f.begin(), f.end());
    ASSERT_EQ(::write(fd, before.data(), before.size()), std::ssize(before));
}

std::uint16_t WordAt(const std::string& bytes, int offset) {
    return GetWord(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

TEST(PtyServer, GarbageStalePartialFrameRunTimeFaultsAndHangUp) {
    PtyServer server(SensorConfig{}, ServerOptions{19200, {{FaultKind::Delay, 0.3, RUN}}, {}});
    ASSERT_TRUE(server.Start()) << server.error();
    const int fd = ::open(server.slavePath().c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    Write(fd, -1, {0x12, 0x00, 0x55, 0x00});  // a frame that never completes: the sensor forgets it
    ::usleep(600000);
    Write(fd, GET_HARDWARE, {0xFF, 0x00, 0xAA});
    const std::string answer = ReadFor(fd, 36, 2.0);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(WordAt(answer, 2), GET_HARDWARE);
    EXPECT_EQ(server.RequestCount(), 1);

    const double start = Now();
    Write(fd, RUN);
    EXPECT_EQ(ReadFor(fd, 36, 2.0).size(), 36u);
    EXPECT_GT(Now() - start, 0.3);
    server.SetFaults({{FaultKind::Silent}});
    Write(fd, RUN);
    EXPECT_TRUE(ReadFor(fd, 36, 0.3).empty());
    server.SetFaults({{FaultKind::Flood, 30}});
    Write(fd, LINE_CHECK);
    EXPECT_EQ(ReadFor(fd, 64, 1.0), std::string(64, 0x55));
    server.HangUp();
    for (const double end = Now() + 1.0; server.serving() && Now() < end;)
        ::usleep(1000);
    EXPECT_FALSE(server.serving());
    const double stop = Now();
    server.Stop();
    EXPECT_LT(Now() - stop, 0.5);
    ::close(fd);
}

TEST(Program, AnswersOnThePrintedPathUntilItsInputEnds) {
    const std::string program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tavrix-sim";
    const std::string out = ::testing::TempDir() + "tavrix-sim-path";
    std::remove(out.c_str());
    FILE* input = ::popen((program + " --baud=0 > " + out).c_str(), "w");
    ASSERT_NE(input, nullptr);
    std::string path;
    for (const double end = Now() + 5.0; path.empty() && Now() < end; ::usleep(10000))
        std::getline(std::ifstream(out), path);
    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << path;
    Write(fd, LINE_CHECK, {}, 0xBEEF);
    const std::string answer = ReadFor(fd, 36, 2.0);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(std::tuple(WordAt(answer, 0), WordAt(answer, 4)), std::tuple(kAnswerSync, 0xBEEF));
    ::close(fd);
    const int status = ::pclose(input);  // end of input: the program ends
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    const int bad = std::system((program + " --fault melt 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(bad) && WEXITSTATUS(bad) == 2);
}

}  // namespace
}  // namespace sim
