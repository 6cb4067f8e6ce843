#include "textcodec.h"

#include "error.h"

#include <QStringDecoder>

namespace kavinto {

QString decodeText(const QByteArray& bytes, const QString& encoding, const QString& where) {
    bool ascii = true;
    for (char c : bytes)
        if (static_cast<quint8>(c) >= 0x80) {
            ascii = false;
            break;
        }
    if (ascii && !encoding.startsWith(QLatin1String("UTF-16")))
        return QString::fromLatin1(bytes);
    QStringDecoder decoder(encoding.toLatin1().constData(), QStringDecoder::Flag::Stateless);
    if (!decoder.isValid())
        throw Error(QStringLiteral("Invalid data packet: the encoding %1 of %2 is not available")
                        .arg(encoding, where));
    QString text = decoder.decode(bytes);
    if (decoder.hasError())
        throw Error(QStringLiteral("Invalid data packet: %1 is not valid %2").arg(where, encoding));
    return text;
}

}  // namespace kavinto
