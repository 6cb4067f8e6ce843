#include "error.h"

namespace kavinto {
namespace {

Error inTable(const QString& table, const QString& message) {
    return Error(table + QStringLiteral(": ") + message);
}

}  // namespace

Error Error::streamFailed() {
    return Error(QStringLiteral("Error"));
}
Error Error::streamRead() {
    return Error(QStringLiteral("Stream read error"));
}
Error Error::invalidStreamOperation() {
    return Error(QStringLiteral("Invalid stream operation"));
}
Error Error::streamWrite() {
    return Error(QStringLiteral("Stream write error"));
}
Error Error::outOfMemory() {
    return Error(QStringLiteral("Out of memory while expanding memory stream"));
}
Error Error::cannotOpen(const QString& absolutePath, const QString& reason) {
    return Error(QStringLiteral("Cannot open file \"%1\". %2").arg(absolutePath, reason));
}
Error Error::cannotRead(const QString& absolutePath, const QString& reason) {
    return Error(QStringLiteral("Cannot read file \"%1\". %2").arg(absolutePath, reason));
}
Error Error::cannotCompress() {
    return Error(QStringLiteral("zlib could not compress the packet"));
}

Error Error::unwritable(const QString& fault) {
    return Error(fault);
}

Error Error::invalidPacket(const QString& fault) {
    return Error(QStringLiteral("Invalid data packet: ") + fault);
}

Error Error::conversion(const QString& from, const QString& to) {
    return Error(
        QStringLiteral("Could not convert variant of type (%1) into type (%2)").arg(from, to));
}

Error Error::closedDataset(const QString& table) {
    return inTable(table, QStringLiteral("Cannot perform this operation on a closed dataset"));
}
Error Error::missingProvider(const QString& table) {
    return inTable(table, QStringLiteral("Missing data provider or data packet"));
}
Error Error::fieldNotFound(const QString& table, const QString& field) {
    return inTable(table, QStringLiteral("Field '%1' not found").arg(field));
}
Error Error::fieldIndexOutOfRange(const QString& table, int index) {
    return inTable(table, QStringLiteral("Field index %1 out of range").arg(index));
}
Error Error::recordNotFound(const QString& table) {
    return inTable(table, QStringLiteral("Record not found"));
}

}  // namespace kavinto
