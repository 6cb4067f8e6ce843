#include "xmlpacket.h"
#include "error.h"
#include "qtprinters.h"

#include <QRegularExpression>

#include <gtest/gtest.h>

#include <random>

using namespace kavinto;

namespace {

QByteArray xml(const char* fields, const char* rows,
               const char* declaration = "<?xml version=\"1.0\" standalone=\"yes\"?>",
               const char* params = "<PARAMS LCID=\"1038\"/>") {
    return QByteArray(declaration) + "  <DATAPACKET Version=\"2.0\"><METADATA><FIELDS>" + fields +
           "</FIELDS>" + params + "</METADATA><ROWDATA>" + rows + "</ROWDATA></DATAPACKET>";
}

QString decodeError(const QByteArray& bytes) {
    try {
        decodeXmlPacket(bytes);
        return {};
    } catch (const Error& e) {
        return e.message();
    }
}

}  // namespace

TEST(XmlPacket, NamesNullsAndTextForms) {
    const Table p = decodeXmlPacket(
        xml("<FIELD fieldname=\"Length (cm)\" attrname=\"Length__cm_\" fieldtype=\"r8\"/>"
            "<FIELD attrname=\"nev\" fieldtype=\"string\" WIDTH=\"20\" required=\"true\"/>"
            "<FIELD attrname=\"memo\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>",
            "<ROW Length__cm_=\"90.15748031496059\" nev=\"&#336;sz &amp; t&#233;l\" "
            "memo=\"a&#013;&#010;b\"/><ROW/>"));
    ASSERT_EQ(std::size_t(p.fieldCount()), 3u);
    EXPECT_EQ(p.field(0).name, QStringLiteral("Length (cm)"));
    EXPECT_EQ(p.field(1).width, 20);
    EXPECT_EQ(p.field(1).attributes, kRequired);
    EXPECT_EQ(p.value(0, 0).toText(), QStringLiteral("90.1574803149606"));
    EXPECT_EQ(p.value(0, 1).toText(), QStringLiteral("Ősz & tél"));
    EXPECT_EQ(p.value(0, 2).toText(), QStringLiteral("a\r\nb"));
    EXPECT_TRUE(p.value(1, 0).isNull());
    EXPECT_TRUE(p.value(1, 1).isNull());
}

TEST(XmlPacket, AllThreeFormsOfNonAsciiText) {
    const char* fields = "<FIELD attrname=\"n\" fieldtype=\"string\" WIDTH=\"9\"/>";
    const QString expected = QStringLiteral("Ötletbörze");
    EXPECT_EQ(
        decodeXmlPacket(xml(fields, "<ROW n=\"&#214;tletb&#246;rze\"/>")).value(0, 0).toText(),
        expected);
    EXPECT_EQ(decodeXmlPacket(xml(fields, "<ROW n=\"\xC3\x96tletb\xC3\xB6rze\"/>",
                                  "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>"))
                  .value(0, 0)
                  .toText(),
              expected);
    EXPECT_EQ(decodeXmlPacket(xml(fields, "<ROW n=\"\xD6tletb\xF6rze\"/>",
                                  "<?xml version=\"1.0\" encoding=\"windows-1250\"?>"))
                  .value(0, 0)
                  .toText(),
              expected);
    // No declared encoding: raw bytes are in the LCID's code page.
    EXPECT_EQ(decodeXmlPacket(xml(fields, "<ROW n=\"\xD5sz\"/>")).value(0, 0).toText(),
              QStringLiteral("Ősz"));
    EXPECT_EQ(decodeXmlPacket(xml(fields, "<ROW n=\"\xD5sz\"/>", "<?xml version=\"1.0\"?>",
                                  "<PARAMS LCID=\"1033\"/>"))
                  .value(0, 0)
                  .toText(),
              QStringLiteral("Õsz"));
}

