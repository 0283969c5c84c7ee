#include "measurement_listeners.h"

#include <algorithm>

void MeasurementListeners::Add(MeasurementListener* listener) {
    if (std::find(listeners_.begin(), listeners_.end(), listener) == listeners_.end())
        listeners_.push_back(listener);
}

void MeasurementListeners::Remove(MeasurementListener* listener) {
    listeners_.erase(std::remove(listeners_.begin(), listeners_.end(), listener), listeners_.end());
}

template <class Call>
void MeasurementListeners::Dispatch(Call call) {
    // A copy, so that a listener may change the list; one removed meanwhile is skipped.
    const std::vector<MeasurementListener*> now = listeners_;
    for (MeasurementListener* l : now)
        if (std::find(listeners_.begin(), listeners_.end(), l) != listeners_.end()) call(*l);
}

void MeasurementListeners::LoopBegan(const State& s, LoopKind kind) {
    Dispatch([&](MeasurementListener& l) { l.LoopBegan(s, kind); });
}

void MeasurementListeners::Measured(const State& s) {
    Dispatch([&](MeasurementListener& l) { l.Measured(s); });
}

void MeasurementListeners::LineImage(const State& s) {
    Dispatch([&](MeasurementListener& l) { l.LineImage(s); });
}

void MeasurementListeners::LoopEnded(const State& s, ExchangeOutcome how) {
    Dispatch([&](MeasurementListener& l) { l.LoopEnded(s, how); });
}
