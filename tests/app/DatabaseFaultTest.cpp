// The database file when things go wrong around it: another program holds it
// locked, it or its folder is read-only, it is damaged, or a stored table is
// dropped behind the program's back. The user gets a plain message, the
// program goes on, and nothing stored or in memory is lost.

#include "app/StorageActions.h"
#include "programs/ProgramTable.h"
#include "storage/OvoltaDatabase.h"
#include "tests/app/WindowFixture.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <sqlcipher/sqlite3.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

namespace {

using Button = QMessageBox::StandardButton;

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

QByteArray FileBytes(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    ASSERT_EQ(f.write(bytes), bytes.size());
}

class DatabaseFaultTest : public WindowFixture {
protected:
    void SetUp() override
    {
        // Other users may pass through the folder (the rights tests need it).
        ::chmod(QFile::encodeName(h.dir.path()).constData(), 0755);
        // The locks here are held longer than any wait for them.
        h.databaseBusyTimeout = std::chrono::milliseconds(10);
        showWindow();
    }
    void TearDown() override
    {
        ::chmod(QFile::encodeName(h.dir.path()).constData(), 0755);
        ::chmod(QFile::encodeName(dbPath()).constData(), 0644);
    }

    QString dbPath() const { return QDir(h.dir.path()).filePath(QStringLiteral("Ovolta.DB")); }
    QComboBox* combo(int tab) { return h.ui().CmbTableName[static_cast<std::size_t>(tab)]; }

    void typeName(int tab, const QString& name)
    {
        h.ui().Tab1->setCurrentIndex(tab);
        QLineEdit* box = combo(tab)->lineEdit();
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, name);
    }

    QStringList save(int tab, const QString& name, QList<Button> answers = {})
    {
        typeName(tab, name);
        return clickTool(1, std::move(answers));
    }

    // Chooses a name from the list with the arrow keys, as a user does.
    QStringList choose(int tab, const QString& name)
    {
        h.ui().Tab1->setCurrentIndex(tab);
        QComboBox* box = combo(tab);
        const int index = box->findText(name);
        EXPECT_GE(index, 1) << name.toStdString();
        MessageBoxes boxes;
        box->setFocus();
        box->setCurrentIndex(index - 1);
        QTest::keyClick(box, Qt::Key_Down);
        return boxes.texts;
    }

    QStringList listed(int tab)
    {
        QStringList items;
        for (int i = 1; i < combo(tab)->count(); ++i)
            items << combo(tab)->itemText(i);
        return items;
    }

    // A live log of count samples whose values start at base volts.
    void recordLog(float base, int count = 5)
    {
        h.s().LogSamples.markEmpty();
        for (int i = 0; i < count; ++i)
            h.s().LogSamples.shiftIn(base + static_cast<float>(i), 0.5f);
    }
};

bool SameSamples(const LogSamples& a, const LogSamples& b)
{
    return a.volts == b.volts && a.amps == b.amps;
}

} // namespace

TEST_F(DatabaseFaultTest, FileLockedByAnotherProgramSaysSoAndLosesNothing)
{
    recordLog(1.0f);
    ASSERT_TRUE(save(3, QStringLiteral("kept")).isEmpty());
    const LogSamples kept = h.s().LogSamples;

    Locker other(dbPath(), "BEGIN IMMEDIATE");
    ASSERT_TRUE(other.locked);
    recordLog(20.0f);
    const LogSamples live = h.s().LogSamples;

    // Replacing the stored log and saving a new one both fail with a message.
    QStringList texts = save(3, QStringLiteral("kept"), { QMessageBox::Yes });
    ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
    EXPECT_EQ(texts[0], QStringLiteral("Log already exist. Overwrte it ?"));
    EXPECT_TRUE(texts[1].contains(QStringLiteral("locked"))) << texts[1].toStdString();
    texts = save(3, QStringLiteral("new"));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("locked"))) << texts[0].toStdString();
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live)) << "the live log is kept";

    // Reading goes on while the other program writes.
    EXPECT_EQ(listed(3), QStringList({ QStringLiteral("kept") }));
    EXPECT_TRUE(choose(3, QStringLiteral("kept")).isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));

    // Once the other program is done, both its row and a new save are there.
    ASSERT_TRUE(other.release());
    EXPECT_TRUE(save(3, QStringLiteral("new")).isEmpty());
    EXPECT_EQ(h.w().database()->readSetting(QStringLiteral("Locker")), QStringLiteral("1"));
    EXPECT_EQ(listed(3), QStringList({ QStringLiteral("kept"), QStringLiteral("new") }));
    EXPECT_TRUE(choose(3, QStringLiteral("new")).isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));
}

