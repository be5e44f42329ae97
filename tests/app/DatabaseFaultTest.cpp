// The database file when things go wrong around it: locked by another program, read-only,
// damaged, or a table dropped behind the program's back. A message, and nothing lost.

#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"

#include <QDir>

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Button = QMessageBox::StandardButton;
const QString kLogQuestion = QStringLiteral("Log already exist. Overwrte it ?");

// While this lives, a process running as root acts as "nobody", for whom file rights hold.
struct WithoutRootRights {
    WithoutRootRights() { dropped = wasRoot && ::seteuid(65534) == 0; }
    ~WithoutRootRights()
    {
        if (dropped)
            (void)!::seteuid(0);
    }
    bool effective() const { return !wasRoot || dropped; }
    const bool wasRoot = ::geteuid() == 0;
    bool dropped = false;
};

class DatabaseFaultTest : public WindowFixture {
protected:
    void SetUp() override
    {
        setRights(h.dir.path(), 0755); // other users may pass through (the rights tests)
        h.databaseBusyTimeout = std::chrono::milliseconds(10); // locks here are held longer
        showWindow();
        recordLog(5, 1);
        ASSERT_TRUE(save(3, "kept").isEmpty());
        kept = h.s().LogSamples;
        recordLog(5, 20);
    }
    void TearDown() override
    {
        setRights(h.dir.path(), 0755);
        setRights(dbPath(), 0644);
    }
    static int setRights(const QString& path, mode_t mode)
    {
        return ::chmod(QFile::encodeName(path).constData(), mode);
    }
    QString dbPath() const { return QDir(h.dir.path()).filePath(QStringLiteral("Ovolta.DB")); }
    // Another program on the file, in a transaction of the given kind that wrote a settings row.
    std::unique_ptr<SqlDatabase> otherProgram(const char* begin)
    {
        auto opened = SqlDatabase::open(
            dbPath(), OvoltaDatabase::kPassword, SqlDatabase::OpenMode::ExistingOnly);
        EXPECT_TRUE(opened && (*opened)->exec(begin)
            && (*opened)->exec("INSERT INTO SYS VALUES ('Locker', '1')"));
        return opened ? std::move(opened).value() : nullptr;
    }
    static void ExpectLocked(const QStringList& texts, int count)
    {
        EXPECT_TRUE(texts.size() == count && texts.last().contains("locked"))
            << texts.join('|').toStdString();
    }
    LogSamples kept; // stored as "kept"; the live log differs
};

} // namespace

// Reading goes on unless the other program holds the file exclusively.
TEST_F(DatabaseFaultTest, FileLockedByAnotherProgramSaysSoAndLosesNothing)
{
    etp().setCell(1, 1, "12.0");
    ASSERT_TRUE(save(1, "steps").isEmpty());
    etp().setCell(1, 1, "07.0");
    const LogSamples live = h.s().LogSamples;
    auto other = otherProgram("BEGIN IMMEDIATE");
    ASSERT_TRUE(other);
    const QStringList texts = save(3, "kept", { Button::Yes });
    ExpectLocked(texts, 2);
    EXPECT_EQ(texts.value(0), kLogQuestion);
    ExpectLocked(save(3, "new"), 1);
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live)) << "the live log is kept";
    EXPECT_TRUE(choose(3, "kept").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));
    // Once the other program is done, both its row and a new save are there.
    ASSERT_TRUE(other->exec("COMMIT"));
    EXPECT_TRUE(save(3, "new").isEmpty());
    EXPECT_EQ(db().readSetting("Locker"), QStringLiteral("1"));
    EXPECT_EQ(listed(3), QStringList({ "kept", "new" }));
    EXPECT_TRUE(choose(3, "new").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));

    other = otherProgram("BEGIN EXCLUSIVE");
    ASSERT_TRUE(other);
    ExpectLocked(choose(1, "steps"), 1);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("07.0")) << "the grid is left as it was";
    ASSERT_TRUE(other->exec("COMMIT"));
    EXPECT_TRUE(choose(1, "steps").isEmpty());
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.0"));
}

