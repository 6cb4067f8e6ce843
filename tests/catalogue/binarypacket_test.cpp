#include "binarypacket.h"
#include "binarypacketwriter.h"
#include "error.h"
#include "packetbuilder.h"

#include <gtest/gtest.h>

#include <functional>

using namespace kavinto;
using namespace kavinto::test;

namespace {

QByteArray name(const char* n) {
    return QByteArray(1, char(qstrlen(n))) + QByteArray(n);
}

QByteArray field(const char* n, qint16 size, quint16 type, QByteArray props = {},
                 quint16 count = 0) {
    return name(n) + le16(quint16(size)) + le16(type) + le16(0) + le16(count) + props;
}

QByteArray lcidProperty(quint32 lcid) {
    return name("LCID") + le16(4) + le16(1) + le32(lcid);
}

// A packet as built by hand: fields, packet properties, records.
QByteArray packet(quint16 fieldCount, qint32 records, const QByteArray& fields,
                  const QByteArray& props, quint16 propCount, const QByteArray& data) {
    const QByteArray header = fields + le16(propCount) + props;
    return QByteArray("\x96\x19\xE0\xBD", 4) + le32(1) + le32(24) + le16(fieldCount) +
           le32(quint32(records)) + le32(3) + le16(quint16(24 + header.size())) + header + data;
}

// id i4, name varying string with a 1-byte length: two records.
QByteArray validPacket() {
    const QByteArray fields = field("id", 4, 1) + field("name", 1, 0x49);
    const QByteArray data = QByteArray(2, '\0') + le32(1) + QByteArray(1, '\x05') +
                            QByteArray("\xC1rv\xEDz", 5) + QByteArray("\x00\x04", 2) +
                            le32(2);  // record 2: name null
    return packet(2, 2, fields, lcidProperty(1038), 1, data);
}

QString decodeError(const QByteArray& bytes) {
    try {
        decodeBinaryPacket(bytes);
        return {};
    } catch (const Error& e) {
        return e.message();
    }
}

}  // namespace

TEST(BinaryPacket, DecodesFieldsRecordsAndNulls) {
    const Table p = decodeBinaryPacket(validPacket());
    ASSERT_EQ(std::size_t(p.fieldCount()), 2u);
    EXPECT_EQ(p.field(0).name, QStringLiteral("id"));
    EXPECT_EQ(p.field(0).type, FieldType::Int32);
    EXPECT_EQ(p.field(1).type, FieldType::String);
    EXPECT_EQ(p.lcid, 1038);
    ASSERT_EQ(p.recordCount(), 2u);
    EXPECT_EQ(p.value(0, 1).toText(), QStringLiteral("Árvíz"));  // windows-1250
    EXPECT_TRUE(p.value(1, 1).isNull());
    EXPECT_FALSE(p.hasPendingChanges);
}

TEST(BinaryPacket, EachStructuralFaultIsNamed) {
    const QByteArray good = validPacket();
    auto patched = [&](qsizetype at, const QByteArray& with) {
        QByteArray b = good;
        b.replace(at, with.size(), with);
        return b;
    };
    // Each defect and the message after "Invalid data packet: ".
    const std::vector<std::pair<QByteArray, const char*>> cases = {
        {patched(0, QByteArray("\x96\x19\xE0\xBE", 4)), "the binary signature is missing"},
        {good.left(20),
         "header field at offset 18 needs 4 bytes, but the packet ends after 20 bytes"},
        {patched(14, le32(0xFFFFFFFF)), "the record count -1 is negative"},
        {patched(14, le32(3)),
         "record status at offset 81 needs 1 bytes, but the packet ends after 81 bytes"},
        {patched(12, le16(1)),  // fewer fields than declared
         "property name at offset 38 needs 97 bytes, but the packet ends after 81 bytes"},
        {patched(22, le16(30)),
         "the header size 30 does not match the header, which ends at offset 63"},
        {patched(22, le16(500)),
         "the header size 500 does not match the header, which ends at offset 63"},
        {patched(69, QByteArray("\x50", 1)),
         "field 'name' of record 1 at offset 70 declares 80 bytes, more than the packet holds"},
        {good + QByteArray("xx"), "2 bytes follow the last record at offset 81"},
        {patched(27, le16(3)), "field 1 ('id') has the size 3, which its type does not allow"},
        {patched(64, QByteArray("\x03", 1)),
         "field 'id' of record 1 has the invalid field status 3"},
    };
    for (const auto& [bytes, message] : cases)
        EXPECT_EQ(decodeError(bytes),
                  QStringLiteral("Invalid data packet: ") + QLatin1String(message));

    const std::vector<std::pair<quint16, const char*>> unsupported = {{14, "a nested table"},
                                                                      {12, "an ADT field"},
                                                                      {0x81, "an array field"},
                                                                      {15, "a reference field"}};
    for (const auto& [type, what] : unsupported)
        EXPECT_EQ(
            decodeError(patched(29, le16(type))),
            QStringLiteral("Invalid data packet: field 1 ('id') is %1, which is not supported")
                .arg(QLatin1String(what)));
}

