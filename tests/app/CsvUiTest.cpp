#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/WindowFixture.h"

#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <gtest/gtest.h>

namespace {

using Button = QMessageBox::StandardButton;

const QString kEtpTitles
    = QStringLiteral("Preset,Voltage(mV),Current(mA),Minute(M),Second(S),Output");

class CsvUiTest : public WindowFixture {
protected:
    void SetUp() override
    {
        ASSERT_NO_FATAL_FAILURE(showWindow());
        ASSERT_TRUE(files.isValid());
    }

    QString path(const QString& name) const { return files.filePath(name); }

    static QByteArray Read(const QString& file)
    {
        QFile f(file);
        return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
    }

    static void Write(const QString& file, const QByteArray& bytes)
    {
        QFile f(file);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(bytes);
    }

    QLineEdit* description(int tab) { return h.ui().TextTableD[static_cast<std::size_t>(tab)]; }
    QRadioButton* selector(int k) { return h.ui().Option1[static_cast<std::size_t>(k)]; }
    void showTab(int tab) { h.ui().Tab1->setCurrentIndex(tab); }

    void typeDescription(int tab, const QString& text)
    {
        QLineEdit* box = description(tab);
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }

    // Exports through the save dialog answered with file (nothing: cancel).
    QStringList exportTo(std::optional<QString> file, QList<Button> answers = {})
    {
        h.prompts.saveFile = [this, file](const QString& start) {
            proposals << QFileInfo(start).fileName();
            return file.value_or(QString());
        };
        return clickTool(2, std::move(answers));
    }

    QStringList importFrom(std::optional<QString> file)
    {
        h.prompts.openFile = [file](const QString&) { return file.value_or(QString()); };
        return clickTool(3);
    }

    void setPresets(const QStringList& volts, const QStringList& amps)
    {
        ProgramTable& ipm = h.w().tableM();
        ipm.cutToHeader();
        for (int k = 0; k < volts.size(); ++k)
            ipm.addRow({ QString(), QString::number(k + 1), volts[k], amps[k] });
        h.w().presetGrid().placeOverlay();
        h.w().presetGrid().check();
    }

    QStringList presetRows()
    {
        const ProgramTable& ipm = h.w().tableM();
        QStringList rows;
        for (int r = 1; r < ipm.rows(); ++r)
            rows << QStringList { ipm.cell(r, 1), ipm.cell(r, 2), ipm.cell(r, 3) }.join(u'|');
        return rows;
    }

