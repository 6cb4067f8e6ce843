#pragma once

#include "podbuffer.h"

#include <QLocale>
#include <QStringView>

#include <array>

struct UCollator;

namespace kavinto {

// A language's collation with regard to case, as QCollator sets it up on
// ICU, giving the same order; unlike QCollator it writes its sort keys into
// a caller's flat buffer. Without a collator for the language, texts
// compare by their UTF-16 code units.
class Collation {
public:
    explicit Collation(const QLocale& locale);
    ~Collation();
    Collation(const Collation&) = delete;
    Collation& operator=(const Collation&) = delete;

    // Appends the text's sort key, ended by a NUL byte that occurs nowhere
    // else in it: keys compare as the texts collate.
    void appendKey(QStringView text, PodBuffer<char>& keys) const;
    // The first 16 bytes of a sort key, made without the rest, NUL-padded
    // where the key is shorter. Texts whose prefixes differ collate as the
    // prefixes compare; equal prefixes decide nothing.
    std::array<quint8, 16> keyPrefix(QStringView text) const;
    bool equal(QStringView a, QStringView b) const;

private:
    UCollator* m_collator = nullptr;
};

}  // namespace kavinto
