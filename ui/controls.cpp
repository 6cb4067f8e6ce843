#include "controls.h"

#include "accessibility.h"

#include <QAbstractListModel>
#include <QKeyEvent>
#include <QListView>
#include <QMouseEvent>
#include <QPainter>

namespace kavinto {

// The items of a drop-down list: texts appended one by one, and runs of
// texts made when asked for.
class ItemList : public QAbstractListModel {
public:
    using QAbstractListModel::QAbstractListModel;

    int rowCount(const QModelIndex& parent = QModelIndex()) const override {
        return parent.isValid() ? 0 : m_count;
    }
    QVariant data(const QModelIndex& index, int role) const override {
        if (!index.isValid() || (role != Qt::DisplayRole && role != Qt::EditRole))
            return {};
        return text(index.row());
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
    QString text(int row) const {
        const auto run = std::upper_bound(m_runs.begin(), m_runs.end(), row,
                                          [](int r, const Run& x) { return r < x.first; }) -
                         1;
        return run->textAt ? run->textAt(row - run->first) : run->own[row - run->first];
    }

    struct Run {
        int first;
        int count;
        std::function<QString(int)> textAt;  // null: the texts are in `own`
        QStringList own;
    };
    std::vector<Run> m_runs;
    int m_count = 0;
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
    const int selected = currentIndex();
    m_programChange = true;
    append();
    setCurrentIndex(selected);
    m_programChange = false;
}

void DropDownList::addItem(const QString& text) {
    keepingSelection([&] { m_items->append(text); });
}

void DropDownList::addItems(int count, std::function<QString(int)> textAt) {
    keepingSelection([&] { m_items->appendRun(count, std::move(textAt)); });
}

void DropDownList::setSelectedIndex(int index) {
    if (index == currentIndex())
        return;
    m_programChange = true;
    setCurrentIndex(index);
    m_programChange = false;
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
