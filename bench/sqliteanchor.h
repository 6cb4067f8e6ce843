#pragma once

#include "table.h"

#include <vector>

struct sqlite3;

namespace kavinto::bench {

// The same methods in an in-memory SQLite database, the yardstick for the
// function search: SELECT ... WHERE mod_fun_a=1 [AND ...] ORDER BY mod_nev.
// The rows stand in name order, with two columns of their own: `ord`, the
// name's rank in the catalogue's collation, and `mask`, bit k-1 set where
// the method serves function k.
class SqliteAnchor {
public:
    // Ranked: a covering index (flag, ord, mask, id) per flag, queried as
    // WHERE flag_a=1 AND mask & other = other ORDER BY ord: no sort, no row read.
    enum class Indexes { None, PerFlag, Name, Ranked };

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
    Indexes m_indexes = Indexes::None;
};

}  // namespace kavinto::bench
