// The running program: the program-wide state together with the engine and the serial ports it
// works through. Every module function takes it; callbacks receive it as their callback data.
#pragma once

#include <functional>
#include <memory>
#include <string>

#include "com232_router.h"
#include "engine.h"
#include "measurement_listeners.h"
#include "port_watch.h"
#include "record_diff.h"
#include "rs232.h"
#include "sensor_model.h"
#include "sensor_watchers.h"
#include "state.h"
#include "toolkit.h"

struct Workbench;  // workbench.h
struct WorkbenchCloser {
    void operator()(Workbench* w) const;  // writes what a recording still holds
};

struct SetupAssistant;  // setup_assistant.h
struct SetupAssistantCloser {
    void operator()(SetupAssistant* a) const;
};

struct CompareView;  // compare.h
struct CompareViewCloser {
    void operator()(CompareView* v) const;
};

// Which answers the identification of the port in use got.
struct Identification {
    bool line = false;       // the line check, with the answer sync word
    bool wrongSync = false;  // the line check's answer came without it: another device answers
    bool profile = false, record = false, firmware = false;
};

class ToleranceLamp;  // tolerance_lamp.h
struct ToleranceLampCloser {
    void operator()(ToleranceLamp* lamp) const;
};

struct SensorView;  // sensor_view.h
struct SensorViewCloser {
    void operator()(SensorView* v) const;
};

// Where writes to the sensor are logged (change_record.h).
struct ChangeLogTarget {
    std::string path;  // empty: --log, TAVRIX_LOG or the data folder's
    std::string program = "tavrix-didor";
    std::string failure;      // why the log could not be written, the first time
    std::string nextDetails;  // a JSON object for the next write's entry, taken by it once
};

struct Program : State {
    Program(platform::Engine& engine, platform::Rs232& ports) : rt(engine), rs(ports) {}
    platform::Engine& rt;
    platform::Rs232& rs;

    AnswerRouter router;         // every frame from the sensor, filed for the exchange it answers
    Identification identified;   // of the port in use, by InitRS232
    bool loopRunning = false;    // Run or Video, until its ending steps have run
    bool blockTimedOut = false;  // a line-image block of the current Video cycle timed out
    // Who follows the Run and Video loops (the workbench, the command line, ...).
    MeasurementListeners listeners;
    std::unique_ptr<Workbench, WorkbenchCloser> workbench;  // null until OpenWorkbench
    // What is known of the sensor; changed by exchange outcomes only (sensor_events.h).
    SensorModel model;
    // Who follows the model's changes and the change log's entries (the plant link, ...).
    SensorWatchers sensorWatchers;
    ChangeLogTarget changeLog;
    // The sensor box, the panel's undo history and the marks (sensor_view.h); null until opened.
    std::unique_ptr<SensorView, SensorViewCloser> sensorView;
    // A Teach that was answered and waits for its read-back, which completes its log entry.
    struct {
        bool on = false;
        KnownRecord before{};
        u16 setpoint = 0;
    } teach;
    bool quitting = false;                                    // the close box ended the program
    std::unique_ptr<CompareView, CompareViewCloser> compare;  // null until first opened
    std::unique_ptr<SetupAssistant, SetupAssistantCloser> assistant;  // null until first opened
    PortWatch portWatch;  // the port selector's view of the hardware
    std::unique_ptr<ToleranceLamp, ToleranceLampCloser> lamp;  // null until OpenToleranceLamp
};

// The Program behind a callback's data pointer.
inline Program& ProgramOf(void* callbackData) {
    return *static_cast<Program*>(callbackData);
}
