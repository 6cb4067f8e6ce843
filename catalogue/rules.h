#pragma once

#include <QHashFunctions>  // std::hash<QString>
#include <QString>
#include <QStringView>

#include <unordered_map>

namespace kavinto::rules {

// What the catalogue's two tables may hold, each rule written once: the
// catalogue tool's pack refuses and its check reports what these find, in
// these words. Each returns what is wrong, or an empty string.

enum class TextKind { Name, Document };
// A method's or a function's name (not empty, not "-"), or a document's file
// name: no control character, only what windows-1250 holds, within a
// catalogue text's length.
QString textFault(QStringView text, TextKind kind);
// An id as a cell holds it; sets `id` where there is no fault.
QString idTextFault(QStringView text, qint32& id);
QString functionNumberFault(qint64 number);
QString duplicateIdFault(qint64 id);
// A function flag as a cell holds it: 0, 1 or empty.
QString flagTextFault(QStringView text);
// A method flagged for a function the functions table does not have.
QString missingFunctionFault(int number);

// Names equal under the name lookup's own equality: only the first can be
// looked up.
class NameRegister {
public:
    // Empty for a name not met before; else the fault, naming where the first stands.
    QString add(const QString& name, const QString& where);

private:
    std::unordered_map<QString, QString> m_seen;
};

}  // namespace kavinto::rules
