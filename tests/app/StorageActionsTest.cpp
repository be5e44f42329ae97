#include "app/StorageActions.h"
#include "programs/ProgramTable.h"
#include "storage/OvoltaDatabase.h"
#include "tests/app/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>
#include <QMessageBox>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <functional>
#include <optional>

namespace {

using Button = QMessageBox::StandardButton;

// Every text of the first column of a query.
QStringList Column(OvoltaDatabase& db, const QString& sql)
{
    QStringList values;
    SqlStatement query = db.sql().prepare(sql);
    while (query.step() == SqlStatement::Step::Row)
        values << (query.isNull(0) ? QStringLiteral("<null>") : query.text(0));
    return values;
}

class StorageActionsTest : public WindowFixture {
protected:
    void SetUp() override { startWindow(); }

    void startWindow()
    {
        ASSERT_NO_FATAL_FAILURE(showWindow());
        actions = &h.w().storage();
        ASSERT_NE(nullptr, actions);
    }

    OvoltaDatabase& db() { return *h.w().database(); }
    QComboBox* combo(int tab) { return h.ui().CmbTableName[static_cast<std::size_t>(tab)]; }
    QLineEdit* description(int tab) { return h.ui().TextTableD[static_cast<std::size_t>(tab)]; }
    QRadioButton* selector(int k) { return h.ui().Option1[static_cast<std::size_t>(k)]; }

    void showTab(int tab) { h.ui().Tab1->setCurrentIndex(tab); }

    static void Retype(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        for (const QChar c : text) {
            if (c.unicode() < 0x80)
                QTest::keyClick(box, c.toLatin1());
            else
                QTest::sendKeyEvent(QTest::Click, box, Qt::Key_unknown, QString(c), Qt::NoModifier);
        }
    }

    void typeName(int tab, const QString& name) { Retype(combo(tab)->lineEdit(), name); }
    void typeDescription(int tab, const QString& text) { Retype(description(tab), text); }

    // Chooses an entry of the name list with the arrow keys, as a user does.
    QStringList choose(int tab, const QString& name)
    {
        QComboBox* box = combo(tab);
        const int index = box->findText(name);
        EXPECT_GE(index, 0) << name.toStdString();
        MessageBoxes boxes;
        box->setFocus();
        if (index == 0) {
            box->setCurrentIndex(1);
            QTest::keyClick(box, Qt::Key_Up);
        } else {
            box->setCurrentIndex(index - 1);
            QTest::keyClick(box, Qt::Key_Down);
        }
        return boxes.texts;
    }

    QStringList save(int tab, const QString& name, QList<Button> answers = {})
    {
        showTab(tab);
        typeName(tab, name);
        return clickTool(1, std::move(answers));
    }

    QStringList listed(int tab)
    {
        QStringList items;
        for (int i = 0; i < combo(tab)->count(); ++i)
            items << combo(tab)->itemText(i);
        return items;
    }

    bool tableExists(const QString& fullName) { return db().sql().tableNames().contains(fullName); }

    void setPresets(const QStringList& volts, const QStringList& amps)
    {
        ProgramTable& ipm = h.w().tableM();
        ipm.cutToHeader();
        for (int k = 0; k < volts.size(); ++k)
            ipm.addRow({ QString(), QString::number(k + 1), volts[k], amps[k] });
    }

    QStringList presetRows()
    {
        const ProgramTable& ipm = h.w().tableM();
        QStringList rows;
        for (int r = 1; r < ipm.rows(); ++r)
            rows << QStringList { ipm.cell(r, 0), ipm.cell(r, 1), ipm.cell(r, 2), ipm.cell(r, 3) }
                        .join(u'|');
        return rows;
    }

    // A live log of count samples, the newest first: sample i holds (base + i) V
    // and (base + i) / 10 A.
    void recordLog(int count, int base = 1)
    {
        h.s().LogSamples.markEmpty();
        for (int i = count - 1; i >= 0; --i) {
            const auto volts = static_cast<float>(base + i);
            h.s().LogSamples.shiftIn(volts, volts / 10.0f);
        }
    }

