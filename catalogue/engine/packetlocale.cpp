#include "packetlocale.h"

namespace kavinto {
namespace {

struct LanguageEntry {
    int primaryLanguage;  // LCID & 0x3FF
    QLocale::Language language;
    const char* codePage;
};

// Windows primary language ids and their ANSI code pages.
constexpr LanguageEntry kLanguages[] = {
    {0x01, QLocale::Arabic, "windows-1256"},
    {0x02, QLocale::Bulgarian, "windows-1251"},
    {0x03, QLocale::Catalan, "windows-1252"},
    {0x05, QLocale::Czech, "windows-1250"},
    {0x06, QLocale::Danish, "windows-1252"},
    {0x07, QLocale::German, "windows-1252"},
    {0x08, QLocale::Greek, "windows-1253"},
    {0x09, QLocale::English, "windows-1252"},
    {0x0A, QLocale::Spanish, "windows-1252"},
    {0x0B, QLocale::Finnish, "windows-1252"},
    {0x0C, QLocale::French, "windows-1252"},
    {0x0D, QLocale::Hebrew, "windows-1255"},
    {0x0E, QLocale::Hungarian, "windows-1250"},
    {0x0F, QLocale::Icelandic, "windows-1252"},
    {0x10, QLocale::Italian, "windows-1252"},
    {0x11, QLocale::Japanese, "Shift_JIS"},
    {0x12, QLocale::Korean, "windows-949"},
    {0x13, QLocale::Dutch, "windows-1252"},
    {0x14, QLocale::NorwegianBokmal, "windows-1252"},
    {0x15, QLocale::Polish, "windows-1250"},
    {0x16, QLocale::Portuguese, "windows-1252"},
    {0x18, QLocale::Romanian, "windows-1250"},
    {0x19, QLocale::Russian, "windows-1251"},
    {0x1B, QLocale::Slovak, "windows-1250"},
    {0x1C, QLocale::Albanian, "windows-1250"},
    {0x1D, QLocale::Swedish, "windows-1252"},
    {0x1E, QLocale::Thai, "windows-874"},
    {0x1F, QLocale::Turkish, "windows-1254"},
    {0x22, QLocale::Ukrainian, "windows-1251"},
    {0x23, QLocale::Belarusian, "windows-1251"},
    {0x24, QLocale::Slovenian, "windows-1250"},
    {0x25, QLocale::Estonian, "windows-1257"},
    {0x26, QLocale::Latvian, "windows-1257"},
    {0x27, QLocale::Lithuanian, "windows-1257"},
    {0x2A, QLocale::Vietnamese, "windows-1258"},
    {0x2F, QLocale::Macedonian, "windows-1251"},
};

}  // namespace

PacketLocale packetLocale(std::optional<qint32> lcid) {
    const qint32 id = lcid.value_or(kDefaultLcid);
    const int primary = id & 0x3FF;
    // 0x1A covers Croatian and Serbian in Latin (1250) and Serbian and Bosnian
    // in Cyrillic (1251); Chinese splits by script.
    if (primary == 0x1A) {
        const bool cyrillic = id == 0x0C1A || id == 0x201A || id == 0x1C1A;
        return {QString::fromLatin1(cyrillic ? "windows-1251" : "windows-1250"),
                QLocale(cyrillic ? QLocale::Serbian : QLocale::Croatian)};
    }
    if (primary == 0x04) {
        const bool traditional = id == 0x0404 || id == 0x0C04 || id == 0x1404;
        return {QString::fromLatin1(traditional ? "Big5" : "GBK"),
                QLocale(QLocale::Chinese,
                        traditional ? QLocale::TraditionalHanScript : QLocale::SimplifiedHanScript,
                        QLocale::AnyTerritory)};
    }
    for (const LanguageEntry& entry : kLanguages)
        if (entry.primaryLanguage == primary)
            return {QString::fromLatin1(entry.codePage), QLocale(entry.language)};
    return {QStringLiteral("windows-1252"), QLocale(QLocale::English)};
}

}  // namespace kavinto
