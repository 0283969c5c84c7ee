// The panel's undo history: every change of the parameter set (an edit, a Get, Teach's read-back,
// a file loaded) is one step that "Undo" (Ctrl+Z) takes back and "Redo" (Ctrl+Shift+Z) makes
// again. The two actions are buttons in the sensor box and shortcuts of the window; while a field
// is being typed in, the keys are the field's own.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine.h"

namespace platform {

// Puts `words` (the record a step brings back) onto the panel.
using HistoryApply = void (*)(void* data, const std::vector<unsigned short>& words);

class PanelHistory {
  public:
    PanelHistory(Engine& engine, int panel, HistoryApply apply, void* data);
    ~PanelHistory();
    PanelHistory(const PanelHistory&) = delete;
    PanelHistory& operator=(const PanelHistory&) = delete;

    // A change the panel has made already, from `before` to `after`; `what` names it ("Get").
    void Record(const std::string& what, const std::vector<unsigned short>& before,
                const std::vector<unsigned short>& after);
    // What the actions do; false when there is nothing to undo or redo.
    bool Undo();
    bool Redo();

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
