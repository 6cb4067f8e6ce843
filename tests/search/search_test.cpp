#include "binarypacketwriter.h"
#include "criteria.h"
#include "error.h"
#include "functionsearch.h"
#include "methodlookup.h"
#include "packetbuilder.h"

#include <gtest/gtest.h>

using namespace kavinto;
using namespace kavinto::test;

namespace {

// A methods table from rows "id|name|file|flags", flags as 17 characters of 0/1 (or n for null).
TClientDataSet methods(std::initializer_list<const char*> rows) {
    Packet p;
    p.lcid = 1038;
    p.fields = methodFieldDefs(FieldType::String);
    for (const char* row : rows) {
        const QStringList parts = QString::fromUtf8(row).split(QLatin1Char('|'));
        Record r{Value::integer(parts[0].toInt()), Value::text(parts[1]), Value::text(parts[2])};
        for (QChar c : parts[3])
            r.push_back(c == QLatin1Char('n') ? Value() : Value::text(QString(c)));
        p.records.push_back(std::move(r));
    }
    TClientDataSet t(QStringLiteral("MClientData"));
    t.LoadPacket(encodeBinaryPacket(p));
    return t;
}

TClientDataSet functions() {
    TClientDataSet t(QStringLiteral("FClientData"));
    t.LoadPacket(encodeBinaryPacket(
        table({"fun_id:i4", "fun_nev"},
              {{"1", "Ráhangolódás"}, {"2", "Motiváció"}, {"3", "Gyakorlás"}, {"20", "Húsz"}})));
    t.setIndexFieldNames(QStringLiteral("fun_nev"));
    return t;
}

struct Query {
    const char* what;
    kavinto::select selection;
    std::vector<const char*> rows;  // "number|name|functions|file"
};

QString joined(const ResultRow& r) {
    return QStringList{r[0], r[1], r[2], r[3], r[4]}.join(QLatin1Char('|'));
}

}  // namespace

TEST(Criteria, RefusalsFollowTheChoices) {
    const QString d = QStringLiteral("-");
    const QString x = QStringLiteral("x");
    EXPECT_EQ(refusalOf({d, d, d, d}), kNoCriterionMessage);
    EXPECT_EQ(refusalOf({d, d, x, d}), kOrderMessage);
    EXPECT_EQ(refusalOf({d, d, d, x}), kOrderMessage);
    EXPECT_EQ(refusalOf({d, d, x, x}), kOrderMessage);
    EXPECT_EQ(refusalOf({x, d, x, d}), std::nullopt);  // a method: the functions do not matter
    EXPECT_EQ(refusalOf({d, x, d, x}), std::nullopt);
    EXPECT_EQ(refusalOf({QString(), QString(), QString(), QString()}),
              std::nullopt);  // after a failed load
}

TEST(FunctionSearch, GoldenQueries) {
    const QString d = QStringLiteral("-");
    const std::vector<Query> queries = {
        {"first only",
         {d, QStringLiteral("Motiváció"), d, d},
         {"4|1.|Ábécé|Motiváció; |a.pdf", "2|2.|cukor|Ráhangolódás; Motiváció; Gyakorlás; |c.pdf",
          "3|3.|csend|Motiváció; Gyakorlás; |cs.pdf"}},
        {"first and second",
         {d, QStringLiteral("MOTIVÁCIÓ"), QStringLiteral("gyakorlás"), d},
         {"2|1.|cukor|Ráhangolódás; Motiváció; Gyakorlás; |c.pdf",
          "3|2.|csend|Motiváció; Gyakorlás; |cs.pdf"}},
        {"all three",
         {d, QStringLiteral("Motiváció"), QStringLiteral("Gyakorlás"),
          QStringLiteral("Ráhangolódás")},
         {"2|1.|cukor|Ráhangolódás; Motiváció; Gyakorlás; |c.pdf"}},
        {"unknown second is skipped",
         {d, QStringLiteral("Ráhangolódás"), QStringLiteral("nincs ilyen"), d},
         {"2|1.|cukor|Ráhangolódás; Motiváció; Gyakorlás; |c.pdf"}},
        {"unknown first finds nothing",
         {d, QStringLiteral("nincs"), QStringLiteral("Motiváció"), d},
         {}},
        {"number outside 1-17", {d, QStringLiteral("Húsz"), d, d}, {}},
    };
    for (const Query& q : queries) {
        SCOPED_TRACE(q.what);
        TClientDataSet m =
            methods({"2|cukor|c.pdf|11100000000000000", "3|csend|cs.pdf|01100000000000000",
                     "4|Ábécé|a.pdf|01000000000000000", "5|Nulla|n.pdf|n0n00000000000000"});
        TClientDataSet f = functions();
        WorkingRecords records;
        records.selection = q.selection;
        const int hits = functionSearch(m, f, records);
        std::vector<QString> rows;
        const FilledRows filled = fillResultRows(m, f, records, hits);
        ASSERT_FALSE(filled.failure);
        for (int r = 1; filled.rows && r <= filled.rows->lastRow(); ++r)
            rows.push_back(joined(filled.rows->row(r)));
        ASSERT_EQ(rows.size(), q.rows.size());
        for (std::size_t i = 0; i < rows.size(); ++i)
            EXPECT_EQ(rows[i], QString::fromUtf8(q.rows[i]));
    }
}

