#include "controls.h"

#include "accessibility.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>
#include <QStyleOptionComboBox>
#include <QStylePainter>
#include <QTimer>

#include <algorithm>
#include <system_error>

namespace kavinto {

void drawFocusRing(QWidget* widget, QPaintDevice* device, QRect rect) {
    if (!widget->hasFocus())
        return;
    QPainter p(device ? device : widget);
    const QRect r = rect.isNull() ? widget->rect() : rect;
    const QColor ring = widget->palette().color(QPalette::Active, QPalette::Highlight);
    for (const QRect& edge :
         {QRect(r.left(), r.top(), r.width(), 2), QRect(r.left(), r.bottom() - 1, r.width(), 2),
          QRect(r.left(), r.top(), 2, r.height()), QRect(r.right() - 1, r.top(), 2, r.height())})
        p.fillRect(edge, ring);
}

// The items of a drop-down list: texts appended one by one, and runs of
// texts made when asked for. While the opened list is narrowed, its rows
// are the items shown, and only the popup looks at them.
class ItemList : public QAbstractListModel {
public:
    explicit ItemList(DropDownList* list) : QAbstractListModel(list), m_list(list) {}

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_shown ? int(m_shown->size()) : m_count;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid())
            return {};
        const int item = m_shown ? (*m_shown)[std::size_t(index.row())] : index.row();
        if (role == Qt::DisplayRole || role == Qt::EditRole)
            return text(item);
        if (role == Qt::AccessibleTextRole)
            return m_list->spokenText(text(item));
        return {};
    }
    int count() const { return m_count; }
    QString text(int row) const { return textIn(m_runs, row); }
    // The texts as they are now, to be read on another thread: the runs
    // share their texts, which never change, and the copy is the reader's.
    std::function<QString(int)> snapshot() const {
        return [runs = m_runs](int row) { return textIn(runs, row); };
    }
    // Shows only the items listed, or (null) every item again.
    void show(const std::vector<int>* items) {
        beginResetModel();
        m_shown = items;
        endResetModel();
    }
    Qt::ItemFlags flags(const QModelIndex& index) const override {
        return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable | Qt::ItemNeverHasChildren
                               : Qt::NoItemFlags;
    }

    void append(const QString& text) {
        beginInsertRows({}, m_count, m_count);
        if (m_runs.empty() || m_runs.back().textAt)
            m_runs.push_back({m_count, 0, nullptr, {}});
        m_runs.back().own.push_back(text);
        ++m_runs.back().count;
        ++m_count;
        endInsertRows();
    }
    void appendRun(int count, std::function<QString(int)> textAt) {
        if (count <= 0)
            return;
        beginInsertRows({}, m_count, m_count + count - 1);
        m_runs.push_back({m_count, count, std::move(textAt), {}});
        m_count += count;
        endInsertRows();
    }

private:
    struct Run {
        int first;
        int count;
        std::function<QString(int)> textAt;  // null: the texts are in `own`
        QStringList own;
    };
    static QString textIn(const std::vector<Run>& runs, int row) {
        const auto run = std::upper_bound(runs.begin(), runs.end(), row,
                                          [](int r, const Run& x) { return r < x.first; }) -
                         1;
        return run->textAt ? run->textAt(row - run->first) : run->own[row - run->first];
    }
    DropDownList* m_list;
    std::vector<Run> m_runs;
    int m_count = 0;
    const std::vector<int>* m_shown = nullptr;
};

DropDownList::DropDownList(QWidget* parent) : QComboBox(parent), m_items(new ItemList(this)) {
    setModel(m_items);
    // Long lists: rows of one height, and no pass over every item for a size hint.
    if (auto* list = qobject_cast<QListView*>(view()))
        list->setUniformItemSizes(true);
    setSizeAdjustPolicy(QComboBox::AdjustToMinimumContentsLengthWithIcon);
    setEditable(false);
    // Without this, most styles open a list as long as the screen and ignore DropDownCount.
    // A style sheet resets the palette: the selection colour, which also draws
    // the focus ring, is carried over from the parent's.
    setStyleSheet(QStringLiteral("QComboBox { combobox-popup: 0; selection-background-color: %1; }")
                      .arg(palette().color(QPalette::Highlight).name()));
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QComboBox::currentIndexChanged, this, [this] {
        if (!m_programChange)
            runHandler(OnChange);
    });
}

