#include "storage/StoredTables.h"

#include "core/Captions.h"
#include "core/Numbers.h"
#include "programs/TableRules.h"
#include "storage/OvoltaDatabase.h"
#include "storage/SqlTransaction.h"
#include "storage/StorageMessages.h"

#include <QRegularExpression>

namespace {

// Grid texts are kept in Text columns of this size.
constexpr int kCellTextSize = 4;
constexpr int kMaxSampling = 32767; // the catalogue's Sampling is a 16-bit integer

const QString kFindCatalogue = QStringLiteral(
    "SELECT rowid, \"TableName\", \"Sampling\", \"Date\", \"Time\", \"Description\" "
    "FROM \"DescriptionT\" WHERE \"TableName\" = ?1 COLLATE NOCASE ORDER BY rowid LIMIT 1");

// The columns that preset and log loads read.
const QStringList kValueColumns { QStringLiteral("Voltage"), QStringLiteral("Current") };

QDate ReadDate(const QString& text)
{
    return QDate::fromString(text.left(10), Qt::ISODate);
}

QTime ReadTime(const QString& text)
{
    // A full date and time keeps the time after the "T" or blank.
    const qsizetype split = text.indexOf(QRegularExpression(QStringLiteral("[T ]")));
    return QTime::fromString(split >= 0 ? text.mid(split + 1) : text, Qt::ISODate);
}

QString TooLong(const QString& what, const QString& text, int row, int size)
{
    return QStringLiteral("The %1 text '%2' of row %3 is longer than %4 characters.")
        .arg(what, text)
        .arg(row)
        .arg(size);
}

} // namespace

bool StoredTables::IsUntitled(const QString& name)
{
    // Names are compared without regard to case, and a name of blanks alone
    // would be stored as an entry nobody can see in the list.
    return name.trimmed().isEmpty()
        || name.compare(TableRules::kUntitled, Qt::CaseInsensitive) == 0;
}

QString StoredTables::FullName(StoredKind kind, const QString& name)
{
    return TablePrefix(kind) + name;
}

std::array<QStringList, kStoredKindCount> StoredTables::tableLists() const
{
    std::array<QStringList, kStoredKindCount> lists;
    SqlStatement query = m_db.sql().prepare(
        QStringLiteral("SELECT \"TableName\", \"TableType\", \"Description\" FROM \"DescriptionT\" "
                       "ORDER BY rowid"));
    while (query.step() == SqlStatement::Step::Row) {
        if (query.isNull(0) || query.isNull(1))
            continue;
        const double type = Numbers::LeadingNumber(query.text(1));
        const auto kind = StoredKindOfTab(static_cast<int>(type));
        if (!kind || type != static_cast<int>(type))
            continue;
        if (*kind == StoredKind::DataLog && !query.isNull(2)
            && query.text(2) == QLatin1String(kGroupLog))
            continue;
        lists[static_cast<std::size_t>(StoredKindIndex(*kind))] << query.text(0).mid(2);
    }
    return lists;
}

QStringList StoredTables::names(StoredKind kind) const
{
    return tableLists()[static_cast<std::size_t>(StoredKindIndex(kind))];
}

std::optional<QString> StoredTables::storedName(const QString& fullName) const
{
    SqlStatement query = m_db.sql().prepare(QStringLiteral(
        "SELECT name FROM sqlite_master WHERE type = 'table' AND name = ?1 COLLATE NOCASE "
        "ORDER BY rowid LIMIT 1"));
    query.bindText(1, fullName);
    if (query.step() != SqlStatement::Step::Row)
        return std::nullopt;
    return query.text(0);
}

Outcome<void> StoredTables::readable() const
{
    SqlStatement probe = m_db.sql().prepare(QStringLiteral("SELECT count(*) FROM sqlite_master"));
    if (!probe.ok() || probe.step() == SqlStatement::Step::Error)
        return Failure { probe.error() };
    return {};
}

bool StoredTables::exists(StoredKind kind, const QString& name) const
{
    return !IsUntitled(name) && storedName(FullName(kind, name)).has_value();
}

