#pragma once

#include "core/Outcome.h"
#include "storage/SqlDatabase.h"

#include <QString>
#include <chrono>
#include <memory>
#include <optional>

// The program's database "Ovolta.DB": system tables with their default rows,
// the settings store, and the open connection the other storage classes use.
class OvoltaDatabase {
public:
    static constexpr const char* kFileName = "Ovolta.DB";
    static constexpr const char* kPassword = "wvwv";

    static constexpr const char* kSysTable = "SYS";
    static constexpr const char* kMultiPsTable = "MultiPS";
    static constexpr const char* kCatalogueTable = "DescriptionT";

    // How long a statement waits for a lock another program holds on the file
    // (a moment while it saves) before it gives up with the engine's message.
    static constexpr std::chrono::milliseconds kBusyTimeout { 3000 };

    static constexpr int kDefaultCommPort = 1;

    // Opens "Ovolta.DB" in folder, or creates it with its system tables when
    // it is missing, then adds any missing system table. On failure the file is
    // left exactly as it was (a file created by this call is removed again) and
    // the message holds the engine's words and the file's full path.
    static Outcome<std::unique_ptr<OvoltaDatabase>> OpenDatabase(
        const QString& folder, std::chrono::milliseconds busyTimeout = kBusyTimeout);

    const QString& path() const { return m_path; }
    SqlDatabase& sql() { return *m_sql; }
    const SqlDatabase& sql() const { return *m_sql; }

    // Creates "SYS", "MultiPS" or "DescriptionT" with fields and default rows;
    // any other name does nothing. Default rows are only added to a table this
    // call created.
    Outcome<void> CreateSystemTable(const QString& name);

    // Property of the first row of the key; nullopt when there is none, an
    // empty text when its Property is Null.
    std::optional<QString> readSetting(const QString& key) const;
    // Edits the first row of the key, or adds one.
    Outcome<void> writeSetting(const QString& key, const QString& value);

    // The "CommPort" setting as a 16-bit port number; 1 when the row is
    // missing or does not hold a whole number in range.
    int CommPort() const;
    Outcome<void> storeCommPort(int port);
    // Records the language number in the "Language" row (done at every start).
    Outcome<void> storeLanguage(int language);

    // The size declared for a text column ("VARCHAR(20)" -> 20), read from the
    // schema; nullopt when the column has no size.
    std::optional<int> declaredSize(const QString& table, const QString& column) const;

private:
    OvoltaDatabase(std::unique_ptr<SqlDatabase> sql, QString path);
    Outcome<void> createMissingSystemTables();

    std::unique_ptr<SqlDatabase> m_sql;
    QString m_path;
};
