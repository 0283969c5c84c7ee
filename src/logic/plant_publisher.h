// What goes to the plant's broker and under which topics: ROOT/ID/measurement, state (retained),
// parameters (retained) and events. A measurement listener, so that any loop can feed it; the
// sensor model and the change log feed the other three through their own calls.
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
    std::function<std::int64_t()> utcNow;           // milliseconds since 1970, UTC
    std::function<bool(const State&)> inTolerance;  // the window's pass/fail verdict
    std::function<PlantLinkCounts()> counts;        // may be empty
};

struct BrokerAddress {
    std::string host;
    int port = 1883;
    bool tls = false;
};
// "mqtt://HOST[:PORT]" (1883) or "mqtts://HOST[:PORT]" (8883, TLS); nothing for anything else.
std::optional<BrokerAddress> ParseBrokerUrl(const std::string& url);

// The verdict until the window's pass/fail function is connected: the measured value inside the
// band tVal ± tTol that the bar graph draws.
bool InsideToleranceBand(const State& s);

// A topic level may hold no '/', '+' or '#': they become '_'.
std::string PlantTopicLevel(const std::string& text);

class PlantPublisher : public MeasurementListener {
  public:
    PlantPublisher(PlantPublisherSettings settings, PlantPublisherHooks hooks);

    std::string Topic(const char* leaf) const;  // ROOT/ID/leaf

    void Measured(const State& s) override;
    void LoopEnded(const State& s, ExchangeOutcome how) override;  // sends a batch begun
    // Sends what a batch holds now.
    void Flush();

    // The sensor model's link state and identity changed (or the link's figures should be told).
    void PublishState(const std::string& link, const std::optional<PlantIdentity>& identity);
    // Again with what was last given, and the link's figures now.
    void RepublishState();
    void PublishParameters(const RecordWords& ram, const std::optional<RecordWords>& eeprom);
    void PublishEvent(const PlantEvent& event);

    long cycles() const { return cycle_; }

  private:
    void Post(const char* leaf, std::string payload, int qos, bool retain);

    PlantPublisherSettings settings_;
    PlantPublisherHooks hooks_;
    long cycle_ = 0;
    std::vector<PlantMeasurement> batch_;
    std::int64_t batchBegan_ = 0;
    std::string link_ = "identifying";
    std::optional<PlantIdentity> identity_;
};
