// The engine's state behind engine.h: panels, their controls, callbacks and the event loop.
// Private to the platform layer (it includes Qt); the platform's tests may use it to reach widgets.
#pragma once

#include <QElapsedTimer>
#include <QObject>
#include <QPointer>
#include <QTimer>
#include <QWidget>
#include <map>
#include <vector>

#include "engine.h"

class QEventLoop;

namespace platform {

struct CtrlCallbackSlot {
    CtrlCallback callback = nullptr;
    void* data = nullptr;
};

struct PanelRecord {
    QPointer<QWidget> window;
    // Indexed by control identifier; index 0 and controls missing from the panel file stay null.
    std::vector<QPointer<QWidget>> controls;
    std::map<int, CtrlCallbackSlot> ctrlCallbacks;
    PanelCallback callback = nullptr;
    void* callbackData = nullptr;
};

// Turns window-system events of panels (close box) and controls (left mouse press) into callback
// events. Watched objects carry their panel handle and control identifier as properties.
class EventRouter : public QObject {
  public:
    explicit EventRouter(Engine::Impl& impl) : impl_(impl) {}

    // True once after the left mouse button went down on `button` and the press event was passed
    // on to it: the button's pressed() then comes from that press, already dispatched here.
    bool takeMousePress(const QObject* button);

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override;

  private:
    Engine::Impl& impl_;
    QPointer<QObject> mousePress_;
};

// One running RunUserInterface.
struct RunLoop {
    QEventLoop* loop = nullptr;
    bool quit = false;
    int code = 0;
};

struct Engine::Impl {
    Impl();
    ~Impl();

    PanelRecord* panel(int handle);
    const PanelRecord* panel(int handle) const;
    // The widget of a control, or null for an unknown panel or control.
    QWidget* widget(int panel, int control) const;
    template <class W>
    W* widgetAs(int panel, int control) const {
        return qobject_cast<W*>(widget(panel, control));
    }

    // Registers a loaded panel window and its named controls; returns the new handle.
    int addPanel(QWidget* window, const std::vector<QWidget*>& controls);
    // Registers a control made at run time; returns its identifier.
    int addControl(int panel, QWidget* control);
    // Forgets the panel at once and destroys its window once no callback is running any more.
    void discardPanel(int handle);

    // Connects a control's signals to the callback dispatch (callbacks.cpp).
    void wireControl(int panel, int control, QWidget* widget);
    void watchPanel(int panel, QWidget* window);
    // Call the installed callback, if any; safe against panels discarded by the callback.
    void dispatchControl(int panel, int control, int event);
    void dispatchPanel(int panel, int event);

    std::map<int, PanelRecord> panels;
    int nextPanelHandle = 1;
    // Callbacks currently on the stack; discarded windows wait in `discarded` until it is 0.
    int callbackDepth = 0;
    std::vector<QPointer<QWidget>> discarded;
    std::vector<QPointer<QWidget>> released;  // handed to deleteLater
    EventRouter router{*this};

    std::vector<RunLoop*> runLoops;  // innermost last
    bool pendingQuit = false;        // QuitUserInterface while no RunUserInterface ran
    int pendingQuitCode = 0;
    QTimer wakeTimer;               // bounds the idle wait of ProcessSystemEvents
    bool pumpFoundNothing = false;  // the latest ProcessSystemEvents had nothing to dispatch
    unsigned long pumpCount = 0;    // counts event dispatches made inside callbacks

  private:
    void releaseDiscarded();
    friend struct CallbackScope;
};

// Counts a running callback; the last one to finish releases discarded panels.
struct CallbackScope {
    explicit CallbackScope(Engine::Impl& impl) : impl_(impl) { ++impl_.callbackDepth; }
    ~CallbackScope();
    CallbackScope(const CallbackScope&) = delete;
    CallbackScope& operator=(const CallbackScope&) = delete;

  private:
    Engine::Impl& impl_;
};

// Property names that tag watched objects.
inline constexpr const char* kPanelProperty = "tavrixPanel";
inline constexpr const char* kControlProperty = "tavrixControl";
// Marks a text message made by NewCtrl: it resizes itself to its text.
inline constexpr const char* kTextMessageProperty = "tavrixTextMessage";

// The marking colour of ATTR_MARKED; the compare window tints differing cells in it too, so that
// one colour means "differs" everywhere.
inline constexpr int kMarkColor = 0xFFD98A;

// A colour of the program (0xRRGGBB) as Qt takes it.
inline QColor ToColor(int rgb) {
    return QColor(static_cast<QRgb>(rgb) & 0xFFFFFFu);
}

// A file name as the program gives it: relative names are taken from the program's directory.
QString ProjectFilePath(const std::string& file);

// Sets the text of a text control; a text message made by NewCtrl resizes to show all of it.
void SetControlText(QWidget* control, const QString& text);
// Resizes a text message made by NewCtrl to its text (after a text or font change).
void FitTextMessage(QWidget* control);

}  // namespace platform
