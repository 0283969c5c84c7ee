// The sensor box at the top of the workbench side panel: a lamp for the link, the sensor's
// identity, the memory state, the latest write's result, what to check when the sensor does not
// answer, and the "Find sensor" button (Ctrl+I). It shows what it is given; the program decides
// the texts.
#pragma once

#include <memory>
#include <string>

#include "engine.h"

namespace platform {

enum class Lamp { Online, Busy, NotAnswering, Unplugged, WrongDevice, NoPort };

struct SensorBoxText {
    Lamp lamp = Lamp::NoPort;
    std::string link;      // beside the lamp: "Online", "Not answering since 14:02", ...
    std::string identity;  // one or more lines
    std::string memory;    // "RAM and EEPROM match", ...
    std::string result;    // the latest write: "Stored in EEPROM at 14:02", ...
    std::string notice;    // what to check, or that the values were not read
};

using SensorBoxCallback = void (*)(void* data);  // "Find sensor" pressed

class SensorBox {
  public:
    // Fills the box that the workbench side panel of `panel` holds; without one nothing is shown
    // and Show does nothing.
    SensorBox(Engine& engine, int panel, SensorBoxCallback findSensor, void* data);
    ~SensorBox();
    SensorBox(const SensorBox&) = delete;
    SensorBox& operator=(const SensorBox&) = delete;

    void Show(const SensorBoxText& text);

  private:
    struct Impl;
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
