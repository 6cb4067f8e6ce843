#include "compressedfile.h"
#include "binarypacketwriter.h"
#include "clientdataset.h"
#include "error.h"
#include "failingfile.h"
#include "packetbuilder.h"
#include "platform.h"

#include <QBuffer>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

QByteArray smallPacket() {
    return encodeBinaryPacket(
        table({"fun_id:i4", "fun_nev"}, {{"1", "Motiváció"}, {"2", "Gyakorlás"}}));
}

// The message of the load's failure, or "" when it succeeds.
QString loadError(const QString& path, TClientDataSet& t) {
    try {
        LoadDataset(t, path);
        return {};
    } catch (const Error& e) {
        return e.message();
    }
}

QString loadError(const QByteArray& fileBytes) {
    ScratchDir dir;
    TClientDataSet t(QStringLiteral("T"));
    return loadError(dir.write(QStringLiteral("f.cds"), fileBytes), t);
}

struct ContainerCase {
    const char* defect;
    QByteArray bytes;
    const char* message;
};

QByteArray flipLastByte(QByteArray b) {
    b[b.size() - 1] = char(b[b.size() - 1] ^ 0x55);
    return b;
}

}  // namespace

TEST(CompressedFile, EachContainerDefectHasItsMessage) {
    const QByteArray packet = smallPacket();
    const QByteArray body = le32(quint32(packet.size())) + packet;
    const QByteArray shortBody = le32(100) + QByteArray(50, 'x');
    const std::vector<ContainerCase> cases = {
        {"empty file", QByteArray(), "Stream read error"},
        {"zlib header only", QByteArray("\x78\x9c", 2), "Stream read error"},
        {"not a zlib header", QByteArray("PK\x03\x04 not zlib"), "Error"},
        {"preset dictionary required", QByteArray("\x78\xbb\x00\x00\x00\x01", 6), "Error"},
        {"fewer than 4 bytes inflate", zlibStream(QByteArray("\x01\x00", 2)), "Stream read error"},
        {"length 0", zlibStream(le32(0) + packet), "Invalid stream operation"},
        {"negative length", zlibStream(le32(0x80000010u) + packet), "Stream write error"},
        {"length 2147483647 on a short stream", zlibStream(le32(0x7FFFFFFF) + packet),
         "Stream read error"},
        {"stream ends early, more bytes follow", zlibStream(shortBody) + QByteArray(64, 'z'),
         "Stream read error"},
        {"file ends inside the stream", zlibStream(body).left(20), "Stream read error"},
        {"bad check value at an end reached early", flipLastByte(zlibStream(shortBody)), "Error"},
        {"packet the engine rejects", zlibStream(le32(5) + QByteArray("hello")),
         "Invalid data packet: the 5 bytes are neither a binary nor an XML data packet"},
    };
    for (const ContainerCase& c : cases)
        EXPECT_EQ(loadError(c.bytes), QString::fromUtf8(c.message)) << c.defect;
}

TEST(CompressedFile, LoadsAndIgnoresWhatFollowsThePacket) {
    const QByteArray packet = smallPacket();
    // Excess inflated bytes, then a corrupt check value and garbage after the
    // stream: none of it is needed, so none of it is checked.
    const QByteArray file =
        flipLastByte(zlibStream(le32(quint32(packet.size())) + packet + QByteArray(5000, 'e'))) +
        QByteArray("trailing garbage");
    ScratchDir dir;
    TClientDataSet t(QStringLiteral("T"));
    EXPECT_EQ(loadError(dir.write(QStringLiteral("f.cds"), file), t), QString());
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.recordCount(), 2);
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_nev")).toText(), QStringLiteral("Motiváció"));
}

TEST(CompressedFile, TruncationAtEveryOffsetFailsCleanly) {
    const QByteArray file =
        catalogueFile(table({"id:i4", "name"}, {{"1", "árvíztűrő"}, {"2", "tükörfúrógép"}}));
    ScratchDir dir;
    for (qsizetype n = 0; n < file.size(); ++n) {
        TClientDataSet t(QStringLiteral("T"));
        const QString message = loadError(dir.write(QStringLiteral("cut.cds"), file.left(n)), t);
        // A cut into the stream's last bytes may come after all data is out.
        if (message.isEmpty())
            EXPECT_EQ(t.recordCount(), 2) << n;
        else
            EXPECT_EQ(message, QStringLiteral("Stream read error")) << n;
    }
}