Outcome<void> StoredTables::checkName(StoredKind kind, const QString& name) const
{
    if (IsUntitled(name))
        return Failure {};
    for (const QChar c : name) {
        if (c.unicode() < 0x20 || c.unicode() == 0x7f)
            return Failure { QStringLiteral("A table name cannot hold control characters.") };
    }
    const QString fullName = FullName(kind, name);
    if (const auto size
        = m_db.declaredSize(QStringLiteral("DescriptionT"), QStringLiteral("TableName"));
        size && fullName.size() > *size) {
        return Failure { QStringLiteral(
            "The name '%1' is too long: a name has at most %2 characters.")
                             .arg(name)
                             .arg(*size - TablePrefix(kind).size()) };
    }
    return {};
}

Outcome<void> StoredTables::checkInfo(const SaveInfo& info) const
{
    if (info.sampling < 0 || info.sampling > kMaxSampling)
        return Failure { QStringLiteral("The sampling time %1 s is out of range (0 to %2).")
                             .arg(info.sampling)
                             .arg(kMaxSampling) };
    if (const auto size
        = m_db.declaredSize(QStringLiteral("DescriptionT"), QStringLiteral("Description"));
        size && info.description.size() > *size) {
        return Failure {
            QStringLiteral("The description is too long: it has at most %1 characters.").arg(*size)
        };
    }
    return {};
}

bool StoredTables::injectedFault(FaultPoint point, int rowsDone) const
{
    if (m_fault != point)
        return false;
    return point != FaultPoint::AfterRows || rowsDone >= m_faultAfterRows;
}

template <typename BindRow>
Outcome<void> StoredTables::replaceTable(StoredKind kind, const QString& name,
    const std::vector<Column>& columns, const SaveInfo& info, int rowCount, BindRow bindRow)
{
    if (Outcome<void> check = checkName(kind, name); !check)
        return check;
    if (Outcome<void> check = checkInfo(info); !check)
        return check;

    SqlDatabase& sql = m_db.sql();
    const QString fullName = FullName(kind, name);
    auto failed = [](const QString& message) { return Failure { message }; };

    SqlTransaction transaction(sql);
    if (!transaction.ok())
        return failed(transaction.error());

    if (const std::optional<QString> old = storedName(fullName)) {
        if (!sql.exec(QStringLiteral("DROP TABLE ") + SqlDatabase::quoteIdentifier(*old)))
            return failed(sql.lastError());
        SqlStatement forget = sql.prepare(
            QStringLiteral("DELETE FROM \"DescriptionT\" WHERE \"TableName\" = ?1 COLLATE NOCASE"));
        forget.bindText(1, fullName);
        if (!forget.run())
            return failed(forget.error());
    }

    QStringList definitions;
    QStringList names;
    QStringList parameters;
    for (const Column& column : columns) {
        const QString columnName = SqlDatabase::quoteIdentifier(QString::fromLatin1(column.name));
        definitions << columnName + QLatin1Char(' ') + QLatin1String(column.type);
        names << columnName;
        parameters << QStringLiteral("?%1").arg(parameters.size() + 1);
    }
    const QString table = SqlDatabase::quoteIdentifier(fullName);
    if (!sql.exec(QStringLiteral("CREATE TABLE ") + table + QStringLiteral(" (")
            + definitions.join(QStringLiteral(", ")) + QLatin1Char(')')))
        return failed(sql.lastError());

    SqlStatement insert = sql.prepare(QStringLiteral("INSERT INTO ") + table + QStringLiteral(" (")
        + names.join(QStringLiteral(", ")) + QStringLiteral(") VALUES (")
        + parameters.join(QStringLiteral(", ")) + QLatin1Char(')'));
    if (!insert.ok())
        return failed(insert.error());
    for (int row = 0; row < rowCount; ++row) {
        if (injectedFault(FaultPoint::AfterRows, row))
            return failed(QStringLiteral("Injected fault after %1 rows.").arg(row));
        bindRow(insert, row);
        if (!insert.run())
            return failed(insert.error());
        insert.reset();
    }
    if (injectedFault(FaultPoint::BeforeCatalogue, rowCount))
        return failed(QStringLiteral("Injected fault before the catalogue row."));

    // The catalogue row is edited in place when one is left without its table,
    // otherwise added at the end of the catalogue.
    const QDateTime savedAt = info.savedAt;
    const QString date = savedAt.date().toString(Qt::ISODate);
    const QString time = savedAt.time().toString(QStringLiteral("HH:mm:ss"));
    SqlStatement update = sql.prepare(QStringLiteral(
        "UPDATE \"DescriptionT\" SET \"TableName\" = ?1, \"TableType\" = ?2, \"Sampling\" = ?3, "
        "\"Date\" = ?4, \"Time\" = ?5, \"Description\" = ?6 WHERE rowid = (SELECT rowid FROM "
        "\"DescriptionT\" WHERE \"TableName\" = ?1 COLLATE NOCASE ORDER BY rowid LIMIT 1)"));
    SqlStatement add = sql.prepare(QStringLiteral(
        "INSERT INTO \"DescriptionT\" (\"TableName\", \"TableType\", \"Sampling\", \"Date\", "
        "\"Time\", \"Description\") VALUES (?1, ?2, ?3, ?4, ?5, ?6)"));
    for (SqlStatement* statement : { &update, &add }) {
        statement->bindText(1, fullName)
            .bindText(2, QString::number(StoredKindIndex(kind)))
            .bindInt(3, info.sampling)
            .bindText(4, date)
            .bindText(5, time)
            .bindTextOrNull(6, info.description);
    }
    if (!update.run())
        return failed(update.error());
    if (sql.changes() == 0 && !add.run())
        return failed(add.error());

    if (!transaction.commit())
        return failed(transaction.error());
    return {};
}

