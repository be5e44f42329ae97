// The database: its file, settings and faults, the supply list and the stored tables.
#include "storage/DataFolder.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StoredTables.h"
#include "storage/SupplyList.h"
#include "tests/support/Files.h"
#include "tests/support/QtPrinting.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <numeric>
#include <thread>

namespace {

using namespace std::chrono_literals;
constexpr StoredKind kItp = StoredKind::InternalProgram;
constexpr StoredKind kEtp = StoredKind::ExternalProgram;
constexpr StoredKind kIpm = StoredKind::PresetMemory;
constexpr StoredKind kLog = StoredKind::DataLog;

std::unique_ptr<OvoltaDatabase> Open(const QString& folder)
{
    Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(folder);
    EXPECT_EQ(opened.error(), QString());
    return opened ? std::move(opened).value() : nullptr;
}

std::unique_ptr<SqlDatabase> OpenSql(const QString& path, const QByteArray& key)
{
    auto opened = SqlDatabase::open(path, key, SqlDatabase::OpenMode::CreateIfMissing);
    return opened ? std::move(opened).value() : nullptr;
}

// The message of a refusal ("" when the user is not told), or "accepted".
template <typename T> QString Refusal(const Outcome<T>& outcome)
{
    return outcome ? QStringLiteral("accepted") : outcome.error();
}

StoredTables::SaveInfo Info(const QString& description = {}, int sampling = 3)
{
    return { description, sampling, QDateTime(QDate(2026, 1, 15), QTime(10, 30, 5)) };
}

std::vector<ProgramStep> Steps(int count, const QString& v = "05.0")
{
    std::vector<ProgramStep> steps;
    for (int i = 1; i <= count; ++i)
        steps.push_back({ QString::number(i), v, "0.50", QString::number(i), "30", i % 2 == 1 });
    return steps;
}

std::vector<PresetRow> Presets()
{
    return { { "1", "05.0", "1.0" }, { "2", "05.0", "0.5" }, { "3", "05.0", "2.5" } };
}

LogSamples Log(std::size_t recorded)
{
    LogSamples log;
    std::iota(log.volts.begin(), log.volts.end(), 12.5f);
    log.amps.fill(0.125f);
    log.volts[recorded] = log.amps[recorded] = LogSamples::kEndMark;
    return log;
}

class StorageTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        db = Open(dir.path());
        ASSERT_TRUE(db);
        tables = std::make_unique<StoredTables>(*db);
    }
    bool exec(const QString& sql) { return db->sql().exec(sql); }
    // The rows of a query, one line each, cells split by '|'.
    QString rows(const QString& query, int cells = 1)
    {
        QString text;
        SqlStatement q = db->sql().prepare(query);
        for (int r = 0; q.step() == SqlStatement::Step::Row; ++r) {
            for (int c = 0; c < cells; ++c)
                text += QString(c ? "|" : r ? "\n" : "") + (q.isNull(c) ? "null" : q.text(c));
        }
        return text;
    }
    QString dump(const QString& table) { return rows("SELECT * FROM " + table, 8); }
    // A load of the kind: its message, or "accepted".
    QString load(StoredKind kind, const QString& name)
    {
        return kind == kIpm ? Refusal(tables->loadPresets(name).rows)
            : kind == kLog  ? Refusal(tables->loadLog(name).rows)
                            : Refusal(tables->loadProgram(kind, name).rows);
    }
    QString catalogue(StoredKind kind, const QString& name)
    {
        const auto row = tables->catalogue(kind, name).value_or(StoredTables::CatalogueRow {});
        return QStringList { row.name, row.sampling ? QString::number(*row.sampling) : "null",
            row.date.toString(Qt::ISODate), row.time.toString(Qt::ISODate),
            row.description.value_or("null") }
            .join('|');
    }

    QTemporaryDir dir;
    std::unique_ptr<OvoltaDatabase> db;
    std::unique_ptr<StoredTables> tables;
};

