#include "tform1.h"

#include "accessibility.h"
#include "choicelists.h"
#include "compressedfile.h"
#include "criteria.h"
#include "data.h"
#include "documentopener.h"
#include "documentpath.h"
#include "fonts.h"
#include "functionsearch.h"
#include "methodlookup.h"
#include "pictures.h"
#include "records.h"
#include "resultrows.h"

#include <QCoreApplication>
#include <QPointer>

namespace kavinto {

TForm1* Form1 = nullptr;

namespace {

const QColor kNavy(0, 0, 128);
const QColor kRed(255, 0, 0);
const QColor kWhite(255, 255, 255);
const QColor kPanelGrey(238, 238, 238);

template <typename W>
W* place(W* widget, int left, int top) {
    widget->move(left, top);
    return widget;
}

template <typename W>
W* place(W* widget, int left, int top, int width, int height) {
    widget->setGeometry(left, top, width, height);
    return widget;
}

TextLabel* label(QWidget* parent, int left, int top, const QString& caption, int pixels,
                 const QColor& color, bool bold = false) {
    return place(new TextLabel(caption, designFont(kSansSerif, pixels, bold), color, parent), left,
                 top);
}

DropDownList* list(QWidget* parent, int left, int top, int width, int dropDownCount) {
    auto* l = place(new DropDownList(parent), left, top, width, 21);
    l->setDropDownCount(dropDownCount);
    return l;
}

// The rows of a function search's result, as the grid asks for them.
class ResultGridRows : public GridRows {
public:
    explicit ResultGridRows(std::shared_ptr<const ResultRows> rows) : m_rows(std::move(rows)) {}
    int firstRow() const override { return m_rows->firstRow(); }
    int lastRow() const override { return m_rows->lastRow(); }
    QStringList cells(int row) const override {
        const ResultRow cells = m_rows->row(row);
        return QStringList(cells.begin(), cells.end());
    }
    std::shared_ptr<const GridRows> slice(int first, int last) const override {
        return std::make_shared<ResultGridRows>(m_rows->slice(first, last));
    }

private:
    std::shared_ptr<const ResultRows> m_rows;
};

ChoiceList choiceList(DropDownList* list) {
    return {[list](const QString& text) { list->addItem(text); },
            [list](const TextRun& run) {
                list->addItems(int(run.size()), [run](int i) { return run.at(std::size_t(i)); });
            }};
}

}  // namespace

TForm1::TForm1(std::unique_ptr<DocumentOpener> opener, std::function<void()> terminate)
    : FormWindow(Qt::Window | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                 Qt::WindowMinMaxButtonsHint | Qt::WindowCloseButtonHint),
      m_opener(opener ? std::move(opener) : std::make_unique<SystemDocumentOpener>()),
      m_terminate(terminate ? std::move(terminate) : [] { QCoreApplication::quit(); }) {
    setObjectName(QStringLiteral("Form1"));
    setWindowTitle(QStringLiteral("VELOR! Tarmeni"));
    setFont(designFont(kSansSerif, 11));
    QPalette pal = palette();
    pal.setColor(QPalette::Window, kWhite);
    // Selections and focus rings in navy: white on navy is 16:1.
    pal.setColor(QPalette::Highlight, kNavy);
    pal.setColor(QPalette::HighlightedText, kWhite);
    setPalette(pal);
    setAutoFillBackground(true);
    setFixedSize(640, 431);

    Image1 = place(new Picture(bannerPicture(), this), 0, 0, 641, 73);
    Image1->setAccessibleName(windowTitle());
    buildSearchPage();
    buildResultsPage();
    setTabOrder();
    connectEvents();
    list_modszer->setFocus();
    create();
}

TForm1::~TForm1() {
    if (Form1 == this)
        Form1 = nullptr;
}

void TForm1::buildSearchPage() {
    Panel1 = place(new Panel(kWhite, Panel::Border::RaisedBevel, QColor(), this), 0, 72, 641, 361);
    LMDSimpleLabel6 =
        label(Panel1, 8, 16,
              QStringLiteral(" Az alábbiakban keresési feltételek megadásával leszűkítheti a "
                             "kavinto adatbázisát, hogy"),
              13, kNavy);
    LMDSimpleLabel7 =
        label(Panel1, 10, 32, QStringLiteral("könnyebben megtalálja az Önnek legmegfelelőbbet."),
              13, kNavy);
    errorlabel = label(Panel1, 168, 240, kNoCriterionMessage, 13, kRed, true);
    LMDSimplePanel1 =
        place(new Panel(kPanelGrey, Panel::Border::Line, kRed, Panel1), 104, 56, 425, 169);
    LMDSimpleLabel1 = label(LMDSimplePanel1, 8, 8,
                            QStringLiteral("Adja meg a keresési szempontokat!"), 13, kNavy, true);
    LMDSimpleLabel2 = label(LMDSimplePanel1, 8, 32, QStringLiteral("Módszer neve:"), 13, kNavy);
    LMDSimpleLabel3 = label(LMDSimplePanel1, 8, 56, QStringLiteral("1. funkció:"), 13, kNavy);
    LMDSimpleLabel4 = label(LMDSimplePanel1, 8, 80, QStringLiteral("2. funkció:"), 13, kNavy);
    LMDSimpleLabel5 = label(LMDSimplePanel1, 8, 104, QStringLiteral("3. funkció:"), 13, kNavy);
    list_modszer = list(LMDSimplePanel1, 112, 32, 289, 20);
    list_func1 = list(LMDSimplePanel1, 112, 56, 265, 14);
    list_func2 = list(LMDSimplePanel1, 112, 80, 265, 14);
    list_func3 = list(LMDSimplePanel1, 112, 104, 265, 14);
    for (DropDownList* l : {list_modszer, list_func1, list_func2, list_func3})
        l->setSpokenName(kNothingChosen, QStringLiteral("nincs kiválasztva"));
    LMDSimpleLabel2->setBuddy(list_modszer);
    LMDSimpleLabel3->setBuddy(list_func1);
    LMDSimpleLabel4->setBuddy(list_func2);
    LMDSimpleLabel5->setBuddy(list_func3);
    errorlabel->setNotice(TextLabel::Notice::OnAppearing);
    search = place(new PushButton(QStringLiteral("keresés"), LMDSimplePanel1), 112, 136, 75, 17);
    LMDButton1 = place(new PushButton(QStringLiteral("Kilépés"), Panel1), 520, 320, 113, 33);
    LMDButton1->setIcon(exitPicture());
    LMDButton1->setIconSize(QSize(20, 20));
    LMDButton2 = place(new PushButton(QStringLiteral("Új keresés"), Panel1), 8, 320, 113, 33);
    LMDButton2->setIcon(newSearchPicture());
    LMDButton2->setIconSize(QSize(20, 20));
}

void TForm1::buildResultsPage() {
    Panel2 =
        place(new Panel(kWhite, Panel::Border::RaisedBevel, QColor(), this), 296, -32, 641, 361);
    Panel2->setFont(designFont(kTahoma, 11));
    LMDSimplePanel2 =
        place(new Panel(QColor(192, 192, 192), Panel::Border::Line, QColor(240, 251, 255), Panel2),
              8, 8, 617, 17);
    LMDSimpleLabel8 =
        label(LMDSimplePanel2, 8, 0, QStringLiteral("Keresési eredmények:"), 13, kWhite, true);
    Strgrid = place(new StringGrid(5, 10, Panel2), 8, 64, 617, 232);
    Strgrid->setHeaderFont(designFont(kTahoma, 11, true));
    const int designedWidths[] = {2, 51, 150, 393, 64};
    for (int c = 0; c < 5; ++c) Strgrid->setColWidths(c, designedWidths[c]);
    Strgrid->setColumnHeaders(
        {QString(), QString(), QStringLiteral("Módszer"), QStringLiteral("Funkció")});
    back = place(new PushButton(QStringLiteral("vissza"), Panel2), 8, 32, 75, 17);
    LMDSimpleLabel9 = label(Panel2, 96, 34, QStringLiteral("Találatok száma:"), 11, kNavy);
    countlabel = label(Panel2, 184, 34, QStringLiteral("0 db"), 11, kNavy, true);
    // A screen reader entering the grid hears the hit count, and with each row its document.
    LMDSimpleLabel9->setBuddy(countlabel);
    countlabel->setBuddy(Strgrid);
    Strgrid->setDescribingColumn(4);
    Strgrid->setFocusColumn(2);  // where-am-I names the method
    pdf_panel = place(new Panel(kPanelGrey, Panel::Border::Line, kRed, Panel2), 8, 312, 617, 41);
    pdf_panel->setCursor(Qt::PointingHandCursor);
    pdf_image = place(new Picture(documentIcon(), pdf_panel), 8, 4, 33, 33);
    pdf_image->setAccessibleName(QStringLiteral("PDF dokumentum"));
    pdf_label = label(pdf_panel, 48, 14, QString(), 11, kRed);
    pdf_label->setNotice(TextLabel::Notice::OnRequest);  // a missing document
}

void TForm1::setTabOrder() {
    const QWidget* chain[] = {list_modszer, list_func1, list_func2, list_func3, search,
                              LMDButton1,   LMDButton2, Strgrid,    back};
    for (std::size_t i = 0; i + 1 < std::size(chain); ++i)
        QWidget::setTabOrder(const_cast<QWidget*>(chain[i]), const_cast<QWidget*>(chain[i + 1]));
}

void TForm1::connectEvents() {
    OnCreate = [this] { FormCreate(this); };
    OnResize = [this] { FormResize(this); };
    OnActivate = [this] { FormActivate(this); };
    list_modszer->OnChange = [this] { list_modszerChange(list_modszer); };
    list_func1->OnChange = [this] { list_func1Change(list_func1); };
    list_func2->OnChange = [this] { list_func2Change(list_func2); };
    list_func3->OnChange = [this] { list_func3Change(list_func3); };
    search->OnClick = [this] { searchClick(search); };
    LMDButton1->OnClick = [this] { LMDButton1Click(LMDButton1); };
    LMDButton2->OnClick = [this] { LMDButton2Click(LMDButton2); };
    back->OnClick = [this] { backClick(back); };
    Strgrid->OnClick = [this] { StrgridClick(Strgrid); };
    Strgrid->OnDblClick = [this] { StrgridDblClick(Strgrid); };
    Strgrid->OnEnter = [this] { pdf_panelClick(Strgrid); };
    pdf_panel->OnClick = [this] { pdf_panelClick(pdf_panel); };
    pdf_image->OnClick = [this] { pdf_imageClick(pdf_image); };
    pdf_label->OnClick = [this] { pdf_labelClick(pdf_label); };
}

void TForm1::LoadDataset(TClientDataSet& table, const QString& path) {
    kavinto::LoadDataset(table, path);
}

void TForm1::FormCreate(QObject*) {
    setWidth(646);
    setHeight(460);
    Panel2->setVisible(false);
    errorlabel->setVisible(false);
}

void TForm1::FormResize(QObject*) {
    setWidth(646);
    setHeight(460);
}

void TForm1::FormActivate(QObject*) {
    Strgrid->setColWidths(0, 0);
    Strgrid->setColWidths(4, 0);
    for (const QString& file : {kMethodsFile, kFunctionsFile}) {
        if (!isExistingFile(file)) {
            errorlabel->setCaption(QStringLiteral("Hiányzik a %1 file!").arg(file));
            errorlabel->setVisible(true);
            search->setEnabled(false);
            LMDButton2->setEnabled(false);
            return;
        }
    }
    TClientDataSet& methods = Data->MClientData;
    TClientDataSet& functions = Data->FClientData;
    // Both files are read through the window's LoadDataset.
    const TableLoader load = [this](TClientDataSet& table, const QString& path) {
        LoadDataset(table, path);
    };
    openMethodsTable(methods, kMethodsFile, load);
    prepareFunctionSearch(methods);
    addMethodNames(methods, choiceList(list_modszer));
    openFunctionsTable(functions, kFunctionsFile, load);
    addFunctionNames(functions, choiceList(list_func1), choiceList(list_func2),
                     choiceList(list_func3));
    for (DropDownList* l : {list_modszer, list_func1, list_func2, list_func3})
        l->setSelectedIndex(0);
}

void TForm1::searchClick(QObject*) {
    ++m_documentChoice;
    Strgrid->setVisible(true);
    pdf_panel->setVisible(false);
    pdf_image->setVisible(false);
    pdf_label->setVisible(false);
    select& selection = workingRecords.selection;
    selection = {list_modszer->Text(), list_func1->Text(), list_func2->Text(), list_func3->Text()};
    Panel2Clear(this);
    arrayclear(this);
    if (const std::optional<QString> refusal = refusalOf(selection)) {
        errorlabel->setCaption(*refusal);
        // Shown anew, it is spoken as it appears; already shown, it is told again.
        if (errorlabel->isVisible())
            announceAlert(errorlabel);
        errorlabel->setVisible(true);
        return;
    }
    if (selection.modszer != kNothingChosen)
        lookUpMethod();
    else
        searchByFunctions();
}

void TForm1::lookUpMethod() {
    countlabel->setCaption(QStringLiteral("1 db"));
    const std::optional<ResultRow> row =
        lookupMethod(Data->MClientData, Data->FClientData, workingRecords);
    if (!row) {
        // Only a catalogue changed under the program gets here: show no stale row.
        countlabel->setCaption(QStringLiteral("0 db"));
        Strgrid->setVisible(false);
        showResultsPage();
        return;
    }
    writeRow(1, *row);
    showResultsPage();
    StrgridDblClick(this);
}

void TForm1::searchByFunctions() {
    const int hitCount = functionSearch(Data->MClientData, Data->FClientData, workingRecords);
    Strgrid->setRowCount(2);
    countlabel->setCaption(QString::number(hitCount) + QStringLiteral(" db"));
    if (hitCount < 1)
        Strgrid->setVisible(false);
    else
        Strgrid->setRowCount(hitCount + 1);
    // Rows 1 to hit_count are emptied, then written from the hits, which the
    // grid reads as it shows them.
    Strgrid->setRows(1, hitCount, nullptr);
    const FilledRows filled =
        fillResultRows(Data->MClientData, Data->FClientData, workingRecords, hitCount);
    if (filled.rows)
        Strgrid->setRows(filled.rows->firstRow(), filled.rows->lastRow(),
                         std::make_shared<ResultGridRows>(filled.rows));
    if (filled.failure)
        throw *filled.failure;
    showResultsPage();
    if (hitCount > 0)
        StrgridDblClick(this);
    else
        announce(this,
                 LMDSimpleLabel9->displayedText() + QLatin1Char(' ') + countlabel->displayedText());
}

void TForm1::writeRow(int row, const ResultRow& cells) {
    for (int c = 0; c < 5; ++c) Strgrid->setCells(c, row, cells[std::size_t(c)]);
}

void TForm1::showResultsPage() {
    Panel1->setVisible(false);
    Panel2->setLeft(0);
    Panel2->setTop(72);
    Panel2->setVisible(true);
    focusFirstTabStopOf({Strgrid, back});
}

// No hidden control may keep the focus, where keys would still reach it: the
// first tab stop of the page shown takes it. Taking the focus fires no event.
void TForm1::focusFirstTabStopOf(const std::vector<QWidget*>& page) {
    const QWidget* focus = focusWidget();
    if (focus && focus->isVisibleTo(this))
        return;
    for (QWidget* w : page)
        if (w->isVisibleTo(this) && w->isEnabled()) {
            w->setFocus(Qt::OtherFocusReason);
            return;
        }
}

void TForm1::Panel2Clear(QObject*) {
    countlabel->setCaption(QStringLiteral("0 db"));
    Strgrid->setRowCount(2);
    for (int c = 0; c < 3; ++c) Strgrid->setCells(c, 1, QString());
}

void TForm1::arrayclear(QObject*) {
    workingRecords.arrayclear();
}

void TForm1::backClick(QObject*) {
    ++m_documentChoice;
    Panel2->setVisible(false);
    Panel1->setVisible(true);
    focusFirstTabStopOf(
        {list_modszer, list_func1, list_func2, list_func3, search, LMDButton1, LMDButton2});
}

void TForm1::LMDButton1Click(QObject*) {
    m_terminate();
}

void TForm1::LMDButton2Click(QObject*) {
    for (DropDownList* l : {list_modszer, list_func1, list_func2, list_func3})
        l->setSelectedIndex(0);
    announce(this, QStringLiteral("Keresési feltételek törölve"));
}

void TForm1::list_modszerChange(QObject*) {
    errorlabel->setVisible(false);
}
void TForm1::list_func1Change(QObject*) {
    errorlabel->setVisible(false);
}
void TForm1::list_func2Change(QObject*) {
    errorlabel->setVisible(false);
}
void TForm1::list_func3Change(QObject*) {
    errorlabel->setVisible(false);
}

void TForm1::StrgridDblClick(QObject*) {
    ++m_documentChoice;
    pdf_panel->setVisible(true);
    pdf_image->setVisible(true);
    pdf_label->setVisible(true);
    pdf_label->setCaption(Strgrid->Cells(4, Strgrid->Row()));
}

void TForm1::StrgridClick(QObject* Sender) {
    StrgridDblClick(Sender);
}

void TForm1::pdf_panelClick(QObject*) {
    const QString name = Strgrid->Cells(4, Strgrid->Row());
    if (isDocumentAvailable(name)) {
        m_opener->open(documentPath(name), windowHandle(),
                       [form = QPointer<TForm1>(this), choice = m_documentChoice, name] {
                           if (form && form->m_documentChoice == choice)
                               form->showFailedHandOver(name);
                       });
    } else {
        pdf_label->setCaption(QStringLiteral("Hiányzik a pdf/") + name +
                              QStringLiteral(" nevű file!"));
        announceAlert(pdf_label);
    }
}

void TForm1::showFailedHandOver(const QString& name) {
    pdf_label->setCaption(QStringLiteral("Nem sikerült megnyitni a pdf/") + name +
                          QStringLiteral(" file-t!"));
    announceAlert(pdf_label);
}

void TForm1::pdf_imageClick(QObject* Sender) {
    pdf_panelClick(Sender);
}
void TForm1::pdf_labelClick(QObject* Sender) {
    pdf_panelClick(Sender);
}

}  // namespace kavinto
