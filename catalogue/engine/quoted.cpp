#include "quoted.h"

namespace kavinto {
namespace {

constexpr int kMaxShown = 60;

// Inside quotes, the quote and the backslash are escaped too.
void appendEscaped(QString& out, char32_t c, bool inQuotes = true) {
    switch (c) {
        case U'\n':
            out += QLatin1String("\\n");
            return;
        case U'\r':
            out += QLatin1String("\\r");
            return;
        case U'\t':
            out += QLatin1String("\\t");
            return;
        case U'\\':
        case U'\'':
            if (inQuotes)
                out += QLatin1Char('\\');
            out += QChar(c);
            return;
        default:
            break;
    }
    const QChar::Category category = QChar::category(c);
    const bool hidden = category == QChar::Other_Control || category == QChar::Other_Format ||
                        category == QChar::Other_Surrogate ||
                        category == QChar::Other_NotAssigned ||
                        category == QChar::Other_PrivateUse || category == QChar::Separator_Line ||
                        category == QChar::Separator_Paragraph || c == U'\uFFFD';
    if (!hidden) {
        out += QString::fromUcs4(&c, 1);
    } else if (c < 0x100) {
        out += QStringLiteral("\\x%1").arg(uint(c), 2, 16, QLatin1Char('0'));
    } else {
        out += QStringLiteral("\\u%1").arg(uint(c), 4, 16, QLatin1Char('0'));
    }
}

// Appends the characters of `text`, escaped, up to `limit` of them (then "...").
void appendEscapedText(QString& out, QStringView text, bool inQuotes, qsizetype limit) {
    qsizetype shown = 0;
    for (qsizetype i = 0; i < text.size(); ++i, ++shown) {
        if (shown == limit) {
            out += QLatin1String("...");
            return;
        }
        char32_t c = text[i].unicode();
        if (QChar::isHighSurrogate(c) && i + 1 < text.size() && text[i + 1].isLowSurrogate()) {
            c = QChar::surrogateToUcs4(text[i], text[i + 1]);
            ++i;
        }
        appendEscaped(out, c, inQuotes);
    }
}

}  // namespace

QString quoted(QStringView text) {
    QString out = QStringLiteral("'");
    appendEscapedText(out, text, true, kMaxShown);
    return out + QLatin1Char('\'');
}

QString escaped(QStringView text) {
    QString out;
    appendEscapedText(out, text, false, text.size() + 1);
    return out;
}

QString quoted(QByteArrayView bytes) {
    QString out = QStringLiteral("'");
    for (qsizetype i = 0; i < bytes.size(); ++i) {
        if (i == kMaxShown) {
            out += QLatin1String("...");
            break;
        }
        const auto b = static_cast<quint8>(bytes[i]);
        if (b < 0x80)
            appendEscaped(out, char32_t(b));
        else
            out += QStringLiteral("\\x%1").arg(uint(b), 2, 16, QLatin1Char('0'));
    }
    return out + QLatin1Char('\'');
}

}  // namespace kavinto
