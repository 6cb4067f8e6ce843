#include "announcement_windows.h"
#include "accessibility.h"
#include "controls.h"

#include <QTest>

using namespace kavinto;

namespace {

struct Raised {
    bool withProvider = false;
    int kind = -1;
    int processing = -1;
    QString text;
    int count = 0;
};
Raised raised;

HRESULT WINAPI recordRaise(IRawElementProviderSimple* provider, int kind, int processing, BSTR text,
                           BSTR) {
    raised.withProvider = provider != nullptr;
    raised.kind = kind;
    raised.processing = processing;
    raised.text = QString::fromWCharArray(text, int(SysStringLen(text)));
    ++raised.count;
    return S_OK;
}

}  // namespace

// Windows' screen readers hear a notification as UI Automation raises it.
class AnnouncementTest : public QObject {
    Q_OBJECT
private slots:
    void aNotificationIsRaisedForTheWindow() {
        installAccessibility();
        QWidget window;
        window.resize(200, 100);
        window.show();
        QVERIFY(QTest::qWaitForWindowExposed(&window));
        const RaiseNotification previous = setRaiseNotification(recordRaise);
        announce(&window, QStringLiteral("Keresési feltételek törölve"));
        setRaiseNotification(previous);
        if (raised.count == 0)
            QSKIP("this system has no UI Automation host provider for a window");
        QCOMPARE(raised.count, 1);
        QVERIFY(raised.withProvider);
        QCOMPARE(raised.kind, kNotificationKindOther);
        QCOMPARE(raised.processing, kNotificationProcessingImportantAll);
        QCOMPARE(raised.text, QStringLiteral("Keresési feltételek törölve"));
    }
};

QTEST_MAIN(AnnouncementTest)
#include "announcement_windows_test.moc"
