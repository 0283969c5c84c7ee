// Control values by kind, and the items of drop-down lists.
#include <QAbstractButton>
#include <QComboBox>
#include <QDoubleSpinBox>
#include <QLabel>
#include <QLineEdit>
#include <QSignalBlocker>
#include <QSpinBox>
#include <algorithm>
#include <climits>
#include <cmath>
#include <optional>

#include "engine_impl.h"

namespace platform {

namespace {

int ClampToInt(double v) {
    if (v >= static_cast<double>(INT_MAX)) return INT_MAX;
    if (v <= static_cast<double>(INT_MIN)) return INT_MIN;
    return static_cast<int>(std::lround(v));
}

std::optional<int> IntValue(const QWidget* w) {
    if (auto* button = qobject_cast<const QAbstractButton*>(w)) return button->isChecked() ? 1 : 0;
    if (auto* spin = qobject_cast<const QSpinBox*>(w)) return spin->value();
    if (auto* spin = qobject_cast<const QDoubleSpinBox*>(w)) return ClampToInt(spin->value());
    if (auto* combo = qobject_cast<const QComboBox*>(w)) {
        bool ok = false;
        const int v = combo->currentData().toInt(&ok);
        if (combo->currentIndex() >= 0 && ok) return v;
    }
    return std::nullopt;
}

std::optional<QString> TextValue(const QWidget* w) {
    if (auto* edit = qobject_cast<const QLineEdit*>(w)) return edit->text();
    if (auto* label = qobject_cast<const QLabel*>(w)) return label->text();
    if (auto* combo = qobject_cast<const QComboBox*>(w)) return combo->currentText();
    return std::nullopt;
}

bool IsTextControl(const QWidget* w) {
    return qobject_cast<const QLineEdit*>(w) != nullptr ||
           qobject_cast<const QLabel*>(w) != nullptr;
}

// A value the control already shows is left alone: the acquisition loops write every display on
// every cycle, and a spin box re-lays out and repaints its text even for an unchanged value.
int SetIntValue(QWidget* w, int value) {
    const QSignalBlocker blocker(w);
    if (auto* button = qobject_cast<QAbstractButton*>(w)) {
        if (!button->isCheckable()) return kErrBadValue;
        button->setChecked(value != 0);
    } else if (auto* spin = qobject_cast<QSpinBox*>(w)) {
        if (spin->value() != std::clamp(value, spin->minimum(), spin->maximum()))
            spin->setValue(value);
    } else if (auto* decimal = qobject_cast<QDoubleSpinBox*>(w)) {
        decimal->setValue(value);
    } else if (auto* combo = qobject_cast<QComboBox*>(w)) {
        const int index = combo->findData(value);
        if (index < 0) return kErrBadValue;
        combo->setCurrentIndex(index);
    } else if (IsTextControl(w)) {
        SetControlText(w, QString::number(value));
    } else {
        return kErrBadValue;
    }
    return 0;
}

}  // namespace

void FitTextMessage(QWidget* control) {
    if (control->property(kTextMessageProperty).toBool()) control->adjustSize();
}

void SetControlText(QWidget* control, const QString& text) {
    if (auto* edit = qobject_cast<QLineEdit*>(control)) {
        if (edit->text() != text) edit->setText(text);
        edit->setCursorPosition(0);  // a long status text shows its beginning
    } else if (auto* label = qobject_cast<QLabel*>(control)) {
        label->setText(text);
        if (label->property(kTextMessageProperty).toBool()) label->setAccessibleName(text);
        FitTextMessage(label);
    }
}

int Engine::GetCtrlVal(int panel, int control, int& value) const {
    const QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    const std::optional<int> v = IntValue(w);
    if (!v) return kErrBadValue;
    value = *v;
    return 0;
}

int Engine::GetCtrlVal(int panel, int control, unsigned short& value) const {
    int v = 0;
    const int result = GetCtrlVal(panel, control, v);
    if (result == 0) value = static_cast<unsigned short>(static_cast<unsigned>(v) & 0xFFFFu);
    return result;
}

int Engine::GetCtrlVal(int panel, int control, double& value) const {
    const QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    if (auto* spin = qobject_cast<const QDoubleSpinBox*>(w)) {
        value = spin->value();
        return 0;
    }
    const std::optional<int> v = IntValue(w);
    if (!v) return kErrBadValue;
    value = *v;
    return 0;
}

int Engine::GetCtrlVal(int panel, int control, std::string& value) const {
    const QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    const std::optional<QString> text = TextValue(w);
    if (!text) return kErrBadValue;
    value = text->toStdString();
    return 0;
}

int Engine::SetCtrlVal(int panel, int control, int value) {
    QWidget* w = impl_->widget(panel, control);
    return w == nullptr ? kErrBadHandle : SetIntValue(w, value);
}

int Engine::SetCtrlVal(int panel, int control, double value) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    if (std::isnan(value)) return kErrBadValue;
    const QSignalBlocker blocker(w);
    if (auto* spin = qobject_cast<QDoubleSpinBox*>(w)) {
        spin->setValue(value);
        return 0;
    }
    if (IsTextControl(w)) {
        SetControlText(w, QString::number(value));
        return 0;
    }
    return SetIntValue(w, ClampToInt(value));
}

int Engine::SetCtrlVal(int panel, int control, const std::string& value) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    if (!IsTextControl(w)) return kErrBadValue;
    const QSignalBlocker blocker(w);
    SetControlText(w, QString::fromStdString(value));
    return 0;
}

int Engine::ClearListCtrl(int panel, int control) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    auto* combo = qobject_cast<QComboBox*>(w);
    if (combo == nullptr) return kErrNotSupported;
    const QSignalBlocker blocker(combo);
    combo->clear();
    return 0;
}

int Engine::InsertListItem(int panel, int control, int index, const std::string& label, int value) {
    QWidget* w = impl_->widget(panel, control);
    if (w == nullptr) return kErrBadHandle;
    auto* combo = qobject_cast<QComboBox*>(w);
    if (combo == nullptr) return kErrNotSupported;
    const QSignalBlocker blocker(combo);
    if (index < 0 || index > combo->count()) index = combo->count();
    combo->insertItem(index, QString::fromStdString(label), value);
    return 0;
}

}  // namespace platform