TEST(FunctionSearch, FunctionNumberTexts) {
    TClientDataSet m = methods({"1|a|a.pdf|10000000000000000"});
    TClientDataSet f = functions();
    WorkingRecords records;
    records.selection = {QStringLiteral("-"), QStringLiteral("Gyakorlás"), QStringLiteral("-"),
                         QStringLiteral("nincs")};
    functionSearch(m, f, records);
    EXPECT_EQ(records.func1_id, QStringLiteral("3"));
    EXPECT_EQ(records.func2_id, QStringLiteral("-"));
    EXPECT_EQ(records.func3_id, QStringLiteral("-"));

    // All three are "-" before any is looked up: a failing lookup leaves no earlier search's
    // number.
    TClientDataSet broken(QStringLiteral("FClientData"));
    broken.LoadPacket(
        encodeBinaryPacket(table({"fun_id:i4", "fun_nev"}, {{"1", "Egy"}, {"<null>", "Kettő"}})));
    records.func3_id = QStringLiteral("7");
    records.selection = {QStringLiteral("-"), QStringLiteral("Egy"), QStringLiteral("Kettő"),
                         QStringLiteral("Egy")};
    EXPECT_THROW(functionSearch(m, broken, records), Error);
    EXPECT_EQ(records.func1_id, QStringLiteral("1"));
    EXPECT_EQ(records.func3_id, QStringLiteral("-"));
}

TEST(MethodLookup, FillsTheRecordsAndTheRow) {
    TClientDataSet m =
        methods({"7|Vita|vita.pdf|10100000000000001", "8|VITA|masik.pdf|00000000000000000"});
    TClientDataSet f = functions();
    WorkingRecords records;
    records.selection.modszer = QStringLiteral("vita");
    const std::optional<ResultRow> row = lookupMethod(m, f, records);
    ASSERT_TRUE(row);
    // "VITA" sorts before "Vita"? Lower case first: "Vita" is found first.
    EXPECT_EQ(joined(*row), QStringLiteral("7|1.|Vita|Ráhangolódás; Gyakorlás; |vita.pdf"));
    EXPECT_EQ(records.hit(1).fun_k(1), QStringLiteral("1"));
    EXPECT_EQ(records.hit(1).fun_k(17), QStringLiteral("1"));
    EXPECT_EQ(records.name_list[0].fun_k(3), QStringLiteral("Gyakorlás"));
    EXPECT_TRUE(records.name_list[0].fun_k(17).isEmpty());  // the functions table lacks 17
    EXPECT_EQ(records.name_list[0].fun_list, QStringLiteral("Ráhangolódás; Gyakorlás; "));

    records.selection.modszer = QStringLiteral("Nincs ilyen");
    EXPECT_FALSE(lookupMethod(m, f, records));
}

TEST(MethodLookup, NullFlagFailsAsText) {
    TClientDataSet m = methods({"1|a|a.pdf|n0000000000000000"});
    TClientDataSet f = functions();
    WorkingRecords records;
    records.selection.modszer = QStringLiteral("a");
    try {
        lookupMethod(m, f, records);
        FAIL();
    } catch (const Error& e) {
        EXPECT_EQ(e.message(),
                  QStringLiteral("Could not convert variant of type (Null) into type (String)"));
    }
}

TEST(WorkingRecords, ArrayclearEmptiesBothArraysOnly) {
    WorkingRecords r;
    r.selection.modszer = QStringLiteral("Vita");
    r.func1_id = QStringLiteral("3");
    r.hit(100).nev = QStringLiteral("x");
    r.name_list[99].fun_list = QStringLiteral("y");
    BitVector hits(5);
    hits.set(2);
    hits.set(4);
    r.hits.records = std::make_shared<const HitRecords>(std::make_shared<RecordOrder>(5), hits);
    r.arrayclear();
    EXPECT_EQ(r.hit_list.size(), 100u);
    EXPECT_TRUE(r.hits.records->empty());
    for (const auto* list : {&r.hit_list, &r.name_list})
        for (const t_result& e : *list) {
            EXPECT_TRUE(e.nev.isEmpty() && e.fajl.isEmpty() && e.azon.isEmpty() &&
                        e.fun_list.isEmpty());
            for (const QString& f : e.fun) EXPECT_TRUE(f.isEmpty());
        }
    EXPECT_EQ(r.selection.modszer, QStringLiteral("Vita"));
    EXPECT_EQ(r.func1_id, QStringLiteral("3"));
}

TEST(HitRecords, HitIFoundByRankIsTheIthInOrder) {
    std::vector<quint32> reversed(1000);
    for (quint32 p = 0; p < 1000; ++p) reversed[p] = 999 - p;
    BitVector a(1000), b(1000);
    for (std::size_t p = 0; p < 1000; ++p) {
        if (p % 3 == 0 || p % 64 == 63)
            a.set(p);
        if (p % 7 != 0)
            b.set(p);
    }
    const HitRecords hits(std::make_shared<RecordOrder>(reversed), BitVector::allOf({&a, &b}));
    std::vector<quint32> walked;
    hits.forEachWhile([&](std::size_t, quint32 record) {
        walked.push_back(record);
        return true;
    });
    ASSERT_EQ(walked.size(), hits.size());
    EXPECT_EQ(walked.front(), 996u);  // position 3
    for (std::size_t i = 0; i < hits.size(); ++i) {
        EXPECT_EQ(hits[i], walked[i]);
        EXPECT_TRUE(a.test(999 - walked[i]) && b.test(999 - walked[i]));
    }
}
