// tavrix-cli monitor against a real broker: Debian's mosquitto on a free loopback port, started
// by each test with a configuration of its own and ended by its process id; the sensor is the
// simulator on a pseudo-terminal. What reaches the broker is read with mosquitto_sub.
#include <gtest/gtest.h>

#include <cstdlib>

#include "child_process.h"
#include "plant_payloads.h"
#include "pty_server.h"
#include "records.h"

namespace {

using namespace testsupport;

// The number after "name": in a JSON line; -1 when absent.
long JsonNumber(const std::string& line, const std::string& name) {
    const std::size_t at = line.find("\"" + name + "\":");
    return at == std::string::npos ? -1 : std::atol(line.c_str() + at + name.size() + 3);
}

class PlantLinkTest : public ::testing::Test {
  protected:
    void SetUp() override {
        sensor_ = std::make_unique<sim::PtyServer>();
        ASSERT_TRUE(sensor_->Start()) << sensor_->error();
        dir_ = ::testing::TempDir() + "tavrix_plant_" + std::to_string(getpid()) + "_" +
               ::testing::UnitTest::GetInstance()->current_test_info()->name() + "/";
        std::system(("rm -rf " + dir_ + " && mkdir -p " + dir_).c_str());
        broker_ = std::make_unique<TestBroker>(dir_);
        port_ = broker_->port();
    }

    std::string Path(const std::string& name) const { return dir_ + name; }

    void StartBroker(const std::string& extra = "allow_anonymous true\n") {
        ASSERT_TRUE(broker_->Start(extra)) << broker_->log();
    }

    std::unique_ptr<Child> Subscribe(const std::string& file,
                                     std::vector<std::string> options = {}) {
        std::vector<std::string> args = {"mosquitto_sub",       "-h", "127.0.0.1", "-p",
                                         std::to_string(port_), "-v", "-t",        "tavrix/#"};
        args.insert(args.end(), options.begin(), options.end());
        auto sub = std::make_unique<Child>(args, Path(file));
        std::this_thread::sleep_for(std::chrono::milliseconds(300));  // subscribed before data
        return sub;
    }

    // What the broker keeps on `topic`: its retained message, or "" after 3 s.
    std::string Retained(const std::string& topic) {
        Child sub({"mosquitto_sub", "-h", "127.0.0.1", "-p", std::to_string(port_), "-C", "1", "-W",
                   "3", "-t", topic},
                  Path("retained"));
        sub.Wait(5);
        std::string text = ReadText(Path("retained"));
        if (!text.empty() && text.back() == '\n') text.pop_back();
        return text;
    }

    std::unique_ptr<Child> Monitor(const std::string& url, std::vector<std::string> options) {
        std::vector<std::string> args = {TAVRIX_CLI,    "monitor", "--mqtt",
                                         url,           "--port",  sensor_->slavePath(),
                                         "--sensor-id", "s1"};
        args.insert(args.end(), options.begin(), options.end());
        return std::make_unique<Child>(args, Path("monitor.out"));
    }

    std::string Url() const { return broker_->url(); }