    StorageActions* actions = nullptr;
};

TEST_F(StorageActionsTest, StartUpListsTheStoredNamesOfEveryKind)
{
    setEtpRow(1, QStringLiteral("01.0"), QStringLiteral("0.5"), QStringLiteral("00"),
        QStringLiteral("10"), true);
    EXPECT_TRUE(save(1, QStringLiteral("etp one")).isEmpty());
    setPresets({ QStringLiteral("05.0"), QStringLiteral("06.0"), QStringLiteral("07.0") },
        { QStringLiteral("1.0"), QStringLiteral("1.0"), QStringLiteral("1.0") });
    EXPECT_TRUE(save(2, QStringLiteral("ipm one")).isEmpty());
    recordLog(3);
    EXPECT_TRUE(save(3, QStringLiteral("log one")).isEmpty());

    // A new window on the same data folder.
    startWindow();
    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)") }), listed(0));
    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)"), QStringLiteral("etp one") }), listed(1));
    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)"), QStringLiteral("ipm one") }), listed(2));
    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)"), QStringLiteral("log one") }), listed(3));
    for (int tab = 0; tab < 4; ++tab)
        EXPECT_EQ(QStringLiteral("(Untitle)"), combo(tab)->currentText()) << tab;
}

TEST_F(StorageActionsTest, SavedExternalProgramLoadsBackWithItsOutputsAndCatalogue)
{
    ASSERT_EQ(21, h.w().tableE().rows());
    setEtpRow(1, QStringLiteral("12.5"), QStringLiteral("1.5"), QStringLiteral("01"),
        QStringLiteral("30"), true);
    setEtpRow(2, QStringLiteral("05.0"), QStringLiteral("0.2"), QStringLiteral("00"),
        QStringLiteral("15"), false);
    showTab(1);
    typeDescription(1, QStringLiteral("ramp, slow"));
    const QDateTime savedAt = h.clock.now();
    EXPECT_TRUE(save(1, QStringLiteral("Ramp")).isEmpty());
    const QStringList saved = etpRows();

    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)"), QStringLiteral("Ramp") }), listed(1));
    EXPECT_EQ((QStringList { QStringLiteral("E_Ramp|1|3|%1|%2|ramp, slow")
                                 .arg(savedAt.date().toString(Qt::ISODate),
                                     savedAt.time().toString(QStringLiteral("HH:mm:ss"))) }),
        Column(db(),
            QStringLiteral("SELECT TableName || '|' || TableType || '|' || Sampling || '|' || Date "
                           "|| '|' || Time || '|' || Description FROM DescriptionT "
                           "WHERE TableName = 'E_Ramp'")));
    EXPECT_EQ(20, Column(db(), QStringLiteral("SELECT Voltage FROM \"E_Ramp\"")).size());

    // Change the grid, then choose the stored name.
    setEtpRow(1, QStringLiteral("00.0"), QStringLiteral("0.0"), QStringLiteral("00"),
        QStringLiteral("00"), false);
    setEtpRow(2, QStringLiteral("00.0"), QStringLiteral("0.0"), QStringLiteral("00"),
        QStringLiteral("00"), true);
    typeDescription(1, QStringLiteral("other"));
    choose(1, QStringLiteral("(Untitle)"));
    EXPECT_EQ(QString(), description(1)->text());
    EXPECT_TRUE(choose(1, QStringLiteral("Ramp")).isEmpty());
    EXPECT_EQ(saved, etpRows());
    EXPECT_EQ(QStringLiteral("ramp, slow"), description(1)->text());
    EXPECT_TRUE(h.w().tableE().outputOn(1));
    EXPECT_FALSE(h.w().tableE().outputOn(2));
    EXPECT_TRUE(h.ui().saveButton->isEnabled());
}

