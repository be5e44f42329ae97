#include "storage/StoredTables.h"
#include "storage/OvoltaDatabase.h"
#include "storage/SqlTransaction.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

namespace {

constexpr StoredKind kEtp = StoredKind::ExternalProgram;
constexpr StoredKind kIpm = StoredKind::PresetMemory;
constexpr StoredKind kLog = StoredKind::DataLog;
const QDateTime kSavedAt(QDate(2026, 1, 15), QTime(10, 30, 5));

StoredTables::SaveInfo Info(const QString& description = {}, int sampling = 3)
{
    return { description, sampling, kSavedAt };
}

std::vector<ProgramStep> Steps(int count, const QString& voltage = "05.0")
{
    std::vector<ProgramStep> steps;
    for (int i = 1; i <= count; ++i) {
        steps.push_back({ QString::number(i), voltage, "0.50", QString::asprintf("%02d", i % 60),
            "30", i % 2 == 1 });
    }
    return steps;
}

// The message of a refusal, or "accepted".
template <typename T> QString Refusal(const Outcome<T>& outcome)
{
    return outcome ? QStringLiteral("accepted") : outcome.error();
}

// A failure the user is not told of.
template <typename T> bool FailsSilently(const Outcome<T>& outcome)
{
    return !outcome && outcome.error().isEmpty();
}

LogSamples Log(int recorded)
{
    LogSamples log;
    for (int i = 0; i < LogSamples::kCount; ++i) {
        log.volts[static_cast<std::size_t>(i)] = 12.5f + static_cast<float>(i) * 0.01f;
        log.amps[static_cast<std::size_t>(i)] = i == 2 ? LogSamples::kNoReading : 0.125f;
    }
    log.volts[static_cast<std::size_t>(recorded)] = LogSamples::kEndMark;
    log.amps[static_cast<std::size_t>(recorded)] = LogSamples::kEndMark;
    return log;
}

class StoredTablesTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(dir.path());
        ASSERT_TRUE(opened) << opened.error().toStdString();
        db = std::move(opened).value();
        tables = std::make_unique<StoredTables>(*db);
    }
    qint64 Count(const QString& sql)
    {
        SqlStatement query = db->sql().prepare(sql);
        return query.step() == SqlStatement::Step::Row ? query.integer(0) : -1;
    }
    QString Dump(const QString& table)
    {
        SqlStatement query = db->sql().prepare(
            "SELECT * FROM " + SqlDatabase::quoteIdentifier(table) + " ORDER BY rowid");
        QStringList rows;
        while (query.step() == SqlStatement::Step::Row) {
            QStringList cells;
            for (int c = 0; c < 8; ++c)
                cells << (query.isNull(c) ? "null" : query.text(c));
            rows << cells.join('|');
        }
        return rows.join('\n');
    }

    QTemporaryDir dir;
    std::unique_ptr<OvoltaDatabase> db;
    std::unique_ptr<StoredTables> tables;
};

// Steps come back as saved, numbered by their place: the stored table keeps
// no step numbers, and only the External Timed Program its outputs.
TEST_F(StoredTablesTest, ProgramStepsRoundTrip)
{
    std::vector<ProgramStep> renumbered = Steps(2);
    renumbered[0].step = "7";
    renumbered[1].step = "";
    struct Case {
        const char* what;
        StoredKind kind;
        std::vector<ProgramStep> saved;
        std::vector<ProgramStep> loaded;
        qsizetype columns;
    };
    const Case cases[] = {
        { "20 steps", kEtp, Steps(20), Steps(20), 5 },
        { "more steps than the grid", kEtp, Steps(25), Steps(25), 5 },
        { "step numbers", kEtp, renumbered, Steps(2), 5 },
        { "no output column", StoredKind::InternalProgram,
            { { "1", "01.0", "0.10", "00", "05", false } },
            { { "1", "01.0", "0.10", "00", "05", std::nullopt } }, 4 },
    };
    for (const Case& c : cases) {
        ASSERT_TRUE(tables->saveProgram(c.kind, "Burn-in", c.saved, Info("soak"))) << c.what;
        const StoredTables::ProgramLoad load = tables->loadProgram(c.kind, "Burn-in");
        ASSERT_TRUE(load.rows) << c.what;
        EXPECT_EQ(*load.rows, c.loaded) << c.what;
        EXPECT_EQ(db->sql().columns(StoredTables::FullName(c.kind, "Burn-in")).size(), c.columns);
    }
    const StoredTables::ProgramLoad load = tables->loadProgram(kEtp, "Burn-in");
    ASSERT_TRUE(load.catalogue);
    EXPECT_EQ(load.catalogue->descriptionText(), QString("soak"));
    EXPECT_EQ(load.catalogue->name, QString("Burn-in"));
    EXPECT_EQ(load.catalogue->sampling, 3);
    EXPECT_EQ(load.catalogue->date, kSavedAt.date());
    EXPECT_EQ(load.catalogue->time, kSavedAt.time());
    EXPECT_EQ(Count("SELECT count(*) FROM DescriptionT WHERE TableName = 'E_Burn-in' AND "
                    "TableType = '1' AND Date = '2026-01-15' AND Time = '10:30:05'"),
        1);
    EXPECT_FALSE(tables->saveProgram(kLog, "p", Steps(1), Info()));
}

