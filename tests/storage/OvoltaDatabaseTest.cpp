#include "storage/OvoltaDatabase.h"
#include "storage/SqlTransaction.h"
#include "storage/StoredTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QTemporaryDir>
#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace {

QByteArray FileBytes(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

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
    QTemporaryDir dir;
};

TEST_F(OvoltaDatabaseTest, FirstStartCreatesSystemTablesWithDefaultRows)
{
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_TRUE(QFile::exists(dbPath()));
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "MultiPS", "DescriptionT" }));
    EXPECT_TRUE(db->storeLanguage(0));
    EXPECT_EQ(Column(db->sql(), "SELECT Object || '=' || Property FROM SYS ORDER BY rowid"),
        QStringList({ "CommPort=1", "ThumbnailW=35", "ThumbnailH=26", "ShowTandL=1", "Scale43=N",
            "Language=0" }));
    QStringList addresses;
    for (int i = 0; i < 32; ++i)
        addresses << QString::asprintf("%02d", i);
    EXPECT_EQ(Column(db->sql(), "SELECT AddressID FROM MultiPS ORDER BY rowid"), addresses);
    EXPECT_EQ(Column(db->sql(),
                  "SELECT DISTINCT MaxV||','||MinV||','||MaxC||','||MinC||','||MaxW||','||MinW"
                  "||','||MaxT||','||MinT||','||ifnull(Location,'N')||ifnull(Connect,'N')"
                  "||ifnull(Visible,'N')||ifnull(Description,'N') FROM MultiPS"),
        QStringList({ "40.0,0.0,10.0,0.0,200,0,180,0,NNNN" }));
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM DescriptionT"), QStringList({ "0" }));
}

TEST_F(OvoltaDatabaseTest, SchemaKeepsFieldOrderTypesAndSizes)
{
    auto db = open();
    ASSERT_TRUE(db);
    using Columns = QList<std::pair<QString, QString>>;
    EXPECT_EQ(db->sql().columns("SYS"),
        Columns({ { "Object", "VARCHAR(30)" }, { "Property", "VARCHAR(30)" } }));
    EXPECT_EQ(db->sql().columns("MultiPS"),
        Columns({ { "AddressID", "VARCHAR(4)" }, { "Location", "VARCHAR(20)" },
            { "Connect", "BOOLEAN" }, { "Visible", "BOOLEAN" }, { "MaxV", "REAL" },
            { "MinV", "REAL" }, { "MaxC", "REAL" }, { "MinC", "REAL" }, { "MaxW", "INTEGER" },
            { "MinW", "INTEGER" }, { "MaxT", "INTEGER" }, { "MinT", "INTEGER" },
            { "Description", "VARCHAR(255)" } }));
    EXPECT_EQ(db->sql().columns("DescriptionT"),
        Columns({ { "TableName", "VARCHAR(50)" }, { "TableType", "VARCHAR(8)" },
            { "Address", "VARCHAR(8)" }, { "Location", "VARCHAR(20)" }, { "Sampling", "INTEGER" },
            { "Date", "DATETIME" }, { "Time", "DATETIME" }, { "Description", "VARCHAR(255)" } }));
    EXPECT_EQ(db->declaredSize("MultiPS", "Location"), 20);
    EXPECT_EQ(db->declaredSize("MultiPS", "Description"), 255);
    EXPECT_EQ(db->declaredSize("MultiPS", "MaxV"), std::nullopt);
    EXPECT_EQ(db->declaredSize("MultiPS", "NoSuchColumn"), std::nullopt);
}

TEST_F(OvoltaDatabaseTest, ReopeningKeepsStoredSettings)
{
    {
        auto db = open();
        ASSERT_TRUE(db);
        EXPECT_TRUE(db->storeCommPort(7));
    }
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->CommPort(), 7);
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM SYS"), QStringList({ "5" }));
}

