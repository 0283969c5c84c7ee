// The set-up assistant's window.
#include "setup_assistant_panel.h"

#include <qcustomplot.h>
#include <QCloseEvent>
#include <QDoubleSpinBox>
#include <QHBoxLayout>
#include <QHeaderView>
#include <QLabel>
#include <QMessageBox>
#include <QPointer>
#include <QPushButton>
#include <QTableWidget>
#include <QVBoxLayout>
#include <utility>

#include "engine_impl.h"

namespace platform {

namespace {

// Closing the window by its frame is Cancel: the program decides what that undoes.
class AssistantWindow : public QWidget {
  public:
    AssistantWindow(QWidget* owner, std::function<void()> onClose)
        : QWidget(owner, Qt::Window), onClose_(std::move(onClose)) {}

  protected:
    void closeEvent(QCloseEvent* event) override {
        event->ignore();
        onClose_();
    }

  private:
    std::function<void()> onClose_;
};

struct ButtonText {
    AssistantAction action;
    const char* name;
    const char* text;
};
constexpr ButtonText kButtons[kAssistantActions] = {
    {AssistantAction::Back, "AssistantBack", "< Back"},
    {AssistantAction::Measure, "AssistantMeasure", "Measure"},
    {AssistantAction::Next, "AssistantNext", "Next >"},
    {AssistantAction::SendRam, "AssistantSendRam", "Send to RAM"},
    {AssistantAction::Teach, "AssistantTeach", "Teach"},
    {AssistantAction::StoreEeprom, "AssistantStoreEeprom", "Store in EEPROM"},
    {AssistantAction::SaveFile, "AssistantSaveFile", "Save parameter file"},
    {AssistantAction::Cancel, "AssistantCancel", "Cancel"},
};

}  // namespace

struct SetupAssistantPanel::Impl {
    Engine& engine;
    AssistantCallback callback;
    void* data;
    QPointer<QWidget> window;
    QPointer<QLabel> title, text, status;
    QPointer<QCustomPlot> plot;
    QPointer<QTableWidget> table;
    QPointer<QPushButton> buttons[kAssistantActions];
    QPointer<QSpinBox> videoCycles, runCycles;
    QPointer<QDoubleSpinBox> share, margin, sds;

    Impl(Engine& e, AssistantCallback cb, void* d) : engine(e), callback(cb), data(d) {}

    void Call(AssistantAction action) {
        CallbackScope scope(engine.impl());
        callback(data, action);
    }

    void Build(QWidget* owner) {
        window = new AssistantWindow(owner, [this] { Call(AssistantAction::Cancel); });
        window->setObjectName(QStringLiteral("SetupAssistant"));
        window->setWindowTitle(QStringLiteral("Set-up assistant"));
        auto* layout = new QVBoxLayout(window);
        title = AddLabel(layout, "AssistantStep");
        title->setStyleSheet(QStringLiteral("font-weight: bold; font-size: 120%"));
        layout->addLayout(BuildSettings());
        plot = new QCustomPlot;
        plot->setObjectName(QStringLiteral("AssistantPlot"));
        plot->setMinimumHeight(260);
        plot->legend->setVisible(true);
        plot->setInteractions(QCP::iRangeDrag | QCP::iRangeZoom);
        layout->addWidget(plot, 1);
        text = AddLabel(layout, "AssistantText");
        text->setWordWrap(true);
        table = new QTableWidget;
        table->setObjectName(QStringLiteral("AssistantTable"));
        table->setEditTriggers(QAbstractItemView::NoEditTriggers);
        table->verticalHeader()->hide();
        table->horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
        table->horizontalHeader()->setStretchLastSection(true);
        table->hide();
        layout->addWidget(table);
        status = AddLabel(layout, "AssistantStatus");
        auto* row = new QHBoxLayout;
        for (const ButtonText& b : kButtons) {
            auto* button = new QPushButton(QString::fromUtf8(b.text));
            button->setObjectName(QLatin1String(b.name));
            const AssistantAction action = b.action;
            QObject::connect(button, &QPushButton::clicked, window,
                             [this, action] { Call(action); });
            if (action == AssistantAction::Cancel) row->addStretch();
            row->addWidget(button);
            buttons[static_cast<int>(action)] = button;
        }
        layout->addLayout(row);
        window->resize(760, 600);
    }

    template <class Box>
    Box* AddBox(QHBoxLayout* row, const char* name, const char* label, double low, double high,
                double value, double step) {
        row->addWidget(new QLabel(QString::fromUtf8(label)));
        using Value = decltype(std::declval<Box>().value());
        auto* box = new Box;
        box->setObjectName(QLatin1String(name));
        box->setAccessibleName(QString::fromUtf8(label));
        box->setRange(static_cast<Value>(low), static_cast<Value>(high));
        box->setSingleStep(static_cast<Value>(step));
        box->setValue(static_cast<Value>(value));
        row->addWidget(box);
        return box;
    }

