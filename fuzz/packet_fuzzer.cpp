// libFuzzer target: any bytes as a data packet, then the table operations
// the program uses. Must never crash or read outside the input.
#include "clientdataset.h"
#include "error.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    kavinto::TClientDataSet table(QStringLiteral("T"));
    try {
        table.LoadPacket(QByteArray(reinterpret_cast<const char*>(data), qsizetype(size)));
        for (const kavinto::FieldDef& f : table.fields()) {
            table.setIndexFieldNames(f.name);
            for (table.GoFirst(); !table.AtEnd(); table.GoNext()) {
                const kavinto::Value v = table.ReadValue(f.name);
                if (v.isNull())
                    continue;
                // FindValue moves to the first match; come back to keep walking.
                const int here = table.Bookmark();
                table.FindValue(f.name, kavinto::Value::text(v.toText()));
                table.GotoBookmark(here);
            }
        }
    } catch (const kavinto::Error&) {
    }
    return 0;
}
