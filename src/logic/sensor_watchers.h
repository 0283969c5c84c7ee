// Who follows the sensor model and the change log: the plant link registers here, and the places
// that change the model (sensor_events, change_record) name none of them. Called on the thread
// that changes the model, after each change; a watcher only notes or queues, it never starts an
// exchange. A watcher may remove itself from its callback.
#pragma once

#include <vector>

#include "change_log.h"
#include "sensor_model.h"

class SensorWatcher {
  public:
    virtual ~SensorWatcher() = default;
    // The model took an outcome: its link, identity or records may have changed.
    virtual void ModelChanged(const SensorModel& /*model*/) {}
    // A write to the sensor got its change log entry (also when the file could not be written).
    virtual void WriteLogged(const ChangeEntry& /*entry*/) {}
};

class SensorWatchers {
  public:
    // Adding one already listed, or removing one not listed, does nothing.
    void Add(SensorWatcher* watcher);
    void Remove(SensorWatcher* watcher);

    void ModelChanged(const SensorModel& model);
    void WriteLogged(const ChangeEntry& entry);

  private:
    template <class Call>
    void Dispatch(Call call);
    std::vector<SensorWatcher*> watchers_;
};
