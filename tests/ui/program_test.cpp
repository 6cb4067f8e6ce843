#include "binarypacketwriter.h"
#include "programfixture.h"
#include "records.h"

#include <QAbstractItemView>
#include <QAccessible>
#include <QFile>

using namespace kavinto;
using namespace kavinto::test;

namespace {

const std::vector<std::pair<int, const char*>> kFunctions = {
    {1, "Ráhangolódás"},   {2, "Motiváció"}, {3, "Csoportalakítás"},
    {5, "Ismeretszerzés"}, {7, "Gyakorlás"}, {18, "Tizennyolcadik"}};

const std::vector<MethodRow> kMethods = {
    {10, "Vita", "vita.pdf", {2, 5}},
    {3, "Ötletbörze", "otletborze.pdf", {1, 2, 7}},
    {7, "Csoportmunka", "csoportmunka.pdf", {2, 3, 5}},
    {4, "Cikk-cakk", "cikk_cakk.pdf", {3, 5}},
    {2, "Állomásos tanulás", "allomasos.pdf", {2, 3, 5, 7}},
    {9, "Szabad beszélgetés", "szabad.pdf", {}},
    {1, "Mozaik", "", {2}},
};

}  // namespace

class ProgramTest : public QObject {
    Q_OBJECT

    std::unique_ptr<Program> started(
        const std::vector<MethodRow>& methods = kMethods,
        const std::vector<std::pair<int, const char*>>& functions = kFunctions) {
        auto p = std::make_unique<Program>();
        p->writeMethods(methodsTable(methods));
        p->writeFunctions(functionsTable(functions));
        if (!p->start())
            return nullptr;
        return p;
    }

    // Chooses the functions (nullptr: leave at "-") and searches.
    void searchFunctions(Program& p, const char* f1, const char* f2 = nullptr,
                         const char* f3 = nullptr) {
        DropDownList* lists[] = {p.form->list_func1, p.form->list_func2, p.form->list_func3};
        const char* names[] = {f1, f2, f3};
        for (int i = 0; i < 3; ++i)
            if (names[i])
                p.choose(lists[i], QString::fromUtf8(names[i]));
        p.click(p.form->search);
    }

    static QStringList names(const Program& p) {
        QStringList out;
        for (int r = 1; r < p.form->Strgrid->RowCount(); ++r) out << p.form->Strgrid->Cells(2, r);
        return out;
    }

private slots:
    void loadsTheListsOnFirstActivation() {
        auto p = started();
        QVERIFY(p);
        TForm1& f = *p->form;
        QCOMPARE(p->items(f.list_modszer),
                 QStringList({"-", "Vita", "Ötletbörze", "Csoportmunka", "Cikk-cakk",
                              "Állomásos tanulás", "Szabad beszélgetés", "Mozaik"}));
        const QStringList functions = {
            "-",         "Csoportalakítás", "Gyakorlás",     "Ismeretszerzés",
            "Motiváció", "Ráhangolódás",    "Tizennyolcadik"};
        QCOMPARE(p->items(f.list_func1), functions);
        QCOMPARE(p->items(f.list_func2), functions);
        QCOMPARE(p->items(f.list_func3), functions);
        for (DropDownList* l : {f.list_modszer, f.list_func1, f.list_func2, f.list_func3})
            QCOMPARE(l->Text(), QStringLiteral("-"));
        QVERIFY(!f.errorlabel->isVisible());
        QVERIFY(p->errors.isEmpty());
        QVERIFY(f.search->Enabled());
    }

    void aMissingFileDisablesSearching_data() {
        QTest::addColumn<bool>("methods");
        QTest::addColumn<bool>("functions");
        QTest::addColumn<QString>("message");
        QTest::newRow("methods missing")
            << false << true << "Hiányzik a data/kavinto_modszerek.cds file!";
        QTest::newRow("functions missing")
            << true << false << "Hiányzik a data/kavinto_funkciok.cds file!";
        QTest::newRow("both missing")
            << false << false << "Hiányzik a data/kavinto_modszerek.cds file!";
    }
    void aMissingFileDisablesSearching() {
        QFETCH(bool, methods);
        QFETCH(bool, functions);
        QFETCH(QString, message);
        Program p;
        if (methods)
            p.writeMethods(methodsTable(kMethods));
        if (functions)
            p.writeFunctions(functionsTable(kFunctions));
        if (!functions)  // a folder of that name does not count
            QDir().mkpath(p.dir.path(QStringLiteral("data/kavinto_funkciok.cds")));
        QVERIFY(p.start());
        TForm1& f = *p.form;
        QVERIFY(f.errorlabel->isVisible());
        QCOMPARE(f.errorlabel->Caption(), message);
        QVERIFY(!f.search->Enabled());
        QVERIFY(!f.LMDButton2->Enabled());
        QVERIFY(f.LMDButton1->Enabled());
        QCOMPARE(f.list_modszer->itemCount(), 0);
        QCOMPARE(f.list_func1->itemCount(), 0);
    }