TEST_F(StorageActionsTest, TypingAStoredNameLoadsNothingOverTheGrid)
{
    setEtpRow(1, QStringLiteral("12.5"), QStringLiteral("1.5"), QStringLiteral("01"),
        QStringLiteral("30"), true);
    EXPECT_TRUE(save(1, QStringLiteral("Ramp")).isEmpty());
    EXPECT_TRUE(save(1, QStringLiteral("Ramp2")).isEmpty());

    // New work in the grid, then its name typed: the beginning of a stored
    // name, then a stored name exactly, each followed by Enter or leaving the box.
    setEtpRow(1, QStringLiteral("03.0"), QStringLiteral("0.5"), QStringLiteral("00"),
        QStringLiteral("10"), false);
    const QStringList work = etpRows();
    MessageBoxes boxes;
    typeName(1, QStringLiteral("Ra"));
    QTest::keyClick(combo(1)->lineEdit(), Qt::Key_Return);
    EXPECT_EQ(QStringLiteral("Ra"), combo(1)->currentText()) << "not completed to a stored name";
    typeName(1, QStringLiteral("Ramp"));
    QTest::keyClick(combo(1)->lineEdit(), Qt::Key_Return);
    description(1)->setFocus();
    typeName(1, QStringLiteral("Ramp2"));
    description(1)->setFocus();
    EXPECT_EQ(work, etpRows());
    EXPECT_EQ(QStringLiteral("Ramp2"), combo(1)->currentText());
    EXPECT_TRUE(boxes.texts.isEmpty());
    EXPECT_EQ(3, combo(1)->count()) << "Enter adds nothing to the list";
}

// Stored steps go over the grid's first rows with their outputs and the rest
// of the grid stays; an empty grid gets its 20 rows first; a grid shorter than
// the stored table grows, and rows past the 20th are left out.
TEST_F(StorageActionsTest, LoadedStepsGoOverTheGridsFirstRows)
{
    ProgramTable& etp = h.w().tableE();
    etp.setRowCount(4);
    for (int r = 1; r <= 3; ++r) {
        setEtpRow(r, QStringLiteral("0%1.0").arg(r), QStringLiteral("0.%1").arg(r),
            QStringLiteral("00"), QStringLiteral("0%1").arg(r), r != 2);
    }
    save(1, QStringLiteral("three"));
    // A stored table longer than the grid, written by another installation.
    SqlDatabase& sql = db().sql();
    ASSERT_TRUE(sql.exec(QStringLiteral("CREATE TABLE \"E_long\" (Voltage VARCHAR(4), "
                                        "Current VARCHAR(4), Minute VARCHAR(4), Second "
                                        "VARCHAR(4), Output BOOLEAN)")));
    for (int r = 1; r <= 25; ++r) {
        ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO \"E_long\" VALUES ('%1.0', '0.1', "
                                            "'00', '05', 0)")
                                 .arg(r, 2, 10, QLatin1Char('0'))));
    }
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO DescriptionT (TableName, TableType) VALUES "
                                        "('E_long', '1')")));
    actions->RefreshTableLists();

    struct Case {
        const char* what;
        int rowsBefore; // with the header
        const char* name;
        QStringList first;
        const char* last;
    };
    const Case cases[] = {
        { "full grid", 21, "three",
            { "1|01.0|0.1|00|01|on", "2|02.0|0.2|00|02|off", "3|03.0|0.3|00|03|on",
                "4|09.9|0.9|09|09|on" },
            "20|09.9|0.9|09|09|on" },
        { "only the header", 1, "three", { "1|01.0|0.1|00|01|on", "2|02.0|0.2|00|02|off" },
            "|||||on" },
        { "short grid", 6, "long", { "1|01.0|0.1|00|05|off" }, "20|20.0|0.1|00|05|off" },
    };
    for (const Case& c : cases) {
        etp.setRowCount(c.rowsBefore);
        for (int r = 1; r < c.rowsBefore; ++r) {
            etp.setCell(r, 0, QString::number(r));
            setEtpRow(r, QStringLiteral("09.9"), QStringLiteral("0.9"), QStringLiteral("09"),
                QStringLiteral("09"), true);
        }
        EXPECT_TRUE(choose(1, QString::fromLatin1(c.name)).isEmpty()) << c.what;
        const QStringList rows = etpRows();
        ASSERT_EQ(20, rows.size()) << c.what;
        EXPECT_EQ(c.first, rows.mid(0, c.first.size())) << c.what;
        EXPECT_EQ(QString::fromLatin1(c.last), rows.last()) << c.what;
    }
}

