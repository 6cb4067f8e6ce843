#include "accessibility.h"

#include "announcement.h"
#include "controls.h"
#include "formwindow.h"
#include "handler.h"
#include "stringgrid.h"

#include <QAbstractItemView>
#include <QAccessibleWidget>
#include <QScrollBar>
#include <QWindow>

#include <optional>
#include <unordered_map>

namespace kavinto {
namespace {

using Relations = QList<QPair<QAccessibleInterface*, QAccessible::Relation>>;

template <typename W>
bool is(const QString& className) {
    return className == QLatin1String(W::staticMetaObject.className());
}

// Panels and pictures: a fixed role, the accessible name given to the
// widget, and a press action where a click does something.
template <typename W>
class ClickableAccessible : public QAccessibleWidget {
public:
    ClickableAccessible(W* widget, QAccessible::Role role) : QAccessibleWidget(widget, role) {}
    QStringList actionNames() const override {
        return control()->OnClick ? QStringList{pressAction()} : QStringList{};
    }
    void doAction(const QString& name) override {
        if (name == pressAction() && control()->OnClick)
            runHandler(control()->OnClick);
    }

private:
    W* control() const { return static_cast<W*>(widget()); }
};

// The label whose buddy the widget is, among its siblings.
TextLabel* labelOf(const QWidget* widget) {
    if (!widget->parentWidget())
        return nullptr;
    for (TextLabel* l :
         widget->parentWidget()->findChildren<TextLabel*>(Qt::FindDirectChildrenOnly))
        if (l->buddy() == widget)
            return l;
    return nullptr;
}

void addLabelRelation(const QWidget* widget, QAccessible::Relation match, Relations& relations) {
    if (match & QAccessible::Label)
        if (TextLabel* l = labelOf(widget))
            relations.append({QAccessible::queryAccessibleInterface(l), QAccessible::Label});
}

class LabelAccessible : public QAccessibleWidget {
public:
    explicit LabelAccessible(TextLabel* label)
        : QAccessibleWidget(label, label->notice() == TextLabel::Notice::None
                                       ? QAccessible::StaticText
                                       : QAccessible::Notification) {}
    // A label that another names ("Találatok száma:" naming "2 db") says both.
    QString text(QAccessible::Text t) const override {
        if (t != QAccessible::Name)
            return QAccessibleWidget::text(t);
        const TextLabel* naming = labelOf(label());
        return naming ? naming->displayedText() + QLatin1Char(' ') + label()->displayedText()
                      : label()->displayedText();
    }
    // The naming one is then left out of what a reader reviews on screen,
    // where it would be read twice.
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        if (qobject_cast<TextLabel*>(label()->buddy()))
            s.invisible = true;
        return s;
    }
    Relations relations(QAccessible::Relation match) const override {
        Relations r = QAccessibleWidget::relations(match);
        addLabelRelation(label(), match, r);
        if ((match & QAccessible::Labelled) && label()->buddy())
            r.append(
                {QAccessible::queryAccessibleInterface(label()->buddy()), QAccessible::Labelled});
        return r;
    }

private:
    TextLabel* label() const { return static_cast<TextLabel*>(widget()); }
};

// A list: a combo box named by its field label, valued by its item, whose
// one child is the drop-down's view. Its item is also its text, wholly
// selected, as a screen reader reads a combo box's value and its changes.
class ListAccessible : public QAccessibleWidget, public QAccessibleTextInterface {
public:
    explicit ListAccessible(DropDownList* list)
        : QAccessibleWidget(list, QAccessible::ComboBox), m_shown(value()) {}

