// The pass/fail lamp beside the measured value: "In tolerance" (green), "Out of tolerance" (red)
// or "No edge", judged by the bar graph's bands (tolerance_verdict.h); "Idle" while no loop runs.
// It follows the loops as a measurement listener.
#pragma once

#include "lamp_view.h"
#include "measurement_listeners.h"

struct Program;

class ToleranceLamp : public MeasurementListener {
  public:
    explicit ToleranceLamp(Program& p);

    void Measured(const State& s) override;
    void LoopEnded(const State& s, ExchangeOutcome how) override;

  private:
    platform::ToleranceLampView view_;
};

// Adds the lamp to the main panel and registers it with the loops' listeners; once, at start-up,
// after the panel is loaded.
void OpenToleranceLamp(Program& p);
