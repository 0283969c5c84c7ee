// The workbench side panel and the graph exports.
#include "workbench_panel.h"

#include <QApplication>
#include <QClipboard>
#include <QComboBox>
#include <QFileDialog>
#include <QFileInfo>
#include <QHBoxLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPainter>
#include <QPointer>
#include <QPushButton>
#include <QShortcut>
#include <QVBoxLayout>

#include "data_table.h"
#include "engine_impl.h"
#include "output_target.h"
#include "plot_base.h"
#include "sensor_box_frame.h"
#include "settings.h"
#include "workbench_dock.h"

namespace platform {

namespace {

constexpr const char* kFolderKey = "workbench/lastFolder";
constexpr const char* kCsvFormatKey = "workbench/csvFormat";  // 1: semicolon
// The CSV formats as the list and the file dialog name them, RFC 4180 first.
constexpr const char* kCsvFormats[] = {
    "CSV, comma-separated (*.csv)",
    "CSV, semicolon-separated, decimal comma (*.csv)",
};
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
    QPointer<DataTable> table;
    QPointer<QPushButton> record;
    QPointer<QPushButton> publish;
    QPointer<QLabel> unsent;
    QPointer<QComboBox> csvFormat;
    QPointer<QDialog> dialog;  // the file dialog, or the question whether to replace the file

    Impl(Engine& e, WorkbenchCallback cb, void* d) : engine(e), callback(cb), data(d) {}

    void Call(WorkbenchAction action, const std::string& file = {}) {
        CallbackScope scope(engine.impl());
        callback(data, action, file);
    }

    // The file dialog's own question would run a nested event loop of its own, holding up a
    // running loop's cycle until it is answered; this one returns at once like the dialog.
    void AskToReplace(QWidget* window, WorkbenchAction forAction, const QFileInfo& chosen) {
        auto* box = new QMessageBox(
            QMessageBox::Warning, QStringLiteral("Replace file"),
            chosen.fileName() + QStringLiteral(" already exists.\nDo you want to replace it?"),
            QMessageBox::Yes | QMessageBox::No, window);
        dialog = box;
        box->setObjectName(QStringLiteral("WorkbenchReplaceQuestion"));
        box->setAttribute(Qt::WA_DeleteOnClose);
        box->setDefaultButton(QMessageBox::No);
        const std::string path = chosen.absoluteFilePath().toStdString();
        QObject::connect(box, &QDialog::finished, box, [this, box, forAction, path] {
            const bool replace = box->clickedButton() == box->button(QMessageBox::Yes);
            Call(replace ? forAction : WorkbenchAction::Cancelled, replace ? path : std::string());
        });
        box->open();
    }

    void ShowRecording(bool on) {
        record->setText(QString::fromUtf8(on ? kRecordOn : kRecordOff));
        record->setStyleSheet(on ? QStringLiteral("color: #c00000; font-weight: bold") : QString());
    }

    void Build(QWidget* window) {
        QVBoxLayout* layout = WorkbenchColumn(window);
        if (layout == nullptr) return;
        side = layout->parentWidget();
        layout->addWidget(NewSensorBoxFrame());
        rate = new QLabel(QStringLiteral("Rate: -"));
        rate->setObjectName(QStringLiteral("WorkbenchRate"));
        layout->addWidget(rate);
        table = new DataTable(QStringLiteral("WorkbenchTable"));
        table->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        layout->addWidget(table);
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
        BuildCsvFormat(layout);
        BuildParameterChecks(layout, window);
        layout->addStretch(1);
    }

