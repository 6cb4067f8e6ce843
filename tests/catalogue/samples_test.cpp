#include "clientdataset.h"
#include "compressedfile.h"
#include "packetbuilder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

TClientDataSet loadPacketFile(const QString& path) {
    QFile f(path);
    EXPECT_TRUE(f.open(QIODevice::ReadOnly)) << path.toStdString();
    TClientDataSet t(QFileInfo(path).fileName());
    t.LoadPacket(f);
    return t;
}

}  // namespace

TEST(SharedSamples, BinaryAndXmlTwinsAgree) {
    const QString dir = samplesDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "the shared samples folder is not beside this checkout";
    int pairs = 0;
    for (const QString& cds : QDir(dir).entryList({QStringLiteral("*.cds")}, QDir::Files)) {
        const QString xml =
            QDir(dir).filePath(QFileInfo(cds).completeBaseName() + QStringLiteral(".xml"));
        if (!QFile::exists(xml))
            continue;
        SCOPED_TRACE(cds.toStdString());
        TClientDataSet a = loadPacketFile(QDir(dir).filePath(cds));
        TClientDataSet b = loadPacketFile(xml);
        ASSERT_EQ(a.fields(), b.fields());
        ASSERT_EQ(a.recordCount(), b.recordCount());
        ASSERT_GT(a.recordCount(), 0);
        for (a.GoFirst(), b.GoFirst(); !a.AtEnd(); a.GoNext(), b.GoNext()) {
            for (int i = 0; i < int(a.fields().size()); ++i) {
                const Value va = a.valueAt(i), vb = b.valueAt(i);
                EXPECT_EQ(va.isNull(), vb.isNull());
                if (!va.isNull() && !vb.isNull()) {
                    EXPECT_EQ(va.toText(), vb.toText())
                        << a.fields()[std::size_t(i)].name.toStdString();
                }
            }
        }
        ++pairs;
    }
    EXPECT_GE(pairs, 6);
}

TEST(SharedSamples, CatalogueFilesLoad) {
    const QString dir = samplesDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "the shared samples folder is not beside this checkout";
    TClientDataSet methods(QStringLiteral("MClientData"));
    LoadDataset(methods,
                QDir(dir).filePath(QStringLiteral("catalogue/data/kavinto_modszerek.cds")));
    EXPECT_EQ(methods.recordCount(), 7);
    EXPECT_EQ(methods.ReadValue(QStringLiteral("mod_nev")).toText(), QStringLiteral("Ötletbörze"));
    TClientDataSet functions(QStringLiteral("FClientData"));
    LoadDataset(functions,
                QDir(dir).filePath(QStringLiteral("catalogue/data/kavinto_funkciok.cds")));
    EXPECT_EQ(functions.recordCount(), 17);
}
