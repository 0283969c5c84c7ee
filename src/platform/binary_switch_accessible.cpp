// What assistive tools see of a two-position switch: a check box named by its accessible name,
// whose value is the text of its position and whose press and toggle actions work like a click.
#include <QAccessibleWidget>

#include "binary_switch.h"

namespace platform {

namespace {

class BinarySwitchAccessible : public QAccessibleWidget {
  public:
    explicit BinarySwitchAccessible(BinarySwitch* widget)
        : QAccessibleWidget(widget, QAccessible::CheckBox) {}

    QAccessible::State state() const override {
        QAccessible::State state = QAccessibleWidget::state();
        state.checkable = true;
        state.checked = toggle()->isChecked();
        return state;
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Value)
            return toggle()->isChecked() ? toggle()->onText() : toggle()->offText();
        return QAccessibleWidget::text(t);
    }

    QStringList actionNames() const override {
        return QStringList{pressAction(), toggleAction()} + QAccessibleWidget::actionNames();
    }

    // A click, not setChecked: the program hears of the change as it does of a mouse click.
    void doAction(const QString& action) override {
        if (action != pressAction() && action != toggleAction())
            return QAccessibleWidget::doAction(action);
        if (toggle()->isEnabled()) toggle()->click();
    }

  private:
    BinarySwitch* toggle() const { return static_cast<BinarySwitch*>(widget()); }
};

QAccessibleInterface* MakeAccessible(const QString& className, QObject* object) {
    if (className != QLatin1String(BinarySwitch::staticMetaObject.className())) return nullptr;
    auto* widget = qobject_cast<BinarySwitch*>(object);
    return widget == nullptr ? nullptr : new BinarySwitchAccessible(widget);
}

}  // namespace

void BinarySwitch::installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(MakeAccessible);
        return true;
    }();
    (void)installed;
}

}  // namespace platform
