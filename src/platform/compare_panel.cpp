// The compare window.
#include "compare_panel.h"

#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine_impl.h"

namespace platform {

struct ComparePanel::Impl {
    Engine& engine;
    CompareCallback callback;
    void* data;
    QPointer<QWidget> window;
    QPointer<QLabel> summary;
    QPointer<QLabel> status;
    QPointer<QTableWidget> table;

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
        table = new QTableWidget;
        table->setObjectName(QStringLiteral("CompareTable"));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->hide();
        // Compact rows, so that the whole record is in view without scrolling.
        table->verticalHeader()->setDefaultSectionSize(table->fontMetrics().height() + 8);
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->horizontalHeader()->setStretchLastSection(true);
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
        window->resize(560, 620);
    }

    void SetShape(int rows, int columns) {
        if (table->rowCount() == rows && table->columnCount() == columns) return;
        table->setRowCount(rows);
        table->setColumnCount(columns);
        for (int r = -1; r < rows; ++r)
            for (int c = 0; c < columns; ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
                if (r < 0)
                    table->setHorizontalHeaderItem(c, item);
                else
                    table->setItem(r, c, item);
            }
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
    impl_->window->show();
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
    QTableWidget* table = impl_->table;
    if (table == nullptr) return;
    const int columns = static_cast<int>(header.size());
    impl_->SetShape(static_cast<int>(rows.size()), columns);
    for (int c = 0; c < columns; ++c)
        table->horizontalHeaderItem(c)->setText(QString::fromStdString(header[c]));
    const QBrush tint(ToColor(kMarkColor));
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < columns && c < static_cast<int>(rows[r].size()); ++c) {
            QTableWidgetItem* item = table->item(r, c);
            const TableCell& cell = rows[r][c];
            const QString text = QString::fromStdString(cell.text);
            if (item->text() != text) item->setText(text);
            const QBrush brush = cell.differs ? tint : QBrush();
            if (item->background() != brush) item->setBackground(brush);
        }
}

}  // namespace platform
