#pragma once

#include "packet.h"
#include "schema.h"

#include <QByteArray>
#include <QString>
#include <QTemporaryDir>

#include "qtprinters.h"

#include <initializer_list>

namespace kavinto::test {

// Little-endian byte strings for building faulty input by hand.
QByteArray le16(quint16 v);
QByteArray le32(quint32 v);
QByteArray zlibStream(const QByteArray& content, int level = 6);

// A table with the given integer and text fields ("name:i4", "name:string")
// and records given as texts ("" or "<null>" for null).
Packet table(std::initializer_list<const char*> fields,
             std::initializer_list<std::initializer_list<const char*>> records);

// The fields of a methods table: mod_id, mod_nev, mod_fajl and the 17 flags
// mod_fun_1 .. mod_fun_17 of the given type.
std::vector<FieldDef> methodFieldDefs(FieldType flagType);

// A binary packet of `packet`, wrapped as a catalogue file.
QByteArray catalogueFile(const Packet& packet);

// A scratch folder that disappears with the test.
class ScratchDir {
public:
    ScratchDir();
    QString path(const QString& relative) const;
    // Writes the bytes to a file below the folder, creating its folders.
    QString write(const QString& relative, const QByteArray& bytes) const;

private:
    QTemporaryDir m_dir;
};

// The shared sample folder, or an empty string when the checkout lacks it.
QString samplesDir();

}  // namespace kavinto::test
