#include "plant_publisher.h"

#include <cctype>
#include <utility>

std::optional<BrokerAddress> ParseBrokerUrl(const std::string& url) {
    const bool tls = url.rfind("mqtts://", 0) == 0;
    if (!tls && url.rfind("mqtt://", 0) != 0) return std::nullopt;
    const std::string rest = url.substr(tls ? 8 : 7);
    const std::size_t colon = rest.rfind(':');
    BrokerAddress a{rest.substr(0, colon), tls ? 8883 : 1883, tls};
    if (a.host.empty() || a.host.find_first_of("/@") != std::string::npos) return std::nullopt;
    if (colon == std::string::npos) return a;
    const std::string digits = rest.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return std::nullopt;
    for (const char c : digits)
        if (!std::isdigit(static_cast<unsigned char>(c))) return std::nullopt;
    a.port = std::stoi(digits);
    if (a.port < 1 || a.port > 65535) return std::nullopt;
    return a;
}

bool InsideToleranceBand(const State& s) {
    const int low = int(s.tVal) - int(s.tTol), high = int(s.tVal) + int(s.tTol);
    return int(s.Mvalue) >= low && int(s.Mvalue) <= high;
}

std::string PlantTopicLevel(const std::string& text) {
    std::string out = text.empty() ? "_" : text;
    for (char& c : out)
        if (c == '/' || c == '+' || c == '#') c = '_';
    return out;
}

PlantPublisher::PlantPublisher(PlantPublisherSettings settings, PlantPublisherHooks hooks)
    : settings_(std::move(settings)), hooks_(std::move(hooks)) {}

std::string PlantPublisher::Topic(const char* leaf) const {
    return settings_.root + "/" + PlantTopicLevel(settings_.id) + "/" + leaf;
}

void PlantPublisher::Post(const char* leaf, std::string payload, int qos, bool retain) {
    hooks_.post({Topic(leaf), std::move(payload), qos, retain});
}

void PlantPublisher::Measured(const State& s) {
    PlantMeasurement m;
    m.cycle = ++cycle_;
    m.utcMs = hooks_.utcNow();
    m.words = RecordOf(kAnswerRecord, s);
    m.setpoint = s.tVal;
    m.tolerance = s.tTol;
    m.inTolerance = hooks_.inTolerance(s);
    if (settings_.batchMs <= 0)
        return Post("measurement", MeasurementPayload(m), settings_.measurementQos, false);
    if (batch_.empty()) batchBegan_ = m.utcMs;
    batch_.push_back(m);
    if (m.utcMs - batchBegan_ >= settings_.batchMs) Flush();
}

void PlantPublisher::LoopEnded(const State&, ExchangeOutcome) {
    Flush();
}

void PlantPublisher::Flush() {
    if (batch_.empty()) return;
    Post("measurement", MeasurementBatchPayload(batch_), settings_.measurementQos, false);
    batch_.clear();
}

void PlantPublisher::PublishState(const std::string& link,
                                  const std::optional<PlantIdentity>& identity) {
    link_ = link;
    identity_ = identity;
    RepublishState();
}

void PlantPublisher::RepublishState() {
    PlantState state{link_, identity_, 0, 0, 0, hooks_.utcNow()};
    if (hooks_.counts) {
        const PlantLinkCounts c = hooks_.counts();
        state.queued = c.queued, state.lost = c.lost, state.connects = c.connects;
    }
    Post("state", StatePayload(state), 1, true);
}

void PlantPublisher::PublishParameters(const RecordWords& ram,
                                       const std::optional<RecordWords>& eeprom) {
    Post("parameters", ParametersPayload(hooks_.utcNow(), ram, eeprom), 1, true);
}

void PlantPublisher::PublishEvent(const PlantEvent& event) {
    Post("events", EventPayload(event), 1, false);
}
