// The measurement workbench in its dock beside the main panel (workbench_dock.h): the answer rate, a
// table of statistics, the Record toggle (Ctrl+R), the "Publish to plant" toggle and the export
// buttons; below them the count of unsent parameter values, the Compare button (Ctrl+D) and beside
// it the "Set-up assistant..." button (Ctrl+Shift+A). And the exports of the panel's graphs (PNG,
// PDF, clipboard) through the plot library's own writers.
//
// The panel's file dialogs do not block: a loop that runs meanwhile goes on, and the choice comes
// back later as a callback. Callbacks run on the user-interface thread, like the engine's.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine.h"
#include "table_cell.h"

namespace platform {

enum class WorkbenchAction {
    RecordOn,  // the Record toggle went on (mouse or Ctrl+R)
    RecordOff,
    PublishOn,  // the "Publish to plant" toggle
    PublishOff,
    SavePng,  // export buttons
    SavePdf,
    CopyGraphs,
    SaveCsv,
    Compare,         // the Compare button (mouse or Ctrl+D)
    SetupAssistant,  // the "Set-up assistant..." button (mouse or Ctrl+Shift+A)
    Cancelled,       // a file dialog was closed without a choice
};

// file: empty for a button, the chosen absolute path when a ChooseFile dialog is accepted (with the
// action it was opened for).
using WorkbenchCallback = void (*)(void* data, WorkbenchAction action, const std::string& file);

class WorkbenchPanel {
  public:
    // Fills the workbench dock of the window of `panel`. Without such a panel nothing is shown
    // and every operation does nothing.
    WorkbenchPanel(Engine& engine, int panel, WorkbenchCallback callback, void* data);
    ~WorkbenchPanel();
    WorkbenchPanel(const WorkbenchPanel&) = delete;
    WorkbenchPanel& operator=(const WorkbenchPanel&) = delete;

    void ShowRate(const std::string& text);
    // header: the column titles; rows: one row's cells, the first its name. Only changed cells
    // are redrawn.
    void ShowTable(const std::vector<std::string>& header,
                   const std::vector<std::vector<TableCell>>& rows);
    // Fixes each column's width to fit the given text (the widest it will show), so refreshes
    // never measure the cells.
    void SizeColumns(const std::vector<std::string>& widest);
    // The line under the buttons that says how many parameter values are not sent.
    void ShowUnsent(const std::string& text);
    // The CSV format chosen for the files the workbench writes: in the dock's "CSV" list, or by
    // the file type picked in a CSV file dialog; kept between runs. False: RFC 4180 (the default).
    bool SemicolonCsv() const;
    // Sets the Record toggle without a callback.
    void SetRecording(bool on);
    // Sets the "Publish to plant" toggle without a callback.
    void SetPublishing(bool on);
    // Opens a save dialog in the folder used last (kept between runs) proposing `defaultName`;
    // pattern such as "*.csv". Its extension is added to a typed name that lacks it. Returns at
    // once: true when the dialog opened; false when another one is open (it is raised) or there
    // is no side panel.
    bool ChooseFile(WorkbenchAction forAction, const std::string& title,
                    const std::string& defaultName, const std::string& pattern);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

// Writes a graph or strip chart of a panel through the plot library, with `title` on a line above
// it: a PNG of width x height pixels drawn at twice the pixel density, or a PDF of that size in
// points halved, as vectors. The plot on screen does not change. False when the control is not a
// graph or the file cannot be written; a target that is not a regular file is refused
// (output_target.h).
bool SaveGraphPng(Engine& engine, int panel, int control, const std::string& path, int width,
                  int height, const std::string& title);
bool SaveGraphPdf(Engine& engine, int panel, int control, const std::string& path, int width,
                  int height, const std::string& title);
// Puts the graphs on the clipboard as one picture, stacked top to bottom in the given order.
bool CopyGraphs(Engine& engine, int panel, const std::vector<int>& controls);

}  // namespace platform
