#include "check.h"

#include "casefold.h"
#include "choicelists.h"
#include "clientdataset.h"
#include "compressedfile.h"
#include "documentpath.h"
#include "error.h"
#include "quoted.h"

#include <QDir>
#include <QFile>
#include <QHashFunctions>  // std::hash<QString>
#include <unordered_map>

namespace kavinto {
namespace {

class Checker {
public:
    explicit Checker(const QString& dir) : m_dir(dir) {}

    QStringList run() {
        const bool functionsLoaded = load(m_functions, kFunctionsFile, openFunctionsTable);
        const bool methodsLoaded = load(m_methods, kMethodsFile, openMethodsTable);
        if (functionsLoaded)
            checkFunctions();
        if (methodsLoaded)
            checkMethods(functionsLoaded);
        return m_problems;
    }

private:
    using Opener = void (*)(TClientDataSet&, const QString&);

    QString path(const QString& file) const {
        return QDir::toNativeSeparators(m_dir.filePath(file));
    }

    void report(const QString& file, const QString& what) {
        m_problems << path(file) + QStringLiteral(": ") + what;
    }

    bool load(TClientDataSet& table, const QString& file, Opener open) {
        if (!isExistingFile(m_dir.filePath(file))) {
            report(file, QStringLiteral("the file is missing"));
            return false;
        }
        try {
            open(table, m_dir.filePath(file));
        } catch (const Error& e) {
            report(file, QStringLiteral("does not load: ") + e.message());
            return false;
        }
        checkStream(file);
        return true;
    }

    // Loading reads no further than the packet: whatever the stream holds
    // after it, and its check value, are read here.
    void checkStream(const QString& file) {
        QFile f(m_dir.filePath(file));
        try {
            openCatalogueFile(f);
        } catch (const Error& e) {
            report(file, e.message());
            return;
        }
        const StreamInspection s = inspectStream(f);
        if (!s.problem.isEmpty())
            report(file, QStringLiteral("past the packet, %1").arg(s.problem));
        else if (!s.ended)
            report(file,
                   QStringLiteral("the file ends inside the compressed stream, after the packet"));
        if (!s.checkValueMatches)
            report(
                file,
                QStringLiteral(
                    "the compressed stream's Adler-32 check value is wrong: the file is corrupt"));
        if (s.bytesAfterStream > 0)
            report(file,
                   QStringLiteral("%1 bytes follow the compressed stream").arg(s.bytesAfterStream));
        const qint64 after = s.inflatedBytes - 4 - s.declaredLength;
        if (s.declaredLength > 0 && after > 0)
            report(file, QStringLiteral("the stream holds %1 bytes after the packet").arg(after));
    }

    bool hasField(const TClientDataSet& t, const QString& name) const {
        for (const FieldDef& f : t.fields())
            if (fullCaseFolded(f.name) == fullCaseFolded(name))
                return true;
        return false;
    }

    bool requireFields(const TClientDataSet& t, const QString& file,
                       const std::vector<SchemaField>& fields) {
        bool all = true;
        for (const SchemaField& f : fields)
            if (!hasField(t, f.name)) {
                report(file, QStringLiteral("the field %1 is missing").arg(f.name));
                all = false;
            }
        return all;
    }

    void checkFunctions() {
        if (!requireFields(m_functions, kFunctionsFile, functionFields()))
            return;
        m_functions.setIndexFieldNames(QString());
        int record = 0;
        for (m_functions.GoFirst(); !m_functions.AtEnd(); m_functions.GoNext()) {
            ++record;
            const Value id = m_functions.ReadValue(kFunctionIdField);
            const Value name = m_functions.ReadValue(kFunctionNameField);
            const QString where = QStringLiteral("record %1").arg(record);
            const std::optional<Number> n = numberOf(id);
            if (id.isNull() || !n || n->kind != Number::Kind::Signed) {
                report(kFunctionsFile,
                       QStringLiteral("%1: %2 is not an integer").arg(where, kFunctionIdField));
                continue;
            }
            if (n->s < 1 || n->s > kFunctionCount)
                report(kFunctionsFile,
                       QStringLiteral(
                           "%1: function number %2 is outside 1-%3, so no method can serve it")
                           .arg(where)
                           .arg(n->s)
                           .arg(kFunctionCount));
            if (m_functionNames.count(n->s))
                report(kFunctionsFile, QStringLiteral("%1: %2 %3 occurs twice")
                                           .arg(where, kFunctionIdField)
                                           .arg(n->s));
            else
                m_functionNames.emplace(n->s, name.isNull() ? QString() : name.toText());
            checkName(kFunctionsFile, where, kFunctionNameField, name, m_seenFunctionNames);
        }
    }