    void aFailingLoadKeepsWhatWasDone() {
        Program p;
        p.writeMethods(methodsTable(kMethods));
        p.dir.write(QStringLiteral("data/kavinto_funkciok.cds"), QByteArray("\x78\x9c", 2));
        QVERIFY(p.start());
        TForm1& f = *p.form;
        QCOMPARE(p.errors, QStringList({"Stream read error."}));
        QCOMPARE(f.list_modszer->itemCount(), 8);  // the methods were loaded before
        QCOMPARE(f.list_modszer->SelectedIndex(), -1);
        QCOMPARE(f.list_func1->itemCount(), 0);
        QVERIFY(!f.errorlabel->isVisible());
        QVERIFY(f.search->Enabled());
        QVERIFY(p.data.MClientData.Active());
        QVERIFY(!p.data.FClientData.Active());
    }

    void aSearchAfterAFailedMethodsLoadReachesTheClosedTable() {
        Program p;
        p.dir.write(QStringLiteral("data/kavinto_modszerek.cds"), QByteArray("not a zlib stream"));
        p.writeFunctions(functionsTable(kFunctions));
        QVERIFY(p.start());
        QCOMPARE(p.errors, QStringList({"Error."}));
        QCOMPARE(p.form->list_modszer->Text(), QString());  // no selection: both tests pass
        p.click(p.form->search);
        QCOMPARE(p.errors.back(),
                 QStringLiteral("MClientData: Cannot perform this operation on a closed dataset."));
        QVERIFY(p.form->Panel1->isVisible());
    }

    void refusalsAndTheirMessages() {
        auto p = started();
        TForm1& f = *p->form;
        p->click(f.search);
        QVERIFY(f.errorlabel->isVisible());
        QCOMPARE(f.errorlabel->Caption(),
                 QStringLiteral("Adjon meg legalább egy keresési feltételt!"));
        QVERIFY(f.Panel1->isVisible());
        QVERIFY(!f.Panel2->isVisible());
        QCOMPARE(f.countlabel->Caption(), QStringLiteral("0 db"));
        QCOMPARE(f.Strgrid->RowCount(), 2);
        QVERIFY(workingRecords.hit_list.front().nev.isEmpty());

        p->choose(f.list_func3, QStringLiteral("Gyakorlás"));
        QVERIFY(!f.errorlabel->isVisible());  // a change hides it
        p->choose(f.list_func2, QStringLiteral("Motiváció"));
        p->click(f.search);
        QCOMPARE(f.errorlabel->Caption(), QStringLiteral("Adja meg sorrendben a funkciókat!"));
        QVERIFY(f.errorlabel->isVisible());
        p->click(f.LMDButton2);  // the new search resets the lists but keeps the message
        QVERIFY(f.errorlabel->isVisible());
        QCOMPARE(f.list_func2->Text(), QStringLiteral("-"));
        p->choose(f.list_modszer, QStringLiteral("Vita"));
        QVERIFY(!f.errorlabel->isVisible());
    }