TEST_F(StorageTest, SettingsAndSystemTables)
{
    // The port is a 16-bit number, 1 without a row or a whole number in range.
    const std::pair<const char*, int> ports[]
        = { { nullptr, 1 }, { "NULL", 1 }, { "' 12 '", 12 }, { "''", 1 }, { "'abc'", 1 },
              { "'70000'", 1 }, { "'32767'", 32767 }, { "'-2'", -2 }, { "'4.6'", 5 } };
    for (const auto& [stored, port] : ports) {
        ASSERT_TRUE(exec("DELETE FROM SYS WHERE Object = 'CommPort'")
            && (!stored || exec(QString("INSERT INTO SYS VALUES ('CommPort', %1)").arg(stored))));
        EXPECT_EQ(db->CommPort(), port) << (stored ? stored : "no row");
    }
    // A write edits the first row of the key or adds one.
    ASSERT_TRUE(db->storeLanguage(0) && db->storeLanguage(0)
        && exec("INSERT INTO SYS VALUES ('CommPort', '9')") && db->storeCommPort(4));
    EXPECT_EQ(rows("SELECT Object, Property FROM SYS WHERE Object IN ('Language', 'CommPort')", 2),
        "CommPort|4\nLanguage|0\nCommPort|9");
    EXPECT_EQ(db->CommPort(), 4);
    EXPECT_TRUE(db->writeSetting("it's", "a'b"));
    EXPECT_EQ(db->readSetting("it's"), QString("a'b"));
    EXPECT_EQ(db->readSetting("missing"), std::nullopt);
    // Later starts create only the missing system tables.
    EXPECT_TRUE(db->CreateSystemTable("Other") && db->CreateSystemTable("sys")
        && !db->CreateSystemTable("SYS"));
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "MultiPS", "DescriptionT" }));
    ASSERT_TRUE(exec("DROP TABLE MultiPS; INSERT INTO SYS VALUES ('Custom', 'x'); "
                     "INSERT INTO DescriptionT (TableName) VALUES ('E_keep')"));
    tables.reset();
    ASSERT_TRUE((db = Open(dir.path())));
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "DescriptionT", "MultiPS" }));
    EXPECT_EQ(rows("SELECT count(*) FROM MultiPS UNION ALL SELECT count(*) FROM SYS UNION ALL "
                   "SELECT count(*) FROM DescriptionT"),
        "32\n9\n1");
    // "sys" is not "SYS", but the engine refuses it: no default rows land in it.
    ASSERT_TRUE(exec("DROP TABLE SYS; CREATE TABLE sys (Object, Property)"));
    ASSERT_TRUE((db = Open(dir.path())));
    EXPECT_EQ(rows("SELECT count(*) FROM sys"), "0");
    EXPECT_EQ(db->CommPort(), 1);
    const QString none = dir.filePath("none.db");
    EXPECT_FALSE(SqlDatabase::open(none, "k", SqlDatabase::OpenMode::ExistingOnly));
    EXPECT_FALSE(QFile::exists(none));
}

