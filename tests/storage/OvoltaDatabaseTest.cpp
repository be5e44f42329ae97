#include "storage/OvoltaDatabase.h"
#include "storage/SqlTransaction.h"
#include "storage/StoredTables.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

// The database at path, or nothing when it cannot be opened.
std::unique_ptr<SqlDatabase> OpenSql(const QString& path, const QByteArray& key = "k",
    SqlDatabase::OpenMode mode = SqlDatabase::OpenMode::CreateIfMissing)
{
    Outcome<std::unique_ptr<SqlDatabase>> opened = SqlDatabase::open(path, key, mode);
    EXPECT_EQ(opened.error(), QString());
    return opened ? std::move(opened).value() : nullptr;
}

QStringList Column(SqlDatabase& sql, const QString& query)
{
    QStringList values;
    SqlStatement statement = sql.prepare(query);
    while (statement.step() == SqlStatement::Step::Row)
        values << (statement.isNull(0) ? QStringLiteral("<null>") : statement.text(0));
    return values;
}

class OvoltaDatabaseTest : public ::testing::Test {
protected:
    QString dbPath() const { return QDir(dir.path()).filePath("Ovolta.DB"); }
    std::unique_ptr<OvoltaDatabase> open()
    {
        Outcome<std::unique_ptr<OvoltaDatabase>> opened = OvoltaDatabase::OpenDatabase(dir.path());
        EXPECT_EQ(opened.error(), QString());
        return opened ? std::move(opened).value() : nullptr;
    }
    QString count(OvoltaDatabase& db, const char* table)
    {
        return Column(db.sql(), QStringLiteral("SELECT count(*) FROM %1").arg(table)).join(',');
    }
    QTemporaryDir dir;
};

// The first start creates the three system tables with their default rows;
// later starts add only the missing ones and leave the rest as they are.
TEST_F(OvoltaDatabaseTest, SystemTablesAreCreatedWhenMissing)
{
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "MultiPS", "DescriptionT" }));
    EXPECT_EQ(Column(db->sql(), "SELECT Object || '=' || Property FROM SYS ORDER BY rowid"),
        QStringList(
            { "CommPort=1", "ThumbnailW=35", "ThumbnailH=26", "ShowTandL=1", "Scale43=N" }));
    // Only the three system names are created, and only when missing.
    EXPECT_TRUE(db->CreateSystemTable("Other") && db->CreateSystemTable("sys"));
    EXPECT_FALSE(db->CreateSystemTable("SYS"));
    EXPECT_EQ(db->sql().tableNames().size(), 3);
    ASSERT_TRUE(db->sql().exec("DROP TABLE MultiPS"));
    ASSERT_TRUE(db->writeSetting("Custom", "x"));
    ASSERT_TRUE(db->sql().exec("INSERT INTO DescriptionT (TableName) VALUES ('E_keep')"));
    db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "DescriptionT", "MultiPS" }));
    EXPECT_EQ(QStringList({ count(*db, "MultiPS"), count(*db, "SYS"), count(*db, "DescriptionT") }),
        QStringList({ "32", "6", "1" }));
    // "sys" is not "SYS"; the engine refuses the second table, and the default
    // rows must not land in the table that is there.
    ASSERT_TRUE(db->sql().exec("DROP TABLE SYS"));
    ASSERT_TRUE(db->sql().exec("CREATE TABLE sys (Object, Property)"));
    db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(count(*db, "sys"), "0");
    EXPECT_EQ(db->CommPort(), 1);
}

TEST_F(OvoltaDatabaseTest, CommPortReadsAs16BitNumberWithDefaultOne)
{
    // nullptr: no row; "<null>": Null Property
    const std::pair<const char*, int> cases[]
        = { { nullptr, 1 }, { "<null>", 1 }, { "3", 3 }, { " 12 ", 12 }, { "", 1 }, { "abc", 1 },
              { "70000", 1 }, { "32767", 32767 }, { "-2", -2 }, { "4.6", 5 } };
    auto db = open();
    ASSERT_TRUE(db);
    for (const auto& [stored, expected] : cases) {
        ASSERT_TRUE(db->sql().exec("DELETE FROM SYS WHERE Object = 'CommPort'"));
        if (stored && QByteArray(stored) == "<null>") {
            ASSERT_TRUE(db->sql().exec("INSERT INTO SYS VALUES ('CommPort', NULL)"));
        } else if (stored) {
            ASSERT_TRUE(db->writeSetting("CommPort", stored));
        }
        EXPECT_EQ(db->CommPort(), expected) << (stored ? stored : "no row");
    }
}

