// The database file when things go wrong around it: another program holds it
// locked, it or its folder is read-only, it is damaged, or a stored table is
// dropped behind the program's back. The user gets a plain message, the
// program goes on, and nothing stored or in memory is lost.

#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"

#include <QDir>
#include <QPushButton>
#include <functional>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Button = QMessageBox::StandardButton;
const QString kLogQuestion = QStringLiteral("Log already exist. Overwrte it ?");

// Another program on the same file: a child process that opens it with the
// engine's own interface, starts a transaction of the given kind, writes one
// settings row and keeps the lock until released (then commits).
class Locker {
public:
    Locker(const QString& path, const char* begin)
    {
        const QByteArray file = QFile::encodeName(path);
        if (::pipe(m_ready) != 0 || ::pipe(m_release) != 0)
            return;
        m_pid = ::fork();
        if (m_pid == 0) {
            sqlite3* db = nullptr;
            char ok = 'n';
            if (sqlite3_open_v2(file.constData(), &db, SQLITE_OPEN_READWRITE, nullptr) == SQLITE_OK
                && sqlite3_key(db, OvoltaDatabase::kPassword, 4) == SQLITE_OK
                && sqlite3_exec(db, begin, nullptr, nullptr, nullptr) == SQLITE_OK
                && sqlite3_exec(
                       db, "INSERT INTO SYS VALUES ('Locker', '1')", nullptr, nullptr, nullptr)
                    == SQLITE_OK)
                ok = 'y';
            (void)!::write(m_ready[1], &ok, 1);
            char c = 0;
            (void)!::read(m_release[0], &c, 1);
            const int rc = sqlite3_exec(db, "COMMIT", nullptr, nullptr, nullptr);
            sqlite3_close(db);
            ::_exit(rc == SQLITE_OK ? 0 : 1);
        }
        char c = 'n';
        locked = m_pid > 0 && ::read(m_ready[0], &c, 1) == 1 && c == 'y';
    }
    ~Locker() { release(); }
    Locker(const Locker&) = delete;
    Locker& operator=(const Locker&) = delete;

    // Lets the other program commit and end; true when it committed.
    bool release()
    {
        if (m_pid <= 0)
            return false;
        (void)!::write(m_release[1], "x", 1);
        int status = 0;
        ::waitpid(m_pid, &status, 0);
        m_pid = 0;
        for (int fd : { m_ready[0], m_ready[1], m_release[0], m_release[1] })
            ::close(fd);
        return WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }

    bool locked = false;

private:
    pid_t m_pid = 0;
    int m_ready[2] { -1, -1 };
    int m_release[2] { -1, -1 };
};

// File permissions hold for the superuser only once it has given up its
// rights: while this lives, a process running as root acts as "nobody".
class WithoutRootRights {
public:
    WithoutRootRights()
        : m_wasRoot(::geteuid() == 0)
    {
        if (m_wasRoot)
            m_dropped = ::seteuid(kNobody) == 0;
    }
    ~WithoutRootRights()
    {
        if (m_dropped)
            (void)!::seteuid(0);
    }
    WithoutRootRights(const WithoutRootRights&) = delete;
    WithoutRootRights& operator=(const WithoutRootRights&) = delete;
    bool effective() const { return !m_wasRoot || m_dropped; }

private:
    static constexpr uid_t kNobody = 65534;
    bool m_wasRoot;
    bool m_dropped = false;
};

class DatabaseFaultTest : public WindowFixture {
protected:
    void SetUp() override
    {
        // Other users may pass through the folder (the rights tests need it).
        setRights(h.dir.path(), 0755);
        // The locks here are held longer than any wait for them.
        h.databaseBusyTimeout = std::chrono::milliseconds(10);
        showWindow();
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
};

} // namespace

TEST_F(DatabaseFaultTest, FileLockedByAnotherProgramSaysSoAndLosesNothing)
{
    recordLog(5, 1);
    ASSERT_TRUE(save(3, "kept").isEmpty());
    const LogSamples kept = h.s().LogSamples;
    Locker other(dbPath(), "BEGIN IMMEDIATE");
    ASSERT_TRUE(other.locked);
    recordLog(5, 20);
    const LogSamples live = h.s().LogSamples;

    // Replacing the stored log and saving a new one both fail with a message.
    QStringList texts = save(3, "kept", { Button::Yes });
    ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
    EXPECT_EQ(texts[0], kLogQuestion);
    EXPECT_TRUE(texts[1].contains("locked")) << texts[1].toStdString();
    texts = save(3, "new");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains("locked")) << texts[0].toStdString();
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live)) << "the live log is kept";
    // Reading goes on while the other program writes.
    EXPECT_EQ(listed(3), QStringList { "kept" });
    EXPECT_TRUE(choose(3, "kept").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));

    // Once the other program is done, both its row and a new save are there.
    ASSERT_TRUE(other.release());
    EXPECT_TRUE(save(3, "new").isEmpty());
    EXPECT_EQ(db().readSetting("Locker"), QStringLiteral("1"));
    EXPECT_EQ(listed(3), QStringList({ "kept", "new" }));
    EXPECT_TRUE(choose(3, "new").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));
}