TEST_F(StoredTablesTest, PresetsWithoutThreeRowsAndLogsWithout1801LoadNothing)
{
    const std::vector<PresetRow> three { { "1", "05.0", "1.0" }, { "2", "12.0", "0.5" },
        { "3", "24.0", "2.5" } };
    for (std::size_t count : { 0u, 2u, 3u, 4u }) {
        std::vector<PresetRow> rows = three;
        rows.resize(count, { "4", "01.0", "0.1" });
        ASSERT_TRUE(tables->savePresets("m", rows, Info()));
        const StoredTables::PresetLoad load = tables->loadPresets("m");
        // A table of the wrong size is passed over without a word.
        if (count == 3)
            EXPECT_EQ(load.rows.value(), rows);
        else
            EXPECT_TRUE(FailsSilently(load.rows)) << count;
        ASSERT_TRUE(load.catalogue); // the description box follows even when nothing loads
    }
    ASSERT_TRUE(tables->saveLog("cut", Log(10), Info()));
    ASSERT_TRUE(db->sql().exec("DELETE FROM L_cut WHERE rowid = 1801"));
    EXPECT_TRUE(FailsSilently(tables->loadLog("cut").rows));
}

TEST_F(StoredTablesTest, LogAlwaysStores1801RowsWithAgesAndItsCatalogueRow)
{
    const LogSamples log = Log(4);
    ASSERT_TRUE(tables->saveLog("run", log, Info("night", 5)));
    EXPECT_EQ(Count("SELECT count(*) FROM L_run"), 1801);
    EXPECT_EQ(Count("SELECT Time FROM L_run WHERE rowid = 1801"), 9000);
    EXPECT_EQ(Count("SELECT count(*) FROM L_run WHERE Voltage = -2.0"), 1);
    const StoredTables::LogLoad load = tables->loadLog("run");
    ASSERT_TRUE(load.rows);
    EXPECT_EQ(load.rows->volts, log.volts);
    EXPECT_EQ(load.rows->amps, log.amps);
    ASSERT_TRUE(load.catalogue);
    EXPECT_EQ(load.catalogue->name, QString("run"));
    EXPECT_EQ(load.catalogue->sampling, 5);
    EXPECT_EQ(load.catalogue->description, QString("night"));
    // Catalogue fields that are Null read as missing; an empty description is stored as Null.
    ASSERT_TRUE(tables->saveLog("n", Log(1), Info()));
    ASSERT_TRUE(db->sql().exec("UPDATE DescriptionT SET Sampling = NULL, Date = NULL, Time = NULL "
                               "WHERE TableName = 'L_n'"));
    const std::optional<StoredTables::CatalogueRow> nulls = tables->loadLog("n").catalogue;
    ASSERT_TRUE(nulls);
    EXPECT_EQ(nulls->description, std::nullopt);
    EXPECT_EQ(nulls->sampling, std::nullopt);
    EXPECT_FALSE(nulls->date.isValid() || nulls->time.isValid());
}

