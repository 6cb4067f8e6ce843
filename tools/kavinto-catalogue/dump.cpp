#include "dump.h"

#include "clientdataset.h"
#include "compressedfile.h"
#include "csv.h"
#include "error.h"
#include "packetdecoder.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>

namespace kavinto {
namespace {

QString csvCell(const QString& text) {
    return csvField(text, u",");
}

QString attributeText(quint16 a) {
    QStringList parts;
    if (a & kHidden)
        parts << QStringLiteral("hidden");
    if (a & kReadOnly)
        parts << QStringLiteral("readonly");
    if (a & kRequired)
        parts << QStringLiteral("required");
    if (a & kLink)
        parts << QStringLiteral("link");
    return parts.join(QLatin1Char(' '));
}

// Walks a copy, so that dumping leaves the table's position alone.
template <typename F>
void forEachRecord(const TClientDataSet& table, F f) {
    TClientDataSet copy = table;
    copy.setIndexFieldNames(QString());
    for (copy.GoFirst(); !copy.AtEnd(); copy.GoNext()) f(copy);
}

}  // namespace

void loadTableFile(TClientDataSet& table, const QString& path) {
    try {
        QFile file(path);
        openCatalogueFile(file);
        // A bare packet is taken as one, as the engine tells one apart.
        const bool packet = looksLikePacket(file.read(64));
        if (!file.seek(0))
            throw Error::streamRead();
        if (!packet) {
            const PodBuffer<char> bytes = inflatePacket(file);
            table.LoadPacket(bytesOf(bytes));
        } else if (std::size_t(file.size()) > kPacketSizeLimit) {
            throw std::bad_alloc();
        } else {
            table.LoadPacket(file.readAll());
        }
    } catch (const std::bad_alloc&) {
        throw Error::outOfMemory();
    }
}

QString dumpTable(const TClientDataSet& table, DumpFormat format) {
    const auto& fields = table.fields();
    auto cellText = [](const Value& v) { return v.isNull() ? QString() : v.toText(); };
    if (format == DumpFormat::Json) {
        QJsonArray fieldList;
        for (const FieldDef& f : fields) {
            QJsonObject o{{QStringLiteral("name"), f.name},
                          {QStringLiteral("type"), fieldTypeName(f.type)}};
            if (f.width)
                o.insert(QStringLiteral("width"), f.width);
            if (!f.subtype.isEmpty())
                o.insert(QStringLiteral("subtype"), f.subtype);
            if (f.attributes)
                o.insert(QStringLiteral("attributes"), attributeText(f.attributes));
            fieldList.append(o);
        }
        QJsonArray records;
        forEachRecord(table, [&](const TClientDataSet& t) {
            QJsonArray r;
            for (int i = 0; i < int(fields.size()); ++i) {
                const Value v = t.valueAt(i);
                r.append(v.isNull() ? QJsonValue() : QJsonValue(v.toText()));
            }
            records.append(r);
        });
        QJsonObject root{{QStringLiteral("fields"), fieldList},
                         {QStringLiteral("records"), records}};
        if (table.lcid())
            root.insert(QStringLiteral("lcid"), *table.lcid());
        return QString::fromUtf8(QJsonDocument(root).toJson(QJsonDocument::Indented));
    }

    QString out = QStringLiteral("field,type,width,subtype,attributes\n");
    QStringList names;
    for (const FieldDef& f : fields) {
        out += QStringList{csvCell(f.name), fieldTypeName(f.type),
                           f.width ? QString::number(f.width) : QString(), csvCell(f.subtype),
                           attributeText(f.attributes)}
                   .join(QLatin1Char(',')) +
               QLatin1Char('\n');
        names << csvCell(f.name);
    }
    out += QLatin1Char('\n') + names.join(QLatin1Char(',')) + QLatin1Char('\n');
    forEachRecord(table, [&](const TClientDataSet& t) {
        QStringList cells;
        for (int i = 0; i < int(fields.size()); ++i) cells << csvCell(cellText(t.valueAt(i)));
        out += cells.join(QLatin1Char(',')) + QLatin1Char('\n');
    });
    return out;
}

}  // namespace kavinto