    void methodLookupShowsTheMethodWithAllItsFunctions() {
        auto p = started();
        TForm1& f = *p->form;
        p->choose(f.list_func2, QStringLiteral("Gyakorlás"));  // ignored with a method chosen
        p->choose(f.list_modszer, QStringLiteral("Állomásos tanulás"));
        p->click(f.search);
        QVERIFY(!f.Panel1->isVisible());
        QVERIFY(f.Panel2->isVisible());
        QCOMPARE(f.Panel2->pos(), QPoint(0, 72));
        QCOMPARE(f.countlabel->Caption(), QStringLiteral("1 db"));
        QCOMPARE(f.Strgrid->RowCount(), 2);
        QCOMPARE(
            p->row(1),
            QStringLiteral("2|1.|Állomásos tanulás|Motiváció; Csoportalakítás; Ismeretszerzés; "
                           "Gyakorlás; |allomasos.pdf"));
        QVERIFY(f.pdf_panel->isVisible());
        QCOMPARE(f.pdf_label->Caption(), QStringLiteral("allomasos.pdf"));

        p->click(f.back);
        p->choose(f.list_modszer, QStringLiteral("Szabad beszélgetés"));
        p->click(f.search);
        QCOMPARE(p->row(1), QStringLiteral("9|1.|Szabad beszélgetés||szabad.pdf"));
    }

    void functionSearches_data() {
        QTest::addColumn<QStringList>("chosen");  // first, second, third; "" leaves "-"
        QTest::addColumn<QStringList>("expected");
        QTest::newRow("one") << QStringList{"Motiváció", "", ""}
                             << QStringList{"Állomásos tanulás", "Csoportmunka", "Mozaik",
                                            "Ötletbörze", "Vita"};
        QTest::newRow("two") << QStringList{"Motiváció", "Ismeretszerzés", ""}
                             << QStringList{"Állomásos tanulás", "Csoportmunka", "Vita"};
        QTest::newRow("three") << QStringList{"Motiváció", "Ismeretszerzés", "Gyakorlás"}
                               << QStringList{"Állomásos tanulás"};
        QTest::newRow("first and third")
            << QStringList{"Csoportalakítás", "", "Gyakorlás"} << QStringList{"Állomásos tanulás"};
        QTest::newRow("same twice")
            << QStringList{"Ráhangolódás", "Ráhangolódás", ""} << QStringList{"Ötletbörze"};
        QTest::newRow("served by none") << QStringList{"Tizennyolcadik", "", ""} << QStringList{};
        QTest::newRow("outside 1-17 second")
            << QStringList{"Motiváció", "Tizennyolcadik", ""} << QStringList{};
    }
    void functionSearches() {
        QFETCH(QStringList, chosen);
        QFETCH(QStringList, expected);
        auto p = started();
        TForm1& f = *p->form;
        auto pick = [&](int i) { return chosen[i].isEmpty() ? QByteArray() : chosen[i].toUtf8(); };
        const QByteArray a = pick(0), b = pick(1), c = pick(2);
        searchFunctions(*p, a.isEmpty() ? nullptr : a.constData(),
                        b.isEmpty() ? nullptr : b.constData(),
                        c.isEmpty() ? nullptr : c.constData());
        QVERIFY(f.Panel2->isVisible());
        QCOMPARE(f.countlabel->Caption(), QStringLiteral("%1 db").arg(expected.size()));
        QCOMPARE(f.Strgrid->isVisible(), !expected.isEmpty());
        QCOMPARE(f.pdf_panel->isVisible(), !expected.isEmpty());
        if (!expected.isEmpty()) {
            QCOMPARE(names(*p), expected);  // Hungarian order: Á with A, Cs after C, Ö after O
            for (int r = 1; r <= int(expected.size()); ++r)
                QCOMPARE(f.Strgrid->Cells(1, r), QStringLiteral("%1.").arg(r));
        }
    }

