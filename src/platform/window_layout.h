// A panel window that resizes and fits small screens. Its controls keep the places the panel file
// gives them inside a scroll area that fills the window; the status row stays below it, always in
// view. A larger window stretches the plots (and their frames), moves what lies right of or below
// them along, and widens the status line; a window smaller than the panel scrolls.
#pragma once

class QWidget;

namespace platform {

// Call before the panel is first shown; widgets added to the window afterwards move into the
// content at their positions (once events have been dispatched). The window opens at its
// remembered geometry, or else at the panel's size clamped to the screen's available area; its
// geometry is remembered (by panel name) each time it is hidden. Later calls do nothing.
void InstallWindowLayout(QWidget* window);

}  // namespace platform
