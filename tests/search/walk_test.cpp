// The search over bit sets against a straightforward walk over the table,
// record by record, on random catalogues: same hits, same order, same rows,
// same failures.

#include "binarypacketwriter.h"
#include "error.h"
#include "functionsearch.h"
#include "methodlookup.h"
#include "packetbuilder.h"
#include "resultrows.h"

#include <gtest/gtest.h>

#include <random>

using namespace kavinto;
using namespace kavinto::test;

namespace {

const Value kOne = Value::text(QStringLiteral("1"));

struct Outcome {
    QStringList rows;  // the rows written, "id|n.|name|functions|file"
    QString error;     // the failure that ended the search, if any
    bool operator==(const Outcome& o) const { return rows == o.rows && error == o.error; }
};

std::ostream& operator<<(std::ostream& os, const Outcome& o) {
    return os << qPrintable(o.rows.join(QStringLiteral(" / ")))
              << " error: " << qPrintable(o.error);
}

// The search as the table is walked: every record read in name order.
Outcome walk(TClientDataSet& m, TClientDataSet& f, const kavinto::select& s) {
    Outcome out;
    try {
        auto id = [&](const QString& name) {
            if (name == QLatin1String("-"))
                return QStringLiteral("-");
            f.setIndexFieldNames(QStringLiteral("fun_nev"));
            return f.FindValue(QStringLiteral("fun_nev"), Value::text(name))
                       ? f.ReadValue(QStringLiteral("fun_id")).toText()
                       : QStringLiteral("-");
        };
        const QString ids[3] = {id(s.func1), id(s.func2), id(s.func3)};
        std::vector<int> hits;
        if (ids[0] != QLatin1String("-")) {
            m.setIndexFieldNames(QStringLiteral("mod_nev"));
            for (m.GoFirst(); !m.AtEnd(); m.GoNext())
                for (int k = 1; k <= 17; ++k)
                    if (ids[0] == QString::number(k) &&
                        m.ReadValue(methodFlagField(k)).equals(kOne)) {
                        m.ReadValue(QStringLiteral("mod_id")).toText();
                        m.ReadValue(QStringLiteral("mod_nev")).toText();
                        hits.push_back(m.Bookmark());
                    }
        }
        for (int pass = 1; pass < 3; ++pass) {
            if (ids[pass] == QLatin1String("-"))
                continue;
            std::vector<int> kept;
            for (int record : hits)
                for (int k = 1; k <= 17; ++k)
                    if (ids[pass] == QString::number(k)) {
                        m.GotoBookmark(record);
                        if (m.ReadValue(methodFlagField(k)).equals(kOne))
                            kept.push_back(record);
                    }
            hits = kept;
        }
        m.setIndexFieldNames(QStringLiteral("mod_id"));
        for (std::size_t r = 0; r < hits.size(); ++r) {
            m.GotoBookmark(hits[r]);
            QStringList cells = {m.ReadValue(QStringLiteral("mod_id")).toText(),
                                 QStringLiteral("%1.").arg(r + 1),
                                 m.ReadValue(QStringLiteral("mod_nev")).toText(), QString(),
                                 m.ReadValue(QStringLiteral("mod_fajl")).toText()};
            for (int k = 1; k <= 17; ++k)
                if (m.ReadValue(methodFlagField(k)).equals(kOne))
                    if (const std::optional<QString> name = functionName(f, k))
                        cells[3] += *name + QStringLiteral("; ");
            out.rows << cells.join(QLatin1Char('|'));
        }
    } catch (const Error& e) {
        out.error = e.message();
    }
    return out;
}

Outcome bitSets(TClientDataSet& m, TClientDataSet& f, const kavinto::select& s) {
    Outcome out;
    WorkingRecords records;
    records.selection = s;
    try {
        const int hits = functionSearch(m, f, records);
        const FilledRows filled = fillResultRows(m, f, records, hits);
        for (int r = 1; filled.rows && r <= filled.rows->lastRow(); ++r) {
            try {
                const ResultRow row = filled.rows->row(r);
                out.rows << QStringList(row.begin(), row.end()).join(QLatin1Char('|'));
            } catch (const Error&) {
                out.rows << QStringLiteral("a row that cannot be made");
            }
        }
        if (filled.failure)
            throw *filled.failure;
    } catch (const Error& e) {
        out.error = e.message();
    }
    return out;
}

}  // namespace

