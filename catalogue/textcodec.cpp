#include "textcodec.h"

#include "error.h"

#include <algorithm>

namespace kavinto {

TextDecoder::TextDecoder(const QString& encoding, const QString& what)
    : m_encoding(encoding),
      m_asciiCompatible(!encoding.startsWith(QLatin1String("UTF-16"), Qt::CaseInsensitive)),
      m_decoder(encoding.toLatin1().constData(), QStringDecoder::Flag::Stateless) {
    if (!m_decoder.isValid())
        throw Error(QStringLiteral("Invalid data packet: the encoding %1 of %2 is not available").arg(encoding, what));
}

std::optional<QString> TextDecoder::decode(const QByteArray& bytes) {
    // Most catalogue texts are plain ASCII, the same in every 8-bit code page.
    if (m_asciiCompatible &&
        std::all_of(bytes.begin(), bytes.end(), [](char c) { return static_cast<quint8>(c) < 0x80; }))
        return QString::fromLatin1(bytes);
    QString text = m_decoder.decode(bytes);
    if (m_decoder.hasError()) {
        m_decoder.resetState();
        return std::nullopt;
    }
    return text;
}

QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where) {
    TextDecoder decoder(encoding, where);
    std::optional<QString> text = decoder.decode(bytes);
    if (!text)
        throw Error(QStringLiteral("Invalid data packet: %1 is not valid %2").arg(where, encoding));
    return *text;
}

}  // namespace kavinto