    // The CSV format of Record and Save last 100, remembered between runs.
    void BuildCsvFormat(QVBoxLayout* layout) {
        auto* row = new QHBoxLayout;
        auto* label = new QLabel(QStringLiteral("CSV:"));
        csvFormat = new QComboBox;
        csvFormat->setObjectName(QStringLiteral("WorkbenchCsvFormat"));
        for (const char* name : kCsvFormats)
            csvFormat->addItem(QString::fromUtf8(name).section(QLatin1String(" ("), 0, 0));
        csvFormat->setCurrentIndex(UserSettings().value(QLatin1String(kCsvFormatKey)).toInt() == 1);
        csvFormat->setAccessibleName(QStringLiteral("CSV format"));
        label->setBuddy(csvFormat);
        QObject::connect(csvFormat, &QComboBox::currentIndexChanged, csvFormat, [](int index) {
            UserSettings().setValue(QLatin1String(kCsvFormatKey), index);
        });
        row->addWidget(label);
        row->addWidget(csvFormat, 1);
        layout->addLayout(row);
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
        QPushButton* assistant =
            AddButton(layout, "WorkbenchSetupAssistant", "Set-up assistant...");
        assistant->setToolTip(QStringLiteral(
            "Propose threshold, edge window, setpoint and tolerance from what the sensor sees "
            "(Ctrl+Shift+A)"));
        QObject::connect(assistant, &QPushButton::clicked, side,
                         [this] { Call(WorkbenchAction::SetupAssistant); });
        auto* assistantKey = new QShortcut(QKeySequence(QStringLiteral("Ctrl+Shift+A")), window);
        QObject::connect(assistantKey, &QShortcut::activated, assistant, &QPushButton::click);
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

void WorkbenchPanel::ShowTable(const std::vector<std::string>& header,
                               const std::vector<std::vector<TableCell>>& rows) {
    if (impl_->table) impl_->table->Show(header, rows);
}

void WorkbenchPanel::SizeColumns(const std::vector<std::string>& widest) {
    if (impl_->table) impl_->table->FixColumnWidths(widest);
}

void WorkbenchPanel::ShowUnsent(const std::string& text) {
    if (impl_->unsent) impl_->unsent->setText(QString::fromStdString(text));
}

bool WorkbenchPanel::SemicolonCsv() const {
    return impl_->csvFormat && impl_->csvFormat->currentIndex() == 1;
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
    dialog->setOption(QFileDialog::DontConfirmOverwrite);  // asked without blocking, below
    dialog->setAcceptMode(QFileDialog::AcceptSave);
    const bool csv = pattern == "*.csv";
    if (csv && impl_->csvFormat) {  // the file type chooses the format
        dialog->setNameFilters(
            {QString::fromUtf8(kCsvFormats[0]), QString::fromUtf8(kCsvFormats[1])});
        dialog->selectNameFilter(QString::fromUtf8(kCsvFormats[impl_->csvFormat->currentIndex()]));
    } else {
        dialog->setNameFilter(QString::fromStdString(pattern));
    }
    dialog->setDefaultSuffix(QFileInfo(QString::fromStdString(pattern)).suffix());
    dialog->selectFile(QString::fromStdString(defaultName));
    Impl* impl = impl_.get();
    QWidget* window = impl_->side->window();
    QObject::connect(dialog, &QFileDialog::fileSelected, dialog,
                     [impl, window, forAction, csv, dialog](const QString& file) {
                         const QFileInfo chosen(file);
                         if (csv && impl->csvFormat)
                             impl->csvFormat->setCurrentIndex(dialog->selectedNameFilter() ==
                                                              QString::fromUtf8(kCsvFormats[1]));
                         UserSettings().setValue(QLatin1String(kFolderKey), chosen.absolutePath());
                         if (chosen.isFile())  // other targets are refused by the writer
                             impl->AskToReplace(window, forAction, chosen);
                         else
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

// The plot library opens the path itself: the target is checked just before.
bool SaveGraphPng(Engine& engine, int panel, int control, const std::string& path, int width,
                  int height, const std::string& title) {
    PlotBase* plot = Plot(engine, panel, control);
    return plot != nullptr && MayWriteTo(path) &&
           plot->exportPng(QString::fromStdString(path), width, height,
                           QString::fromStdString(title));
}

bool SaveGraphPdf(Engine& engine, int panel, int control, const std::string& path, int width,
                  int height, const std::string& title) {
    PlotBase* plot = Plot(engine, panel, control);
    return plot != nullptr && MayWriteTo(path) &&
           plot->exportPdf(QString::fromStdString(path), width, height,
                           QString::fromStdString(title));
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
