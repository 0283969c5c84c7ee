// The workbench's "Publish to plant" toggle: while it is on, the window's Run and Video loops (as a
// measurement listener), the sensor model and the change log (as their watcher) are published as
// tavrix-cli monitor publishes them (measurement, state, parameters, events) to the plant's MQTT
// broker. The broker is named in the environment, as for a service: TAVRIX_MQTT_URL
// (mqtt://HOST[:PORT] or mqtts://...), and optionally TAVRIX_MQTT_SENSOR_ID (default: the port's
// name), TAVRIX_MQTT_ROOT (default tavrix), TAVRIX_MQTT_CAFILE, TAVRIX_MQTT_USER and
// TAVRIX_MQTT_PASSWORD.
#pragma once

#include <memory>

struct Program;

struct PlantPublishing;
struct PlantPublishingCloser {
    void operator()(PlantPublishing* p) const;  // leaves the listeners; state goes offline
};
using PlantPublishingPtr = std::unique_ptr<PlantPublishing, PlantPublishingCloser>;

// Starts publishing; the status line says where to, or why not (then false).
bool StartPlantPublishing(Program& p);
void StopPlantPublishing(Program& p);