    // The value now, once it differs from the value last told.
    std::optional<QString> newItem() {
        if (value() == m_shown)
            return std::nullopt;
        m_shown = value();
        return m_shown;
    }
    // The item's spoken text, or the letters narrowing the opened list.
    QString value() const {
        return list()->isNarrowed() ? list()->typed() : list()->spokenText(list()->Text());
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TextInterface ? static_cast<QAccessibleTextInterface*>(this)
                                               : QAccessibleWidget::interface_cast(t);
    }
    QString text(int start, int end) const override { return value().mid(start, end - start); }
    int characterCount() const override { return int(value().size()); }
    int selectionCount() const override { return characterCount() > 0 ? 1 : 0; }
    void selection(int index, int* start, int* end) const override {
        *start = 0;
        *end = index == 0 ? characterCount() : 0;
    }
    int cursorPosition() const override { return 0; }
    QRect characterRect(int) const override { return {}; }
    int offsetAtPoint(const QPoint&) const override { return -1; }
    QString attributes(int, int* start, int* end) const override {
        *start = 0;
        *end = characterCount();
        return {};
    }
    void addSelection(int, int) override {}
    void removeSelection(int) override {}
    void setSelection(int, int, int) override {}
    void setCursorPosition(int) override {}
    void scrollToSubstring(int, int) override {}
    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name) {
            if (const TextLabel* l = labelOf(list()))
                return l->displayedText();
        }
        if (t == QAccessible::Value)
            return value();
        return QAccessibleWidget::text(t);
    }
    Relations relations(QAccessible::Relation match) const override {
        Relations r = QAccessibleWidget::relations(match);
        addLabelRelation(list(), match, r);
        return r;
    }
    int childCount() const override { return 1; }
    QAccessibleInterface* child(int index) const override {
        return index == 0 ? QAccessible::queryAccessibleInterface(list()->view()) : nullptr;
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        return child && child->object() == list()->view() ? 0 : -1;
    }
    QAccessible::State state() const override {
        QAccessible::State s = QAccessibleWidget::state();
        s.expandable = true;
        s.expanded = list()->view()->isVisible();
        return s;
    }
    QStringList actionNames() const override { return {showMenuAction(), pressAction()}; }
    void doAction(const QString& name) override {
        if (name == showMenuAction() || name == pressAction())
            list()->showPopup();
    }

private:
    DropDownList* list() const { return static_cast<DropDownList*>(widget()); }
    QString m_shown;  // the item the last text change told
};

// The grid's columns that have a width, left to right.
std::vector<int> shownColumns(const StringGrid* grid) {
    std::vector<int> columns;
    for (int c = 0; c < grid->ColCount(); ++c)
        if (grid->ColWidths(c) > 0)
            columns.push_back(c);
    return columns;
}

// The column of the cell that holds the grid's focus, or -1.
int focusColumnOf(const StringGrid* grid) {
    const std::vector<int> columns = shownColumns(grid);
    if (columns.empty())
        return -1;
    const int wanted = grid->focusColumn();
    return std::find(columns.begin(), columns.end(), wanted) != columns.end() ? wanted
                                                                              : columns.front();
}

class GridAccessible;

// One cell of the grid; grid row 0 is the header.
class GridCell : public QAccessibleInterface, public QAccessibleTableCellInterface {
public:
    GridCell(StringGrid* grid, int row, int column) : m_grid(grid), m_row(row), m_column(column) {}

    bool isValid() const override { return m_grid && m_row < m_grid->RowCount(); }
    QObject* object() const override { return nullptr; }
    QWindow* window() const override { return m_grid ? m_grid->window()->windowHandle() : nullptr; }
    QAccessibleInterface* parent() const override {
        return QAccessible::queryAccessibleInterface(m_grid);
    }
    QAccessibleInterface* child(int) const override { return nullptr; }
    int childCount() const override { return 0; }
    int indexOfChild(const QAccessibleInterface*) const override { return -1; }
    QAccessibleInterface* childAt(int, int) const override { return nullptr; }
    QString text(QAccessible::Text t) const override {
        if (!isValid())
            return {};
        if (t == QAccessible::Name)
            return m_grid->Cells(m_column, m_row);
        if (t == QAccessible::Description && m_row > 0 && m_grid->describingColumn() >= 0)
            return m_grid->Cells(m_grid->describingColumn(), m_row);
        return {};
    }
    void setText(QAccessible::Text, const QString&) override {}
    QAccessible::Role role() const override {
        return m_row == 0 ? QAccessible::ColumnHeader : QAccessible::Cell;
    }
    QAccessible::State state() const override {
        QAccessible::State s;
        if (!isValid())
            return s;
        const QRect shown = m_grid->viewport()->rect();
        s.invisible = !m_grid->isVisible();
        s.offscreen = !shown.intersects(localRect());
        if (m_row > 0) {
            s.selectable = true;
            s.selected = isSelected();
            s.focusable = true;
            s.focused = m_grid->hasFocus() && m_row == m_grid->Row();
        }
        return s;
    }
    QRect rect() const override {
        if (!isValid())
            return {};
        const QRect r = localRect();
        return QRect(m_grid->viewport()->mapToGlobal(r.topLeft()), r.size());
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableCellInterface
                   ? static_cast<QAccessibleTableCellInterface*>(this)
                   : nullptr;
    }

