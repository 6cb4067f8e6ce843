#include "controls.h"
#include "error.h"
#include "handler.h"
#include "pictures.h"
#include "stringgrid.h"

#include <QAbstractItemView>
#include <QSignalSpy>
#include <QTest>

using namespace kavinto;

// What a window system delivers for a double click: press, release, the
// second press as a double-click event, release.
inline void doubleClick(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QMouseEvent second(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &second);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

// Letters typed, accented ones included (QTest::keyClicks takes ASCII only).
inline void typeText(QWidget* w, const QString& text) {
    for (const QChar c : text)
        QTest::sendKeyEvent(QTest::Click, w,
                            c == QLatin1Char(' ') ? Qt::Key_Space : Qt::Key_unknown, QString(c),
                            Qt::NoModifier);
}

class ControlsTest : public QObject {
    Q_OBJECT

    std::vector<QString> log;

    // A shown grid of 5 columns whose events are logged with the current row.
    std::unique_ptr<StringGrid> grid(int rows) {
        auto g = std::make_unique<StringGrid>(5, rows);
        g->resize(617, 232);
        g->OnClick = [this, p = g.get()] {
            log.push_back(QStringLiteral("click %1").arg(p->Row()));
        };
        g->OnDblClick = [this, p = g.get()] {
            log.push_back(QStringLiteral("dbl %1").arg(p->Row()));
        };
        g->show();
        g->activateWindow();
        if (!QTest::qWaitForWindowActive(g.get()))
            qWarning("the grid's window did not become active");
        return g;
    }

    static QPoint rowPoint(const StringGrid& g, int row) { return g.rowRect(row).center(); }

private slots:
    void init() { log.clear(); }

    void gridStartsWithTheHeaderAndNineDataRows() {
        StringGrid g(5, 10);
        QCOMPARE(g.ColCount(), 5);
        QCOMPARE(g.RowCount(), 10);
        QCOMPARE(g.Row(), 1);
        g.setColumnHeaders({QString(), QString(), QStringLiteral("Módszer"),
                            QStringLiteral("Funkció"), QStringLiteral("extra"),
                            QStringLiteral("ignored")});
        QCOMPARE(g.Cells(2, 0), QStringLiteral("Módszer"));
        QCOMPARE(g.Cells(4, 0), QStringLiteral("extra"));
        QCOMPARE(g.Cells(5, 0), QString());
    }

    void clicksOnRowsHeaderAndEmptyArea() {
        auto g = grid(4);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 2));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 0));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          QPoint(100, 200));  // below the last row
        QTest::mouseClick(g->viewport(), Qt::RightButton, {}, rowPoint(*g, 3));
        QCOMPARE(log, (std::vector<QString>{"click 2", "click 2", "click 2"}));
        QCOMPARE(g->Row(), 2);
        QVERIFY(g->hasFocus());
    }

    void doubleClickGivesClickDoubleClickClick() {
        auto g = grid(6);
        doubleClick(g->viewport(), rowPoint(*g, 3));
        QCOMPARE(log, (std::vector<QString>{"click 3", "dbl 3", "click 3"}));
    }

    void shiftClickAndDragWidenTheRangeOnly() {
        auto g = grid(8);
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 2));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, Qt::ShiftModifier, rowPoint(*g, 5));
        QCOMPARE(g->Row(), 2);
        QCOMPARE(g->selectionTop(), 2);
        QCOMPARE(g->selectionBottom(), 5);
        QCOMPARE(log.back(), QStringLiteral("click 2"));

        QTest::mousePress(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 6));
        QMouseEvent move(QEvent::MouseMove, rowPoint(*g, 3),
                         g->viewport()->mapToGlobal(rowPoint(*g, 3)), Qt::NoButton, Qt::LeftButton,
                         Qt::NoModifier);
        QApplication::sendEvent(g->viewport(), &move);
        QTest::mouseRelease(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 3));
        QCOMPARE(g->Row(), 6);
        QCOMPARE(g->selectionTop(), 3);
        QCOMPARE(g->selectionBottom(), 6);
        QCOMPARE(log.back(), QStringLiteral("click 6"));
    }

    void rowCountCutsAndRestoresKeepingTexts() {
        auto g = grid(8);
        for (int r = 1; r < 8; ++r) g->setCells(2, r, QStringLiteral("row %1").arg(r));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, rowPoint(*g, 5));
        log.clear();
        g->setRowCount(2);
        QCOMPARE(g->Row(), 1);
        g->setRowCount(4);
        QCOMPARE(g->Row(), 1);
        QCOMPARE(g->Cells(2, 3), QStringLiteral("row 3"));
        QCOMPARE(g->Cells(2, 7), QStringLiteral("row 7"));  // out of view, still stored
        QVERIFY(log.empty());
    }

    // Rows served on demand keep the rules of texts stored per cell.
    void servedRowsBehaveAsWrittenCells() {
        struct Numbered : GridRows {
            Numbered(int first, int last, QString tag, int* made)
                : f(first), l(last), t(std::move(tag)), m(made) {}
            int firstRow() const override { return f; }
            int lastRow() const override { return l; }
            QStringList cells(int row) const override {
                ++*m;
                return {t, QStringLiteral("%1.").arg(row)};
            }
            std::shared_ptr<const GridRows> slice(int first, int last) const override {
                return std::make_shared<Numbered>(first, last, t, m);
            }
            int f, l;
            QString t;
            int* m;
        };
        int made = 0;
        auto g = grid(2);
        g->setCells(1, 5, QStringLiteral("old"));
        g->setCells(3, 5, QStringLiteral("kept?"));
        g->setRowCount(300001);
        g->setRows(1, 300000, std::make_shared<Numbered>(1, 300000, QStringLiteral("a"), &made));
        g->repaint();
        QVERIFY(made > 0 && made < 40);  // only the rows in view were made
        QCOMPARE(g->Cells(1, 5), QStringLiteral("5."));
        QCOMPARE(g->Cells(3, 5), QString());  // the whole row was written
        g->setCells(1, 7, QString());         // a write over a served cell stands
        QCOMPARE(g->Cells(1, 7), QString());
        g->setRowCount(2);
        g->setRows(1, 3, std::make_shared<Numbered>(1, 3, QStringLiteral("b"), &made));
        g->setRowCount(10);
        QCOMPARE(g->Cells(0, 3), QStringLiteral("b"));
        QCOMPARE(g->Cells(0, 4), QStringLiteral("a"));  // rows beyond the new run keep their texts
        QCOMPARE(g->Cells(1, 299999), QStringLiteral("299999."));
        QCOMPARE(g->Cells(1, 7), QString());
        g->setRows(2, 299999, nullptr);
        QCOMPARE(g->Cells(0, 2), QString());
        QCOMPARE(g->Cells(0, 300000), QStringLiteral("a"));
        QCOMPARE(g->Cells(0, 1), QStringLiteral("b"));
    }

    void hiddenColumnsKeepTheirTexts() {
        StringGrid g(5, 3);
        g.setColWidths(0, 0);
        g.setCells(0, 1, QStringLiteral("42"));
        QCOMPARE(g.ColWidths(0), 0);
        QCOMPARE(g.Cells(0, 1), QStringLiteral("42"));
        try {
            g.setColWidths(5, 10);
            QFAIL("column 5 of 5 must be refused");
        } catch (const Error& e) {
            QCOMPARE(e.message(), QStringLiteral("Grid index out of range"));
        }
        QCOMPARE(g.ColWidths(4), 64);
    }

    void keyboardMovesFireOnlyOnChange() {
        auto g = grid(30);
        g->setFocus();
        QTest::keyClick(g.get(), Qt::Key_Down);
        QTest::keyClick(g.get(), Qt::Key_Up);
        QTest::keyClick(g.get(), Qt::Key_Up);  // already on the first data row
        QTest::keyClick(g.get(), Qt::Key_PageDown);
        QCOMPARE(log.size(), std::size_t(3));
        QCOMPARE(log[0], QStringLiteral("click 2"));
        QCOMPARE(log[1], QStringLiteral("click 1"));
        QVERIFY(g->Row() > 5);
        QTest::keyClick(g.get(), Qt::Key_PageDown);
        QTest::keyClick(g.get(), Qt::Key_PageDown);
        QTest::keyClick(g.get(), Qt::Key_PageDown);
        QCOMPARE(g->Row(), 29);
    }

    void listFiresOnlyForTheUsersChanges() {
        DropDownList l;
        QStringList seen;
        l.OnChange = [&] { seen << l.Text(); };
        QCOMPARE(l.SelectedIndex(), -1);
        QCOMPARE(l.Text(), QString());
        l.addItem(QStringLiteral("-"));
        l.addItem(QStringLiteral("Vita"));
        l.addItem(QStringLiteral("Mozaik"));
        QCOMPARE(l.SelectedIndex(), -1);
        l.setSelectedIndex(2);
        QCOMPARE(l.Text(), QStringLiteral("Mozaik"));
        l.setSelectedIndex(0);
        QCOMPARE(l.Text(), QStringLiteral("-"));
        QVERIFY(seen.isEmpty());
        l.show();
        l.setFocus();
        QTest::keyClick(&l, Qt::Key_Down);
        QTest::keyClick(&l, Qt::Key_Down);
        QCOMPARE(seen, QStringList({"Vita", "Mozaik"}));
        l.addItem(QStringLiteral("Vita"));  // duplicates allowed, selection stays
        QCOMPARE(l.itemCount(), 4);
        QCOMPARE(l.SelectedIndex(), 2);
        QCOMPARE(seen.size(), 2);
    }

    void typingFindsByAnyPartOfANameWithAccentsAndCaseIgnored() {
        QCOMPARE(TextFinder::fold(QStringLiteral("Őszi SÉTA")), QByteArray("oszi seta"));
        DropDownList l;
        for (const char* item : {"-", "Szerepjáték", "Őszi séta", "Vita", "Ötletbörze"})
            l.addItem(QString::fromUtf8(item));
        l.setSelectedIndex(0);
        QStringList seen;
        l.OnChange = [&] { seen << l.Text(); };
        l.show();
        l.setFocus();
        auto type = [&](const char* letters) { typeText(&l, QString::fromUtf8(letters)); };
        auto pause = [] { QTest::qWait(1100); };
        type("ősz");  // a start first, accents ignored
        QCOMPARE(l.Text(), QStringLiteral("Őszi séta"));
        pause();
        type("SETA");  // else a part
        QCOMPARE(l.Text(), QStringLiteral("Őszi séta"));
        pause();
        type("sz");
        QCOMPARE(l.Text(), QStringLiteral("Szerepjáték"));
        type("x");  // nothing has "szx": the selection stays
        QCOMPARE(l.Text(), QStringLiteral("Szerepjáték"));
        QTest::keyClick(&l, Qt::Key_Backspace);
        QTest::keyClick(&l, Qt::Key_Backspace);
        type("t");  // "st": once typing has begun, Space and letters gather
        QCOMPARE(l.Text(), QStringLiteral("Szerepjáték"));
        pause();
        type("oszi ");
        QCOMPARE(l.Text(), QStringLiteral("Őszi séta"));
        // Each letter selects as it comes: "S", then "SE" (in "séta").
        QCOMPARE(seen, QStringList(
                           {"Őszi séta", "Szerepjáték", "Őszi séta", "Szerepjáték", "Őszi séta"}));
        QVERIFY(!l.view()->isVisible());
    }

    void typingNarrowsTheOpenedList() {
        DropDownList l;
        for (const char* item : {"-", "Szerepjáték", "Őszi séta", "Vita", "Ötletbörze"})
            l.addItem(QString::fromUtf8(item));
        l.setSelectedIndex(0);
        int changes = 0;
        l.OnChange = [&] { ++changes; };
        l.show();
        l.setFocus();
        QTest::keyClick(&l, Qt::Key_Space);  // a Space first opens the list
        QTRY_VERIFY(l.view()->isVisible());
        QTest::keyClicks(l.view(), QStringLiteral("TA"));
        QVERIFY(l.isNarrowed());
        QCOMPARE(l.typed(), QStringLiteral("TA"));
        QCOMPARE(l.view()->model()->rowCount(), 2);  // Őszi séta, Vita
        QCOMPARE(l.Text(), QStringLiteral("-"));     // nothing picked yet
        QCOMPARE(l.itemCount(), 5);
        QTest::keyClicks(l.view(), QStringLiteral("q"));
        QCOMPARE(l.view()->model()->rowCount(), 0);
        QTest::keyClick(l.view(), Qt::Key_Backspace);
        QCOMPARE(l.view()->model()->rowCount(), 2);
        QTest::keyClick(l.view(), Qt::Key_Down);
        QTest::keyClick(l.view(), Qt::Key_Return);
        QTRY_VERIFY(!l.view()->isVisible());
        QCOMPARE(l.Text(), QStringLiteral("Vita"));
        QCOMPARE(l.SelectedIndex(), 3);
        QCOMPARE(changes, 1);
        QCOMPARE(l.view()->model()->rowCount(), 5);
        // Escape keeps the selection.
        l.showPopup();
        QTRY_VERIFY(l.view()->isVisible());
        typeText(l.view(), QStringLiteral("ötlet"));
        QCOMPARE(l.view()->model()->rowCount(), 1);
        QTest::keyClick(l.view(), Qt::Key_Escape);
        QTRY_VERIFY(!l.view()->isVisible());
        QVERIFY(!l.isNarrowed());
        QCOMPARE(l.Text(), QStringLiteral("Vita"));
        QCOMPARE(changes, 1);
    }

    // A 2-pixel ring on the focused control; the grid's rows lighter without the focus.
    void focusCanBeSeen() {
        QWidget w;
        auto* l = new DropDownList(&w);
        auto* b = new PushButton(QStringLiteral("keresés"), &w);
        l->setGeometry(10, 10, 200, 21);
        b->setGeometry(10, 40, 75, 17);
        w.show();
        w.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&w));
        const QColor ring = w.palette().color(QPalette::Active, QPalette::Highlight);
        auto ringed = [&](QWidget* c) {
            const QImage image = c->grab().toImage();
            const int y = image.height() / 2, r = image.width() - 1;
            return image.pixelColor(0, y) == ring && image.pixelColor(1, y) == ring &&
                   image.pixelColor(r, y) == ring && image.pixelColor(r - 1, y) == ring;
        };
        l->setFocus();
        QTRY_VERIFY(l->hasFocus());
        QVERIFY(ringed(l));
        QVERIFY(!ringed(b));
        b->setFocus();
        QTRY_VERIFY(b->hasFocus());
        QVERIFY(ringed(b));
        QVERIFY(!ringed(l));

        auto g = grid(5);
        const QPoint inRow1 = rowPoint(*g, 1) + QPoint(0, 3);
        g->setFocus();
        QTRY_VERIFY(g->hasFocus());
        QCOMPARE(g->viewport()->grab().toImage().pixelColor(inRow1),
                 g->palette().color(QPalette::Highlight));
        g->clearFocus();
        QCOMPARE(g->viewport()->grab().toImage().pixelColor(inRow1), kUnfocusedHighlight);
    }

    void disabledButtonIgnoresMouseAndKeys() {
        PushButton b(QStringLiteral("keresés"));
        int clicks = 0;
        b.OnClick = [&] { ++clicks; };
        b.show();
        QTest::mouseClick(&b, Qt::LeftButton);
        b.setFocus();
        QTest::keyClick(&b, Qt::Key_Space);
        QTest::keyClick(&b, Qt::Key_Return);
        QTRY_COMPARE(clicks, 3);
        b.setEnabled(false);
        QTest::mouseClick(&b, Qt::LeftButton);
        QTest::keyClick(&b, Qt::Key_Space);
        QVERIFY(!b.Enabled());
        QCOMPARE(b.focusPolicy(), Qt::NoFocus);
        QTest::qWait(50);
        QCOMPARE(clicks, 3);
    }

    void labelSizesToItsTextFromItsCorner() {
        TextLabel l(QStringLiteral("0 db"), QFont(), Qt::red);
        l.move(184, 34);
        const int small = l.width();
        l.setCaption(QStringLiteral("1234 db, sokkal hosszabb felirat"));
        QVERIFY(l.width() > small);
        QCOMPARE(l.pos(), QPoint(184, 34));
        l.setCaption(QString());
        QCOMPARE(l.width(), 0);
        l.setCaption(QStringLiteral("&Keresés && más"));
        QCOMPARE(l.displayedText(), QStringLiteral("Keresés & más"));
        QCOMPARE(l.width(),
                 QFontMetrics(l.font()).horizontalAdvance(QStringLiteral("Keresés & más")));
    }

    void panelClickOnlyOnItsOwnSurface() {
        Panel panel(QColor(238, 238, 238), Panel::Border::Line, Qt::red);
        panel.resize(617, 41);
        auto* picture = new Picture(QPixmap(32, 32), &panel);
        picture->setGeometry(8, 4, 33, 33);
        auto* plain = new TextLabel(QStringLiteral("no handler"), QFont(), Qt::red, &panel);
        plain->move(300, 10);
        QStringList seen;
        panel.OnClick = [&] { seen << QStringLiteral("panel"); };
        picture->OnClick = [&] { seen << QStringLiteral("picture"); };
        panel.show();
        QTest::mouseClick(&panel, Qt::LeftButton, {}, QPoint(200, 20));
        QTest::mouseClick(picture, Qt::LeftButton, {}, QPoint(5, 5));
        QTest::mouseClick(plain, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(seen, QStringList({"panel", "picture", "panel"}));
    }

    void errorBoxTextCaptionAndHandlerFailure() {
        QCOMPARE(applicationTitle(QStringLiteral("/usr/bin/kavinto")), QStringLiteral("kavinto"));
        QCOMPARE(applicationTitle(QStringLiteral("C:/Program Files/KAVINTO.EXE")),
                 QStringLiteral("Kavinto"));
        QCOMPARE(applicationTitle(QStringLiteral("/opt/KaVinto.v2.bin")),
                 QStringLiteral("Kavinto"));
        QCOMPARE(errorBoxText(QStringLiteral("Stream read error")),
                 QStringLiteral("Stream read error."));
        QCOMPARE(errorBoxText(QStringLiteral("Kész.")), QStringLiteral("Kész."));
        QCOMPARE(errorBoxText(QStringLiteral("Hiba!")), QStringLiteral("Hiba!"));
        QCOMPARE(errorBoxText(QStringLiteral("(1)")), QStringLiteral("(1)"));
        QCOMPARE(errorBoxText(QString()), QString());

        QStringList shown;
        const ErrorBoxPresenter previous = setErrorBoxPresenter(
            [&](const QString& caption, const QString& text) { shown << caption << text; });
        int after = 0;
        runHandler([&] { throw Error(QStringLiteral("MClientData: Field 'mod_fajl' not found")); });
        runHandler([&] { ++after; });
        setErrorBoxPresenter(previous);
        QCOMPARE(shown, QStringList({applicationTitle(QCoreApplication::applicationFilePath()),
                                     "MClientData: Field 'mod_fajl' not found."}));
        QCOMPARE(after, 1);

        const std::unique_ptr<QMessageBox> box =
            makeErrorBox(QStringLiteral("Kavinto"), QStringLiteral("x."), nullptr);
        box->show();
        QVERIFY(box->width() >= QFontMetrics(QApplication::font("QMdiSubWindowTitleBar"))
                                        .horizontalAdvance(QStringLiteral("Kavinto")) +
                                    160);
        QCOMPARE(box->text(), QStringLiteral("x."));
        QCOMPARE(box->icon(), QMessageBox::Critical);
        QCOMPARE(box->standardButtons(), QMessageBox::Ok);
        QCOMPARE(box->windowModality(), Qt::ApplicationModal);
    }

    void cellTextBreaksAtSpacesOnly() {
        const QFont font(QStringLiteral("Liberation Sans"), 9);
        const QFontMetrics m(font);
        for (const char* word : {"Kerekasztal-beszélgetés-sorozat", "Vita/érvelés/cáfolat"})
            QCOMPARE(CellText(QString::fromUtf8(word), font, 40).lines(),
                     QStringList(QString::fromUtf8(word)));
        QCOMPARE(CellText(QStringLiteral("Vita és érvelés"), font,
                          m.horizontalAdvance(QStringLiteral("Vita és")) + 1)
                     .lines(),
                 QStringList({"Vita és", "érvelés"}));
        QCOMPARE(CellText(QStringLiteral("Ráhangolódás; Motiváció; "), font, 1000).lines(),
                 QStringList("Ráhangolódás; Motiváció; "));
    }

    void buttonPicturesShowTheButtonAroundThem() {
        for (const QPixmap& picture : {exitPicture(), newSearchPicture()}) {
            const QImage image = picture.toImage();
            QCOMPARE(qAlpha(image.pixel(0, image.height() - 1)), 0);
            QCOMPARE(qAlpha(image.pixel(0, 0)), 0);  // the white around the symbol
            QVERIFY(std::any_of(image.constBits(), image.constBits() + image.sizeInBytes(),
                                [](uchar b) { return b != 0; }));
        }
        const QImage icon = documentIcon().toImage();
        QCOMPARE(qAlpha(icon.pixel(0, icon.height() - 1)),
                 255);  // the document icon keeps its grey ground
    }
};

QTEST_MAIN(ControlsTest)
#include "controls_test.moc"