TEST_F(DatabaseFaultTest, FileHeldExclusivelyRefusesLoadAndSaveWithAMessage)
{
    ProgramTable& etp = h.w().tableE();
    etp.setCell(1, 1, QStringLiteral("12.0"));
    ASSERT_TRUE(save(1, QStringLiteral("steps")).isEmpty());
    etp.setCell(1, 1, QStringLiteral("07.0"));

    Locker other(dbPath(), "BEGIN EXCLUSIVE");
    ASSERT_TRUE(other.locked);
    const QStringList loadTexts = choose(1, QStringLiteral("steps"));
    ASSERT_EQ(loadTexts.size(), 1);
    EXPECT_TRUE(loadTexts[0].contains(QStringLiteral("locked"))) << loadTexts[0].toStdString();
    EXPECT_EQ(etp.cell(1, 1), QStringLiteral("07.0")) << "the grid is left as it was";
    const QStringList saveTexts = save(1, QStringLiteral("other steps"));
    ASSERT_FALSE(saveTexts.isEmpty());
    EXPECT_TRUE(saveTexts.last().contains(QStringLiteral("locked")))
        << saveTexts.join('|').toStdString();

    ASSERT_TRUE(other.release());
    EXPECT_TRUE(choose(1, QStringLiteral("steps")).isEmpty());
    EXPECT_EQ(etp.cell(1, 1), QStringLiteral("12.0"));
    EXPECT_EQ(listed(1), QStringList({ QStringLiteral("steps") }));
}

TEST_F(DatabaseFaultTest, ReadOnlyFileStopsStartUpWithTheEngineMessageAndStaysAsItWas)
{
    h.window.reset();
    ASSERT_EQ(::chmod(QFile::encodeName(dbPath()).constData(), 0444), 0);
    const QByteArray before = FileBytes(dbPath());
    QString error;
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        ASSERT_FALSE(h.start());
        error = h.startError;
        h.window.reset();
    }
    EXPECT_EQ(error, "attempt to write a readonly database\nDatabase file: " + dbPath());
    EXPECT_EQ(FileBytes(dbPath()), before);
}

TEST_F(DatabaseFaultTest, ReadOnlyFolderWhileRunningRefusesTheSaveAndKeepsTheOldTable)
{
    recordLog(1.0f);
    ASSERT_TRUE(save(3, QStringLiteral("kept")).isEmpty());
    const LogSamples kept = h.s().LogSamples;
    recordLog(30.0f);
    const LogSamples live = h.s().LogSamples;

    ASSERT_EQ(::chmod(QFile::encodeName(h.dir.path()).constData(), 0555), 0);
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        const QStringList texts = save(3, QStringLiteral("kept"), { QMessageBox::Yes });
        ASSERT_EQ(texts.size(), 2) << texts.join('|').toStdString();
        EXPECT_FALSE(texts[1].isEmpty());
        EXPECT_TRUE(choose(3, QStringLiteral("kept")).isEmpty());
    }
    ::chmod(QFile::encodeName(h.dir.path()).constData(), 0755);
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept));
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live));

    // Writable again: the same save goes through.
    EXPECT_EQ(save(3, QStringLiteral("kept"), { QMessageBox::Yes }),
        QStringList({ QStringLiteral("Log already exist. Overwrte it ?") }));
    EXPECT_TRUE(choose(3, QStringLiteral("kept")).isEmpty());
    EXPECT_TRUE(SameSamples(h.s().StoredLog, live));
}

TEST_F(DatabaseFaultTest, DamagedFileStopsStartUpWithAMessageAndIsNotTouched)
{
    recordLog(1.0f);
    ASSERT_TRUE(save(3, QStringLiteral("kept")).isEmpty());
    h.window.reset();
    const QByteArray sound = FileBytes(dbPath());
    ASSERT_GT(sound.size(), 4096);

    struct Damage {
        const char* name;
        QByteArray bytes;
    };
    QByteArray middle = sound;
    for (qsizetype i = sound.size() / 2; i < sound.size() / 2 + 512; ++i)
        middle[i] = static_cast<char>(middle[i] ^ 0x5a);
    QByteArray first = sound;
    for (qsizetype i = 0; i < 64; ++i)
        first[i] = 'x';
    const Damage damages[] = {
        { "a page in the middle", middle },
        { "the first page", first },
        { "cut in half", sound.left(sound.size() / 2 + 100) },
        { "plain text", QByteArray("Voltage,Current\r\n12.5,1.25\r\n").repeated(200) },
        { "the unencrypted header", QByteArray("SQLite format 3\0", 16) + sound.mid(16) },
    };
    for (const Damage& damage : damages) {
        SCOPED_TRACE(damage.name);
        WriteBytes(dbPath(), damage.bytes);
        EXPECT_FALSE(h.start());
        EXPECT_FALSE(h.startError.isEmpty());
        h.window.reset();
        EXPECT_EQ(FileBytes(dbPath()), damage.bytes) << "the file is left for recovery";
    }

    // The sound file is usable again.
    WriteBytes(dbPath(), sound);
    ASSERT_TRUE(h.start()) << h.startError.toStdString();
    EXPECT_EQ(listed(3), QStringList({ QStringLiteral("kept") }));
}

