#include "clientdataset.h"
#include "commands.h"
#include "dump.h"
#include "packetbuilder.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

int run(const QStringList& args, QString* output = nullptr) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int status = runCatalogueCommand(args, o, e);
    o.flush();
    e.flush();
    if (output)
        *output = out + err;
    return status;
}

QString dumpOf(const QString& path) {
    TClientDataSet t(QStringLiteral("t"));
    loadTableFile(t, path);
    return dumpTable(t, DumpFormat::Csv);
}

}  // namespace

TEST(Unpack, PackOfItsFilesDumpsAsTheOriginals) {
    ScratchDir dir;
    Packet methods = table({"mod_id:i4", "mod_nev", "mod_fajl"},
                           {{"2", "Ötletbörze; \"kör\"", "o.pdf"}, {"1", "Vita", "<null>"}});
    for (auto& f : methods.fields) f.width = 100;
    for (int k = 1; k <= 17; ++k)
        methods.fields.push_back({QStringLiteral("mod_fun_%1").arg(k), FieldType::Int32, 0, {}, 0});
    for (Record& r : methods.records)
        for (int k = 1; k <= 17; ++k) r.push_back(Value::integer(k % 3 == 0));
    Packet functions = table({"fun_id:i4", "fun_nev"}, {{"1", "Ráhangolódás"},
                                                        {"3", "Gyakorlás"},
                                                        {"6", "Megértés"},
                                                        {"9", "Összegzés"},
                                                        {"12", "Értékelés"},
                                                        {"15", "Kreativitás"}});
    functions.fields[1].width = 300;  // kept through the CSV file's header: "fun_nev[300]"
    dir.write(QStringLiteral("cat/data/kavinto_modszerek.cds"), catalogueFile(methods));
    dir.write(QStringLiteral("cat/data/kavinto_funkciok.cds"), catalogueFile(functions));

    ASSERT_EQ(run({"unpack", dir.path("cat"), "--out", dir.path("csv")}), 0);
    {
        QFile csv(dir.path("csv/methods.csv"));  // closed again: Windows replaces no file held open
        ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
        EXPECT_TRUE(csv.readAll().startsWith("\xEF\xBB\xBFmod_id;mod_nev;mod_fajl;mod_fun_1;"));
    }
    ASSERT_EQ(run({"pack", "--methods", dir.path("csv/methods.csv"), "--functions",
                   dir.path("csv/functions.csv"), "--out", dir.path("again"), "--keep-order"}),
              0);
    for (const char* file : {"data/kavinto_modszerek.cds", "data/kavinto_funkciok.cds"})
        EXPECT_EQ(dumpOf(dir.path(QStringLiteral("again/") + file)),
                  dumpOf(dir.path(QStringLiteral("cat/") + file)))
            << file;

    QString output;
    EXPECT_EQ(run({"unpack", dir.path("cat"), "--out", dir.path("csv")}, &output), 1);
    EXPECT_TRUE(output.contains(QStringLiteral("the file exists; --force replaces it")));
    EXPECT_EQ(run({"unpack", dir.path("cat"), "--out", dir.path("csv"), "--force"}), 0);
}

TEST(Unpack, FurtherFieldsAreKeptAndOtherTypesReported) {
    ScratchDir dir;
    Packet methods =
        table({"mod_id:i4", "mod_nev", "megjegyzes", "mod_fajl"}, {{"1", "Vita", "jó", "v.pdf"}});
    for (int k = 1; k <= 17; ++k)
        methods.fields.push_back(
            {QStringLiteral("mod_fun_%1").arg(k), FieldType::String, 1, {}, 0});
    for (int k = 1; k <= 17; ++k) methods.records[0].push_back(Value::text(QStringLiteral("1")));
    dir.write(QStringLiteral("cat/data/kavinto_modszerek.cds"), catalogueFile(methods));
    dir.write(QStringLiteral("cat/data/kavinto_funkciok.cds"),
              catalogueFile(table({"fun_id:i4", "fun_nev"}, {{"1", "a"}})));
    QString output;
    ASSERT_EQ(run({"unpack", dir.path("cat"), "--out", dir.path("csv")}, &output), 0);
    EXPECT_TRUE(output.contains(
        QStringLiteral("methods.csv: kept the further fields megjegyzes in further columns")))
        << output.toStdString();
    EXPECT_TRUE(output.contains(
        QStringLiteral("methods.csv: mod_fun_1 is a string field; pack writes it as i4")));
    QFile csv(dir.path("csv/methods.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    EXPECT_TRUE(csv.readAll().contains(";mod_fun_17;megjegyzes\r\n1;Vita;v.pdf;1;"));
}