TEST(BinaryPacket, TruncationAtEveryOffsetIsRejected) {
    const QByteArray good = encodeBinaryPacket(
        table({"id:i4", "name", "wide:string.uni"}, {{"1", "Őz", "Łódź"}, {"2", "<null>", "x"}}));
    for (qsizetype n = 0; n < good.size(); ++n)
        EXPECT_TRUE(decodeError(good.left(n)).startsWith(QStringLiteral("Invalid data packet: ")))
            << n;
    EXPECT_EQ(decodeError(good), QString());
}

TEST(BinaryPacket, PropertyArrayCountPastTheEndIsRejected) {
    const QByteArray log = name("CHANGE_LOG") + le16(4) + le16(0x82) + le32(0x40000000);
    EXPECT_EQ(
        decodeError(packet(1, 0, field("id", 4, 1), log, 1, {})),
        QStringLiteral(
            "Invalid data packet: property 'CHANGE_LOG' at offset 37 declares 1073741824 elements "
            "of 4 bytes, more than the packet holds"));
}

TEST(BinaryPacket, CodePageFollowsTheLcid) {
    const QByteArray fields = field("s", 1, 0x49);
    const QByteArray data = QByteArray(2, '\0') + QByteArray("\x01\xE9", 2);  // 0xE9
    EXPECT_EQ(
        decodeBinaryPacket(packet(1, 1, fields, lcidProperty(1033), 1, data)).value(0, 0).toText(),
        QStringLiteral("é"));  // windows-1252
    EXPECT_EQ(
        decodeBinaryPacket(packet(1, 1, fields, lcidProperty(1049), 1, data)).value(0, 0).toText(),
        QStringLiteral("й"));  // windows-1251
    EXPECT_EQ(decodeBinaryPacket(packet(1, 1, fields, {}, 0, data)).value(0, 0).toText(),
              QStringLiteral("é"));  // no LCID: windows-1250, where 0xE9 is é too
    const QByteArray o = QByteArray(2, '\0') + QByteArray("\x01\xF5", 2);
    EXPECT_EQ(decodeBinaryPacket(packet(1, 1, fields, {}, 0, o)).value(0, 0).toText(),
              QStringLiteral("ő"));
}

TEST(BinaryPacket, PendingChangesShowTheCurrentRecords) {
    // Records 1-3 inserted, then record 4 modifies record 1 and keeps its name.
    const QByteArray fields = field("id", 4, 1) + field("name", 1, 0x49);
    const QByteArray log = name("CHANGE_LOG") + le16(4) + le16(0x82) + le32(12) + le32(1) +
                           le32(0) + le32(4) + le32(2) + le32(0) + le32(4) + le32(3) + le32(0) +
                           le32(4) + le32(4) + le32(1) + le32(8);
    auto rec = [](char status, int id, const char* n) {
        return QByteArray(1, status) + QByteArray(1, '\0') + le32(quint32(id)) +
               QByteArray(1, char(qstrlen(n))) + QByteArray(n);
    };
    const QByteArray data = rec(5, 1, "a") + rec(4, 2, "b") + rec(4, 3, "c") +
                            QByteArray(1, '\x0C') + QByteArray(1, '\x08') +
                            le32(10);  // name "not changed"
    const Table p = decodeBinaryPacket(packet(2, 4, fields, log, 1, data));
    EXPECT_TRUE(p.hasPendingChanges);
    ASSERT_EQ(p.recordCount(), 3u);
    EXPECT_EQ(p.value(0, 0).toText(), QStringLiteral("10"));
    EXPECT_EQ(p.value(0, 1).toText(), QStringLiteral("a"));
    EXPECT_EQ(p.value(1, 0).toText(), QStringLiteral("2"));
    EXPECT_EQ(p.value(2, 0).toText(), QStringLiteral("3"));
}

TEST(BinaryPacket, MalformedChangeLogsAreRejected) {
    const QByteArray fields = field("id", 4, 1);
    const QByteArray data = QByteArray(1, '\x04') + QByteArray(1, '\0') + le32(1);
    auto withLog = [&](std::initializer_list<quint32> entries) {
        QByteArray log = name("CHANGE_LOG") + le16(4) + le16(0x82) + le32(quint32(entries.size()));
        for (quint32 e : entries) log += le32(e);
        return decodeError(packet(1, 1, fields, log, 1, data));
    };
    EXPECT_EQ(
        withLog({1, 0}),
        QStringLiteral("Invalid data packet: change log has 2 entries, not a multiple of three"));
    EXPECT_EQ(withLog({2, 0, 4}),
              QStringLiteral("Invalid data packet: change log entry 1 names record 2 of 1"));
    EXPECT_EQ(
        withLog({1, 0, 4, 1, 0, 4}),
        QStringLiteral("Invalid data packet: change log entry 2 adds record 1 a second time"));
    EXPECT_EQ(withLog({1, 0, 16}),
              QStringLiteral("Invalid data packet: change log entry 1 has the unknown kind 16"));
    EXPECT_EQ(withLog({1, 0, 4}), QString());
}
