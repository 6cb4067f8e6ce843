#include "pack.h"
#include "clientdataset.h"
#include "compressedfile.h"
#include "dump.h"
#include "error.h"
#include "packetbuilder.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

QByteArray methodsHeader() {
    QByteArray h("mod_id,mod_nev,mod_fajl");
    for (int k = 1; k <= 17; ++k) h += ",mod_fun_" + QByteArray::number(k);
    return h + "\n";
}

QByteArray flags(const char* set) {  // e.g. "1,3" -> 17 columns
    QByteArray out;
    const QList<QByteArray> on = QByteArray(set).split(',');
    for (int k = 1; k <= 17; ++k) out += (on.contains(QByteArray::number(k)) ? ",1" : ",0");
    return out;
}

const QByteArray kFunctions("fun_id,fun_nev\n1,Ráhangolódás\n2,Motiváció\n3,Ellenőrzés\n");

// The error pack ends in, or an empty string.
QString packError(const QByteArray& methods, const QByteArray& functions, ScratchDir& dir) {
    try {
        packCatalogue(dir.write(QStringLiteral("m.csv"), methods),
                      dir.write(QStringLiteral("f.csv"), functions),
                      dir.path(QStringLiteral("out")));
        return {};
    } catch (const Error& e) {
        return e.message();
    }
}

}  // namespace

TEST(Pack, RoundTripsHungarianNamesExactly) {
    ScratchDir dir;
    const QByteArray methods = methodsHeader() + "1,Ötletbörze,otletborze.pdf" + flags("1,2") +
                               "\n" + "2,\"Árvíztűrő, tükörfúrógép\",arviz.pdf" + flags("") + "\n";
    ASSERT_EQ(packError(methods, kFunctions, dir), QString());
    TClientDataSet m(QStringLiteral("MClientData"));
    LoadDataset(m, dir.path(QStringLiteral("out/data/kavinto_modszerek.cds")));
    const QString dump = dumpTable(m, DumpFormat::Csv);
    EXPECT_TRUE(dump.contains(QStringLiteral("mod_nev,string,100,,\n"))) << dump.toStdString();
    EXPECT_TRUE(dump.contains(QStringLiteral("\n1,Ötletbörze,otletborze.pdf,1,1,0,")));
    EXPECT_TRUE(dump.contains(QStringLiteral("\n2,\"Árvíztűrő, tükörfúrógép\",arviz.pdf,0,")));
    EXPECT_EQ(m.lcid(), 1038);

    TClientDataSet f(QStringLiteral("FClientData"));
    LoadDataset(f, dir.path(QStringLiteral("out/data/kavinto_funkciok.cds")));
    EXPECT_EQ(
        dumpTable(f, DumpFormat::Csv),
        QStringLiteral("field,type,width,subtype,attributes\nfun_id,i4,,,\nfun_nev,string,100,,\n\n"
                       "fun_id,fun_nev\n1,Ráhangolódás\n2,Motiváció\n3,Ellenőrzés\n"));
}

TEST(Pack, RefusesAPacketAboveTheLoadLimitAndWritesNothing) {
    ScratchDir dir;
    const QString out = dir.path(QStringLiteral("out"));
    const QString methods =
        dir.write(QStringLiteral("m.csv"), methodsHeader() + "1,Vita,vita.pdf" + flags("1") + "\n");
    const QString functions = dir.write(QStringLiteral("f.csv"), kFunctions);
    try {
        packCatalogue(methods, functions, out, MethodOrder::ByName, 100);
        FAIL() << "a packet above the limit was written";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QDir(out).filePath(
            QStringLiteral("data/kavinto_funkciok.cds: the catalogue makes a packet of "))))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().endsWith(
            QStringLiteral(" bytes, above the 100 bytes the program loads; nothing was written")));
    }
    EXPECT_FALSE(QDir(out).exists(QStringLiteral("data")));
}