// A read-only or damaged file stops start-up, sends nothing and is left for recovery.
TEST_F(DatabaseFaultTest, ReadOnlyOrDamagedFileLosesNothing)
{
    const LogSamples live = h.s().LogSamples;
    ASSERT_EQ(setRights(h.dir.path(), 0555), 0);
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        const QStringList texts = save(3, "kept", { Button::Yes });
        EXPECT_TRUE(texts.size() == 2 && !texts[1].isEmpty()) << texts.join('|').toStdString();
        EXPECT_TRUE(choose(3, "kept").isEmpty());
    }
    setRights(h.dir.path(), 0755);
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live));

    h.window.reset();
    const QByteArray sound = FileBytes(dbPath());
    ASSERT_GT(sound.size(), 4096);
    QByteArray damaged = sound;
    for (qsizetype i = sound.size() / 2; i < sound.size() / 2 + 512; ++i)
        damaged[i] = static_cast<char>(damaged[i] ^ 0x5a);
    ASSERT_EQ(setRights(dbPath(), 0444), 0);
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        EXPECT_FALSE(h.start());
        h.window.reset();
    }
    EXPECT_EQ(h.startError, "attempt to write a readonly database\nDatabase file: " + dbPath());
    EXPECT_EQ(FileBytes(dbPath()), sound);
    ASSERT_EQ(setRights(dbPath(), 0644), 0);
    ASSERT_TRUE(WriteFile(dbPath(), damaged));
    h.startError.clear();
    const QStringList before = h.sent();
    EXPECT_FALSE(h.start());
    EXPECT_FALSE(h.startError.isEmpty());
    EXPECT_EQ(h.sent(), before) << "nothing reached the supply";
    h.window.reset();
    EXPECT_EQ(FileBytes(dbPath()), damaged);
    ASSERT_TRUE(WriteFile(dbPath(), sound));
    ASSERT_TRUE(h.start()) << h.startError.toStdString();
    EXPECT_EQ(listed(3), QStringList { "kept" });
    // Writable again: the same save goes through.
    h.s().LogSamples = live;
    EXPECT_EQ(save(3, "kept", { Button::Yes }), QStringList { kLogQuestion });
    EXPECT_TRUE(choose(3, "kept").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));
}

// A dropped table is said to be gone and leaves the list; a dropped catalogue comes back empty.
TEST_F(DatabaseFaultTest, TablesDroppedBehindTheProgramsBack)
{
    const QStringList gone { QStringLiteral("' gone ' table no exist !") };
    for (int tab = 1; tab <= 3; ++tab)
        ASSERT_TRUE(save(tab, "gone").isEmpty()) << tab;
    for (int tab = 1; tab <= 3; ++tab) {
        SCOPED_TRACE(tab);
        ASSERT_TRUE(db().sql().exec(QStringLiteral("DROP TABLE \"%1_gone\"").arg("EML"[tab - 1])));
        const QStringList rows = etpRows() + presetRows();
        const LogSamples stored = h.s().StoredLog;
        EXPECT_EQ(choose(tab, "gone"), gone);
        EXPECT_EQ(clickTool(4), gone);
        EXPECT_EQ(listed(tab), tab == 3 ? QStringList { "kept" } : QStringList());
        EXPECT_EQ(etpRows() + presetRows(), rows);
        EXPECT_TRUE(SameSamples(h.s().StoredLog, stored));
    }
    ASSERT_TRUE(db().sql().exec("DROP TABLE DescriptionT"));
    const QStringList texts = save(3, "next");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains("DescriptionT")) << texts[0].toStdString();
    EXPECT_TRUE(!tableExists("L_next") && tableExists("L_kept"));
    showWindow();
    EXPECT_TRUE(tableExists("DescriptionT"));
    EXPECT_TRUE(save(3, "next").isEmpty());
    EXPECT_EQ(listed(3), QStringList { "next" });
}
