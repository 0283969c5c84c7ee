// The undo history on QUndoStack, its two actions and the shortcut rule for fields.
#include "panel_history.h"

#include <QAbstractSpinBox>
#include <QAction>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLineEdit>
#include <QSpinBox>
#include <QToolButton>
#include <QUndoStack>
#include <QVBoxLayout>

#include "engine_impl.h"
#include "sensor_box_frame.h"

namespace platform {

namespace {

using Words = std::vector<unsigned short>;

class PanelStep : public QUndoCommand {
  public:
    PanelStep(const QString& text, Words before, Words after,
              std::function<void(const Words&)> apply)
        : QUndoCommand(text),
          before_(std::move(before)),
          after_(std::move(after)),
          apply_(std::move(apply)) {}
    // Pushed after the panel changed: the first redo has nothing to do.
    void redo() override {
        if (!first_) apply_(after_);
        first_ = false;
    }
    void undo() override { apply_(before_); }

  private:
    Words before_, after_;
    std::function<void(const Words&)> apply_;
    bool first_ = true;
};

// A field is being typed in while its text is not yet its committed value. `w` is a spin box or
// its line edit (whichever the key reached first), or a plain line edit.
bool BeingTypedIn(QWidget* w) {
    auto* box = qobject_cast<QAbstractSpinBox*>(w);
    if (box == nullptr && w != nullptr) box = qobject_cast<QAbstractSpinBox*>(w->parentWidget());
    if (auto* real = qobject_cast<QDoubleSpinBox*>(box))
        return real->cleanText() != real->textFromValue(real->value());
    if (auto* whole = qobject_cast<QSpinBox*>(box)) {
        bool ok = false;
        const int typed = whole->locale().toInt(whole->cleanText(), &ok);
        return !ok || typed != whole->value();
    }
    auto* edit = qobject_cast<QLineEdit*>(w);
    return edit != nullptr && !edit->isReadOnly() && edit->isModified();
}

// Lets Ctrl+Z and Ctrl+Shift+Z reach the window's actions unless a field is being typed in: a
// focused field otherwise claims them for its own undo.
class UndoKeys : public QObject {
  public:
    using QObject::QObject;

  protected:
    bool eventFilter(QObject* watched, QEvent* event) override {
        if (event->type() != QEvent::ShortcutOverride) return false;
        auto* key = static_cast<QKeyEvent*>(event);
        if (!key->matches(QKeySequence::Undo) && !key->matches(QKeySequence::Redo) &&
            key->keyCombination() != QKeyCombination(Qt::CTRL | Qt::SHIFT, Qt::Key_Z))
            return false;
        return !BeingTypedIn(qobject_cast<QWidget*>(watched));
    }
};

}  // namespace

struct PanelHistory::Impl {
    Engine& engine;
    HistoryApply apply;
    void* data;
    QUndoStack stack;
    QPointer<QAction> undo, redo;
    QPointer<UndoKeys> keys;

    Impl(Engine& e, HistoryApply a, void* d) : engine(e), apply(a), data(d) {}

    void Apply(const Words& words) {
        CallbackScope scope(engine.impl());
        apply(data, words);
    }
};

PanelHistory::PanelHistory(Engine& engine, int panel, HistoryApply apply, void* data)
    : impl_(std::make_unique<Impl>(engine, apply, data)) {
    PanelRecord* record = engine.impl().panel(panel);
    if (record == nullptr) return;
    QWidget* window = record->window;
    Impl& h = *impl_;
    h.undo = new QAction(QStringLiteral("Undo"), window);
    h.undo->setObjectName(QStringLiteral("Undo"));
    h.undo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Z")));
    h.redo = new QAction(QStringLiteral("Redo"), window);
    h.redo->setObjectName(QStringLiteral("Redo"));
    h.redo->setShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+Z")));
    for (QAction* action : {h.undo.data(), h.redo.data()}) {
        action->setEnabled(false);
        action->setShortcutContext(Qt::WindowShortcut);
        window->addAction(action);
    }
    QObject::connect(h.undo, &QAction::triggered, window, [this] { Undo(); });
    QObject::connect(h.redo, &QAction::triggered, window, [this] { Redo(); });
    QObject::connect(&h.stack, &QUndoStack::canUndoChanged, h.undo, &QAction::setEnabled);
    QObject::connect(&h.stack, &QUndoStack::canRedoChanged, h.redo, &QAction::setEnabled);
    h.keys = new UndoKeys(window);
    for (QWidget* child : window->findChildren<QWidget*>())
        if (qobject_cast<QLineEdit*>(child) || qobject_cast<QAbstractSpinBox*>(child))
            child->installEventFilter(h.keys);
    if (QWidget* frame = FindSensorBoxFrame(window)) {
        auto* row = new QHBoxLayout;
        for (QAction* action : {h.undo.data(), h.redo.data()}) {
            auto* button = new QToolButton;
            button->setDefaultAction(action);
            button->setObjectName(action->objectName() + QStringLiteral("Button"));
            row->addWidget(button);
        }
        row->addStretch(1);
        static_cast<QVBoxLayout*>(frame->layout())->addLayout(row);
    }
}

PanelHistory::~PanelHistory() = default;

void PanelHistory::Record(const std::string& what, const std::vector<unsigned short>& before,
                          const std::vector<unsigned short>& after) {
    if (before == after) return;
    Impl* h = impl_.get();
    h->stack.push(new PanelStep(QString::fromStdString(what), before, after,
                                [h](const Words& words) { h->Apply(words); }));
    const QString tip = QStringLiteral("Undo %1 (Ctrl+Z)").arg(h->stack.undoText());
    if (h->undo) h->undo->setToolTip(tip);
}

bool PanelHistory::Undo() {
    if (!impl_->stack.canUndo()) return false;
    impl_->stack.undo();
    return true;
}

bool PanelHistory::Redo() {
    if (!impl_->stack.canRedo()) return false;
    impl_->stack.redo();
    return true;
}

}  // namespace platform
