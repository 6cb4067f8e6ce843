#include "binarypacketwriter.h"
#include "casefold.h"
#include "clientdataset.h"
#include "packetbuilder.h"
#include "tableorder.h"

#include <QCollator>
#include <QCollatorSortKey>

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>
#include <random>

using namespace kavinto;
using namespace kavinto::test;

TEST(Orders, TextOrderIsQCollatorsOrder) {
    const QString letters =
        QStringLiteral("aAáÁbcCcsCsdzsDzsegyGyilyLynyoóöőOÖŐsszzsZsuúüűÜŰ -.,'0129ß\u0301e\u0308");
    std::mt19937 rng(1250);
    std::vector<Record> records;
    std::vector<QString> texts;
    // Short texts, many equal; then names as real catalogues have them: long,
    // nearly all distinct, many sharing their first words.
    const QStringList starts = {QStringLiteral("Csoportmunka – "), QStringLiteral("Csoportmunka, "),
                                QStringLiteral("Páros interjú "), QString()};
    for (int i = 0; i < 6000; ++i) {
        QString t = i < 3000 ? QString() : starts[qsizetype(rng() % starts.size())];
        for (int n = int(rng() % (i < 3000 ? 7 : 30)); n > 0; --n)
            t += letters[qsizetype(rng() % letters.size())];
        texts.push_back(t);
        records.push_back({Value::text(t)});
    }
    Packet p{
        {FieldDef{QStringLiteral("n"), FieldType::WideString, 0, {}, 0}}, records, 1038, false};
    const Table table = Table::fromPacket(p);

    QCollator collator(QLocale(QLocale::Hungarian));
    collator.setCaseSensitivity(Qt::CaseSensitive);
    std::vector<QCollatorSortKey> keys;
    for (const QString& t : texts) keys.push_back(collator.sortKey(t));
    std::vector<quint32> expected(texts.size());
    std::iota(expected.begin(), expected.end(), 0u);
    std::stable_sort(expected.begin(), expected.end(),
                     [&](quint32 a, quint32 b) { return keys[a].compare(keys[b]) < 0; });
    EXPECT_EQ(fieldOrder(table.column(0), QLocale(QLocale::Hungarian)), expected);
}

TEST(Orders, EachOrderAndIndexIsComputedOnce) {
    TClientDataSet t(QStringLiteral("T"));
    t.LoadPacket(encodeBinaryPacket(table({"id:i4", "n"}, {{"2", "b"}, {"1", "a"}, {"3", "B"}})));
    t.setIndexFieldNames(QStringLiteral("n"));
    const std::shared_ptr<const RecordOrder> byName = t.currentOrder();
    t.setIndexFieldNames(QStringLiteral("id"));
    EXPECT_TRUE(t.FindValue(QStringLiteral("n"), Value::text(QStringLiteral("b"))));
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(),
              QStringLiteral("2"));  // first of "b", "B" by id
    t.GoNext();
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(), QStringLiteral("3"));
    t.setIndexFieldNames(QStringLiteral("n"));
    EXPECT_EQ(t.currentOrder(), byName);
    EXPECT_EQ(t.ReadValue(QStringLiteral("id")).toText(),
              QStringLiteral("3"));  // the current record stays
    EXPECT_EQ(&t.content()->equalityIndex(1), &t.content()->equalityIndex(1));
    t.GoFirst();
    EXPECT_EQ(t.ReadValue(QStringLiteral("n")).toText(), QStringLiteral("a"));
}

TEST(CaseFold, FoldedHashMatchesTheFoldedText) {
    for (char32_t c = 1; c < 0x10000; ++c) {
        if (QChar::isSurrogate(c))
            continue;
        const QString text = QStringLiteral("x") + QChar(char16_t(c));
        ASSERT_EQ(foldedHash(text), unitsHash(fullCaseFolded(text))) << uint(c);
    }
    const QString astral = QString::fromUcs4(U"\U00010400ab");  // Deseret capital long I
    EXPECT_EQ(foldedHash(astral), unitsHash(fullCaseFolded(astral)));
}
