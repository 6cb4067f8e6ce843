// The hand-over to xdg-open, with launchers of our own on PATH: which of its
// endings count as a failure, and that waiting for one never blocks.

#include "documentopener.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTest>

class DocumentOpenerTest : public QObject {
    Q_OBJECT

    QTemporaryDir m_bin;
    QByteArray m_path;

    void launcher(const QByteArray& body, const QByteArray& shell = "/bin/sh") {
        QFile f(m_bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
        f.write("#!" + shell + "\n" + body + "\n");
        f.close();
        f.setPermissions(QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    }
    // Opens a document and says whether it is reported failed within `seconds`.
    bool failedWithin(double seconds) {
        bool failed = false;
        QElapsedTimer waited;
        waited.start();
        kavinto::SystemDocumentOpener().open(QStringLiteral("pdf/vita.pdf"), nullptr,
                                             [&] { failed = true; });
        if (waited.elapsed() > 1000)
            qWarning("open waited %lld ms", waited.elapsed());
        while (!failed && !waited.hasExpired(qint64(seconds * 1000))) QTest::qWait(20);
        return failed;
    }

private slots:
    void initTestCase() {
        m_path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_bin.path()) + ':' + m_path);
    }
    void cleanupTestCase() { qputenv("PATH", m_path); }

    void failureStatusesWithinFiveSeconds() {
        launcher("exit 4");
        QVERIFY(failedWithin(4));
        launcher("exit 3");
        QVERIFY(failedWithin(4));
        launcher("exit 0");
        QVERIFY(!failedWithin(1));
        launcher("exit 1");  // a viewer's own status, passed on by some desktops
        QVERIFY(!failedWithin(1));
        launcher("sleep 6; exit 4");  // a viewer closed later
        QVERIFY(!failedWithin(6.5));
    }

    void noLauncherOrOneThatCannotStart() {
        launcher("exit 0", "/nonexistent/sh");  // found, but it cannot be started
        const QByteArray path = qgetenv("PATH");
        qputenv("PATH", QFile::encodeName(m_bin.path()));  // no other xdg-open
        QVERIFY(failedWithin(0.2));
        QFile::remove(m_bin.filePath(QStringLiteral("xdg-open")));
        QVERIFY(failedWithin(0.2));
        qputenv("PATH", path);
    }
};

QTEST_GUILESS_MAIN(DocumentOpenerTest)
#include "documentopener_unix_test.moc"
