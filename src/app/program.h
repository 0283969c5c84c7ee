// The running program: the program-wide state together with the engine and the serial ports it
// works through. Every module function takes it; callbacks receive it as their callback data.
#pragma once

#include <functional>
#include <memory>

#include "com232_router.h"
#include "engine.h"
#include "measurement_listeners.h"
#include "port_watch.h"
#include "record_diff.h"
#include "rs232.h"
#include "state.h"
#include "toolkit.h"

struct Workbench;  // workbench.h
struct WorkbenchCloser {
    void operator()(Workbench* w) const;  // writes what a recording still holds
};

struct CompareView;  // compare.h
struct CompareViewCloser {
    void operator()(CompareView* v) const;
};

struct Program : State {
    Program(platform::Engine& engine, platform::Rs232& ports) : rt(engine), rs(ports) {}
    platform::Engine& rt;
    platform::Rs232& rs;

    AnswerRouter router;         // every frame from the sensor, filed for the exchange it answers
    bool loopRunning = false;    // Run or Video, until its ending steps have run
    bool blockTimedOut = false;  // a line-image block of the current Video cycle timed out
    // Who follows the Run and Video loops (the workbench, the command line, ...).
    MeasurementListeners listeners;
    std::unique_ptr<Workbench, WorkbenchCloser> workbench;  // null until OpenWorkbench
    // Unsent edits (edit_marks.h): the record last received, sent or loaded, and the words whose
    // controls are marked as differing from it.
    RecordWords editReference{};
    WordMask editMarked;
    std::unique_ptr<CompareView, CompareViewCloser> compare;  // null until first opened
    PortWatch portWatch;  // the port selector's view of the hardware
};

// The Program behind a callback's data pointer.
inline Program& ProgramOf(void* callbackData) {
    return *static_cast<Program*>(callbackData);
}
