// Storing tables in the database from each tab, also when the file is locked or read-only or a
// table was dropped behind the program's back: nothing stored or on the grid is lost.

#include "app/StorageActions.h"
#include "tests/app/WindowFixture.h"
#include "tests/support/Files.h"

#include <sys/stat.h>
#include <unistd.h>

namespace {

using Button = QMessageBox::StandardButton;

class StorageActionsTest : public WindowFixture {
protected:
    StorageActions& actions() { return h.w().storage(); }
};

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

TEST_F(StorageActionsTest, EveryKindSavesAndLoadsBackAfterARestart)
{
    setEtpRow(1, "12.5", "1.5", "01", "30");
    setEtpRow(2, "05.0", "0.2", "00", "15", false);
    showTab(1);
    typeDescription(1, "ramp, slow");
    EXPECT_TRUE(save(1, "Ramp").isEmpty());
    const QStringList steps = etpRows();
    setPresets({ "05.0|1.0", "12.0|2.0", "24.0|3.0" });
    showTab(2);
    typeDescription(2, "bench");
    EXPECT_TRUE(save(2, "three presets").isEmpty());
    const QStringList presets = presetRows();
    recordLog(4);
    h.s().SampleTime = 5;
    showTab(3);
    EXPECT_EQ(h.ui().LabelTableName->text(), QStringLiteral("Log Name:"));
    typeDescription(3, "overnight");
    h.clock.advance(90 * 1000);
    const QString logAt = h.clock.now().toString();
    EXPECT_TRUE(save(3, "night").isEmpty());
    const LogSamples log = h.s().LogSamples;

    showWindow(); // a new window on the same data folder
    EXPECT_EQ(listed(0) + listed(1) + listed(2) + listed(3),
        QStringList({ "Ramp", "three presets", "night" }));
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_EQ(combo(tab)->currentText(), QStringLiteral("(Untitle)")) << tab;
    setEtpRow(1, "00.0", "0.0", "00", "00", false);
    setEtpRow(2, "00.0", "0.0", "00", "00");
    typeDescription(1, "other");
    EXPECT_TRUE(choose(1, "Ramp").isEmpty() && h.ui().saveButton->isEnabled());
    EXPECT_EQ(etpRows() << description(1)->text(), QStringList(steps) << "ramp, slow");
    choose(1, "(Untitle)");
    EXPECT_EQ(description(1)->text(), QString());
    setPresets({ "01.0|0.1" });
    EXPECT_TRUE(choose(2, "three presets").isEmpty());
    EXPECT_EQ(presetRows() << description(2)->text(), QStringList(presets) << "bench");
    for (int k = 1; k <= 3; ++k)
        EXPECT_TRUE(!selector(k)->isHidden() && selector(k)->isEnabled()) << k;
    recordLog(2);
    ASSERT_FALSE(h.ui().Option2[1]->isEnabled());
    EXPECT_TRUE(choose(3, "night").isEmpty() && SameSamples(h.s().StoredLog, log));
    const WindowState& s = h.s();
    EXPECT_EQ(QStringList({ s.StoredLogName, QString::number(s.StoredLogSampling),
                  QDateTime(s.StoredLogDate, s.StoredLogTime).toString(), s.StoredLogDesc }),
        QStringList({ "night", "5", logAt, "overnight" }));
    EXPECT_TRUE(description(3)->text() == "overnight" && h.ui().Option2[1]->isChecked());
    choose(3, "(Untitle)"); // back to the live log
    EXPECT_TRUE(h.ui().Option2[0]->isChecked() && !h.ui().Option2[1]->isEnabled()
        && description(3)->text().isEmpty());
}

// A stored name (or its beginning) typed, then Enter or leaving the box.
TEST_F(StorageActionsTest, TypingAStoredNameLoadsNothingLoadingGoesOverTheFirstRows)
{
    save(1, "Ramp");
    save(1, "Ramp2");
    setEtpRow(1, "03.0", "0.5", "00", "10", false);
    const QStringList work = etpRows();
    MessageBoxes boxes;
    typeName(1, "Ra");
    QTest::keyClick(combo(1)->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(combo(1)->currentText(), QStringLiteral("Ra")) << "not completed to a stored name";
    typeName(1, "Ramp");
    QTest::keyClick(combo(1)->lineEdit(), Qt::Key_Return);
    description(1)->setFocus();
    typeName(1, "Ramp2");
    description(1)->setFocus();
    EXPECT_EQ(etpRows() << combo(1)->currentText(), QStringList(work) << "Ramp2");
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(combo(1)->count(), 3) << "Enter adds nothing to the list";
    // The rest stays; an empty or short grid grows to 20 rows; rows past the 20th are left out.
    etp().setRowCount(4);
    for (int r = 1; r <= 3; ++r)
        setEtpRow(r, QStringLiteral("0%1.0").arg(r), QStringLiteral("0.%1").arg(r), "00",
            QStringLiteral("0%1").arg(r), r != 2);
    save(1, "three");
    QString sql = "CREATE TABLE E_long (Voltage, Current, Minute, Second, Output);"
                  "INSERT INTO DescriptionT (TableName, TableType) VALUES ('E_long', '1');";
    for (int r = 1; r <= 25; ++r)
        sql += QStringLiteral("INSERT INTO E_long VALUES ('%1.0', '0.1', '00', '05', 0);")
                   .arg(r, 2, 10, QLatin1Char('0'));
    ASSERT_TRUE(db().sql().exec(sql));
    actions().RefreshTableLists();
    // Rows before (with the header), the table loaded, the first rows and the last after.
    const std::tuple<int, const char*, QStringList> cases[] = {
        { 21, "three",
            { "1|01.0|0.1|00|01|on", "2|02.0|0.2|00|02|off", "3|03.0|0.3|00|03|on",
                "4|09.9|0.9|09|09|on", "20|09.9|0.9|09|09|on" } },
        { 1, "three", { "1|01.0|0.1|00|01|on", "2|02.0|0.2|00|02|off", "|||||on" } },
        { 6, "long", { "1|01.0|0.1|00|05|off", "20|20.0|0.1|00|05|off" } },
    };
    for (const auto& [rowsBefore, name, expected] : cases) {
        SCOPED_TRACE(rowsBefore);
        etp().setRowCount(rowsBefore);
        for (int r = 1; r < rowsBefore; ++r) {
            etp().setCell(r, 0, QString::number(r));
            setEtpRow(r, "09.9", "0.9", "09", "09");
        }
        EXPECT_TRUE(choose(1, name).isEmpty());
        const QStringList rows = etpRows();
        ASSERT_EQ(rows.size(), 20);
        EXPECT_EQ(rows.mid(0, expected.size() - 1) << rows.last(), expected);
    }
}

// No keeps the table; Delete clears the tab. Without a name both only focus the name box.
TEST_F(StorageActionsTest, SaveAndDeleteAskFirstOnEveryKindAsDoTheirKeys)
{
    setEtpRow(1, "12.0", "1.2", "01", "02", false);
    setPresets({ "05.0|1.0", "06.0|1.0", "07.0|1.0" });
    recordLog(3);
    for (int tab = 0; tab < 4; ++tab) {
        SCOPED_TRACE(tab);
        const QString table = QString("PEML"[tab]) + "_it's";
        const QString catalogue = "SELECT Description FROM DescriptionT WHERE TableName = '"
            + QString(table).replace("'", "''") + "'";
        const QString kind = tab == 3 ? "Log" : "table";
        const QStringList replace { (tab == 3 ? kind : "Table") + " already exist. Overwrte it ?" };
        const QStringList remove { "Are you sure to delete th " + kind + " 'it's' ?" };
        showTab(tab);
        typeDescription(tab, "first");
        EXPECT_TRUE(save(tab, "it's").isEmpty());
        typeDescription(tab, "second");
        EXPECT_EQ(
            clickTool(1, { Button::No }) << column(catalogue), replace + QStringList { "first" });
        EXPECT_EQ(clickTool(1, { Button::Yes }) << column(catalogue) << listed(tab),
            (replace + QStringList { "second", "it's" }));
        if (tab == 3)
            choose(3, "it's");
        EXPECT_EQ(clickTool(4, { Button::No }) << combo(tab)->currentText(),
            remove + QStringList { "it's" });
        EXPECT_TRUE(tableExists(table));
        EXPECT_EQ(clickTool(4, { Button::Yes })
                << column(catalogue) << listed(tab)
                << combo(tab)->currentText() + description(tab)->text(),
            remove + QStringList { "(Untitle)" });
        EXPECT_FALSE(tableExists(table) || h.ui().saveButton->isEnabled());
    }
    const QString current = h.p().currFormat;
    const QStringList rows = etpRows();
    ASSERT_EQ(rows.size(), 20);
    EXPECT_EQ(
        rows[0] + rows[19], "1|00.0|" + current + "|00|00|on20|00.0|" + current + "|00|00|on");
    EXPECT_EQ(presetRows(),
        QStringList({ "1|00.0|" + current, "2|00.0|" + current, "3|00.0|" + current }));
    EXPECT_TRUE(h.ui().Option2[0]->isChecked() && !h.ui().Option2[1]->isEnabled());

    showTab(1);
    activate();
    for (const QString& name : { QStringLiteral("(Untitle)"), QString() }) {
        SCOPED_TRACE(name.toStdString());
        typeName(1, name);
        EXPECT_FALSE(h.ui().saveButton->isEnabled() || h.ui().deleteButton->isEnabled());
        description(1)->setFocus();
        MessageBoxes boxes;
        actions().SaveTableToDb();
        actions().DeleteTableFromDb();
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();
        EXPECT_TRUE(combo(1)->hasFocus());
        EXPECT_EQ(column("SELECT TableName FROM DescriptionT"), QStringList());
    }
    // Each asks what its button asks; Delete in a text box or on a grid stays there.
    save(1, "kept");
    MessageBoxes boxes;
    boxes.answer = Button::No;
    h.prompts.saveFile = [&](const QString&) { return boxes.dialogs << "save", QString(); };
    h.prompts.openFile = [&](const QString&) { return boxes.dialogs << "open", QString(); };
    QTableView* grid = h.ui().FGridE;
    QWidget* const focus[] = { grid, h.ui().TextE, combo(1), h.ui().Tab1 };
    // The focus (grid, cell editor, name box, tabs), the key, what it shows.
    const std::tuple<int, QKeySequence, QString> cases[] = {
        { 0, QKeySequence::Save, "Table already exist. Overwrte it ?" },
        { 1, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), "save" },
        { 2, QKeySequence::Open, "open" },
        { 3, QKeySequence::Print, "QPrintDialog" },
        { 3, QKeySequence::Delete, "Are you sure to delete th table 'kept' ?" },
        { 0, QKeySequence::Delete, "" },
        { 1, QKeySequence::Delete, "" },
        { 2, QKeySequence::Delete, "" },
    };
    for (const auto& [where, key, shown] : cases) {
        SCOPED_TRACE(key.toString().toStdString() + " " + std::to_string(where));
        activate();
        grid->setCurrentIndex(etp().index(0, 5));
        if (where == 1)
            clickCell(grid, 1, 3);
        focus[where]->setFocus(Qt::TabFocusReason);
        boxes.clear();
        QTest::keySequence(QApplication::focusWidget(), key);
        EXPECT_EQ(
            boxes.texts + boxes.dialogs, shown.isEmpty() ? QStringList() : QStringList { shown });
    }
    EXPECT_TRUE(tableExists("E_kept"));
}

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
    EXPECT_EQ(texts.value(0), QStringLiteral("Log already exist. Overwrte it ?"));
    ExpectLocked(save(3, "new"), 1);
    EXPECT_TRUE(SameSamples(h.s().LogSamples, live)) << "the live log is kept";
    EXPECT_TRUE(choose(3, "kept").isEmpty() && SameSamples(h.s().StoredLog, kept));
    // Once the other program is done, both its row and a new save are there.
    ASSERT_TRUE(other->exec("COMMIT"));
    EXPECT_TRUE(save(3, "new").isEmpty());
    EXPECT_EQ(
        listed(3) << db().readSetting("Locker").value_or(""), QStringList({ "kept", "new", "1" }));
    EXPECT_TRUE(choose(3, "new").isEmpty() && SameSamples(h.s().StoredLog, live));

