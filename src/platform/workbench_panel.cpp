// The workbench side panel and the graph exports.
#include "workbench_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QFileDialog>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QTableWidget>
#include <QVBoxLayout>

#include "engine_impl.h"
#include "plot_base.h"
#include "settings.h"

namespace platform {

namespace {

constexpr int kWidth = 470;
constexpr const char* kFolderKey = "workbench/lastFolder";
constexpr const char* kRecordOff = "Record (Ctrl+R)";
constexpr const char* kRecordOn = "\u25CF Recording - Ctrl+R ends it";

QPushButton* AddButton(QVBoxLayout* layout, const char* name, const char* text) {
    auto* button = new QPushButton(QString::fromUtf8(text));
    button->setObjectName(QLatin1String(name));
    layout->addWidget(button);
    return button;
}

}  // namespace

struct WorkbenchPanel::Impl {
    Engine& engine;
    WorkbenchCallback callback;
    void* data;
    QPointer<QWidget> side;
    QPointer<QLabel> rate;
    QPointer<QTableWidget> table;
    QPointer<QPushButton> record;
    QPointer<QPushButton> publish;
    QPointer<QLabel> unsent;
    QPointer<QFileDialog> dialog;

    Impl(Engine& e, WorkbenchCallback cb, void* d) : engine(e), callback(cb), data(d) {}

    void Call(WorkbenchAction action, const std::string& file = {}) {
        CallbackScope scope(engine.impl());
        callback(data, action, file);
    }

    void ShowRecording(bool on) {
        record->setText(QString::fromUtf8(on ? kRecordOn : kRecordOff));
        record->setStyleSheet(on ? QStringLiteral("color: #c00000; font-weight: bold") : QString());
    }

    void Build(QWidget* window) {
        const QSize panelSize = window->size();
        window->setFixedSize(panelSize.width() + kWidth, panelSize.height());
        side = new QWidget(window);
        side->setObjectName(QStringLiteral("Workbench"));
        side->setGeometry(panelSize.width(), 0, kWidth, panelSize.height());
        auto* layout = new QVBoxLayout(side);
        auto* title = new QLabel(QStringLiteral("<b>Measurement workbench</b>"));
        layout->addWidget(title);
        rate = new QLabel(QStringLiteral("Rate: -"));
        rate->setObjectName(QStringLiteral("WorkbenchRate"));
        layout->addWidget(rate);
        table = new QTableWidget;
        table->setObjectName(QStringLiteral("WorkbenchTable"));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->hide();
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        // Fixed widths: fitting columns to their contents would measure every cell at each refresh.
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
        table->horizontalHeader()->setStretchLastSection(true);
        layout->addWidget(table, 1);
        record = AddButton(layout, "WorkbenchRecord", kRecordOff);
        record->setCheckable(true);
        QObject::connect(record, &QPushButton::toggled, record, [this](bool on) {
            ShowRecording(on);
            Call(on ? WorkbenchAction::RecordOn : WorkbenchAction::RecordOff);
        });
        auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+R")), window);
        QObject::connect(shortcut, &QShortcut::activated, record, &QPushButton::toggle);
        publish = AddButton(layout, "WorkbenchPlant", "Publish to plant");
        publish->setCheckable(true);
        publish->setToolTip(QStringLiteral(
            "Publish every measurement to the plant's MQTT broker (TAVRIX_MQTT_URL)"));
        QObject::connect(publish, &QPushButton::toggled, publish, [this](bool on) {
            Call(on ? WorkbenchAction::PublishOn : WorkbenchAction::PublishOff);
        });
        const struct {
            const char* name;
            const char* text;
            WorkbenchAction action;
        } buttons[] = {
            {"WorkbenchPng", "Save graphs as PNG...", WorkbenchAction::SavePng},
            {"WorkbenchPdf", "Save graphs as PDF...", WorkbenchAction::SavePdf},
            {"WorkbenchCopy", "Copy graphs", WorkbenchAction::CopyGraphs},
            {"WorkbenchCsv", "Save last 100 as CSV...", WorkbenchAction::SaveCsv},
        };
        for (const auto& b : buttons) {
            const WorkbenchAction action = b.action;
            QObject::connect(AddButton(layout, b.name, b.text), &QPushButton::clicked, side,
                             [this, action] { Call(action); });
        }
        BuildParameterChecks(layout, window);
    }