TEST_F(OvoltaDatabaseTest, SettingWriteEditsTheFirstRowOrAddsOne)
{
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->storeLanguage(0));
    EXPECT_TRUE(db->storeLanguage(0));
    EXPECT_EQ(Column(db->sql(), "SELECT Property FROM SYS WHERE Object = 'Language'"),
        QStringList({ "0" }));
    ASSERT_TRUE(db->sql().exec("INSERT INTO SYS VALUES ('CommPort', '9')"));
    EXPECT_TRUE(db->storeCommPort(4));
    EXPECT_EQ(
        Column(db->sql(), "SELECT Property FROM SYS WHERE Object = 'CommPort' ORDER BY rowid"),
        QStringList({ "4", "9" }));
    EXPECT_EQ(db->CommPort(), 4);
    // Keys with quotes are values like any other.
    EXPECT_TRUE(db->writeSetting("it's", "a'b"));
    EXPECT_EQ(db->readSetting("it's"), QString("a'b"));
    EXPECT_EQ(db->readSetting("missing"), std::nullopt);
}

// Opening must refuse these files with the engine's message and leave them
// exactly as they were.
TEST_F(OvoltaDatabaseTest, RefusedFilesStayByteForByte)
{
    {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->sql().exec("CREATE TABLE \"L_pad\" (v REAL)"));
        SqlTransaction transaction(db->sql());
        for (int i = 0; i < 200; ++i)
            ASSERT_TRUE(db->sql().exec("INSERT INTO \"L_pad\" VALUES (1.5)"));
        ASSERT_TRUE(transaction.commit());
    }
    const QByteArray good = FileBytes(dbPath());
    ASSERT_GT(good.size(), 4096);
    QByteArray damagedPage = good;
    for (int i = 2100; i < 2300; ++i)
        damagedPage[i] = static_cast<char>(damagedPage[i] ^ 0x5a);
    const QByteArray damagedHead = QByteArray(64, 'x') + good.mid(64);
    const QString otherKeyPath = QDir(dir.path()).filePath("other.db");
    ASSERT_TRUE(OpenSql(otherKeyPath, "secret")->exec("CREATE TABLE SYS (Object, Property)"));

    const std::pair<const char*, QByteArray> cases[] = {
        { "", damagedPage },
        { "", damagedHead },
        { "file is encrypted or is not a database\nDatabase file: ", FileBytes(otherKeyPath) },
        { "", QByteArray("this is not a database at all, just text\n").repeated(100) },
    };
    for (const auto& [message, bytes] : cases) {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath("Ovolta.DB");
        ASSERT_TRUE(WriteFile(path, bytes));
        const Outcome<std::unique_ptr<OvoltaDatabase>> result
            = OvoltaDatabase::OpenDatabase(folder.path());
        EXPECT_FALSE(result);
        EXPECT_FALSE(result.error().isEmpty());
        if (*message) {
            EXPECT_EQ(result.error(), message + path);
        }
        EXPECT_EQ(FileBytes(path), bytes);
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({ "Ovolta.DB" }));
    }
}

// A folder or file that cannot be written, or no folder at all: the engine's
// message with the full path, and nothing made or changed.
TEST_F(OvoltaDatabaseTest, UnwritableOrMissingPlacesAreRefused)
{
    const QString locked = QDir(dir.path()).filePath("locked");
    const QString made = QDir(dir.path()).filePath("made");
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QDir().mkpath(made));
    OvoltaDatabase::OpenDatabase(made).value().reset();
    const QByteArray before = FileBytes(made + "/Ovolta.DB");
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    ASSERT_TRUE(QFile::setPermissions(made + "/Ovolta.DB", QFile::ReadOwner));
    const QString missing = "no-such-folder-" + QFileInfo(dir.path()).fileName() + "/sub";
    const bool root = geteuid() == 0; // permissions do not bind the superuser
    struct Case {
        QString folder;
        const char* message;
        bool skip;
    };
    const Case cases[] = {
        { locked, "unable to open database file", root },
        { made, "attempt to write a readonly database", root },
        { missing, "unable to open database file", false },
    };
    for (const Case& c : cases) {
        if (c.skip)
            continue;
        const Outcome<std::unique_ptr<OvoltaDatabase>> result
            = OvoltaDatabase::OpenDatabase(c.folder);
        EXPECT_FALSE(result);
        EXPECT_EQ(result.error(),
            QString(c.message)
                + "\nDatabase file: " + QDir::current().absoluteFilePath(c.folder + "/Ovolta.DB"));
    }
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    QFile::setPermissions(made + "/Ovolta.DB", QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(QFile::exists(locked + "/Ovolta.DB"));
    EXPECT_EQ(FileBytes(made + "/Ovolta.DB"), before);
    EXPECT_FALSE(QFileInfo::exists(missing.section('/', 0, 0)));
}

