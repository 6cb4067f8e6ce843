#pragma once

#include "packet.h"
#include "packetlocale.h"

#include <QString>

#include <vector>

namespace kavinto {

// The catalogue this program reads: its two files, their fields and types,
// and what their texts mean. Everything that reads, writes or checks a
// catalogue takes these from here.

// The catalogue files, relative to the working directory.
inline const QString kMethodsFile = QStringLiteral("data/kavinto_modszerek.cds");
inline const QString kFunctionsFile = QStringLiteral("data/kavinto_funkciok.cds");

// The functions a method may serve, numbered 1 to 17.
inline constexpr int kFunctionCount = 17;

// The methods table's fields.
inline const QString kMethodIdField = QStringLiteral("mod_id");
inline const QString kMethodNameField = QStringLiteral("mod_nev");
inline const QString kMethodFileField = QStringLiteral("mod_fajl");
// Function k's flag, 1 where the method serves it.
inline QString methodFlagField(int k) {
    return QStringLiteral("mod_fun_") + QString::number(k);
}
// The functions table's fields.
inline const QString kFunctionIdField = QStringLiteral("fun_id");
inline const QString kFunctionNameField = QStringLiteral("fun_nev");

struct SchemaField {
    QString name;
    FieldType type;
};
// The fields in their order in the files.
std::vector<SchemaField> methodFields();
std::vector<SchemaField> functionFields();

// The catalogue's language, Hungarian: its texts are in windows-1250 and
// ordered as Hungarian orders them; the engine's default.
inline constexpr qint32 kCatalogueLocaleId = kDefaultLcid;
// The width a text field is declared with where nothing else says one.
inline constexpr int kDeclaredTextWidth = 100;

// The choice-list entry that means "nothing chosen".
inline const QString kNothingChosen = QStringLiteral("-");

}  // namespace kavinto
