#include "storage/SqlDatabase.h"

#include <sqlcipher/sqlite3.h>

namespace {

QString EngineMessage(sqlite3* db, int code)
{
    const char* message = db ? sqlite3_errmsg(db) : nullptr;
    return QString::fromUtf8(message ? message : sqlite3_errstr(code));
}

} // namespace

Outcome<std::unique_ptr<SqlDatabase>> SqlDatabase::open(const QString& path, const QByteArray& key,
    OpenMode mode, std::chrono::milliseconds busyTimeout)
{
    int flags = SQLITE_OPEN_READWRITE;
    if (mode == OpenMode::CreateIfMissing)
        flags |= SQLITE_OPEN_CREATE;
    sqlite3* raw = nullptr;
    const QByteArray file = path.toUtf8();
    int rc = sqlite3_open_v2(file.constData(), &raw, flags, nullptr);
    if (rc != SQLITE_OK) {
        const QString error = EngineMessage(raw, rc);
        sqlite3_close(raw);
        return Failure { error };
    }
    std::unique_ptr<SqlDatabase> db(new SqlDatabase(raw));
    sqlite3_busy_timeout(raw, static_cast<int>(busyTimeout.count()));
    rc = sqlite3_key(raw, key.constData(), static_cast<int>(key.size()));
    if (rc != SQLITE_OK)
        return Failure { EngineMessage(raw, rc) };
    // The key is only tried when the first page is read.
    SqlStatement probe = db->prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!probe.ok() || probe.step() == SqlStatement::Step::Error)
        return Failure { probe.error() };
    return db;
}

SqlDatabase::~SqlDatabase()
{
    sqlite3_close_v2(m_db);
}

SqlStatement SqlDatabase::prepare(const QString& sql) const
{
    return SqlStatement(m_db, sql);
}

bool SqlDatabase::exec(const QString& sql)
{
    char* message = nullptr;
    const int rc = sqlite3_exec(m_db, sql.toUtf8().constData(), nullptr, nullptr, &message);
    if (rc != SQLITE_OK) {
        m_lastError = QString::fromUtf8(message ? message : sqlite3_errstr(rc));
        sqlite3_free(message);
        return false;
    }
    return true;
}

bool SqlDatabase::isReadOnly() const
{
    return sqlite3_db_readonly(m_db, "main") == 1;
}

Outcome<void> SqlDatabase::checkIntegrity()
{
    SqlStatement check = prepare(QStringLiteral("PRAGMA quick_check"));
    if (!check.ok())
        return Failure { check.error() };
    const SqlStatement::Step s = check.step();
    if (s == SqlStatement::Step::Error)
        return Failure { check.error() };
    if (s == SqlStatement::Step::Row && check.text(0) != QLatin1String("ok"))
        return Failure { check.text(0) };
    return {};
}

QStringList SqlDatabase::tableNames() const
{
    QStringList names;
    SqlStatement query = prepare(
        QStringLiteral("SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY rowid"));
    while (query.step() == SqlStatement::Step::Row)
        names << query.text(0);
    return names;
}

QList<std::pair<QString, QString>> SqlDatabase::columns(const QString& table) const
{
    QList<std::pair<QString, QString>> result;
    // The engine of this build has no table-valued pragma, so the quoted name
    // goes into the statement.
    SqlStatement query
        = prepare(QStringLiteral("PRAGMA table_info(") + quoteIdentifier(table) + QLatin1Char(')'));
    while (query.step() == SqlStatement::Step::Row)
        result.append({ query.text(1), query.text(2) });
    return result;
}

qint64 SqlDatabase::changes() const
{
    return sqlite3_changes(m_db);
}

QString SqlDatabase::quoteIdentifier(const QString& name)
{
    QString quoted = name;
    quoted.replace(QLatin1Char('"'), QLatin1String("\"\""));
    return QLatin1Char('"') + quoted + QLatin1Char('"');
}
