// The toolkit for programs that run from scripts: no window is shown and no display is needed.
#pragma once

#include <memory>

#include "toolkit.h"

namespace platform {

// Like Toolkit, but the application object draws offscreen whatever display the session has:
// panels load from the panel file as usual and serve as the program's state holders, never
// shown. Create one before any Engine and keep it alive until every Engine is gone.
class HeadlessToolkit {
  public:
    HeadlessToolkit();
    ~HeadlessToolkit();
    HeadlessToolkit(const HeadlessToolkit&) = delete;
    HeadlessToolkit& operator=(const HeadlessToolkit&) = delete;
    bool ok() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
