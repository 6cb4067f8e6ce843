#include "clientdataset.h"
#include "binarypacketwriter.h"
#include "error.h"
#include "packetbuilder.h"

#include <gtest/gtest.h>

#include <cmath>
#include <functional>

using namespace kavinto;
using namespace kavinto::test;

namespace {

TClientDataSet loaded(const Packet& p, const char* name = "MClientData") {
    TClientDataSet t(QString::fromLatin1(name));
    t.LoadPacket(encodeBinaryPacket(p));
    return t;
}

QStringList column(TClientDataSet& t, const QString& field) {
    QStringList out;
    for (t.GoFirst(); !t.AtEnd(); t.GoNext())
        out << (t.ReadValue(field).isNull() ? QStringLiteral("<null>")
                                            : t.ReadValue(field).toText());
    return out;
}

QString errorOf(const std::function<void()>& f) {
    try {
        f();
        return {};
    } catch (const Error& e) {
        return e.message();
    }
}

const Packet kMethods = table({"mod_id:i4", "mod_nev"}, {{"3", "csendes"},
                                                         {"1", "cukor"},
                                                         {"20", "Cukor"},
                                                         {"4", "álom"},
                                                         {"5", "alma"},
                                                         {"6", "ötlet"},
                                                         {"7", "oroszlán"},
                                                         {"8", "<null>"},
                                                         {"9", "alma"}});

}  // namespace

TEST(ClientDataSet, OpensOnTheFirstRecordInPacketOrder) {
    TClientDataSet t = loaded(kMethods);
    EXPECT_TRUE(t.Active());
    EXPECT_EQ(t.ReadValue(QStringLiteral("MOD_NEV")).toText(), QStringLiteral("csendes"));
    EXPECT_EQ(column(t, QStringLiteral("mod_id")),
              QStringList({"3", "1", "20", "4", "5", "6", "7", "8", "9"}));
    EXPECT_TRUE(t.AtEnd());
    EXPECT_EQ(t.ReadValue(QStringLiteral("mod_id")).toText(),
              QStringLiteral("9"));  // stays on the last
    EXPECT_EQ(t.ApplyPending(0), 0);
    t.OpenTable();
    EXPECT_TRUE(t.Active());
}

TEST(ClientDataSet, OrdersByHungarianCollationNumbersAndNulls) {
    TClientDataSet t = loaded(kMethods);
    t.setIndexFieldNames(QStringLiteral("mod_nev"));
    // Nulls first; cs after c; lower case before upper; equal keys in packet order.
    EXPECT_EQ(column(t, QStringLiteral("mod_nev")),
              QStringList({"<null>", "alma", "alma", "álom", "cukor", "Cukor", "csendes",
                           "oroszlán", "ötlet"}));
    EXPECT_EQ(column(t, QStringLiteral("mod_id")).mid(1, 2), QStringList({"5", "9"}));
    t.setIndexFieldNames(QStringLiteral("mod_id"));
    EXPECT_EQ(column(t, QStringLiteral("mod_id")),
              QStringList({"1", "3", "4", "5", "6", "7", "8", "9", "20"}));
    t.setIndexFieldNames(QString());
    EXPECT_EQ(column(t, QStringLiteral("mod_id")).front(), QStringLiteral("3"));
}

