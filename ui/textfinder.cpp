#include "textfinder.h"

#include <QList>

#include <algorithm>
#include <array>
#include <memory>
#include <string_view>

namespace kavinto {
namespace {

constexpr char16_t kComplex = 0xFFFF;  // folds to more than one unit: the slow path

// The general rule, for one character (one or two UTF-16 units).
void foldSlowly(QByteArray& out, QStringView character) {
    const QString decomposed = character.toString().normalized(QString::NormalizationForm_D);
    QString folded;
    for (const char32_t c : decomposed.toUcs4()) {
        if (QChar::isMark(c) || c == 0)
            continue;
        const char32_t f = QChar::toCaseFolded(c);
        folded.append(QString::fromUcs4(&f, 1));
    }
    out.append(folded.toUtf8());
}

// The folding of every BMP unit that folds to one unit or none (0), made
// once by the general rule; kComplex marks the others.
const std::array<char16_t, 0x10000>& unitTable() {
    static const std::unique_ptr<std::array<char16_t, 0x10000>> table = [] {
        auto t = std::make_unique<std::array<char16_t, 0x10000>>();
        for (char32_t u = 0; u < 0x10000; ++u) {
            if (u >= 0xD800 && u < 0xE000) {
                (*t)[u] = kComplex;
                continue;
            }
            const char16_t unit = char16_t(u);
            const QString decomposed =
                QString(QChar(unit)).normalized(QString::NormalizationForm_D);
            QString folded;
            for (const char32_t c : decomposed.toUcs4())
                if (!QChar::isMark(c) && c != 0)
                    folded.append(QString::fromUcs4(&c, 1).toCaseFolded());
            (*t)[u] = folded.isEmpty() ? 0 : folded.size() == 1 ? folded[0].unicode() : kComplex;
        }
        return t;
    }();
    return *table;
}

}  // namespace

QByteArray TextFinder::fold(QStringView text) {
    QByteArray out;
    foldInto(out, text);
    return out;
}

void TextFinder::foldInto(QByteArray& out, QStringView text) {
    // Written through a pointer into room for the longest result: a unit
    // folds to at most 3 bytes on the fast path.
    const qsizetype start = out.size();
    out.resize(start + text.size() * 3);
    char* p = out.data() + start;
    const auto& table = unitTable();
    for (qsizetype i = 0; i < text.size(); ++i) {
        const char16_t u = text[i].unicode();
        if (u < 0x80) {
            if (u != 0)
                *p++ = char(u >= 'A' && u <= 'Z' ? u + ('a' - 'A') : u);
            continue;
        }
        const char16_t f = table[u];
        if (f == 0)
            continue;
        if (f < 0x80) {  // an accented Latin letter
            *p++ = char(f);
            continue;
        }
        if (f != kComplex) {
            if (f < 0x800) {
                *p++ = char(0xC0 | (f >> 6));
            } else {
                *p++ = char(0xE0 | (f >> 12));
                *p++ = char(0x80 | ((f >> 6) & 0x3F));
            }
            *p++ = char(0x80 | (f & 0x3F));
            continue;
        }
        const bool pair = QChar::isHighSurrogate(u) && i + 1 < text.size() &&
                          QChar::isLowSurrogate(text[i + 1].unicode());
        QByteArray slow;
        foldSlowly(slow, text.mid(i, pair ? 2 : 1));
        const qsizetype at = p - out.data();
        out.resize(at);
        out.append(slow);
        out.resize(out.size() + (text.size() - i) * 3);
        p = out.data() + at + slow.size();
        if (pair)
            ++i;
    }
    out.resize(p - out.data());
}

void TextFinder::build(int count, const std::function<QString(int)>& textAt) {
    clear();
    // Offsets of 32 bits: a list's texts come from one packet, far below 4 GiB.
    m_starts.reserve(std::size_t(std::max(count, 0)));
    for (int i = 0; i < count; ++i) {
        m_text.append('\0');
        m_starts.push_back(quint32(m_text.size()));
        foldInto(m_text, textAt(i));
    }
    m_text.squeeze();
}

void TextFinder::clear() {
    m_text.clear();
    m_starts.clear();
}

int TextFinder::itemAt(qsizetype offset) const {
    return int(std::upper_bound(m_starts.begin(), m_starts.end(), quint32(offset)) -
               m_starts.begin()) -
           1;
}

qsizetype TextFinder::search(const QByteArray& pattern, qsizetype from) const {
    const std::string_view text(m_text.constData(), std::size_t(m_text.size()));
    const std::size_t at = text.find(
        std::string_view(pattern.constData(), std::size_t(pattern.size())), std::size_t(from));
    return at == std::string_view::npos ? -1 : qsizetype(at);
}

int TextFinder::find(const QByteArray& folded) const {
    if (folded.isEmpty())
        return -1;
    const qsizetype start = search('\0' + folded, 0);
    if (start >= 0)
        return itemAt(start + 1);
    const qsizetype inside = search(folded, 0);
    return inside >= 0 ? itemAt(inside) : -1;
}

std::vector<int> TextFinder::containing(const QByteArray& folded) const {
    std::vector<int> items;
    if (folded.isEmpty())
        return items;
    // Hits come in order: the item of each is found by walking the starts.
    std::size_t item = 0;
    for (qsizetype at = search(folded, 0); at >= 0;) {
        while (item + 1 < m_starts.size() && qsizetype(m_starts[item + 1]) <= at) ++item;
        items.push_back(int(item));
        if (++item >= m_starts.size())
            break;
        at = search(folded, qsizetype(m_starts[item]));
    }
    return items;
}

}  // namespace kavinto
