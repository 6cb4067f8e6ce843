// Any bytes as a catalogue file, loaded as the program loads it (with its
// own packet size limit), then the choice list and a search on what loaded.
#include "choicelists.h"
#include "compressedfile.h"
#include "error.h"
#include "functionsearch.h"
#include "resultrows.h"

#include <QTemporaryDir>

#include <cstdint>
#include <fstream>

namespace {

kavinto::TClientDataSet& functions() {
    static kavinto::TClientDataSet table = [] {
        kavinto::TClientDataSet t(QStringLiteral("FClientData"));
        t.LoadPacket(
            QByteArray("<?xml version=\"1.0\"?><DATAPACKET "
                       "Version=\"2.0\"><METADATA><FIELDS><FIELD attrname=\"fun_id\" "
                       "fieldtype=\"i4\"/><FIELD attrname=\"fun_nev\" fieldtype=\"string\" "
                       "WIDTH=\"20\"/></FIELDS><PARAMS "
                       "LCID=\"1038\"/></METADATA><ROWDATA><ROW fun_id=\"1\" fun_nev=\"a\"/><ROW "
                       "fun_id=\"2\" fun_nev=\"b\"/>"
                       "</ROWDATA></DATAPACKET>"));
        return t;
    }();
    return table;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static QTemporaryDir dir;
    const QString path = dir.filePath(QStringLiteral("kavinto_modszerek.cds"));
    std::ofstream(path.toStdString(), std::ios::binary | std::ios::trunc)
        .write(reinterpret_cast<const char*>(data), std::streamsize(size));
    kavinto::TClientDataSet methods(QStringLiteral("MClientData"));
    try {
        kavinto::openMethodsTable(methods, path);
        kavinto::ChoiceList list{[](const QString&) {},
                                 [](const kavinto::TextRun& run) {
                                     for (std::size_t i = 0; i < run.size(); ++i) run.at(i);
                                 }};
        kavinto::addMethodNames(methods, list);
    } catch (const kavinto::Error&) {
    }
    if (!methods.Active())
        return 0;
    for (const char* first : {"a", "b"}) {
        kavinto::WorkingRecords records;
        records.selection = {QStringLiteral("-"), QString::fromLatin1(first), QStringLiteral("b"),
                             QStringLiteral("-")};
        try {
            const int hits = kavinto::functionSearch(methods, functions(), records);
            const kavinto::FilledRows rows =
                kavinto::fillResultRows(methods, functions(), records, hits);
            for (int r = 1; rows.rows && r <= rows.rows->lastRow(); ++r) rows.rows->row(r);
        } catch (const kavinto::Error&) {
        }
    }
    return 0;
}