    void resultRowsListEveryFunctionOfTheMethod() {
        auto p = started();
        searchFunctions(*p, "Csoportalakítás");
        QCOMPARE(
            p->row(1),
            QStringLiteral("2|1.|Állomásos tanulás|Motiváció; Csoportalakítás; Ismeretszerzés; "
                           "Gyakorlás; |allomasos.pdf"));
        QCOMPARE(p->row(2),
                 QStringLiteral("4|2.|Cikk-cakk|Csoportalakítás; Ismeretszerzés; |cikk_cakk.pdf"));
        QCOMPARE(p->row(3),
                 QStringLiteral("7|3.|Csoportmunka|Motiváció; Csoportalakítás; Ismeretszerzés; "
                                "|csoportmunka.pdf"));
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral("allomasos.pdf"));
    }

    void moreThanAHundredHitsAreAllShown() {
        std::vector<MethodRow> many;
        std::vector<QByteArray> names;
        for (int i = 1; i <= 150; ++i)
            names.push_back(QStringLiteral("Módszer %1").arg(i, 3, 10, QLatin1Char('0')).toUtf8());
        for (int i = 1; i <= 150; ++i)
            many.push_back({i, names[std::size_t(i - 1)].constData(), "m.pdf", {1, 2}});
        auto p = started(many);
        searchFunctions(*p, "Ráhangolódás", "Motiváció");
        QCOMPARE(p->form->countlabel->Caption(), QStringLiteral("150 db"));
        QCOMPARE(p->form->Strgrid->RowCount(), 151);
        QVERIFY(p->form->Strgrid->verticalScrollBar()->isVisibleTo(p->form.get()));
        QCOMPARE(p->row(150),
                 QStringLiteral("150|150.|Módszer 150|Ráhangolódás; Motiváció; |m.pdf"));
    }

    void recordsSharingAnIdStayApart() {
        auto p = started({{7, "Vita", "vita.pdf", {2}},
                          {7, "Mozaik", "mozaik.pdf", {2, 3}},
                          {8, "Kvíz", "k.pdf", {3}}});
        searchFunctions(*p, "Motiváció");
        QCOMPARE(p->form->countlabel->Caption(), QStringLiteral("2 db"));
        QCOMPARE(p->row(1), QStringLiteral("7|1.|Mozaik|Motiváció; Csoportalakítás; |mozaik.pdf"));
        QCOMPARE(p->row(2), QStringLiteral("7|2.|Vita|Motiváció; |vita.pdf"));
        p->click(p->form->back);
        p->choose(p->form->list_func2, QStringLiteral("Csoportalakítás"));
        p->click(p->form->search);
        QCOMPARE(p->form->countlabel->Caption(), QStringLiteral("1 db"));
        QCOMPARE(p->row(1), QStringLiteral("7|1.|Mozaik|Motiváció; Csoportalakítás; |mozaik.pdf"));
    }

    void aFlaggedFunctionTheTableLacksAddsNothing() {
        auto p = started({{1, "Vita", "vita.pdf", {2, 4, 5}}});  // no function 4
        searchFunctions(*p, "Motiváció");
        QCOMPARE(p->row(1), QStringLiteral("1|1.|Vita|Motiváció; Ismeretszerzés; |vita.pdf"));
    }

    void aLookupThatFindsNothingShowsNoStaleRow() {
        auto p = started();
        searchFunctions(*p, "Motiváció");
        p->click(p->form->back);
        p->choose(p->form->list_modszer, QStringLiteral("Vita"));
        // The catalogue changes under the program.
        p->data.MClientData.LoadPacket(
            encodeBinaryPacket(methodsTable({{1, "Mozaik", "m.pdf", {2}}})));
        p->click(p->form->search);
        QVERIFY(p->form->Panel2->isVisible());
        QCOMPARE(p->form->countlabel->Caption(), QStringLiteral("0 db"));
        QVERIFY(!p->form->Strgrid->isVisible());
        QVERIFY(!p->form->pdf_panel->isVisible());
    }

    void aTableFailureEndsTheSearchInTheErrorBox() {
        Program p;
        Packet methods = methodsTable(kMethods);
        methods.fields[2].name =
            QStringLiteral("mod_file");  // the designed name, not the catalogue's
        p.writeMethods(methods);
        p.writeFunctions(functionsTable(kFunctions));
        QVERIFY(p.start());
        p.choose(p.form->list_func1, QStringLiteral("Ráhangolódás"));
        p.click(p.form->search);
        QCOMPARE(p.errors, QStringList({"MClientData: Field 'mod_fajl' not found."}));
        QCOMPARE(p.form->countlabel->Caption(), QStringLiteral("1 db"));  // done before the failure
        p.click(p.form->LMDButton1);                                      // the program goes on
        QCOMPARE(p.terminations, 1);
    }

    void rowClicksShowTheirDocumentName() {
        auto p = started();
        searchFunctions(*p, "Motiváció");
        StringGrid* g = p->form->Strgrid;
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rowRect(3).center());
        QCOMPARE(g->Row(), 3);
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral(""));  // Mozaik has no document name
        QVERIFY(p->form->pdf_panel->isVisible());
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rowRect(2).center());
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral("csoportmunka.pdf"));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {}, g->rowRect(0).center());
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral("csoportmunka.pdf"));
        QTest::mouseClick(g->viewport(), Qt::LeftButton, {},
                          QPoint(50, g->viewport()->height() - 3));
        QCOMPARE(g->Row(), 2);
        doubleClick(g->viewport(), g->rowRect(4).center());
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral("otletborze.pdf"));
        // A new search starts again at row 1.
        p->click(p->form->back);
        p->click(p->form->search);
        QCOMPARE(g->Row(), 1);
        QCOMPARE(p->form->pdf_label->Caption(), QStringLiteral("allomasos.pdf"));
    }

    void backNewSearchAndExit() {
        auto p = started();
        TForm1& f = *p->form;
        searchFunctions(*p, "Motiváció", "Ismeretszerzés");
        const QString first = p->row(1);
        p->click(f.back);
        QVERIFY(f.Panel1->isVisible());
        QVERIFY(!f.Panel2->isVisible());
        QCOMPARE(f.Panel2->pos(), QPoint(0, 72));
        QCOMPARE(f.list_func2->Text(), QStringLiteral("Ismeretszerzés"));
        p->click(f.search);
        QCOMPARE(p->row(1), first);
        p->click(f.back);
        p->click(f.LMDButton2);
        for (DropDownList* l : {f.list_modszer, f.list_func1, f.list_func2, f.list_func3})
            QCOMPARE(l->Text(), QStringLiteral("-"));
        QCOMPARE(p->terminations, 0);
        p->click(f.LMDButton1);
        QCOMPARE(p->terminations, 1);
    }

    void noHiddenControlKeepsTheFocus() {
        auto p = started();
        TForm1& f = *p->form;
        // Keys go where the window's focus is.
        auto space = [&] { QTest::keyClick(f.focusWidget(), Qt::Key_Space); };
        p->choose(f.list_modszer, QStringLiteral("Mozaik"));  // its document is missing
        f.search->setFocus();
        space();
        QVERIFY(f.Panel2->isVisible());
        QCOMPARE(f.focusWidget(), f.Strgrid);
        p->click(f.pdf_panel);
        const QString message = f.pdf_label->Caption();
        QVERIFY(message.startsWith(QStringLiteral("Hiányzik")));
        space();  // no search again: the message stays
        QCOMPARE(f.pdf_label->Caption(), message);
        f.back->setFocus();
        space();
        QVERIFY(f.Panel1->isVisible());
        QCOMPARE(f.focusWidget(), f.list_modszer);
        space();  // not back again, nor a change of the list
        QVERIFY(f.Panel1->isVisible());
    }

    void documentPanelIconAndLabelOpenTheDocument() {
        auto p = started();
        p->writeDocument(QStringLiteral("allomasos.pdf"));
        TForm1& f = *p->form;
        searchFunctions(*p, "Csoportalakítás");
        p->click(f.pdf_panel);
        p->click(f.pdf_image);
        QTest::mouseClick(f.pdf_label, Qt::LeftButton, {}, QPoint(2, 2));
        QCOMPARE(p->opened,
                 QStringList({"pdf/allomasos.pdf", "pdf/allomasos.pdf", "pdf/allomasos.pdf"}));
        QCOMPARE(f.pdf_label->Caption(), QStringLiteral("allomasos.pdf"));

        QTest::mouseClick(f.Strgrid->viewport(), Qt::LeftButton, {},
                          f.Strgrid->rowRect(2).center());
        p->click(f.pdf_panel);
        QCOMPARE(f.pdf_label->Caption(), QStringLiteral("Hiányzik a pdf/cikk_cakk.pdf nevű file!"));
        p->writeDocument(QStringLiteral("cikk_cakk.pdf"));
        p->click(f.pdf_panel);  // put in place meanwhile: opened now
        QCOMPARE(p->opened.size(), 4);
        QCOMPARE(p->opened.back(), QStringLiteral("pdf/cikk_cakk.pdf"));
    }

    void keysMoveInTheGridAndOpenTheDocument() {
        auto p = started();
        p->writeDocument(QStringLiteral("allomasos.pdf"));
        TForm1& f = *p->form;
        searchFunctions(*p, "Csoportalakítás");
        QCOMPARE(f.focusWidget(), f.Strgrid);
        const int last = f.Strgrid->RowCount() - 1;
        QTest::keyClick(f.Strgrid, Qt::Key_End);
        QCOMPARE(f.Strgrid->Row(), last);
        QTest::keyClick(f.Strgrid, Qt::Key_Home, Qt::ControlModifier);
        QCOMPARE(f.Strgrid->Row(), 1);
        QTest::keyClick(f.Strgrid, Qt::Key_Return);
        QTest::keyClick(f.Strgrid, Qt::Key_Enter, Qt::KeypadModifier);
        QTest::keyClick(f.Strgrid, Qt::Key_Space);
        QCOMPARE(p->opened, QStringList(3, QStringLiteral("pdf/allomasos.pdf")));
        QTest::keyClick(f.Strgrid, Qt::Key_End, Qt::ControlModifier);
        QTest::keyClick(f.Strgrid, Qt::Key_Return);
        QCOMPARE(f.pdf_label->Caption(), QStringLiteral("Hiányzik a pdf/") +
                                             f.Strgrid->Cells(4, last) +
                                             QStringLiteral(" nevű file!"));
    }

    void assistiveTechnologySeesRolesNamesAndTheTable() {
        auto p = started();
        TForm1& f = *p->form;
        auto iface = [](QObject* o) { return QAccessible::queryAccessibleInterface(o); };
        const struct {
            QObject* control;
            QAccessible::Role role;
            QString name;
        } controls[] = {
            {&f, QAccessible::Window, "VELOR! Tarmeni"},
            {f.Panel1, QAccessible::Grouping, {}},
            {f.LMDSimplePanel1, QAccessible::Grouping, {}},
            {f.pdf_panel, QAccessible::Grouping, {}},
            {f.Image1, QAccessible::Graphic, "VELOR! Tarmeni"},
            {f.pdf_image, QAccessible::Graphic, "PDF dokumentum"},
            {f.LMDSimpleLabel1, QAccessible::StaticText, "Adja meg a keresési szempontokat!"},
            {f.errorlabel, QAccessible::Notification, f.errorlabel->displayedText()},
            {f.list_modszer, QAccessible::ComboBox, "Módszer neve:"},
            {f.list_func3, QAccessible::ComboBox, "3. funkció:"},
            {f.Strgrid, QAccessible::Table, "Keresési eredmények"},
        };
        for (const auto& c : controls) {
            QCOMPARE(iface(c.control)->role(), c.role);
            QCOMPARE(iface(c.control)->text(QAccessible::Name), c.name);
        }
        const auto labels = iface(f.list_func1)->relations(QAccessible::Label);
        QCOMPARE(labels.size(), 1);
        QCOMPARE(labels.front().first->object(), f.LMDSimpleLabel3);
        // "-" is shown, and told as what it means.
        QCOMPARE(f.list_func1->Text(), QStringLiteral("-"));
        QCOMPARE(iface(f.list_func1)->text(QAccessible::Value),
                 QStringLiteral("nincs kiválasztva"));
        QCOMPARE(f.list_func1->view()->model()->index(0, 0).data(Qt::AccessibleTextRole).toString(),
                 QStringLiteral("nincs kiválasztva"));

        p->writeDocument(QStringLiteral("allomasos.pdf"));
        searchFunctions(*p, "Csoportalakítás");
        QAccessibleTableInterface* table = iface(f.Strgrid)->tableInterface();
        QCOMPARE(table->rowCount(), f.Strgrid->RowCount() - 1);
        QList<int> shown;  // the columns with a width
        for (int c = 0; c < f.Strgrid->ColCount(); ++c)
            if (f.Strgrid->ColWidths(c) > 0)
                shown << c;
        QCOMPARE(table->columnCount(), shown.size());
        for (int c = 0; c < shown.size(); ++c) {
            QCOMPARE(table->columnDescription(c), f.Strgrid->Cells(shown[c], 0));
            for (int r = 0; r < table->rowCount(); ++r)
                QCOMPARE(table->cellAt(r, c)->text(QAccessible::Name),
                         f.Strgrid->Cells(shown[c], r + 1));
        }
        QCOMPARE(table->selectedRows(), QList<int>{0});
        QTest::keyClick(f.Strgrid, Qt::Key_Down);
        QCOMPARE(table->selectedRows(), QList<int>{1});
        QVERIFY(iface(f.Strgrid)->focusChild()->tableCellInterface()->isSelected());
        // The focus stands on the method's name; the count is said once, with its caption.
        QCOMPARE(iface(f.Strgrid)->focusChild()->text(QAccessible::Name), f.Strgrid->Cells(2, 2));
        QCOMPARE(iface(f.countlabel)->text(QAccessible::Name),
                 QStringLiteral("Találatok száma: ") + f.countlabel->Caption());
        QVERIFY(iface(f.LMDSimpleLabel9)->state().invisible);
        QVERIFY(!iface(f.countlabel)->state().invisible);
        QTest::keyClick(f.Strgrid, Qt::Key_Up);
        iface(f.pdf_panel)->actionInterface()->doAction(QAccessibleActionInterface::pressAction());
        QCOMPARE(p->opened, QStringList{QStringLiteral("pdf/allomasos.pdf")});
    }

    // What is said though no label shows it: no hits, and the lists reset.
    void announcementsOfNoHitsAndOfTheReset() {
        auto p = started();
        auto told = [&] {
            const auto* a = p->form->findChild<Announcement*>();
            return a ? a->accessibleName() : QString();
        };
        searchFunctions(*p, "Ráhangolódás", "Csoportalakítás");
        QCOMPARE(told(), QStringLiteral("Találatok száma: 0 db"));
        p->click(p->form->back);
        p->click(p->form->LMDButton2);
        QCOMPARE(told(), QStringLiteral("Keresési feltételek törölve"));
        QCOMPARE(QAccessible::queryAccessibleInterface(p->form->findChild<Announcement*>())->role(),
                 QAccessible::Notification);
    }

    // The system's word that it cannot open the document is shown while
    // the document is still the one chosen, and dropped after a change.
    void aFailedHandOverIsShownUntilTheChoiceChanges() {
        auto p = started();
        TForm1& f = *p->form;
        for (const char* name : {"csoportmunka.pdf", "allomasos.pdf", "cikk_cakk.pdf"})
            p->writeDocument(QString::fromUtf8(name));
        searchFunctions(*p, "Csoportalakítás");
        p->click(f.pdf_panel);
        QVERIFY(p->failHandOver);
        p->failHandOver();
        QCOMPARE(f.pdf_label->Caption(),
                 QStringLiteral("Nem sikerült megnyitni a pdf/allomasos.pdf file-t!"));
        p->click(f.pdf_panel);
        QTest::keyClick(f.Strgrid, Qt::Key_Down);  // another row before the word comes
        p->failHandOver();
        QCOMPARE(f.pdf_label->Caption(), f.Strgrid->Cells(4, 2));
        p->click(f.pdf_panel);
        p->click(f.back);
        p->failHandOver();
        QCOMPARE(f.pdf_label->Caption(), f.Strgrid->Cells(4, 2));
    }

    void documentNamesThatCannotBeOpened_data() {
        QTest::addColumn<QString>("name");
        QTest::newRow("empty") << "";
        QTest::newRow("parent folder") << "../secret.pdf";
        QTest::newRow("absolute") << "/etc/hostname";
        QTest::newRow("parent folder, Windows' separator") << "..\\secret.pdf";
        QTest::newRow("drive letter") << "C:secret.pdf";
        QTest::newRow("device name") << "sub/Con.pdf";
#ifndef Q_OS_WIN  // QFile::link makes a shell shortcut there, a plain file the shell does not
                  // follow
        QTest::newRow("link outside") << "link.pdf";
#endif
        QTest::newRow("folder") << "folder";
    }
    void documentNamesThatCannotBeOpened() {
        QFETCH(QString, name);
        const QByteArray utf8 = name.toUtf8();
        auto p = started({{1, "Vita", utf8.constData(), {2}}});
        p->dir.write(QStringLiteral("secret.pdf"), "%PDF");
        QDir().mkpath(p->dir.path(QStringLiteral("pdf/folder")));
        p->dir.write(QStringLiteral("pdf/sub/Con.pdf"),
                     "%PDF");  // a device on Windows: cannot be made there
        QFile::link(p->dir.path(QStringLiteral("secret.pdf")),
                    p->dir.path(QStringLiteral("pdf/link.pdf")));
        searchFunctions(*p, "Motiváció");
        p->click(p->form->pdf_panel);
        QVERIFY(p->opened.isEmpty());
        QCOMPARE(p->form->pdf_label->Caption(),
                 QStringLiteral("Hiányzik a pdf/%1 nevű file!").arg(name));
    }
};

QTEST_MAIN(ProgramTest)
#include "program_test.moc"
