// The platform's one table of figures: a header row, rows whose first cell names them (left
// aligned) and figures (right aligned), cells tinted in the marking colour. Only changed cells are
// redrawn, once per update. Tab passes the table in one stop (arrow keys move inside it); its
// size hint is its whole content, so a window or dock can show it without scrolling.
#pragma once

#include <QTableWidget>
#include <string>
#include <vector>

#include "table_cell.h"

namespace platform {

class DataTable : public QTableWidget {
  public:
    explicit DataTable(const QString& objectName, QWidget* parent = nullptr);

    // The table takes the new shape when the row or column count changes.
    void Show(const std::vector<std::string>& header,
              const std::vector<std::vector<TableCell>>& rows);
    // Fixes each column's width to fit the given text (the widest it will show), so that updates
    // never measure the cells; the last column takes what room is left.
    void FixColumnWidths(const std::vector<std::string>& widest);

    QSize sizeHint() const override;
    QSize minimumSizeHint() const override;

  private:
    void SetShape(int rows, int columns);
    int ContentWidth() const;
};

}  // namespace platform