    QTemporaryDir files;
    QStringList proposals;
};

TEST_F(CsvUiTest, ExternalProgramRoundTripKeepsEveryStepAndOutput)
{
    showTab(1);
    for (int r = 1; r <= 20; ++r) {
        setEtpRow(r, QStringLiteral("%1.5").arg(r, 2, 10, QLatin1Char('0')),
            QStringLiteral("0.%1").arg(r + 10),
            QStringLiteral("%1").arg(r % 3, 2, 10, QLatin1Char('0')),
            QStringLiteral("%1").arg(r * 2, 2, 10, QLatin1Char('0')), r % 3 != 0);
    }
    typeDescription(1, QStringLiteral("twenty steps"));
    const QStringList before = etpRows();
    EXPECT_TRUE(exportTo(path(QStringLiteral("all.csv"))).isEmpty());
    EXPECT_EQ(QStringList { QStringLiteral("ETP-A-0001.csv") }, proposals);

    for (int r = 1; r <= 20; ++r)
        setEtpRow(r, QStringLiteral("00.0"), QStringLiteral("0.00"), QStringLiteral("00"),
            QStringLiteral("00"), r % 2 == 0);
    typeDescription(1, QStringLiteral("other"));
    EXPECT_TRUE(importFrom(path(QStringLiteral("all.csv"))).isEmpty());
    EXPECT_EQ(before, etpRows());
    EXPECT_EQ(QStringLiteral("twenty steps"), description(1)->text());
    EXPECT_FALSE(h.ui().FGridE->isHidden());
}

TEST_F(CsvUiTest, PresetRoundTripKeepsTheRowsAndTheSelectedPreset)
{
    showTab(2);
    setPresets({ QStringLiteral("05.0"), QStringLiteral("12.5"), QStringLiteral("30.0") },
        { QStringLiteral("1.25"), QStringLiteral("2.50"), QStringLiteral("0.05") });
    // Choosing a preset is the program tabs' own event; the file takes the selectors.
    h.w().tableM().setSelectedPreset(2);
    h.w().presetGrid().placeOverlay();
    ASSERT_FALSE(selector(2)->isHidden());
    ASSERT_TRUE(selector(2)->isChecked());
    typeDescription(2, QStringLiteral("bench"));
    EXPECT_TRUE(exportTo(path(QStringLiteral("presets.csv"))).isEmpty());
    EXPECT_EQ(QStringList { QStringLiteral("IPM-A-0001.csv") }, proposals);
    EXPECT_EQ(
        QByteArray("Type:IPM\r\nDescription:bench\r\nPreset,Select,Voltage(mV),Current(mA)\r\n"
                   "1,False,5000,1250\r\n2,True,12500,2500\r\n3,False,30000,50\r\n"),
        Read(path(QStringLiteral("presets.csv"))));

    setPresets({ QStringLiteral("01.0") }, { QStringLiteral("0.1") });
    typeDescription(2, QString());
    EXPECT_TRUE(importFrom(path(QStringLiteral("presets.csv"))).isEmpty());
    // Hundredths of an ampere come back as they went out on this supply.
    EXPECT_EQ((QStringList { QStringLiteral("1|05.0|1.25"), QStringLiteral("2|12.5|2.50"),
                  QStringLiteral("3|30.0|0.05") }),
        presetRows());
    EXPECT_EQ(QStringLiteral("bench"), description(2)->text());
    EXPECT_EQ(2, h.w().tableM().selectedPreset());
    for (int k = 1; k <= 3; ++k) {
        EXPECT_FALSE(selector(k)->isHidden()) << k;
        EXPECT_EQ(k == 2, selector(k)->isChecked()) << k;
    }
}

TEST_F(CsvUiTest, LogRoundTripGivesTheStoredLogAndItsInterval)
{
    showTab(3);
    LogSamples& live = h.s().LogSamples;
    live.markEmpty();
    for (int i = 3; i >= 0; --i)
        live.shiftIn(10.0f + static_cast<float>(i) * 0.125f, 0.5f + static_cast<float>(i) / 8.0f);
    h.s().SampleTime = 3;
    typeDescription(3, QStringLiteral("night run"));
    const QString expectedName = QStringLiteral("Now-")
        + h.clock.now().toString(QStringLiteral("yyyyMMdd-HHmmss")) + ".csv";
    EXPECT_TRUE(exportTo(path(QStringLiteral("run.2.csv"))).isEmpty());
    EXPECT_EQ(QStringList { expectedName }, proposals);
    // "run.2.csv" is cut at its first dot.
    const QByteArray bytes = Read(path(QStringLiteral("run.csv")));
    EXPECT_EQ(QByteArray("Type:LOG\r\nDescription:night run\r\nTime(S),Voltage(mV),Current(mA)\r\n"
                         "0,10000,500\r\n3,10125,625\r\n6,10250,750\r\n9,10375,875\r\n"),
        bytes);

    h.s().StoredLogSampling = 60;
    typeDescription(3, QString());
    EXPECT_TRUE(importFrom(path(QStringLiteral("run.csv"))).isEmpty());
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(live.volts[i], h.s().StoredLog.volts[i]) << i;
        EXPECT_EQ(live.amps[i], h.s().StoredLog.amps[i]) << i;
    }
    EXPECT_TRUE(LogSamples::isEndMark(h.s().StoredLog.volts[4]));
    EXPECT_EQ(3, h.s().StoredLogSampling);
    EXPECT_EQ(QStringLiteral("run"), h.s().StoredLogName);
    EXPECT_EQ(QStringLiteral("night run"), h.s().StoredLogDesc);
    EXPECT_EQ(QStringLiteral("night run"), description(3)->text());
    EXPECT_TRUE(h.ui().Option2[1]->isEnabled());
    EXPECT_TRUE(h.ui().Option2[1]->isChecked());

    // The stored log exports under its own name, to the same bytes.
    proposals.clear();
    typeDescription(3, QStringLiteral("night run"));
    EXPECT_TRUE(exportTo(path(QStringLiteral("again"))).isEmpty());
    EXPECT_EQ(QStringList { QStringLiteral("Log-run.csv") }, proposals);
    EXPECT_EQ(bytes, Read(path(QStringLiteral("again.csv"))));
}

TEST_F(CsvUiTest, LogFileWithOneSampleKeepsThePreviousInterval)
{
    showTab(3);
    Write(path(QStringLiteral("one.csv")),
        "Type:LOG\r\nDescription:\r\nTime(S),Voltage(mV),Current(mA)\r\n0,5000,100\r\n");
    h.s().StoredLogSampling = 7;
    EXPECT_TRUE(importFrom(path(QStringLiteral("one.csv"))).isEmpty());
    EXPECT_EQ(7, h.s().StoredLogSampling);
    EXPECT_EQ(5.0f, h.s().StoredLog.volts[0]);
    EXPECT_TRUE(LogSamples::isEndMark(h.s().StoredLog.volts[1]));
}

TEST_F(CsvUiTest, CancelledDialogsShowNothingAndChangeNothing)
{
    for (const int tab : { 0, 1, 2, 3 }) {
        SCOPED_TRACE(tab);
        showTab(tab);
        const QStringList etp = etpRows();
        EXPECT_TRUE(exportTo(std::nullopt).isEmpty());
        EXPECT_TRUE(importFrom(std::nullopt).isEmpty());
        EXPECT_EQ(etp, etpRows());
    }
    EXPECT_EQ(QStringList(), QDir(files.path()).entryList(QDir::Files));
}

