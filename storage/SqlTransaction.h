#pragma once

#include <QString>

class SqlDatabase;

// Begins a write transaction; rolls it back when it goes out of scope unless
// commit() succeeded, so an early return can never leave half a change behind.
class SqlTransaction {
public:
    explicit SqlTransaction(SqlDatabase& db);
    ~SqlTransaction();
    SqlTransaction(const SqlTransaction&) = delete;
    SqlTransaction& operator=(const SqlTransaction&) = delete;

    bool ok() const { return m_active; }
    bool commit();
    QString error() const { return m_error; }

private:
    SqlDatabase& m_db;
    bool m_active = false;
    QString m_error;
};
