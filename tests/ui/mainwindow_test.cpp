#include "programfixture.h"
#include "tsplashform.h"

#include <QDir>
#include <QFontDatabase>
#include <QFontInfo>
#include <QWindow>

using namespace kavinto;
using namespace kavinto::test;

class MainWindowTest : public QObject {
    Q_OBJECT

    static void catalogue(Program& p) {
        p.writeMethods(methodsTable(
            {{1, "Ötletbörze", "otletborze.pdf", {1, 2}}, {2, "Vita", "vita.pdf", {2}}}));
        p.writeFunctions(functionsTable({{1, "Ráhangolódás"}, {2, "Motiváció"}}));
    }

private slots:
    void everyControlAtItsDesignedPlace() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        TForm1& f = *p.form;
        QCOMPARE(f.windowTitle(), QStringLiteral("VELOR! Tarmeni"));
        const struct {
            QWidget* w;
            QRect designed;
        } controls[] = {
            {f.Image1, {0, 0, 641, 73}},          {f.Panel1, {0, 72, 641, 361}},
            {f.Panel2, {296, -32, 641, 361}},     {f.LMDSimplePanel1, {104, 56, 425, 169}},
            {f.list_modszer, {112, 32, 289, 21}}, {f.list_func1, {112, 56, 265, 21}},
            {f.list_func2, {112, 80, 265, 21}},   {f.list_func3, {112, 104, 265, 21}},
            {f.search, {112, 136, 75, 17}},       {f.LMDButton1, {520, 320, 113, 33}},
            {f.LMDButton2, {8, 320, 113, 33}},    {f.LMDSimplePanel2, {8, 8, 617, 17}},
            {f.Strgrid, {8, 64, 617, 232}},       {f.back, {8, 32, 75, 17}},
            {f.pdf_panel, {8, 312, 617, 41}},     {f.pdf_image, {8, 4, 33, 33}},
        };
        for (const auto& c : controls) QCOMPARE(c.w->geometry(), c.designed);
        const struct {
            TextLabel* l;
            QPoint at;
            const char* text;
            int pixels;
            bool bold;
            QColor color;
        } labels[] = {
            {f.LMDSimpleLabel6,
             {8, 16},
             " Az alábbiakban keresési feltételek megadásával leszűkítheti a kavinto adatbázisát, "
             "hogy",
             13,
             false,
             QColor(0, 0, 128)},
            {f.LMDSimpleLabel7,
             {10, 32},
             "könnyebben megtalálja az Önnek legmegfelelőbbet.",
             13,
             false,
             QColor(0, 0, 128)},
            {f.errorlabel,
             {168, 240},
             "Adjon meg legalább egy keresési feltételt!",
             13,
             true,
             QColor(255, 0, 0)},
            {f.LMDSimpleLabel1,
             {8, 8},
             "Adja meg a keresési szempontokat!",
             13,
             true,
             QColor(0, 0, 128)},
            {f.LMDSimpleLabel2, {8, 32}, "Módszer neve:", 13, false, QColor(0, 0, 128)},
            {f.LMDSimpleLabel3, {8, 56}, "1. funkció:", 13, false, QColor(0, 0, 128)},
            {f.LMDSimpleLabel4, {8, 80}, "2. funkció:", 13, false, QColor(0, 0, 128)},
            {f.LMDSimpleLabel5, {8, 104}, "3. funkció:", 13, false, QColor(0, 0, 128)},
            {f.LMDSimpleLabel8, {8, 0}, "Keresési eredmények:", 13, true, QColor(255, 255, 255)},
            {f.LMDSimpleLabel9, {96, 34}, "Találatok száma:", 11, false, QColor(0, 0, 128)},
            {f.countlabel, {184, 34}, "0 db", 11, true, QColor(0, 0, 128)},
            {f.pdf_label, {48, 14}, "", 11, false, QColor(255, 0, 0)},
        };
        for (const auto& l : labels) {
            QCOMPARE(l.l->pos(), l.at);
            QCOMPARE(l.l->Caption(), QString::fromUtf8(l.text));
            QCOMPARE(l.l->font().pixelSize(), l.pixels);
            QCOMPARE(l.l->font().bold(), l.bold);
        }
        QCOMPARE(f.search->text(), QStringLiteral("keresés"));
        QCOMPARE(f.back->text(), QStringLiteral("vissza"));
        QCOMPARE(f.LMDButton1->text(), QStringLiteral("Kilépés"));
        QCOMPARE(f.LMDButton2->text(), QStringLiteral("Új keresés"));
        QVERIFY(!f.LMDButton1->icon().isNull());
        QVERIFY(f.search->icon().isNull());
        QCOMPARE(f.list_modszer->DropDownCount(), 20);
        QCOMPARE(f.list_func3->DropDownCount(), 14);
        QCOMPARE(f.Image1->picture().deviceIndependentSize().toSize(), QSize(640, 73));
        QCOMPARE(f.pdf_image->picture().deviceIndependentSize().toSize(), QSize(32, 32));
        QCOMPARE(f.pdf_panel->cursor().shape(), Qt::PointingHandCursor);
        QCOMPARE(f.pdf_label->cursor().shape(), Qt::PointingHandCursor);
        // After creation and activation.
        QVERIFY(f.Panel1->isVisible());
        QVERIFY(!f.Panel2->isVisible());
        QVERIFY(!f.errorlabel->isVisible());
        QCOMPARE(f.Strgrid->RowCount(), 10);
        QCOMPARE(f.Strgrid->Cells(2, 0), QStringLiteral("Módszer"));
        QCOMPARE(f.Strgrid->Cells(3, 0), QStringLiteral("Funkció"));
        const int widths[] = {0, 51, 150, 393, 0};
        for (int c = 0; c < 5; ++c) QCOMPARE(f.Strgrid->ColWidths(c), widths[c]);
    }

    void outerSizeStaysFixed() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        TForm1& f = *p.form;
        QCOMPARE(f.Width(), 646);
        QCOMPARE(f.Height(), 460);
        if (f.windowHandle()->frameMargins().isNull())
            QCOMPARE(f.size(), QSize(640, 431));
        f.showMaximized();
        QTest::qWait(50);
        QCOMPARE(f.Width(), 646);
        QCOMPARE(f.Height(), 460);
        f.resize(800, 600);
        QCOMPARE(f.Width(), 646);
        f.setWidth(646);  // the same value: nothing happens
        QCOMPARE(f.Width(), 646);
    }

    void tabOrderAndFirstFocus() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        TForm1& f = *p.form;
        QTRY_COMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.list_modszer));
        const QWidget* searchPage[] = {f.list_func1, f.list_func2, f.list_func3,  f.search,
                                       f.LMDButton1, f.LMDButton2, f.list_modszer};
        for (const QWidget* next : searchPage) {
            QTest::keyClick(QApplication::focusWidget(), Qt::Key_Tab);
            QCOMPARE(QApplication::focusWidget(), next);
        }
        p.choose(f.list_modszer, QStringLiteral("Vita"));
        p.click(f.search);
        QVERIFY(f.Panel2->isVisible());
        f.Strgrid->setFocus();
        QTest::keyClick(f.Strgrid, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.back));
        QTest::keyClick(f.back, Qt::Key_Tab);
        QCOMPARE(QApplication::focusWidget(), static_cast<QWidget*>(f.Strgrid));
    }

    void activationRunsOncePerRun() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        QCOMPARE(p.items(p.form->list_modszer).size(), 3);
        QWidget other;
        other.show();
        other.activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(&other));
        p.form->activateWindow();
        QVERIFY(QTest::qWaitForWindowActive(p.form.get()));
        QCOMPARE(p.items(p.form->list_modszer).size(), 3);  // not loaded twice
    }

    void splashIsBorderlessAndNeverTheMainWindow() {
        Tsplashform splash;
        QCOMPARE(splash.size(), QSize(600, 400));
        QVERIFY(splash.windowFlags() & Qt::FramelessWindowHint);
        QCOMPARE(splash.Width(), 600);
        QCOMPARE(splash.Image1->picture().deviceIndependentSize().toSize(), QSize(600, 400));
        QVERIFY(!splash.testAttribute(Qt::WA_QuitOnClose));
        splash.showAndPaint();
        QVERIFY(splash.isVisible());
        splash.hide();
        QVERIFY(!splash.isVisible());
    }

    // At any density: the designed geometry in device-independent pixels,
    // pictures drawn for the density, and no text cut short.
    void denseScreensKeepTheLayoutSharpAndWhole() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        TForm1& f = *p.form;
        const qreal ratio = f.devicePixelRatio() >= 1.5 ? 2 : 1;
        QCOMPARE(f.Strgrid->geometry(), QRect(8, 64, 617, 232));
        QCOMPARE(f.Image1->picture().deviceIndependentSize().toSize(), QSize(640, 73));
        for (const QPixmap& picture : {f.Image1->picture(), f.pdf_image->picture(),
                                       f.LMDButton1->icon().pixmap(QSize(20, 20))})
            QCOMPARE(picture.devicePixelRatio(), ratio);
        for (const TextLabel* l : f.findChildren<TextLabel*>())
            QVERIFY2(l->width() >= QFontMetrics(l->font()).horizontalAdvance(l->displayedText()),
                     qPrintable(l->Caption()));
        for (const PushButton* b : f.findChildren<PushButton*>()) {
            const int needed = QFontMetrics(b->font()).horizontalAdvance(b->text()) +
                               (b->icon().isNull() ? 0 : 24);
            QVERIFY2(needed < b->width(), qPrintable(b->text()));
        }
        // A line border sits on the panel's own last device pixels.
        const QImage box = f.LMDSimplePanel1->grab().toImage();
        const QColor red(255, 0, 0);
        QCOMPARE(box.pixelColor(box.width() - 1, box.height() / 2), red);
        QCOMPARE(box.pixelColor(box.width() / 2, box.height() - 1), red);
        QCOMPARE(box.pixelColor(box.width() - 1 - int(ratio), box.height() / 2) == red, false);
    }

    // Every caption in an outline face (a bitmap one has a few sizes only and
    // outgrows its box), and no caption running into its neighbour.
    void captionsKeepTheirPlacesInOutlineFaces() {
        Program p;
        catalogue(p);
        QVERIFY(p.start());
        TForm1& f = *p.form;
        p.choose(f.list_func1, QStringLiteral("Motiváció"));
        p.click(f.search);
        for (const QWidget* w : f.findChildren<QWidget*>()) {
            const QFontInfo face(w->font());
            QVERIFY2(QFontDatabase::isSmoothlyScalable(face.family(), face.styleName()),
                     qPrintable(QLatin1String(w->metaObject()->className()) + QLatin1Char(' ') +
                                face.family()));
        }
        const QList<TextLabel*> labels = f.findChildren<TextLabel*>();
        for (const TextLabel* a : labels) {
            QVERIFY2(a->geometry().right() < a->parentWidget()->width(), qPrintable(a->Caption()));
            for (const TextLabel* b : labels) {
                const bool sameLine =
                    a != b && a->parentWidget() == b->parentWidget() && qAbs(a->y() - b->y()) <= 3;
                QVERIFY2(
                    !sameLine || a->geometry().right() < b->x() || b->geometry().right() < a->x(),
                    qPrintable(a->Caption() + QStringLiteral(" / ") + b->Caption()));
            }
        }
    }

    // Writes the pictures of the two pages that the README shows.
    void rendersThePagesToPng() {
        Program p;
        p.writeMethods(methodsTable({{1, "Ötletbörze", "otletborze.pdf", {1, 2, 15}},
                                     {2, "Szerepjáték", "szerepjatek.pdf", {2, 6}},
                                     {3, "Dramatizálás", "dramatizalas.pdf", {2, 6, 15}}}));
        p.writeFunctions(functionsTable({{1, "Ráhangolódás"},
                                         {2, "Motiváció"},
                                         {6, "Megértés elmélyítése"},
                                         {15, "Kreativitás fejlesztése"}}));
        QVERIFY(p.start());
        const QDir out(QStringLiteral(KAVINTO_SCREENSHOT_DIR));
        out.mkpath(QStringLiteral("."));
        // Run at QT_SCALE_FACTOR=2 too: the pictures of a screen of twice the density.
        const QString suffix =
            p.form->devicePixelRatio() >= 2 ? QStringLiteral("@2x.png") : QStringLiteral(".png");
        QVERIFY(p.form->grab().save(out.filePath(QStringLiteral("search-page") + suffix)));
        p.choose(p.form->list_func1, QStringLiteral("Motiváció"));
        p.click(p.form->search);
        QVERIFY(p.form->grab().save(out.filePath(QStringLiteral("results-page") + suffix)));
        QVERIFY(
            !p.form->Strgrid->verticalScrollBar()->isVisibleTo(p.form.get()));  // three rows fit
    }
};

QTEST_MAIN(MainWindowTest)
#include "mainwindow_test.moc"
