// The user-interface engine: panels loaded from a Qt Designer file, control values and attributes,
// graphs and the strip chart, callbacks, the event pump, the clock and the file popups.
//
// Everything runs on the one user-interface thread. Results follow one rule: an operation returns
// 0 (or a handle/identifier >= 0) on success and a negative code on failure; callers may ignore it.
// Operations on an unknown panel or control do nothing and return kErrBadHandle.
//
// This header is free of Qt so that program code cannot reach the toolkit directly.
//
// The one deliberate tie upwards: controls are found by the object names in ui::kControlNames
// (src/ui/panel_ids.h). Adding a control means editing panel_ids.h and the .ui file, nothing else.
#pragma once

#include <memory>
#include <string>
#include <vector>

namespace platform {

// Event codes passed to callbacks.
inline constexpr int EVENT_COMMIT = 1;  // value committed, or button released / keyboard-pressed
inline constexpr int EVENT_VAL_CHANGED = 2;  // the user changed a value (never for SetCtrlVal)
inline constexpr int EVENT_LEFT_CLICK = 3;   // the control went down (mouse, key, assistive tool)
inline constexpr int EVENT_CLOSE = 11;  // the panel's close box; the panel stays until discarded
inline constexpr int EVENT_LIST_OPENING = 20;  // a drop-down list is about to show its items
//
// What each control kind reports:
// - push button: LEFT_CLICK when it goes down: the left mouse button goes down on it, or the space
//   key, its shortcut (the panel file's shortcut property) or an assistive tool's press action
//   presses it, once per press (the second press of a double click gives none). Before a
//   LEFT_CLICK that is not the mouse's, a value typed into the focused numeric control is
//   committed, as the focus change of a mouse press would. COMMIT when it is clicked (mouse
//   released on it, the key released, shortly after a shortcut or press action). A LEFT_CLICK
//   callback that dispatches events (ProcessSystemEvents, a popup) consumes a mouse press: the
//   button does not go down and the later release gives no COMMIT.
// - toggle button, radio button, two-position switch: LEFT_CLICK as a push button, then for each
//   change by mouse, keyboard or assistive tool VAL_CHANGED followed by COMMIT.
// - numeric control or edit: VAL_CHANGED followed by COMMIT once per committed change (arrow step,
//   Enter, leaving the field), not per keystroke.
// - drop-down list: one COMMIT when the user picks an item, and no VAL_CHANGED. LIST_OPENING just
//   before its list opens (mouse or keyboard): the callback may replace the items, and the list
//   then shows the new ones, as wide as the longest. The closed control cuts a chosen item too
//   long for it short with "...".
// - every control: LEFT_CLICK on a left mouse press. Dimmed controls report nothing.
// - panel: CLOSE from its close box; the window stays open.
// Callbacks may run nested event loops (ProcessSystemEvents, popups); other callbacks then run
// inside them. A panel discarded meanwhile is unknown at once and destroyed only after every
// running callback has returned.

// Control attributes for SetCtrlAttribute / GetCtrlAttribute.
enum Attr : int {
    ATTR_DIMMED = 1,         // int: 1 dimmed and inoperable, 0 operable
    ATTR_VISIBLE,            // int: 1 shown, 0 hidden
    ATTR_TOP,                // int: panel pixels
    ATTR_LEFT,               // int: panel pixels
    ATTR_TEXT_FONT,          // string: font family; "NIApp" means the toolkit's application font
    ATTR_TEXT_BGCOLOR,       // int 0xRRGGBB: background of a text control
    ATTR_TEXT_COLOR,         // int 0xRRGGBB
    ATTR_TEXT_POINT_SIZE,    // int
    ATTR_FRAME_COLOR,        // int 0xRRGGBB: fill colour of a decoration box
    ATTR_ON_TEXT,            // string: position text of a two-position switch when on (1)
    ATTR_OFF_TEXT,           // string: position text when off (0)
    ATTR_POINTS_PER_SCREEN,  // int: strip chart points shown per trace
    ATTR_NUM_TRACES,         // int: strip chart trace count
    ATTR_STRIP_WINDOW_MODE,  // int: 1 = each PlotStripChart call replaces the shown window,
                             //      0 = the points are appended and scroll
    ATTR_MARKED,             // int: MARK_DIFFERS tints the control's background amber,
                             //      MARK_NOT_READ grey-blue with the tooltip "not read from the
                             //      sensor"; MARK_NONE gives it back the look (and tooltip) it had
                             //      before; any control. Colours set while marked are lost on
                             //      unmarking.
};

// Values of ATTR_MARKED.
inline constexpr int MARK_NONE = 0;
inline constexpr int MARK_DIFFERS = 1;
inline constexpr int MARK_NOT_READ = 2;

// Trace attributes for SetTraceAttribute.
inline constexpr int ATTR_TRACE_COLOR = 1;

// Axes and scaling for SetAxisScalingMode.
inline constexpr int VAL_XAXIS = 0;
inline constexpr int VAL_LEFT_YAXIS = 1;
inline constexpr int VAL_MANUAL = 0;
inline constexpr int VAL_AUTOSCALE = 1;

// Redraw choices for DeleteGraphPlot.
inline constexpr int VAL_DELAYED_DRAW = 0;
inline constexpr int VAL_IMMEDIATE_DRAW = 1;

// Control kinds for NewCtrl.
inline constexpr int CTRL_TEXT_MSG = 1;

// Buttons of FileSelectPopup.
inline constexpr int VAL_OK_BUTTON = 0;
inline constexpr int VAL_SAVE_BUTTON = 1;
inline constexpr int VAL_LOAD_BUTTON = 2;

// FileSelectPopup results.
inline constexpr int VAL_NO_FILE_SELECTED = 0;
inline constexpr int VAL_EXISTING_FILE_SELECTED = 1;
inline constexpr int VAL_NEW_FILE_SELECTED = 2;

// Negative results of the engine operations (their own family of codes).
enum UiResult : int {
    kErrBadHandle = -1,     // unknown panel or control
    kErrNoFile = -2,        // panel file missing or unreadable
    kErrNoPanel = -3,       // panel name not in the file
    kErrBadValue = -4,      // value type does not fit the control
    kErrNotSupported = -5,  // attribute not supported by this control kind
};

using CtrlCallback = int (*)(int panel, int control, int event, void* callbackData, int eventData1,
                             int eventData2);
using PanelCallback = int (*)(int panel, int event, void* callbackData, int eventData1,
                              int eventData2);

class Engine {
  public:
    // Needs the application object (see Toolkit). Panels and callbacks are released with it.
    Engine();
    ~Engine();
    Engine(const Engine&) = delete;
    Engine& operator=(const Engine&) = delete;

