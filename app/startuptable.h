#pragma once

#include <QString>

#include <string>
#include <vector>

namespace kavinto {

// The table that the start-up pause fills: slot n (1 to 1,500,000) holds the
// signed decimal text of n x n in 32-bit two's-complement arithmetic.
// Nothing reads it; it stays until the process ends. The texts share one
// character buffer rather than being 1.5 million separate strings.
class StartupTable {
public:
    static constexpr int kSlots = 1500000;

    // Runs the busy pause: fills every slot in order. Handles no messages.
    void fill();
    QString slot(int n) const;  // n counted from 1
    std::size_t bytes() const { return m_text.capacity() + m_ends.capacity() * sizeof(quint32); }

private:
    std::string m_text;
    std::vector<quint32> m_ends;  // end of slot n's text at m_ends[n - 1]
};

// The square of n wrapped to 32 bits, as the pause computes it.
qint32 wrappedSquare(qint32 n);

}  // namespace kavinto
