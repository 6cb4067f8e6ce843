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
        packCatalogue(methods, functions, out, 100);
        FAIL() << "a packet above the limit was written";
    } catch (const Error& e) {
        EXPECT_TRUE(e.message().startsWith(QDir(out).filePath(
            QStringLiteral("data/kavinto_modszerek.cds: the catalogue makes a packet of "))))
            << e.message().toStdString();
        EXPECT_TRUE(e.message().endsWith(
            QStringLiteral(" bytes, above the 100 bytes the program loads; nothing was written")));
    }
    EXPECT_FALSE(QDir(out).exists(QStringLiteral("data")));
}

TEST(Pack, RefusesNamingFileLineAndColumnAndWritesNothing) {
    const QByteArray good = methodsHeader() + "1,Vita,vita.pdf" + flags("1") + "\n";
    struct Case {
        const char* defect;
        QByteArray methods;
        QByteArray functions;
        const char* message;  // %M and %F stand for the two files
    };
    const std::vector<Case> cases = {
        {"duplicate method id", good + "1,Mozaik,mozaik.pdf" + flags("") + "\n", kFunctions,
         "%M: line 3, column mod_id: the id 1 occurs twice"},
        {"missing id", methodsHeader() + ",Vita,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: line 2, column mod_id: the id is missing"},
        {"non-integer id", methodsHeader() + "x1,Vita,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: line 2, column mod_id: 'x1' is not an integer"},
        {"flag 2", methodsHeader() + "1,Vita,vita.pdf,2" + flags("").mid(2) + "\n", kFunctions,
         "%M: line 2, column mod_fun_1: the flag '2' is not 0, 1 or empty"},
        {"missing column", QByteArray("mod_id,mod_nev\n1,Vita\n"), kFunctions,
         "%M: line 1: the column mod_fajl is missing"},
        {"function number 18", good, QByteArray("fun_id,fun_nev\n18,Tizennyolc\n"),
         "%F: line 2, column fun_id: the function number 18 is outside 1-17"},
        {"duplicate function id", good, QByteArray("fun_id;fun_nev\n1;a\n1;b\n"),
         "%F: line 3, column fun_id: the id 1 occurs twice"},
        {"text beyond windows-1250", good, QByteArray("fun_id,fun_nev\n1,\xE2\x9C\x93 pipa\n"),
         "%F: line 2, column fun_nev: '\u2713 pipa' holds a character that windows-1250 cannot "
         "hold"},
        {"empty name", methodsHeader() + "1,,vita.pdf" + flags("") + "\n", kFunctions,
         "%M: line 2, column mod_nev: the name is empty"},
        {"NUL inside a name",
         methodsHeader() + QByteArray("1,Vi\0ta,vita.pdf", 16) + flags("") + "\n", kFunctions,
         "%M: line 2, column mod_nev: 'Vi\\x00ta' holds a NUL character, which a catalogue text "
         "cannot hold"},
        {"name of 65,536 bytes",
         methodsHeader() + "1," + QByteArray(65536, 'a') + ",vita.pdf" + flags("") + "\n",
         kFunctions,
         "%M: line 2, column mod_nev: the text is 65536 bytes long, more than the 65535 a "
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