TEST_F(OvoltaDatabaseTest, MissingMultiPsIsAddedAndOthersLeftAlone)
{
    {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->sql().exec("DROP TABLE MultiPS"));
        ASSERT_TRUE(db->writeSetting("Custom", "x"));
        ASSERT_TRUE(db->sql().exec(
            "INSERT INTO DescriptionT (TableName, TableType) VALUES ('E_keep', '1')"));
    }
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "DescriptionT", "MultiPS" }));
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM MultiPS"), QStringList({ "32" }));
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM SYS"), QStringList({ "6" }));
    EXPECT_EQ(Column(db->sql(), "SELECT TableName FROM DescriptionT"), QStringList({ "E_keep" }));
}

TEST_F(OvoltaDatabaseTest, SystemTableCheckIsCaseSensitiveAndAddsNoRowsToAForeignTable)
{
    {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_TRUE(db->sql().exec("DROP TABLE SYS"));
        ASSERT_TRUE(db->sql().exec("CREATE TABLE sys (Object VARCHAR(30), Property VARCHAR(30))"));
    }
    // "sys" is not "SYS"; the engine refuses the second table, and the default
    // rows must not land in the table that is there.
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM sys"), QStringList({ "0" }));
    EXPECT_EQ(db->CommPort(), 1);
}

TEST_F(OvoltaDatabaseTest, CreateSystemTableIgnoresOtherNames)
{
    auto db = open();
    ASSERT_TRUE(db);
    EXPECT_TRUE(db->CreateSystemTable("Other"));
    EXPECT_TRUE(db->CreateSystemTable("sys"));
    EXPECT_EQ(db->sql().tableNames(), QStringList({ "SYS", "MultiPS", "DescriptionT" }));
    EXPECT_FALSE(db->CreateSystemTable("SYS")); // already there: refused, no rows added
    EXPECT_EQ(Column(db->sql(), "SELECT count(*) FROM SYS"), QStringList({ "5" }));
}

TEST_F(OvoltaDatabaseTest, CommPortReadsAs16BitNumberWithDefaultOne)
{
    struct Case {
        const char* stored; // nullptr: no row; "<null>": Null Property
        int expected;
    };
    const Case cases[] = {
        { nullptr, 1 },
        { "<null>", 1 },
        { "3", 3 },
        { " 12 ", 12 },
        { "", 1 },
        { "abc", 1 },
        { "70000", 1 },
        { "32767", 32767 },
        { "-2", -2 },
        { "4.6", 5 },
    };
    auto db = open();
    ASSERT_TRUE(db);
    for (const Case& c : cases) {
        ASSERT_TRUE(db->sql().exec("DELETE FROM SYS WHERE Object = 'CommPort'"));
        if (c.stored && QByteArray(c.stored) == "<null>") {
            ASSERT_TRUE(db->sql().exec("INSERT INTO SYS VALUES ('CommPort', NULL)"));
        } else if (c.stored) {
            ASSERT_TRUE(db->writeSetting("CommPort", c.stored));
        }
        EXPECT_EQ(db->CommPort(), c.expected) << (c.stored ? c.stored : "no row");
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
    QByteArray damagedHead = good;
    for (int i = 0; i < 64; ++i)
        damagedHead[i] = 'x';

    QString otherKeyPath = QDir(dir.path()).filePath("other.db");
    {
        auto other = OpenSql(otherKeyPath, "secret");
        ASSERT_TRUE(other);
        ASSERT_TRUE(other->exec("CREATE TABLE SYS (Object, Property)"));
    }
    const QByteArray otherKey = FileBytes(otherKeyPath);

    struct Case {
        const char* what;
        QByteArray bytes;
    };
    const Case cases[] = {
        { "damaged page", damagedPage },
        { "damaged header", damagedHead },
        { "other password", otherKey },
        { "text file", QByteArray("this is not a database at all, just text\n").repeated(100) },
    };
    for (const Case& c : cases) {
        QTemporaryDir folder;
        const QString path = QDir(folder.path()).filePath("Ovolta.DB");
        {
            QFile file(path);
            ASSERT_TRUE(file.open(QIODevice::WriteOnly));
            file.write(c.bytes);
        }
        Outcome<std::unique_ptr<OvoltaDatabase>> result
            = OvoltaDatabase::OpenDatabase(folder.path());
        EXPECT_FALSE(result) << c.what;
        EXPECT_FALSE(result.error().isEmpty()) << c.what;
        EXPECT_EQ(FileBytes(path), c.bytes) << c.what;
        EXPECT_EQ(QDir(folder.path()).entryList(QDir::Files), QStringList({ "Ovolta.DB" }))
            << c.what;
    }
}

TEST_F(OvoltaDatabaseTest, WrongPasswordGivesTheEngineMessage)
{
    {
        auto other = OpenSql(dbPath(), "secret");
        ASSERT_TRUE(other);
        ASSERT_TRUE(other->exec("CREATE TABLE t (a)"));
    }
    Outcome<std::unique_ptr<OvoltaDatabase>> result = OvoltaDatabase::OpenDatabase(dir.path());
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error(),
        QString("file is encrypted or is not a database\nDatabase file: ") + dbPath());
}

