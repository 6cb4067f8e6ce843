#pragma once

#include "handler.h"

#include "textfinder.h"

#include <QColor>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFrame>
#include <QPixmap>
#include <QPointer>
#include <QPushButton>
#include <QWidget>

#include <functional>
#include <future>
#include <memory>

namespace kavinto {

class ItemList;

// The focus ring every control draws on its edge while it has the focus: 2
// pixels of the highlight colour (navy: 16:1 on white, 14:1 on the grey
// panels and on a control's face). `rect` is where to draw, the widget's
// own by default.
void drawFocusRing(QWidget* widget, QPaintDevice* device = nullptr, QRect rect = QRect());

// A drop-down list that accepts only its own items. OnChange fires once for
// each change the user makes, with Text already the new item; never for the
// program's own SelectedIndex assignments or for appended items. Items may
// come as a run whose texts are made when shown, so that a list of a
// million items holds no million objects.
//
// Typing finds an item by any part of its text, case and accents ignored:
// in the closed list the letters typed until a pause of a second select the
// first item that starts with them, else the first that contains them; in
// the opened list they narrow the items shown to those that contain them,
// and the box shows them in place of the selected text until the list closes.
class DropDownList : public QComboBox {
    Q_OBJECT
public:
    explicit DropDownList(QWidget* parent = nullptr);

    // Both append; the selection stays.
    void addItem(const QString& text);
    void addItems(int count, std::function<QString(int)> textAt);
    int itemCount() const;
    QString item(int index) const;
    int SelectedIndex() const { return m_narrowed ? m_kept : currentIndex(); }
    void setSelectedIndex(int index);
    QString Text() const;
    int DropDownCount() const { return maxVisibleItems(); }
    void setDropDownCount(int count) { setMaxVisibleItems(count); }

    // The name an item is given to assistive technology in place of its
    // text (the item that means no choice), its text shown unchanged.
    void setSpokenName(const QString& item, const QString& name);
    QString spokenText(const QString& item) const;

    // The letters typed into the opened list, while they narrow it.
    bool isNarrowed() const { return m_narrowed; }
    // Whether the opened list has just closed: a choice made in it is told
    // by the focus returning to the list, with its new value.
    bool isClosingPopup() const { return m_closingPopup; }
    const QString& typed() const { return m_typed; }

    void showPopup() override;
    void hidePopup() override;

    Event OnChange;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    template <typename F>
    void keepingSelection(F append);
    bool typeLetter(const QKeyEvent* event, bool opened);
    void selectTyped();
    void narrowToTyped();
    void endNarrowing();
    void pickShown(int row);
    void setIndexByProgram(int index);
    void foldItems();
    const TextFinder& finder();

    ItemList* m_items;
    std::shared_future<std::shared_ptr<const TextFinder>> m_finder;
    QString m_typed;
    QElapsedTimer m_lastKey;
    bool m_programChange = false;
    bool m_narrowed = false;
    bool m_closingPopup = false;
    int m_kept = -1;           // the selection while the opened list is narrowed
    std::vector<int> m_shown;  // the items the narrowed list shows
    QString m_spokenItem, m_spokenName;
};

// A push button with an optional picture. OnClick fires once for each
// completed press, by mouse or by Space or Return while it has the focus; a
// disabled button takes no focus and fires nothing.
class PushButton : public QPushButton {
    Q_OBJECT
public:
    explicit PushButton(const QString& caption, QWidget* parent = nullptr);
    bool Enabled() const { return isEnabled(); }
    void setEnabled(bool enabled);
    Event OnClick;

protected:
    void keyPressEvent(QKeyEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
};

// A control clicked on its own surface: OnClick fires on a left-button
// release over it; without a handler, the release goes on to its parent.
class Clickable : public QFrame {
    Q_OBJECT
public:
    using QFrame::QFrame;
    Event OnClick;

protected:
    void mouseReleaseEvent(QMouseEvent* event) override;
};

// A one-line, left-aligned label sized to its text, its left and top edges
// kept. A "&" is not shown and underlines the character after it ("&&" shows
// one "&").
class TextLabel : public Clickable {
    Q_OBJECT
public:
    TextLabel(const QString& caption, const QFont& font, const QColor& color,
              QWidget* parent = nullptr);
    const QString& Caption() const { return m_caption; }
    void setCaption(const QString& caption);
    QString displayedText() const;  // the caption without its mnemonic marks

    // For assistive technology: the control this label names (another
    // label, whose name it then prefixes), and whether the label is a
    // notification, which screen readers speak at once: when it appears, or
    // only when the program announces it (announceAlert). Set before the
    // label is first shown.
    enum class Notice { None, OnAppearing, OnRequest };
    QWidget* buddy() const { return m_buddy; }
    void setBuddy(QWidget* buddy) { m_buddy = buddy; }
    Notice notice() const { return m_notice; }
    void setNotice(Notice notice) { m_notice = notice; }

protected:
    void paintEvent(QPaintEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;

private:
    void fitToText();
    QString m_caption;
    QColor m_color;
    QPointer<QWidget> m_buddy;
    Notice m_notice = Notice::None;
};

// A panel: background, border, children. A child with a click event of its
// own takes its clicks.
class Panel : public Clickable {
    Q_OBJECT
public:
    enum class Border { None, Line, RaisedBevel };
    Panel(const QColor& background, Border border, const QColor& borderColor = QColor(),
          QWidget* parent = nullptr);
    int Left() const { return x(); }
    int Top() const { return y(); }
    void setLeft(int left) { move(left, y()); }
    void setTop(int top) { move(x(), top); }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    Border m_border;
    QColor m_borderColor;
};

// A window's notification that no label shows: a text told to assistive
// technology (announce), drawn nowhere.
class Announcement : public QWidget {
    Q_OBJECT
public:
    explicit Announcement(QWidget* window);
};

// A picture drawn at its top-left corner at its own size.
class Picture : public Clickable {
    Q_OBJECT
public:
    explicit Picture(const QPixmap& picture, QWidget* parent = nullptr);
    const QPixmap& picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QPixmap m_picture;
};

}  // namespace kavinto
