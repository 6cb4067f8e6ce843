#include "xmlrows.h"

#include <QStringDecoder>

namespace kavinto {
namespace {

bool isSpaceByte(char c) {
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}
bool isNameStart(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || c == '_';
}
bool isNameChar(char c) {
    return isNameStart(c) || (c >= '0' && c <= '9') || c == '-' || c == '.';
}
bool isXmlChar(char32_t c) {
    return c == 0x9 || c == 0xA || c == 0xD || (c >= 0x20 && c <= 0xD7FF) ||
           (c >= 0xE000 && c <= 0xFFFD) || (c >= 0x10000 && c <= 0x10FFFF);
}

// Characters that XML text may not hold, among decoded ones.
bool allXmlChars(QStringView text) {
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate())
            ++i;
        else if (QChar::isSurrogate(c) || !isXmlChar(c))
            return false;
    }
    return true;
}

}  // namespace

std::optional<RowRegion> simpleRowRegion(const QByteArray& bytes) {
    const qsizetype tag = bytes.indexOf("<ROWDATA");
    if (tag < 0)
        return std::nullopt;
    // Before it, no comment, section or declaration could hide a decoy.
    const qsizetype markup = bytes.indexOf("<!");
    if (markup >= 0 && markup < tag)
        return std::nullopt;
    const qsizetype instruction = bytes.indexOf("<?");
    if (instruction >= 0 && instruction < tag) {
        qsizetype first = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
        while (first < bytes.size() && isSpaceByte(bytes[first])) ++first;
        const qsizetype second = bytes.indexOf("<?", instruction + 2);
        if (instruction != first || (second >= 0 && second < tag))
            return std::nullopt;
    }
    qsizetype i = tag + 8;
    if (i >= bytes.size() || !(isSpaceByte(bytes[i]) || bytes[i] == '>'))
        return std::nullopt;
    for (; i < bytes.size() && bytes[i] != '>'; ++i) {
        if (bytes[i] == '"' || bytes[i] == '\'') {
            const qsizetype close = bytes.indexOf(bytes[i], i + 1);
            if (close < 0)
                return std::nullopt;
            i = close;
        }
    }
    if (i >= bytes.size() || bytes[i - 1] == '/')
        return std::nullopt;
    const qsizetype end = bytes.indexOf("</ROWDATA", i + 1);
    if (end < 0)
        return std::nullopt;
    return RowRegion{i + 1, end};
}

SimpleRows::SimpleRows(QByteArrayView rows, const QString& encoding)
    : m_bytes(rows),
      m_utf8(encoding.compare(QLatin1String("UTF-8"), Qt::CaseInsensitive) == 0),
      m_decoder(encoding, QStringLiteral("the XML text")) {}

bool SimpleRows::atSpace() const {
    return m_at < m_bytes.size() && isSpaceByte(m_bytes[m_at]);
}

bool SimpleRows::skipSpace() {
    const qsizetype from = m_at;
    while (atSpace()) ++m_at;
    return m_at > from;
}

bool SimpleRows::skip(QByteArrayView literal) {
    if (m_bytes.size() - m_at < literal.size() || m_bytes.sliced(m_at, literal.size()) != literal)
        return false;
    m_at += literal.size();
    return true;
}

bool SimpleRows::nextRow() {
    while (m_inRow) nextAttribute();
    skipSpace();
    if (m_at == m_bytes.size())
        return false;
    if (!skip("<ROW") ||
        !(atSpace() || (m_at < m_bytes.size() && (m_bytes[m_at] == '/' || m_bytes[m_at] == '>'))))
        throw NotSimple{};
    m_inRow = true;
    return true;
}

bool SimpleRows::nextAttribute() {
    if (!m_inRow)
        return false;
    const bool spaced = skipSpace();
    if (skip("/>")) {
        m_inRow = false;
        return false;
    }
    if (skip(">")) {
        skipSpace();
        if (!skip("</ROW"))
            throw NotSimple{};
        skipSpace();
        if (!skip(">"))
            throw NotSimple{};
        m_inRow = false;
        return false;
    }
    if (!spaced || m_at == m_bytes.size() || !isNameStart(m_bytes[m_at]))
        throw NotSimple{};
    const qsizetype start = m_at;
    while (m_at < m_bytes.size() && isNameChar(m_bytes[m_at])) ++m_at;
    m_name.resize(m_at - start);
    for (qsizetype k = start; k < m_at; ++k) m_name[k - start] = QLatin1Char(m_bytes[k]);
    skipSpace();
    if (!skip("="))
        throw NotSimple{};
    skipSpace();
    if (m_at == m_bytes.size() || (m_bytes[m_at] != '"' && m_bytes[m_at] != '\''))
        throw NotSimple{};
    readValue(m_bytes[m_at++]);
    return true;
}