TEST_F(OvoltaDatabaseTest, UnwritableFolderFailsWithoutLeavingAFile)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    const QString locked = QDir(dir.path()).filePath("locked");
    ASSERT_TRUE(QDir().mkpath(locked));
    ASSERT_TRUE(QFile::setPermissions(locked, QFile::ReadOwner | QFile::ExeOwner));
    Outcome<std::unique_ptr<OvoltaDatabase>> result = OvoltaDatabase::OpenDatabase(locked);
    QFile::setPermissions(locked, QFile::ReadOwner | QFile::WriteOwner | QFile::ExeOwner);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error(),
        QString("unable to open database file\nDatabase file: ") + locked + "/Ovolta.DB");
    EXPECT_FALSE(QFile::exists(QDir(locked).filePath("Ovolta.DB")));
}

TEST_F(OvoltaDatabaseTest, ReadOnlyFileIsRefusedAndUnchanged)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the superuser";
    open().reset();
    const QByteArray before = FileBytes(dbPath());
    ASSERT_TRUE(QFile::setPermissions(dbPath(), QFile::ReadOwner));
    Outcome<std::unique_ptr<OvoltaDatabase>> result = OvoltaDatabase::OpenDatabase(dir.path());
    QFile::setPermissions(dbPath(), QFile::ReadOwner | QFile::WriteOwner);
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error(),
        QString("attempt to write a readonly database\nDatabase file: ") + dbPath());
    EXPECT_EQ(FileBytes(dbPath()), before);
}

TEST_F(OvoltaDatabaseTest, MissingFolderIsAnErrorNotACrashAndTheMessageGivesTheFullPath)
{
    const QString folder = "no-such-folder-" + QFileInfo(dir.path()).fileName();
    Outcome<std::unique_ptr<OvoltaDatabase>> result = OvoltaDatabase::OpenDatabase(folder + "/sub");
    EXPECT_FALSE(result);
    EXPECT_EQ(result.error(),
        "unable to open database file\nDatabase file: "
            + QDir::current().absoluteFilePath(folder + "/sub/Ovolta.DB"));
    EXPECT_FALSE(QFileInfo::exists(folder));
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
    enum class Action { Open, Save };
    struct Case {
        const char* what;
        Action action;
        const char* begin;
        bool brief;
    };
    const Case cases[] = {
        { "start-up, reading held off a moment", Action::Open, "BEGIN EXCLUSIVE", true },
        { "start-up, reading held off", Action::Open, "BEGIN EXCLUSIVE", false },
        { "save, writing held off a moment", Action::Save, "BEGIN IMMEDIATE", true },
        { "save, writing held off", Action::Save, "BEGIN IMMEDIATE", false },
    };
    {
        auto db = open();
        ASSERT_TRUE(db);
        ASSERT_TRUE(StoredTables(*db).savePresets("kept", kept, info).ok());
    }
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        // The case that must fail waits only briefly.
        const std::chrono::milliseconds wait = c.brief ? OvoltaDatabase::kBusyTimeout : 10ms;
        std::unique_ptr<OvoltaDatabase> db;
        if (c.action == Action::Save) {
            Outcome<std::unique_ptr<OvoltaDatabase>> opened
                = OvoltaDatabase::OpenDatabase(dir.path(), wait);
            ASSERT_TRUE(opened);
            db = std::move(opened).value();
        }
        auto other
            = OpenSql(dbPath(), OvoltaDatabase::kPassword, SqlDatabase::OpenMode::ExistingOnly);
        ASSERT_TRUE(other);
        ASSERT_TRUE(other->exec(c.begin));
        ASSERT_TRUE(other->exec("INSERT INTO SYS VALUES ('Other', '1')"));
        // The other program finishes while this one waits.
        std::thread finish;
        if (c.brief) {
            finish = std::thread([&other] {
                std::this_thread::sleep_for(100ms);
                other->exec("COMMIT");
            });
        }
        QString failure;
        if (c.action == Action::Open) {
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

        if (c.brief)
            EXPECT_EQ(failure, QString());
        else
            EXPECT_TRUE(failure.startsWith("database is locked")) << failure.toStdString();
        if (c.action == Action::Save) {
            StoredTables tables(*db);
            const StoredTables::PresetLoad load = tables.loadPresets("kept");
            ASSERT_TRUE(load.rows);
            EXPECT_EQ(*load.rows, c.brief ? next : kept);
            ASSERT_TRUE(tables.savePresets("kept", kept, info).ok());
        }
    }
}