    // --- Panels -------------------------------------------------------------------------------
    // Loads the panel named panelName (a top-level child of the file's root widget) from the Qt
    // Designer file. A relative file name is looked up in GetProjectDir(). The panel is hidden.
    // Returns a handle > 0, kErrNoFile when the file is missing or unreadable, kErrNoPanel when
    // the file lacks the panel. parent 0 makes a top-level window.
    int LoadPanel(int parent, const std::string& file, const std::string& panelName);
    // Shows and raises the panel. The first time, the panel becomes a resizable window: it opens
    // at its remembered geometry or else at its own size clamped to the screen, its graphs take
    // extra space, a window smaller than the panel scrolls, and its geometry is remembered (user
    // settings, by panel name) whenever it is hidden. Widgets added to the window later move, at
    // their positions, into the scrolled content.
    int DisplayPanel(int panel);
    int HidePanel(int panel);
    int DiscardPanel(int panel);  // destroys the panel; its handle becomes unknown at once
    int InstallPanelCallback(int panel, PanelCallback cb, void* callbackData);
    int InstallCtrlCallback(int panel, int control, CtrlCallback cb, void* callbackData);

    // --- Controls -----------------------------------------------------------------------------
    // Values by kind: numeric controls and displays hold integers (0..65535) or, for a
    // floating-point control, doubles; radio buttons, toggles and switches hold 0 or 1; a
    // drop-down holds the value of its selected item; text controls hold strings. Reading a
    // numeric control as unsigned short gives its value modulo 65536. SetCtrlVal never raises a
    // callback. A value outside a control's range is clamped by the control.
    // kErrBadValue when the value type does not fit the kind: an integer from a text control, a
    // string into a numeric control, a value of a plain push button, a drop-down value that no
    // item has, a drop-down without a selected item, or any value of a graph. Text controls take
    // numbers as their decimal text; a text message made by NewCtrl resizes to its text.
    int GetCtrlVal(int panel, int control, int& value) const;
    int GetCtrlVal(int panel, int control, unsigned short& value) const;
    int GetCtrlVal(int panel, int control, double& value) const;
    int GetCtrlVal(int panel, int control, std::string& value) const;
    int SetCtrlVal(int panel, int control, int value);
    int SetCtrlVal(int panel, int control, double value);
    int SetCtrlVal(int panel, int control, const std::string& value);
    int SetCtrlVal(int panel, int control, const char* value) {
        return SetCtrlVal(panel, control, std::string(value));
    }

    int SetCtrlAttribute(int panel, int control, int attr, int value);
    int SetCtrlAttribute(int panel, int control, int attr, const std::string& value);
    int SetCtrlAttribute(int panel, int control, int attr, const char* value) {
        return SetCtrlAttribute(panel, control, attr, std::string(value));
    }
    int GetCtrlAttribute(int panel, int control, int attr, int& value) const;

    // Drop-down lists: items with a label and an integer value. index -1 (or past the end)
    // appends. kErrNotSupported for other controls.
    int ClearListCtrl(int panel, int control);
    int InsertListItem(int panel, int control, int index, const std::string& label, int value);

