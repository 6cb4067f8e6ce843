#pragma once

#include "controls.h"
#include "documentopener.h"
#include "formwindow.h"
#include "resultrows.h"
#include "stringgrid.h"

#include <functional>
#include <memory>
#include <vector>

namespace kavinto {

class TClientDataSet;

// The main window: the banner, the search page Panel1 and the results page
// Panel2 in the same place, one shown at a time. Its handlers hold no state
// beyond the controls; the catalogue is the global data module Data and the
// search's records are workingRecords.
class TForm1 : public FormWindow {
    Q_OBJECT
public:
    // `opener` hands documents to the system (a recording one in tests);
    // `terminate` ends the program (QCoreApplication::quit by default).
    explicit TForm1(std::unique_ptr<DocumentOpener> opener = nullptr,
                    std::function<void()> terminate = nullptr);
    ~TForm1() override;

    // The controls, in their designed order; owned by the window.
    Picture* Image1;
    Panel* Panel1;
    TextLabel* LMDSimpleLabel6;
    TextLabel* LMDSimpleLabel7;
    Panel* LMDSimplePanel1;
    TextLabel* LMDSimpleLabel1;
    TextLabel* LMDSimpleLabel2;
    TextLabel* LMDSimpleLabel3;
    TextLabel* LMDSimpleLabel4;
    TextLabel* LMDSimpleLabel5;
    DropDownList* list_modszer;
    DropDownList* list_func1;
    DropDownList* list_func2;
    DropDownList* list_func3;
    PushButton* search;
    Panel* Panel2;
    Panel* LMDSimplePanel2;
    TextLabel* LMDSimpleLabel8;
    StringGrid* Strgrid;
    PushButton* back;
    TextLabel* LMDSimpleLabel9;
    TextLabel* countlabel;
    PushButton* LMDButton1;
    TextLabel* errorlabel;
    PushButton* LMDButton2;
    Panel* pdf_panel;
    Picture* pdf_image;
    TextLabel* pdf_label;

    // Handlers; the sender is never used.
    void LoadDataset(TClientDataSet& table, const QString& path);
    void FormActivate(QObject* Sender);
    void searchClick(QObject* Sender);
    void FormCreate(QObject* Sender);
    void backClick(QObject* Sender);
    void Panel2Clear(QObject* Sender);
    void arrayclear(QObject* Sender);
    void LMDButton1Click(QObject* Sender);
    void FormResize(QObject* Sender);
    void list_modszerChange(QObject* Sender);
    void list_func1Change(QObject* Sender);
    void list_func2Change(QObject* Sender);
    void list_func3Change(QObject* Sender);
    void StrgridDblClick(QObject* Sender);
    void LMDButton2Click(QObject* Sender);
    void StrgridClick(QObject* Sender);
    void pdf_panelClick(QObject* Sender);
    void pdf_imageClick(QObject* Sender);
    void pdf_labelClick(QObject* Sender);

private:
    void buildSearchPage();
    void buildResultsPage();
    void connectEvents();
    void setTabOrder();
    void lookUpMethod();
    void searchByFunctions();
    void writeRow(int row, const ResultRow& cells);
    void showResultsPage();
    void focusFirstTabStopOf(const std::vector<QWidget*>& page);
    void showFailedHandOver(const QString& name);

    std::unique_ptr<DocumentOpener> m_opener;
    // Counts the changes of row, page and search: a hand-over's failure
    // reported after one of them is no longer about what is shown.
    quint64 m_documentChoice = 0;
    std::function<void()> m_terminate;
};

// The program's main window, set once at start-up.
extern TForm1* Form1;

}  // namespace kavinto
