#include "check.h"

#include "casefold.h"
#include "choicelists.h"
#include "clientdataset.h"
#include "compressedfile.h"
#include "documentpath.h"
#include "error.h"
#include "quoted.h"
#include "rules.h"

#include <QDir>
#include <QFile>
#include <optional>
#include <unordered_map>
#include <unordered_set>

namespace kavinto {
namespace {

class Checker {
public:
    explicit Checker(const QString& dir) : m_dir(dir) {}

    QStringList run() {
        const bool functionsLoaded =
            load(m_functions, kFunctionsFile,
                 [](TClientDataSet& t, const QString& path) { openFunctionsTable(t, path); });
        const bool methodsLoaded =
            load(m_methods, kMethodsFile,
                 [](TClientDataSet& t, const QString& path) { openMethodsTable(t, path); });
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

    // A record as a reader finds it in the spreadsheet: by its id and name,
    // or by its place where the id is not an integer.
    static QString recordName(const QString& idField, const std::optional<qint64>& id,
                              const Value& name, int record) {
        if (!id)
            return QStringLiteral("record %1").arg(record);
        QString where = QStringLiteral("%1 %2").arg(idField).arg(*id);
        if (!name.isNull() && !name.toText().isEmpty())
            where += QStringLiteral(" (%1)").arg(escaped(name.toText()));
        return where;
    }

    // The record's id, where it is an integer.
    static std::optional<qint64> integerId(const Value& id) {
        const std::optional<Number> n = numberOf(id);
        if (id.isNull() || !n || n->kind != Number::Kind::Signed)
            return std::nullopt;
        return n->s;
    }

    void reportFault(const QString& file, const QString& where, const QString& fault) {
        if (!fault.isEmpty())
            report(file, where + QStringLiteral(": ") + fault);
    }

    void checkFunctions() {
        if (!requireFields(m_functions, kFunctionsFile, functionFields()))
            return;
        m_functions.setIndexFieldNames(QString());
        rules::NameRegister names;
        int record = 0;
        for (m_functions.GoFirst(); !m_functions.AtEnd(); m_functions.GoNext()) {
            ++record;
            const Value name = m_functions.ReadValue(kFunctionNameField);
            const std::optional<qint64> id = integerId(m_functions.ReadValue(kFunctionIdField));
            const QString where = recordName(kFunctionIdField, id, name, record);
            if (!id) {
                report(kFunctionsFile,
                       QStringLiteral("%1: %2 is not an integer").arg(where, kFunctionIdField));
                continue;
            }
            reportFault(kFunctionsFile, where, rules::functionNumberFault(*id));
            if (m_functionNames.count(*id))
                reportFault(kFunctionsFile, where, rules::duplicateIdFault(*id));
            else
                m_functionNames.emplace(*id, name.isNull() ? QString() : name.toText());
            checkName(kFunctionsFile, where, kFunctionNameField, name, names);
        }
    }

    void checkName(const QString& file, const QString& where, const QString& field,
                   const Value& name, rules::NameRegister& names) {
        if (name.isNull()) {
            report(file, QStringLiteral("%1: %2 is null").arg(where, field));
            return;
        }
        const QString text = name.toText();
        reportFault(file, where, rules::textFault(text, rules::TextKind::Name));
        reportFault(file, where, names.add(text, where));
    }

    void checkMethods(bool functionsLoaded) {
        if (!requireFields(m_methods, kMethodsFile, methodFields()))
            return;
        std::unordered_set<qint64> ids;
        rules::NameRegister names;
        int record = 0;
        for (m_methods.GoFirst(); !m_methods.AtEnd(); m_methods.GoNext()) {
            ++record;
            const Value name = m_methods.ReadValue(kMethodNameField);
            const std::optional<qint64> id = integerId(m_methods.ReadValue(kMethodIdField));
            const QString where = recordName(kMethodIdField, id, name, record);
            if (!id)
                report(kMethodsFile,
                       QStringLiteral("%1: %2 is not an integer").arg(where, kMethodIdField));
            else if (!ids.insert(*id).second)
                reportFault(kMethodsFile, where, rules::duplicateIdFault(*id));
            checkName(kMethodsFile, where, kMethodNameField, name, names);
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
                    reportFault(kMethodsFile, where, rules::missingFunctionFault(k));
                else if (m_functionNames.at(k).isEmpty())
                    report(kMethodsFile,
                           QStringLiteral("%1: function %2 is flagged, but its name is empty")
                               .arg(where)
                               .arg(k));
            }
            const Value document = m_methods.ReadValue(kMethodFileField);
            if (document.isNull()) {
                report(kMethodsFile, QStringLiteral("%1: %2 is null").arg(where, kMethodFileField));
                continue;
            }
            const QString fault = rules::textFault(document.toText(), rules::TextKind::Document);
            if (!fault.isEmpty())
                reportFault(kMethodsFile, where, fault);
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
    QStringList m_problems;
};

}  // namespace

QStringList checkCatalogue(const QString& dir) {
    return Checker(dir).run();
}

}  // namespace kavinto
