#include "stringgrid.h"

#include "accessibility.h"

#include "controls.h"
#include "error.h"

#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QScrollBar>
#include <algorithm>

namespace kavinto {
namespace {

quint64 cellKey(int col, int row) {
    return (quint64(quint32(col)) << 32) | quint32(row);
}

[[noreturn]] void outOfRange() {
    throw Error(QStringLiteral("Grid index out of range"));
}

}  // namespace

CellText::CellText(const QString& text, const QFont& font, int width, int maxLines,
                   QPaintDevice* device)
    : m_layout(text, font, device) {
    // Shaped once, on one unbroken line; a candidate line's width is the
    // distance between its ends on it.
    QTextOption option;
    option.setWrapMode(QTextOption::NoWrap);
    m_layout.setTextOption(option);
    m_layout.beginLayout();
    m_unbroken = m_layout.createLine();
    m_layout.endLayout();
    const auto widthOf = [&](int from, int to) {
        return qRound(m_unbroken.cursorToX(to) - m_unbroken.cursorToX(from));
    };
    const int size = int(text.size());
    if (widthOf(0, size) <= width) {  // the common case: all of it on one line
        m_lines.push_back({0, size});
        return;
    }
    int start = 0, end = int(text.indexOf(QLatin1Char(' ')));  // the line so far: [start, end)
    if (end < 0)
        end = size;
    while (end < size) {
        int next = int(text.indexOf(QLatin1Char(' '), end + 1));  // the next word ends there
        if (next < 0)
            next = size;
        if (widthOf(start, next) > width) {
            m_lines.push_back({start, end - start});
            if (int(m_lines.size()) == maxLines)
                return;
            start = end + 1;
        }
        end = next;
    }
    m_lines.push_back({start, size - start});
}

QStringList CellText::lines() const {
    QStringList lines;
    for (const auto& [start, length] : m_lines) lines << m_layout.text().mid(start, length);
    return lines;
}

void CellText::draw(QPainter& p, QPoint topLeft, int lineSpacing) const {
    if (m_lines.size() == 1 && m_lines[0].second == m_layout.text().size()) {
        m_unbroken.draw(&p, topLeft);  // the common case: the whole text on one line
        return;
    }
    qreal top = topLeft.y();
    for (const auto& [start, length] : m_lines) {
        const QPointF origin(topLeft.x() - m_unbroken.cursorToX(start), top);
        for (const QGlyphRun& run : m_unbroken.glyphRuns(start, length))
            p.drawGlyphRun(origin, run);
        top += lineSpacing;
    }
}

StringGrid::StringGrid(int colCount, int rowCount, QWidget* parent)
    : QAbstractScrollArea(parent),
      m_colCount(colCount),
      m_rowCount(std::max(rowCount, 2)),
      m_colWidths(std::size_t(colCount), 64) {
    setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    setFocusPolicy(Qt::StrongFocus);
    setFrameShape(QFrame::Box);
    setLineWidth(1);
    viewport()->setAutoFillBackground(true);
    viewport()->setBackgroundRole(QPalette::Base);
    verticalScrollBar()->setSingleStep(1);
    updateScrollRange();
}

void StringGrid::setRowCount(int count) {
    count = std::max(count, FixedRows() + 1);
    if (count == m_rowCount)
        return;
    m_rowCount = count;
    m_row = std::min(m_row, count - 1);
    m_rangeEnd = std::min(m_rangeEnd, count - 1);
    updateScrollRange();
    viewport()->update();
    announceRowsChanged(this);
}

QString StringGrid::Cells(int col, int row) const {
    if (col < 0 || row < 0)
        outOfRange();
    const auto stored = m_cells.constFind(cellKey(col, row));
    if (stored != m_cells.cend())
        return stored.value();
    for (const Run& run : m_runs)
        if (row >= run.first && row <= run.last)
            return run.rows->cells(row).value(col);
    return {};
}

QStringList StringGrid::rowTexts(int row) const {
    QStringList texts;
    for (const Run& run : m_runs)
        if (row >= run.first && row <= run.last)
            texts = run.rows->cells(row);
    texts.reserve(m_colCount);
    while (texts.size() < m_colCount) texts.append(QString());
    for (int c = 0; c < m_colCount; ++c) {
        const auto stored = m_cells.constFind(cellKey(c, row));
        if (stored != m_cells.cend())
            texts[c] = stored.value();
    }
    return texts;
}

void StringGrid::setCells(int col, int row, const QString& text) {
    if (col < 0 || row < 0)
        outOfRange();
    const bool served = std::any_of(m_runs.begin(), m_runs.end(), [row](const Run& run) {
        return row >= run.first && row <= run.last;
    });
    if (text.isEmpty() && !served)
        m_cells.remove(cellKey(col, row));
    else
        m_cells.insert(cellKey(col, row), text);
    viewport()->update();
}

void StringGrid::setRows(int first, int last, std::shared_ptr<const GridRows> rows) {
    if (first < 0)
        outOfRange();
    if (last < first)
        return;
    // What the range covers is replaced; the rest of a run it cuts stays, as a smaller run.
    std::vector<Run> kept;
    for (const Run& run : m_runs) {
        if (run.last < first || run.first > last) {
            kept.push_back(run);
            continue;
        }
        if (run.first < first)
            kept.push_back({run.first, first - 1, run.rows->slice(run.first, first - 1)});
        if (run.last > last)
            kept.push_back({last + 1, run.last, run.rows->slice(last + 1, run.last)});
    }
    if (rows)
        kept.push_back({first, last, std::move(rows)});
    m_runs = std::move(kept);
    for (auto it = m_cells.begin(); it != m_cells.end();) {
        const int row = int(it.key() & 0xFFFFFFFF);
        it = row >= first && row <= last ? m_cells.erase(it) : std::next(it);
    }
    viewport()->update();
    announceRowsChanged(this);
}

int StringGrid::ColWidths(int col) const {
    if (col < 0 || col >= m_colCount)
        outOfRange();
    return m_colWidths[std::size_t(col)];
}

void StringGrid::setColWidths(int col, int width) {
    if (col < 0 || col >= m_colCount)
        outOfRange();
    m_colWidths[std::size_t(col)] = std::max(width, 0);
    viewport()->update();
}

void StringGrid::setColumnHeaders(const QStringList& headers) {
    for (int i = 0; i < headers.size() && i < m_colCount; ++i) setCells(i, 0, headers[i]);
}

int StringGrid::visibleDataRows() const {
    return std::max(1, (viewport()->height() - DefaultRowHeight()) / DefaultRowHeight());
}

void StringGrid::updateScrollRange() {
    const int dataRows = m_rowCount - 1;
    const int hidden = std::max(0, dataRows - visibleDataRows());
    verticalScrollBar()->setRange(0, hidden);
    verticalScrollBar()->setPageStep(visibleDataRows());
    // Shown only while rows lie out of view; decided here, where the range is known.
    const Qt::ScrollBarPolicy policy = hidden > 0 ? Qt::ScrollBarAlwaysOn : Qt::ScrollBarAlwaysOff;
    if (policy != verticalScrollBarPolicy()) {
        setVerticalScrollBarPolicy(policy);
        // From within a resize the area does not lay itself out again by itself.
        QEvent relayout(QEvent::LayoutRequest);
        QAbstractScrollArea::event(&relayout);
    }
}

void StringGrid::scrollToRow(int row) {
    if (row < topRow())
        verticalScrollBar()->setValue(row - 1);
    else if (row >= topRow() + visibleDataRows())
        verticalScrollBar()->setValue(row - visibleDataRows());
}

int StringGrid::rowAt(const QPoint& pos) const {
    const int h = DefaultRowHeight();
    if (pos.y() < 0)
        return -1;
    if (pos.y() < h)
        return 0;
    const int row = topRow() + (pos.y() - h) / h;
    return row < m_rowCount ? row : -1;
}

QRect StringGrid::rowRect(int row) const {
    const int h = DefaultRowHeight();
    const int y = row == 0 ? 0 : h + (row - topRow()) * h;
    return QRect(0, y, viewport()->width(), h);
}

void StringGrid::paintEvent(QPaintEvent*) {
    QPainter p(viewport());
    const int h = DefaultRowHeight();
    const QPalette& pal = palette();
    const int lastVisible = std::min(m_rowCount - 1, topRow() + visibleDataRows());
    auto paintRow = [&](int row, int y) {
        const bool fixed = row == 0;
        const bool selected = !fixed && row >= selectionTop() && row <= selectionBottom();
        p.setFont(fixed ? m_headerFont : font());
        const QStringList texts = rowTexts(row);
        int x = 0;
        for (int c = 0; c < m_colCount; ++c) {
            const int w = m_colWidths[std::size_t(c)];
            if (w > 0) {
                const QRect cell(x, y, w, h);
                const bool strong = selected && hasFocus();
                p.fillRect(cell, fixed      ? pal.button()
                                 : strong   ? pal.highlight()
                                 : selected ? QBrush(kUnfocusedHighlight)
                                            : pal.base());
                p.setPen(fixed    ? pal.buttonText().color()
                         : strong ? pal.highlightedText().color()
                                  : pal.text().color());
                // Wrapped at spaces and cut at the cell's edge: rows never grow.
                p.save();
                p.setClipRect(cell.adjusted(0, 0, -1, -1));
                const QRect text = cell.adjusted(2, 2, -2, 0);
                const int spacing = p.fontMetrics().lineSpacing();
                const int shown = (cell.bottom() - text.top() + spacing - 1) /
                                  spacing;  // lines starting above the bottom
                CellText(texts[c], p.font(), text.width(), std::max(shown, 1), p.device())
                    .draw(p, text.topLeft(), spacing);
                p.restore();
                p.setPen(pal.mid().color());
                p.drawLine(x + w - 1, y, x + w - 1, y + h - 1);
            }
            x += w;
        }
        p.setPen(pal.mid().color());
        p.drawLine(0, y + h - 1, x - 1, y + h - 1);
    };
    paintRow(0, 0);
    for (int row = topRow(); row <= lastVisible; ++row) paintRow(row, h + (row - topRow()) * h);
    // The focus mark: a dotted line inside the current row, which is always highlighted.
    if (hasFocus() && m_row >= topRow() && m_row <= lastVisible) {
        p.setPen(QPen(pal.highlightedText().color(), 1, Qt::DotLine));
        p.drawRect(rowRect(m_row).adjusted(1, 1, -3, -3));
    }
    p.end();
    drawFocusRing(this, viewport(), viewport()->rect());
}

void StringGrid::focusInEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusInEvent(event);
    viewport()->update();
}

