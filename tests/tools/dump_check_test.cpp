#include "binarypacketwriter.h"
#include "check.h"
#include "commands.h"
#include "packetbuilder.h"
#include "platform.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStringEncoder>

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

struct CommandResult {
    int code;
    QString out;
    QString err;
};

CommandResult run(const QStringList& args) {
    QString out, err;
    QTextStream o(&out), e(&err);
    const int code = runCatalogueCommand(args, o, e);
    o.flush();
    e.flush();
    return {code, out, err};
}

Packet methods(std::initializer_list<std::initializer_list<const char*>> rows) {
    return table(
        {"mod_id:i4",     "mod_nev",       "mod_fajl",      "mod_fun_1:i4",  "mod_fun_2:i4",
         "mod_fun_3:i4",  "mod_fun_4:i4",  "mod_fun_5:i4",  "mod_fun_6:i4",  "mod_fun_7:i4",
         "mod_fun_8:i4",  "mod_fun_9:i4",  "mod_fun_10:i4", "mod_fun_11:i4", "mod_fun_12:i4",
         "mod_fun_13:i4", "mod_fun_14:i4", "mod_fun_15:i4", "mod_fun_16:i4", "mod_fun_17:i4"},
        rows);
}

}  // namespace

TEST(DumpCommand, PrintsTheLoadersMessageOnFailure) {
    ScratchDir dir;
    const CommandResult r = run(
        {QStringLiteral("dump"), dir.write(QStringLiteral("x.cds"), QByteArray("\x78\x9c", 2))});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QStringLiteral("Stream read error\n"));
    EXPECT_EQ(run({QStringLiteral("dump")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("frobnicate")}).code, 2);
    EXPECT_EQ(run({QStringLiteral("--help")}).code, 0);
}

TEST(DumpCommand, EndsInAMessageWhereItCannotRead) {
    ScratchDir dir;
    const QString pipe = nonRegularFile(dir);
    ASSERT_FALSE(pipe.isEmpty());
    CommandResult r = run({QStringLiteral("dump"), pipe});  // must not wait for a writer
    EXPECT_EQ(r.code, 1);
    EXPECT_TRUE(
        r.err.endsWith(QFileInfo(pipe).fileName() + QStringLiteral("\". Not a regular file\n")))
        << r.err.toStdString();
    // A bare packet larger than the packet size limit (a sparse file).
    QFile huge(dir.write(QStringLiteral("huge.cds"), QByteArray("\x96\x19\xE0\xBD", 4)));
    ASSERT_TRUE(huge.resize(qint64(600) << 20));
    r = run({QStringLiteral("dump"), huge.fileName()});
    EXPECT_EQ(r.code, 1);
    EXPECT_EQ(r.err, QStringLiteral("Out of memory while expanding memory stream\n"));
}

TEST(DumpCommand, TakesABarePacketAsTheEngineDoesInAnyEncoding) {
    ScratchDir dir;
    const QString xml = QStringLiteral(
        "<?xml version=\"1.0\" encoding=\"%1\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>"
        "<FIELD attrname=\"n\" fieldtype=\"string\" WIDTH=\"20\"/></FIELDS><PARAMS/></METADATA>"
        "<ROWDATA><ROW n=\"\u0150sz\"/></ROWDATA></DATAPACKET>");
    const CommandResult utf8 =
        run({QStringLiteral("dump"),
             dir.write(QStringLiteral("a.xml"), xml.arg(QStringLiteral("UTF-8")).toUtf8())});
    QStringEncoder utf16(QStringEncoder::Utf16LE, QStringEncoder::Flag::WriteBom);
    const CommandResult wide =
        run({QStringLiteral("dump"),
             dir.write(QStringLiteral("b.xml"), utf16.encode(xml.arg(QStringLiteral("UTF-16"))))});
    EXPECT_EQ(wide.code, 0) << wide.err.toStdString();
    EXPECT_EQ(wide.out, utf8.out);
    EXPECT_TRUE(utf8.out.contains(QStringLiteral("\u0150sz")));
}

