// The compare window: a table of named rows in columns, cells that differ tinted in the marking
// colour of ATTR_MARKED, a summary line at the top, a status line, and two buttons (read again,
// choose a file). A window of its own beside the main panel, not modal: the main panel stays
// usable while it is open. It belongs to the main panel's window, stays above it and goes with it.
//
// It opens within the screen that holds the main panel; Esc closes it when no loop runs.
//
// Callbacks run on the user-interface thread, like the engine's, and may run nested event loops
// (the sensor read, the engine's file popup). Closing the window hides it; it keeps its contents.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "table_cell.h"

namespace platform {

enum class CompareAction {
    Read,        // "Read sensor again"
    ChooseFile,  // "Add parameter file..."
};

using CompareCallback = void (*)(void* data, CompareAction action);

class ComparePanel {
  public:
    // Makes the window, hidden, for the window of `panel`. Without such a panel nothing is shown
    // and every operation does nothing.
    ComparePanel(Engine& engine, int panel, CompareCallback callback, void* data);
    ~ComparePanel();
    ComparePanel(const ComparePanel&) = delete;
    ComparePanel& operator=(const ComparePanel&) = delete;

    // Shows, raises and activates the window.
    void Show();
    // The line at the top; `attention` shows it in bold red (something differs).
    void ShowSummary(const std::string& text, bool attention);
    void ShowStatus(const std::string& text);
    // header: the column titles; rows: one row's cells, the first its name (shown as given);
    // differing cells are tinted. Only changed cells are redrawn.
    void ShowTable(const std::vector<std::string>& header,
                   const std::vector<std::vector<TableCell>>& rows);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