    // The parameter checks: unsent values and the compare view.
    void BuildParameterChecks(QVBoxLayout* layout, QWidget* window) {
        unsent = new QLabel;
        unsent->setObjectName(QStringLiteral("WorkbenchUnsent"));
        layout->addWidget(unsent);
        QPushButton* compare = AddButton(layout, "WorkbenchCompare", "Compare...");
        compare->setToolTip(
            QStringLiteral("Compare the panel with the sensor's RAM and EEPROM (Ctrl+D)"));
        QObject::connect(compare, &QPushButton::clicked, side,
                         [this] { Call(WorkbenchAction::Compare); });
        auto* shortcut = new QShortcut(QKeySequence(QStringLiteral("Ctrl+D")), window);
        QObject::connect(shortcut, &QShortcut::activated, compare, &QPushButton::click);
    }
};

WorkbenchPanel::WorkbenchPanel(Engine& engine, int panel, WorkbenchCallback callback, void* data)
    : impl_(std::make_unique<Impl>(engine, callback, data)) {
    if (PanelRecord* record = engine.impl().panel(panel)) impl_->Build(record->window);
}

WorkbenchPanel::~WorkbenchPanel() {
    delete impl_->dialog.data();
}

void WorkbenchPanel::ShowRate(const std::string& text) {
    if (impl_->rate) impl_->rate->setText(QString::fromStdString(text));
}

void WorkbenchPanel::ShowTable(const std::vector<std::vector<std::string>>& rows) {
    QTableWidget* table = impl_->table;
    if (table == nullptr || rows.empty()) return;
    const int count = static_cast<int>(rows.size()), columns = static_cast<int>(rows[0].size());
    if (table->rowCount() != count - 1 || table->columnCount() != columns) {
        table->setRowCount(count - 1);
        table->setColumnCount(columns);
        for (int r = 0; r < count; ++r)
            for (int c = 0; c < columns; ++c) {
                auto* item = new QTableWidgetItem;
                item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                              : Qt::AlignRight | Qt::AlignVCenter);
                if (r == 0)
                    table->setHorizontalHeaderItem(c, item);
                else
                    table->setItem(r - 1, c, item);
            }
    }
    // Only changed texts are set, with updates held back: the table then repaints once.
    table->setUpdatesEnabled(false);
    for (int r = 0; r < count; ++r)
        for (int c = 0; c < columns && c < static_cast<int>(rows[r].size()); ++c) {
            QTableWidgetItem* item =
                r == 0 ? table->horizontalHeaderItem(c) : table->item(r - 1, c);
            const QString text = QString::fromStdString(rows[r][c]);
            if (item->text() != text) item->setText(text);
        }
    table->setUpdatesEnabled(true);
}

void WorkbenchPanel::SizeColumns(const std::vector<std::string>& widest) {
    QTableWidget* table = impl_->table;
    if (table == nullptr) return;
    table->setColumnCount(std::max(table->columnCount(), static_cast<int>(widest.size())));
    const QFontMetrics metrics(table->font());
    for (int c = 0; c < static_cast<int>(widest.size()); ++c)
        table->setColumnWidth(c, metrics.horizontalAdvance(QString::fromStdString(widest[c])) + 10);
}

void WorkbenchPanel::ShowUnsent(const std::string& text) {
    if (impl_->unsent) impl_->unsent->setText(QString::fromStdString(text));
}

void WorkbenchPanel::SetRecording(bool on) {
    if (impl_->record == nullptr) return;
    const QSignalBlocker quiet(impl_->record);
    impl_->record->setChecked(on);
    impl_->ShowRecording(on);
}

void WorkbenchPanel::SetPublishing(bool on) {
    if (impl_->publish == nullptr) return;
    const QSignalBlocker quiet(impl_->publish);
    impl_->publish->setChecked(on);
}

bool WorkbenchPanel::ChooseFile(WorkbenchAction forAction, const std::string& title,
                                const std::string& defaultName, const std::string& pattern) {
    if (impl_->side == nullptr) return false;
    if (impl_->dialog && impl_->dialog->isVisible()) {
        impl_->dialog->raise();
        return false;
    }
    const QString folder = UserSettings().value(QLatin1String(kFolderKey)).toString();
    auto* dialog = new QFileDialog(impl_->side->window(), QString::fromStdString(title), folder);
    impl_->dialog = dialog;
    dialog->setObjectName(QStringLiteral("WorkbenchFileDialog"));
    dialog->setAttribute(Qt::WA_DeleteOnClose);
    dialog->setOption(QFileDialog::DontUseNativeDialog);
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    dialog->setNameFilter(QString::fromStdString(pattern));
    dialog->setDefaultSuffix(QFileInfo(QString::fromStdString(pattern)).suffix());
    dialog->selectFile(QString::fromStdString(defaultName));
    Impl* impl = impl_.get();
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [impl, forAction](const QString& file) {
                         const QFileInfo chosen(file);
                         UserSettings().setValue(QLatin1String(kFolderKey), chosen.absolutePath());
                         impl->Call(forAction, chosen.absoluteFilePath().toStdString());
                     });
    QObject::connect(dialog, &QFileDialog::rejected, dialog,
                     [impl] { impl->Call(WorkbenchAction::Cancelled); });
    dialog->open();
    return true;
}

namespace {

PlotBase* Plot(Engine& engine, int panel, int control) {
    return engine.impl().widgetAs<PlotBase>(panel, control);
}

}  // namespace

bool SaveGraphPng(Engine& engine, int panel, int control, const std::string& path) {
    PlotBase* plot = Plot(engine, panel, control);
    return plot != nullptr && plot->savePng(QString::fromStdString(path));
}

bool SaveGraphPdf(Engine& engine, int panel, int control, const std::string& path) {
    PlotBase* plot = Plot(engine, panel, control);
    return plot != nullptr && plot->savePdf(QString::fromStdString(path));
}

bool CopyGraphs(Engine& engine, int panel, const std::vector<int>& controls) {
    std::vector<QPixmap> pictures;
    int width = 0, height = 0;
    for (int control : controls) {
        PlotBase* plot = Plot(engine, panel, control);
        if (plot == nullptr) return false;
        pictures.push_back(plot->toPixmap());
        width = std::max(width, pictures.back().width());
        height += pictures.back().height();
    }
    if (pictures.empty()) return false;
    QPixmap all(width, height);
    all.fill(Qt::white);
    QPainter painter(&all);
    int top = 0;
    for (const QPixmap& picture : pictures) {
        painter.drawPixmap(0, top, picture);
        top += picture.height();
    }
    painter.end();
    QApplication::clipboard()->setPixmap(all);
    return true;
}

}  // namespace platform
