// The empty frame that the workbench side panel places at its top and the sensor box and the
// panel's Undo and Redo fill.
#pragma once

#include <QWidget>

namespace platform {

QWidget* NewSensorBoxFrame();
// The frame inside `window`, or null.
QWidget* FindSensorBoxFrame(QWidget* window);

}  // namespace platform
