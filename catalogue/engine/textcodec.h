#pragma once

#include <QByteArray>
#include <QString>
#include <QStringDecoder>

#include <array>
#include <memory>
#include <optional>
#include <vector>

namespace kavinto {

// The 256 characters of a single-byte code page, read once from QStringDecoder.
struct ByteTable {
    std::array<char16_t, 256> character{};
    std::array<bool, 256> valid{};
};

// Decodes the many short texts of one packet in one encoding: a single-byte
// code page through its table, any other encoding with one QStringDecoder.
// The constructor throws an Error "Invalid data packet: the encoding X of
// WHAT is not available" for an encoding Qt does not know.
class TextDecoder {
public:
    TextDecoder(const QString& encoding, const QString& what);
    const QString& encoding() const { return m_encoding; }
    // The text, or nothing when the bytes are not valid in the encoding.
    std::optional<QString> decode(const QByteArray& bytes);
    // Decodes n bytes into `out`, which has room for n characters; returns
    // the number of characters written, or -1 when the bytes are not valid.
    qsizetype decodeInto(const char* bytes, qsizetype n, char16_t* out);

private:
    QString m_encoding;
    std::shared_ptr<const ByteTable> m_table;  // null for multi-byte encodings
    QStringDecoder m_decoder;
};

// Encodes texts in one code page: a single-byte one through the inverse of
// its table, any other with QStringEncoder, checked by decoding back.
class TextEncoder {
public:
    explicit TextEncoder(const QString& codePage);
    const QString& codePage() const { return m_codePage; }
    // The bytes, or nothing when the code page lacks a character of the text.
    std::optional<QByteArray> encode(QStringView text) const;

private:
    QString m_codePage;
    std::vector<qint16> m_byte;  // character -> byte, -1 where the code page lacks it
};

class Error;

// One-off decoding; throws "Invalid data packet: WHERE is not valid ENCODING".
QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where);

// The error of bytes that are not valid in their encoding.
Error invalidTextError(const QString& where, const QString& encoding);

// The table of a single-byte encoding, built on first use and kept; null
// for an encoding that is unknown or uses more than one byte a character.
std::shared_ptr<const ByteTable> byteTableOf(const QString& encoding);

}  // namespace kavinto
