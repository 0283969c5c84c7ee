// The simulator on a real pseudo-terminal, in this process and as the tavrix-sim program, driven
// through the slave side with plain POSIX calls.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>

#include "pty_server.h"

namespace sim {
namespace {

double Now() {
    return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// Reads until `count` bytes (or, with `line`, a line end) have come, or `seconds` pass.
std::string ReadFor(int fd, std::size_t count, double seconds, bool line = false) {
    std::string got;
    for (const double end = Now() + seconds; got.size() < count && Now() < end;) {
        if (line && got.find('\n') != std::string::npos) break;
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, 5) <= 0) continue;
        char buf[512];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

// Writes a request frame, after `before` (stray bytes) when given.
void Request(int fd, std::uint16_t code, std::uint16_t firstWord = 0,
             std::vector<std::uint8_t> before = {}) {
    const Frame f = MakeFrame(kRequestSync, code, Words{firstWord});
    before.insert(before.end(), f.begin(), f.end());
    ASSERT_EQ(::write(fd, before.data(), before.size()), static_cast<ssize_t>(before.size()));
}

std::uint16_t WordAt(const std::string& bytes, int offset) {
    return GetWord(reinterpret_cast<const std::uint8_t*>(bytes.data()) + offset);
}

class PtyServerTest : public ::testing::Test {
  protected:
    void Start(long baud, std::vector<Fault> faults = {}) {
        server_ = std::make_unique<PtyServer>(SensorConfig{}, ServerOptions{baud, faults, {}});
        ASSERT_TRUE(server_->Start()) << server_->error();
        fd_ = ::open(server_->slavePath().c_str(), O_RDWR | O_NOCTTY);
        ASSERT_GE(fd_, 0);
    }
    void TearDown() override { ::close(fd_); }
    std::unique_ptr<PtyServer> server_;
    int fd_ = -1;
};

TEST_F(PtyServerTest, AnswersAfterGarbageAndDropsAStalePartialFrame) {
    Start(0);
    const std::vector<std::uint8_t> partial = {0x12, 0x00, 0x55, 0x00};  // never completes
    ASSERT_EQ(::write(fd_, partial.data(), partial.size()), 4);
    ::usleep(600000);
    Request(fd_, GET_HARDWARE, 0, {0xFF, 0x00, 0xAA});
    const std::string answer = ReadFor(fd_, 36, 2.0);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(WordAt(answer, 2), GET_HARDWARE);
    EXPECT_EQ(server_->RequestCount(), 1);
}

TEST_F(PtyServerTest, DelayAndFaultChangesAtRunTime) {
    Start(0, {{FaultKind::Delay, 0.3, RUN}});
    double start = Now();
    Request(fd_, RUN);
    EXPECT_EQ(ReadFor(fd_, 36, 2.0).size(), 36u);
    EXPECT_GT(Now() - start, 0.25);
    server_->SetFaults({{FaultKind::Silent}});
    Request(fd_, RUN);
    EXPECT_TRUE(ReadFor(fd_, 36, 0.3).empty());
    server_->SetFaults({});
    start = Now();
    Request(fd_, RUN);
    EXPECT_EQ(ReadFor(fd_, 36, 2.0).size(), 36u);
    EXPECT_LT(Now() - start, 0.25);
}

TEST_F(PtyServerTest, FloodsHangsUpAndStopsPromptly) {
    Start(19200, {{FaultKind::Flood, 30}});
    Request(fd_, LINE_CHECK);
    EXPECT_EQ(ReadFor(fd_, 64, 1.0), std::string(64, 0x55));
    server_->HangUp();
    for (const double end = Now() + 1.0; server_->serving() && Now() < end;)
        ::usleep(1000);
    EXPECT_FALSE(server_->serving());
    const double start = Now();
    server_->Stop();
    EXPECT_LT(Now() - start, 0.5);
}

TEST(Program, AnswersOnThePrintedPathUntilItsInputEnds) {
    const std::string program =
        std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tavrix-sim";
    int in[2], out[2];
    ASSERT_EQ(::pipe2(in, O_CLOEXEC) | ::pipe2(out, O_CLOEXEC), 0);
    const pid_t pid = ::fork();
    if (pid == 0) {
        ::dup2(in[0], STDIN_FILENO);
        ::dup2(out[1], STDOUT_FILENO);
        ::execl(program.c_str(), program.c_str(), "--baud=0", nullptr);
        ::_exit(127);
    }
    ::close(in[0]);
    ::close(out[1]);
    const std::string line = ReadFor(out[0], 256, 5.0, true);
    ASSERT_NE(line.find('\n'), std::string::npos) << line;
    const int fd = ::open(line.substr(0, line.find('\n')).c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0) << line;
    Request(fd, LINE_CHECK, 0xBEEF);
    const std::string answer = ReadFor(fd, 36, 2.0);
    ASSERT_EQ(answer.size(), 36u);
    EXPECT_EQ(WordAt(answer, 0), kAnswerSync);
    EXPECT_EQ(WordAt(answer, 4), 0xBEEF);
    ::close(fd);

    ::close(in[1]);  // end of input: the program ends
    int status = -1;
    for (int i = 0; i < 300 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        ::usleep(10000);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(out[0]);
    const int bad = std::system((program + " --fault melt 2>/dev/null").c_str());
    EXPECT_TRUE(WIFEXITED(bad) && WEXITSTATUS(bad) == 2);
}

}  // namespace
}  // namespace sim