// A table made by another program without a column that loading reads is
// refused with a message: its column names never show up as cells.
TEST_F(StoredTablesTest, TableWithoutAColumnThatIsReadIsRefused)
{
    struct Case {
        StoredKind kind;
        const char* create;
        int rows; // enough for the load to read them
        const char* missing;
    };
    const Case cases[] = {
        { kEtp, "CREATE TABLE E_x (Voltage, Current, Minute, Second)", 2, "Output" },
        { StoredKind::InternalProgram, "CREATE TABLE P_x (voltage, current, Second)", 2, "Minute" },
        { kIpm, "CREATE TABLE M_x (Voltage, Amps)", 3, "Current" },
        { kLog, "CREATE TABLE L_x (Time, Volts, Current)", 1801, "Voltage" },
    };
    for (const Case& c : cases) {
        const QString table = StoredTables::FullName(c.kind, "x");
        ASSERT_TRUE(db->sql().exec(c.create));
        {
            SqlTransaction transaction(db->sql());
            for (int r = 0; r < c.rows; ++r)
                ASSERT_TRUE(db->sql().exec("INSERT INTO " + table + " DEFAULT VALUES"));
            ASSERT_TRUE(transaction.commit());
        }
        QString error;
        if (c.kind == kIpm)
            error = tables->loadPresets("x").rows.error();
        else if (c.kind == kLog)
            error = tables->loadLog("x").rows.error();
        else
            error = tables->loadProgram(c.kind, "x").rows.error();
        EXPECT_EQ(error,
            QString("The stored table 'x' has no column '%1': it cannot be loaded.").arg(c.missing))
            << c.create;
    }
}

TEST_F(StoredTablesTest, ListsFollowCatalogueOrderAndLeaveOutGroupLogs)
{
    ASSERT_TRUE(tables->saveProgram(kEtp, "b", Steps(1), Info()));
    ASSERT_TRUE(tables->saveLog("group", Log(1), Info("GroupLog")));
    ASSERT_TRUE(tables->saveProgram(kEtp, "a", Steps(1), Info()));
    ASSERT_TRUE(tables->savePresets("m", {}, Info()));
    ASSERT_TRUE(tables->saveLog("plain", Log(1), Info()));
    ASSERT_TRUE(tables->saveLog("grouplog2", Log(1), Info("grouplog")));
    ASSERT_TRUE(tables->saveProgram(StoredKind::InternalProgram, "p", Steps(1), Info()));
    ASSERT_TRUE(db->sql().exec("INSERT INTO DescriptionT (TableName, TableType) VALUES "
                               "('X_odd', '7'), ('X_neg', '-1'), ('X_null', NULL)"));
    const auto lists = tables->tableLists();
    EXPECT_EQ(lists[0], QStringList({ "p" }));
    EXPECT_EQ(lists[1], QStringList({ "b", "a" }));
    EXPECT_EQ(lists[2], QStringList({ "m" }));
    EXPECT_EQ(lists[3], QStringList({ "plain", "grouplog2" }));
    EXPECT_TRUE(tables->exists(kLog, "group"));
}

// Replacing swaps the table and its catalogue row, which goes to the end of
// the list; names differing in case are one table.
TEST_F(StoredTablesTest, ReplacingSwapsTableAndCatalogueRow)
{
    ASSERT_TRUE(tables->saveProgram(kEtp, "Ramp", Steps(5), Info("old")));
    ASSERT_TRUE(tables->saveProgram(kEtp, "u", Steps(1), Info()));
    EXPECT_TRUE(tables->exists(kEtp, "RAMP"));
    EXPECT_FALSE(tables->exists(kIpm, "Ramp"));
    ASSERT_TRUE(tables->saveProgram(kEtp, "ramp", Steps(2, "09.9"), Info("new")));
    const StoredTables::ProgramLoad load = tables->loadProgram(kEtp, "Ramp");
    ASSERT_TRUE(load.rows);
    EXPECT_EQ(*load.rows, Steps(2, "09.9"));
    EXPECT_EQ(load.catalogue->descriptionText(), QString("new"));
    EXPECT_EQ(Count("SELECT count(*) FROM DescriptionT"), 2);
    EXPECT_EQ(tables->names(kEtp), QStringList({ "u", "ramp" }));
    ASSERT_TRUE(tables->remove(kEtp, "RAMP"));
    EXPECT_EQ(Count("SELECT count(*) FROM DescriptionT"), 1);
    EXPECT_FALSE(tables->exists(kEtp, "ramp"));
}