// The folder given, the program's, else the application's; a bad database: the engine's words.
TEST_F(StorageTest, DataFolderAndRefusedDatabases)
{
    const std::pair<DataFolder::Facts, QString> choices[] = {
        { { "", "/prog", true, false, "/app" }, "/prog" }, // the database is there
        { { "", "/prog", false, true, "/app" }, "/prog" }, // writable
        { { "", "/prog", false, false, "/app" }, "/app" },
    };
    for (const auto& [facts, folder] : choices)
        EXPECT_EQ(DataFolder::Choose(facts), folder);
    ASSERT_TRUE(WriteFile(dir.filePath("file"), ""));
    const QString wanted = dir.filePath("a/b");
    const QString blocked = dir.filePath("file/sub");
    const std::pair<QString, QString> resolves[] = {
        // A relative one: its ports/ links would be read as names under /dev.
        { QDir::current().relativeFilePath(wanted), wanted },
        { QString(), dir.path() }, // the program's folder that holds the database
        { blocked, "The folder '" + blocked + "' cannot be created." },
    };
    for (const auto& [given, folder] : resolves) {
        const Outcome<QString> resolved = DataFolder::Resolve(given, dir.path(), dir.filePath("x"));
        EXPECT_EQ(resolved ? *resolved : resolved.error(), folder);
    }
    EXPECT_TRUE(QFileInfo(wanted).isDir());
    const auto fallback = DataFolder::Resolve({}, dir.filePath("file"), dir.filePath("x"));
    EXPECT_TRUE(fallback && *fallback == dir.filePath("x")); // a program "folder" that is none
    ASSERT_TRUE(exec("CREATE TABLE L_pad (v REAL); WITH RECURSIVE n(i) AS (SELECT 1 UNION ALL "
                     "SELECT i + 1 FROM n WHERE i < 200) INSERT INTO L_pad SELECT 1.5 FROM n"));
    tables.reset();
    db.reset();
    const QByteArray good = FileBytes(dir.filePath("Ovolta.DB"));
    ASSERT_GT(good.size(), 4096);
    QByteArray damagedPage = good; // a sound header, a spoilt second page
    for (int i = 2100; i < 2300; ++i)
        damagedPage[i] = static_cast<char>(damagedPage[i] ^ 0x5a);
    ASSERT_TRUE(OpenSql(dir.filePath("other.db"), "secret")->exec("CREATE TABLE SYS (Object)"));
    const QByteArray files[]
        = { damagedPage, QByteArray(64, 'x') + good.mid(64), FileBytes(dir.filePath("other.db")),
              QByteArray("not a database, just text\n").repeated(200) };
    QTemporaryDir folders[4];
    std::vector<std::pair<QString, QString>> cases; // folder, message ("": any)
    for (int i = 0; i < 4; ++i) {
        ASSERT_TRUE(WriteFile(folders[i].filePath("Ovolta.DB"), files[i]));
        cases.push_back(
            { folders[i].path(), i == 2 ? "file is encrypted or is not a database" : "" });
    }
    const QString missing = "no-such-folder-" + QFileInfo(dir.path()).fileName() + "/sub";
    cases.push_back({ missing, "unable to open database file" });
    for (const auto& [folder, message] : cases) {
        const QString error = OvoltaDatabase::OpenDatabase(folder).error();
        const QString file = QDir::current().absoluteFilePath(folder + "/Ovolta.DB");
        EXPECT_TRUE(
            message.isEmpty() ? !error.isEmpty() : error == message + "\nDatabase file: " + file)
            << error.toStdString();
    }
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(FileBytes(folders[i].filePath("Ovolta.DB")), files[i]);
        EXPECT_EQ(QDir(folders[i].path()).entryList(QDir::Files), QStringList({ "Ovolta.DB" }));
    }
    EXPECT_FALSE(QFileInfo::exists(missing.section('/', 0, 0)));
}

// Another program's lock is waited for a moment; held longer it fails, and nothing is lost.
TEST_F(StorageTest, AnotherProgramsLockIsWaitedForAMoment)
{
    for (const bool brief : { true, false }) { // the other finishes while this one waits
        SCOPED_TRACE(brief);
        const auto other = OpenSql(dir.filePath("Ovolta.DB"), OvoltaDatabase::kPassword);
        ASSERT_TRUE(other && other->exec("BEGIN EXCLUSIVE; INSERT INTO SYS VALUES ('Other', '1')"));
        std::thread finish([&other, brief] {
            std::this_thread::sleep_for(100ms);
            if (brief)
                other->exec("COMMIT");
        });
        const QString failure
            = OvoltaDatabase::OpenDatabase(dir.path(), brief ? OvoltaDatabase::kBusyTimeout : 10ms)
                  .error();
        finish.join();
        EXPECT_TRUE(brief || other->exec("ROLLBACK"));
        EXPECT_EQ(
            failure.startsWith("database is locked") ? "locked" : failure, brief ? "" : "locked")
            << failure.toStdString();
    }
    EXPECT_EQ(rows("SELECT count(*) FROM SYS WHERE Object = 'Other'"), "1");
}

// Cut to the column, never mid-character; empty is Null; an unknown address changes nothing.
TEST_F(StorageTest, SupplyTextsAreCutToTheirColumnAndClearedToNull)
{
    SupplyList list(*db);
    const QString twenty = QStringLiteral("Bench 4, left shelf!");
    const QString a19(19, 'a');
    const std::tuple<bool, QString, QString> cases[] = { // description, typed, stored
        { false, "a\\b %_ *?", "a\\b %_ *?" }, { true, "\"north\" wall", "\"north\" wall" },
        { false, "Prüfplatz 'A' Ω", "Prüfplatz 'A' Ω" }, { false, twenty, twenty },
        { false, twenty + "X", twenty }, { false, a19 + QString::fromUcs4(U"\U0001F600"), a19 },
        { false, "", "" }, { true, QString(256, 'd'), QString(255, 'd') }, { true, "", "" }
    };
    for (const auto& [description, typed, stored] : cases) {
        const Outcome<SupplyList::Stored> result
            = description ? list.StoreDescription("05", typed) : list.StoreLocation("05", typed);
        ASSERT_TRUE(result) << result.error().toStdString();
        EXPECT_EQ(result->text, stored);
        EXPECT_EQ(result->cut, stored != typed);
        const SupplyList::Labels l = list.labels("05");
        EXPECT_EQ(
            QString::number(l.found) + (description ? l.description : l.location), "1" + stored);
    }
    ASSERT_TRUE(list.StoreLocation("01", "North") && list.StoreDescription("02", "it's [x]"));
    for (const QString address : { "32", "5", "0'; DROP TABLE MultiPS; --" }) {
        EXPECT_EQ(Refusal(list.StoreLocation(address, "Somewhere")), "");
        EXPECT_FALSE(list.labels(address).found);
    }
    EXPECT_EQ(
        rows("SELECT Location, Description FROM MultiPS WHERE AddressID IN ('01', '02', '05')", 2),
        "North|null\nnull|it's [x]\nnull|null");
    EXPECT_EQ(rows("SELECT count(*) FROM MultiPS"), "32");
}

