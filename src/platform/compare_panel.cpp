// The compare window.
#include "compare_panel.h"

#include <QHBoxLayout>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QVBoxLayout>

#include "data_table.h"
#include "engine_impl.h"
#include "secondary_window.h"
#include "window_layout.h"

namespace platform {

struct ComparePanel::Impl {
    Engine& engine;
    CompareCallback callback;
    void* data;
    QPointer<QWidget> window;
    QPointer<QLabel> summary;
    QPointer<QLabel> status;
    QPointer<DataTable> table;

    Impl(Engine& e, CompareCallback cb, void* d) : engine(e), callback(cb), data(d) {}

    void Call(CompareAction action) {
        CallbackScope scope(engine.impl());
        callback(data, action);
    }

    QPushButton* AddButton(QHBoxLayout* row, const char* name, const char* text,
                           CompareAction action) {
        auto* button = new QPushButton(QString::fromUtf8(text));
        button->setObjectName(QLatin1String(name));
        row->addWidget(button);
        QObject::connect(button, &QPushButton::clicked, window, [this, action] { Call(action); });
        return button;
    }

    void Build(QWidget* owner) {
        // A window of its own that the main window owns: it stays above it and goes with it.
        window = new QWidget(owner, Qt::Window);
        window->setObjectName(QStringLiteral("CompareView"));
        window->setWindowTitle(QStringLiteral("Compare parameters"));
        auto* layout = new QVBoxLayout(window);
        summary = new QLabel;
        summary->setObjectName(QStringLiteral("CompareSummary"));
        layout->addWidget(summary);
        table = new DataTable(QStringLiteral("CompareTable"));
        layout->addWidget(table, 1);
        status = new QLabel;
        status->setObjectName(QStringLiteral("CompareStatus"));
        layout->addWidget(status);
        auto* buttons = new QHBoxLayout;
        AddButton(buttons, "CompareRead", "Read sensor again", CompareAction::Read);
        AddButton(buttons, "CompareFile", "Add parameter file...", CompareAction::ChooseFile);
        buttons->addStretch();
        auto* close = new QPushButton(QStringLiteral("Close"));
        close->setObjectName(QStringLiteral("CompareClose"));
        QObject::connect(close, &QPushButton::clicked, window, &QWidget::hide);
        buttons->addWidget(close);
        layout->addLayout(buttons);
        CloseOnEscape(engine.impl(), window, owner);
    }
};

ComparePanel::ComparePanel(Engine& engine, int panel, CompareCallback callback, void* data)
    : impl_(std::make_unique<Impl>(engine, callback, data)) {
    if (PanelRecord* record = engine.impl().panel(panel)) impl_->Build(record->window);
}

ComparePanel::~ComparePanel() {
    delete impl_->window.data();
}

void ComparePanel::Show() {
    if (impl_->window == nullptr) return;
    // The table's whole content, as far as the screen that holds the main panel allows.
    QWidget* window = impl_->window;
    if (window->isHidden()) {
        window->resize(window->sizeHint().expandedTo(QSize(560, 0)));
        KeepOnScreen(window, window->parentWidget());
    }
    window->show();
    impl_->window->raise();
    impl_->window->activateWindow();
}

void ComparePanel::ShowSummary(const std::string& text, bool attention) {
    if (impl_->summary == nullptr) return;
    impl_->summary->setText(QString::fromStdString(text));
    impl_->summary->setStyleSheet(attention ? QStringLiteral("color: #c00000; font-weight: bold")
                                            : QStringLiteral("font-weight: bold"));
}

void ComparePanel::ShowStatus(const std::string& text) {
    if (impl_->status) impl_->status->setText(QString::fromStdString(text));
}

void ComparePanel::ShowTable(const std::vector<std::string>& header,
                             const std::vector<std::vector<TableCell>>& rows) {
    if (impl_->table) impl_->table->Show(header, rows);
}

}  // namespace platform
