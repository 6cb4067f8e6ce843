#pragma once

#include "textcodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>

namespace kavinto {

// The rows of an XML data packet as packets are written, read straight from
// the bytes of an ASCII-compatible encoding: <ROW name="value" .../> or
// <ROW ...></ROW>, apart only by white space; names in ASCII; the five
// predefined entities and character references. Whatever else it meets it
// leaves, by throwing NotSimple, to the XML reader, which reads the whole
// packet again and names any fault.
struct NotSimple {};

// Where the first ROWDATA's content lies: from just after its start tag to
// its first "</ROWDATA". Nothing when the text before it holds anything but
// elements and a leading declaration, or the element is empty.
struct RowRegion {
    qsizetype start = 0;
    qsizetype end = 0;
};
std::optional<RowRegion> simpleRowRegion(const QByteArray& bytes);

class SimpleRows {
public:
    SimpleRows(QByteArrayView rows, const QString& encoding);

    // Moves to the next row; false after the last.
    bool nextRow();
    // Moves to the next attribute of the row; false at the row's end.
    bool nextAttribute();
    QStringView name() const { return m_name; }
    QStringView value() const { return m_value; }

private:
    bool atSpace() const;
    bool skipSpace();
    bool skip(QByteArrayView literal);
    void readValue(char quote);
    void appendBytes(qsizetype from, qsizetype to);
    void appendReference();

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_inRow = false;
    bool m_utf8;
    TextDecoder m_decoder;
    QString m_name;
    QString m_value;
};

}  // namespace kavinto
