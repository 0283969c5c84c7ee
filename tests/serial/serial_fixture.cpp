#include "serial_fixture.h"

#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <sys/resource.h>
#include <termios.h>
#include <unistd.h>

#include <chrono>

#include "options.h"
#include "protocol.h"

namespace serialtest {

platform::Toolkit* SerialTest::toolkit_ = nullptr;
platform::Engine* SerialTest::engine_ = nullptr;

RawPty::RawPty() {
    master_ = ::posix_openpt(O_RDWR | O_NOCTTY | O_CLOEXEC);
    if (master_ < 0 || ::grantpt(master_) != 0 || ::unlockpt(master_) != 0) return;
    char name[128] = {};
    if (::ptsname_r(master_, name, sizeof name) != 0) return;
    path_ = name;
    // Raw mode before the port opens it, so that no byte is translated.
    const int slave = ::open(name, O_RDWR | O_NOCTTY);
    termios tio{};
    ::tcgetattr(slave, &tio);
    ::cfmakeraw(&tio);
    ::tcsetattr(slave, TCSANOW, &tio);
    ::close(slave);
}

RawPty::~RawPty() {
    Close();
}

void RawPty::Close() {
    if (master_ >= 0) ::close(master_);
    master_ = -1;
}

void RawPty::Send(const std::vector<std::uint8_t>& bytes) {
    ASSERT_EQ(::write(master_, bytes.data(), bytes.size()), static_cast<ssize_t>(bytes.size()));
}

std::array<std::uint8_t, 36> Request(std::uint16_t code, std::uint16_t firstWord) {
    sim::Words payload{};
    payload[0] = firstWord;
    return sim::MakeFrame(sim::kRequestSync, code, payload);
}

double Now() {
    using namespace std::chrono;
    return duration<double>(steady_clock::now().time_since_epoch()).count();
}

double CpuSeconds() {
    rusage u{};
    ::getrusage(RUSAGE_SELF, &u);
    auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(u.ru_utime) + seconds(u.ru_stime);
}

void SerialTest::SetUpTestSuite() {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    toolkit_ = new platform::Toolkit();
    ASSERT_TRUE(toolkit_->ok());
    engine_ = new platform::Engine();
}

void SerialTest::TearDownTestSuite() {
    delete engine_;
    delete toolkit_;
    engine_ = nullptr;
    toolkit_ = nullptr;
}

void SerialTest::SetUp() {
    rs_ = std::make_unique<platform::Rs232>(*engine_);
}

void SerialTest::TearDown() {
    rs_.reset();
    sensor_.reset();
}

void SerialTest::StartSensor(const std::string& options) {
    const sim::ParsedOptions parsed = sim::ParseOptionString(options);
    ASSERT_TRUE(parsed.ok) << parsed.error;
    sim::ServerOptions server;
    server.baud = parsed.options.baud;
    server.faults = parsed.options.faults;
    sensor_ = std::make_unique<sim::PtyServer>(parsed.options.sensor, server);
    ASSERT_TRUE(sensor_->Start()) << sensor_->error();
    ASSERT_EQ(OpenPort(kPort, sensor_->slavePath()), 0);
}

int SerialTest::OpenPort(int port, const std::string& device) {
    const int r = rs_->OpenComConfig(port, device, 19200, 0, 8, 1, 4096, 4096);
    if (r == 0) rs_->SetComTime(port, 2.0);
    return r;
}

void SerialTest::Pump(double seconds) {
    const double end = Now() + seconds;
    while (Now() < end)
        engine_->ProcessSystemEvents();
}

int SerialTest::Send(std::uint16_t code, std::uint16_t firstWord) {
    const auto frame = Request(code, firstWord);
    return rs_->ComWrt(kPort, frame.data(), static_cast<int>(frame.size()));
}

}  // namespace serialtest
