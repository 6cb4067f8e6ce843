#pragma once

#include "compressedfile.h"
#include "csv.h"
#include "packet.h"

#include <QString>
#include <QStringList>

#include <set>

namespace kavinto {

// The faults pack finds, each named by file, spreadsheet row, column letter
// and header; the first kShown are kept, the rest counted.
class PackFaults {
public:
    static constexpr int kShown = 100;
    // `column` -1 names the row alone.
    void add(const CsvReader& csv, int row, int column, const QString& what);
    int count() const { return m_count; }
    // Throws an Error listing them, "and N more" last, where there is any.
    void throwIfAny() const;
    // A column's letters as a spreadsheet shows them: A, B, ... Z, AA, ...
    static QString columnName(int column);

private:
    QStringList m_lines;
    int m_count = 0;
};

struct PackedTable {
    QByteArray packet;  // empty where a file had a fault
    std::size_t rows = 0;
    QStringList ignoredColumns;  // headed columns that are none of the fields
};

// The order pack writes the methods in: by name, as the program's lists show
// them, or as the file has them.
enum class MethodOrder { ByName, Kept };

// The packets of the two catalogue tables from the maintainers' CSV files,
// read twice: checked by the catalogue's rules, then written where no fault
// was found. The functions come first: their ids are what a method's flags
// may name.
PackedTable functionsPacket(CsvReader& functions, std::set<int>& functionIds, PackFaults& faults);
PackedTable methodsPacket(CsvReader& methods, const std::set<int>& functionIds, PackFaults& faults,
                          MethodOrder order = MethodOrder::Kept);

// The width a text field is declared with: the one its column's header
// declares ("mod_nev[300]"), else 100, or the longest text where that is longer.
int textWidth(int declared, int longest);

// Packs both CSV files into DIR/data/kavinto_modszerek.cds and
// DIR/data/kavinto_funkciok.cds. Everything is checked before anything is
// written, a packet above the limit the program loads too; each file is
// written under a temporary name and renamed. Throws an Error listing every
// fault; returns the report: each file's encoding, separator and row count,
// and the columns it ignored.
QStringList packCatalogue(const QString& methodsCsv, const QString& functionsCsv,
                          const QString& outDir, MethodOrder order = MethodOrder::ByName,
                          std::size_t packetLimit = kPacketSizeLimit);

}  // namespace kavinto
