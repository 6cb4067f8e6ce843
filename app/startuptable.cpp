#include "startuptable.h"

#include <charconv>

namespace kavinto {

qint32 wrappedSquare(qint32 n) {
    // Unsigned arithmetic wraps without undefined behaviour; the conversion
    // back to signed is two's complement on every platform we build for.
    const quint32 u = quint32(n);
    return static_cast<qint32>(u * u);
}

void StartupTable::fill() {
    m_text.clear();
    m_ends.clear();
    m_text.reserve(std::size_t(kSlots) * 11);
    m_ends.reserve(std::size_t(kSlots));
    char digits[16];
    for (qint32 n = 1; n <= kSlots; ++n) {
        const auto [end, ec] = std::to_chars(digits, digits + sizeof digits, wrappedSquare(n));
        (void)ec;
        m_text.append(digits, end);
        m_ends.push_back(quint32(m_text.size()));
    }
}

QString StartupTable::slot(int n) const {
    if (n < 1 || std::size_t(n) > m_ends.size())
        return {};
    const quint32 begin = n == 1 ? 0 : m_ends[std::size_t(n - 2)];
    return QString::fromLatin1(m_text.data() + begin,
                               qsizetype(m_ends[std::size_t(n - 1)] - begin));
}

}  // namespace kavinto
