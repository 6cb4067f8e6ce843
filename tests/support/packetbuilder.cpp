#include "packetbuilder.h"

#include "binarypacketwriter.h"
#include "compressedfile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <gtest/gtest.h>
#include <zlib.h>

namespace kavinto::test {

namespace {
QByteArray littleEndian(quint64 v, int n) {
    QByteArray b;
    for (int i = 0; i < n; ++i) b.append(char((v >> (8 * i)) & 0xFF));
    return b;
}
}  // namespace

QByteArray le16(quint16 v) {
    return littleEndian(v, 2);
}
QByteArray le32(quint32 v) {
    return littleEndian(v, 4);
}

QByteArray zlibStream(const QByteArray& content, int level) {
    uLongf size = compressBound(uLong(content.size()));
    QByteArray out(qsizetype(size), '\0');
    compress2(reinterpret_cast<Bytef*>(out.data()), &size,
              reinterpret_cast<const Bytef*>(content.constData()), uLong(content.size()), level);
    out.resize(qsizetype(size));
    return out;
}

Packet table(std::initializer_list<const char*> fields,
             std::initializer_list<std::initializer_list<const char*>> records) {
    Packet p;
    p.lcid = kCatalogueLocaleId;
    for (const char* declaration : fields) {
        const QStringList parts = QString::fromUtf8(declaration).split(QLatin1Char(':'));
        FieldDef f;
        f.name = parts[0];
        f.type = *fieldTypeFromName(parts.value(1, QStringLiteral("string")));
        f.width = isTextType(f.type) ? kDeclaredTextWidth : 0;
        p.fields.push_back(f);
    }
    for (const auto& rec : records) {
        Record r;
        std::size_t i = 0;
        for (const char* cell : rec) {
            const QString text = QString::fromUtf8(cell);
            const FieldDef& f = p.fields.at(i++);
            if (text == QLatin1String("<null>"))
                r.emplace_back();
            else if (isIntegerType(f.type))
                r.push_back(Value::integer(text.toLongLong()));
            else
                r.push_back(Value::text(text));
        }
        p.records.push_back(std::move(r));
    }
    return p;
}

std::vector<FieldDef> methodFieldDefs(FieldType flagType) {
    std::vector<FieldDef> fields = {
        {kMethodIdField, FieldType::Int32, 0, {}, 0},
        {kMethodNameField, FieldType::String, kDeclaredTextWidth, {}, 0},
        {kMethodFileField, FieldType::String, kDeclaredTextWidth, {}, 0}};
    for (int k = 1; k <= kFunctionCount; ++k)
        fields.push_back({methodFlagField(k), flagType, isTextType(flagType) ? 1 : 0, {}, 0});
    return fields;
}

QByteArray catalogueFile(const Packet& packet) {
    return compressCatalogueFile(encodeBinaryPacket(packet));
}

ScratchDir::ScratchDir() {
    EXPECT_TRUE(m_dir.isValid());
}

QString ScratchDir::path(const QString& relative) const {
    return QDir(m_dir.path()).filePath(relative);
}

QString ScratchDir::write(const QString& relative, const QByteArray& bytes) const {
    const QString p = path(relative);
    QDir().mkpath(QFileInfo(p).path());
    QFile f(p);
    EXPECT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(bytes);
    return p;
}

QString samplesDir() {
    const QString dir = QString::fromUtf8(KAVINTO_SAMPLES_DIR);
    return QFileInfo(dir).isDir() ? dir : QString();
}

}  // namespace kavinto::test