TEST_F(DatabaseFaultTest, FileHeldExclusivelyRefusesLoadAndSaveWithAMessage)
{
    etp().setCell(1, 1, "12.0");
    ASSERT_TRUE(save(1, "steps").isEmpty());
    etp().setCell(1, 1, "07.0");
    Locker other(dbPath(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(other.locked);
    const QStringList loadTexts = choose(1, "steps");
    ASSERT_EQ(loadTexts.size(), 1);
    EXPECT_TRUE(loadTexts[0].contains("locked")) << loadTexts[0].toStdString();
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("07.0")) << "the grid is left as it was";
    const QStringList saveTexts = save(1, "other steps");
    ASSERT_FALSE(saveTexts.isEmpty());
    EXPECT_TRUE(saveTexts.last().contains("locked")) << saveTexts.join('|').toStdString();

    ASSERT_TRUE(other.release());
    EXPECT_TRUE(choose(1, "steps").isEmpty());
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("12.0"));
    EXPECT_EQ(listed(1), QStringList { "steps" });
}

// A read-only or damaged file stops start-up with a message and is left as it
// was for recovery; the sound file works again afterwards. The kinds of damage
// are the database's own unit test.
TEST_F(DatabaseFaultTest, UnusableFileStopsStartUpAndIsNotTouched)
{
    recordLog(5, 1);
    ASSERT_TRUE(save(3, "kept").isEmpty());
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
    EXPECT_FALSE(h.start());
    EXPECT_FALSE(h.startError.isEmpty());
    h.window.reset();
    EXPECT_EQ(FileBytes(dbPath()), damaged);

    ASSERT_TRUE(WriteFile(dbPath(), sound));
    ASSERT_TRUE(h.start()) << h.startError.toStdString();
    EXPECT_EQ(listed(3), QStringList { "kept" });
}

TEST_F(DatabaseFaultTest, ReadOnlyFolderWhileRunningRefusesTheSaveAndKeepsTheOldTable)
{
    recordLog(5, 1);
    ASSERT_TRUE(save(3, "kept").isEmpty());
    const LogSamples kept = h.s().LogSamples;
    recordLog(5, 30);
    const LogSamples live = h.s().LogSamples;
    ASSERT_EQ(setRights(h.dir.path(), 0555), 0);
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        const QStringList texts = save(3, "kept", { Button::Yes });
        ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
        EXPECT_FALSE(texts[1].isEmpty());
        EXPECT_TRUE(choose(3, "kept").isEmpty());
    }
    setRights(h.dir.path(), 0755);
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live));
    // Writable again: the same save goes through.
    EXPECT_EQ(save(3, "kept", { Button::Yes }), QStringList { kLogQuestion });
    EXPECT_TRUE(choose(3, "kept").isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));
}

// A stored table dropped with SQL while the program runs: choosing it from
// the list, or deleting it, says the table is gone; nothing else changes, and
// the name leaves the list.
TEST_F(DatabaseFaultTest, StoredTableDroppedBehindTheProgramsBack)
{
    const QStringList gone { QStringLiteral("' gone ' table no exist !") };
    recordLog(5, 1);
    for (int tab = 1; tab <= 3; ++tab)
        ASSERT_TRUE(save(tab, "gone").isEmpty()) << tab;
    for (const char* table : { "E_gone", "M_gone", "L_gone" }) {
        SCOPED_TRACE(table);
        const int tab = table[0] == 'E' ? 1 : table[0] == 'M' ? 2 : 3;
        ASSERT_TRUE(db().sql().exec(QStringLiteral("DROP TABLE \"%1\"").arg(table)));
        const QStringList steps = etpRows();
        const QStringList presets = presetRows();
        const LogSamples stored = h.s().StoredLog;
        EXPECT_EQ(choose(tab, "gone"), gone);
        EXPECT_EQ(clickTool(4), gone);
        EXPECT_EQ(listed(tab), QStringList());
        EXPECT_EQ(etpRows(), steps);
        EXPECT_EQ(presetRows(), presets);
        EXPECT_TRUE(SameSamples(h.s().StoredLog, stored));
    }
}

// The catalogue itself dropped: saving says what failed and the program goes
// on; the next start puts an empty catalogue back.
TEST_F(DatabaseFaultTest, CatalogueDroppedBehindTheProgramsBack)
{
    recordLog(5, 1);
    ASSERT_TRUE(save(3, "kept").isEmpty());
    ASSERT_TRUE(db().sql().exec("DROP TABLE DescriptionT"));
    const QStringList texts = save(3, "next");
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains("DescriptionT")) << texts[0].toStdString();
    EXPECT_FALSE(tableExists("L_next"));
    EXPECT_TRUE(tableExists("L_kept"));

    showWindow();
    EXPECT_TRUE(tableExists("DescriptionT"));
    EXPECT_TRUE(save(3, "next").isEmpty());
    EXPECT_EQ(listed(3), QStringList { "next" });
}

// The engine refuses to change a settings row: a port chosen on the Setting tab and
// the language stored at start-up say so with the engine's message, and the
// port still changes for this run.
TEST_F(DatabaseFaultTest, RefusedSettingsWritesShowTheEngineMessage)
{
    ASSERT_TRUE(db().sql().exec("CREATE TRIGGER refuse BEFORE UPDATE ON SYS "
                                "BEGIN SELECT RAISE(ABORT, 'settings refused'); END"));
    h.transport.addEmptyPort(3);
    const std::function<void()> writes[] = {
        [&] {
            showTab(4);
            QTest::keyClick(h.ui().CboPort, Qt::Key_End);
            QTest::mouseClick(h.find<QPushButton>("CmdOK"), Qt::LeftButton);
            EXPECT_EQ(h.s().CommPortNo, 3);
        },
        [&] {
            h.window.reset();
            ASSERT_TRUE(h.start()) << h.startError.toStdString();
        },
    };
    for (const auto& write : writes) {
        MessageBoxes boxes;
        write();
        EXPECT_EQ(boxes.texts, QStringList { "settings refused" });
    }
}