template <typename F>
void DropDownList::keepingSelection(F append) {
    // Appending to an empty list would select it; the selection stays as it was.
    endNarrowing();
    const int selected = currentIndex();
    m_programChange = true;
    append();
    setCurrentIndex(selected);
    m_programChange = false;
    foldItems();
}

// The items are folded for finding on a worker thread as soon as they are
// there, so that the first letter typed finds them ready; without a thread,
// when first asked for.
void DropDownList::foldItems() {
    auto fold = [count = m_items->count(), textAt = m_items->snapshot()] {
        auto finder = std::make_shared<TextFinder>();
        finder->build(count, textAt);
        return std::shared_ptr<const TextFinder>(std::move(finder));
    };
    try {
        m_finder = std::async(std::launch::async, std::move(fold)).share();
    } catch (const std::system_error&) {
        m_finder = std::async(std::launch::deferred, std::move(fold)).share();
    }
}

const TextFinder& DropDownList::finder() {
    if (!m_finder.valid())
        foldItems();
    try {
        return *m_finder.get();
    } catch (const std::exception&) {  // no memory for it: typing finds nothing
        static const TextFinder nothing;
        return nothing;
    }
}

int DropDownList::itemCount() const {
    return m_items->count();
}

QString DropDownList::item(int index) const {
    return index >= 0 && index < m_items->count() ? m_items->text(index) : QString();
}

QString DropDownList::Text() const {
    return item(SelectedIndex());
}

void DropDownList::setSpokenName(const QString& item, const QString& name) {
    m_spokenItem = item;
    m_spokenName = name;
}

QString DropDownList::spokenText(const QString& item) const {
    return !m_spokenName.isEmpty() && item == m_spokenItem ? m_spokenName : item;
}

void DropDownList::setIndexByProgram(int index) {
    m_programChange = true;
    setCurrentIndex(index);
    m_programChange = false;
}

// A letter typed (or Backspace) taken for finding; false for any other key.
bool DropDownList::typeLetter(const QKeyEvent* event, bool opened) {
    if (!opened && (!m_lastKey.isValid() || m_lastKey.hasExpired(1000)))
        m_typed.clear();
    if (event->key() == Qt::Key_Backspace) {
        if (m_typed.isEmpty())
            return false;
        m_typed.chop(1);
    } else {
        if (event->modifiers() & (Qt::ControlModifier | Qt::AltModifier | Qt::MetaModifier))
            return false;
        const QString text = event->text();
        const auto control = [](char32_t c) { return QChar::category(c) == QChar::Other_Control; };
        const QList<uint> characters = text.toUcs4();
        if (text.isEmpty() || std::any_of(characters.cbegin(), characters.cend(), control))
            return false;
        if (text == QStringLiteral(" ") && m_typed.isEmpty())
            return false;  // a Space as the first key opens the list
        m_typed += text;
    }
    m_lastKey.start();
    if (opened)
        narrowToTyped();
    else
        selectTyped();
    return true;
}

void DropDownList::selectTyped() {
    const int found = finder().find(TextFinder::fold(m_typed));
    if (found >= 0 && found != currentIndex())
        setCurrentIndex(found);  // the user's change
}

void DropDownList::narrowToTyped() {
    if (m_typed.isEmpty()) {
        const int kept = m_kept;
        endNarrowing();
        view()->setCurrentIndex(m_items->index(kept, 0));
        return;
    }
    if (!m_narrowed) {
        m_kept = currentIndex();
        m_narrowed = true;
    }
    m_shown = finder().containing(TextFinder::fold(m_typed));
    m_programChange = true;
    m_items->show(&m_shown);
    m_programChange = false;
    if (!m_shown.empty())
        view()->setCurrentIndex(m_items->index(0, 0));
    update();
    announceValueChange(this);
}

void DropDownList::endNarrowing() {
    if (!m_narrowed)
        return;
    m_narrowed = false;
    m_typed.clear();
    m_programChange = true;
    m_items->show(nullptr);
    m_shown = {};
    setCurrentIndex(m_kept);
    m_programChange = false;
    update();
}

