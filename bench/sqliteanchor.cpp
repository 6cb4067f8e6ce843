#include "sqliteanchor.h"

#include "packetlocale.h"
#include "schema.h"
#include "tableorder.h"

#include <QByteArray>
#include <QString>

#include <sqlite3.h>

#include <stdexcept>

namespace kavinto::bench {

void SqliteAnchor::exec(const char* sql) const {
    char* error = nullptr;
    if (sqlite3_exec(m_db, sql, nullptr, nullptr, &error) != SQLITE_OK) {
        const std::string message = error ? error : "unknown";
        sqlite3_free(error);
        throw std::runtime_error("sqlite: " + message);
    }
}

SqliteAnchor::SqliteAnchor(const Table& methods) {
    if (sqlite3_open(":memory:", &m_db) != SQLITE_OK)
        throw std::runtime_error("sqlite: cannot open a database in memory");
    QByteArray create = "CREATE TABLE methods (";
    QByteArray insert = "INSERT INTO methods VALUES (";
    for (const SchemaField& f : methodFields()) {
        const bool first = insert.endsWith('(');
        create += (first ? "" : ", ") + f.name.toLatin1() +
                  (f.type == FieldType::String ? " TEXT" : " INTEGER");
        insert += first ? "?" : ", ?";
    }
    exec(create + ", ord INTEGER, mask INTEGER)");
    exec("BEGIN");
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(m_db, insert + ", ?, ?)", -1, &statement, nullptr);
    const std::vector<quint32> byName = fieldOrder(
        methods.column(methods.fieldIndex(kMethodNameField)), packetLocale(methods.lcid).locale);
    for (std::size_t rank = 0; rank < byName.size(); ++rank) {
        const std::size_t r = byName[rank];
        sqlite3_bind_int64(statement, 1, methods.value(r, 0).toInteger());
        const QByteArray name = methods.value(r, 1).toText().toUtf8();
        const QByteArray file = methods.value(r, 2).toText().toUtf8();
        sqlite3_bind_text(statement, 2, name.constData(), int(name.size()), SQLITE_TRANSIENT);
        sqlite3_bind_text(statement, 3, file.constData(), int(file.size()), SQLITE_TRANSIENT);
        qint64 mask = 0;
        for (int k = 1; k <= kFunctionCount; ++k) {
            const qint64 flag = methods.value(r, 2 + k).toInteger();
            sqlite3_bind_int64(statement, 3 + k, flag);
            mask |= flag == 1 ? qint64(1) << (k - 1) : 0;
        }
        sqlite3_bind_int64(statement, 4 + kFunctionCount, qint64(rank));
        sqlite3_bind_int64(statement, 5 + kFunctionCount, mask);
        sqlite3_step(statement);
        sqlite3_reset(statement);
    }
    sqlite3_finalize(statement);
    exec("COMMIT");
}

SqliteAnchor::~SqliteAnchor() {
    sqlite3_close(m_db);
}

void SqliteAnchor::useIndexes(Indexes indexes) {
    m_indexes = indexes;
    exec("DROP INDEX IF EXISTS by_name");
    for (int k = 1; k <= kFunctionCount; ++k) {
        exec("DROP INDEX IF EXISTS by_fun_" + QByteArray::number(k));
        exec("DROP INDEX IF EXISTS ranked_" + QByteArray::number(k));
    }
    if (indexes == Indexes::Name)
        exec("CREATE INDEX by_name ON methods (" + kMethodNameField.toLatin1() + ")");
    if (indexes == Indexes::PerFlag)
        for (int k = 1; k <= kFunctionCount; ++k)
            exec("CREATE INDEX by_fun_" + QByteArray::number(k) + " ON methods (" +
                 methodFlagField(k).toLatin1() + ")");
    if (indexes == Indexes::Ranked)
        for (int k = 1; k <= kFunctionCount; ++k)
            exec("CREATE INDEX ranked_" + QByteArray::number(k) + " ON methods (" +
                 methodFlagField(k).toLatin1() + ", ord, mask, " + kMethodIdField.toLatin1() + ")");
    exec("ANALYZE");
}

std::vector<qint64> SqliteAnchor::query(const std::vector<int>& functions) const {
    if (m_indexes == Indexes::Ranked) {
        qint64 others = 0;
        for (std::size_t i = 1; i < functions.size(); ++i)
            others |= qint64(1) << (functions[i] - 1);
        const QByteArray sql = "SELECT " + kMethodIdField.toLatin1() + " FROM methods WHERE " +
                               methodFlagField(functions[0]).toLatin1() + "=1 AND mask & " +
                               QByteArray::number(others) + " = " + QByteArray::number(others) +
                               " ORDER BY ord";
        sqlite3_stmt* statement = nullptr;
        sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr);
        std::vector<qint64> ids;
        while (sqlite3_step(statement) == SQLITE_ROW)
            ids.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_finalize(statement);
        return ids;
    }
    const QByteArray name = kMethodNameField.toLatin1();
    QByteArray sql = "SELECT " + kMethodIdField.toLatin1() + ", " + name + " FROM methods WHERE ";
    for (std::size_t i = 0; i < functions.size(); ++i)
        sql += (i ? " AND " : "") + methodFlagField(functions[i]).toLatin1() + "=1";
    sql += " ORDER BY " + name;
    sqlite3_stmt* statement = nullptr;
    sqlite3_prepare_v2(m_db, sql.constData(), -1, &statement, nullptr);
    std::vector<qint64> ids;
    while (sqlite3_step(statement) == SQLITE_ROW) {
        ids.push_back(sqlite3_column_int64(statement, 0));
        sqlite3_column_text(statement, 1);
    }
    sqlite3_finalize(statement);
    return ids;
}

}  // namespace kavinto::bench
