#include "programfixture.h"

#include "fonts.h"
#include "records.h"

#include <QApplication>
#include <QMouseEvent>

namespace kavinto::test {

void doubleClick(QWidget* w, QPoint at) {
    QTest::mouseClick(w, Qt::LeftButton, {}, at);
    QMouseEvent second(QEvent::MouseButtonDblClick, at, w->mapToGlobal(at), Qt::LeftButton,
                       Qt::LeftButton, Qt::NoModifier);
    QApplication::sendEvent(w, &second);
    QTest::mouseRelease(w, Qt::LeftButton, {}, at);
}

Packet methodsTable(const std::vector<MethodRow>& rows) {
    Packet p;
    p.lcid = kCatalogueLocaleId;
    p.fields = methodFieldDefs(FieldType::Int32);
    for (const MethodRow& m : rows) {
        Record r{Value::integer(m.id), Value::text(QString::fromUtf8(m.name)),
                 Value::text(QString::fromUtf8(m.file))};
        for (int k = 1; k <= kFunctionCount; ++k)
            r.push_back(Value::integer(std::find(m.functions.begin(), m.functions.end(), k) !=
                                       m.functions.end()));
        p.records.push_back(std::move(r));
    }
    return p;
}

Packet functionsTable(const std::vector<std::pair<int, const char*>>& rows) {
    Packet p;
    p.lcid = kCatalogueLocaleId;
    p.fields = {{kFunctionIdField, FieldType::Int32, 0, {}, 0},
                {kFunctionNameField, FieldType::String, kDeclaredTextWidth, {}, 0}};
    for (const auto& [id, name] : rows)
        p.records.push_back({Value::integer(id), Value::text(QString::fromUtf8(name))});
    return p;
}

Program::Program() : m_previousDir(QDir::currentPath()) {
    registerFonts();
    m_previousPresenter =
        setErrorBoxPresenter([this](const QString&, const QString& text) { errors << text; });
    workingRecords = WorkingRecords{};
}

Program::~Program() {
    form.reset();
    Data = nullptr;
    setErrorBoxPresenter(m_previousPresenter);
    QDir::setCurrent(m_previousDir);
}

bool Program::start() {
    QDir::setCurrent(dir.path(QStringLiteral(".")));
    Data = &data;
    form = std::make_unique<TForm1>(std::make_unique<RecordingOpener>(opened, failHandOver),
                                    [this] { ++terminations; });
    Form1 = form.get();
    form->show();
    form->activateWindow();
    return QTest::qWaitForWindowActive(form.get());
}

void Program::choose(DropDownList* list, const QString& text) {
    const int index = list->findText(text);
    QVERIFY2(index >= 0, qPrintable(text));
    list->setCurrentIndex(index);  // as the user's pick: QComboBox's own change
}

void Program::click(QWidget* widget) {
    QTest::mouseClick(widget, Qt::LeftButton, {}, QPoint(3, 3));
}

QStringList Program::items(const DropDownList* list) const {
    QStringList out;
    for (int i = 0; i < list->itemCount(); ++i) out << list->item(i);
    return out;
}

QString Program::row(int r) const {
    QStringList cells;
    for (int c = 0; c < 5; ++c) cells << form->Strgrid->Cells(c, r);
    return cells.join(QLatin1Char('|'));
}

}  // namespace kavinto::test