Outcome<void> StoredTables::saveProgram(StoredKind kind, const QString& name,
    const std::vector<ProgramStep>& steps, const SaveInfo& info)
{
    if (kind != StoredKind::InternalProgram && kind != StoredKind::ExternalProgram)
        return Failure { QStringLiteral("Only program tables are saved as programs.") };
    const Captions& captions = Captions::English();
    for (std::size_t r = 0; r < steps.size(); ++r) {
        const ProgramStep& step = steps[r];
        const std::array<std::pair<const QString&, const QString&>, 4> cells { {
            { captions.voltage, step.voltage },
            { captions.current, step.current },
            { captions.minute, step.minute },
            { captions.second, step.second },
        } };
        for (const auto& [what, text] : cells) {
            if (text.size() > kCellTextSize)
                return Failure { TooLong(what, text, static_cast<int>(r) + 1, kCellTextSize) };
        }
    }
    const bool external = kind == StoredKind::ExternalProgram;
    std::vector<Column> columns { { "Voltage", "VARCHAR(4)" }, { "Current", "VARCHAR(4)" },
        { "Minute", "VARCHAR(4)" }, { "Second", "VARCHAR(4)" } };
    if (external)
        columns.push_back({ "Output", "BOOLEAN" });
    return replaceTable(kind, name, columns, info, static_cast<int>(steps.size()),
        [&](SqlStatement& insert, int r) {
            const ProgramStep& step = steps[static_cast<std::size_t>(r)];
            insert.bindText(1, step.voltage)
                .bindText(2, step.current)
                .bindText(3, step.minute)
                .bindText(4, step.second);
            if (external)
                insert.bindInt(5, step.output() ? 1 : 0);
        });
}

Outcome<void> StoredTables::savePresets(
    const QString& name, const std::vector<PresetRow>& presets, const SaveInfo& info)
{
    const Captions& captions = Captions::English();
    for (std::size_t r = 0; r < presets.size(); ++r) {
        const int row = static_cast<int>(r) + 1;
        if (presets[r].voltage.size() > kCellTextSize)
            return Failure { TooLong(captions.voltage, presets[r].voltage, row, kCellTextSize) };
        if (presets[r].current.size() > kCellTextSize)
            return Failure { TooLong(captions.current, presets[r].current, row, kCellTextSize) };
    }
    return replaceTable(StoredKind::PresetMemory, name,
        { { "Voltage", "VARCHAR(4)" }, { "Current", "VARCHAR(4)" } }, info,
        static_cast<int>(presets.size()), [&](SqlStatement& insert, int r) {
            const PresetRow& preset = presets[static_cast<std::size_t>(r)];
            insert.bindText(1, preset.voltage).bindText(2, preset.current);
        });
}

