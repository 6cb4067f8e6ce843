#pragma once

#include <QByteArrayView>
#include <QtGlobal>

namespace kavinto::binaryformat {

// The binary data packet's constants, which its reader and its writer share.

// The first bytes of every packet.
inline constexpr QByteArrayView kSignature("\x96\x19\xE0\xBD", 4);
// The fixed part of the header: signature, version, the fixed part's size,
// field count, record count, a flags word, the whole header's size.
inline constexpr qint32 kVersion = 1;
inline constexpr qint32 kFixedHeaderSize = 24;
inline constexpr qint32 kHeaderFlags = 3;

// A field's or property's type: its kind in the low six bits, and whether
// its values vary in length (led by a length prefix) or are arrays.
inline constexpr quint16 kKindMask = 0x3F;
inline constexpr quint16 kVaryingBit = 0x40;
inline constexpr quint16 kArrayBit = 0x80;

enum Kind : quint16 {
    kSignedInt = 1,
    kUnsignedInt = 2,
    kBool = 3,
    kFloat = 4,
    kBcd = 5,
    kDate = 6,
    kTime = 7,
    kTimestamp = 8,
    kAnsiString = 9,
    kUnicodeString = 10,
    kBytes = 11,
    kAdt = 12,
    kArray = 13,
    kNested = 14,
    kReference = 15,
};

// Each record starts with its status byte, then two status bits per field,
// four fields to a byte, the first field in the lowest bits.
enum FieldStatus : int { kValueFollows = 0, kNull = 1, kUnchanged = 2, kInvalidStatus = 3 };
inline constexpr qsizetype fieldStatusBytes(qsizetype fieldCount) {
    return (2 * fieldCount + 7) / 8;
}
inline constexpr int fieldStatus(const char* statusBytes, int field) {
    return (static_cast<quint8>(statusBytes[field / 4]) >> (2 * (field % 4))) & 3;
}
inline void setFieldStatus(char* statusBytes, int field, FieldStatus status) {
    statusBytes[field / 4] = char(statusBytes[field / 4] | (status << (2 * (field % 4))));
}

// The properties the program reads and writes.
inline constexpr char kWidthProperty[] = "WIDTH";      // a string field's declared width
inline constexpr char kSubtypeProperty[] = "SUBTYPE";  // "Text", "Money", ...
inline constexpr char kLcidProperty[] = "LCID";        // the packet's language

}  // namespace kavinto::binaryformat