TEST_F(StorageActionsTest, OverwriteQuestionNoKeepsAndYesReplacesEveryKind)
{
    struct Case {
        int tab;
        QString question;
        QString fullName;
        QString firstValue; // of the first stored Voltage
    };
    const std::vector<Case> cases {
        { 0, QStringLiteral("Table already exist. Overwrte it ?"), QStringLiteral("P_same"), {} },
        { 1, QStringLiteral("Table already exist. Overwrte it ?"), QStringLiteral("E_same"),
            QStringLiteral("01.0") },
        { 2, QStringLiteral("Table already exist. Overwrte it ?"), QStringLiteral("M_same"),
            QStringLiteral("01.0") },
        { 3, QStringLiteral("Log already exist. Overwrte it ?"), QStringLiteral("L_same"),
            QStringLiteral("1.0") },
    };
    // Puts value v into the tab's table.
    auto fill = [this](int tab, int v) {
        const QString volts = QStringLiteral("%1.0").arg(v, 2, 10, QLatin1Char('0'));
        if (tab == 1)
            setEtpRow(
                1, volts, QStringLiteral("0.1"), QStringLiteral("00"), QStringLiteral("05"), true);
        else if (tab == 2)
            setPresets({ volts, volts, volts },
                { QStringLiteral("0.1"), QStringLiteral("0.1"), QStringLiteral("0.1") });
        else if (tab == 3)
            recordLog(2, v);
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        fill(c.tab, 1);
        showTab(c.tab);
        typeDescription(c.tab, QStringLiteral("first"));
        EXPECT_TRUE(save(c.tab, QStringLiteral("same")).isEmpty());
        const QString firstVoltage
            = QStringLiteral("SELECT Voltage FROM \"%1\" LIMIT 1").arg(c.fullName);
        const QString catalogue
            = QStringLiteral("SELECT Description FROM DescriptionT WHERE TableName = '%1'")
                  .arg(c.fullName);

        fill(c.tab, 2);
        typeDescription(c.tab, QStringLiteral("second"));
        EXPECT_EQ(QStringList { c.question }, clickTool(1, { QMessageBox::No }));
        EXPECT_EQ(QStringList { QStringLiteral("first") }, Column(db(), catalogue));
        if (!c.firstValue.isEmpty()) {
            EXPECT_EQ(QStringList { c.firstValue }, Column(db(), firstVoltage));
        }

        EXPECT_EQ(QStringList { c.question }, clickTool(1, { QMessageBox::Yes }));
        EXPECT_EQ(QStringList { QStringLiteral("second") }, Column(db(), catalogue));
        if (!c.firstValue.isEmpty()) {
            EXPECT_NE(QStringList { c.firstValue }, Column(db(), firstVoltage));
        }
        EXPECT_EQ(2, listed(c.tab).size());
    }
    // The log is replaced whole: still 1801 rows, the end mark after sample 1.
    EXPECT_EQ(QStringList { QStringLiteral("1801") },
        Column(db(), QStringLiteral("SELECT count(*) FROM \"L_same\"")));
    EXPECT_EQ(QStringList { QStringLiteral("-2.0") },
        Column(db(), QStringLiteral("SELECT Voltage FROM \"L_same\" WHERE Time = 6")));
}

TEST_F(StorageActionsTest, SavingWithoutANameOnlyFocusesTheNameBox)
{
    showTab(1);
    for (const QString& name : { QStringLiteral("(Untitle)"), QString() }) {
        SCOPED_TRACE(name.toStdString());
        typeName(1, name);
        EXPECT_FALSE(h.ui().saveButton->isEnabled());
        EXPECT_FALSE(h.ui().deleteButton->isEnabled());
        description(1)->setFocus();
        MessageBoxes boxes;
        actions->SaveTableToDb();
        actions->DeleteTableFromDb();
        EXPECT_TRUE(boxes.texts.isEmpty());
        EXPECT_TRUE(combo(1)->hasFocus());
        EXPECT_EQ(QStringList(),
            Column(db(),
                QStringLiteral("SELECT TableName FROM DescriptionT "
                               "WHERE TableType = '1'")));
    }
    typeName(1, QStringLiteral("n"));
    EXPECT_TRUE(h.ui().saveButton->isEnabled());
    EXPECT_TRUE(h.ui().deleteButton->isEnabled());
}

