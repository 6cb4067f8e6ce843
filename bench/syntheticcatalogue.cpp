#include "syntheticcatalogue.h"

#include "binarypacketwriter.h"
#include "compressedfile.h"
#include "schema.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QSaveFile>

#include <random>

namespace kavinto::bench {
namespace {

const char16_t* const kWords[] = {
    u"ötlet",     u"börze",   u"csoport",   u"munka",     u"vita",      u"szerep",  u"játék",
    u"gyakorlás", u"kerek",   u"asztal",    u"értékelés", u"összegzés", u"mozaik",  u"páros",
    u"kérdés",    u"válasz",  u"tükör",     u"fürt",      u"szó",       u"kártya",  u"térkép",
    u"gondolat",  u"forgó",   u"színpad",   u"napló",     u"projekt",   u"interjú", u"rejtvény",
    u"kvíz",      u"dráma",   u"óra",       u"könyv",     u"levél",     u"híd",     u"kör",
    u"lánc",      u"fa",      u"ház",       u"plakát",    u"zsákutca",  u"Ábécé",   u"Élménykör",
    u"Ősz",       u"Újság",   u"Íróasztal", u"Óriás",     u"Ügyes",     u"Csend",   u"Gyűjtő",
    u"Nyitó",     u"Szabály", u"Zöld",      u"Tanulás",   u"Mérleg",    u"Hálózat", u"Dzsungel",
};

Column column(const QString& name, FieldType type, int width = 0) {
    return Column(FieldDef{name, type, width, {}, 0});
}

void writeFile(const QString& path, const QByteArray& bytes) {
    QSaveFile file(path);
    if (!file.open(QIODevice::WriteOnly) || file.write(bytes) != bytes.size() || !file.commit())
        qFatal("cannot write %s", qPrintable(path));
}

}  // namespace

const std::array<QString, kFunctionCount>& functionNames() {
    static const std::array<QString, kFunctionCount> names = {
        QStringLiteral("Ráhangolódás"),     QStringLiteral("Motiváció"),
        QStringLiteral("Ismétlés"),         QStringLiteral("Új ismeret"),
        QStringLiteral("Gyakorlás"),        QStringLiteral("Alkalmazás"),
        QStringLiteral("Rendszerezés"),     QStringLiteral("Ellenőrzés"),
        QStringLiteral("Értékelés"),        QStringLiteral("Differenciálás"),
        QStringLiteral("Csoportalakítás"),  QStringLiteral("Együttműködés"),
        QStringLiteral("Kommunikáció"),     QStringLiteral("Kreativitás"),
        QStringLiteral("Problémamegoldás"), QStringLiteral("Reflexió"),
        QStringLiteral("Lezárás")};
    return names;
}

Table syntheticMethods(std::size_t count, Names names, quint64 seed) {
    std::mt19937_64 rng(seed);
    std::uniform_int_distribution<int> wordCount(names == Names::Distinct ? 4 : 2,
                                                 names == Names::Distinct ? 8 : 4);
    std::uniform_int_distribution<int> word(0, int(std::size(kWords)) - 1);
    std::bernoulli_distribution serves(0.3);
    std::vector<Column> columns;
    for (const SchemaField& f : methodFields())
        columns.push_back(
            column(f.name, f.type, f.name == kMethodFileField ? 20 : kDeclaredTextWidth));
    QString name;
    for (std::size_t r = 0; r < count; ++r) {
        name.clear();
        for (int w = wordCount(rng); w > 0; --w) {
            if (!name.isEmpty())
                name += u' ';
            name += QString::fromUtf16(kWords[word(rng)]);
        }
        for (Column& c : columns) c.beginValue(r);
        columns[0].pushInt32(qint32(r + 1));
        columns[1].pushText(name);
        columns[2].pushText(QStringLiteral("m%1.pdf").arg(r + 1));
        for (int k = 1; k <= kFunctionCount; ++k)
            columns[std::size_t(2 + k)].pushInt32(serves(rng) ? 1 : 0);
    }
    for (Column& c : columns) c.finish(count);
    Table t(std::move(columns), count);
    t.lcid = kCatalogueLocaleId;
    return t;
}

Table syntheticFunctions() {
    std::vector<Column> columns;
    for (const SchemaField& f : functionFields())
        columns.push_back(column(f.name, f.type, kDeclaredTextWidth));
    for (std::size_t k = 0; k < kFunctionCount; ++k) {
        columns[0].beginValue(k);
        columns[0].pushInt32(qint32(k + 1));
        columns[1].beginValue(k);
        columns[1].pushText(functionNames()[k]);
    }
    for (Column& c : columns) c.finish(kFunctionCount);
    Table t(std::move(columns), kFunctionCount);
    t.lcid = kCatalogueLocaleId;
    return t;
}

QByteArray xmlPacket(const Table& table) {
    auto escaped = [](const QString& text) {
        QByteArray out = text.toUtf8();
        out.replace('&', "&amp;").replace('<', "&lt;").replace('"', "&quot;");
        return out;
    };
    QByteArray out =
        "<?xml version=\"1.0\" encoding=\"UTF-8\" standalone=\"yes\"?>\n"
        "<DATAPACKET Version=\"2.0\"><METADATA><FIELDS>";
    for (int f = 0; f < table.fieldCount(); ++f) {
        const FieldDef& d = table.field(f);
        out += "<FIELD attrname=\"" + escaped(d.name) + "\" fieldtype=\"" +
               fieldTypeName(d.type).toLatin1() + '"';
        if (d.width > 0)
            out += " WIDTH=\"" + QByteArray::number(d.width) + '"';
        out += "/>";
    }
    out += "</FIELDS><PARAMS LCID=\"" +
           QByteArray::number(table.lcid.value_or(kCatalogueLocaleId)) +
           "\"/></METADATA><ROWDATA>\n";
    for (std::size_t r = 0; r < table.recordCount(); ++r) {
        out += "<ROW";
        for (int f = 0; f < table.fieldCount(); ++f) {
            const Value v = table.value(r, f);
            if (!v.isNull())
                out += ' ' + escaped(table.field(f).name) + "=\"" + escaped(v.toText()) + '"';
        }
        out += "/>\n";
    }
    return out + "</ROWDATA></DATAPACKET>\n";
}

QString writeXmlMethodsFile(const QString& dir, std::size_t count, Names names) {
    const QString path = QDir(dir).filePath(QStringLiteral("data/kavinto_modszerek_xml.cds"));
    if (!QFileInfo::exists(path))
        writeFile(path, compressCatalogueFile(xmlPacket(syntheticMethods(count, names))));
    return path;
}

void writeSyntheticCatalogue(const QString& dir, std::size_t count, Names names) {
    const QDir d(dir);
    d.mkpath(QStringLiteral("data"));
    const QString methods = d.filePath(kMethodsFile);
    if (!QFileInfo::exists(methods))
        writeFile(methods,
                  compressCatalogueFile(encodeBinaryPacket(syntheticMethods(count, names))));
    const QString functions = d.filePath(kFunctionsFile);
    if (!QFileInfo::exists(functions))
        writeFile(functions, compressCatalogueFile(encodeBinaryPacket(syntheticFunctions())));
}

}  // namespace kavinto::bench