void StringGrid::focusOutEvent(QFocusEvent* event) {
    QAbstractScrollArea::focusOutEvent(event);
    viewport()->update();
}

void StringGrid::mousePressEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    setFocus(Qt::MouseFocusReason);
    const int row = rowAt(event->position().toPoint());
    if (row < 1)
        return;
    if (event->modifiers() & Qt::ShiftModifier) {
        m_rangeEnd = row;
    } else {
        m_row = row;
        m_rangeEnd = row;
        m_dragging = true;
    }
    viewport()->update();
    announceCurrentRow(this);
}

void StringGrid::mouseMoveEvent(QMouseEvent* event) {
    if (!m_dragging || !(event->buttons() & Qt::LeftButton))
        return;
    const int row = rowAt(event->position().toPoint());
    if (row >= 1 && row != m_rangeEnd) {
        m_rangeEnd = row;
        viewport()->update();
    }
}

void StringGrid::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() != Qt::LeftButton)
        return;
    m_dragging = false;
    if (viewport()->rect().contains(event->position().toPoint()))
        runHandler(OnClick);
}

void StringGrid::mouseDoubleClickEvent(QMouseEvent* event) {
    // The second press: the current row does not move again.
    if (event->button() == Qt::LeftButton)
        runHandler(OnDblClick);
}