TEST(DumpCommand, SameTableInEitherEncodingDumpsTheSame) {
    const QString dir = samplesDir();
    if (dir.isEmpty())
        GTEST_SKIP() << "the shared samples folder is not beside this checkout";
    for (const char* name : {"methods", "types", "functions-ansi", "methods-nulls"}) {
        for (const char* format : {"csv", "json"}) {
            const CommandResult a =
                run({QStringLiteral("dump"),
                     QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".cds")),
                     QStringLiteral("--format"), QString::fromLatin1(format)});
            const CommandResult b =
                run({QStringLiteral("dump"),
                     QDir(dir).filePath(QString::fromLatin1(name) + QStringLiteral(".xml")),
                     QStringLiteral("--format"), QString::fromLatin1(format)});
            EXPECT_EQ(a.code, 0) << name << a.err.toStdString();
            EXPECT_EQ(a.out, b.out) << name << " " << format;
        }
    }
}

TEST(CheckCommand, CleanCatalogue) {
    ScratchDir dir;
    dir.write(
        QStringLiteral("data/kavinto_modszerek.cds"),
        catalogueFile(methods({{"1", "Vita", "vita.pdf", "1", "0", "0", "0", "0", "0", "0",
                                "0", "0",    "0",        "0", "0", "0", "0", "0", "0", "0"}})));
    dir.write(QStringLiteral("data/kavinto_funkciok.cds"),
              catalogueFile(table({"fun_id:i4", "fun_nev"}, {{"1", "Motiváció"}})));
    dir.write(QStringLiteral("pdf/vita.pdf"), "%PDF-1.4");
    const CommandResult r = run({QStringLiteral("check"), dir.path(QStringLiteral("."))});
    EXPECT_EQ(r.code, 0) << r.out.toStdString();
    EXPECT_EQ(r.out, QStringLiteral("no problems found\n"));
}

TEST(CheckCommand, ReportsEveryProblemAUserWouldMeet) {
    ScratchDir dir;
    dir.write(QStringLiteral("data/kavinto_modszerek.cds"),
              catalogueFile(methods({
                  {"1", "Vita", "vita.pdf", "1", "1", "0", "0", "0", "0", "0",
                   "0", "0",    "0",        "0", "0", "0", "0", "0", "0", "1"},
                  {"1", "vita",  "../titok.pdf",
                   "0", "0",     "0",
                   "0", "0",     "0",
                   "0", "0",     "0",
                   "0", "0",     "0",
                   "0", "0",     "0",
                   "0", "<null>"},
              })));
    dir.write(QStringLiteral("data/kavinto_funkciok.cds"),
              catalogueFile(table({"fun_id:i4", "fun_nev"},
                                  {{"1", "Motiváció"}, {"2", ""}, {"18", "Extra"}})));
    const QStringList problems = checkCatalogue(dir.path(QStringLiteral(".")));
    const QString m = QDir::toNativeSeparators(
        QDir(dir.path(QStringLiteral("."))).filePath(QStringLiteral("data/kavinto_modszerek.cds")));
    const QString f = QDir::toNativeSeparators(
        QDir(dir.path(QStringLiteral("."))).filePath(QStringLiteral("data/kavinto_funkciok.cds")));
    const QString pdf = QDir(dir.path(QStringLiteral("."))).filePath(QStringLiteral("pdf/"));
    EXPECT_EQ(
        problems,
        QStringList({
            f + QStringLiteral(": fun_id 2: the name is empty"),
            f + QStringLiteral(
                    ": fun_id 18 (Extra): the function number 18 is outside 1-17, so no method can "
                    "serve it"),
            m + QStringLiteral(": mod_id 1 (Vita): function 2 is flagged, but its name is empty"),
            m + QStringLiteral(
                    ": mod_id 1 (Vita): function 17 is flagged, but the functions table lacks it"),
            m + QStringLiteral(": mod_id 1 (Vita): the document %1 is missing")
                    .arg(QDir::toNativeSeparators(pdf + QStringLiteral("vita.pdf"))),
            m + QStringLiteral(": mod_id 1 (vita): the id 1 occurs twice"),
            m + QStringLiteral(": mod_id 1 (vita): 'vita' is the same name as in mod_id 1 (Vita); "
                               "only the first can be looked up"),
            m + QStringLiteral(": mod_id 1 (vita): mod_fun_17 is null"),
            m + QStringLiteral(": mod_id 1 (vita): the document %1 is missing")
                    .arg(QDir::toNativeSeparators(pdf + QStringLiteral("../titok.pdf"))),
        }));
    EXPECT_EQ(run({QStringLiteral("check"), dir.path(QStringLiteral("."))}).code, 1);
}