// A stored table dropped with SQL while the program runs: choosing it from
// the list, or deleting it, says the table is gone; nothing else changes.
TEST_F(DatabaseFaultTest, StoredTableDroppedBehindTheProgramsBack)
{
    struct Kind {
        int tab;
        const char* table;
    };
    const Kind kinds[] = { { 1, "E_gone" }, { 2, "M_gone" }, { 3, "L_gone" } };
    recordLog(1.0f);
    for (const Kind& kind : kinds)
        ASSERT_TRUE(save(kind.tab, QStringLiteral("gone")).isEmpty()) << kind.table;
    for (const Kind& kind : kinds) {
        SCOPED_TRACE(kind.table);
        ASSERT_TRUE(h.w().database()->sql().exec(
            QStringLiteral("DROP TABLE \"%1\"").arg(QLatin1String(kind.table))));
        const QStringList etpBefore = [&] {
            QStringList cells;
            for (int r = 1; r < h.w().tableE().rows(); ++r)
                cells << h.w().tableE().cell(r, 1);
            return cells;
        }();
        const int presetRows = h.w().tableM().rows();
        const LogSamples stored = h.s().StoredLog;

        EXPECT_EQ(choose(kind.tab, QStringLiteral("gone")),
            QStringList({ QStringLiteral("' gone ' table no exist !") }));
        EXPECT_EQ(h.w().tableM().rows(), presetRows);
        EXPECT_TRUE(SameSamples(h.s().StoredLog, stored));
        QStringList etpAfter;
        for (int r = 1; r < h.w().tableE().rows(); ++r)
            etpAfter << h.w().tableE().cell(r, 1);
        EXPECT_EQ(etpAfter, etpBefore);

        // Deleting it says the same and changes nothing else.
        EXPECT_EQ(clickTool(4), QStringList({ QStringLiteral("' gone ' table no exist !") }));
        EXPECT_EQ(h.w().tableM().rows(), presetRows);
    }
}

// The catalogue itself dropped: saving and listing say what failed and the
// program goes on; the next start puts an empty catalogue back.
TEST_F(DatabaseFaultTest, CatalogueDroppedBehindTheProgramsBack)
{
    recordLog(1.0f);
    ASSERT_TRUE(save(3, QStringLiteral("kept")).isEmpty());
    ASSERT_TRUE(h.w().database()->sql().exec(QStringLiteral("DROP TABLE DescriptionT")));

    const QStringList texts = save(3, QStringLiteral("next"));
    ASSERT_EQ(texts.size(), 1);
    EXPECT_TRUE(texts[0].contains(QStringLiteral("DescriptionT"))) << texts[0].toStdString();
    EXPECT_FALSE(h.w().database()->sql().tableNames().contains(QStringLiteral("L_next")));
    EXPECT_TRUE(h.w().database()->sql().tableNames().contains(QStringLiteral("L_kept")));

    h.window.reset();
    ASSERT_TRUE(h.start()) << h.startError.toStdString();
    EXPECT_TRUE(h.w().database()->sql().tableNames().contains(QStringLiteral("DescriptionT")));
    h.w().show();
    EXPECT_TRUE(save(3, QStringLiteral("next")).isEmpty());
    EXPECT_EQ(listed(3), QStringList({ QStringLiteral("next") }));
}

// The engine refuses to change a settings row: a port chosen on the Setting tab and
// the language stored at start-up say so with the engine's message, and the
// port still changes for this run.
TEST_F(DatabaseFaultTest, RefusedSettingsWritesShowTheEngineMessage)
{
    ASSERT_TRUE(h.w().database()->sql().exec(
        QStringLiteral("CREATE TRIGGER refuse BEFORE UPDATE ON SYS "
                       "BEGIN SELECT RAISE(ABORT, 'settings refused'); END")));
    h.transport.addEmptyPort(3);
    struct Case {
        const char* setting;
        std::function<void()> write;
    };
    const Case cases[] = {
        { "port",
            [&] {
                h.ui().Tab1->setCurrentIndex(4);
                QTest::keyClick(h.ui().CboPort, Qt::Key_End);
                QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdOK")), Qt::LeftButton);
                EXPECT_EQ(h.s().CommPortNo, 3);
            } },
        { "language",
            [&] {
                h.window.reset();
                ASSERT_TRUE(h.start()) << h.startError.toStdString();
            } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.setting);
        MessageBoxes boxes;
        c.write();
        EXPECT_EQ(boxes.texts, QStringList { QStringLiteral("settings refused") });
    }
}
