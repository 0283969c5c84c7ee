// Helpers for tests and benchmarks that run other programs (tavrix-cli, mosquitto, mosquitto_sub):
// a child process with its output in a file, waiting with a bound, loopback ports, the CPU time
// a process has used, and a broker of the tests' own. POSIX only.
#pragma once

#include <arpa/inet.h>
#include <netinet/in.h>
#include <signal.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <memory>
#include <sstream>
#include <string>
#include <thread>
#include <vector>

#include "test_support.h"

namespace testsupport {

inline std::string ReadText(const std::string& path) {
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

// The lines of a file that begin with `prefix`.
inline std::vector<std::string> Lines(const std::string& path, const std::string& prefix) {
    std::vector<std::string> lines;
    std::istringstream in(ReadText(path));
    for (std::string line; std::getline(in, line);)
        if (line.rfind(prefix, 0) == 0) lines.push_back(line);
    return lines;
}

template <class Done>
bool WaitFor(Done done, double seconds) {
    const double end = Now() + seconds;
    while (!done()) {
        if (Now() > end) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return true;
}

inline sockaddr_in Loopback(int port) {
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    a.sin_port = htons(static_cast<std::uint16_t>(port));
    return a;
}

inline int FreeLoopbackPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in a = Loopback(0);
    socklen_t size = sizeof a;
    bind(fd, reinterpret_cast<sockaddr*>(&a), size);
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &size);
    close(fd);
    return ntohs(a.sin_port);
}

inline bool Accepts(int port) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    const sockaddr_in a = Loopback(port);
    const bool ok = connect(fd, reinterpret_cast<const sockaddr*>(&a), sizeof a) == 0;
    close(fd);
    return ok;
}

// A child process with its standard output in `out` and its error in `out`.err; killed when it
// goes.
class Child {
  public:
    Child(const std::vector<std::string>& args, const std::string& out) {
        std::fflush(nullptr);  // else the child's freopen writes our buffered output again
        pid_ = fork();
        if (pid_ != 0) return;
        if (!std::freopen(out.c_str(), "w", stdout) ||
            !std::freopen((out + ".err").c_str(), "w", stderr))
            _exit(126);
        std::vector<char*> argv;
        for (const auto& a : args)
            argv.push_back(const_cast<char*>(a.c_str()));
        argv.push_back(nullptr);
        execvp(argv[0], argv.data());
        _exit(127);
    }
    ~Child() {
        if (pid_ > 0) Signal(SIGKILL), Wait(5);
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;
    void Signal(int signal) const { kill(pid_, signal); }
    // The exit code (128 + the signal when one ended it), or -1 when it has not ended in time.
    int Wait(double seconds) {
        int status = 0;
        if (!WaitFor([&] { return waitpid(pid_, &status, WNOHANG) == pid_; }, seconds)) return -1;
        pid_ = -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }
    // CPU seconds (user and system) the running child has used so far.
    double CpuSeconds() const {
        std::ifstream in("/proc/" + std::to_string(pid_) + "/stat");
        std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
        std::istringstream fields(text.substr(text.rfind(')') + 2));
        std::string field;
        double ticks = 0;
        for (int i = 3; i <= 15 && fields >> field; ++i)
            if (i >= 14) ticks += std::stod(field);  // utime, stime
        return ticks / static_cast<double>(sysconf(_SC_CLK_TCK));
    }

  private:
    pid_t pid_ = -1;
};

// Debian's mosquitto on a free loopback port, with a configuration of its own in `dir`; killed
// when it goes. Start again after Stop serves the same port.
class TestBroker {
  public:
    explicit TestBroker(std::string dir) : dir_(std::move(dir)), port_(FreeLoopbackPort()) {}
    // `extra` lines of configuration; false when it does not listen within 5 s.
    bool Start(const std::string& extra = "allow_anonymous true\n") {
        std::ofstream(dir_ + "broker.conf")
            << "listener " << port_ << " 127.0.0.1\npersistence false\nuser root\n"
            << extra;
        child_ = std::make_unique<Child>(
            std::vector<std::string>{kBroker, "-c", dir_ + "broker.conf"}, dir_ + "broker.log");
        return WaitFor([&] { return Accepts(port_); }, 5);
    }
    void Stop() { child_.reset(); }
    int port() const { return port_; }
    std::string url() const { return "mqtt://127.0.0.1:" + std::to_string(port_); }
    double CpuSeconds() const { return child_->CpuSeconds(); }
    std::string log() const { return ReadText(dir_ + "broker.log.err"); }

  private:
    static constexpr const char* kBroker = "/usr/sbin/mosquitto";
    std::string dir_;
    int port_;
    std::unique_ptr<Child> child_;
};

}  // namespace testsupport
