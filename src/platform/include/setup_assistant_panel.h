// The set-up assistant's window: a step title, a row of settings (cycles, threshold share, edge
// margin, tolerance in sd), a plot of its own, a text with the figures, a table
// of old and new values, a status line and the buttons Back, Measure, Next, Send to RAM, Teach, Store in
// EEPROM, Save parameter file and Cancel. A window of its own beside the main panel, not modal. It
// belongs to the main panel's window, stays above it and goes with it; closing it is Cancel.
//
// The program decides what each step shows and which buttons are usable. Callbacks run on the
// user-interface thread, like the engine's, and may run nested event loops (the loops that
// measure, the file popup).
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "engine.h"

namespace platform {

enum class AssistantAction { Back, Measure, Next, SendRam, Teach, StoreEeprom, SaveFile, Cancel };
inline constexpr int kAssistantActions = 8;

using AssistantCallback = void (*)(void* data, AssistantAction action);

struct AssistantCurve {
    std::vector<double> x, y;
    int color = 0;  // 0xRRGGBB
    bool dashed = false;
    std::string name;  // in the legend
};

// The user's choices in the window's settings row.
struct AssistantSettings {
    int videoCycles = 20, runCycles = 200;
    double thresholdShare = 0.5;  // from background to signal
    double edgeMargin = 0.10;     // share of the span between the edges
    double toleranceSds = 5;
};

struct AssistantAxes {
    double xMin = 0, xMax = 1, yMin = 0, yMax = 1;
    std::string xLabel, yLabel;
};

class SetupAssistantPanel {
  public:
    // Makes the window, hidden, for the window of `panel`. Without such a panel nothing is shown
    // and every operation does nothing.
    SetupAssistantPanel(Engine& engine, int panel, AssistantCallback callback, void* data);
    ~SetupAssistantPanel();
    SetupAssistantPanel(const SetupAssistantPanel&) = delete;
    SetupAssistantPanel& operator=(const SetupAssistantPanel&) = delete;

    void Show();
    void Hide();
    bool Visible() const;
    void ShowStep(const std::string& title);
    void ShowText(const std::string& text);
    void ShowStatus(const std::string& text);
    // Replaces the plot's curves; an empty list hides the plot.
    void ShowPlot(const std::vector<AssistantCurve>& curves, const AssistantAxes& axes);
    // rows of cells; the first row is the header. An empty list hides the table.
    void ShowTable(const std::vector<std::vector<std::string>>& rows);
    // Which buttons are usable, by AssistantAction; a hidden one is not shown at all.
    void SetButtons(const bool (&usable)[kAssistantActions],
                    const bool (&shown)[kAssistantActions]);
    AssistantSettings Settings() const;
    // Asks a yes/no question in a modal box over the window; true for yes.
    bool Confirm(const std::string& title, const std::string& question);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
