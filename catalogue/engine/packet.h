#pragma once

#include "value.h"

#include <QString>

#include <optional>
#include <vector>

namespace kavinto {

// The logical type of a field, named as the XML packets name it.
enum class FieldType {
    Int8,
    Int16,
    Int32,
    Int64,
    UInt8,
    UInt16,
    UInt32,
    UInt64,
    Boolean,
    Float32,
    Float64,
    Decimal,
    Date,
    Time,
    Timestamp,
    String,
    WideString,
    Blob
};

// "i4", "string", "bin.hex", ...
QString fieldTypeName(FieldType type);
std::optional<FieldType> fieldTypeFromName(const QString& name);
bool isIntegerType(FieldType type);
bool isNumericType(FieldType type);
bool isTextType(FieldType type);  // strings and text memos: compared as texts

enum FieldAttribute : quint16 {
    kHidden = 0x01,
    kReadOnly = 0x02,
    kRequired = 0x04,
    kLink = 0x08,
};

struct FieldDef {
    QString name;
    FieldType type = FieldType::Int32;
    int width = 0;    // declared width of a string, 0 where none is declared
    QString subtype;  // "Text", "Money", "Autoinc", ... or empty
    quint16 attributes = 0;

    // Memos whose bytes are text in the packet's code page or in UTF-16.
    bool isMemo() const;
    friend bool operator==(const FieldDef& a, const FieldDef& b) {
        return a.name == b.name && a.type == b.type && a.width == b.width &&
               a.subtype == b.subtype && a.attributes == b.attributes;
    }
};

using Record = std::vector<Value>;

// A table given as records of values: the form in which tools and tests
// build tables to write (see Table::fromPacket for the read-only form).
struct Packet {
    std::vector<FieldDef> fields;
    std::vector<Record> records;
    std::optional<qint32> lcid;
    bool hasPendingChanges = false;
};

}  // namespace kavinto
