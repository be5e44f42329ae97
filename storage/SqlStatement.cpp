#include "storage/SqlStatement.h"

#include <sqlcipher/sqlite3.h>

#include <utility>

SqlStatement::SqlStatement(sqlite3* db, const QString& sql)
    : m_db(db)
{
    const QByteArray utf8 = sql.toUtf8();
    const int rc
        = sqlite3_prepare_v2(db, utf8.constData(), static_cast<int>(utf8.size()), &m_stmt, nullptr);
    if (rc != SQLITE_OK) {
        fail(rc);
        sqlite3_finalize(m_stmt);
        m_stmt = nullptr;
    }
}

SqlStatement::~SqlStatement()
{
    sqlite3_finalize(m_stmt);
}

SqlStatement::SqlStatement(SqlStatement&& other) noexcept
    : m_db(other.m_db)
    , m_stmt(std::exchange(other.m_stmt, nullptr))
    , m_error(std::move(other.m_error))
{
}

SqlStatement& SqlStatement::operator=(SqlStatement&& other) noexcept
{
    if (this != &other) {
        sqlite3_finalize(m_stmt);
        m_db = other.m_db;
        m_stmt = std::exchange(other.m_stmt, nullptr);
        m_error = std::move(other.m_error);
    }
    return *this;
}

void SqlStatement::fail(int code)
{
    const char* message = m_db ? sqlite3_errmsg(m_db) : sqlite3_errstr(code);
    m_error = QString::fromUtf8(message ? message : sqlite3_errstr(code));
}

SqlStatement& SqlStatement::bindText(int index, const QString& value)
{
    if (m_stmt) {
        const QByteArray utf8 = value.toUtf8();
        const int rc = sqlite3_bind_text(
            m_stmt, index, utf8.constData(), static_cast<int>(utf8.size()), SQLITE_TRANSIENT);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    return *this;
}

SqlStatement& SqlStatement::bindInt(int index, qint64 value)
{
    if (m_stmt) {
        const int rc = sqlite3_bind_int64(m_stmt, index, value);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    return *this;
}

SqlStatement& SqlStatement::bindReal(int index, double value)
{
    if (m_stmt) {
        const int rc = sqlite3_bind_double(m_stmt, index, value);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    return *this;
}

SqlStatement& SqlStatement::bindNull(int index)
{
    if (m_stmt) {
        const int rc = sqlite3_bind_null(m_stmt, index);
        if (rc != SQLITE_OK)
            fail(rc);
    }
    return *this;
}

SqlStatement& SqlStatement::bindTextOrNull(int index, const QString& value)
{
    return value.isEmpty() ? bindNull(index) : bindText(index, value);
}

SqlStatement::Step SqlStatement::step()
{
    if (!m_stmt)
        return Step::Error;
    const int rc = sqlite3_step(m_stmt);
    if (rc == SQLITE_ROW)
        return Step::Row;
    if (rc == SQLITE_DONE)
        return Step::Done;
    fail(rc);
    return Step::Error;
}

bool SqlStatement::run()
{
    Step s = step();
    while (s == Step::Row)
        s = step();
    return s == Step::Done;
}

void SqlStatement::reset()
{
    if (m_stmt) {
        sqlite3_reset(m_stmt);
        sqlite3_clear_bindings(m_stmt);
    }
}

bool SqlStatement::isNull(int column) const
{
    return !m_stmt || sqlite3_column_type(m_stmt, column) == SQLITE_NULL;
}

QString SqlStatement::text(int column) const
{
    if (!m_stmt)
        return {};
    const auto* data = reinterpret_cast<const char*>(sqlite3_column_text(m_stmt, column));
    const int size = sqlite3_column_bytes(m_stmt, column);
    return data ? QString::fromUtf8(data, size) : QString();
}

qint64 SqlStatement::integer(int column) const
{
    return m_stmt ? sqlite3_column_int64(m_stmt, column) : 0;
}

double SqlStatement::real(int column) const
{
    return m_stmt ? sqlite3_column_double(m_stmt, column) : 0.0;
}