    bool isSelected() const override {
        return m_row > 0 && m_row >= m_grid->selectionTop() && m_row <= m_grid->selectionBottom();
    }
    QList<QAccessibleInterface*> columnHeaderCells() const override;
    QList<QAccessibleInterface*> rowHeaderCells() const override { return {}; }
    int columnIndex() const override {
        const std::vector<int> columns = shownColumns(m_grid);
        return int(std::find(columns.begin(), columns.end(), m_column) - columns.begin());
    }
    int rowIndex() const override { return m_row - 1; }
    int columnExtent() const override { return 1; }
    int rowExtent() const override { return 1; }
    QAccessibleInterface* table() const override { return parent(); }

private:
    QRect localRect() const {
        int x = 0;
        for (int c = 0; c < m_column; ++c) x += m_grid->ColWidths(c);
        const QRect row = m_grid->rowRect(m_row);
        return QRect(x, row.y(), m_grid->ColWidths(m_column), row.height());
    }

    QPointer<StringGrid> m_grid;
    int m_row;
    int m_column;
};

// The grid as a table of its data rows under one header row. Cells are
// made when asked for and kept until the rows change.
class GridAccessible : public QAccessibleWidget, public QAccessibleTableInterface {
public:
    explicit GridAccessible(StringGrid* grid) : QAccessibleWidget(grid, QAccessible::Table) {}
    ~GridAccessible() override { forgetCells(); }

    // Grid row 0 is the header; `column` counts the grid's own columns.
    QAccessibleInterface* cell(int row, int column) const {
        if (row < 0 || row >= grid()->RowCount() || column < 0 || column >= grid()->ColCount())
            return nullptr;
        const quint64 key = quint64(row) << 32 | quint64(column);
        auto it = m_cells.find(key);
        if (it == m_cells.end())
            it = m_cells
                     .emplace(key, QAccessible::registerAccessibleInterface(
                                       new GridCell(grid(), row, column)))
                     .first;
        return QAccessible::accessibleInterface(it->second);
    }

    QString text(QAccessible::Text t) const override {
        if (t == QAccessible::Name && grid()->accessibleName().isEmpty())
            return QStringLiteral("Keresési eredmények");
        return QAccessibleWidget::text(t);
    }
    // Labelled by the hit count, which a screen reader reads on entering the table.
    Relations relations(QAccessible::Relation match) const override {
        Relations r = QAccessibleWidget::relations(match);
        addLabelRelation(grid(), match, r);
        return r;
    }
    int childCount() const override {
        return int(shownColumns(grid()).size()) * grid()->RowCount();
    }
    QAccessibleInterface* child(int index) const override {
        const std::vector<int> columns = shownColumns(grid());
        if (index < 0 || columns.empty())
            return nullptr;
        const int n = int(columns.size());
        return cell(index / n, columns[std::size_t(index % n)]);
    }
    int indexOfChild(const QAccessibleInterface* child) const override {
        const auto* c = dynamic_cast<const QAccessibleTableCellInterface*>(child);
        if (!c || child->parent() != this)
            return -1;
        return (c->rowIndex() + 1) * int(shownColumns(grid()).size()) + c->columnIndex();
    }
    QAccessibleInterface* focusChild() const override {
        const int column = focusColumnOf(grid());
        return grid()->hasFocus() && column >= 0 ? cell(grid()->Row(), column) : nullptr;
    }
    void* interface_cast(QAccessible::InterfaceType t) override {
        return t == QAccessible::TableInterface ? static_cast<QAccessibleTableInterface*>(this)
                                                : QAccessibleWidget::interface_cast(t);
    }

