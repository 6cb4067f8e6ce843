#pragma once

#include "compressedfile.h"
#include "csv.h"
#include "packet.h"

#include <QString>

namespace kavinto {

// The packets of the two catalogue tables from the maintainers' CSV files,
// read twice: checked, then written. Throws an Error naming file, line and
// column for the first thing refused: a missing column, a missing,
// non-integer or duplicate id, a flag other than 0, 1 or empty, a function
// number outside 1-17, an empty name, a text that windows-1250 cannot hold.
QByteArray methodsPacket(CsvReader& methods);
QByteArray functionsPacket(CsvReader& functions);

// The width a text field is declared with: the one its column's header
// declares ("mod_nev[300]"), else 100, or the longest text where that is longer.
int textWidth(int declared, int longest);

// Packs both CSV files into DIR/data/kavinto_modszerek.cds and
// DIR/data/kavinto_funkciok.cds. Everything is checked before anything is
// written, a packet above the limit the program loads too; each file is
// written under a temporary name and renamed.
void packCatalogue(const QString& methodsCsv, const QString& functionsCsv, const QString& outDir,
                   std::size_t packetLimit = kPacketSizeLimit);

}  // namespace kavinto