// Line ends and tabs in a value read as spaces (a CR LF as one), as XML
// normalises attribute values.
void SimpleRows::readValue(char quote) {
    m_value.resize(0);
    qsizetype run = m_at;
    for (;;) {
        if (m_at == m_bytes.size())
            throw NotSimple{};
        const auto c = static_cast<uchar>(m_bytes[m_at]);
        if (c == uchar(quote)) {
            appendBytes(run, m_at++);
            return;
        }
        if (c == '<')
            throw NotSimple{};
        if (c == '&') {
            appendBytes(run, m_at);
            appendReference();
            run = m_at;
        } else if (c == '\t' || c == '\n' || c == '\r') {
            appendBytes(run, m_at);
            m_value += QLatin1Char(' ');
            if (c == '\r' && m_at + 1 < m_bytes.size() && m_bytes[m_at + 1] == '\n')
                ++m_at;
            run = ++m_at;
        } else if (c < 0x20) {
            throw NotSimple{};
        } else {
            ++m_at;
        }
    }
}

void SimpleRows::appendBytes(qsizetype from, qsizetype to) {
    const QByteArrayView bytes = m_bytes.sliced(from, to - from);
    bool ascii = true;
    for (const char b : bytes) ascii &= static_cast<uchar>(b) < 0x80;
    const qsizetype old = m_value.size();
    if (ascii) {
        m_value.resize(old + bytes.size());
        for (qsizetype k = 0; k < bytes.size(); ++k) m_value[old + k] = QLatin1Char(bytes[k]);
        return;
    }
    QString decoded;
    if (m_utf8) {
        QStringDecoder utf8(QStringDecoder::Utf8, QStringDecoder::Flag::Stateless);
        decoded = utf8.decode(bytes);
        if (utf8.hasError())
            throw NotSimple{};
    } else {
        std::optional<QString> text = m_decoder.decode(bytes.toByteArray());
        if (!text)
            throw NotSimple{};
        decoded = std::move(*text);
    }
    if (!allXmlChars(decoded))
        throw NotSimple{};
    m_value += decoded;
}

void SimpleRows::appendReference() {
    const qsizetype start = ++m_at;
    qsizetype end = start;
    while (end < m_bytes.size() && end - start < 10 && m_bytes[end] != ';') ++end;
    if (end == m_bytes.size() || m_bytes[end] != ';')
        throw NotSimple{};
    const QByteArrayView ref = m_bytes.sliced(start, end - start);
    m_at = end + 1;
    static const std::pair<QByteArrayView, char> predefined[] = {
        {"amp", '&'}, {"lt", '<'}, {"gt", '>'}, {"quot", '"'}, {"apos", '\''}};
    for (const auto& [name, c] : predefined) {
        if (ref == name) {
            m_value += QLatin1Char(c);
            return;
        }
    }
    const bool hex = ref.startsWith("#x");
    if (!ref.startsWith("#") || ref.size() < (hex ? 3 : 2))
        throw NotSimple{};
    char32_t code = 0;
    for (const char d : ref.sliced(hex ? 2 : 1)) {
        int digit = -1;
        if (d >= '0' && d <= '9')
            digit = d - '0';
        else if (hex && d >= 'a' && d <= 'f')
            digit = d - 'a' + 10;
        else if (hex && d >= 'A' && d <= 'F')
            digit = d - 'A' + 10;
        if (digit < 0 || code > 0x10FFFF)
            throw NotSimple{};
        code = code * (hex ? 16 : 10) + char32_t(digit);
    }
    if (!isXmlChar(code))
        throw NotSimple{};
    m_value += QString::fromUcs4(&code, 1);
}

}  // namespace kavinto
