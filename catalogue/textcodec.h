#pragma once

#include <QByteArray>
#include <QString>

namespace kavinto {

// Decodes bytes in the named encoding with QStringDecoder. Throws an Error
// "Invalid data packet: ..." when the encoding is unknown or the bytes are
// not valid in it; `where` names the decoded item in the message.
QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where);

}  // namespace kavinto
