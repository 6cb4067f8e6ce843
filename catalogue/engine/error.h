#pragma once

#include <QString>

#include <exception>

namespace kavinto {

// Every failure of the catalogue and search layers is an Error carrying the
// exact text the user is shown. It is caught in one place only: where the
// event loop dispatches the handler that raised it.
//
// The engine and the search raise only the errors named below, each made
// here; the constructor is for the texts of the programs around them.
class Error : public std::exception {
public:
    explicit Error(QString message) : m_message(std::move(message)), m_utf8(m_message.toUtf8()) {}
    const QString& message() const noexcept { return m_message; }
    const char* what() const noexcept override { return m_utf8.constData(); }

    // A catalogue file's stream: "Error" (no zlib stream, corrupt data, a
    // wrong check value), "Stream read error" (it ends early), "Invalid
    // stream operation" (a packet length of 0), "Stream write error" (a
    // negative one), "Out of memory while expanding memory stream".
    static Error streamFailed();
    static Error streamRead();
    static Error invalidStreamOperation();
    static Error streamWrite();
    static Error outOfMemory();
    // "Cannot open file "<absolutePath>". <reason>".
    static Error cannotOpen(const QString& absolutePath, const QString& reason);
    // "Cannot read file "<absolutePath>". <reason>": a device that fails
    // while the file is read, in the form of the message above.
    static Error cannotRead(const QString& absolutePath, const QString& reason);
    // "zlib could not compress the packet".
    static Error cannotCompress();

    // A table the packet writer cannot write so that it reads back the
    // same: the fault, naming what and where.
    static Error unwritable(const QString& fault);

    // "Invalid data packet: <fault>", the fault naming what and where.
    static Error invalidPacket(const QString& fault);

    // "Could not convert variant of type (<from>) into type (<to>)".
    static Error conversion(const QString& from, const QString& to);
    // A null read as text.
    static Error nullAsText() {
        return conversion(QStringLiteral("Null"), QStringLiteral("String"));
    }

    // A table's own, "<table>: <message>".
    static Error closedDataset(const QString& table);
    static Error missingProvider(const QString& table);
    static Error fieldNotFound(const QString& table, const QString& field);
    static Error fieldIndexOutOfRange(const QString& table, int index);
    static Error recordNotFound(const QString& table);

private:
    QString m_message;
    QByteArray m_utf8;
};

}  // namespace kavinto