TEST_F(StorageActionsTest, NamesWithQuotesBracketsAndSemicolonsRoundTrip)
{
    const QStringList names { QStringLiteral("it's"), QStringLiteral("say \"hi\""),
        QStringLiteral("[x]"), QStringLiteral("a;DROP TABLE DescriptionT;--"),
        QStringLiteral("Grün ü") };
    for (int k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(names[k].toStdString());
        const QString volts = QStringLiteral("%1.5").arg(k + 10);
        setEtpRow(
            1, volts, QStringLiteral("0.1"), QStringLiteral("00"), QStringLiteral("05"), true);
        EXPECT_TRUE(save(1, names[k]).isEmpty());
    }
    EXPECT_EQ(QStringList { QStringLiteral("(Untitle)") } + names, listed(1));
    for (int k = 0; k < names.size(); ++k) {
        SCOPED_TRACE(names[k].toStdString());
        EXPECT_TRUE(choose(1, names[k]).isEmpty());
        EXPECT_EQ(QStringLiteral("%1.5").arg(k + 10), h.w().tableE().cell(1, 1));
    }
    // Deleting one leaves the others.
    EXPECT_TRUE(choose(1, names[0]).isEmpty());
    EXPECT_EQ(QStringList { QStringLiteral("Are you sure to delete th table 'it's' ?") },
        clickTool(4, { QMessageBox::Yes }));
    EXPECT_EQ(QStringList { QStringLiteral("(Untitle)") } + names.mid(1), listed(1));
}

TEST_F(StorageActionsTest, PresetTableLoadsWithItsSelectors)
{
    setPresets({ QStringLiteral("05.0"), QStringLiteral("12.0"), QStringLiteral("24.0") },
        { QStringLiteral("1.0"), QStringLiteral("2.0"), QStringLiteral("3.0") });
    showTab(2);
    typeDescription(2, QStringLiteral("bench"));
    save(2, QStringLiteral("three presets"));
    const QStringList saved = presetRows();

    setPresets({ QStringLiteral("01.0") }, { QStringLiteral("0.1") });
    typeDescription(2, QString());
    EXPECT_TRUE(choose(2, QStringLiteral("three presets")).isEmpty());
    EXPECT_EQ(saved, presetRows());
    EXPECT_EQ(QStringLiteral("bench"), description(2)->text());
    for (int k = 1; k <= 3; ++k) {
        EXPECT_FALSE(selector(k)->isHidden()) << k;
        EXPECT_TRUE(selector(k)->isEnabled()) << k;
    }
}

TEST_F(StorageActionsTest, PresetTableWithoutThreeRowsLoadsNothing)
{
    SqlDatabase& sql = db().sql();
    ASSERT_TRUE(sql.exec(
        QStringLiteral("CREATE TABLE \"M_two\" (Voltage VARCHAR(4), Current VARCHAR(4))")));
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO \"M_two\" VALUES ('05.0', '1.0')")));
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO \"M_two\" VALUES ('06.0', '1.0')")));
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO DescriptionT (TableName, TableType, "
                                        "Description) VALUES ('M_two', '2', 'two only')")));
    actions->RefreshTableLists();
    setPresets({ QStringLiteral("01.0"), QStringLiteral("02.0"), QStringLiteral("03.0") },
        { QStringLiteral("0.1"), QStringLiteral("0.2"), QStringLiteral("0.3") });
    const QStringList before = presetRows();
    showTab(2);
    EXPECT_TRUE(choose(2, QStringLiteral("two")).isEmpty());
    EXPECT_EQ(before, presetRows());
    EXPECT_EQ(QStringLiteral("two only"), description(2)->text());
}

TEST_F(StorageActionsTest, SavedLogLoadsAsTheStoredLogWithItsCompanions)
{
    recordLog(4);
    h.s().SampleTime = 5;
    showTab(3);
    typeDescription(3, QStringLiteral("overnight"));
    h.clock.advance(90 * 1000);
    const QDateTime savedAt = h.clock.now();
    save(3, QStringLiteral("night"));
    EXPECT_EQ(QStringList { QStringLiteral("1801") },
        Column(db(), QStringLiteral("SELECT count(*) FROM \"L_night\"")));
    EXPECT_EQ((QStringList { QStringLiteral("0"), QStringLiteral("5"), QStringLiteral("10") }),
        Column(db(), QStringLiteral("SELECT Time FROM \"L_night\" LIMIT 3")));

    const LogSamples saved = h.s().LogSamples;
    recordLog(2);
    ASSERT_FALSE(h.ui().Option2[1]->isEnabled());
    choose(3, QStringLiteral("(Untitle)"));
    EXPECT_TRUE(choose(3, QStringLiteral("night")).isEmpty());
    EXPECT_EQ(saved.volts, h.s().StoredLog.volts);
    EXPECT_EQ(saved.amps, h.s().StoredLog.amps);
    EXPECT_EQ(QStringLiteral("night"), h.s().StoredLogName);
    EXPECT_EQ(5, h.s().StoredLogSampling);
    EXPECT_EQ(savedAt.date(), h.s().StoredLogDate);
    EXPECT_EQ(savedAt.time().toString(), h.s().StoredLogTime.toString());
    EXPECT_EQ(QStringLiteral("overnight"), h.s().StoredLogDesc);
    EXPECT_EQ(QStringLiteral("overnight"), description(3)->text());
    EXPECT_TRUE(h.ui().Option2[1]->isEnabled());
    EXPECT_TRUE(h.ui().Option2[1]->isChecked());

    // Choosing no name goes back to the live log.
    choose(3, QStringLiteral("(Untitle)"));
    EXPECT_TRUE(h.ui().Option2[0]->isChecked());
    EXPECT_FALSE(h.ui().Option2[1]->isEnabled());
    EXPECT_EQ(QString(), description(3)->text());
}

