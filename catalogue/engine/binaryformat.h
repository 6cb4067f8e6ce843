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

// The properties the program reads and writes.
inline constexpr char kWidthProperty[] = "WIDTH";      // a string field's declared width
inline constexpr char kSubtypeProperty[] = "SUBTYPE";  // "Text", "Money", ...
inline constexpr char kLcidProperty[] = "LCID";        // the packet's language

}  // namespace kavinto::binaryformat
