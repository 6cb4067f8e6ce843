#pragma once

#include <QLocale>
#include <QString>

#include <optional>

namespace kavinto {

// What a packet's LCID decides: the ANSI code page of its 8-bit strings and
// the language by which its texts are ordered.
struct PacketLocale {
    QString codePage;  // a name QStringDecoder knows, e.g. "windows-1250"
    QLocale locale;
};

// Windows' language id for Hungarian, the language of the catalogues the
// engine was made for: a packet without LCID is in its code page
// (windows-1250) and ordered as it orders texts.
inline constexpr qint32 kDefaultLcid = 1038;

PacketLocale packetLocale(std::optional<qint32> lcid);

}  // namespace kavinto
