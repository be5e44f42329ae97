#pragma once

#include "datalog/LogSamples.h"
#include "storage/StoredKind.h"

#include <QDate>
#include <QDateTime>
#include <QString>
#include <QStringList>
#include <QTime>
#include <array>
#include <optional>
#include <vector>

class OvoltaDatabase;

// Named program tables, preset tables and logs kept in the database, with
// their catalogue rows. Every change is one transaction: it happens whole or
// not at all, and a failure comes back with a message for the user.
class StoredTables {
public:
    // One program step as the grid shows it; `output` only for the External
    // Timed Program.
    struct ProgramRow {
        QString voltage;
        QString current;
        QString minute;
        QString second;
        bool output = false;
        bool operator==(const ProgramRow&) const = default;
    };

    struct PresetRow {
        QString voltage;
        QString current;
        bool operator==(const PresetRow&) const = default;
    };

    // The catalogue data written with every save.
    struct SaveInfo {
        QString description; // empty is stored as Null
        int sampling = 3; // seconds between log samples at the time of saving
        QDateTime savedAt; // date and time of day of the save
    };

    // A catalogue row as read back; Null fields are nullopt or invalid.
    struct CatalogueRow {
        QString name; // without the kind prefix
        std::optional<int> sampling;
        QDate date;
        QTime time;
        std::optional<QString> description;
        // The description box text: Null reads as empty.
        QString descriptionText() const { return description.value_or(QString()); }
    };

    enum class Outcome {
        Done,
        NoName, // "(Untitle)" or empty: the caller moves the focus to the combo
        NoSuchTable, // nothing stored under the name; `error` holds the message
        NotLoaded, // a preset table without exactly 3 rows, a log without 1801
        Failed, // `error` holds the message; nothing was changed
    };

    struct Result {
        Outcome outcome = Outcome::Done;
        QString error;
        bool ok() const { return outcome == Outcome::Done; }
    };

    struct ProgramLoad : Result {
        std::optional<CatalogueRow> catalogue;
        std::vector<ProgramRow> rows; // all stored rows in stored order
    };

    struct PresetLoad : Result {
        std::optional<CatalogueRow> catalogue;
        std::vector<PresetRow> rows; // exactly 3 when Done
    };

    struct LogLoad : Result {
        std::optional<CatalogueRow> catalogue;
        LogSamples samples;
    };

    // Where a test makes saving or deleting fail, to prove nothing is changed.
    enum class FaultPoint { None, AfterRows, BeforeCatalogue };

    static constexpr const char* kGroupLog = "GroupLog";
    static constexpr int kPresetRows = 3;

    explicit StoredTables(OvoltaDatabase& db)
        : m_db(db)
    {
    }

    // "(Untitle)" or empty: no name given.
    static bool IsUntitled(const QString& name);
    static QString FullName(StoredKind kind, const QString& name);

    // The stored names of each kind in catalogue order, without prefixes; logs
    // described "GroupLog" are left out.
    std::array<QStringList, kStoredKindCount> tableLists() const;
    // Empty when the file can be read now; else the engine's message (another
    // program holding it, for one). Tells a failed read from a missing table.
    QString readProblem() const;
    QStringList names(StoredKind kind) const;

    // Whether a table of that name is stored. Names that differ only in the
    // case of ASCII letters are one table to the engine, so they match here.
    bool exists(StoredKind kind, const QString& name) const;

    // Saving replaces a stored table of the same name; ask before calling.
    Result saveProgram(StoredKind kind, const QString& name, const std::vector<ProgramRow>& rows,
        const SaveInfo& info);
    Result savePresets(
        const QString& name, const std::vector<PresetRow>& rows, const SaveInfo& info);
    // Always 1801 rows; Time of row i is i x info.sampling.
    Result saveLog(const QString& name, const LogSamples& samples, const SaveInfo& info);

    std::optional<CatalogueRow> catalogue(StoredKind kind, const QString& name) const;
    ProgramLoad loadProgram(StoredKind kind, const QString& name) const;
    PresetLoad loadPresets(const QString& name) const;
    LogLoad loadLog(const QString& name) const;

    // Drops the table and its catalogue row together.
    // Removes the catalogue row of a name whose table is gone (dropped by
    // another program): deleting it leaves nothing behind. Nothing when the
    // table exists.
    Result forgetMissing(StoredKind kind, const QString& name);
    Result remove(StoredKind kind, const QString& name);

    void injectFault(FaultPoint point, int afterRows = 0)
    {
        m_fault = point;
        m_faultAfterRows = afterRows;
    }

private:
    struct Column {
        const char* name;
        const char* type;
    };

    Result checkName(StoredKind kind, const QString& name) const;
    Result checkInfo(const SaveInfo& info) const;
    std::optional<QString> storedName(const QString& fullName) const;
    // False, with the message in result, when the stored table lacks one of
    // the columns a load reads.
    bool hasColumns(const QString& table, const QString& name, const QStringList& columns,
        Result& result) const;
    // The start of every load: checks the name, reads its catalogue row and
    // finds the stored table. Without a table, `result` says why.
    std::optional<QString> findToLoad(StoredKind kind, const QString& name, Result& result,
        std::optional<CatalogueRow>& catalogueRow) const;
    template <typename BindRow>
    Result replaceTable(StoredKind kind, const QString& name, const std::vector<Column>& columns,
        const SaveInfo& info, int rowCount, BindRow bindRow);
    bool injectedFault(FaultPoint point, int rowsDone) const;

    OvoltaDatabase& m_db;
    FaultPoint m_fault = FaultPoint::None;
    int m_faultAfterRows = 0;
};