TEST(Pack, RefusesNamingFileRowAndColumnAndWritesNothing) {
    const QByteArray good = methodsHeader() + "1,Vita,vita.pdf" + flags("1") + "\n";
    struct Case {
        const char* defect;
        QByteArray methods;
        QByteArray functions;
        const char* message;  // %M and %F stand for the two files
    };
    const std::vector<Case> cases = {
        {"duplicate method id", good + "1,Mozaik,mozaik.pdf" + flags("") + "\n", kFunctions,
         "%M: row 3, column A (mod_id): the id 1 occurs twice"},
        {"missing id", methodsHeader() + ",Vita,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: row 2, column A (mod_id): the id is missing"},
        {"non-integer id", methodsHeader() + "x1,Vita,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: row 2, column A (mod_id): 'x1' is not an integer"},
        {"flag 2", methodsHeader() + "1,Vita,vita.pdf,2" + flags("").mid(2) + "\n", kFunctions,
         "%M: row 2, column D (mod_fun_1): the flag '2' is not 0, 1 or empty"},
        {"missing column",
         QByteArray(methodsHeader()).replace(",mod_fajl", "") + "1,Vita" + flags("") + "\n",
         kFunctions, "%M: row 1: the column mod_fajl is missing"},
        {"function number 18", good, QByteArray("fun_id,fun_nev\n1,Egy\n18,Tizennyolc\n"),
         "%F: row 3, column A (fun_id): the function number 18 is outside 1-17, so no method can "
         "serve it"},
        {"duplicate function id", good, QByteArray("fun_id;fun_nev\n1;a\n1;b\n"),
         "%F: row 3, column A (fun_id): the id 1 occurs twice"},
        {"text beyond windows-1250", good, QByteArray("fun_id,fun_nev\n1,\xE2\x9C\x93 pipa\n"),
         "%F: row 2, column B (fun_nev): '\u2713 pipa' holds a character that windows-1250 cannot "
         "hold"},
        {"empty name", methodsHeader() + "1,,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: row 2, column B (mod_nev): the name is empty"},
        {"NUL inside a name",
         methodsHeader() + QByteArray("1,Vi\0ta,vita.pdf", 16) + flags("") + "\n", kFunctions,
         "%M: row 2, column B (mod_nev): 'Vi\\x00ta' holds a NUL character, which a catalogue text "
         "cannot hold"},
        {"name of 65,536 bytes",
         methodsHeader() + "1," + QByteArray(65536, 'a') + ",vita.pdf" + flags("") + "\n",
         kFunctions,
         "%M: row 2, column B (mod_nev): the text is 65536 bytes long, more than the 65535 a "
         "catalogue text can hold"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        const QString expected =
            QString::fromUtf8(c.message)
                .replace(QStringLiteral("%M"), dir.path(QStringLiteral("m.csv")))
                .replace(QStringLiteral("%F"), dir.path(QStringLiteral("f.csv")));
        EXPECT_EQ(packError(c.methods, c.functions, dir), expected) << c.defect;
        EXPECT_FALSE(QDir(dir.path(QStringLiteral("out/data"))).exists()) << c.defect;
    }
}

TEST(Pack, ListsEveryFaultOfBothFilesAtItsSpreadsheetRow) {
    ScratchDir dir;
    const QByteArray methods = methodsHeader() + "1,\"Két\nsoros\",a.pdf" + flags("1") + "\n" +
                               ",Vita,vita.pdf" + flags("") + "\n" + "3,-,x.pdf" + flags("4") +
                               "\n" + "4,VITA,y.pdf" + flags("") + "\n";
    const QByteArray functions = "fun_id,fun_nev\n1,Motiváció\n2,motiváció\n";
    const QString m = dir.path(QStringLiteral("m.csv")), f = dir.path(QStringLiteral("f.csv"));
    EXPECT_EQ(packError(methods, functions, dir),
              QStringList({
                              f + ": row 3, column B (fun_nev): 'motiváció' is the same name as in "
                                  "row 2; only the first can be looked up",
                              m + ": row 2, column B (mod_nev): 'Két\\nsoros' holds a line break, "
                                  "which a catalogue text cannot hold",
                              m + ": row 3, column A (mod_id): the id is missing",
                              m + ": row 4, column B (mod_nev): the name '-' cannot be chosen: the "
                                  "lists show it for no choice",
                              m + ": row 4, column G (mod_fun_4): function 4 is flagged, but the "
                                  "functions table lacks it",
                              m + ": row 5, column B (mod_nev): 'VITA' is the same name as in row "
                                  "3; only the first can be looked up",
                          })
                  .join(QLatin1Char('\n')));
    EXPECT_FALSE(QDir(dir.path(QStringLiteral("out/data"))).exists());

    QByteArray many = methodsHeader();
    for (int i = 0; i < 150; ++i)
        many += "x,Név " + QByteArray::number(i) + ",a.pdf" + flags("") + "\n";
    const QStringList lines = packError(many, kFunctions, dir).split(QLatin1Char('\n'));
    ASSERT_EQ(lines.size(), 101);
    EXPECT_EQ(lines.last(), QStringLiteral("and 50 more"));
}

TEST(Pack, ReadsRowsAsSpreadsheetsLeaveThemAndSaysWhatItRead) {
    ScratchDir dir;
    // Excel's "Unicode text": UTF-16 with tabs; below the table, rows of bare separators.
    QByteArray methods = methodsHeader().replace(',', '\t').trimmed() + "\tcel\t\t\n";
    methods += "1\tÖtletbörze\to.pdf" + flags("1").replace(',', '\t') + "\tjó\t\t\n";
    methods += QByteArray(21, '\t') + "\n";
    const QString text = QString::fromUtf8(methods);
    QByteArray utf16("\xFF\xFE");
    utf16.append(reinterpret_cast<const char*>(text.utf16()), text.size() * 2);
    const QStringList report = packCatalogue(dir.write(QStringLiteral("m.txt"), utf16),
                                             dir.write(QStringLiteral("f.csv"), kFunctions),
                                             dir.path(QStringLiteral("out")));
    EXPECT_EQ(
        report,
        QStringList(
            {dir.path(QStringLiteral("f.csv")) + QStringLiteral(": UTF-8, ',', 3 functions"),
             dir.path(QStringLiteral("m.txt")) + QStringLiteral(": UTF-16 LE, '\\t', 1 methods"),
             dir.path(QStringLiteral("m.txt")) + QStringLiteral(": ignored columns: cel"),
             dir.path(QStringLiteral("m.txt")) +
                 QStringLiteral(": the methods written in Hungarian alphabetical order of "
                                "mod_nev (--keep-order keeps the file's)")}));

    // A UTF-8 file with one line pasted from a windows-1250 one would be garbled either way.
    const QByteArray mixed = methodsHeader() + "1,Ötletbörze,o.pdf" + flags("") + "\n" +
                             "2,\xD6tlet,p.pdf" + flags("") + "\n";
    EXPECT_EQ(packError(mixed, kFunctions, dir),
              dir.path(QStringLiteral("m.csv")) +
                  QStringLiteral(": line 3 is not UTF-8, though other lines are: the file mixes "
                                 "encodings; save it again as UTF-8"));
}

TEST(Pack, WritesTheMethodsInHungarianOrderUnlessAskedToKeepTheFiles) {
    ScratchDir dir;
    QByteArray methods = methodsHeader();
    int id = 0;
    for (const char* name : {"Zongora", "Csiga", "Ábel", "Cukor", "Ágota"})
        methods += QByteArray::number(++id) + "," + name + ",x.pdf" + flags("") + "\n";
    const auto names = [&](MethodOrder order) {
        packCatalogue(dir.write(QStringLiteral("m.csv"), methods),
                      dir.write(QStringLiteral("f.csv"), kFunctions),
                      dir.path(QStringLiteral("out")), order);
        TClientDataSet m(QStringLiteral("MClientData"));
        LoadDataset(m, dir.path(QStringLiteral("out/data/kavinto_modszerek.cds")));
        QStringList list;
        for (m.GoFirst(); !m.AtEnd(); m.GoNext())
            list << m.ReadValue(QStringLiteral("mod_nev")).toText();
        return list;
    };
    EXPECT_EQ(names(MethodOrder::ByName),
              QStringList({"Ábel", "Ágota", "Cukor", "Csiga", "Zongora"}));  // cs after c
    EXPECT_EQ(names(MethodOrder::Kept),
              QStringList({"Zongora", "Csiga", "Ábel", "Cukor", "Ágota"}));
}
