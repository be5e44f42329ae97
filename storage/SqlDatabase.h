#pragma once

#include "core/Outcome.h"
#include "storage/SqlStatement.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <chrono>
#include <memory>

struct sqlite3;

// An open, keyed database file. Values are always bound; names of tables and
// columns enter SQL text only through quoteIdentifier().
class SqlDatabase {
public:
    enum class OpenMode { ExistingOnly, CreateIfMissing };

    // Opens the file and applies the key; the key is proved by reading the
    // schema, so a wrong key or a file that is no database fails here with the
    // engine's message and without a byte written. A statement that finds the
    // file locked by another connection tries again for up to busyTimeout
    // before it fails with "database is locked".
    static Outcome<std::unique_ptr<SqlDatabase>> open(const QString& path, const QByteArray& key,
        OpenMode mode, std::chrono::milliseconds busyTimeout = std::chrono::milliseconds(0));
    ~SqlDatabase();
    SqlDatabase(const SqlDatabase&) = delete;
    SqlDatabase& operator=(const SqlDatabase&) = delete;

    SqlStatement prepare(const QString& sql) const;
    // Runs fixed SQL text (no values); false with lastError() set on failure.
    bool exec(const QString& sql);
    QString lastError() const { return m_lastError; }
    void setLastError(const QString& message) { m_lastError = message; }

    // Whether the engine opened the file for reading only.
    bool isReadOnly() const;
    // Every page is read and checked; fails with the engine's report.
    Outcome<void> checkIntegrity();
    // Table names in the engine's order (order of creation).
    QStringList tableNames() const;
    // Declared column types in column order, e.g. {"Location", "VARCHAR(20)"}.
    QList<std::pair<QString, QString>> columns(const QString& table) const;
    qint64 changes() const;

    // "a""b" for a"b: any text becomes one identifier.
    static QString quoteIdentifier(const QString& name);

private:
    explicit SqlDatabase(sqlite3* db)
        : m_db(db)
    {
    }

    sqlite3* m_db = nullptr;
    QString m_lastError;
};
