// The toolkit's application object: made once per program before any Engine.
#pragma once

#include <memory>

namespace platform {

// The toolkit's application object for this program instance. Create one before any Engine and
// keep it alive until every Engine is gone. ok() is false when the toolkit could not start (on
// Linux: no display and no platform chosen). When the process already has an application object
// (a test), that one is used and left alone.
class Toolkit {
  public:
    Toolkit();
    ~Toolkit();
    Toolkit(const Toolkit&) = delete;
    Toolkit& operator=(const Toolkit&) = delete;
    bool ok() const;

  private:
    struct State;
    std::unique_ptr<State> state_;
};

}  // namespace platform
