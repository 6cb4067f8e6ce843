#include "xmlrows.h"

#include <QStringDecoder>

namespace kavinto {
namespace {

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

qsizetype skipBomAndSpace(QByteArrayView bytes) {
    qsizetype i = bytes.startsWith("\xEF\xBB\xBF") ? 3 : 0;
    while (i < bytes.size() && SimpleRows::isSpace(bytes[i])) ++i;
    return i;
}

std::optional<RowRegion> simpleRowRegion(const QByteArray& bytes) {
    const qsizetype tag = bytes.indexOf("<ROWDATA");
    if (tag < 0)
        return std::nullopt;
    // Before it, no comment, section or declaration could hide a decoy.
    const QByteArray before = bytes.first(tag);
    if (before.contains("<!"))
        return std::nullopt;
    if (const qsizetype instruction = before.indexOf("<?"); instruction >= 0) {
        if (instruction != skipBomAndSpace(before) || before.indexOf("<?", instruction + 2) >= 0)
            return std::nullopt;
    }
    qsizetype i = tag + 8;
    if (i >= bytes.size() || !(SimpleRows::isSpace(bytes[i]) || bytes[i] == '>'))
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
    m_name.resize(std::size_t(m_at - start));
    std::copy(m_bytes.data() + start, m_bytes.data() + m_at, m_name.begin());
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
    m_value.clear();
    qsizetype run = m_at;
    uchar high = 0;  // the bits of the run's bytes above ASCII
    for (;;) {
        if (m_at == m_bytes.size())
            throw NotSimple{};
        const auto c = static_cast<uchar>(m_bytes[m_at]);
        if (c >= 0x20 && c != uchar(quote) && c != '<' && c != '&') {
            high |= c & 0x80;
            ++m_at;
            continue;
        }
        appendBytes(run, m_at, high == 0);
        high = 0;
        if (c == uchar(quote)) {
            ++m_at;
            return;
        }
        if (c == '&') {
            appendReference();
        } else if (c == '\t' || c == '\n' || c == '\r') {
            m_value += u' ';
            if (c == '\r' && m_at + 1 < m_bytes.size() && m_bytes[m_at + 1] == '\n')
                ++m_at;
            ++m_at;
        } else {
            throw NotSimple{};  // '<' or a control character
        }
        run = m_at;
    }
}

void SimpleRows::appendBytes(qsizetype from, qsizetype to, bool ascii) {
    const QByteArrayView bytes = m_bytes.sliced(from, to - from);
    if (ascii) {
        const std::size_t old = m_value.size();
        m_value.resize(old + std::size_t(bytes.size()));
        std::copy(bytes.begin(), bytes.end(), m_value.begin() + qsizetype(old));
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
    m_value.append(reinterpret_cast<const char16_t*>(decoded.utf16()), std::size_t(decoded.size()));
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
            m_value += char16_t(c);
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
    if (code > 0xFFFF) {
        m_value += QChar::highSurrogate(code);
        m_value += QChar::lowSurrogate(code);
    } else {
        m_value += char16_t(code);
    }
}

}  // namespace kavinto