    // Makes a control at run time (CTRL_TEXT_MSG: a text message). Returns its identifier, which
    // is kCtrlCount or above. The message resizes itself to its text after text and font changes.
    int NewCtrl(int panel, int style, const std::string& label, int top, int left);
    // Loads a bitmap into a picture control, scaled to fit the control keeping its shape; a
    // relative name is looked up in GetProjectDir().
    // Returns kErrNoFile when the file cannot be read (the control then stays as it was).
    int DisplayImageFile(int panel, int control, const std::string& file);

    // --- Graphs -------------------------------------------------------------------------------
    // Drawing is coalesced: many changes cost one repaint, at most about 60 a second, made when
    // events are next processed (within about 16 ms). The redraw argument of DeleteGraphPlot
    // therefore makes no difference. Plot operations on a control that is not a graph give
    // kErrNotSupported; bad arguments (no points, unknown plot or cursor) kErrBadValue.
    // Returns a plot handle > 0.
    int PlotXY(int panel, int control, const double* x, const double* y, int n, int color);
    int PlotXY(int panel, int control, const double* x, const unsigned short* y, int n, int color);
    int PlotRectangle(int panel, int control, double x1, double y1, double x2, double y2, int color,
                      int fillColor);
    // plotHandle -1 deletes every plot; cursors are not plots and stay.
    int DeleteGraphPlot(int panel, int control, int plotHandle, int redraw);
    // Cursors are numbered from 1; a graph has as many as the panel file gives it (the bar graph
    // 3).
    int SetGraphCursor(int panel, int control, int cursor, double x, double y);
    int GetGraphCursor(int panel, int control, int cursor, double& x, double& y) const;
    // VAL_MANUAL needs min < max; VAL_AUTOSCALE fits the axis to the data. Graphs and strip
    // charts.
    int SetAxisScalingMode(int panel, int control, int axis, int mode, double min, double max);

    // --- Strip chart --------------------------------------------------------------------------
    // Takes count values in trace order (trace 1..N, then again), starting at data[start] and
    // skipping `skip` values after each one; a trailing incomplete group is ignored. In window
    // mode the delivered points replace the shown ones, drawn oldest left and newest at the right
    // edge; otherwise they are appended and the chart scrolls, keeping points-per-screen points.
    // Trace colours (traces from 1) may be set before the trace count includes the trace.
    int PlotStripChart(int panel, int control, const double* data, int count, int start, int skip);
    int SetTraceAttribute(int panel, int control, int trace, int attr, int value);

    // --- Event loop and time ------------------------------------------------------------------
    // Dispatches callbacks until QuitUserInterface; returns the code given to it. Called from a
    // callback nested deep in waits, QuitUserInterface ends the loop once control is back in it.
    // A QuitUserInterface while no loop runs makes the next RunUserInterface return at once. When
    // the toolkit itself ends its loops (the desktop session ends) it returns the toolkit's code.
    int RunUserInterface();
    int QuitUserInterface(int code);
    // Dispatches pending events (serial receive callbacks included) and returns. When nothing is
    // pending it waits for the next event (serial input, a click, a timer) for at most about five
    // milliseconds, so that polling loops do not spin a core.
    void ProcessSystemEvents();
    // Seconds on a monotonic clock.
    double Timer() const;
    // Blocks for the given seconds without dispatching events.
    void Delay(double seconds) const;
    // The program's directory (that of the executable).
    std::string GetProjectDir() const;

    // Calls `call(data)` once, as soon as control is back in the event loop with no callback
    // running: never from inside a callback's waits (an exchange, a Run loop). Dropped when the
    // engine goes first.
    void PostDeferredCall(void (*call)(void* data), void* data);

    // --- File popup ---------------------------------------------------------------------------
    // Modal file dialog opening in the folder last chosen from (remembered between runs), or in
    // `directory` when there is none or restrictDirectory holds; `defaultName` is proposed.
    // typeList is a pattern such as "*.dat"; restrictExtension keeps only those files and appends
    // the extension to a typed name that lacks it. Returns VAL_NO_FILE_SELECTED on cancel,
    // VAL_EXISTING_FILE_SELECTED or VAL_NEW_FILE_SELECTED with the absolute path in `path`
    // (untouched on cancel). Load
    // (VAL_LOAD_BUTTON) accepts existing files only; OK and Save accept new names and replace an
    // existing file without asking. The dialog's object name is "FileSelectPopup".
    int FileSelectPopup(const std::string& directory, const std::string& defaultName,
                        const std::string& typeList, const std::string& title, int buttonLabel,
                        bool restrictDirectory, bool restrictExtension, bool allowCancel,
                        bool allowMakeDirectory, std::string& path);

    struct Impl;  // defined in engine_impl.h, used by the platform's own sources
    Impl& impl() { return *impl_; }

  private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace platform
