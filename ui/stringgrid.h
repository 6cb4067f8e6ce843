#pragma once

#include "handler.h"

#include <QAbstractScrollArea>
#include <QColor>
#include <QFont>
#include <QFontMetrics>
#include <QHash>
#include <QScrollBar>
#include <QStringList>
#include <QTextLayout>

#include <limits>
#include <memory>
#include <vector>

namespace kavinto {

// The highlighted rows while the grid lacks the focus: a light blue on which
// the text keeps its colour (black on it is 13:1).
inline const QColor kUnfocusedHighlight(190, 205, 232);

// Rows that a grid shows without storing their texts: each row's cell
// texts, in column order, are made when the grid asks for them.
class GridRows {
public:
    virtual ~GridRows() = default;
    virtual int firstRow() const = 0;
    virtual int lastRow() const = 0;
    virtual QStringList cells(int row) const = 0;
    // The rows first..last of these, holding no more than they need.
    virtual std::shared_ptr<const GridRows> slice(int first, int last) const = 0;
};

// The lines in which a cell shows a text: broken at spaces only, as many
// words on a line as fit the width; a word wider than the width stays whole
// on its line, to be cut at the cell's edge. At most `maxLines` lines: the
// rest of the text is not measured. The text is shaped once.
class CellText {
public:
    CellText(const QString& text, const QFont& font, int width,
             int maxLines = std::numeric_limits<int>::max(), QPaintDevice* device = nullptr);
    QStringList lines() const;
    // Draws the lines `lineSpacing` apart, the first line's box at `topLeft`.
    void draw(QPainter& p, QPoint topLeft, int lineSpacing) const;

private:
    QTextLayout m_layout;
    QTextLine m_unbroken;
    std::vector<std::pair<int, int>> m_lines;  // start and length in the text
};

// A grid of text cells with one fixed header row and whole-row selection.
//
// Texts are stored per cell whatever RowCount is: cutting rows takes them
// out of view, raising RowCount brings them back with their texts. A run of
// rows may instead be served by a GridRows, as if its texts had been written
// into those cells at that moment: nothing is stored per row, and only the
// rows in view are ever made. Row, the
// current data row, stays within 1..RowCount-1; the program never sets it.
// OnClick fires on every left-button release over the cell area (header and
// empty area included), after the current row has moved; OnDblClick on the
// second press of a double-click. Up, Down, Page Up, Page Down, Home and End
// (with or without Ctrl) move the current row. Painted by hand, visible rows only.
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
    // Every cell of rows first..last takes the text `rows` gives it, or the
    // empty text where `rows` is null.
    void setRows(int first, int last, std::shared_ptr<const GridRows> rows);

    int ColWidths(int col) const;
    // A width of 0 hides the column; its cells keep their texts. A column
    // past the last throws "Grid index out of range".
    void setColWidths(int col, int width);

    int Row() const { return m_row; }
    // The highlighted range of rows, the current row one of its ends.
    int selectionTop() const { return std::min(m_row, m_rangeEnd); }
    int selectionBottom() const { return std::max(m_row, m_rangeEnd); }

    void setColumnHeaders(const QStringList& headers);
    // For assistive technology: the column whose text describes a data row
    // (read after the row's shown cells), or -1.
    int describingColumn() const { return m_describingColumn; }
    void setDescribingColumn(int col) { m_describingColumn = col; }
    // The column whose cell of the current row holds the focus, where it is
    // shown; else the first shown column.
    int focusColumn() const { return m_focusColumn; }
    void setFocusColumn(int col) { m_focusColumn = col; }
    void setHeaderFont(const QFont& font) { m_headerFont = font; }

    Event OnClick;
    Event OnDblClick;
    // Return, Enter or Space while it has the focus.
    Event OnEnter;

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
    void focusInEvent(QFocusEvent* event) override;
    void focusOutEvent(QFocusEvent* event) override;
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
    int m_describingColumn = -1;
    int m_focusColumn = -1;
    int m_row = 1;
    int m_rangeEnd = 1;
    bool m_dragging = false;
    std::vector<int> m_colWidths;
    // A cell's text: written into it, else from the run covering its row, else empty.
    QStringList rowTexts(int row) const;
    struct Run {
        int first;
        int last;
        std::shared_ptr<const GridRows> rows;
    };
    std::vector<Run> m_runs;          // disjoint
    QHash<quint64, QString> m_cells;  // (col << 32 | row) -> text
    QFont m_headerFont;
};

}  // namespace kavinto
