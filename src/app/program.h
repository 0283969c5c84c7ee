// The running program: the program-wide state together with the engine and the serial ports it
// works through. Every module function takes it; callbacks receive it as their callback data.
#pragma once

#include <memory>

#include "engine.h"
#include "rs232.h"
#include "state.h"

struct Workbench;  // workbench.h
struct WorkbenchCloser {
    void operator()(Workbench* w) const;  // writes what a recording still holds
};

struct Program : State {
    Program(platform::Engine& engine, platform::Rs232& ports) : rt(engine), rs(ports) {}
    platform::Engine& rt;
    platform::Rs232& rs;
    std::unique_ptr<Workbench, WorkbenchCloser> workbench;  // null until OpenWorkbench
};

// The Program behind a callback's data pointer.
inline Program& ProgramOf(void* callbackData) {
    return *static_cast<Program*>(callbackData);
}