// Another program writing to the file: a lock it holds for a moment is waited
// for; one held longer than the wait fails with the engine's message, and
// nothing stored is lost.
TEST_F(OvoltaDatabaseTest, AnotherProgramsLockIsWaitedForAMoment)
{
    using namespace std::chrono_literals;
    const std::vector<PresetRow> kept { { "1", "05.0", "1.0" }, { "2", "12.0", "0.5" },
        { "3", "24.0", "2.5" } };
    const std::vector<PresetRow> next { { "1", "01.0", "0.1" }, { "2", "02.0", "0.2" },
        { "3", "03.0", "0.3" } };
    const StoredTables::SaveInfo info { "d", 3, QDateTime(QDate(2026, 1, 15), QTime(10, 0)) };
    struct Case {
        bool save; // else start-up
        bool brief; // the other program finishes while this one waits
    };
    const Case cases[] = { { false, true }, { false, false }, { true, true }, { true, false } };
    {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_TRUE(StoredTables(*db).savePresets("kept", kept, info).ok());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "save " << c.save << " brief " << c.brief);
        // The case that must fail waits only briefly.
        const std::chrono::milliseconds wait = c.brief ? OvoltaDatabase::kBusyTimeout : 10ms;
        std::unique_ptr<OvoltaDatabase> db;
        if (c.save) {
            Outcome<std::unique_ptr<OvoltaDatabase>> opened
                = OvoltaDatabase::OpenDatabase(dir.path(), wait);
            ASSERT_TRUE(opened);
            db = std::move(opened).value();
        }
        auto other
            = OpenSql(dbPath(), OvoltaDatabase::kPassword, SqlDatabase::OpenMode::ExistingOnly);
        ASSERT_TRUE(other);
        ASSERT_TRUE(other->exec(c.save ? "BEGIN IMMEDIATE" : "BEGIN EXCLUSIVE"));
        ASSERT_TRUE(other->exec("INSERT INTO SYS VALUES ('Other', '1')"));
        std::thread finish;
        if (c.brief) {
            finish = std::thread([&other] {
                std::this_thread::sleep_for(100ms);
                other->exec("COMMIT");
            });
        }
        QString failure;
        if (!c.save) {
            const Outcome<std::unique_ptr<OvoltaDatabase>> opened
                = OvoltaDatabase::OpenDatabase(dir.path(), wait);
            failure = opened.error();
            EXPECT_EQ(opened.ok(), c.brief);
        } else {
            failure = StoredTables(*db).savePresets("kept", next, info).error();
        }
        if (finish.joinable())
            finish.join();
        else
            EXPECT_TRUE(other->exec("ROLLBACK"));
        other.reset();
        EXPECT_EQ(failure.startsWith("database is locked"), !c.brief) << failure.toStdString();
        EXPECT_EQ(failure.isEmpty(), c.brief);
        if (c.save) {
            StoredTables tables(*db);
            const StoredTables::PresetLoad load = tables.loadPresets("kept");
            ASSERT_TRUE(load.rows);
            EXPECT_EQ(*load.rows, c.brief ? next : kept);
            ASSERT_TRUE(tables.savePresets("kept", kept, info).ok());
        }
    }
}

// Odd table names are tried through StoredTables (OddNamesSaveListLoadAndDelete).
TEST(SqlDatabaseTest, TransactionsAndErrors)
{
    QTemporaryDir dir;
    auto db = OpenSql(QDir(dir.path()).filePath("q.db"));
    ASSERT_TRUE(db && db->exec("CREATE TABLE t (v)"));
    {
        SqlTransaction transaction(*db); // not committed: rolled back
        ASSERT_TRUE(transaction.ok());
        ASSERT_TRUE(db->exec("INSERT INTO t VALUES (1)"));
        ASSERT_TRUE(db->exec("DROP TABLE t"));
    }
    {
        SqlTransaction transaction(*db);
        ASSERT_TRUE(db->exec("INSERT INTO t VALUES (2)"));
        EXPECT_TRUE(transaction.commit());
    }
    EXPECT_EQ(Column(*db, "SELECT group_concat(v) FROM t"), QStringList({ "2" }));
    SqlStatement bad = db->prepare("SELECT * FROM nowhere");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.error(), QString("no such table: nowhere"));
    EXPECT_EQ(bad.step(), SqlStatement::Step::Error);
    EXPECT_FALSE(db->exec("NOT SQL"));
    EXPECT_FALSE(db->lastError().isEmpty());
    const QString none = QDir(dir.path()).filePath("none.db");
    EXPECT_FALSE(SqlDatabase::open(none, "k", SqlDatabase::OpenMode::ExistingOnly));
    EXPECT_FALSE(QFile::exists(none));
}

} // namespace
