#include "casefold.h"

#include <algorithm>
#include <iterator>

namespace kavinto {
namespace {

struct Expansion {
    char16_t from;
    char16_t to[3];
};

constexpr Expansion kExpansions[] = {
#include "fullcasefold.inc"
};

const Expansion* findExpansion(char16_t c) {
    auto it = std::lower_bound(std::begin(kExpansions), std::end(kExpansions), c,
                               [](const Expansion& e, char16_t v) { return e.from < v; });
    return it != std::end(kExpansions) && it->from == c ? it : nullptr;
}

constexpr quint32 kFnvBasis = 2166136261u;
quint32 mix(quint32 h, char16_t unit) {
    return (h ^ unit) * 16777619u;
}

}  // namespace

quint32 unitsHash(QStringView text) {
    quint32 h = kFnvBasis;
    for (QChar c : text) h = mix(h, c.unicode());
    return h;
}

quint32 foldedHash(QStringView text) {
    quint32 h = kFnvBasis;
    for (QChar c : text) {
        if (c.isSurrogate())
            return unitsHash(fullCaseFolded(text.toString()));
        const auto folded = char16_t(QChar::toCaseFolded(char32_t(c.unicode())));
        if (folded < 0x80) {
            h = mix(h, folded);
        } else if (const Expansion* e = findExpansion(folded)) {
            for (char16_t u : e->to)
                if (u != 0)
                    h = mix(h, u);
        } else {
            h = mix(h, folded);
        }
    }
    return h;
}

QString fullCaseFolded(const QString& text) {
    const QString simple = text.toCaseFolded();
    // Applied after the simple folding: every character that folds to several
    // characters is, or simply folds to, one the table holds (all in the BMP).
    if (std::none_of(simple.begin(), simple.end(),
                     [](QChar c) { return findExpansion(c.unicode()) != nullptr; }))
        return simple;
    QString result;
    result.reserve(simple.size() + 8);
    for (QChar c : simple) {
        if (const Expansion* e = findExpansion(c.unicode())) {
            for (char16_t u : e->to)
                if (u != 0)
                    result.append(QChar(u));
        } else {
            result.append(c);
        }
    }
    return result;
}

}  // namespace kavinto