    QAccessibleInterface* caption() const override { return nullptr; }
    QAccessibleInterface* summary() const override { return nullptr; }
    QAccessibleInterface* cellAt(int row, int column) const override {
        const std::vector<int> columns = shownColumns(grid());
        if (column < 0 || column >= int(columns.size()))
            return nullptr;
        return cell(row + 1, columns[std::size_t(column)]);
    }
    int columnCount() const override { return int(shownColumns(grid()).size()); }
    int rowCount() const override { return grid()->RowCount() - 1; }
    QString columnDescription(int column) const override {
        const std::vector<int> columns = shownColumns(grid());
        return column >= 0 && column < int(columns.size())
                   ? grid()->Cells(columns[std::size_t(column)], 0)
                   : QString();
    }
    QString rowDescription(int) const override { return {}; }
    int selectedCellCount() const override { return selectedRowCount() * columnCount(); }
    int selectedColumnCount() const override { return 0; }
    int selectedRowCount() const override {
        return grid()->selectionBottom() - grid()->selectionTop() + 1;
    }
    QList<QAccessibleInterface*> selectedCells() const override {
        QList<QAccessibleInterface*> cells;
        for (int row : selectedRows())
            for (int c = 0; c < columnCount(); ++c) cells.append(cellAt(row, c));
        return cells;
    }
    QList<int> selectedColumns() const override { return {}; }
    QList<int> selectedRows() const override {
        QList<int> rows;
        for (int r = grid()->selectionTop(); r <= grid()->selectionBottom(); ++r)
            rows.append(r - 1);
        return rows;
    }
    bool isColumnSelected(int) const override { return false; }
    bool isRowSelected(int row) const override {
        return row + 1 >= grid()->selectionTop() && row + 1 <= grid()->selectionBottom();
    }
    bool selectRow(int) override { return false; }
    bool selectColumn(int) override { return false; }
    bool unselectRow(int) override { return false; }
    bool unselectColumn(int) override { return false; }
    void modelChange(QAccessibleTableModelChangeEvent*) override { forgetCells(); }

private:
    StringGrid* grid() const { return static_cast<StringGrid*>(widget()); }
    void forgetCells() {
        for (const auto& [key, id] : m_cells) QAccessible::deleteAccessibleInterface(id);
        m_cells.clear();
    }

    mutable std::unordered_map<quint64, QAccessible::Id> m_cells;
};

QList<QAccessibleInterface*> GridCell::columnHeaderCells() const {
    const auto* table = dynamic_cast<const GridAccessible*>(parent());
    return table ? QList<QAccessibleInterface*>{table->cell(0, m_column)}
                 : QList<QAccessibleInterface*>{};
}

QAccessibleInterface* factory(const QString& className, QObject* object) {
    if (is<FormWindow>(className))  // a window, named by its title
        return new QAccessibleWidget(static_cast<FormWindow*>(object), QAccessible::Window);
    if (is<Panel>(className))
        return new ClickableAccessible<Panel>(static_cast<Panel*>(object), QAccessible::Grouping);
    if (is<Picture>(className))
        return new ClickableAccessible<Picture>(static_cast<Picture*>(object),
                                                QAccessible::Graphic);
    if (is<Announcement>(className))
        return new QAccessibleWidget(static_cast<Announcement*>(object), QAccessible::Notification);
    if (is<TextLabel>(className))
        return new LabelAccessible(static_cast<TextLabel*>(object));
    if (is<DropDownList>(className))
        return new ListAccessible(static_cast<DropDownList*>(object));
    if (is<StringGrid>(className))
        return new GridAccessible(static_cast<StringGrid*>(object));
    return nullptr;
}

void send(QWidget* widget, QAccessible::Event type) {
    QAccessibleEvent event(widget, type);
    QAccessible::updateAccessibility(&event);
}

QAccessibleInterface* currentCell(StringGrid* grid) {
    auto* table = dynamic_cast<GridAccessible*>(QAccessible::queryAccessibleInterface(grid));
    const int column = focusColumnOf(grid);
    return table && column >= 0 ? table->cell(grid->Row(), column) : nullptr;
}

void adjustEvent(QAccessibleEvent* event);

// To the platform's bridge, which an installed handler replaces.
void forward(QAccessibleEvent* event) {
    QAccessible::installUpdateHandler(nullptr);
    QAccessible::updateAccessibility(event);
    QAccessible::installUpdateHandler(adjustEvent);
}

