// The workbench dock of a panel window: the measurement workbench's place beside the panel. It
// can be tabbed, folded to its title bar, floated or closed; a "Workbench" button at the right
// end of the status row shows and hides it in one click. On a screen too narrow for the panel and
// the dock side by side it starts closed; its place and state are remembered with the window's
// (window_layout.h), its fold with its title bar (dock_title_bar.h).
//
// Its content is a column of boxes in a scroll area, so that nothing of it is clipped wherever it
// stands. Boxes added with AddWorkbenchBox go at the top, in the order they are added; the
// workbench's own figures and buttons follow below them.
#pragma once

class QDockWidget;
class QVBoxLayout;
class QWidget;

namespace platform {

// The dock of `window` (a panel window), made on first use.
QDockWidget* WorkbenchDock(QWidget* window);
// The dock's column, for the workbench's own widgets (added at the end).
QVBoxLayout* WorkbenchColumn(QWidget* window);
// Adds a box at the top of the dock, below boxes added before it.
void AddWorkbenchBox(QWidget* window, QWidget* box);

}  // namespace platform
