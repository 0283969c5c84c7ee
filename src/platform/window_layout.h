// Panel windows that fit the screen. Each panel from the panel file is shown in a main window
// (QMainWindow) of its own, with the panel's controls as its centre: they keep the places the
// panel file gives them inside a scroll area; the status row stays below it, always in view, and
// may take further widgets at its right end (the workbench's toggle). A larger window stretches
// the plots (and their frames), moves what lies right of or below them along, and widens the
// status line; a window smaller than the panel scrolls, and a focused control scrolls into view
// together with its label. Docks (the workbench) stand beside the centre.
#pragma once

class QMainWindow;
class QWidget;

namespace platform {

// Wraps a panel loaded from the panel file (a plain widget, without parent) in a main window of
// the panel's name, title and accessible name, and lays it out. Returns the main window.
QMainWindow* MakePanelWindow(QWidget* panel);

// Where the panel's controls live (and controls made at run time go): the scroll area's content.
// The window itself for a window that is not a panel window.
QWidget* PanelContent(QWidget* window);

// Adds a widget at the right end of the status row (nothing happens without a status row).
void AddToStatusRow(QWidget* window, QWidget* widget);

// Call before a panel window is shown: the first time, it restores the window's geometry and its
// docks' places, if they were saved by this window and fit the screen that holds `anchor` (the
// main panel; or the window itself); else it opens at its design size, within that screen's
// available area, centred (a secondary window: on the anchor's screen). Its geometry and dock
// places are remembered each time it is hidden. Later calls keep a shown window within the screen.
void PrepareToShow(QWidget* window, const QWidget* anchor);

// Keeps a window that is not a panel window (the compare view) within the available area of the
// screen that holds `anchor`: its size is bounded to it, and it is centred there when it would
// stand outside.
void KeepOnScreen(QWidget* window, const QWidget* anchor);

}  // namespace platform