TEST_F(CsvUiTest, ExistingFileIsReplacedOnlyAfterYes)
{
    showTab(1);
    Write(path(QStringLiteral("keep.csv")), "old");
    const QString question = QStringLiteral("File 'keep.csv' already exist. Overwrte it ?");
    EXPECT_EQ(
        QStringList { question }, exportTo(path(QStringLiteral("keep")), { QMessageBox::No }));
    EXPECT_EQ(QByteArray("old"), Read(path(QStringLiteral("keep.csv"))));
    EXPECT_EQ(
        QStringList { question }, exportTo(path(QStringLiteral("keep.txt")), { QMessageBox::Yes }));
    EXPECT_TRUE(Read(path(QStringLiteral("keep.csv"))).startsWith("Type:ETP\r\n"));
    EXPECT_FALSE(QFile::exists(path(QStringLiteral("keep.txt"))));
}

TEST_F(CsvUiTest, ACellThatIsNoNumberLeavesTheFileAsItWas)
{
    showTab(1);
    Write(path(QStringLiteral("bad.csv")), "old");
    h.w().tableE().setCell(3, 1, QStringLiteral("abc"));
    const QStringList texts = exportTo(path(QStringLiteral("bad.csv")), { QMessageBox::Yes });
    ASSERT_EQ(2, texts.size());
    EXPECT_FALSE(texts[1].isEmpty());
    EXPECT_EQ(QByteArray("old"), Read(path(QStringLiteral("bad.csv"))));
}

// A file that cannot be read to its end, or is of another kind, changes
// nothing on any tab: not the rows, not the name, not the description.
TEST_F(CsvUiTest, ABrokenFileOrOneOfAnotherKindChangesNothing)
{
    Write(path(QStringLiteral("etp.csv")),
        "Type:ETP\r\nDescription:broken\r\n" + kEtpTitles.toLatin1()
            + "\r\n1,500,250,01,30,1\r\n2,600,250,01,30,0\r\n3,700");
    Write(path(QStringLiteral("ipm.csv")),
        "Type:IPM\r\nDescription:b\r\n1,False,5000,1000\r\n2,True,12500,1x00\r\n");
    Write(path(QStringLiteral("log.csv")), "Type:LOG\r\nDescription:b\r\n0,5000,1000\r\n3,x,1\r\n");
    struct Case {
        int tab;
        QString file;
        QString message; // the message, or its start
    };
    const std::vector<Case> cases {
        { 1, QStringLiteral("missing.csv"), QStringLiteral("The file '") },
        { 1, QStringLiteral("etp.csv"), QStringLiteral("Line 6: ") },
        { 2, QStringLiteral("ipm.csv"), QStringLiteral("Line 4: ") },
        { 3, QStringLiteral("log.csv"), QStringLiteral("Line 4: ") },
        { 1, QStringLiteral("ipm.csv"),
            QStringLiteral("Sorry ! The file isn't a 'External Timed Program' table .") },
        { 2, QStringLiteral("log.csv"),
            QStringLiteral("Sorry ! The file isn't a 'Internal Preset Memory' table .") },
        { 3, QStringLiteral("etp.csv"),
            QStringLiteral("Sorry ! The file isn't a 'Data Log' table .") },
    };
    setPresets({ QStringLiteral("05.0"), QStringLiteral("12.5"), QStringLiteral("20.0") },
        { QStringLiteral("1.0"), QStringLiteral("2.5"), QStringLiteral("0.5") });
    h.w().tableM().setSelectedPreset(3);
    h.s().StoredLog.markEmpty();
    h.s().StoredLogName = QStringLiteral("kept");
    for (const Case& c : cases) {
        SCOPED_TRACE(c.file.toStdString());
        showTab(c.tab);
        typeDescription(c.tab, QStringLiteral("mine"));
        const QStringList etp = etpRows();
        const QStringList ipm = presetRows();
        const QStringList texts = importFrom(path(c.file));
        ASSERT_EQ(1, texts.size());
        EXPECT_TRUE(texts[0].startsWith(c.message)) << texts[0].toStdString();
        EXPECT_EQ(etp, etpRows());
        EXPECT_EQ(ipm, presetRows());
        EXPECT_EQ(3, h.w().tableM().selectedPreset());
        EXPECT_EQ(QStringLiteral("mine"), description(c.tab)->text());
        EXPECT_TRUE(LogSamples::isEndMark(h.s().StoredLog.volts[0]));
        EXPECT_EQ(QStringLiteral("kept"), h.s().StoredLogName);
        EXPECT_FALSE(h.ui().Option2[1]->isEnabled());
        EXPECT_EQ(nullptr, QApplication::overrideCursor());
    }
}

TEST_F(CsvUiTest, InternalProgramTabWritesAnEmptyFileAndReadsNothing)
{
    showTab(0);
    EXPECT_TRUE(exportTo(path(QStringLiteral("itp"))).isEmpty());
    EXPECT_EQ(QByteArray(), Read(path(QStringLiteral("itp.csv"))));

    Write(path(QStringLiteral("etp.csv")), "Type:ETP\r\nDescription:e\r\n1,500,250,01,30,1\r\n");
    const QStringList etp = etpRows();
    EXPECT_TRUE(importFrom(path(QStringLiteral("etp.csv"))).isEmpty());
    EXPECT_EQ(1, h.w().tableP().rows());
    EXPECT_EQ(etp, etpRows());
}

} // namespace
