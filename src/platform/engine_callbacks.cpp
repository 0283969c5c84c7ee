// Callback installation and the translation of widget signals and events into callback events.
#include <QAbstractButton>
#include <QApplication>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QEvent>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QSpinBox>

#include "binary_switch.h"
#include "drop_down_list.h"
#include "engine_impl.h"

namespace platform {

int Engine::InstallPanelCallback(int panel, PanelCallback cb, void* callbackData) {
    PanelRecord* record = impl_->panel(panel);
    if (record == nullptr) return kErrBadHandle;
    record->callback = cb;
    record->callbackData = callbackData;
    return 0;
}

int Engine::InstallCtrlCallback(int panel, int control, CtrlCallback cb, void* callbackData) {
    if (impl_->widget(panel, control) == nullptr) return kErrBadHandle;
    impl_->panel(panel)->ctrlCallbacks[control] = {cb, callbackData};
    return 0;
}

// The callback is copied out before the call: the callback may discard the panel, install other
// callbacks or run nested event loops in which further callbacks run.
void Engine::Impl::dispatchControl(int panelHandle, int control, int event) {
    const PanelRecord* record = panel(panelHandle);
    if (record == nullptr) return;
    auto it = record->ctrlCallbacks.find(control);
    if (it == record->ctrlCallbacks.end() || it->second.callback == nullptr) return;
    const CtrlCallbackSlot slot = it->second;
    CallbackScope scope(*this);
    slot.callback(panelHandle, control, event, slot.data, 0, 0);
}

void Engine::Impl::dispatchPanel(int panelHandle, int event) {
    const PanelRecord* record = panel(panelHandle);
    if (record == nullptr || record->callback == nullptr) return;
    const PanelCallback callback = record->callback;
    void* data = record->callbackData;
    CallbackScope scope(*this);
    callback(panelHandle, event, data, 0, 0);
}

void Engine::Impl::watchPanel(int panelHandle, QWidget* window) {
    window->setProperty(kPanelProperty, panelHandle);
    window->installEventFilter(&router);
}

namespace {

// Sends a user's value change: the control's value first, then its commit.
template <class Sender, class Signal>
void OnUserChange(Engine::Impl* impl, int panel, int control, Sender* sender, Signal signal) {
    QObject::connect(sender, signal, sender, [impl, panel, control] {
        impl->dispatchControl(panel, control, EVENT_VAL_CHANGED);
        impl->dispatchControl(panel, control, EVENT_COMMIT);
    });
}

// The mouse moves the focus before its press arrives, which commits a value typed into a numeric
// control; a shortcut leaves the focus where it is. Committing first lets the action see the
// value the user sees.
void CommitPendingEdit() {
    QWidget* focus = QApplication::focusWidget();
    if (focus == nullptr) return;
    auto* spin = qobject_cast<QAbstractSpinBox*>(focus);
    if (spin == nullptr) spin = qobject_cast<QAbstractSpinBox*>(focus->parentWidget());
    if (spin != nullptr) spin->interpretText();
}

void WatchPress(QObject* object, EventRouter* router, int panel, int control) {
    object->setProperty(kPanelProperty, panel);
    object->setProperty(kControlProperty, control);
    object->installEventFilter(router);
}

}  // namespace

// Push button: COMMIT when clicked (mouse released on it, or keyboard). Toggle button, radio
// button, switch and numeric controls: VAL_CHANGED then COMMIT for each user change (SetCtrlVal
// blocks the signals). Drop-down: one COMMIT when the user picks an item. Every control: LEFT_CLICK
// when the left mouse button goes down on it (EventRouter); every button also when it goes down
// otherwise: the space key, its shortcut, an assistive tool's press action.
void Engine::Impl::wireControl(int panelHandle, int control, QWidget* widget) {
    WatchPress(widget, &router, panelHandle, control);
    if (auto* button = qobject_cast<QAbstractButton*>(widget)) {
        QObject::connect(button, &QAbstractButton::pressed, button,
                         [this, panelHandle, control, button] {
                             if (router.takeMousePress(button)) return;
                             CommitPendingEdit();
                             dispatchControl(panelHandle, control, EVENT_LEFT_CLICK);
                         });
        if (button->isCheckable()) {
            // The state change, not the click: the keyboard and an assistive tool's toggle action
            // change the state without one. A radio button reports being switched on only; the
            // one its group switches off made no change of its own.
            const bool onOnly = button->autoExclusive();
            QObject::connect(button, &QAbstractButton::toggled, button,
                             [this, panelHandle, control, onOnly](bool on) {
                                 if (onOnly && !on) return;
                                 dispatchControl(panelHandle, control, EVENT_VAL_CHANGED);
                                 dispatchControl(panelHandle, control, EVENT_COMMIT);
                             });
        } else if (qobject_cast<BinarySwitch*>(button) != nullptr) {
            OnUserChange(this, panelHandle, control, button, &QAbstractButton::clicked);
        } else {
            QObject::connect(button, &QAbstractButton::clicked, button,
                             [this, panelHandle, control] {
                                 dispatchControl(panelHandle, control, EVENT_COMMIT);
                             });
        }
    } else if (auto* spin = qobject_cast<QSpinBox*>(widget)) {
        spin->setKeyboardTracking(false);
        OnUserChange(this, panelHandle, control, spin, &QSpinBox::valueChanged);
    } else if (auto* doubleSpin = qobject_cast<QDoubleSpinBox*>(widget)) {
        doubleSpin->setKeyboardTracking(false);
        OnUserChange(this, panelHandle, control, doubleSpin, &QDoubleSpinBox::valueChanged);
    } else if (auto* combo = qobject_cast<QComboBox*>(widget)) {
        QObject::connect(combo, &QComboBox::activated, combo, [this, panelHandle, control] {
            dispatchControl(panelHandle, control, EVENT_COMMIT);
        });
        if (auto* list = dynamic_cast<DropDownList*>(combo))
            list->SetBeforeOpen([this, panelHandle, control] {
                dispatchControl(panelHandle, control, EVENT_LIST_OPENING);
            });
    }
    // The text field inside a numeric control takes the presses aimed at the control.
    if (auto* spinBox = qobject_cast<QAbstractSpinBox*>(widget))
        if (auto* edit = spinBox->findChild<QLineEdit*>())
            WatchPress(edit, &router, panelHandle, control);
}

bool EventRouter::takeMousePress(const QObject* button) {
    const bool fromMouse = mousePress_ == button;
    mousePress_ = nullptr;
    return fromMouse;
}

bool EventRouter::eventFilter(QObject* watched, QEvent* event) {
    if (event->type() == QEvent::Close && watched->isWidgetType() &&
        static_cast<QWidget*>(watched)->isWindow()) {
        const QVariant panel = watched->property(kPanelProperty);
        if (!panel.isValid()) return false;
        event->ignore();  // the panel stays; the program decides what closing means
        impl_.dispatchPanel(panel.toInt(), EVENT_CLOSE);
        return true;
    }
    const bool leftButton = (event->type() == QEvent::MouseButtonPress ||
                             event->type() == QEvent::MouseButtonDblClick ||
                             event->type() == QEvent::MouseButtonRelease) &&
                            static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton;
    if (!leftButton) return false;
    // A press the button does not take (outside its face) must not mark a later keyboard press.
    if (event->type() == QEvent::MouseButtonRelease) {
        mousePress_ = nullptr;
        return false;
    }
    const QVariant control = watched->property(kControlProperty);
    auto* widget = qobject_cast<QWidget*>(watched);
    if (!control.isValid() || widget == nullptr || !widget->isEnabled()) return false;
    // Kept: the second press of a double click dispatches nothing, so a double click on Send
    // sends the parameters once, as it always has.
    if (event->type() == QEvent::MouseButtonDblClick) {
        mousePress_ = watched;
        return false;
    }
    const unsigned long pumpsBefore = impl_.pumpCount;
    impl_.dispatchControl(watched->property(kPanelProperty).toInt(), control.toInt(),
                          EVENT_LEFT_CLICK);
    // A callback that dispatched events (a wait, a popup) has outlived this press: the button
    // is released by now, so it must not go down afterwards.
    if (impl_.pumpCount != pumpsBefore) return true;
    mousePress_ = watched;
    return false;
}

}  // namespace platform