TEST_F(StorageActionsTest, LogWithoutItsFullLengthLoadsNothing)
{
    SqlDatabase& sql = db().sql();
    ASSERT_TRUE(sql.exec(
        QStringLiteral("CREATE TABLE \"L_short\" (Time INTEGER, Voltage REAL, Current REAL)")));
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO \"L_short\" VALUES (0, 1.0, 0.1)")));
    ASSERT_TRUE(sql.exec(QStringLiteral("INSERT INTO DescriptionT (TableName, TableType, "
                                        "Sampling) VALUES ('L_short', '3', 7)")));
    actions->RefreshTableLists();
    h.s().StoredLog.markEmpty();
    h.s().StoredLogSampling = 3;
    showTab(3);
    EXPECT_TRUE(choose(3, QStringLiteral("short")).isEmpty());
    EXPECT_TRUE(LogSamples::isEndMark(h.s().StoredLog.volts[0]));
    EXPECT_EQ(3, h.s().StoredLogSampling);
    EXPECT_FALSE(h.ui().Option2[1]->isEnabled());
}

TEST_F(StorageActionsTest, GroupLogIsNotListedThoughItsTableExists)
{
    recordLog(2);
    save(3, QStringLiteral("grouped"));
    save(3, QStringLiteral("plain"));
    ASSERT_TRUE(db().sql().exec(QStringLiteral(
        "UPDATE DescriptionT SET Description = 'GroupLog' WHERE TableName = 'L_grouped'")));
    actions->RefreshTableLists();
    EXPECT_EQ((QStringList { QStringLiteral("(Untitle)"), QStringLiteral("plain") }), listed(3));
    EXPECT_TRUE(tableExists(QStringLiteral("L_grouped")));
}

