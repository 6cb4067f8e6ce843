#pragma once

#include "textcodec.h"

#include <QByteArray>
#include <QByteArrayView>
#include <QString>

#include <optional>
#include <string>

namespace kavinto {

// The rows of an XML data packet as packets are written, read straight from
// the bytes of an ASCII-compatible encoding: <ROW name="value" .../> or
// <ROW ...></ROW>, apart only by white space; names in ASCII; the five
// predefined entities and character references. Whatever else it meets it
// leaves, by throwing NotSimple, to the XML reader, which reads the whole
// packet again and names any fault.
struct NotSimple {};

// Where an XML document's markup begins: after a UTF-8 BOM and white space.
qsizetype skipBomAndSpace(QByteArrayView bytes);

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

    static bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }

private:
    bool atSpace() const { return m_at < m_bytes.size() && isSpace(m_bytes[m_at]); }
    bool skipSpace() {
        const qsizetype from = m_at;
        while (atSpace()) ++m_at;
        return m_at > from;
    }
    template <std::size_t N>
    bool skip(const char (&literal)[N]) {
        constexpr qsizetype n = N - 1;
        if (m_bytes.size() - m_at < n)
            return false;
        for (qsizetype k = 0; k < n; ++k)
            if (m_bytes[m_at + k] != literal[k])
                return false;
        m_at += n;
        return true;
    }
    void readValue(char quote);
    void appendBytes(qsizetype from, qsizetype to, bool ascii);
    void appendReference();

    QByteArrayView m_bytes;
    qsizetype m_at = 0;
    bool m_inRow = false;
    bool m_utf8;
    TextDecoder m_decoder;
    std::u16string m_name;
    std::u16string m_value;
};

}  // namespace kavinto