TEST_F(StoredTablesTest, OddNamesSaveListLoadAndDelete)
{
    const QStringList names { "it's", "[bracket]", "a]b", "say \"hi\"", "a;b", "with space",
        "Größe", "名前", "x'); DROP TABLE SYS; --", "50% off_%" };
    for (const QString& name : names) {
        const std::string label = name.toStdString();
        ASSERT_TRUE(tables->savePresets(name,
            { { "1", "01.0", "0.1" }, { "2", "02.0", "0.2" }, { "3", "03.0", "0.3" } }, Info(name)))
            << label;
        EXPECT_TRUE(tables->exists(kIpm, name)) << label;
        const StoredTables::PresetLoad load = tables->loadPresets(name);
        EXPECT_TRUE(load.rows) << label;
        EXPECT_EQ(load.catalogue->descriptionText(), name) << label;
    }
    EXPECT_EQ(tables->names(kIpm), names);
    for (const QString& name : names)
        EXPECT_TRUE(tables->remove(kIpm, name)) << name.toStdString();
    EXPECT_EQ(tables->names(kIpm), QStringList());
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "MultiPS", "DescriptionT" }));
}

TEST_F(StoredTablesTest, FailedReplaceLeavesOldTableAndCatalogueExactly)
{
    ASSERT_TRUE(tables->saveLog("keep", Log(7), Info("first", 2)));
    ASSERT_TRUE(tables->saveProgram(kEtp, "keep", Steps(4), Info("e")));
    const QString logBefore = Dump("L_keep");
    const QString programBefore = Dump("E_keep");
    const QString catalogueBefore = Dump("DescriptionT");

    struct Case {
        const char* what;
        StoredTables::FaultPoint point;
        int afterRows;
    };
    const Case cases[] = {
        { "before any row", StoredTables::FaultPoint::AfterRows, 0 },
        { "in the middle", StoredTables::FaultPoint::AfterRows, 900 },
        { "before the catalogue", StoredTables::FaultPoint::BeforeCatalogue, 0 },
    };
    for (const Case& c : cases) {
        tables->injectFault(c.point, c.afterRows);
        const Outcome<void> log = tables->saveLog("keep", Log(100), Info("second", 9));
        EXPECT_FALSE(log) << c.what;
        EXPECT_FALSE(log.error().isEmpty()) << c.what;
        const Outcome<void> program
            = tables->saveProgram(kEtp, "keep", Steps(20, "01.0"), Info("other"));
        EXPECT_EQ(program.ok(), c.afterRows > 20) << c.what;
        tables->injectFault(StoredTables::FaultPoint::None);
        EXPECT_EQ(Dump("L_keep"), logBefore) << c.what;
        if (c.afterRows <= 20) {
            EXPECT_EQ(Dump("E_keep"), programBefore) << c.what;
            EXPECT_EQ(Dump("DescriptionT"), catalogueBefore) << c.what;
        }
        // Put the program back for the next case.
        ASSERT_TRUE(db->sql().exec("DROP TABLE E_keep"));
        ASSERT_TRUE(db->sql().exec("DELETE FROM DescriptionT WHERE TableName = 'E_keep'"));
        ASSERT_TRUE(tables->saveProgram(kEtp, "keep", Steps(4), Info("e")));
    } // A failed delete keeps the table and its catalogue row.
    tables->injectFault(StoredTables::FaultPoint::BeforeCatalogue);
    EXPECT_FALSE(tables->remove(kLog, "keep"));
    tables->injectFault(StoredTables::FaultPoint::None);
    EXPECT_EQ(tables->names(kLog), QStringList({ "keep" }));
    EXPECT_TRUE(tables->loadLog("keep").rows);
}

