// The tavrix-sim program: prints its device path and answers there; ends when its input ends.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <poll.h>
#include <spawn.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "protocol.h"

extern char** environ;

namespace sim {
namespace {

std::string ProgramPath() {
    return (std::filesystem::read_symlink("/proc/self/exe").parent_path() / "tavrix-sim").string();
}

// Reads until `count` bytes or a line end (when `line`) have come, or `ms` pass without input.
std::string ReadFor(int fd, std::size_t count, int ms, bool line = false) {
    std::string got;
    while (got.size() < count && !(line && got.find('\n') != std::string::npos)) {
        pollfd p = {fd, POLLIN, 0};
        if (::poll(&p, 1, ms) <= 0) break;
        char buf[256];
        const ssize_t n = ::read(fd, buf, std::min(sizeof buf, count - got.size()));
        if (n <= 0) break;
        got.append(buf, static_cast<std::size_t>(n));
    }
    return got;
}

TEST(Program, AnswersALineCheckOnThePrintedPath) {
    int in[2], out[2];
    ASSERT_EQ(::pipe(in), 0);
    ASSERT_EQ(::pipe(out), 0);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_adddup2(&actions, in[0], STDIN_FILENO);
    posix_spawn_file_actions_adddup2(&actions, out[1], STDOUT_FILENO);
    posix_spawn_file_actions_addclose(&actions, in[1]);
    posix_spawn_file_actions_addclose(&actions, out[0]);
    const std::string program = ProgramPath();
    char* argv[] = {const_cast<char*>(program.c_str()), const_cast<char*>("--baud"),
                    const_cast<char*>("0"), nullptr};
    pid_t pid = 0;
    ASSERT_EQ(posix_spawn(&pid, program.c_str(), &actions, nullptr, argv, environ), 0);
    posix_spawn_file_actions_destroy(&actions);
    ::close(in[0]);
    ::close(out[1]);

    const std::string line = ReadFor(out[0], 256, 5000, true);
    ASSERT_NE(line.find('\n'), std::string::npos) << line;
    const std::string path = line.substr(0, line.find('\n'));
    EXPECT_EQ(path.rfind("/dev/", 0), 0u) << path;

    const int fd = ::open(path.c_str(), O_RDWR | O_NOCTTY);
    ASSERT_GE(fd, 0);
    Words payload{};
    payload[0] = 0xBEEF;
    const Frame request = MakeFrame(kRequestSync, LINE_CHECK, payload);
    ASSERT_EQ(::write(fd, request.data(), request.size()), 36);
    const std::string answer = ReadFor(fd, 36, 2000);
    ASSERT_EQ(answer.size(), 36u);
    const auto* bytes = reinterpret_cast<const std::uint8_t*>(answer.data());
    EXPECT_EQ(GetWord(&bytes[0]), kAnswerSync);
    EXPECT_EQ(GetWord(&bytes[2]), LINE_CHECK);
    EXPECT_EQ(GetWord(&bytes[4]), 0xBEEF);
    ::close(fd);

    ::close(in[1]);  // end of input: the program ends
    int status = -1;
    for (int i = 0; i < 300 && ::waitpid(pid, &status, WNOHANG) == 0; ++i)
        ::usleep(10000);
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << status;
    ::close(out[0]);
}

TEST(Program, RejectsABadOption) {
    const std::string cmd = ProgramPath() + " --fault melt 2>/dev/null";
    const int status = std::system(cmd.c_str());
    EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 2);
}

}  // namespace
}  // namespace sim
