#include "sensor_watchers.h"

#include <algorithm>

void SensorWatchers::Add(SensorWatcher* watcher) {
    if (std::find(watchers_.begin(), watchers_.end(), watcher) == watchers_.end())
        watchers_.push_back(watcher);
}

void SensorWatchers::Remove(SensorWatcher* watcher) {
    watchers_.erase(std::remove(watchers_.begin(), watchers_.end(), watcher), watchers_.end());
}

template <class Call>
void SensorWatchers::Dispatch(Call call) {
    // A copy, so that a watcher may change the list; one removed meanwhile is skipped.
    const std::vector<SensorWatcher*> now = watchers_;
    for (SensorWatcher* w : now)
        if (std::find(watchers_.begin(), watchers_.end(), w) != watchers_.end()) call(*w);
}

void SensorWatchers::ModelChanged(const SensorModel& model) {
    Dispatch([&](SensorWatcher& w) { w.ModelChanged(model); });
}

void SensorWatchers::WriteLogged(const ChangeEntry& entry) {
    Dispatch([&](SensorWatcher& w) { w.WriteLogged(entry); });
}