// Steps numbered by place, outputs only in E_; a log is 1801 rows. Lists skip group logs; a
// replaced table goes last; case makes no other name; a catalogue row without table is reused.
TEST_F(StorageTest, TablesRoundTripAndAreListed)
{
    using StepList = std::vector<ProgramStep>;
    const std::tuple<StoredKind, StepList, StepList, qsizetype> cases[] = {
        { kEtp, Steps(20), Steps(20), 5 },
        { kEtp, { { "7", "1", "1", "0", "1", true }, { "", "2", "2", "0", "1", false } },
            { { "1", "1", "1", "0", "1", true }, { "2", "2", "2", "0", "1", false } }, 5 },
        { kItp, { { "1", "01.0", "0.10", "00", "05", false } },
            { { "1", "01.0", "0.10", "00", "05", std::nullopt } }, 4 },
    };
    for (const auto& [kind, saved, loaded, columns] : cases) {
        ASSERT_TRUE(tables->saveProgram(kind, "Burn-in", saved, Info("soak")));
        const Outcome<StepList> read = tables->loadProgram(kind, "Burn-in").rows;
        ASSERT_TRUE(read);
        EXPECT_EQ(*read, loaded);
        EXPECT_EQ(db->sql().columns(StoredTables::FullName(kind, "Burn-in")).size(), columns);
    }
    EXPECT_EQ(catalogue(kEtp, "Burn-in"), "Burn-in|3|2026-01-15|10:30:05|soak");
    EXPECT_EQ(rows("SELECT TableName, TableType, Date, Time FROM DescriptionT", 4),
        "E_Burn-in|1|2026-01-15|10:30:05\nP_Burn-in|0|2026-01-15|10:30:05");
    const LogSamples log = Log(4);
    ASSERT_TRUE(tables->saveLog("run", log, Info("night", 5)));
    EXPECT_EQ(rows("SELECT count(*), max(Time), sum(Voltage = -2.0) FROM L_run", 3), "1801|9000|1");
    const Outcome<LogSamples> loaded = tables->loadLog("run").rows;
    ASSERT_TRUE(loaded);
    EXPECT_TRUE(loaded->volts == log.volts && loaded->amps == log.amps);
    EXPECT_EQ(catalogue(kLog, "run"), "run|5|2026-01-15|10:30:05|night");
    ASSERT_TRUE(tables->saveLog("n", Log(1), Info()) && tables->saveProgram(kEtp, "a", {}, Info())
        && tables->saveLog("group", Log(1), Info("GroupLog"))
        && tables->saveLog("grouplog2", Log(1), Info("grouplog")));
    // Null catalogue fields read as missing; an empty description is stored as Null.
    ASSERT_TRUE(exec("UPDATE DescriptionT SET Sampling = NULL, Date = NULL, Time = NULL WHERE "
                     "TableName = 'L_n'; INSERT INTO DescriptionT (TableName, TableType) VALUES "
                     "('X_odd', '7'), ('X_neg', '-1'), ('X_null', NULL), ('M_lost', '2')"));
    EXPECT_EQ(catalogue(kLog, "n"), "n|null|||null");
    EXPECT_EQ(tables->tableLists(),
        (std::array<QStringList, 4> { QStringList { "Burn-in" }, { "Burn-in", "a" }, { "lost" },
            { "run", "n", "grouplog2" } }));
    EXPECT_TRUE(tables->exists(kLog, "group") && tables->exists(kEtp, "BURN-IN"));
    EXPECT_FALSE(tables->exists(kIpm, "Burn-in") || tables->exists(kIpm, "lost"));
    ASSERT_TRUE(tables->saveProgram(kEtp, "burn-IN", Steps(2, "09.9"), Info("new")));
    EXPECT_EQ(rows("SELECT Voltage FROM \"E_Burn-in\""), "09.9\n09.9");
    EXPECT_EQ(catalogue(kEtp, "BURN-in"), "burn-IN|3|2026-01-15|10:30:05|new");
    EXPECT_EQ(tables->names(kEtp), QStringList({ "a", "burn-IN" }));
    ASSERT_TRUE(tables->savePresets("lost", {}, Info("new")));
    EXPECT_EQ(rows("SELECT rowid, Description FROM DescriptionT WHERE TableName = 'M_lost'", 2),
        "11|new");
    ASSERT_TRUE(tables->remove(kEtp, "BURN-IN"));
    EXPECT_EQ(rows("SELECT count(*) FROM DescriptionT"), "10");
    EXPECT_FALSE(tables->exists(kEtp, "burn-in"));
    const QStringList names { "it's", "[bracket]", "a]b", "say \"hi\"", "a;b", "with space",
        "Größe", "名前", "x'); DROP TABLE SYS; --", "50% off_%" };
    for (const QString& name : names) {
        ASSERT_TRUE(tables->savePresets(name, Presets(), Info(name))) << name.toStdString();
        EXPECT_EQ(load(kIpm, name), "accepted");
        EXPECT_EQ(catalogue(kIpm, name), name + "|3|2026-01-15|10:30:05|" + name);
    }
    EXPECT_EQ(tables->names(kIpm), QStringList({ "lost" }) + names);
    for (const QString& name : names)
        EXPECT_TRUE(tables->remove(kIpm, name) && !tables->exists(kIpm, name))
            << name.toStdString();
    EXPECT_EQ(tables->names(kIpm), QStringList({ "lost" }));
}