TEST(XmlPacket, EachFaultIsNamed) {
    struct Case {
        const char* defect;
        QByteArray bytes;
        const char* message;
    };
    const char* idField = "<FIELD attrname=\"id\" fieldtype=\"i2\"/>";
    const std::vector<Case> cases = {
        {"malformed XML", QByteArray("<?xml version=\"1.0\"?><DATAPACKET><METADATA></DATAPACKET>"),
         "Invalid data packet: malformed XML at line 1, column 56: Opening and ending tag "
         "mismatch."},
        {"another root", QByteArray("<?xml version=\"1.0\"?><TABLE/>"),
         "Invalid data packet: the XML packet begins with <TABLE>, not <DATAPACKET>"},
        {"no metadata", QByteArray("<DATAPACKET Version=\"2.0\"><ROWDATA/></DATAPACKET>"),
         "Invalid data packet: the XML packet has no METADATA"},
        {"unknown type", xml("<FIELD attrname=\"x\" fieldtype=\"money\"/>", ""),
         "Invalid data packet: field 1 ('x') at line 1, column 123 has the unknown type 'money'"},
        {"nested table", xml("<FIELD attrname=\"x\" fieldtype=\"nested\"><FIELDS/></FIELD>", ""),
         "Invalid data packet: field 1 ('x') at line 1, column 123 has the type nested, which is "
         "not supported"},
        {"integer out of range", xml(idField, "<ROW id=\"40000\"/>"),
         "Invalid data packet: field 'id' of row 1 at line 1, column 188 holds '40000', which is "
         "no i2 value"},
        {"no number", xml(idField, "<ROW id=\"12a\"/>"),
         "Invalid data packet: field 'id' of row 1 at line 1, column 186 holds '12a', which is no "
         "i2 value"},
        {"bad base64",
         xml("<FIELD attrname=\"b\" fieldtype=\"bin.hex\" SUBTYPE=\"Graphics\"/>",
             "<ROW b=\"@@@\"/>"),
         "Invalid data packet: field 'b' of row 1 at line 1, column 208 holds '@@@', which is no "
         "bin.hex value"},
        {"bad date", xml("<FIELD attrname=\"d\" fieldtype=\"date\"/>", "<ROW d=\"20041301\"/>"),
         "Invalid data packet: field 'd' of row 1 at line 1, column 191 holds '20041301', which is "
         "no date value"},
        {"two fields, one attrname",
         xml("<FIELD attrname=\"x\" fieldtype=\"i4\"/><FIELD fieldname=\"x y\" attrname=\"x\" "
             "fieldtype=\"i4\"/>",
             ""),
         "Invalid data packet: field 2 ('x y') at line 1, column 172 has the attrname 'x' of field "
         "1"},
        {"unknown encoding", xml(idField, "", "<?xml version=\"1.0\" encoding=\"x-nonsense\"?>"),
         "Invalid data packet: the encoding x-nonsense of the XML text is not available"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(decodeError(c.bytes), QString::fromLatin1(c.message)) << c.defect;
}

TEST(XmlPacket, RowStatesAndChangeLog) {
    const Table p = decodeXmlPacket(xml("<FIELD attrname=\"id\" fieldtype=\"i4\"/>",
                                        "<ROW RowState=\"5\" id=\"1\"/><ROW RowState=\"4\" "
                                        "id=\"2\"/><ROW RowState=\"12\" id=\"3\"/>",
                                        "<?xml version=\"1.0\"?>",
                                        "<PARAMS CHANGE_LOG=\"1 0 4 2 0 4 3 1 8\"/>"));
    EXPECT_TRUE(p.hasPendingChanges);
    ASSERT_EQ(p.recordCount(), 2u);
    EXPECT_EQ(p.value(0, 0).toText(), QStringLiteral("3"));
    EXPECT_EQ(p.value(1, 0).toText(), QStringLiteral("2"));
}

// The text reaches the reader in pieces of a megabyte: values and characters
// that straddle a piece, other encodings, and faults found past the first.
TEST(XmlPacket, TextInPieces) {
    const char* fields = "<FIELD attrname=\"n\" fieldtype=\"string.uni\"/>";
    const char* utf8 = "<?xml version=\"1.0\" encoding=\"UTF-8\"?>";
    const QString long1 = QString(700000, QChar(0x151));  // 'ő', two bytes in UTF-8
    for (const char* pad : {"", "x"}) {
        const QString value = QString::fromLatin1(pad) + long1;
        const QByteArray bytes = xml(fields, "<ROW n=\"" + value.toUtf8() + "\"/>", utf8);
        EXPECT_EQ(decodeXmlPacket(bytes).value(0, 0).toText(), value);
        QByteArray broken = bytes;
        broken[broken.size() - 40] = '\xFF';
        EXPECT_EQ(decodeError(broken),
                  QStringLiteral("Invalid data packet: the XML text is not valid UTF-8"));
    }
    const QString utf16Text = QString::fromUtf8(
        xml(fields, "<ROW n=\"Ősz\"/>", "<?xml version=\"1.0\" encoding=\"UTF-16\"?>"));
    const QByteArray utf16 =
        QByteArray("\xFF\xFE") +
        QByteArray(reinterpret_cast<const char*>(utf16Text.utf16()), utf16Text.size() * 2);
    EXPECT_EQ(decodeXmlPacket(utf16).value(0, 0).toText(), QStringLiteral("Ősz"));
    EXPECT_EQ(decodeError(QByteArray(utf8) + "<!-- \xC5\x91\xC5\x91 --><!DOCTYPE x><DATAPACKET/>"),
              QStringLiteral("Invalid data packet: the XML packet declares a document type at "
                             "line 1, column 50, which a data packet does not have"));
}

// Rows are read straight from the bytes where they are simple, else by the
// XML reader; a comment before the rows makes the reader read them all. Both
// must agree on every packet: the same values, or the same fault.
TEST(XmlPacket, RowsReadDirectlyAgreeWithTheXmlReader) {
    const char* fields =
        "<FIELD attrname=\"id\" fieldtype=\"i4\"/><FIELD attrname=\"n\" "
        "fieldtype=\"string.uni\"/><FIELD attrname=\"m\" fieldtype=\"bin.hex\" SUBTYPE=\"Text\"/>";
    // Mostly what reads well, now and then what does not.
    const std::vector<QByteArray> good = {"a",         " ",     "\t",       "\r\n",     "\r",
                                          "\n",        "&amp;", "&lt;&gt;", "&#10;",    "&#x151;",
                                          "&#x1F600;", "'",     ">",        "\xC5\x91", "12"};
    const std::vector<QByteArray> bad = {"&#0;", "&bogus;",      "&#xD800;", "<", "\xFF",
                                         "\x01", "\xEF\xBF\xBF", "&#",       "\""};
    const std::vector<QByteArray> between = {"", " ", "\n", "\r\n "};
    const std::vector<QByteArray> oddBetween = {"<!-- c -->", "<X/>", "x", "<?p?>"};
    std::mt19937 rng(7);
    auto pick = [&](const auto& v) {
        return v[std::uniform_int_distribution<std::size_t>(0, v.size() - 1)(rng)];
    };
    auto rarely = [&] { return rng() % 40 == 0; };
    auto value = [&] {
        QByteArray v;
        for (int k = std::uniform_int_distribution<int>(0, 3)(rng); k > 0; --k)
            v += rarely() ? pick(bad) : pick(good);
        return v;
    };
    auto outcome = [](const QByteArray& bytes) {
        try {
            const Table t = decodeXmlPacket(bytes);
            QStringList cells;
            for (std::size_t r = 0; r < t.recordCount(); ++r)
                for (int f = 0; f < t.fieldCount(); ++f)
                    cells << (t.value(r, f).isNull() ? QStringLiteral("<null>")
                                                     : t.value(r, f).toText());
            return cells.join(u'|');
        } catch (const Error& e) {
            return QString(e.message())
                .remove(QRegularExpression(QStringLiteral(" at line \\d+, column \\d+")));
        }
    };
    const std::vector<QByteArray> names = {"id", "n", "m", "RowState"};
    const std::vector<QByteArray> oddNames = {"other", "n:x", "1n", "\xC5\x91"};
    int loaded = 0;
    for (int i = 0; i < 600; ++i) {
        QByteArray rows;
        for (int r = std::uniform_int_distribution<int>(0, 3)(rng); r > 0; --r) {
            rows += (rarely() ? pick(oddBetween) : pick(between)) + "<ROW";
            std::vector<QByteArray> attributes = names;
            std::shuffle(attributes.begin(), attributes.end(), rng);
            attributes.resize(std::uniform_int_distribution<std::size_t>(0, names.size())(rng));
            if (rarely())
                attributes.push_back(rng() % 2 ? pick(oddNames) : pick(names));
            for (const QByteArray& name : attributes) {
                const char q = rng() % 4 ? '"' : '\'';
                const QByteArray v = name == "id" || name == "RowState"
                                         ? (rarely() ? value() : QByteArray::number(int(rng() % 9)))
                                         : value();
                rows += (rarely() ? "" : " ") + name + "=" + q + v + q;
            }
            rows += rng() % 3 ? "/>" : "></ROW>";
        }
        const QByteArray direct = xml(fields, rows, "<?xml version=\"1.0\" encoding=\"UTF-8\"?>");
        QByteArray viaReader = direct;
        viaReader.replace("<ROWDATA>", "<!-- --><ROWDATA>");
        const QString result = outcome(direct);
        ASSERT_EQ(result, outcome(viaReader)) << rows.toStdString();
        loaded += !result.startsWith(QLatin1String("Invalid"));
    }
    EXPECT_GT(loaded, 300);  // most packets load, so that values are compared
}