    void checkName(const QString& file, const QString& where, const QString& field,
                   const Value& name, std::unordered_map<QString, QString>& seen) {
        if (name.isNull()) {
            report(file, QStringLiteral("%1: %2 is null").arg(where, field));
            return;
        }
        const QString text = name.toText();
        if (text.isEmpty() || text == kNothingChosen)
            report(file, QStringLiteral("%1: %2 is %3, which cannot be chosen")
                             .arg(where, field, quoted(text)));
        const QString key = fullCaseFolded(text);
        if (seen.count(key))
            report(file, QStringLiteral(
                             "%1: %2 %3 is the same name as %4; only the first can be looked up")
                             .arg(where, field, quoted(text), seen.at(key)));
        else
            seen.emplace(key, where);
    }

    void checkMethods(bool functionsLoaded) {
        if (!requireFields(m_methods, kMethodsFile, methodFields()))
            return;
        std::unordered_map<qint64, int> ids;
        std::unordered_map<QString, QString> seenNames;
        int record = 0;
        for (m_methods.GoFirst(); !m_methods.AtEnd(); m_methods.GoNext()) {
            ++record;
            const QString where = QStringLiteral("record %1").arg(record);
            const Value id = m_methods.ReadValue(kMethodIdField);
            const std::optional<Number> n = numberOf(id);
            if (id.isNull() || !n || n->kind != Number::Kind::Signed)
                report(kMethodsFile,
                       QStringLiteral("%1: %2 is not an integer").arg(where, kMethodIdField));
            else if (ids.count(n->s))
                report(
                    kMethodsFile,
                    QStringLiteral("%1: %2 %3 occurs twice").arg(where, kMethodIdField).arg(n->s));
            else
                ids.emplace(n->s, record);
            checkName(kMethodsFile, where, kMethodNameField, m_methods.ReadValue(kMethodNameField),
                      seenNames);
            for (int k = 1; k <= kFunctionCount; ++k) {
                const Value flag = m_methods.ReadValue(methodFlagField(k));
                if (flag.isNull()) {
                    report(kMethodsFile,
                           QStringLiteral("%1: %2 is null").arg(where, methodFlagField(k)));
                    continue;
                }
                if (!flag.equals(Value::text(QStringLiteral("1"))) || !functionsLoaded)
                    continue;
                if (!m_functionNames.count(k))
                    report(kMethodsFile,
                           QStringLiteral(
                               "%1: function %2 is flagged, but the functions table lacks it")
                               .arg(where)
                               .arg(k));
                else if (m_functionNames.at(k).isEmpty())
                    report(kMethodsFile,
                           QStringLiteral("%1: function %2 is flagged, but its name is empty")
                               .arg(where)
                               .arg(k));
            }
            const Value document = m_methods.ReadValue(kMethodFileField);
            if (document.isNull())
                report(kMethodsFile, QStringLiteral("%1: %2 is null").arg(where, kMethodFileField));
            else if (!isDocumentAvailable(document.toText(), m_dir))
                report(kMethodsFile,
                       QStringLiteral("%1: the document %2 is missing")
                           .arg(where, escaped(path(documentPath(document.toText())))));
        }
    }

    QDir m_dir;
    TClientDataSet m_methods{QStringLiteral("MClientData")};
    TClientDataSet m_functions{QStringLiteral("FClientData")};
    std::unordered_map<qint64, QString> m_functionNames;
    std::unordered_map<QString, QString> m_seenFunctionNames;
    QStringList m_problems;
};

}  // namespace

QStringList checkCatalogue(const QString& dir) {
    return Checker(dir).run();
}

}  // namespace kavinto