TEST(CompressedFile, CorruptLengthReservesNothing) {
    const QByteArray file = zlibStream(le32(0x7FFFFFFF) + QByteArray(1000, 'a'));
    QBuffer device;
    device.setData(file);
    device.open(QIODevice::ReadOnly);
    try {
        inflatePacket(device, 4096);
        FAIL() << "a short stream must not load";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Stream read error"));
    }
}

TEST(CompressedFile, BufferBeyondMemoryIsReported) {
    QBuffer device;
    device.setData(zlibStream(le32(100000) + QByteArray(100000, 'a')));
    device.open(QIODevice::ReadOnly);
    try {
        inflatePacket(device, 50000);
        FAIL() << "the buffer must not grow past its limit";
    } catch (const Error& e) {
        EXPECT_EQ(e.message(), QStringLiteral("Out of memory while expanding memory stream"));
    }
}

TEST(CompressedFile, FileThatCannotBeOpened) {
    ScratchDir dir;
    TClientDataSet t(QStringLiteral("T"));
    const QString missing = dir.path(QStringLiteral("missing.cds"));
    EXPECT_EQ(loadError(missing, t), cannotOpenMessage(missing, noSuchFile()));
    QDir().mkpath(dir.path(QStringLiteral("folder.cds")));
    EXPECT_EQ(loadError(dir.path(QStringLiteral("folder.cds")), t),
              cannotOpenMessage(dir.path(QStringLiteral("folder.cds")),
                                QStringLiteral("Is a directory")));
}

// A read that fails is the system's error, not the end of the data.
TEST(CompressedFile, FileThatFailsWhileReadIsNamedWithTheReason) {
    ScratchDir dir;
    const QString path =
        dir.write(QStringLiteral("f.cds"), catalogueFile(table({"id:i4"}, {{"7"}})));
    for (const qint64 goodBytes : {0, 8}) {
        FailingFile file(path, goodBytes);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        try {
            inflatePacket(file);
            ADD_FAILURE() << "a failing read loaded";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Cannot read file \"%1\". Input/output error")
                                       .arg(QDir::toNativeSeparators(path)));
        }
    }
}

TEST(CompressedFile, RelativePathIsReportedAbsolute) {
    TClientDataSet t(QStringLiteral("T"));
    const QString message = loadError(QStringLiteral("no/such/dir/x.cds"), t);
    EXPECT_EQ(message,
              cannotOpenMessage(QFileInfo(QStringLiteral("no/such/dir/x.cds")).absoluteFilePath(),
                                noSuchPath()));
}

TEST(CompressedFile, WriteProtectedFileLoads) {
    ScratchDir dir;
    const QString path =
        dir.write(QStringLiteral("ro.cds"), catalogueFile(table({"id:i4"}, {{"7"}})));
    QFile::setPermissions(path, QFile::ReadOwner | QFile::ReadGroup | QFile::ReadOther);
    TClientDataSet t(QStringLiteral("T"));
    EXPECT_EQ(loadError(path, t), QString());
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("7"));
}

TEST(CompressedFile, FailureLeavesTheTableAsItWas) {
    ScratchDir dir;
    TClientDataSet t(QStringLiteral("T"));
    ASSERT_EQ(loadError(dir.write(QStringLiteral("good.cds"),
                                  catalogueFile(table({"id:i4"}, {{"1"}, {"2"}}))),
                        t),
              QString());
    t.GoNext();
    // A container fault comes before the packet is handed over: the table is untouched.
    EXPECT_EQ(loadError(dir.write(QStringLiteral("bad.cds"), QByteArray("\x78\x9c", 2)), t),
              QStringLiteral("Stream read error"));
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("2"));
    // A packet the engine rejects leaves it closed.
    EXPECT_FALSE(
        loadError(dir.write(QStringLiteral("junk.cds"), zlibStream(le32(3) + QByteArray("abc"))), t)
            .isEmpty());
    EXPECT_FALSE(t.Active());
}

TEST(CompressedFile, PacketDeflatedInPiecesIsOneStream) {
    // Three pieces and a part, of text that compresses as a packet's does.
    QByteArray packet;
    for (int i = 0; packet.size() < (13 << 20) + 77; ++i)
        packet += QByteArray::number(qint64(i) * 7919) + " Gyakorlás ";
    QBuffer file;
    file.setData(compressCatalogueFile(packet));
    file.open(QIODevice::ReadOnly);
    const StreamInspection s = inspectStream(file);
    EXPECT_TRUE(s.ended && s.checkValueMatches);
    EXPECT_EQ(s.bytesAfterStream, 0);
    file.seek(0);
    const PodBuffer<char> inflated = inflatePacket(file);
    EXPECT_EQ(QByteArrayView(inflated.data(), qsizetype(inflated.size())), packet);
}
