#pragma once

#include "core/Outcome.h"
#include "datalog/LogSamples.h"
#include "programs/PresetRow.h"
#include "programs/ProgramStep.h"
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

    // What a load gives: the catalogue row, read even when the rows are not,
    // and the rows. A name not given ("(Untitle)" or empty), a preset table
    // without exactly 3 rows and a log without 1801 fail without a message.
    template <typename Rows> struct Load {
        std::optional<CatalogueRow> catalogue;
        Outcome<Rows> rows = Failure {};
    };
    using ProgramLoad = Load<std::vector<ProgramStep>>; // all stored rows in stored order
    using PresetLoad = Load<std::vector<PresetRow>>; // exactly 3
    using LogLoad = Load<LogSamples>;

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
    // Whether the file can be read now; else the engine's message (another
    // program holding it, for one). Tells a failed read from a missing table.
    Outcome<void> readable() const;
    QStringList names(StoredKind kind) const;

    // Whether a table of that name is stored. Names that differ only in the
    // case of ASCII letters are one table to the engine, so they match here.
    bool exists(StoredKind kind, const QString& name) const;

    // Saving replaces a stored table of the same name; ask before calling. Every
    // change fails with the engine's message and leaves the file as it was; a
    // name not given fails without a message. A program stores its steps' texts
    // (without the step numbers) and, for the External Timed Program, their outputs.
    Outcome<void> saveProgram(StoredKind kind, const QString& name,
        const std::vector<ProgramStep>& steps, const SaveInfo& info);
    Outcome<void> savePresets(
        const QString& name, const std::vector<PresetRow>& presets, const SaveInfo& info);
    // Always 1801 rows; Time of row i is i x info.sampling.
    Outcome<void> saveLog(const QString& name, const LogSamples& samples, const SaveInfo& info);

    std::optional<CatalogueRow> catalogue(StoredKind kind, const QString& name) const;
    // Loaded steps are numbered 1, 2, ... in stored order; those of the
    // Internal Timed Program have no output.
    ProgramLoad loadProgram(StoredKind kind, const QString& name) const;
    PresetLoad loadPresets(const QString& name) const;
    LogLoad loadLog(const QString& name) const;

    // Removes the catalogue row of a name whose table is gone (dropped by
    // another program): deleting it leaves nothing behind. Nothing when the
    // table exists.
    Outcome<void> forgetMissing(StoredKind kind, const QString& name);
    // Drops the table and its catalogue row together; a missing table fails
    // with "' <name> ' table no exist !".
    Outcome<void> remove(StoredKind kind, const QString& name);

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

    Outcome<void> checkName(StoredKind kind, const QString& name) const;
    Outcome<void> checkInfo(const SaveInfo& info) const;
    std::optional<QString> storedName(const QString& fullName) const;
    // Fails when the stored table lacks one of the columns a load reads.
    Outcome<void> hasColumns(
        const QString& table, const QString& name, const QStringList& columns) const;
    // The start of every load: checks the name, reads its catalogue row and
    // finds the stored table.
    template <typename Rows>
    Outcome<QString> findToLoad(
        StoredKind kind, const QString& name, Load<Rows>& load, const QStringList& columns) const;
    template <typename BindRow>
    Outcome<void> replaceTable(StoredKind kind, const QString& name,
        const std::vector<Column>& columns, const SaveInfo& info, int rowCount, BindRow bindRow);
    bool injectedFault(FaultPoint point, int rowsDone) const;

    OvoltaDatabase& m_db;
    FaultPoint m_fault = FaultPoint::None;
    int m_faultAfterRows = 0;
};
