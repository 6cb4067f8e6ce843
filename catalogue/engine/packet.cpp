#include "packet.h"

#include <iterator>

namespace kavinto {
namespace {

struct TypeName {
    FieldType type;
    const char* name;
};

constexpr TypeName kTypeNames[] = {
    {FieldType::Int8, "i1"},
    {FieldType::Int16, "i2"},
    {FieldType::Int32, "i4"},
    {FieldType::Int64, "i8"},
    {FieldType::UInt8, "ui1"},
    {FieldType::UInt16, "ui2"},
    {FieldType::UInt32, "ui4"},
    {FieldType::UInt64, "ui8"},
    {FieldType::Boolean, "boolean"},
    {FieldType::Float32, "r4"},
    {FieldType::Float64, "r8"},
    {FieldType::Decimal, "fixed"},
    {FieldType::Date, "date"},
    {FieldType::Time, "time"},
    {FieldType::Timestamp, "dateTime"},
    {FieldType::String, "string"},
    {FieldType::WideString, "string.uni"},
    {FieldType::Blob, "bin.hex"},
};

}  // namespace

QString fieldTypeName(FieldType type) {
    for (const TypeName& t : kTypeNames)
        if (t.type == type)
            return QString::fromLatin1(t.name);
    return {};
}

std::optional<FieldType> fieldTypeFromName(const QString& name) {
    if (name == QLatin1String("fixedFMT"))
        return FieldType::Decimal;
    for (const TypeName& t : kTypeNames)
        if (name == QLatin1String(t.name))
            return t.type;
    return std::nullopt;
}

bool isIntegerType(FieldType type) {
    return type >= FieldType::Int8 && type <= FieldType::UInt64;
}

bool isNumericType(FieldType type) {
    return isIntegerType(type) || type == FieldType::Float32 || type == FieldType::Float64 ||
           type == FieldType::Decimal;
}

bool isTextType(FieldType type) {
    return type == FieldType::String || type == FieldType::WideString;
}

bool FieldDef::isMemo() const {
    return type == FieldType::Blob &&
           (subtype == QLatin1String("Text") || subtype == QLatin1String("WideText"));
}

}  // namespace kavinto