void DropDownList::pickShown(int row) {
    if (row < 0 || std::size_t(row) >= m_shown.size())
        return;
    const int picked = m_shown[std::size_t(row)];
    hidePopup();
    if (picked != currentIndex())
        setCurrentIndex(picked);  // the user's change
}

void DropDownList::showPopup() {
    QComboBox::showPopup();
    // Ahead of the popup's own filters, which pick by the shown row: the
    // filter installed last runs first.
    for (QObject* watched :
         {static_cast<QObject*>(view()), static_cast<QObject*>(view()->viewport())}) {
        watched->removeEventFilter(this);
        watched->installEventFilter(this);
    }
}

void DropDownList::hidePopup() {
    if (view()->isVisible()) {
        m_closingPopup = true;
        QTimer::singleShot(0, this, [this] { m_closingPopup = false; });
    }
    QComboBox::hidePopup();
    endNarrowing();
}

void DropDownList::keyPressEvent(QKeyEvent* event) {
    if (typeLetter(event, false))
        return;
    m_typed.clear();
    QComboBox::keyPressEvent(event);
}

bool DropDownList::eventFilter(QObject* watched, QEvent* event) {
    if (watched == view() && event->type() == QEvent::KeyPress) {
        if (typeLetter(static_cast<QKeyEvent*>(event), true))
            return true;
    } else if (watched == view() && event->type() == QEvent::ShortcutOverride && m_narrowed) {
        // Where the popup picks by Return, before the key is pressed.
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            pickShown(view()->currentIndex().row());
            return true;
        }
    } else if (watched == view()->viewport() && event->type() == QEvent::MouseButtonRelease &&
               m_narrowed) {
        const auto* mouse = static_cast<QMouseEvent*>(event);
        const QModelIndex at = view()->indexAt(mouse->position().toPoint());
        if (mouse->button() == Qt::LeftButton && at.isValid())
            pickShown(at.row());
        return true;
    } else if (watched == view() && event->type() == QEvent::Hide) {
        endNarrowing();
    }
    return QComboBox::eventFilter(watched, event);
}

void DropDownList::paintEvent(QPaintEvent* event) {
    if (!m_narrowed) {
        QComboBox::paintEvent(event);
    } else {
        QStylePainter p(this);
        QStyleOptionComboBox option;
        initStyleOption(&option);
        option.currentText = m_typed;
        option.currentIcon = QIcon();
        p.drawComplexControl(QStyle::CC_ComboBox, option);
        p.drawControl(QStyle::CE_ComboBoxLabel, option);
    }
    drawFocusRing(this);
}

void DropDownList::addItem(const QString& text) {
    keepingSelection([&] { m_items->append(text); });
}

void DropDownList::addItems(int count, std::function<QString(int)> textAt) {
    keepingSelection([&] { m_items->appendRun(count, std::move(textAt)); });
}

void DropDownList::setSelectedIndex(int index) {
    endNarrowing();
    if (index == currentIndex())
        return;
    setIndexByProgram(index);
}

PushButton::PushButton(const QString& caption, QWidget* parent) : QPushButton(caption, parent) {
    setAutoDefault(false);
    setFocusPolicy(Qt::StrongFocus);
    connect(this, &QPushButton::clicked, this, [this] { runHandler(OnClick); });
}

void PushButton::setEnabled(bool enabled) {
    QPushButton::setEnabled(enabled);
    setFocusPolicy(enabled ? Qt::StrongFocus : Qt::NoFocus);
}

void PushButton::paintEvent(QPaintEvent* event) {
    QPushButton::paintEvent(event);
    drawFocusRing(this);
}

void PushButton::keyPressEvent(QKeyEvent* event) {
    if (event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) {
        if (!event->isAutoRepeat())
            animateClick();
        return;
    }
    QPushButton::keyPressEvent(event);
}

TextLabel::TextLabel(const QString& caption, const QFont& font, const QColor& color,
                     QWidget* parent)
    : Clickable(parent), m_caption(caption), m_color(color) {
    setFont(font);
    fitToText();
}