TEST_F(StorageTest, FailedSaveOrDeleteLeavesTablesAndCatalogueExactly)
{
    ASSERT_TRUE(tables->saveLog("keep", Log(7), Info("first", 2)));
    ASSERT_TRUE(tables->saveProgram(kEtp, "keep", Steps(4), Info("e")));
    const auto state = [this] { return dump("L_keep") + dump("E_keep") + dump("DescriptionT"); };
    const QString before = state();
    const QString logBefore = dump("L_keep");
    using Fault = StoredTables::FaultPoint;
    const std::tuple<Fault, int, const char*> faults[] = {
        { Fault::AfterRows, 0, "Injected fault after 0 rows." },
        { Fault::BeforeCatalogue, 0, "Injected fault before the catalogue row." },
        { Fault::AfterRows, 900, "Injected fault after 900 rows." }, // the program has 20
    };
    for (const auto& [point, afterRows, message] : faults) {
        tables->injectFault(point, afterRows);
        EXPECT_EQ(Refusal(tables->saveLog("keep", Log(100), Info("second", 9))), message);
        const Outcome<void> program = tables->saveProgram(kEtp, "keep", Steps(20, "01"), Info());
        tables->injectFault(Fault::None);
        EXPECT_EQ(program.ok(), afterRows > 20) << message;
        EXPECT_EQ(afterRows > 20 ? dump("L_keep") : state(), afterRows > 20 ? logBefore : before);
    }
    tables->injectFault(Fault::BeforeCatalogue);
    EXPECT_FALSE(tables->remove(kLog, "keep"));
    tables->injectFault(Fault::None);
    EXPECT_EQ(dump("L_keep") + tables->names(kLog).join(','), logBefore + "keep");
}