    std::unique_ptr<sim::PtyServer> sensor_;
    std::string dir_;
    int port_ = 0;
    std::unique_ptr<TestBroker> broker_;
};

TEST_F(PlantLinkTest, SubscriberGetsTheSensorsAnswersInOrderAndTheWillAfterAKill) {
    StartBroker();
    auto sub = Subscribe("sub");
    auto monitor = Monitor(Url(), {});
    const std::string measurement = "tavrix/s1/measurement ";
    ASSERT_TRUE(WaitFor([&] { return Lines(Path("sub"), measurement).size() >= 20; }, 15))
        << ReadText(Path("monitor.out.err"));
    monitor->Signal(SIGKILL);
    monitor->Wait(5);

    // The simulator's answers again, from a sensor of the same make that takes the same requests.
    sim::Responder replay;
    const auto runRequest = sim::MakeFrame(0x55, sim::RUN, sim::DefaultRecord());
    long cycle = 0;
    for (const std::string& line : Lines(Path("sub"), measurement)) {
        const sim::Words words = sim::PayloadOf(std::span<const std::uint8_t, sim::kFrameBytes>(
            replay.Respond(runRequest).bytes.data(), sim::kFrameBytes));
        ASSERT_EQ(JsonNumber(line, "cycle"), ++cycle) << line;
        EXPECT_EQ(JsonNumber(line, "schema"), 1);
        for (std::size_t i = 0; i < words.size(); ++i)
            ASSERT_EQ(JsonNumber(line, kAnswerRecord[i].name), words[i]) << i << ": " << line;
    }
    // The sensor model's link and identity, before the last will.
    const auto states = Lines(Path("sub"), "tavrix/s1/state ");
    ASSERT_GE(states.size(), 2u);
    const std::string& online = states[states.size() - 2];
    EXPECT_NE(online.find("\"link\":\"online\",\"identity\":{\"port\":"), std::string::npos)
        << online;
    EXPECT_NE(
        online.find(" (" + sensor_->slavePath() + ")\",\"firmware\":\"TAVRIX-DIDOR SIM V1.52\""),
        std::string::npos)
        << online;
    EXPECT_EQ(Retained("tavrix/s1/state"), OfflineWillPayload());
    EXPECT_EQ(JsonNumber(Retained("tavrix/s1/parameters"), "power"), sensor_->Ram()[0]);
}

TEST_F(PlantLinkTest, BrokerRestartIsReconnectedAndTheLossCounted) {
    StartBroker();
    auto before = Subscribe("before");
    auto monitor = Monitor(Url(), {"--queue", "10"});
    const std::string measurement = "tavrix/s1/measurement ";
    ASSERT_TRUE(WaitFor([&] { return Lines(Path("before"), measurement).size() >= 5; }, 15));
    broker_->Stop();  // killed: no goodbye to anyone
    before.reset();
    std::this_thread::sleep_for(std::chrono::seconds(2));  // about 50 measurements for 10 places
    StartBroker();
    auto after = Subscribe("after");
    std::string state;
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto states = Lines(Path("after"), "tavrix/s1/state ");
            state = states.empty() ? "" : states.back();
            return JsonNumber(state, "connects") == 2;
        },
        20))
        << ReadText(Path("after"));
    EXPECT_GE(JsonNumber(state, "lost"), 20) << state;
    const long lastBefore = JsonNumber(Lines(Path("before"), measurement).back(), "cycle");
    ASSERT_TRUE(WaitFor(
        [&] {
            const auto lines = Lines(Path("after"), measurement);
            return !lines.empty() && JsonNumber(lines.back(), "cycle") > lastBefore + 60;
        },
        10));

    monitor->Signal(SIGTERM);
    EXPECT_EQ(monitor->Wait(10), 0);
    EXPECT_NE(Retained("tavrix/s1/state").find("\"online\":false,\"link\":\"offline\""),
              std::string::npos);
}

TEST_F(PlantLinkTest, TlsWithClientCertificateAndPasswordFromAFile) {
    const std::string ssl = "openssl req -newkey ec -pkeyopt ec_paramgen_curve:prime256v1 -nodes ";
    const std::string sign = "openssl x509 -req -days 2 -CA " + Path("ca.crt") + " -CAkey " +
                             Path("ca.key") + " -CAcreateserial ";
    std::ofstream(Path("san.ext")) << "subjectAltName=IP:127.0.0.1\n";
    const std::string make =
        "cd " + dir_ + " && (" + ssl +
        "-x509 -days 2 -subj /CN=test-ca -keyout ca.key -out ca.crt" + " && " + ssl +
        "-subj /CN=127.0.0.1 -keyout server.key -out server.csr && " + sign +
        "-extfile san.ext -in server.csr -out server.crt && " + ssl +
        "-subj /CN=s1 -keyout client.key -out client.csr && " + sign +
        "-in client.csr -out client.crt && mosquitto_passwd -b -c passwords plant 's3cret pass'" +
        ") >openssl.log 2>&1";
    ASSERT_EQ(std::system(make.c_str()), 0) << ReadText(Path("openssl.log"));
    std::ofstream(Path("credentials")) << "plant\ns3cret pass\n";
    StartBroker("require_certificate true\nallow_anonymous false\ncafile " + Path("ca.crt") +
                "\ncertfile " + Path("server.crt") + "\nkeyfile " + Path("server.key") +
                "\npassword_file " + Path("passwords") + "\n");
    const std::vector<std::string> clientFiles = {
        "--cafile", Path("ca.crt"), "--cert", Path("client.crt"), "--key", Path("client.key")};
    std::vector<std::string> subOptions = clientFiles;
    subOptions.insert(subOptions.end(), {"-u", "plant", "-P", "s3cret pass"});
    auto sub = Subscribe("sub", subOptions);
    std::vector<std::string> options = clientFiles;
    options.insert(options.end(), {"--credentials", Path("credentials")});
    auto monitor = Monitor("mqtts://127.0.0.1:" + std::to_string(port_), options);
    EXPECT_TRUE(
        WaitFor([&] { return Lines(Path("sub"), "tavrix/s1/measurement ").size() >= 3; }, 15))
        << ReadText(Path("monitor.out.err")) << broker_->log();
}

}  // namespace