TEST(ClientDataSet, NotANumberEqualsNothingAndSortsLastInRecordOrder) {
    Packet p = table({"id:i4", "x:r8"}, {{"3", "0"}, {"1", "1"}, {"2", "0"}});
    p.records[0][1] = Value::floating(std::nan(""));
    p.records[2][1] = Value::floating(std::nan(""));
    TClientDataSet t = loaded(p);
    EXPECT_FALSE(t.FindValue(QStringLiteral("x"), Value::floating(std::nan(""))));
    EXPECT_TRUE(t.FindValue(QStringLiteral("x"), Value::text(QStringLiteral("1"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("1"));
    t.setIndexFieldNames(QStringLiteral("x;id"));
    EXPECT_EQ(column(t, QStringLiteral("id")), QStringList({"1", "3", "2"}));
}

TEST(ClientDataSet, OrderChangeKeepsTheCurrentRecord) {
    TClientDataSet t = loaded(kMethods);
    t.GoNext();
    t.GoNext();  // mod_id 20
    t.setIndexFieldNames(QStringLiteral("mod_id"));
    EXPECT_EQ(t.ReadValue(QStringLiteral("mod_id")).toText(), QStringLiteral("20"));
    t.GoNext();
    EXPECT_TRUE(t.AtEnd());
}

TEST(ClientDataSet, FindValueMatchesWholeTextsCaseInsensitively) {
    TClientDataSet t =
        loaded(table({"fun_id:i4", "fun_nev"}, {{"1", "Ősz"}, {"2", "STRASSE"}, {"17", "ősz"}}));
    t.setIndexFieldNames(QStringLiteral("fun_nev"));
    EXPECT_TRUE(t.FindValue(QStringLiteral("fun_nev"), Value::text(QStringLiteral("ŐSZ"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_id")).toText(),
              QStringLiteral("17"));  // "ősz" sorts first
    EXPECT_TRUE(t.FindValue(QStringLiteral("fun_nev"), Value::text(QStringLiteral("straße"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_id")).toText(), QStringLiteral("2"));
    // Not found: false, and the current record stays.
    EXPECT_FALSE(t.FindValue(QStringLiteral("fun_nev"), Value::text(QStringLiteral("Ős"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_id")).toText(), QStringLiteral("2"));
    // A numeric field reads the text as a number; a text that is no number finds nothing.
    EXPECT_TRUE(t.FindValue(QStringLiteral("fun_id"), Value::text(QStringLiteral("17"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_nev")).toText(), QStringLiteral("ősz"));
    EXPECT_TRUE(t.FindValue(QStringLiteral("fun_id"), Value::text(QStringLiteral("01"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_nev")).toText(), QStringLiteral("Ősz"));
    EXPECT_FALSE(t.FindValue(QStringLiteral("fun_id"), Value::text(QStringLiteral("egy"))));
    EXPECT_FALSE(t.FindValue(QStringLiteral("fun_id"), Value::text(QStringLiteral("18"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("fun_nev")).toText(), QStringLiteral("Ősz"));
}

TEST(ClientDataSet, FindValueFindsTheFirstInTheCurrentOrder) {
    TClientDataSet t = loaded(table({"id:i4", "n"}, {{"1", "b"}, {"2", "a"}, {"3", "b"}}));
    EXPECT_TRUE(t.FindValue(QStringLiteral("n"), Value::text(QStringLiteral("B"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("1"));
    t.setIndexFieldNames(QStringLiteral("id"));
    t.setIndexFieldNames(QStringLiteral("n"));
    EXPECT_TRUE(t.FindValue(QStringLiteral("n"), Value::text(QStringLiteral("b"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("1"));
}

TEST(ClientDataSet, ErrorsCarryTheTableName) {
    TClientDataSet t(QStringLiteral("MClientData"));
    const QString closed =
        QStringLiteral("MClientData: Cannot perform this operation on a closed dataset");
    EXPECT_EQ(errorOf([&] { t.GoFirst(); }), closed);
    EXPECT_EQ(errorOf([&] { t.GoNext(); }), closed);
    EXPECT_EQ(errorOf([&] { t.ApplyPending(0); }), closed);
    EXPECT_EQ(errorOf([&] { t.FindValue(QStringLiteral("x"), Value::text(QString())); }), closed);
    EXPECT_EQ(errorOf([&] { t.OpenTable(); }),
              QStringLiteral("MClientData: Missing data provider or data packet"));
    EXPECT_TRUE(t.AtEnd());

    t.LoadPacket(encodeBinaryPacket(kMethods));
    EXPECT_EQ(errorOf([&] { t.ReadValue(QStringLiteral("mod_fajl")); }),
              QStringLiteral("MClientData: Field 'mod_fajl' not found"));
    EXPECT_EQ(errorOf([&] { t.setIndexFieldNames(QStringLiteral("nincs")); }),
              QStringLiteral("MClientData: Field 'nincs' not found"));
    EXPECT_EQ(t.IndexFieldNames(), QString());
    t.setActive(false);
    EXPECT_FALSE(t.Active());
    EXPECT_EQ(errorOf([&] { t.OpenTable(); }),
              QStringLiteral("MClientData: Missing data provider or data packet"));
    EXPECT_EQ(errorOf([&] { t.ReadValue(QStringLiteral("mod_id")); }), closed);
}

TEST(ClientDataSet, IndexSetWhileClosedAppliesAtLoading) {
    TClientDataSet t(QStringLiteral("FClientData"));
    t.setIndexFieldNames(QStringLiteral("mod_nev"));
    t.LoadPacket(encodeBinaryPacket(kMethods));
    EXPECT_TRUE(t.ReadValue(QStringLiteral("mod_nev")).isNull());
    t.CloseTable();
    t.setIndexFieldNames(QStringLiteral("hiányzó"));
    EXPECT_EQ(errorOf([&] { t.LoadPacket(encodeBinaryPacket(kMethods)); }),
              QStringLiteral("FClientData: Field 'hiányzó' not found"));
    EXPECT_FALSE(t.Active());
}

TEST(ClientDataSet, RejectedPacketLeavesTheTableClosed) {
    TClientDataSet t = loaded(kMethods);
    EXPECT_EQ(
        errorOf([&] { t.LoadPacket(QByteArray("\x96\x19\xE0\xBD", 4)); }),
        QStringLiteral(
            "Invalid data packet: packet version at offset 4 needs 4 bytes, but the packet ends "
            "after 4 bytes"));
    EXPECT_FALSE(t.Active());
}

TEST(ClientDataSet, EmptyTableIsAtEndAtOnce) {
    TClientDataSet t = loaded(table({"id:i4"}, {}));
    EXPECT_TRUE(t.AtEnd());
    t.GoFirst();
    EXPECT_TRUE(t.AtEnd());
    EXPECT_TRUE(t.ReadValue(QStringLiteral("id")).isNull());
    EXPECT_FALSE(t.FindValue(QStringLiteral("id"), Value::text(QStringLiteral("1"))));
}

TEST(ClientDataSet, PendingChangesLoadButCannotBeApplied) {
    const QByteArray xml(
        "<?xml version=\"1.0\"?><DATAPACKET Version=\"2.0\"><METADATA><FIELDS><FIELD "
        "attrname=\"id\" "
        "fieldtype=\"i4\"/></FIELDS><PARAMS CHANGE_LOG=\"1 0 4\"/></METADATA><ROWDATA><ROW "
        "RowState=\"4\" "
        "id=\"5\"/></ROWDATA></DATAPACKET>");
    TClientDataSet t(QStringLiteral("MClientData"));
    t.LoadPacket(xml);
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("5"));
    EXPECT_EQ(errorOf([&] { t.ApplyPending(0); }),
              QStringLiteral("MClientData: Missing data provider or data packet"));
}

TEST(ClientDataSet, AnOrderPreparedInTheBackgroundIsTheSameOrder) {
    Packet p = table({"mod_id:i4", "mod_nev"}, {});
    for (int i = 0; i < 20000; ++i)
        p.records.push_back(
            {Value::integer(i), Value::text(QStringLiteral("Név %1 cs").arg((i * 7919) % 20000))});
    TClientDataSet plain = loaded(p), prepared = loaded(p);
    prepared.prepareIndex(QStringLiteral("mod_nev"));
    prepared.prepareIndex(QStringLiteral("nincs"));  // a missing field fails only when used
    const QStringList packetOrder = column(prepared, QStringLiteral("mod_nev"));  // meanwhile
    prepared.setIndexFieldNames(QStringLiteral("mod_nev"));
    plain.setIndexFieldNames(QStringLiteral("mod_nev"));
    EXPECT_EQ(column(prepared, QStringLiteral("mod_id")), column(plain, QStringLiteral("mod_id")));
    EXPECT_EQ(packetOrder.size(), 20000);
    prepared.prepareIndex(QStringLiteral("mod_id"));
    prepared.CloseTable();  // while it is computed
}
