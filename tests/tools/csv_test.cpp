#include "csv.h"
#include "error.h"
#include "qtprinters.h"

#include <gtest/gtest.h>

using namespace kavinto;

TEST(Csv, SpreadsheetExports) {
    // UTF-8 with BOM, semicolons, quotes with a separator, a quote and a line break inside.
    const CsvTable t = parseCsv(
        QByteArray("\xEF\xBB\xBF"
                   "fun_id;fun_nev\r\n1;\"Összegzés; \"\"lezárás\"\"\"\r\n\r\n2;\"két\nsor\"\r\n"),
        QStringLiteral("f.csv"));
    EXPECT_EQ(t.header, QStringList({"fun_id", "fun_nev"}));
    ASSERT_EQ(t.rows.size(), 2u);
    EXPECT_EQ(t.rows[0].cells, QStringList({"1", "Összegzés; \"lezárás\""}));
    EXPECT_EQ(t.rows[1].line, 4);
    EXPECT_EQ(t.rows[1].cells[1], QStringLiteral("két\nsor"));
    EXPECT_EQ(t.column(QStringLiteral("FUN_NEV")), 1);

    const CsvTable ansi = parseCsv(QByteArray("a,b\n1,\xD5sz\n"), QStringLiteral("w.csv"));
    EXPECT_EQ(ansi.rows[0].cells[1], QStringLiteral("Ősz"));
    // Only the file's first U+FEFF is a byte order mark.
    const CsvTable bom = parseCsv(QByteArray("a\n\xEF\xBB\xBFx\n"), QStringLiteral("b.csv"));
    EXPECT_EQ(bom.rows[0].cells[0], QChar(0xFEFF) + QStringLiteral("x"));
}

TEST(Csv, RefusalsNameTheirLine) {
    const std::vector<std::pair<QByteArray, const char*>> cases = {
        {"a,b\n1,2\n3,\"open\n", "x.csv: line 3: a quoted field is not closed"},
        {"a,b\r1,2\r",
         "x.csv: the lines end in a carriage return alone; save the file with CR LF or LF line "
         "ends"},
        {"a,b\n1,x\ry\n", "x.csv: line 2: a carriage return stands alone outside quotes"},
    };
    for (const auto& [bytes, message] : cases) {
        try {
            parseCsv(bytes, QStringLiteral("x.csv"));
            ADD_FAILURE() << message;
        } catch (const Error& e) {
            EXPECT_EQ(e.message(), QString::fromUtf8(message));
        }
    }
}
