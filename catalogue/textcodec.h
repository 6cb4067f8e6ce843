#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <optional>

namespace kavinto {

// Decodes the many short texts of one packet in one encoding, with one
// QStringDecoder. The constructor throws an Error "Invalid data packet: the
// encoding X of WHAT is not available" for an encoding Qt does not know.
class TextDecoder {
public:
    TextDecoder(const QString& encoding, const QString& what);
    const QString& encoding() const { return m_encoding; }
    // The text, or nothing when the bytes are not valid in the encoding.
    std::optional<QString> decode(const QByteArray& bytes);

private:
    QString m_encoding;
    bool m_asciiCompatible;
    QStringDecoder m_decoder;
};

// One-off decoding; throws "Invalid data packet: WHERE is not valid ENCODING".
QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where);

}  // namespace kavinto
