// Polls the list of ports about once a second and reports changes while the program is idle
// (rs232.h, WatchPorts). Private to the platform layer.
#pragma once

#include <QTimer>
#include <vector>

#include "rs232_types.h"

namespace platform {

class Engine;

class PortListWatch {
  public:
    explicit PortListWatch(Engine& engine);
    // Takes the current list as the one to compare with; a null callback stops the watch.
    void Start(PortListCallback callback, void* callbackData);
    // The list the program was given last: later looks compare with it.
    void Given(const std::vector<PortEntry>& list) { last_ = list; }

  private:
    void Look();

    Engine& engine_;
    QTimer timer_;
    std::vector<PortEntry> last_;
    PortListCallback callback_ = nullptr;
    void* callbackData_ = nullptr;
};

}  // namespace platform
