#pragma once

#include "table.h"

#include <vector>

struct sqlite3;

namespace kavinto::bench {

// The same methods in an in-memory SQLite database, the yardstick for the
// function search: SELECT ... WHERE mod_fun_a=1 [AND ...] ORDER BY mod_nev.
class SqliteAnchor {
public:
    enum class Indexes { None, PerFlag, Name };

    explicit SqliteAnchor(const Table& methods);
    ~SqliteAnchor();
    SqliteAnchor(const SqliteAnchor&) = delete;
    SqliteAnchor& operator=(const SqliteAnchor&) = delete;

    void useIndexes(Indexes indexes);
    // The ids of the methods serving every function, in the query's order.
    std::vector<qint64> query(const std::vector<int>& functions) const;

private:
    void exec(const char* sql) const;
    sqlite3* m_db = nullptr;
};

}  // namespace kavinto::bench