Outcome<void> StoredTables::saveLog(
    const QString& name, const LogSamples& samples, const SaveInfo& info)
{
    return replaceTable(StoredKind::DataLog, name,
        { { "Time", "INTEGER" }, { "Voltage", "REAL" }, { "Current", "REAL" } }, info,
        LogSamples::kCount, [&](SqlStatement& insert, int i) {
            const auto index = static_cast<std::size_t>(i);
            insert.bindInt(1, static_cast<qint64>(i) * info.sampling)
                .bindReal(2, static_cast<double>(samples.volts[index]))
                .bindReal(3, static_cast<double>(samples.amps[index]));
        });
}

std::optional<StoredTables::CatalogueRow> StoredTables::catalogue(
    StoredKind kind, const QString& name) const
{
    SqlStatement query = m_db.sql().prepare(kFindCatalogue);
    query.bindText(1, FullName(kind, name));
    if (query.step() != SqlStatement::Step::Row)
        return std::nullopt;
    CatalogueRow row;
    row.name = query.text(1).mid(2);
    if (!query.isNull(2))
        row.sampling = static_cast<int>(query.integer(2));
    if (!query.isNull(3))
        row.date = ReadDate(query.text(3));
    if (!query.isNull(4))
        row.time = ReadTime(query.text(4));
    if (!query.isNull(5))
        row.description = query.text(5);
    return row;
}

Outcome<void> StoredTables::hasColumns(
    const QString& table, const QString& name, const QStringList& columns) const
{
    // The engine reads a quoted name that is no column as a text: without
    // this check a table made elsewhere would show its column names as cells.
    QStringList present;
    for (const auto& [column, type] : m_db.sql().columns(table))
        present << column;
    if (present.isEmpty())
        return {}; // the schema cannot be read now: the load says why
    for (const QString& column : columns) {
        if (!present.contains(column, Qt::CaseInsensitive)) {
            return Failure { QStringLiteral(
                "The stored table '%1' has no column '%2': it cannot be loaded.")
                                 .arg(name, column) };
        }
    }
    return {};
}

template <typename Rows>
Outcome<QString> StoredTables::findToLoad(
    StoredKind kind, const QString& name, Load<Rows>& load, const QStringList& columns) const
{
    if (IsUntitled(name))
        return Failure {};
    load.catalogue = catalogue(kind, name);
    const std::optional<QString> table = storedName(FullName(kind, name));
    if (!table) {
        if (Outcome<void> read = readable(); !read)
            return Failure { read.error() };
        return Failure { StorageMessages::TableNoExist(name) };
    }
    if (Outcome<void> complete = hasColumns(*table, name, columns); !complete)
        return Failure { complete.error() };
    return *table;
}

StoredTables::ProgramLoad StoredTables::loadProgram(StoredKind kind, const QString& name) const
{
    ProgramLoad load;
    const bool external = kind == StoredKind::ExternalProgram;
    QStringList columns { QStringLiteral("Voltage"), QStringLiteral("Current"),
        QStringLiteral("Minute"), QStringLiteral("Second") };
    if (external)
        columns << QStringLiteral("Output");
    const Outcome<QString> table = findToLoad(kind, name, load, columns);
    if (!table) {
        load.rows = Failure { table.error() };
        return load;
    }
    SqlStatement query = m_db.sql().prepare(
        QStringLiteral("SELECT \"Voltage\", \"Current\", \"Minute\", \"Second\"")
        + (external ? QStringLiteral(", \"Output\"") : QString()) + QStringLiteral(" FROM ")
        + SqlDatabase::quoteIdentifier(*table) + QStringLiteral(" ORDER BY rowid"));
    std::vector<ProgramStep> steps;
    SqlStatement::Step step = query.step();
    for (; step == SqlStatement::Step::Row; step = query.step()) {
        std::optional<bool> output;
        if (external)
            output = !query.isNull(4) && query.integer(4) != 0;
        steps.push_back({ QString::number(steps.size() + 1), query.text(0), query.text(1),
            query.text(2), query.text(3), output });
    }
    if (step == SqlStatement::Step::Error)
        load.rows = Failure { query.error() };
    else
        load.rows = std::move(steps);
    return load;
}

