#include "storage/OvoltaDatabase.h"

#include "core/Numbers.h"
#include "storage/SqlTransaction.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

#include <array>
#include <cmath>

namespace {

struct FieldDef {
    const char* name;
    const char* type;
};

// Field order and declared types of the system tables; Text sizes are kept in
// the declared type so that cutting to size can read them back.
constexpr std::array<FieldDef, 2> kSysFields { {
    { "Object", "VARCHAR(30)" },
    { "Property", "VARCHAR(30)" },
} };

constexpr std::array<FieldDef, 13> kMultiPsFields { {
    { "AddressID", "VARCHAR(4)" },
    { "Location", "VARCHAR(20)" },
    { "Connect", "BOOLEAN" },
    { "Visible", "BOOLEAN" },
    { "MaxV", "REAL" },
    { "MinV", "REAL" },
    { "MaxC", "REAL" },
    { "MinC", "REAL" },
    { "MaxW", "INTEGER" },
    { "MinW", "INTEGER" },
    { "MaxT", "INTEGER" },
    { "MinT", "INTEGER" },
    { "Description", "VARCHAR(255)" },
} };

constexpr std::array<FieldDef, 8> kCatalogueFields { {
    { "TableName", "VARCHAR(50)" },
    { "TableType", "VARCHAR(8)" },
    { "Address", "VARCHAR(8)" },
    { "Location", "VARCHAR(20)" },
    { "Sampling", "INTEGER" },
    { "Date", "DATETIME" },
    { "Time", "DATETIME" },
    { "Description", "VARCHAR(255)" },
} };

constexpr std::array<std::pair<const char*, const char*>, 5> kSysDefaults { {
    { "CommPort", "1" },
    { "ThumbnailW", "35" },
    { "ThumbnailH", "26" },
    { "ShowTandL", "1" },
    { "Scale43", "N" },
} };

constexpr int kAddressCount = 32;

template <std::size_t N>
QString CreateTableSql(const QString& name, const std::array<FieldDef, N>& fields)
{
    QStringList columns;
    for (const FieldDef& f : fields)
        columns << SqlDatabase::quoteIdentifier(QString::fromLatin1(f.name)) + QLatin1Char(' ')
                + QLatin1String(f.type);
    return QStringLiteral("CREATE TABLE ") + SqlDatabase::quoteIdentifier(name)
        + QStringLiteral(" (") + columns.join(QStringLiteral(", ")) + QLatin1Char(')');
}

} // namespace

OvoltaDatabase::OvoltaDatabase(std::unique_ptr<SqlDatabase> sql, QString path)
    : m_sql(std::move(sql))
    , m_path(std::move(path))
{
}

Outcome<std::unique_ptr<OvoltaDatabase>> OvoltaDatabase::OpenDatabase(
    const QString& folder, std::chrono::milliseconds busyTimeout)
{
    const QString path
        = QFileInfo(QDir(folder).filePath(QString::fromLatin1(kFileName))).absoluteFilePath();
    const bool existed = QFileInfo::exists(path);
    const auto mode
        = existed ? SqlDatabase::OpenMode::ExistingOnly : SqlDatabase::OpenMode::CreateIfMissing;
    Outcome<std::unique_ptr<SqlDatabase>> sql
        = SqlDatabase::open(path, kPassword, mode, busyTimeout);
    // The connection is closed before a file this call created is removed.
    auto giveUp = [&](const QString& message, std::unique_ptr<OvoltaDatabase> db = {}) {
        db.reset();
        if (sql)
            sql->reset();
        if (!existed)
            QFile::remove(path);
        // The engine's words alone do not say which file is at fault.
        return Failure { message + QStringLiteral("\nDatabase file: ")
            + QDir::toNativeSeparators(path) };
    };
    if (!sql)
        return giveUp(sql.error());
    if ((*sql)->isReadOnly())
        return giveUp(QStringLiteral("attempt to write a readonly database"));
    if (existed) {
        if (const Outcome<void> sound = (*sql)->checkIntegrity(); !sound)
            return giveUp(sound.error());
    }
    std::unique_ptr<OvoltaDatabase> db(new OvoltaDatabase(std::move(*sql), path));
    if (const Outcome<void> created = db->createMissingSystemTables(); !created && !existed)
        return giveUp(created.error(), std::move(db));
    return db;
}

Outcome<void> OvoltaDatabase::createMissingSystemTables()
{
    const std::array<QString, 3> wanted { QString::fromLatin1(kSysTable),
        QString::fromLatin1(kMultiPsTable), QString::fromLatin1(kCatalogueTable) };
    std::array<bool, 3> present { false, false, false };
    // Exact, case-sensitive names: a table "sys" does not count as "SYS".
    for (const QString& name : m_sql->tableNames()) {
        for (std::size_t i = 0; i < wanted.size(); ++i) {
            if (name == wanted[i])
                present[i] = true;
        }
        if (present[0] && present[1] && present[2])
            break;
    }
    Outcome<void> allCreated;
    for (std::size_t i = 0; i < wanted.size(); ++i) {
        if (present[i])
            continue;
        if (Outcome<void> created = CreateSystemTable(wanted[i]); !created)
            allCreated = created;
    }
    return allCreated;
}