TEST_F(StorageActionsTest, DeleteAsksAndClearsTheTabOfEveryKind)
{
    struct Case {
        int tab;
        QString question;
        QString fullName;
    };
    const std::vector<Case> cases {
        { 0, QStringLiteral("Are you sure to delete th table 'gone' ?"), QStringLiteral("P_gone") },
        { 1, QStringLiteral("Are you sure to delete th table 'gone' ?"), QStringLiteral("E_gone") },
        { 2, QStringLiteral("Are you sure to delete th table 'gone' ?"), QStringLiteral("M_gone") },
        { 3, QStringLiteral("Are you sure to delete th Log 'gone' ?"), QStringLiteral("L_gone") },
    };
    setEtpRow(1, QStringLiteral("12.0"), QStringLiteral("1.2"), QStringLiteral("01"),
        QStringLiteral("02"), false);
    setPresets({ QStringLiteral("05.0"), QStringLiteral("06.0"), QStringLiteral("07.0") },
        { QStringLiteral("1.0"), QStringLiteral("1.0"), QStringLiteral("1.0") });
    recordLog(3);
    for (const Case& c : cases) {
        SCOPED_TRACE(c.tab);
        showTab(c.tab);
        typeDescription(c.tab, QStringLiteral("doomed"));
        save(c.tab, QStringLiteral("gone"));
        if (c.tab == 3)
            choose(3, QStringLiteral("gone"));
        ASSERT_TRUE(tableExists(c.fullName));

        EXPECT_EQ(QStringList { c.question }, clickTool(4, { QMessageBox::No }));
        EXPECT_TRUE(tableExists(c.fullName));
        EXPECT_EQ(QStringLiteral("gone"), combo(c.tab)->currentText());

        EXPECT_EQ(QStringList { c.question }, clickTool(4, { QMessageBox::Yes }));
        EXPECT_FALSE(tableExists(c.fullName));
        EXPECT_EQ(QStringList(),
            Column(db(),
                QStringLiteral("SELECT TableName FROM DescriptionT WHERE TableName = '%1'")
                    .arg(c.fullName)));
        EXPECT_EQ(QStringList { QStringLiteral("(Untitle)") }, listed(c.tab));
        EXPECT_EQ(QStringLiteral("(Untitle)"), combo(c.tab)->currentText());
        EXPECT_EQ(QString(), description(c.tab)->text());
        EXPECT_FALSE(h.ui().saveButton->isEnabled());
    }
    // The cleared tables keep their rows and step numbers.
    const QStringList rows = etpRows();
    ASSERT_EQ(20, rows.size());
    const QString current = h.p().currFormat;
    EXPECT_EQ(QStringLiteral("1|00.0|%1|00|00|on").arg(current), rows[0]);
    EXPECT_EQ(QStringLiteral("20|00.0|%1|00|00|on").arg(current), rows[19]);
    EXPECT_EQ((QStringList { QStringLiteral("|1|00.0|") + current,
                  QStringLiteral("|2|00.0|") + current, QStringLiteral("|3|00.0|") + current }),
        presetRows());
    EXPECT_TRUE(h.ui().Option2[0]->isChecked());
    EXPECT_FALSE(h.ui().Option2[1]->isEnabled());
}

// The desktop's keys run the tool bar's buttons with the same questions and
// dialogs; Delete in a text box or on a grid stays there.
TEST_F(StorageActionsTest, StandardKeysDoWhatTheirButtonsDo)
{
    save(1, QStringLiteral("kept"));
    QStringList seen;
    h.prompts.saveFile = [&](const QString&) {
        seen << QStringLiteral("save dialog");
        return QString();
    };
    h.prompts.openFile = [&](const QString&) {
        seen << QStringLiteral("open dialog");
        return QString();
    };
    // Every box and dialog is answered No or cancelled, and noted.
    QTimer closer;
    QObject::connect(&closer, &QTimer::timeout, [&] {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible())
            return;
        const auto* box = qobject_cast<QMessageBox*>(modal);
        seen << QString::fromLatin1(modal->metaObject()->className())
                + (box ? QStringLiteral(": ") + box->text() : QString());
        modal->hide();
        QMetaObject::invokeMethod(modal, "reject", Qt::QueuedConnection);
    });
    closer.start(0);
    QTableView* grid = h.ui().FGridE;
    const auto observe = [&](const std::function<void()>& act) {
        seen.clear();
        if (!h.w().isActiveWindow()) {
            h.w().activateWindow();
            EXPECT_TRUE(QTest::qWaitForWindowActive(&h.w()));
        }
        act();
        return seen;
    };
    const std::function<void()> onGrid = [&] {
        grid->setCurrentIndex(h.w().tableE().index(0, 5));
        grid->setFocus(Qt::TabFocusReason);
    };
    const std::function<void()> inEditor = [&] {
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {},
            grid->visualRect(h.w().tableE().index(0, 3)).center());
    };
    const std::function<void()> inNameBox = [&] { combo(1)->setFocus(Qt::TabFocusReason); };
    const std::function<void()> onTabs = [&] { h.ui().Tab1->setFocus(Qt::TabFocusReason); };
    const struct {
        const char* where;
        std::function<void()> focus;
        QKeySequence key;
        int button; // 0: none
    } cases[] = {
        { "grid", onGrid, QKeySequence::Save, 1 },
        { "editor", inEditor, QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S), 2 },
        { "name box", inNameBox, QKeySequence::Open, 3 },
        { "tabs", onTabs, QKeySequence::Print, 5 },
        { "tabs", onTabs, QKeySequence::Delete, 4 },
        { "grid", onGrid, QKeySequence::Delete, 0 },
        { "editor", inEditor, QKeySequence::Delete, 0 },
        { "name box", inNameBox, QKeySequence::Delete, 0 },
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(
            std::string(c.where) + " " + c.key.toString(QKeySequence::NativeText).toStdString());
        QStringList byButton;
        if (c.button > 0) {
            byButton = observe([&] {
                QTest::mouseClick(
                    h.ui().Toolbar2->widgetForAction(
                        h.ui().storageButtons()[static_cast<std::size_t>(c.button - 1)]),
                    Qt::LeftButton);
            });
            EXPECT_FALSE(byButton.isEmpty());
        }
        const QStringList byKey = observe([&] {
            c.focus();
            seen.clear();
            QTest::keySequence(QApplication::focusWidget(), c.key);
        });
        EXPECT_EQ(byButton, byKey);
    }
    EXPECT_TRUE(tableExists(QStringLiteral("E_kept")));
}

