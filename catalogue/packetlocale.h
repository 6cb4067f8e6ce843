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

// A packet without LCID is in this catalogue's own code page and language.
PacketLocale packetLocale(std::optional<qint32> lcid);

}  // namespace kavinto