Outcome<void> OvoltaDatabase::CreateSystemTable(const QString& name)
{
    QString createSql;
    if (name == QLatin1String(kSysTable))
        createSql = CreateTableSql(name, kSysFields);
    else if (name == QLatin1String(kMultiPsTable))
        createSql = CreateTableSql(name, kMultiPsFields);
    else if (name == QLatin1String(kCatalogueTable))
        createSql = CreateTableSql(name, kCatalogueFields);
    else
        return {};

    SqlTransaction transaction(*m_sql);
    if (!transaction.ok())
        return Failure { transaction.error() };
    if (!m_sql->exec(createSql))
        return Failure { m_sql->lastError() };

    if (name == QLatin1String(kSysTable)) {
        SqlStatement insert = m_sql->prepare(
            QStringLiteral("INSERT INTO \"SYS\" (\"Object\", \"Property\") VALUES (?1, ?2)"));
        for (const auto& [object, property] : kSysDefaults) {
            insert.bindText(1, QString::fromLatin1(object))
                .bindText(2, QString::fromLatin1(property));
            if (!insert.run())
                return Failure { insert.error() };
            insert.reset();
        }
    } else if (name == QLatin1String(kMultiPsTable)) {
        SqlStatement insert = m_sql->prepare(QStringLiteral(
            "INSERT INTO \"MultiPS\" (\"AddressID\", \"MaxV\", \"MinV\", \"MaxC\", \"MinC\", "
            "\"MaxW\", \"MinW\", \"MaxT\", \"MinT\") VALUES (?1, 40, 0, 10, 0, 200, 0, 180, 0)"));
        for (int i = 0; i < kAddressCount; ++i) {
            insert.bindText(1, Numbers::FormatNumber(i, u"00"));
            if (!insert.run())
                return Failure { insert.error() };
            insert.reset();
        }
    }
    if (!transaction.commit())
        return Failure { transaction.error() };
    return {};
}

std::optional<QString> OvoltaDatabase::readSetting(const QString& key) const
{
    SqlStatement query = m_sql->prepare(QStringLiteral(
        "SELECT \"Property\" FROM \"SYS\" WHERE \"Object\" = ?1 ORDER BY rowid LIMIT 1"));
    query.bindText(1, key);
    if (query.step() != SqlStatement::Step::Row)
        return std::nullopt;
    return query.isNull(0) ? QString() : query.text(0);
}

Outcome<void> OvoltaDatabase::writeSetting(const QString& key, const QString& value)
{
    SqlStatement update = m_sql->prepare(
        QStringLiteral("UPDATE \"SYS\" SET \"Property\" = ?2 WHERE rowid = "
                       "(SELECT rowid FROM \"SYS\" WHERE \"Object\" = ?1 ORDER BY rowid LIMIT 1)"));
    update.bindText(1, key).bindText(2, value);
    if (!update.run())
        return Failure { update.error() };
    if (m_sql->changes() > 0)
        return {};
    SqlStatement insert = m_sql->prepare(
        QStringLiteral("INSERT INTO \"SYS\" (\"Object\", \"Property\") VALUES (?1, ?2)"));
    insert.bindText(1, key).bindText(2, value);
    if (!insert.run())
        return Failure { insert.error() };
    return {};
}

int OvoltaDatabase::CommPort() const
{
    const std::optional<QString> text = readSetting(QStringLiteral("CommPort"));
    if (!text)
        return kDefaultCommPort;
    bool ok = false;
    const double value = text->trimmed().toDouble(&ok);
    if (!ok || !std::isfinite(value))
        return kDefaultCommPort;
    const double rounded = std::nearbyint(value);
    if (rounded < -32768.0 || rounded > 32767.0)
        return kDefaultCommPort;
    return static_cast<int>(rounded);
}

Outcome<void> OvoltaDatabase::storeCommPort(int port)
{
    return writeSetting(QStringLiteral("CommPort"), QString::number(port));
}

Outcome<void> OvoltaDatabase::storeLanguage(int language)
{
    return writeSetting(QStringLiteral("Language"), QString::number(language));
}

std::optional<int> OvoltaDatabase::declaredSize(const QString& table, const QString& column) const
{
    static const QRegularExpression sizePattern(QStringLiteral("\\(\\s*(\\d+)\\s*\\)"));
    for (const auto& [name, type] : m_sql->columns(table)) {
        if (name.compare(column, Qt::CaseInsensitive) != 0)
            continue;
        const QRegularExpressionMatch match = sizePattern.match(type);
        if (!match.hasMatch())
            return std::nullopt;
        return match.captured(1).toInt();
    }
    return std::nullopt;
}
