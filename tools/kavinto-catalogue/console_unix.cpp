#include "console.h"

#include "quoted.h"

#include <QFile>

namespace kavinto {

std::unique_ptr<QIODevice> openConsoleStream(FILE* stream) {
    auto file = std::make_unique<QFile>();
    file->open(stream, QIODevice::WriteOnly | QIODevice::Unbuffered, QFile::DontCloseHandle);
    return file;
}

std::optional<QString> unrepresentableArgument(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        const QByteArray raw(argv[i]);
        if (QFile::encodeName(QFile::decodeName(raw)) != raw)
            return quoted(raw);
    }
    return std::nullopt;
}

}  // namespace kavinto
