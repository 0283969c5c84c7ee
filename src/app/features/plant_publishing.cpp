#include "plant_publishing.h"

#include <cstdlib>

#include "com232.h"
#include "plant_link.h"
#include "plant_publisher.h"
#include "row_file.h"
#include "workbench.h"

struct PlantPublishing {
    Program& program;
    platform::PlantLink link;
    PlantPublisher publisher;

    PlantPublishing(Program& p, const std::string& id)
        : program(p),
          publisher({Env("TAVRIX_MQTT_ROOT", "tavrix"), id, 0, 0},
                    {[this](PlantMessage m) {
                         link.Publish(m.topic, std::move(m.payload), m.qos, m.retain);
                     },
                     [] { return static_cast<std::int64_t>(platform::UtcMilliseconds()); },
                     [this] {
                         const platform::PlantLinkFigures f = link.Figures();
                         return PlantLinkCounts{f.queued, f.lost, f.connects};
                     }}) {}

    static std::string Env(const char* name, const char* otherwise = "") {
        const char* value = std::getenv(name);
        return value && *value ? value : otherwise;
    }
};

namespace {

constexpr double kGoodbyeSeconds = 0.5;  // the window waits no longer for the broker

std::string PortName(Program& p) {
    const std::string device = p.rs.DeviceForPort(p.com);
    return device.empty() ? "COM" + std::to_string(p.com) : device.substr(device.rfind('/') + 1);
}

PlantPublishing* Of(Program& p) {
    return p.workbench ? p.workbench->plant.get() : nullptr;
}

}  // namespace

void PlantPublishingCloser::operator()(PlantPublishing* p) const {
    p->program.listeners.Remove(&p->publisher);
    p->program.sensorWatchers.Remove(&p->publisher);
    p->publisher.PublishOffline();
    p->link.Stop(kGoodbyeSeconds);
    delete p;
}

bool StartPlantPublishing(Program& p) {
    if (!p.workbench) return false;
    const std::string url = PlantPublishing::Env("TAVRIX_MQTT_URL");
    const auto address = ParseBrokerUrl(url);
    if (!address) {
        SetStatus(p, url.empty()
                         ? "Publish to plant: TAVRIX_MQTT_URL names no broker"
                         : "Publish to plant: TAVRIX_MQTT_URL is no mqtt:// or mqtts:// URL");
        return false;
    }
    auto publishing = PlantPublishingPtr(
        new PlantPublishing(p, PlantPublishing::Env("TAVRIX_MQTT_SENSOR_ID", PortName(p).c_str())));
    platform::PlantLinkSettings s;
    s.host = address->host, s.port = address->port, s.tls = address->tls;
    s.caFile = PlantPublishing::Env("TAVRIX_MQTT_CAFILE");
    s.user = PlantPublishing::Env("TAVRIX_MQTT_USER");
    s.password = PlantPublishing::Env("TAVRIX_MQTT_PASSWORD");
    s.willTopic = publishing->publisher.Topic("state");
    s.willPayload = OfflineWillPayload();
    std::string why;
    if (!publishing->link.Start(s, why)) {
        SetStatus(p, "Publish to plant: " + why);
        return false;
    }
    publishing->publisher.ModelChanged(p.model);  // what is known now, then every change
    SetStatus(p, "Publishing to plant: " + publishing->publisher.Topic("") + " on " +
                     address->host + ":" + std::to_string(address->port));
    p.listeners.Add(&publishing->publisher);
    p.sensorWatchers.Add(&publishing->publisher);
    p.workbench->plant = std::move(publishing);
    return true;
}

void StopPlantPublishing(Program& p) {
    if (!Of(p)) return;
    p.workbench->plant.reset();
    SetStatus(p, "Publish to plant ended");
}