    other = otherProgram("BEGIN EXCLUSIVE");
    ASSERT_TRUE(other);
    ExpectLocked(choose(1, "steps"), 1);
    EXPECT_EQ(etp().cell(1, 1), QStringLiteral("07.0")) << "the grid is left as it was";
    ASSERT_TRUE(other->exec("COMMIT"));
    EXPECT_TRUE(choose(1, "steps").isEmpty() && etp().cell(1, 1) == "12.0");
}

// A read-only file refuses a save and stops start-up, sends nothing and is left for recovery.
TEST_F(DatabaseFaultTest, ReadOnlyFileOrDroppedTablesLoseNothing)
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
    EXPECT_TRUE(SameSamples(h.s().StoredLog, kept) && SameSamples(h.s().LogSamples, live));

    h.window.reset();
    const QByteArray sound = FileBytes(dbPath());
    const QStringList before = h.sent();
    ASSERT_EQ(setRights(dbPath(), 0444), 0);
    {
        WithoutRootRights rights;
        ASSERT_TRUE(rights.effective());
        EXPECT_FALSE(h.start());
        h.window.reset();
    }
    EXPECT_EQ(h.startError, "attempt to write a readonly database\nDatabase file: " + dbPath());
    EXPECT_EQ(h.sent(), before) << "nothing reached the supply";
    EXPECT_EQ(FileBytes(dbPath()), sound);
    ASSERT_EQ(setRights(dbPath(), 0644), 0);
    showWindow();
    EXPECT_EQ(listed(3), QStringList { "kept" });
    // A dropped table is said to be gone and leaves the list; a dropped catalogue comes back empty.
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
