#include "secondary_window.h"

#include <QAbstractButton>
#include <QKeyEvent>

namespace platform {

namespace {

constexpr const char* kEscapeProperty = "tavrixCloseOnEscape";

QAbstractButton* EscapeButton(const QWidget* main) {
    const QKeySequence esc(Qt::Key_Escape);
    for (QAbstractButton* button : main->findChildren<QAbstractButton*>())
        if (button->shortcut() == esc && button->isEnabled()) return button;
    return nullptr;
}

// Takes an Esc that no control of the window took for itself.
class EscapeFilter : public QObject {
  public:
    EscapeFilter(Engine::Impl& impl, QWidget* window, const QWidget* main)
        : QObject(window), impl_(impl), window_(window), main_(main) {
        window->installEventFilter(this);
    }

  protected:
    bool eventFilter(QObject* /*watched*/, QEvent* event) override {
        if (event->type() != QEvent::KeyPress) return false;
        const auto* key = static_cast<QKeyEvent*>(event);
        if (key->key() != Qt::Key_Escape || key->modifiers() != Qt::NoModifier) return false;
        QAbstractButton* stop = main_ ? EscapeButton(main_) : nullptr;
        if (impl_.callbackDepth > 0 && stop != nullptr)
            stop->animateClick();
        else
            window_->close();
        return true;
    }

  private:
    Engine::Impl& impl_;
    QWidget* window_;
    QPointer<const QWidget> main_;
};

}  // namespace

void CloseOnEscape(Engine::Impl& impl, QWidget* window, const QWidget* main) {
    if (window == nullptr || main == nullptr || window->property(kEscapeProperty).toBool()) return;
    window->setProperty(kEscapeProperty, true);
    new EscapeFilter(impl, window, main);
}

}  // namespace platform
