// A dock's own title bar with a fold button: folded, the dock shows its title bar only and gives
// the rest of its place back to the window's centre (its width beside the centre, its height
// above or below it, a floating dock shrinks to the bar). Float and close act as the dock's own
// buttons do; dragging and double-clicking the bar work as on any dock.
//
// The folded state (with the size to unfold to) is kept in the user's settings under
// `settingsKey` and applied at once, so a window whose dock places are restored later finds the
// dock as it was left.
#pragma once

class QDockWidget;
class QString;

namespace platform {

void AddFoldingTitleBar(QDockWidget* dock, const QString& settingsKey);
bool DockFolded(const QDockWidget* dock);
// Folds or unfolds the dock and remembers it; nothing happens when it already is so.
void SetDockFolded(QDockWidget* dock, bool folded);

}  // namespace platform
