// Catalogue files as they may arrive by mail: each hostile class ends in its
// message, or loads, without work or memory out of proportion to its bytes.

#include "clientdataset.h"
#include "compressedfile.h"
#include "error.h"
#include "packetbuilder.h"

#include <QBuffer>

#include <zlib.h>

#include <gtest/gtest.h>

#include <random>

using namespace kavinto;
using namespace kavinto::test;

namespace {

QByteArray header(quint16 fields, qint32 records, const QByteArray& descriptors,
                  const QByteArray& properties = le16(0)) {
    const QByteArray rest = descriptors + properties;
    return QByteArray("\x96\x19\xE0\xBD", 4) + le32(1) + le32(24) + le16(fields) +
           le32(quint32(records)) + le32(3) + le16(quint16(24 + rest.size())) + rest;
}

QByteArray field(const QByteArray& name, quint16 size = 4, quint16 type = 1) {
    return QByteArray(1, char(name.size())) + name + le16(size) + le16(type) + le16(0) + le16(0);
}

QByteArray xmlPacket(const QByteArray& fields, const QByteArray& rows,
                     const QByteArray& params = "<PARAMS/>") {
    return "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS>" + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

QByteArray file(const QByteArray& packet) {
    return zlibStream(le32(quint32(packet.size())) + packet, 9);
}

QString loadMessage(const QByteArray& fileBytes) {
    ScratchDir dir;
    TClientDataSet t(QStringLiteral("T"));
    try {
        LoadDataset(t, dir.write(QStringLiteral("f.cds"), fileBytes));
        return QStringLiteral("loads %1 records").arg(t.recordCount());
    } catch (const Error& e) {
        return e.message();
    }
}

}  // namespace

TEST(HostileFiles, EachEndsInItsMessage) {
    const QByteArray oneField = field("f");
    QByteArray manyAttributes = "<ROW";
    for (int i = 0; i < 100000; ++i) manyAttributes += " a" + QByteArray::number(i) + "=\"\"";
    manyAttributes += "/>";
    QByteArray longLog, loggedRows;
    for (int r = 1; r <= 200000; ++r) {
        longLog += (r > 1 ? " " : "") + QByteArray::number(r) + " 0 4";
        loggedRows += "<ROW RowState=\"4\" f=\"" + QByteArray::number(r) + "\"/>";
    }
    QByteArray deep;
    for (int i = 0; i < 100; ++i) deep += "<X>";
    QByteArray wide, wideRecords;
    for (int i = 0; i < 6477; ++i) wide += field("f");
    wideRecords = QByteArray(1, '\0') + QByteArray((2 * 6477 + 7) / 8, '\x55');
    struct Case {
        const char* what;
        QByteArray bytes;  // a whole catalogue file
        const char* message;
    };
    const std::vector<Case> cases = {
        {"record count far past the bytes",
         file(header(1, 0x7FFFFFFF, oneField) + QByteArray(5, '\0')),
         "Invalid data packet: value at offset 38 needs 4 bytes, but the packet ends after 41 "
         "bytes"},
        {"field count past the header", file(header(65535, 0, oneField)),
         "Invalid data packet: field size at offset 35 needs 2 bytes, but the packet ends after 36 "
         "bytes"},
        {"16,777,216 records of no fields",
         file(header(0, 16777216, {}) + QByteArray(16777216, '\0')), "loads 16777216 records"},
        {"6,477 fields x 4,000 null records",
         file(header(6477, 4000, wide) +
              [&] {
                  QByteArray all;
                  for (int i = 0; i < 4000; ++i) all += wideRecords;
                  return all;
              }()),
         "loads 4000 records"},
        {"a row with 100,000 attributes",
         file(xmlPacket("<FIELD attrname=\"f\" fieldtype=\"i4\"/>", manyAttributes)),
         "Invalid data packet: the row at line 1, column 140 has 100000 attributes, more than the "
         "1 fields and RowState "
         "of the packet"},
        {"an element with 300 attributes",
         file(xmlPacket("<FIELD attrname=\"f\" fieldtype=\"i4\"/>", "",
                        [] {
                            QByteArray p = "<PARAMS";
                            for (int i = 0; i < 300; ++i)
                                p += " p" + QByteArray::number(i) + "=\"1\"";
                            return p + "/>";
                        }())),
         "Invalid data packet: the element <PARAMS> at line 1, column 111 has 300 attributes, more "
         "than a data "
         "packet's elements have"},
        {"a change log of 200,000 rows",
         file(xmlPacket("<FIELD attrname=\"f\" fieldtype=\"i4\"/>", loggedRows,
                        "<PARAMS CHANGE_LOG=\"" + longLog + "\"/>")),
         "loads 200000 records"},
        {"a document type",
         file("<?xml version=\"1.0\"?><!DOCTYPE x [<!ENTITY a \"b\">]><DATAPACKET/>"),
         "Invalid data packet: the XML packet declares a document type at line 1, column 22, which "
         "a data packet does "
         "not have"},
        {"elements nested 100 deep", file(deep),
         "Invalid data packet: the XML packet nests elements more than 64 deep at line 1, column "
         "193"},
        {"control characters in a field name",
         file(header(1, 0, field(QByteArray("a\nb\x01\xFF", 5), 3))),
         "Invalid data packet: field 1 ('a\\nb\\x01\\xff') has the size 3, which its type does not "
         "allow"},
        {"a stream of zeros past its length",
         zlibStream(le32(0x7FFFFFFF) + QByteArray(4 << 20, '\0'), 9), "Stream read error"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(loadMessage(c.bytes), QString::fromUtf8(c.message)) << c.what;
}

TEST(HostileFiles, StreamPastTheSizeLimitFailsAsItPassesIt) {
    // A length of 2,147,483,647 over 600 MiB of zeros: 0.6 MB of file.
    z_stream z{};
    ASSERT_EQ(deflateInit(&z, 9), Z_OK);
    QByteArray compressed;
    const QByteArray mebibyte(1 << 20, '\0');
    for (int mib = 0; mib <= 600; ++mib) {
        const QByteArray in = mib == 0 ? le32(0x7FFFFFFF) : mebibyte;
        z.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(in.constData()));
        z.avail_in = uInt(in.size());
        do {
            char out[65536];
            z.next_out = reinterpret_cast<Bytef*>(out);
            z.avail_out = sizeof out;
            deflate(&z, mib == 600 ? Z_FINISH : Z_NO_FLUSH);
            compressed.append(out, qsizetype(sizeof out - z.avail_out));
        } while (z.avail_out == 0);
    }
    deflateEnd(&z);
    EXPECT_EQ(loadMessage(compressed),
              QStringLiteral("Out of memory while expanding memory stream"));
    const QByteArray zeros = zlibStream(le32(0x7FFFFFFF) + QByteArray(3 << 20, '\0'), 9);
    const QByteArray xmlSpaces =
        zlibStream(le32(0x7FFFFFFF) + "<DATAPACKET" + QByteArray(3 << 20, ' '), 9);
    for (const QByteArray& stream : {zeros, xmlSpaces}) {
        QBuffer device;
        device.setData(stream);
        device.open(QIODevice::ReadOnly);
        try {
            inflatePacket(device, 2 << 20);
            ADD_FAILURE() << "a stream past the limit must not load";
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QStringLiteral("Out of memory while expanding memory stream"));
        }
    }
}

TEST(HostileFiles, BitFlipsEndInAMessageOrAreFoundByTheStreamCheck) {
    const QByteArray good = catalogueFile(
        table({"mod_id:i4", "mod_nev"}, {{"1", "Ötletbörze"}, {"2", "Vita"}, {"3", "Mozaik"}}));
    const QString expected = loadMessage(good);
    std::mt19937 rng(2026);
    const QStringList known = {QStringLiteral("Error"), QStringLiteral("Stream read error"),
                               QStringLiteral("Invalid stream operation"),
                               QStringLiteral("Stream write error"),
                               QStringLiteral("Out of memory while expanding memory stream")};
    int loaded = 0, caught = 0;
    for (int i = 0; i < 300; ++i) {
        QByteArray bytes = good;
        const std::size_t bit = rng() % std::size_t(bytes.size() * 8);
        bytes[qsizetype(bit / 8)] = char(bytes[qsizetype(bit / 8)] ^ (1 << (bit % 8)));
        ScratchDir dir;
        TClientDataSet t(QStringLiteral("T"));
        try {
            LoadDataset(t, dir.write(QStringLiteral("f.cds"), bytes));
        } catch (const Error& e) {
            EXPECT_TRUE(known.contains(e.message()) ||
                        e.message().startsWith(QStringLiteral("Invalid data packet: ")))
                << bit << ": " << e.message().toStdString();
            continue;
        }
        ++loaded;
        QBuffer device(&bytes);
        device.open(QIODevice::ReadOnly);
        const StreamInspection s = inspectStream(device);
        const bool sound =
            s.problem.isEmpty() && s.ended && s.checkValueMatches && s.bytesAfterStream == 0;
        caught += !sound;
        // What loads without a sound stream may hold other data; a sound stream holds the packet
        // written.
        if (sound) {
            EXPECT_EQ(loadMessage(bytes), expected) << bit;
        }
    }
    EXPECT_GT(loaded, 0);
    EXPECT_GT(caught, 0);
}

TEST(HostileFiles, TruncatedXmlPacketsAreRejected) {
    const QByteArray good = xmlPacket("<FIELD attrname=\"f\" fieldtype=\"string\" WIDTH=\"9\"/>",
                                      "<ROW f=\"&#214;sz\"/><ROW RowState=\"4\" f=\"t\"/>",
                                      "<PARAMS CHANGE_LOG=\"2 0 4\"/>");
    for (qsizetype n = 1; n < good.size(); ++n) {
        TClientDataSet t(QStringLiteral("T"));
        try {
            t.LoadPacket(good.left(n));
            ADD_FAILURE() << "a packet cut after " << n << " bytes loads";
        } catch (const Error& e) {
            EXPECT_TRUE(e.message().startsWith(QStringLiteral("Invalid data packet: "))) << n;
        }
    }
}