bool announcing = false;  // an appearing sent by announceAlert

// A closed list's hidden popup: its item events would move a screen
// reader's focus to an item no one sees.
bool isHiddenPopupView(QObject* object) {
    auto* view = qobject_cast<QAbstractItemView*>(object);
    if (!view || view->isVisible())
        return false;
    for (QObject* o = view->parent(); o; o = o->parent())
        if (qobject_cast<DropDownList*>(o))
            return true;
    return false;
}

// Events as screen readers should have them, before the bridge sends them on.
void adjustEvent(QAccessibleEvent* event) {
    // A notification's appearing is spoken at once: only when it is announced.
    if (event->type() == QAccessible::ObjectShow && !announcing)
        if (auto* label = qobject_cast<TextLabel*>(event->object());
            label && label->notice() != TextLabel::Notice::None)
            return;
    if ((event->type() == QAccessible::Focus || event->type() == QAccessible::Selection ||
         event->type() == QAccessible::SelectionAdd) &&
        isHiddenPopupView(event->object()))
        return;
    // A list's new item is also told as new text.
    if (event->type() == QAccessible::ValueChanged)
        if (auto* list = dynamic_cast<ListAccessible*>(event->accessibleInterface()))
            if (const std::optional<QString> item = list->newItem()) {
                // Chosen in the opened list: the focus coming back says it.
                if (static_cast<DropDownList*>(event->object())->isClosingPopup())
                    return;
                forward(event);
                // Told as a removal and an insertion, the change would be read as
                // a deleted selection first.
                QAccessibleTextInsertEvent text(list, 0, *item);
                forward(&text);
                return;
            }
    // The grid taking the focus gives it to its current cell, as an item view
    // does: a screen reader then reads the table (its hit count, its size)
    // and the row in one phrase, which a second focus event would cut short.
    if (event->type() == QAccessible::Focus && event->child() < 0)
        if (auto* grid = qobject_cast<StringGrid*>(event->object()))
            if (QAccessibleInterface* cell = currentCell(grid)) {
                QAccessibleEvent focus(cell, QAccessible::Focus);
                forward(&focus);
                return;
            }
    forward(event);
}

}  // namespace

void installAccessibility() {
    static const bool installed = [] {
        QAccessible::installFactory(factory);
        QAccessible::installUpdateHandler(adjustEvent);
        return true;
    }();
    (void)installed;
}

void announceNameChange(QWidget* widget) {
    send(widget, QAccessible::NameChanged);
}

void announceValueChange(QWidget* widget) {
    if (!QAccessible::isActive())
        return;
    QAccessibleValueChangeEvent event(widget, QVariant());
    QAccessible::updateAccessibility(&event);
}

void announceAlert(QWidget* widget) {
    announcing = true;
    send(widget, QAccessible::ObjectShow);  // what screen readers act on
    announcing = false;
    send(widget, QAccessible::Alert);
    if (QAccessibleInterface* a = QAccessible::queryAccessibleInterface(widget))
        raisePlatformNotification(widget, a->text(QAccessible::Name));
}

void announce(QWidget* widget, const QString& text) {
    QWidget* window = widget->window();
    auto* notice = window->findChild<Announcement*>(QString(), Qt::FindDirectChildrenOnly);
    if (!notice) {
        notice = new Announcement(window);
        notice->show();
    }
    notice->setAccessibleName(text);
    announceAlert(notice);
}

void announceRowsChanged(StringGrid* grid) {
    QAccessibleTableModelChangeEvent event(grid, QAccessibleTableModelChangeEvent::ModelReset);
    QAccessible::updateAccessibility(&event);
}

void announceCurrentRow(StringGrid* grid) {
    if (!QAccessible::isActive())
        return;
    QAccessibleInterface* cell = currentCell(grid);
    if (!cell)
        return;
    QAccessibleEvent selection(cell, QAccessible::Selection);
    QAccessible::updateAccessibility(&selection);
    if (grid->hasFocus()) {
        QAccessibleEvent focus(cell, QAccessible::Focus);
        QAccessible::updateAccessibility(&focus);
    }
}

}  // namespace kavinto
