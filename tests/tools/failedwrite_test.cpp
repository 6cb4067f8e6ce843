// Writes that fail: pack and unpack say which file and why, and the files
// they would have replaced stand as they were, with nothing left beside them.

#include "commands.h"
#include "packetbuilder.h"
#include "platform.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <functional>
#include <memory>

using namespace kavinto;
using namespace kavinto::test;

namespace {

QByteArray methodsCsv(int rows) {
    QByteArray csv("mod_id;mod_nev;mod_fajl");
    for (int k = 1; k <= 17; ++k) csv += ";mod_fun_" + QByteArray::number(k);
    for (int i = 1; i <= rows; ++i)
        csv += "\n" + QByteArray::number(i) + ";Módszer " + QByteArray::number(i * 7919) + ";m" +
               QByteArray::number(i) + ".pdf;1;0;1;0;1;0;1;0;1;0;1;0;1;0;1;0;1";
    return csv + "\n";
}

// Every function the methods above flag.
QByteArray functionsCsv() {
    QByteArray csv("fun_id;fun_nev\n");
    for (int k = 1; k <= 17; ++k)
        csv += QByteArray::number(k) + ";Funkció " + QByteArray::number(k) + "\n";
    return csv;
}

int run(const QStringList& args, QString* err) {
    QString out;
    QTextStream o(&out), e(err);
    const int status = runCatalogueCommand(args, o, e);
    e.flush();
    return status;
}

QStringList entries(const QString& dir) {
    return QDir(dir).entryList(QDir::AllEntries | QDir::NoDotAndDotDot);
}

struct Failure {
    const char* name;
    // Arranges the failure for writes into `folder`, whose old files exist;
    // returns what keeps it in force, or nothing where it cannot be arranged.
    std::function<std::shared_ptr<void>(const QString& folder)> arrange;
    const char* file;  // the file named in the message
};

}  // namespace

TEST(FailedWrite, OldFilesStandAndTheFileIsNamed) {
    const std::vector<Failure> failures = {
        {"a file-size limit",
         [](const QString&) -> std::shared_ptr<void> {
             auto limit = std::make_shared<FileSizeLimit>(1024);
             return limit->active() ? limit : nullptr;
         },
         "first"},
        {"a read-only folder",
         [](const QString& folder) -> std::shared_ptr<void> {
             if (!permissionsBind())
                 return nullptr;
             QFile::setPermissions(folder, QFile::ReadOwner | QFile::ExeOwner);
             return std::shared_ptr<void>(nullptr, [folder](void*) {
                 QFile::setPermissions(folder,
                                       QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
             });
         },
         "first"},
        {"a target that is a folder",
         [](const QString& folder) -> std::shared_ptr<void> {
             const QString second = folder + QLatin1Char('/') + entries(folder).at(0);
             QFile::remove(second);
             QDir().mkpath(second);
             return std::make_shared<int>();
         },
         "second"},
    };
    for (const bool packing : {true, false}) {
        for (const Failure& failure : failures) {
            SCOPED_TRACE(std::string(packing ? "pack, " : "unpack, ") + failure.name);
            ScratchDir dir;
            const QString small = dir.write(QStringLiteral("small.csv"), methodsCsv(3));
            const QString large = dir.write(QStringLiteral("large.csv"), methodsCsv(300));
            const QString functions = dir.write(QStringLiteral("f.csv"), functionsCsv());
            const QString catalogue = dir.path(QStringLiteral("catalogue"));
            auto pack = [&](const QString& methods, const QString& out) {
                QString err;
                return run({QStringLiteral("pack"), QStringLiteral("--methods"), methods,
                            QStringLiteral("--functions"), functions, QStringLiteral("--out"), out},
                           &err);
            };
            // The old files are the small catalogue's; the new ones, the large one's, pass the size
            // limit.
            ASSERT_EQ(pack(small, catalogue), 0);
            QString folder = catalogue + QStringLiteral("/data");
            std::function<int(QString*)> write = [&](QString* err) {
                return run(
                    {QStringLiteral("pack"), QStringLiteral("--methods"), large,
                     QStringLiteral("--functions"), functions, QStringLiteral("--out"), catalogue},
                    err);
            };
            if (!packing) {
                folder = dir.path(QStringLiteral("csv"));
                QString err;
                ASSERT_EQ(
                    run({QStringLiteral("unpack"), catalogue, QStringLiteral("--out"), folder},
                        &err),
                    0);
                ASSERT_EQ(pack(large, catalogue), 0);
                write = [&](QString* e) {
                    return run({QStringLiteral("unpack"), catalogue, QStringLiteral("--out"),
                                folder, QStringLiteral("--force")},
                               e);
                };
            }
            const QStringList names = entries(folder);
            ASSERT_EQ(names.size(), 2);
            std::vector<QByteArray> before;
            for (const QString& name : names) {
                QFile f(folder + QLatin1Char('/') + name);
                before.push_back(f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray());
            }

            QString err;
            int status = 0;
            {
                const std::shared_ptr<void> inForce = failure.arrange(folder);
                if (!inForce) {
                    std::printf("  skipped: %s cannot be arranged here\n", failure.name);
                    continue;
                }
                status = write(&err);
            }
            EXPECT_EQ(status, 1);
            const QString named = names.at(std::string(failure.file) == "first" ? 1 : 0);
            EXPECT_TRUE(err.contains(named)) << err.toStdString();
            EXPECT_EQ(entries(folder), names);
            for (std::size_t i = 0; i < before.size(); ++i) {
                QFile f(folder + QLatin1Char('/') + names.at(qsizetype(i)));
                if (f.open(QIODevice::ReadOnly)) {
                    EXPECT_EQ(f.readAll(), before[i]) << names.at(qsizetype(i)).toStdString();
                }
            }
        }
    }
}

TEST(FailedWrite, FullFileSystemLeavesTheOldCatalogue) {
    ScratchDir dir;
    const QString catalogue = dir.path(QStringLiteral("catalogue"));
    QDir().mkpath(catalogue);
    const SmallFileSystem disk(catalogue, 64 * 1024);
    if (!disk.mounted())
        GTEST_SKIP() << "no small file system can be mounted here";
    const QString small = dir.write(QStringLiteral("small.csv"), methodsCsv(3));
    const QString large = dir.write(QStringLiteral("large.csv"), methodsCsv(3000));
    const QString functions = dir.write(QStringLiteral("f.csv"), functionsCsv());
    auto pack = [&](const QString& methods, QString* err) {
        return run({QStringLiteral("pack"), QStringLiteral("--methods"), methods,
                    QStringLiteral("--functions"), functions, QStringLiteral("--out"), catalogue},
                   err);
    };
    QString err;
    ASSERT_EQ(pack(small, &err), 0) << err.toStdString();
    QFile old(catalogue + QStringLiteral("/data/kavinto_modszerek.cds"));
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    // What is left is less than the new catalogue needs.
    ASSERT_GT(dir.write(QStringLiteral("catalogue/filler"), QByteArray(48 * 1024, 'x')).size(), 0);

    EXPECT_EQ(pack(large, &err), 1);
    EXPECT_TRUE(err.contains(
        QStringLiteral("kavinto_modszerek.cds: cannot be written: No space left on device")))
        << err.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before);
    EXPECT_EQ(entries(catalogue + QStringLiteral("/data")).size(), 2);
    QFile::remove(catalogue + QStringLiteral("/filler"));
}