// A name not given fails without a word (the window moves the focus instead);
// a missing table, a cell, name, description or sampling the store cannot take
// is refused with a message; neither changes anything stored.
TEST_F(StoredTablesTest, BadInputIsRefusedAndChangesNothing)
{
    ASSERT_TRUE(tables->saveProgram(kEtp, "t", Steps(2), Info("x")));
    ASSERT_TRUE(tables->saveLog("ghost", Log(1), Info())); // a log, not a preset table
    const QString before = Dump("E_t") + Dump("L_ghost") + Dump("DescriptionT");
    std::vector<ProgramStep> longCell = Steps(3);
    longCell[2].voltage = "12.345";
    const char* kAny = "(any message)";
    struct Case {
        const char* what;
        QString error;
        QString expected; // empty: refused without a word
    };
    std::vector<Case> cases;
    for (const QString name : { "", "(Untitle)", "(untitle)", "   " }) {
        cases.push_back(
            { "save untitled", Refusal(tables->saveProgram(kEtp, name, Steps(1), Info())), "" });
        cases.push_back({ "remove untitled", Refusal(tables->remove(kEtp, name)), "" });
        cases.push_back({ "load untitled", Refusal(tables->loadProgram(kEtp, name).rows), "" });
        EXPECT_FALSE(tables->exists(kEtp, name));
    }
    const QString noExist("' gone ' table no exist !");
    const Case more[] = {
        { "remove missing", Refusal(tables->remove(kLog, "gone")), noExist },
        { "load missing log", Refusal(tables->loadLog("gone").rows), noExist },
        { "load missing presets", Refusal(tables->loadPresets("gone").rows), noExist },
        { "load missing program", Refusal(tables->loadProgram(kEtp, "gone").rows), noExist },
        { "other kind's prefix", Refusal(tables->remove(kIpm, "ghost")),
            "' ghost ' table no exist !" },
        { "cell longer than 4", Refusal(tables->saveProgram(kEtp, "t", longCell, Info())),
            "The Voltage text '12.345' of row 3 is longer than 4 characters." },
        { "preset cell too long",
            Refusal(tables->savePresets(
                "t", { { "1", "1", "0.12345" }, { "2", "1", "1" }, { "3", "1", "1" } }, Info())),
            kAny },
        { "name too long", Refusal(tables->saveProgram(kEtp, QString(49, 'n'), Steps(1), Info())),
            kAny },
        { "control character", Refusal(tables->saveProgram(kEtp, "a\nb", Steps(1), Info())), kAny },
        { "nul character",
            Refusal(tables->saveProgram(kEtp, QString("a") + QChar(0) + "b", Steps(1), Info())),
            kAny },
        { "description too long",
            Refusal(tables->saveProgram(kEtp, "t", Steps(1), Info(QString(256, 'd')))), kAny },
        { "sampling out of range", Refusal(tables->saveLog("t", Log(1), Info("", 40000))), kAny },
        { "negative sampling", Refusal(tables->saveLog("t", Log(1), Info("", -1))), kAny },
    };
    cases.insert(cases.end(), std::begin(more), std::end(more));
    for (const Case& c : cases) {
        if (c.expected == kAny) {
            EXPECT_FALSE(c.error.isEmpty() || c.error == "accepted") << c.what;
        } else {
            EXPECT_EQ(c.error, c.expected) << c.what;
        }
    }
    EXPECT_EQ(Dump("E_t") + Dump("L_ghost") + Dump("DescriptionT"), before);
    EXPECT_EQ(db->sql().tableNames().size(), 5);
    // 48 characters after the prefix fit the catalogue's 50.
    EXPECT_TRUE(tables->saveProgram(kEtp, QString(48, 'n'), Steps(1), Info()));

    // Forgetting a missing table leaves stored tables alone, of any kind.
    EXPECT_TRUE(tables->forgetMissing(kLog, "ghost"));
    EXPECT_TRUE(tables->forgetMissing(kIpm, "ghost"));
    EXPECT_EQ(tables->names(kLog), QStringList { "ghost" });
    ASSERT_TRUE(db->sql().exec(QStringLiteral("DROP TABLE \"L_ghost\"")));
    EXPECT_TRUE(tables->forgetMissing(kLog, "GHOST"));
    EXPECT_TRUE(tables->names(kLog).isEmpty());
}

TEST_F(StoredTablesTest, OrphanCatalogueRowIsEditedInPlace)
{
    ASSERT_TRUE(db->sql().exec("INSERT INTO DescriptionT (TableName, TableType, Description) "
                               "VALUES ('M_lost', '2', 'old')"));
    ASSERT_TRUE(tables->saveProgram(kEtp, "after", Steps(1), Info()));
    EXPECT_FALSE(tables->exists(kIpm, "lost"));
    ASSERT_TRUE(tables->savePresets("lost", {}, Info("new")));
    EXPECT_EQ(Count("SELECT count(*) FROM DescriptionT WHERE TableName = 'M_lost'"), 1);
    EXPECT_EQ(Count("SELECT rowid FROM DescriptionT WHERE TableName = 'M_lost'"), 1);
    EXPECT_EQ(tables->catalogue(kIpm, "lost")->descriptionText(), QString("new"));
}

} // namespace
