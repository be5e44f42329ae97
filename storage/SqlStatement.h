#pragma once

#include <QString>

struct sqlite3;
struct sqlite3_stmt;

// One prepared statement. Values always travel as bound parameters; the SQL
// text itself is fixed by the caller.
class SqlStatement {
public:
    enum class Step { Row, Done, Error };

    SqlStatement(sqlite3* db, const QString& sql);
    ~SqlStatement();
    SqlStatement(SqlStatement&& other) noexcept;
    SqlStatement& operator=(SqlStatement&& other) noexcept;
    SqlStatement(const SqlStatement&) = delete;
    SqlStatement& operator=(const SqlStatement&) = delete;

    // False when the statement could not be prepared; error() says why.
    bool ok() const { return m_stmt != nullptr; }

    // Parameters are numbered from 1. Binding to a failed statement is a no-op.
    SqlStatement& bindText(int index, const QString& value);
    SqlStatement& bindInt(int index, qint64 value);
    SqlStatement& bindReal(int index, double value);
    SqlStatement& bindNull(int index);
    // Empty text is stored as Null.
    SqlStatement& bindTextOrNull(int index, const QString& value);

    Step step();
    // Runs the statement to completion, ignoring rows; false on error.
    bool run();
    // Ready to step again with new bindings.
    void reset();

    // Columns are numbered from 0 and read from the current row.
    bool isNull(int column) const;
    QString text(int column) const;
    qint64 integer(int column) const;
    double real(int column) const;

    // The engine's message for the last failure of this statement.
    QString error() const { return m_error; }

private:
    void fail(int code);

    sqlite3* m_db = nullptr;
    sqlite3_stmt* m_stmt = nullptr;
    QString m_error;
};