// No name, or not 3 presets / 1801 samples: refused silently; else with a message; nothing changes.
TEST_F(StorageTest, BadInputIsRefusedAndChangesNothing)
{
    const auto etp = [this](const QString& name, const std::vector<ProgramStep>& steps = Steps(1),
                         const StoredTables::SaveInfo& info = Info()) {
        return Refusal(tables->saveProgram(kEtp, name, steps, info));
    };
    const auto log = [this](int sampling) {
        return Refusal(tables->saveLog("t", Log(1), Info("", sampling)));
    };
    ASSERT_TRUE(tables->saveProgram(kEtp, "t", Steps(2), Info("x")));
    ASSERT_TRUE(tables->saveLog("ghost", Log(1), Info())); // a log, not a preset table
    for (const QString name : { "", "(Untitle)", "(untitle)", "   " }) {
        EXPECT_EQ(etp(name) + Refusal(tables->remove(kEtp, name)) + load(kEtp, name), "");
        EXPECT_FALSE(tables->exists(kEtp, name));
    }
    ASSERT_TRUE(tables->savePresets("m0", {}, Info()) && tables->saveLog("cut", Log(1), Info())
        && tables->savePresets("m2", std::vector<PresetRow>(2, { "1", "1", "1" }), Info())
        && tables->savePresets("m4", std::vector<PresetRow>(4, { "1", "1", "1" }), Info()));
    EXPECT_TRUE(tables->loadPresets("m2").catalogue); // its description still shows
    // Tables made by another program: one row short, or without a column that is read.
    ASSERT_TRUE(exec("DELETE FROM L_cut WHERE rowid = 1801; CREATE TABLE E_x (Voltage, Current, "
                     "Minute, Second); CREATE TABLE P_x (voltage, current, Second); CREATE TABLE "
                     "M_x (Voltage, Amps); CREATE TABLE L_x (Time, Volts, Current); WITH RECURSIVE "
                     "n(i) AS (SELECT 1 UNION ALL SELECT i + 1 FROM n WHERE i < 1801) INSERT INTO "
                     "L_x (rowid) SELECT i FROM n"));
    const QString before = dump("E_t") + dump("L_ghost") + dump("DescriptionT");
    std::vector<ProgramStep> longCell = Steps(3);
    longCell[2].voltage = "12.345";
    const QString noColumn("The stored table 'x' has no column '%1': it cannot be loaded.");
    const QString control("A table name cannot hold control characters.");
    const QString n49(49, 'n');
    const std::pair<QString, QString> cases[] = {
        { load(kIpm, "m0") + load(kIpm, "m2") + load(kIpm, "m4") + load(kLog, "cut"), "" },
        { Refusal(tables->remove(kIpm, "ghost")), "' ghost ' table no exist !" }, // other kind
        { load(kEtp, "x"), noColumn.arg("Output") },
        { load(kItp, "x"), noColumn.arg("Minute") },
        { load(kIpm, "x"), noColumn.arg("Current") },
        { load(kLog, "x"), noColumn.arg("Voltage") },
        { Refusal(tables->saveProgram(kLog, "p", Steps(1), Info())),
            "Only program tables are saved as programs." },
        { etp("t", longCell), "The Voltage text '12.345' of row 3 is longer than 4 characters." },
        { Refusal(tables->savePresets("t", { { "1", "1", "1" }, { "2", "1", "0.123" } }, Info())),
            "The Current text '0.123' of row 2 is longer than 4 characters." },
        { etp(n49), "The name '" + n49 + "' is too long: a name has at most 48 characters." },
        { etp("a\nb"), control },
        { etp(QString("a") + QChar(0x7f)), control },
        { etp("t", Steps(1), Info(QString(256, 'd'))),
            "The description is too long: it has at most 255 characters." },
        { log(32768), "The sampling time 32768 s is out of range (0 to 32767)." },
        { log(-1), "The sampling time -1 s is out of range (0 to 32767)." },
    };
    for (const auto& [refusal, message] : cases)
        EXPECT_EQ(refusal, message);
    EXPECT_EQ(dump("E_t") + dump("L_ghost") + dump("DescriptionT"), before);
    EXPECT_EQ(db->sql().tableNames().size(), 13);
    // At the edges: 48 characters after the prefix fit the catalogue's 50.
    EXPECT_EQ(
        etp(QString(48, 'n'), Steps(1), Info(QString(255, 'd'))) + log(32767), "acceptedaccepted");
    // Forgetting a missing table leaves stored tables alone, of any kind.
    EXPECT_TRUE(tables->forgetMissing(kLog, "ghost") && tables->forgetMissing(kIpm, "ghost"));
    EXPECT_EQ(tables->names(kLog), QStringList({ "ghost", "cut", "t" }));
    ASSERT_TRUE(exec("DROP TABLE \"L_ghost\""));
    EXPECT_TRUE(tables->forgetMissing(kLog, "GHOST"));
    EXPECT_EQ(tables->names(kLog), QStringList({ "cut", "t" }));
}

} // namespace
