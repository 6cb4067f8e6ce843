#include "textcodec.h"

#include "error.h"

#include <QHash>
#include <QStringEncoder>

#include <unicode/ucnv.h>

#include <algorithm>

namespace kavinto {
namespace {

// Whether ICU, which holds the code pages, knows the encoding as one of a
// byte a character.
bool isSingleByte(const QByteArray& name) {
    UErrorCode status = U_ZERO_ERROR;
    UConverter* converter = ucnv_open(name.constData(), &status);
    const bool single = U_SUCCESS(status) && ucnv_getMaxCharSize(converter) == 1;
    ucnv_close(converter);
    return single;
}

std::shared_ptr<const ByteTable> buildByteTable(const QString& encoding) {
    const QByteArray name = encoding.toLatin1();
    if (!QStringDecoder(name.constData()).isValid() || !isSingleByte(name))
        return nullptr;
    auto decodeAlone = [&](const QByteArray& bytes, bool* error) {
        QStringDecoder decoder(name.constData(), QStringDecoder::Flag::Stateless);
        const QString text = decoder.decode(bytes);
        *error = decoder.hasError();
        return text;
    };
    auto table = std::make_shared<ByteTable>();
    for (int b = 0; b < 256; ++b) {
        bool error = false;
        const QString c = decodeAlone(QByteArray(1, char(b)), &error);
        table->valid[std::size_t(b)] = !error && c.size() == 1;
        table->character[std::size_t(b)] = table->valid[std::size_t(b)] ? c[0].unicode() : u'\0';
    }
    return table;
}

}  // namespace

std::shared_ptr<const ByteTable> byteTableOf(const QString& encoding) {
    static QHash<QString, std::shared_ptr<const ByteTable>> tables;
    const auto it = tables.constFind(encoding);
    if (it != tables.cend())
        return it.value();
    std::shared_ptr<const ByteTable> table = buildByteTable(encoding);
    tables.insert(encoding, table);
    return table;
}

TextDecoder::TextDecoder(const QString& encoding, const QString& what)
    : m_encoding(encoding),
      m_table(byteTableOf(encoding)),
      m_decoder(encoding.toLatin1().constData(), QStringDecoder::Flag::Stateless) {
    if (!m_decoder.isValid())
        throw Error::invalidPacket(
            QStringLiteral("the encoding %1 of %2 is not available").arg(encoding, what));
}

qsizetype TextDecoder::decodeInto(const char* bytes, qsizetype n, char16_t* out) {
    if (m_table) {
        const ByteTable& t = *m_table;
        bool valid = true;
        for (qsizetype i = 0; i < n; ++i) {
            const auto b = static_cast<quint8>(bytes[i]);
            out[i] = t.character[b];
            valid &= t.valid[b];
        }
        return valid ? n : -1;
    }
    const QString text = m_decoder.decode(QByteArrayView(bytes, n));
    if (m_decoder.hasError() || text.size() > n) {
        m_decoder.resetState();
        return -1;
    }
    std::copy_n(reinterpret_cast<const char16_t*>(text.utf16()), text.size(), out);
    return text.size();
}

std::optional<QString> TextDecoder::decode(const QByteArray& bytes) {
    QString text(bytes.size(), Qt::Uninitialized);
    const qsizetype n =
        decodeInto(bytes.constData(), bytes.size(), reinterpret_cast<char16_t*>(text.data()));
    if (n < 0)
        return std::nullopt;
    text.truncate(n);
    return text;
}

Error invalidTextError(const QString& where, const QString& encoding) {
    return Error::invalidPacket(QStringLiteral("%1 is not valid %2").arg(where, encoding));
}

QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where) {
    TextDecoder decoder(encoding, where);
    std::optional<QString> text = decoder.decode(bytes);
    if (!text)
        throw invalidTextError(where, encoding);
    return *text;
}

TextEncoder::TextEncoder(const QString& codePage) : m_codePage(codePage) {
    if (const std::shared_ptr<const ByteTable> table = byteTableOf(codePage)) {
        m_byte.assign(0x10000, -1);
        for (int b = 255; b >= 0; --b)
            if (table->valid[std::size_t(b)])
                m_byte[table->character[std::size_t(b)]] = qint16(b);
    }
}

std::optional<QByteArray> TextEncoder::encode(QStringView text) const {
    if (!m_byte.empty()) {
        QByteArray out(text.size(), Qt::Uninitialized);
        for (qsizetype i = 0; i < text.size(); ++i) {
            const qint16 b = m_byte[text[i].unicode()];
            if (b < 0)
                return std::nullopt;
            out[i] = char(b);
        }
        return out;
    }
    const QByteArray name = m_codePage.toLatin1();
    QStringEncoder encoder(name.constData(), QStringEncoder::Flag::Stateless);
    QByteArray bytes = encoder.encode(text);
    // Round-trip: a character the code page lacks comes back changed.
    if (encoder.hasError() || QString(QStringDecoder(name.constData()).decode(bytes)) != text)
        return std::nullopt;
    return bytes;
}

}  // namespace kavinto
