#include "casefold.h"

#include <unicode/uchar.h>
#include <unicode/ustring.h>

#include <algorithm>
#include <iterator>
#include <limits>

namespace kavinto {
namespace {

// No character folds to more than three.
constexpr qsizetype kMaxExpansion = 3;
constexpr qsizetype kFoldLimit = std::numeric_limits<int32_t>::max() / kMaxExpansion;

// Folds text (at most kFoldLimit units) into out; returns the folded length,
// which is more than capacity, and nothing written, if it does not fit.
qsizetype foldInto(QStringView text, char16_t* out, qsizetype capacity) {
    UErrorCode status = U_ZERO_ERROR;
    const int32_t n = u_strFoldCase(out, int32_t(capacity), text.utf16(), int32_t(text.size()),
                                    U_FOLD_CASE_DEFAULT, &status);
    return status == U_BUFFER_OVERFLOW_ERROR || U_SUCCESS(status) ? n : 0;
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
    // Folded a piece at a time on the stack: case folding maps each character
    // by itself, so pieces that do not split a surrogate pair fold as the whole.
    constexpr qsizetype kPiece = 64;
    char16_t folded[kPiece * kMaxExpansion];
    quint32 h = kFnvBasis;
    while (!text.isEmpty()) {
        qsizetype n = std::min(kPiece, text.size());
        if (n < text.size() && text[n - 1].isHighSurrogate())
            --n;
        const qsizetype length = foldInto(text.first(n), folded, std::size(folded));
        for (qsizetype i = 0; i < length; ++i) h = mix(h, folded[i]);
        text = text.sliced(n);
    }
    return h;
}

QString fullCaseFolded(const QString& text) {
    if (text.size() > kFoldLimit)
        return text.toCaseFolded();
    // Room for a few expansions; the rare text with more is folded again at its length.
    QString result(text.size() + 8, Qt::Uninitialized);
    qsizetype length = foldInto(text, reinterpret_cast<char16_t*>(result.data()), result.size());
    if (length > result.size()) {
        result.resize(length);
        length = foldInto(text, reinterpret_cast<char16_t*>(result.data()), result.size());
    }
    result.truncate(length);
    return result;
}

}  // namespace kavinto
