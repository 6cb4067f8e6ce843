#include "schema.h"

namespace kavinto {

std::vector<SchemaField> methodFields() {
    std::vector<SchemaField> fields = {{kMethodIdField, FieldType::Int32},
                                       {kMethodNameField, FieldType::String},
                                       {kMethodFileField, FieldType::String}};
    for (int k = 1; k <= kFunctionCount; ++k)
        fields.push_back({methodFlagField(k), FieldType::Int32});
    return fields;
}

std::vector<SchemaField> functionFields() {
    return {{kFunctionIdField, FieldType::Int32}, {kFunctionNameField, FieldType::String}};
}

}  // namespace kavinto