TEST(BitSetSearch, AgreesWithTheWalkOnRandomCatalogues) {
    const char* words[] = {"alma", "Alma", "ÁLOM", "cukor", "csend", "Cukor",
                           "ősz",  "Ősz",  "zsák", "dzsem", "-",     ""};
    const char* flagTexts[] = {"1", "0", " 1", "01", "1.0"};
    const FieldType flagTypes[] = {FieldType::Int32, FieldType::String, FieldType::Int16,
                                   FieldType::Float64};
    std::mt19937 rng(1038);
    auto chance = [&](int percent) { return int(rng() % 100) < percent; };
    for (int round = 0; round < 150; ++round) {
        SCOPED_TRACE(round);
        const FieldType flagType = flagTypes[rng() % 4];
        const bool nulls = chance(20);
        Packet methods;
        methods.lcid = 1038;
        methods.fields = methodFieldDefs(flagType);
        for (int n = int(rng() % 40); n > 0; --n) {
            auto text = [&] {
                return Value::text(QString::fromUtf8(words[rng() % std::size(words)]) +
                                   QString::number(rng() % 3));
            };
            Record r{nulls && chance(3) ? Value() : Value::integer(rng() % 30),
                     nulls && chance(3) ? Value() : text(), nulls && chance(15) ? Value() : text()};
            for (int k = 1; k <= 17; ++k) {
                if (chance(8))
                    r.emplace_back();
                else if (flagType == FieldType::String)
                    r.push_back(
                        Value::text(QString::fromLatin1(flagTexts[rng() % std::size(flagTexts)])));
                else
                    r.push_back(Value::integer(chance(40) ? 1 : 0));
            }
            methods.records.push_back(std::move(r));
        }
        Packet functions = table({"fun_id:i4", "fun_nev"}, {});
        for (int k = 1; k <= 19; ++k)
            if (chance(85))
                functions.records.push_back(
                    {Value::integer(k), nulls && chance(5)
                                            ? Value()
                                            : Value::text(QStringLiteral("F%1").arg(k % 12))});
        if (chance(15)) {  // a field the rows read is missing
            const std::size_t gone = 2 + rng() % 18;
            methods.fields.erase(methods.fields.begin() + qsizetype(gone));
            for (Record& r : methods.records) r.erase(r.begin() + qsizetype(gone));
        }
        const QByteArray methodsPacket = encodeBinaryPacket(methods);
        const QByteArray functionsPacket = encodeBinaryPacket(functions);

        for (int query = 0; query < 6; ++query) {
            auto pick = [&] {
                return chance(25) ? QStringLiteral("-") : QStringLiteral("f%1").arg(rng() % 14);
            };
            const kavinto::select s{QStringLiteral("-"), chance(10) ? QStringLiteral("-") : pick(),
                                    pick(), pick()};
            TClientDataSet m1(QStringLiteral("MClientData")), f1(QStringLiteral("FClientData"));
            TClientDataSet m2(QStringLiteral("MClientData")), f2(QStringLiteral("FClientData"));
            for (TClientDataSet* t : {&m1, &m2}) t->LoadPacket(methodsPacket);
            for (TClientDataSet* t : {&f1, &f2}) t->LoadPacket(functionsPacket);
            EXPECT_EQ(bitSets(m1, f1, s), walk(m2, f2, s))
                << qPrintable(s.func1 + u',' + s.func2 + u',' + s.func3);
        }
    }
}