void TextLabel::setCaption(const QString& caption) {
    if (caption == m_caption)
        return;
    m_caption = caption;
    fitToText();
    update();
    announceNameChange(this);
}

void TextLabel::showEvent(QShowEvent* event) {
    Clickable::showEvent(event);
    if (m_notice == Notice::OnAppearing)
        announceAlert(this);
}

namespace {

// The caption as shown, and the position of the character a "&" underlines (-1 if none).
std::pair<QString, qsizetype> parseMnemonic(const QString& caption) {
    QString shown;
    qsizetype underlined = -1;
    for (qsizetype i = 0; i < caption.size(); ++i) {
        if (caption[i] != QLatin1Char('&')) {
            shown.append(caption[i]);
            continue;
        }
        if (i + 1 >= caption.size())
            break;  // a lone "&" at the end shows nothing
        ++i;
        if (caption[i] != QLatin1Char('&') && underlined < 0)
            underlined = shown.size();
        shown.append(caption[i]);  // "&&" shows one "&"
    }
    return {shown, underlined};
}

}  // namespace

QString TextLabel::displayedText() const {
    return parseMnemonic(m_caption).first;
}

namespace {

// Room above the ascent for the accents of capitals: some faces (Wine's
// Tahoma among them) draw "Ő" higher than their ascent.
int accentRoom(const QFontMetrics& fm) {
    return std::max(0, -fm.tightBoundingRect(QStringLiteral("ÁÉÖŐÜŰ")).top() - fm.ascent());
}

}  // namespace

void TextLabel::fitToText() {
    const QFontMetrics fm(font());
    resize(fm.horizontalAdvance(displayedText()), fm.height() + accentRoom(fm));
}

void TextLabel::changeEvent(QEvent* event) {
    if (event->type() == QEvent::FontChange)
        fitToText();
    Clickable::changeEvent(event);
}

void TextLabel::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.setPen(m_color);
    const QFontMetrics fm(font());
    const auto [shown, underlined] = parseMnemonic(m_caption);
    const int baseline = accentRoom(fm) + fm.ascent();
    p.drawText(0, baseline, shown);
    if (underlined >= 0) {
        const int x = fm.horizontalAdvance(shown.left(underlined));
        const int w = fm.horizontalAdvance(shown.mid(underlined, 1));
        const int y = baseline + fm.underlinePos();
        p.drawLine(x, y, x + w - 1, y);
    }
}

Panel::Panel(const QColor& background, Border border, const QColor& borderColor, QWidget* parent)
    : Clickable(parent), m_border(border), m_borderColor(borderColor) {
    QPalette pal = palette();
    pal.setColor(QPalette::Window, background);
    setPalette(pal);
    setAutoFillBackground(true);
    if (border == Border::RaisedBevel) {
        setFrameStyle(QFrame::Panel | QFrame::Raised);
        setLineWidth(1);
    }
}

void Panel::paintEvent(QPaintEvent* event) {
    Clickable::paintEvent(event);
    if (m_border == Border::Line) {
        // Filled, not stroked: a cosmetic pen is one device pixel wide and,
        // on a denser screen, would stand inside the right and bottom edges.
        QPainter p(this);
        const int w = width(), h = height();
        for (const QRect& edge :
             {QRect(0, 0, w, 1), QRect(0, h - 1, w, 1), QRect(0, 0, 1, h), QRect(w - 1, 0, 1, h)})
            p.fillRect(edge, m_borderColor);
    }
}

Announcement::Announcement(QWidget* window) : QWidget(window) {
    setGeometry(0, 0, 0, 0);
    setAttribute(Qt::WA_TransparentForMouseEvents);
    setFocusPolicy(Qt::NoFocus);
}

Picture::Picture(const QPixmap& picture, QWidget* parent) : Clickable(parent), m_picture(picture) {}

void Picture::paintEvent(QPaintEvent*) {
    QPainter p(this);
    p.drawPixmap(0, 0, m_picture);
}

void Clickable::mouseReleaseEvent(QMouseEvent* event) {
    if (OnClick && event->button() == Qt::LeftButton &&
        rect().contains(event->position().toPoint()))
        runHandler(OnClick);
    else
        event->ignore();
}

}  // namespace kavinto
