#pragma once

#include <QByteArray>
#include <QString>
#include <QStringView>

#include <functional>
#include <vector>

namespace kavinto {

// Finds items of a list by letters typed, with case and accents ignored:
// texts are compared after decomposition (NFD) with the combining marks
// dropped and case folded. The folded items are kept in one buffer, so a
// search is a scan of that buffer; nothing is kept per item but its offset.
class TextFinder {
public:
    // The folded text, as UTF-8.
    static QByteArray fold(QStringView text);

    // Folds the items; `textAt` is asked once for each.
    void build(int count, const std::function<QString(int)>& textAt);
    void clear();
    // The bytes the folded items take.
    std::size_t memoryUsed() const {
        return std::size_t(m_text.capacity()) + m_starts.capacity() * sizeof(quint32);
    }

    // The first item, in list order, that starts with the folded letters;
    // where none does, the first that contains them; else -1.
    int find(const QByteArray& folded) const;
    // Every item that contains the folded letters, in list order.
    std::vector<int> containing(const QByteArray& folded) const;

private:
    static void foldInto(QByteArray& out, QStringView text);
    int itemAt(qsizetype offset) const;
    qsizetype search(const QByteArray& pattern, qsizetype from) const;

    // Each item preceded by a NUL, which no folded text holds.
    QByteArray m_text;
    std::vector<quint32> m_starts;  // where each item's text begins
};

}  // namespace kavinto