StoredTables::PresetLoad StoredTables::loadPresets(const QString& name) const
{
    PresetLoad load;
    const Outcome<QString> table = findToLoad(StoredKind::PresetMemory, name, load, kValueColumns);
    if (!table) {
        load.rows = Failure { table.error() };
        return load;
    }
    SqlStatement query = m_db.sql().prepare(QStringLiteral("SELECT \"Voltage\", \"Current\" FROM ")
        + SqlDatabase::quoteIdentifier(*table) + QStringLiteral(" ORDER BY rowid"));
    SqlStatement::Step step = query.step();
    std::vector<PresetRow> presets;
    for (; step == SqlStatement::Step::Row; step = query.step())
        presets.push_back({ QString::number(presets.size() + 1), query.text(0), query.text(1) });
    if (step == SqlStatement::Step::Error)
        load.rows = Failure { query.error() };
    else if (presets.size() != kPresetRows)
        load.rows = Failure {};
    else
        load.rows = std::move(presets);
    return load;
}

StoredTables::LogLoad StoredTables::loadLog(const QString& name) const
{
    LogLoad load;
    const Outcome<QString> table = findToLoad(StoredKind::DataLog, name, load, kValueColumns);
    if (!table) {
        load.rows = Failure { table.error() };
        return load;
    }
    const QString quoted = SqlDatabase::quoteIdentifier(*table);
    SqlStatement count = m_db.sql().prepare(QStringLiteral("SELECT count(*) FROM ") + quoted);
    if (count.step() != SqlStatement::Step::Row) {
        load.rows = Failure { count.error() };
        return load;
    }
    if (count.integer(0) != LogSamples::kCount)
        return load; // not a whole log: passed over without a word
    SqlStatement query = m_db.sql().prepare(QStringLiteral("SELECT \"Voltage\", \"Current\" FROM ")
        + quoted + QStringLiteral(" ORDER BY rowid"));
    LogSamples samples;
    std::size_t i = 0;
    SqlStatement::Step step = query.step();
    for (; step == SqlStatement::Step::Row && i < LogSamples::kCount; step = query.step(), ++i) {
        // A value the table lost counts as a sample without reading.
        samples.volts[i]
            = query.isNull(0) ? LogSamples::kNoReading : static_cast<float>(query.real(0));
        samples.amps[i]
            = query.isNull(1) ? LogSamples::kNoReading : static_cast<float>(query.real(1));
    }
    if (step == SqlStatement::Step::Error)
        load.rows = Failure { query.error() };
    else
        load.rows = samples;
    return load;
}

Outcome<void> StoredTables::remove(StoredKind kind, const QString& name)
{
    if (IsUntitled(name))
        return Failure {};
    SqlDatabase& sql = m_db.sql();
    const QString fullName = FullName(kind, name);
    const std::optional<QString> table = storedName(fullName);
    if (!table)
        return Failure { StorageMessages::TableNoExist(name) };

    SqlTransaction transaction(sql);
    if (!transaction.ok())
        return Failure { transaction.error() };
    if (!sql.exec(QStringLiteral("DROP TABLE ") + SqlDatabase::quoteIdentifier(*table)))
        return Failure { sql.lastError() };
    if (injectedFault(FaultPoint::BeforeCatalogue, 0))
        return Failure { QStringLiteral("Injected fault before the catalogue row.") };
    SqlStatement forget = sql.prepare(
        QStringLiteral("DELETE FROM \"DescriptionT\" WHERE \"TableName\" = ?1 COLLATE NOCASE"));
    forget.bindText(1, fullName);
    if (!forget.run())
        return Failure { forget.error() };
    if (!transaction.commit())
        return Failure { transaction.error() };
    return {};
}

Outcome<void> StoredTables::forgetMissing(StoredKind kind, const QString& name)
{
    if (IsUntitled(name) || exists(kind, name))
        return {};
    SqlStatement forget = m_db.sql().prepare(
        QStringLiteral("DELETE FROM \"DescriptionT\" WHERE \"TableName\" = ?1 COLLATE NOCASE"));
    forget.bindText(1, FullName(kind, name));
    if (!forget.run())
        return Failure { forget.error() };
    return {};
}