TEST(CheckCommand, CatalogueTextsReachTheTerminalEscaped) {
    ScratchDir dir;
    dir.write(QStringLiteral("data/kavinto_modszerek.cds"), catalogueFile(methods({
                                                                {"1",
                                                                 "\x1b]0;owned\x07",
                                                                 "x\nFAKE: no problems found",
                                                                 "1",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0",
                                                                 "0"},
                                                                {"2",           "\x1b]0;owned\x07",
                                                                 "\x1b[2J.pdf", "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0",
                                                                 "0",           "0"},
                                                            })));
    dir.write(QStringLiteral("data/kavinto_funkciok.cds"),
              catalogueFile(table({"fun_id:i4", "fun_nev"}, {{"1", "\x1b[2J"}, {"2", "\x1b[2J"}})));
    const CommandResult r = run({QStringLiteral("check"), dir.path(QStringLiteral("."))});
    EXPECT_EQ(r.code, 1);
    EXPECT_FALSE(r.out.contains(QChar(0x1b))) << r.out.toStdString();
    EXPECT_FALSE(r.out.contains(QChar(0x07)));
    EXPECT_FALSE(r.out.contains(QStringLiteral("\nFAKE")));
    EXPECT_TRUE(
        r.out.contains(QStringLiteral("'\\x1b[2J' is the same name as in fun_id 1 (\\x1b[2J)")));
    EXPECT_TRUE(r.out.contains(QStringLiteral("'x\\nFAKE: no problems found' holds a line break")));
}

TEST(CheckCommand, MissingAndUnloadableFiles) {
    ScratchDir dir;
    dir.write(QStringLiteral("data/kavinto_funkciok.cds"), QByteArray("junk"));
    const QStringList problems = checkCatalogue(dir.path(QStringLiteral(".")));
    ASSERT_EQ(problems.size(), 2);
    EXPECT_TRUE(problems[0].endsWith(QStringLiteral("kavinto_funkciok.cds: does not load: Error")));
    EXPECT_TRUE(problems[1].endsWith(QStringLiteral("kavinto_modszerek.cds: the file is missing")));
}

TEST(CheckCommand, FindsWhatLoadingDoesNotRead) {
    const QByteArray packet = encodeBinaryPacket(table({"fun_id:i4", "fun_nev"}, {{"1", "a"}}));
    const QByteArray body = le32(quint32(packet.size())) + packet;
    // Loading stops after the packet, before the check value: a long tail keeps it from the
    // stream's end.
    QByteArray badCheck = zlibStream(body + QByteArray(100000, 't'));
    badCheck[badCheck.size() - 1] = char(badCheck[badCheck.size() - 1] ^ 1);
    struct Case {
        const char* what;
        QByteArray file;
        const char* problem;
    };
    const std::vector<Case> cases = {
        {"wrong check value", badCheck,
         "the compressed stream's Adler-32 check value is wrong: the file is corrupt"},
        {"bytes after the stream", zlibStream(body) + "xyz",
         "3 bytes follow the compressed stream"},
        {"inflated bytes after the packet", zlibStream(body + "tail"),
         "the stream holds 4 bytes after the packet"},
    };
    for (const Case& c : cases) {
        ScratchDir dir;
        dir.write(QStringLiteral("data/kavinto_funkciok.cds"), c.file);
        dir.write(QStringLiteral("data/kavinto_modszerek.cds"), catalogueFile(methods({})));
        const CommandResult r = run({QStringLiteral("check"), dir.path(QStringLiteral("."))});
        EXPECT_EQ(r.code, 1) << c.what;
        EXPECT_TRUE(
            r.out.contains(QStringLiteral("kavinto_funkciok.cds: ") + QString::fromUtf8(c.problem)))
            << r.out.toStdString();
    }
}
