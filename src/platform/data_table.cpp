#include "data_table.h"

#include <QHeaderView>

#include "engine_impl.h"

namespace platform {

namespace {

constexpr int kMinimumRows = 3;  // shown at least, the rest scrolls

}  // namespace

DataTable::DataTable(const QString& objectName, QWidget* parent) : QTableWidget(parent) {
    setObjectName(objectName);
    setEditTriggers(QAbstractItemView::NoEditTriggers);
    setTabKeyNavigation(false);
    verticalHeader()->hide();
    // Compact rows, so that a whole record is in view without scrolling.
    verticalHeader()->setDefaultSectionSize(fontMetrics().height() + 8);
    horizontalHeader()->setSectionResizeMode(QHeaderView::ResizeToContents);
    horizontalHeader()->setStretchLastSection(true);
    setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Preferred);
}

void DataTable::SetShape(int rows, int columns) {
    if (rowCount() == rows && columnCount() == columns) return;
    setRowCount(rows);
    setColumnCount(columns);
    for (int r = -1; r < rows; ++r)
        for (int c = 0; c < columns; ++c) {
            auto* item = new QTableWidgetItem;
            item->setTextAlignment(c == 0 ? Qt::AlignLeft | Qt::AlignVCenter
                                          : Qt::AlignRight | Qt::AlignVCenter);
            if (r < 0)
                setHorizontalHeaderItem(c, item);
            else
                setItem(r, c, item);
        }
    updateGeometry();
}

void DataTable::Show(const std::vector<std::string>& header,
                     const std::vector<std::vector<TableCell>>& rows) {
    const int columns = static_cast<int>(header.size());
    SetShape(static_cast<int>(rows.size()), columns);
    // Only changed texts and tints are set, with updates held back: the table repaints once.
    setUpdatesEnabled(false);
    for (int c = 0; c < columns; ++c) {
        const QString text = QString::fromStdString(header[static_cast<std::size_t>(c)]);
        if (horizontalHeaderItem(c)->text() != text) horizontalHeaderItem(c)->setText(text);
    }
    const QBrush tint(ToColor(kMarkColor));
    for (int r = 0; r < rowCount(); ++r) {
        const auto& row = rows[static_cast<std::size_t>(r)];
        for (int c = 0; c < columns && c < static_cast<int>(row.size()); ++c) {
            QTableWidgetItem* cell = item(r, c);
            const TableCell& wanted = row[static_cast<std::size_t>(c)];
            const QString text = QString::fromStdString(wanted.text);
            if (cell->text() != text) cell->setText(text);
            const QBrush brush = wanted.tinted ? tint : QBrush();
            if (cell->background() != brush) cell->setBackground(brush);
        }
    }
    setUpdatesEnabled(true);
}

void DataTable::FixColumnWidths(const std::vector<std::string>& widest) {
    setColumnCount(std::max(columnCount(), static_cast<int>(widest.size())));
    // Fixed widths: fitting columns to their contents would measure every cell at each update.
    horizontalHeader()->setSectionResizeMode(QHeaderView::Fixed);
    const QFontMetrics metrics(font());
    for (int c = 0; c < static_cast<int>(widest.size()); ++c)
        setColumnWidth(c, metrics.horizontalAdvance(
                              QString::fromStdString(widest[static_cast<std::size_t>(c)])) +
                              12);
    updateGeometry();
}

int DataTable::ContentWidth() const {
    int width = 0;
    for (int c = 0; c < columnCount(); ++c)
        width +=
            std::max(horizontalHeader()->sectionSize(c), horizontalHeader()->sectionSizeHint(c));
    return width;
}

QSize DataTable::sizeHint() const {
    const int frame = 2 * frameWidth();
    const int rows = verticalHeader()->defaultSectionSize() * rowCount();
    return {ContentWidth() + frame, horizontalHeader()->sizeHint().height() + rows + frame};
}

QSize DataTable::minimumSizeHint() const {
    const int frame = 2 * frameWidth();
    const int rows = verticalHeader()->defaultSectionSize() * std::min(rowCount(), kMinimumRows);
    return {std::min(ContentWidth(), 200) + frame,
            horizontalHeader()->sizeHint().height() + rows + frame};
}

}  // namespace platform
