// What goes to the plant's broker and under which topics: ROOT/ID/measurement, state (retained),
// parameters (retained) and events. A measurement listener, so that any loop can feed it, and a
// watcher of the sensor model and the change log, which feed the other three.
//
// It only builds messages and hands them to `post`, which must not wait on the network (the
// plant link queues them). Measured runs inside the measurement cycle: a few microseconds.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "measurement_listeners.h"
#include "plant_payloads.h"
#include "sensor_watchers.h"

struct PlantMessage {
    std::string topic, payload;
    int qos = 0;
    bool retain = false;
};

// The link's own figures, for the state topic.
struct PlantLinkCounts {
    std::uint64_t queued = 0, lost = 0, connects = 0;
};

struct PlantPublisherSettings {
    std::string root = "tavrix";
    std::string id;          // the sensor's name in the topics
    int batchMs = 0;         // 0: a message per measurement; else gathered for this long
    int measurementQos = 0;  // state, parameters and events always go with QoS 1
};

struct PlantPublisherHooks {
    std::function<void(PlantMessage)> post;
    std::function<std::int64_t()> utcNow;     // milliseconds since 1970, UTC
    std::function<PlantLinkCounts()> counts;  // may be empty
};

struct BrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
};
// "mqtt://HOST[:PORT]" (1883) or "mqtts://HOST[:PORT]" (8883, TLS); nothing for anything else.
std::optional<BrokerAddress> ParseBrokerUrl(const std::string& url);

// A topic level may hold no '/', '+' or '#': they become '_'.
std::string PlantTopicLevel(const std::string& text);

class PlantPublisher : public MeasurementListener, public SensorWatcher {
  public:
    PlantPublisher(PlantPublisherSettings settings, PlantPublisherHooks hooks);

    std::string Topic(const char* leaf) const;  // ROOT/ID/leaf

    // Judged by the window's pass/fail rule (JudgeTolerance).
    void Measured(const State& s) override;
    void LoopEnded(const State& s, ExchangeOutcome how) override;  // sends a batch begun
    // Sends what a batch holds now.
    void Flush();

    // state when the model's link or identity changed; parameters when its RAM or EEPROM record
    // did (a record with no word known is not told: the retained one stays).
    void ModelChanged(const SensorModel& model) override;
    // events: the change log's entry.
    void WriteLogged(const ChangeEntry& entry) override;
    // While held, the model's changes are only noted; released, what differs from what was told
    // is published. The monitor holds them while it retries a sensor that stays away, so that the
    // passing states of every retry are not told.
    void HoldModelChanges(bool hold);
    // state again with the link's figures now (after a reconnect to the broker).
    void RepublishState();
    // The publisher ends: state "offline", as the last will says.
    void PublishOffline();

    long cycles() const { return cycle_; }

  private:
    void Post(const char* leaf, std::string payload, int qos, bool retain);
    void PublishChanges();

    // What the model says now, and what was last told of it.
    struct ModelView {
        std::string link;
        std::optional<SensorIdentity> identity;
        KnownRecord ram{}, eeprom{};
    };

    PlantPublisherSettings settings_;
    PlantPublisherHooks hooks_;
    long cycle_ = 0;
    std::vector<PlantMeasurement> batch_;
    std::int64_t batchBegan_ = 0;
    bool held_ = false;
    ModelView now_, told_;
    bool stateTold_ = false;
};
