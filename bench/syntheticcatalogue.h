#pragma once

#include "table.h"

#include <QString>

#include <array>

namespace kavinto::bench {

// The 17 function names of the synthetic catalogues.
const std::array<QString, 17>& functionNames();

// How the methods are named: two to four words from a small vocabulary,
// about half of them repeated at a million methods; or four to eight, nearly
// all distinct and longer, as a real catalogue's names are.
enum class Names { Repeating, Distinct };

// A deterministic catalogue of `count` methods: ids 1..count, names of
// accented words, documents "m<id>.pdf", and each of the 17 flags set with
// probability 0.3.
Table syntheticMethods(std::size_t count, Names names = Names::Repeating, quint64 seed = 20261209);
Table syntheticFunctions();

// Writes DIR/data/kavinto_modszerek.cds and DIR/data/kavinto_funkciok.cds
// with the catalogue writer, unless they are there already.
void writeSyntheticCatalogue(const QString& dir, std::size_t count, Names names);

// The table as an XML data packet in UTF-8.
QByteArray xmlPacket(const Table& table);

// Writes the methods of writeSyntheticCatalogue as an XML packet, unless it
// is there already, and returns the file's path.
QString writeXmlMethodsFile(const QString& dir, std::size_t count, Names names);

}  // namespace kavinto::bench
