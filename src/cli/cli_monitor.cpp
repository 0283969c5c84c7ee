#include "cli_monitor.h"

#include <atomic>
#include <csignal>
#include <cstdlib>
#include <fstream>

#include "gui.h"
#include "plant_link.h"
#include "plant_publisher.h"
#include "row_file.h"
#include "sensor_events.h"

namespace {

constexpr double kRetrySeconds = 2.0;  // between identifications while the sensor is silent
constexpr double kDrainSeconds = 5.0;  // for the queue to empty when told to stop

std::atomic<bool> stopAsked{false};

extern "C" void AskStop(int) {
    stopAsked = true;
}

void CatchStopSignals() {
    std::signal(SIGTERM, AskStop);
    std::signal(SIGINT, AskStop);
#ifdef SIGPIPE
    std::signal(SIGPIPE, SIG_IGN);  // a broker that vanishes mid-write is the link's business
#endif
}

// From the file named by --credentials (user, then password, a line each), else the environment.
bool ReadCredentials(const MqttChoice& m, platform::PlantLinkSettings& into, std::string& why) {
    if (m.credentials.empty()) {
        const char* user = std::getenv("TAVRIX_MQTT_USER");
        const char* password = std::getenv("TAVRIX_MQTT_PASSWORD");
        into.user = user ? user : "";
        into.password = password ? password : "";
        return true;
    }
    std::ifstream in(m.credentials);
    if (!std::getline(in, into.user) || into.user.empty()) {
        why = m.credentials + ": cannot read a user name on its first line";
        return false;
    }
    std::getline(in, into.password);
    return true;
}

// The port's name: "sim", "COMn", or the device path's last part ("ttyUSB0").
std::string PortName(const PortChoice& port) {
    if (!port.device.empty()) return port.device.substr(port.device.rfind('/') + 1);
    return port.number == 0 ? "sim" : "COM" + std::to_string(port.number);
}

void Pause(Program& p, double seconds) {
    const double end = p.rt.Timer() + seconds;
    while (!stopAsked && p.rt.Timer() < end)
        p.rt.Delay(0.05);
}

// Publishes the Run loop's measurements through its publisher, and watches the loop: a stop asked
// ends it, a reconnect to the broker is told in state with the figures of what was lost meanwhile.
class Monitoring : public MeasurementListener {
  public:
    Monitoring(const Request& r, Session& session, std::ostream& err)
        : r_(r),
          session_(session),
          p_(session.program()),
          err_(err),
          publisher_(Settings(r), Hooks()) {}

    bool Start(std::string& why) {
        platform::PlantLinkSettings s;
        const MqttChoice& m = r_.mqtt;
        s.host = m.host, s.port = m.port, s.tls = m.tls;
        s.caFile = m.caFile, s.certFile = m.certFile, s.keyFile = m.keyFile;
        s.clientId = "tavrix-" + PlantTopicLevel(SensorId(r_));
        s.queueLimit = static_cast<std::size_t>(m.queue);
        s.willTopic = publisher_.Topic("state");
        s.willPayload = OfflineWillPayload();
        return ReadCredentials(m, s, why) && link_.Start(s, why);
    }

    // The sensor model and the change log feed state, parameters and events while this runs.
    void Run() {
        p_.sensorWatchers.Add(&publisher_);
        bool retrying = false;
        while (!stopAsked) {
            std::string why, warning;
            publisher_.HoldModelChanges(retrying);
            const bool connected = session_.Connect(r_.port, false, why, warning);
            publisher_.HoldModelChanges(false);
            retrying = true;
            if (!connected) {
                Tell(why);
                p_.rs.CloseCom(p_.com);
                Pause(p_, kRetrySeconds);
                continue;
            }
            Tell(warning);  // a missing firmware text; empty: all is well again
            Measure();
            p_.rs.CloseCom(p_.com);
            if (stopAsked) break;
            Tell("the sensor on " + session_.Device() + " stopped answering (" +
                 session_.StatusLine() + "); identifying it again");
        }
        p_.sensorWatchers.Remove(&publisher_);
        publisher_.PublishOffline();
        link_.Stop(kDrainSeconds);
    }

  private:
    static std::string SensorId(const Request& r) {
        return r.mqtt.sensorId.empty() ? PortName(r.port) : r.mqtt.sensorId;
    }

    static PlantPublisherSettings Settings(const Request& r) {
        return {r.mqtt.topicRoot, SensorId(r), r.mqtt.batchMs, r.mqtt.qos};
    }

    PlantPublisherHooks Hooks() {
        return {[this](PlantMessage m) {
                    link_.Publish(m.topic, std::move(m.payload), m.qos, m.retain);
                },
                [] { return static_cast<std::int64_t>(platform::UtcMilliseconds()); },
                [this] {
                    const platform::PlantLinkFigures f = link_.Figures();
                    return PlantLinkCounts{f.queued, f.lost, f.connects};
                }};
    }

    // The Run loop until the sensor stops answering or a stop is asked; its outcome goes to the
    // sensor model as the window's Run button hands it on.
    void Measure() {
        p_.listeners.Add(&publisher_);
        p_.listeners.Add(this);
        SensorOutcome(p_, PushRUN(p_));
        p_.listeners.Remove(this);
        p_.listeners.Remove(&publisher_);
    }

    void Measured(const State&) override {
        const std::uint64_t connects = link_.Figures().connects;
        if (connects != connectsTold_) {
            connectsTold_ = connects;
            publisher_.RepublishState();
        }
        if (stopAsked) p_.stop_flag = 1;
    }

    // One line a change of reason; empty: all is well again.
    void Tell(const std::string& why) {
        if (why == told_) return;
        told_ = why;
        if (!why.empty()) err_ << "tavrix-cli: monitor: " << why << std::endl;
    }

    const Request& r_;
    Session& session_;
    Program& p_;
    std::ostream& err_;
    platform::PlantLink link_;
    PlantPublisher publisher_;
    std::uint64_t connectsTold_ = 1;
    std::string told_;
};

}  // namespace

ExitCode Monitor(const Request& request, Session& session, std::ostream& err) {
    CatchStopSignals();
    Monitoring monitoring(request, session, err);
    std::string why;
    if (!monitoring.Start(why)) {
        err << "tavrix-cli: monitor: " << why << "\n";
        return ExitCode::FileError;
    }
    monitoring.Run();
    return ExitCode::Ok;
}
