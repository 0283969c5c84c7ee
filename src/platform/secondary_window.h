// Esc in a window beside the main panel (Parameters II, the compare view): while a loop runs (a
// callback is running), Esc does what it does in the main panel, which stops the loop; with
// nothing running, it closes the window, by the same way as its close box.
#pragma once

#include "engine_impl.h"

namespace platform {

// Installs the Esc key on `window` once; `main` holds the button whose shortcut is Esc.
void CloseOnEscape(Engine::Impl& impl, QWidget* window, const QWidget* main);

}  // namespace platform
