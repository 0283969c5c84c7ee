#include "plant_publisher.h"

#include <cctype>
#include <utility>

#include "tolerance_verdict.h"

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
    m.tolerance = s.tol;  // the band JudgeTolerance uses
    const ToleranceVerdict verdict = JudgeTolerance(s);
    if (verdict != ToleranceVerdict::NoEdge)
        m.inTolerance = verdict == ToleranceVerdict::InTolerance;
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

void PlantPublisher::ModelChanged(const SensorModel& model) {
    now_.link = LinkStateName(model.Link());
    if (model.Identity().identifiedAt != 0)
        now_.identity = model.Identity();
    else
        now_.identity.reset();
    now_.ram = model.Ram();
    now_.eeprom = model.Eeprom();
    if (!held_) PublishChanges();
}

void PlantPublisher::HoldModelChanges(bool hold) {
    held_ = hold;
    if (!held_ && !now_.link.empty()) PublishChanges();
}

void PlantPublisher::PublishChanges() {
    if (!stateTold_ || now_.link != told_.link || now_.identity != told_.identity) {
        told_.link = now_.link;
        told_.identity = now_.identity;
        stateTold_ = true;
        RepublishState();
    }
    if (AnyKnown(now_.ram) && (now_.ram != told_.ram || now_.eeprom != told_.eeprom)) {
        told_.ram = now_.ram;
        told_.eeprom = now_.eeprom;
        Post("parameters", ParametersPayload(hooks_.utcNow(), now_.ram, now_.eeprom), 1, true);
    }
}

void PlantPublisher::RepublishState() {
    if (!stateTold_) return;  // nothing known yet to tell again
    PlantState state{told_.link, told_.identity, 0, 0, 0, hooks_.utcNow()};
    if (hooks_.counts) {
        const PlantLinkCounts c = hooks_.counts();
        state.queued = c.queued, state.lost = c.lost, state.connects = c.connects;
    }
    Post("state", StatePayload(state), 1, true);
}

void PlantPublisher::PublishOffline() {
    told_.link = now_.link = "offline";
    told_.identity = now_.identity = std::nullopt;
    stateTold_ = true;
    RepublishState();
}

void PlantPublisher::WriteLogged(const ChangeEntry& entry) {
    Post("events", EventPayload(entry), 1, false);
}
