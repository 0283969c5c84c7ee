// The pass/fail lamp in the measurement area of the main panel: a word on a coloured field, the
// same words for screen readers (its accessible name).
#pragma once

#include <memory>
#include <string>

#include "engine.h"

namespace platform {

enum class LampLook {
    Idle,     // no loop runs: grey
    Good,     // green
    Bad,      // red
    Neutral,  // no verdict (no edge): amber
};

class ToleranceLampView {
  public:
    // Adds the lamp to the panel `panel` (its measurement group, when it has one). Without such a
    // panel nothing is shown and Show does nothing.
    ToleranceLampView(Engine& engine, int panel);
    ~ToleranceLampView();
    ToleranceLampView(const ToleranceLampView&) = delete;
    ToleranceLampView& operator=(const ToleranceLampView&) = delete;

    // Redraws only on a change.
    void Show(LampLook look, const std::string& text);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