TEST_F(StorageActionsTest, DeletingANameThatIsNotStoredSaysSo)
{
    showTab(2);
    typeName(2, QStringLiteral("ghost"));
    setPresets({ QStringLiteral("05.0") }, { QStringLiteral("1.0") });
    const QStringList before = presetRows();
    EXPECT_EQ(QStringList { QStringLiteral("' ghost ' table no exist !") }, clickTool(4));
    EXPECT_EQ(before, presetRows());
    EXPECT_EQ(QStringLiteral("ghost"), combo(2)->currentText());
}

TEST_F(StorageActionsTest, AFailedSaveSaysWhyAndStoresNothing)
{
    // A cell text longer than its stored column.
    setEtpRow(1, QStringLiteral("12.345"), QStringLiteral("0.1"), QStringLiteral("00"),
        QStringLiteral("05"), true);
    const QStringList texts = save(1, QStringLiteral("too long"));
    ASSERT_EQ(1, texts.size());
    EXPECT_TRUE(texts[0].contains(QStringLiteral("12.345"))) << texts[0].toStdString();
    EXPECT_FALSE(tableExists(QStringLiteral("E_too long")));
    EXPECT_EQ(QStringList { QStringLiteral("(Untitle)") }, listed(1));
    EXPECT_EQ(QStringLiteral("too long"), combo(1)->currentText());
}

TEST_F(StorageActionsTest, StoredNameWhoseTableIsGoneShowsTheMessage)
{
    save(1, QStringLiteral("vanished"));
    ASSERT_TRUE(db().sql().exec(QStringLiteral("DROP TABLE \"E_vanished\"")));
    const QStringList before = etpRows();
    EXPECT_EQ(QStringList { QStringLiteral("' vanished ' table no exist !") },
        choose(1, QStringLiteral("vanished")));
    EXPECT_EQ(before, etpRows());

    // Deleting it says so once more and takes the name out of the list.
    combo(1)->setEditText(QStringLiteral("vanished"));
    EXPECT_EQ(QStringList { QStringLiteral("' vanished ' table no exist !") }, clickTool(4));
    EXPECT_FALSE(listed(1).contains(QStringLiteral("vanished")));
    EXPECT_EQ(before, etpRows());
}

TEST_F(StorageActionsTest, UntitledChoiceWithoutSupplyEmptiesThePresetGrid)
{
    h.setFaults(QStringLiteral("silent")); // the supply goes away
    h.w().ConnectSupply();
    h.settle();
    ASSERT_FALSE(h.p().connected);
    setPresets({ QStringLiteral("05.0") }, { QStringLiteral("1.0") });
    save(2, QStringLiteral("p"));
    typeDescription(2, QStringLiteral("text"));
    choose(2, QStringLiteral("(Untitle)"));
    EXPECT_EQ(1, h.w().tableM().rows());
    EXPECT_EQ(QString(), description(2)->text());
    for (int k = 1; k <= 9; ++k)
        EXPECT_TRUE(selector(k)->isHidden()) << k;
}

TEST_F(StorageActionsTest, DescriptionBoxSelectsItsWholeTextOnFocus)
{
    showTab(1);
    description(1)->setText(QStringLiteral("a long description"));
    combo(1)->setFocus();
    QTest::mouseClick(description(1), Qt::LeftButton, {}, QPoint(4, 4));
    QApplication::processEvents();
    EXPECT_EQ(QStringLiteral("a long description"), description(1)->selectedText());
}

} // namespace