    QHBoxLayout* BuildSettings() {
        auto* row = new QHBoxLayout;
        const AssistantSettings d;
        videoCycles = AddBox<QSpinBox>(row, "AssistantVideoCycles", "Video cycles", 1, 1000,
                                       d.videoCycles, 1);
        runCycles = AddBox<QSpinBox>(row, "AssistantRunCycles", "Run measurements", 2, 100000,
                                     d.runCycles, 10);
        share = AddBox<QDoubleSpinBox>(row, "AssistantShare", "Threshold at", 0.05, 0.95,
                                       d.thresholdShare, 0.05);
        margin =
            AddBox<QDoubleSpinBox>(row, "AssistantMargin", "Edge margin", 0, 1, d.edgeMargin, 0.05);
        sds = AddBox<QDoubleSpinBox>(row, "AssistantSds", "Tolerance in sd", 1, 20, d.toleranceSds,
                                     0.5);
        row->addStretch();
        return row;
    }

    QLabel* AddLabel(QVBoxLayout* layout, const char* name) {
        auto* label = new QLabel;
        label->setObjectName(QLatin1String(name));
        layout->addWidget(label);
        return label;
    }
};

SetupAssistantPanel::SetupAssistantPanel(Engine& engine, int panel, AssistantCallback callback,
                                         void* data)
    : impl_(std::make_unique<Impl>(engine, callback, data)) {
    if (PanelRecord* record = engine.impl().panel(panel)) impl_->Build(record->window);
}

SetupAssistantPanel::~SetupAssistantPanel() {
    delete impl_->window.data();
}

void SetupAssistantPanel::Show() {
    if (impl_->window == nullptr) return;
    impl_->window->show();
    impl_->window->raise();
    impl_->window->activateWindow();
}

void SetupAssistantPanel::Hide() {
    if (impl_->window) impl_->window->hide();
}

bool SetupAssistantPanel::Visible() const {
    return impl_->window && impl_->window->isVisible();
}

void SetupAssistantPanel::ShowStep(const std::string& title) {
    if (impl_->title) impl_->title->setText(QString::fromStdString(title));
}

void SetupAssistantPanel::ShowText(const std::string& text) {
    if (impl_->text) impl_->text->setText(QString::fromStdString(text));
}

void SetupAssistantPanel::ShowStatus(const std::string& text) {
    if (impl_->status) impl_->status->setText(QString::fromStdString(text));
}

void SetupAssistantPanel::ShowPlot(const std::vector<AssistantCurve>& curves,
                                   const AssistantAxes& axes) {
    QCustomPlot* plot = impl_->plot;
    if (plot == nullptr) return;
    plot->setVisible(!curves.empty());
    plot->clearGraphs();
    for (const AssistantCurve& c : curves) {
        QCPGraph* graph = plot->addGraph();
        graph->setName(QString::fromStdString(c.name));
        QPen pen(ToColor(c.color));
        pen.setWidthF(1.5);
        if (c.dashed) pen.setStyle(Qt::DashLine);
        graph->setPen(pen);
        graph->setData(QVector<double>(c.x.begin(), c.x.end()),
                       QVector<double>(c.y.begin(), c.y.end()), true);
        if (c.name.empty()) graph->removeFromLegend();
    }
    plot->xAxis->setRange(axes.xMin, axes.xMax);
    plot->yAxis->setRange(axes.yMin, axes.yMax);
    plot->xAxis->setLabel(QString::fromStdString(axes.xLabel));
    plot->yAxis->setLabel(QString::fromStdString(axes.yLabel));
    plot->replot(QCustomPlot::rpQueuedReplot);
}

void SetupAssistantPanel::ShowTable(const std::vector<std::vector<std::string>>& rows) {
    QTableWidget* table = impl_->table;
    if (table == nullptr) return;
    table->setVisible(!rows.empty());
    if (rows.empty()) return;
    const int columns = static_cast<int>(rows[0].size());
    table->setRowCount(static_cast<int>(rows.size()) - 1);
    table->setColumnCount(columns);
    for (int r = 0; r < static_cast<int>(rows.size()); ++r)
        for (int c = 0; c < columns && c < static_cast<int>(rows[r].size()); ++c) {
            auto* item = new QTableWidgetItem(QString::fromStdString(rows[r][c]));
            if (r == 0)
                table->setHorizontalHeaderItem(c, item);
            else
                table->setItem(r - 1, c, item);
        }
    table->setFixedHeight(table->horizontalHeader()->height() + table->verticalHeader()->length() +
                          4);
}

void SetupAssistantPanel::SetButtons(const bool (&usable)[kAssistantActions],
                                     const bool (&shown)[kAssistantActions]) {
    for (int i = 0; i < kAssistantActions; ++i)
        if (QPushButton* b = impl_->buttons[i]) {
            b->setEnabled(usable[i]);
            b->setVisible(shown[i]);
        }
}

AssistantSettings SetupAssistantPanel::Settings() const {
    AssistantSettings s;
    if (impl_->window == nullptr) return s;
    s.videoCycles = impl_->videoCycles->value();
    s.runCycles = impl_->runCycles->value();
    s.thresholdShare = impl_->share->value();
    s.edgeMargin = impl_->margin->value();
    s.toleranceSds = impl_->sds->value();
    return s;
}

bool SetupAssistantPanel::Confirm(const std::string& title, const std::string& question) {
    if (impl_->window == nullptr) return false;
    if (impl_->engine.impl().callbackDepth > 0) ++impl_->engine.impl().pumpCount;
    return QMessageBox::question(impl_->window, QString::fromStdString(title),
                                 QString::fromStdString(question)) == QMessageBox::Yes;
}

}  // namespace platform
