#pragma once

#include "handler.h"

#include <QAbstractScrollArea>
#include <QScrollBar>
#include <QFont>
#include <QHash>
#include <QStringList>

#include <vector>

namespace kavinto {

// A grid of text cells with one fixed header row and whole-row selection.
//
// Texts are stored per cell whatever RowCount is: cutting rows takes them
// out of view, raising RowCount brings them back with their texts. Row, the
// current data row, stays within 1..RowCount-1; the program never sets it.
// OnClick fires on every left-button release over the cell area (header and
// empty area included), after the current row has moved; OnDblClick on the
// second press of a double-click. Painted by hand, visible rows only.
class StringGrid : public QAbstractScrollArea {
    Q_OBJECT
public:
    explicit StringGrid(int colCount, int rowCount, QWidget* parent = nullptr);

    int ColCount() const { return m_colCount; }
    int RowCount() const { return m_rowCount; }
    // Lowering it moves a current row beyond the new end to its last row,
    // without a click event; no text is cleared.
    void setRowCount(int count);
    int FixedRows() const { return 1; }
    int DefaultRowHeight() const { return 21; }

    QString Cells(int col, int row) const;
    void setCells(int col, int row, const QString& text);

    int ColWidths(int col) const;
    // A width of 0 hides the column; its cells keep their texts. A column
    // past the last throws "Grid index out of range".
    void setColWidths(int col, int width);

    int Row() const { return m_row; }
    // The highlighted range of rows, the current row one of its ends.
    int selectionTop() const { return std::min(m_row, m_rangeEnd); }
    int selectionBottom() const { return std::max(m_row, m_rangeEnd); }

    void setColumnHeaders(const QStringList& headers);
    void setHeaderFont(const QFont& font) { m_headerFont = font; }

    Event OnClick;
    Event OnDblClick;

    // The row under a point of the viewport: 0 for the header, -1 below the last row.
    int rowAt(const QPoint& viewportPos) const;
    // The viewport rectangle of a row that is in view.
    QRect rowRect(int row) const;

protected:
    void paintEvent(QPaintEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void keyPressEvent(QKeyEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void scrollContentsBy(int dx, int dy) override;

private:
    int visibleDataRows() const;
    int topRow() const { return 1 + verticalScrollBar()->value(); }
    void updateScrollRange();
    void scrollToRow(int row);
    void moveCurrentRow(int row);  // from the keyboard: fires OnClick when it changes

    int m_colCount;
    int m_rowCount;
    int m_row = 1;
    int m_rangeEnd = 1;
    bool m_dragging = false;
    std::vector<int> m_colWidths;
    QHash<quint64, QString> m_cells;  // (col << 32 | row) -> text
    QFont m_headerFont;
};

}  // namespace kavinto
