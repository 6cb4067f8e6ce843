#pragma once

#include "podbuffer.h"

#include <QLocale>
#include <QStringView>

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
    bool equal(QStringView a, QStringView b) const;

private:
    UCollator* m_collator = nullptr;
};

}  // namespace kavinto
