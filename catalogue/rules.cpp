#include "rules.h"

#include "casefold.h"
#include "packetlocale.h"
#include "quoted.h"
#include "schema.h"
#include "textcodec.h"

namespace kavinto::rules {
namespace {

// A catalogue reader ends a text at a NUL, and a text field holds at most 65,535 bytes.
constexpr qsizetype kMaxTextBytes = 0xFFFF;

QString controlFault(QStringView text) {
    for (const QChar c : text) {
        if (c.unicode() >= 0x20 && c.unicode() != 0x7F)
            continue;
        const QString what = c.unicode() == 0           ? QStringLiteral("a NUL character")
                             : c == u'\n' || c == u'\r' ? QStringLiteral("a line break")
                             : c == u'\t'               ? QStringLiteral("a tab")
                                          : QStringLiteral("a control character (U+%1)")
                                                .arg(c.unicode(), 4, 16, QLatin1Char('0'))
                                                .toUpper();
        return QStringLiteral("%1 holds %2, which a catalogue text cannot hold")
            .arg(quoted(text), what);
    }
    return {};
}

}  // namespace

QString textFault(QStringView text, TextKind kind) {
    if (kind == TextKind::Name && text.isEmpty())
        return QStringLiteral("the name is empty");
    if (kind == TextKind::Name && text == kNothingChosen)
        return QStringLiteral("the name %1 cannot be chosen: the lists show it for no choice")
            .arg(quoted(text));
    if (QString fault = controlFault(text); !fault.isEmpty())
        return fault;
    // The packet writer's own encoder: what it accepts here, the writer writes.
    static const TextEncoder encoder(packetLocale(kCatalogueLocaleId).codePage);
    const std::optional<QByteArray> encoded = encoder.encode(text);
    if (!encoded)
        return QStringLiteral("%1 holds a character that %2 cannot hold")
            .arg(quoted(text), encoder.codePage());
    if (encoded->size() > kMaxTextBytes)
        return QStringLiteral(
                   "the text is %1 bytes long, more than the %2 a catalogue text can hold")
            .arg(encoded->size())
            .arg(kMaxTextBytes);
    return {};
}

QString idTextFault(QStringView text, qint32& id) {
    if (text.isEmpty())
        return QStringLiteral("the id is missing");
    bool ok = false;
    id = text.toInt(&ok);
    return ok ? QString() : QStringLiteral("%1 is not an integer").arg(quoted(text));
}

QString functionNumberFault(qint64 number) {
    if (number >= 1 && number <= kFunctionCount)
        return {};
    return QStringLiteral("the function number %1 is outside 1-%2, so no method can serve it")
        .arg(number)
        .arg(kFunctionCount);
}

QString duplicateIdFault(qint64 id) {
    return QStringLiteral("the id %1 occurs twice").arg(id);
}

QString missingFunctionFault(int number) {
    return QStringLiteral("function %1 is flagged, but the functions table lacks it").arg(number);
}

QString flagTextFault(QStringView text) {
    if (text.isEmpty() || text == u"0" || text == u"1")
        return {};
    return QStringLiteral("the flag %1 is not 0, 1 or empty").arg(quoted(text));
}

QString NameRegister::add(const QString& name, const QString& where) {
    const auto [first, added] = m_seen.emplace(fullCaseFolded(name), where);
    if (added)
        return {};
    return QStringLiteral("%1 is the same name as in %2; only the first can be looked up")
        .arg(quoted(name), first->second);
}

}  // namespace kavinto::rules