void StringGrid::moveCurrentRow(int row) {
    row = std::clamp(row, 1, m_rowCount - 1);
    m_rangeEnd = row;
    if (row == m_row) {
        viewport()->update();
        return;
    }
    m_row = row;
    scrollToRow(row);
    viewport()->update();
    announceCurrentRow(this);
    runHandler(OnClick);
}

void StringGrid::keyPressEvent(QKeyEvent* event) {
    switch (event->key()) {
        case Qt::Key_Up:
            moveCurrentRow(m_row - 1);
            break;
        case Qt::Key_Down:
            moveCurrentRow(m_row + 1);
            break;
        case Qt::Key_PageUp:
            moveCurrentRow(m_row - visibleDataRows());
            break;
        case Qt::Key_PageDown:
            moveCurrentRow(m_row + visibleDataRows());
            break;
        case Qt::Key_Home:
            moveCurrentRow(1);
            break;
        case Qt::Key_End:
            moveCurrentRow(m_rowCount - 1);
            break;
        case Qt::Key_Return:
        case Qt::Key_Enter:
        case Qt::Key_Space:
            runHandler(OnEnter);
            break;
        default:
            QAbstractScrollArea::keyPressEvent(event);
    }
}

void StringGrid::resizeEvent(QResizeEvent* event) {
    QAbstractScrollArea::resizeEvent(event);
    updateScrollRange();
}

void StringGrid::scrollContentsBy(int, int) {
    viewport()->update();
}

}  // namespace kavinto
