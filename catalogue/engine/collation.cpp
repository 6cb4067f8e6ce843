#include "collation.h"

#include <unicode/ucol.h>

namespace kavinto {

Collation::Collation(const QLocale& locale) {
    UErrorCode status = U_ZERO_ERROR;
    const QByteArray name =
        locale.bcp47Name().replace(QLatin1Char('-'), QLatin1Char('_')).toLatin1();
    m_collator = ucol_open(name.constData(), &status);
    if (U_FAILURE(status)) {
        m_collator = nullptr;
        return;
    }
    // The attributes QCollator gives a case-sensitive collator.
    ucol_setAttribute(m_collator, UCOL_NORMALIZATION_MODE, UCOL_ON, &status);
    ucol_setAttribute(m_collator, UCOL_STRENGTH, UCOL_DEFAULT_STRENGTH, &status);
    ucol_setAttribute(m_collator, UCOL_NUMERIC_COLLATION, UCOL_OFF, &status);
    ucol_setAttribute(m_collator, UCOL_ALTERNATE_HANDLING, UCOL_NON_IGNORABLE, &status);
}

Collation::~Collation() {
    if (m_collator)
        ucol_close(m_collator);
}

void Collation::appendKey(QStringView text, PodBuffer<char>& keys) const {
    const auto* units = reinterpret_cast<const UChar*>(text.utf16());
    const auto length = int32_t(text.size());
    if (!m_collator) {
        // Code units as big-endian pairs, each byte kept above 0 so that NUL ends the key.
        char* out = keys.reserveMore(std::size_t(length) * 3 + 1);
        std::size_t n = 0;
        for (int32_t i = 0; i < length; ++i) {
            const char16_t u = units[i];
            out[n++] = char(0x01 + (u >> 11));
            out[n++] = char(0x01 + ((u >> 5) & 0x3F));
            out[n++] = char(0x01 + (u & 0x1F));
        }
        out[n++] = '\0';
        keys.commit(n);
        return;
    }
    std::size_t room = std::size_t(length) * 4 + 32;
    auto* out = reinterpret_cast<uint8_t*>(keys.reserveMore(room));
    int32_t n = ucol_getSortKey(m_collator, units, length, out, int32_t(room));
    if (std::size_t(n) > room) {
        room = std::size_t(n);
        out = reinterpret_cast<uint8_t*>(keys.reserveMore(room));
        n = ucol_getSortKey(m_collator, units, length, out, int32_t(room));
    }
    keys.commit(std::size_t(n));
}

bool Collation::equal(QStringView a, QStringView b) const {
    if (!m_collator)
        return a == b;
    return ucol_strcoll(m_collator, reinterpret_cast<const UChar*>(a.utf16()), int32_t(a.size()),
                        reinterpret_cast<const UChar*>(b.utf16()), int32_t(b.size())) == UCOL_EQUAL;
}

}  // namespace kavinto