TEST(SqlDatabaseTest, QuotedIdentifiersCarryAnyName)
{
    QTemporaryDir dir;
    auto db = OpenSql(QDir(dir.path()).filePath("q.db"));
    ASSERT_TRUE(db);
    const QStringList names { "a\"b", "x'); DROP TABLE t; --", "[br]", "sp ace", "Größe" };
    for (const QString& name : names)
        EXPECT_TRUE(db->exec("CREATE TABLE " + SqlDatabase::quoteIdentifier(name) + " (v)"))
            << name.toStdString() << db->lastError().toStdString();
    EXPECT_EQ(db->tableNames(), names);
    EXPECT_EQ(SqlDatabase::quoteIdentifier("a\"b"), QString("\"a\"\"b\""));
}

TEST(SqlDatabaseTest, TransactionRollsBackUnlessCommitted)
{
    QTemporaryDir dir;
    auto db = OpenSql(QDir(dir.path()).filePath("t.db"));
    ASSERT_TRUE(db);
    ASSERT_TRUE(db->exec("CREATE TABLE t (v)"));
    {
        SqlTransaction transaction(*db);
        ASSERT_TRUE(transaction.ok());
        ASSERT_TRUE(db->exec("INSERT INTO t VALUES (1)"));
        ASSERT_TRUE(db->exec("DROP TABLE t"));
    }
    {
        SqlTransaction transaction(*db);
        ASSERT_TRUE(db->exec("INSERT INTO t VALUES (2)"));
        EXPECT_TRUE(transaction.commit());
    }
    SqlStatement count = db->prepare("SELECT group_concat(v) FROM t");
    ASSERT_EQ(count.step(), SqlStatement::Step::Row);
    EXPECT_EQ(count.text(0), QString("2"));
}

TEST(SqlDatabaseTest, BadStatementReportsTheEngineMessage)
{
    QTemporaryDir dir;
    auto db = OpenSql(QDir(dir.path()).filePath("e.db"));
    ASSERT_TRUE(db);
    SqlStatement bad = db->prepare("SELECT * FROM nowhere");
    EXPECT_FALSE(bad.ok());
    EXPECT_EQ(bad.error(), QString("no such table: nowhere"));
    EXPECT_EQ(bad.step(), SqlStatement::Step::Error);
    EXPECT_FALSE(db->exec("NOT SQL"));
    EXPECT_FALSE(db->lastError().isEmpty());
}

TEST(SqlDatabaseTest, ExistingOnlyDoesNotCreateAFile)
{
    QTemporaryDir dir;
    const QString path = QDir(dir.path()).filePath("none.db");
    const Outcome<std::unique_ptr<SqlDatabase>> db
        = SqlDatabase::open(path, "k", SqlDatabase::OpenMode::ExistingOnly);
    EXPECT_FALSE(db);
    EXPECT_FALSE(db.error().isEmpty());
    EXPECT_FALSE(QFile::exists(path));
}

} // namespace
