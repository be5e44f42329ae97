#include "programs/ProgramTable.h"
#include "programs/TablePrinter.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"
#include "tests/support/RecordingPage.h"
#include <QAbstractItemModelTester>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Cells outside the table read empty and are never written; rows are padded and
// trimmed to the columns; the header row is never dropped.
TEST(ProgramTableTest, CellsInsideAndOutsideTheTable)
{
    StepsOf etp("5.0 1.0 01 30; 6.0 2.0 02 00");
    EXPECT_EQ(etp.cellAt(2 * 6 + 3), "02");
    etp.setCellAt(2 * 6 + 4, "45");
    EXPECT_EQ(etp.cell(2, 4), "45");
    etp.setCell(0, 3, " Minute ");
    EXPECT_EQ(etp.columnOf("Minute"), 3); // captions are compared trimmed
    EXPECT_EQ(etp.columnOf("Nothing"), -1);
    PresetsOf ipm("12.0 1.0");
    for (const auto& [row, column] : { std::pair { -1, 0 }, { 0, -1 }, { 2, 0 }, { 1, 4 } }) {
        ipm.setCell(row, column, "x");
        ipm.setColour(row, column, CellColour::Green);
        EXPECT_EQ(ipm.cell(row, column), "") << row << "," << column;
        EXPECT_EQ(ipm.colour(row, column), CellColour::Normal);
    }
    EXPECT_EQ(ipm.cellAt(-3), "");
    ipm.setCellAt(-3, "x");
    ipm.setCellAt(100, "x");
    ipm.addRow({ "", "2", "3.0", "1.0", "surplus" });
    ipm.addRow({ "", "3" });
    EXPECT_EQ(ipm.cell(2, 3) + ipm.cell(3, 3), "1.0");
    EXPECT_EQ(ipm.columns(), 4);
    ipm.setRowCount(-5);
    EXPECT_EQ(ipm.rows(), 1);
    EXPECT_EQ(ipm.headerText(2), "Voltage");
}

// Qt's model tester watches every change below; output flags are on by default
// and outlive the rows; a step whose output is unset keeps its flag; the preset
// selection shows as the Select column's check.
TEST(ProgramTableTest, StepsPresetsAndChecksThroughTheModel)
{
    ProgramTable etp(TableKind::Etp);
    QAbstractItemModelTester etpTester(&etp, QAbstractItemModelTester::FailureReportingMode::Fatal);
    EXPECT_TRUE(etp.outputOn(7));
    EXPECT_FALSE(etp.outputOn(0));
    const std::vector<ProgramStep> two { { "1", "5.0", "1.0", "01", "30", true },
        { "2", "6.0", "2.0", "02", "00", false } };
    etp.setSteps(two);
    EXPECT_EQ(etp.steps(), two);
    etp.setRowCount(8);
    etp.setColour(7, 1, CellColour::DarkRed);
    etp.setCell(0, 1, "Volts");
    etp.setRowCount(3);
    EXPECT_EQ(etp.data(etp.index(1, 5), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(etp.setData(etp.index(1, 5), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(etp.outputOn(2));
    etp.setOutputOn(2, false);
    etp.cutToHeader();
    etp.setSteps({ { "1", "", "", "", "", std::nullopt }, { "2", "", "", "", "", std::nullopt } });
    EXPECT_FALSE(etp.step(2).output());
    etp.setAllOutputsOn();
    EXPECT_TRUE(etp.outputOn(2));

    ProgramTable ipm(TableKind::Ipm);
    QAbstractItemModelTester ipmTester(&ipm, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<PresetRow> presets { { "1", "5.0", "1.0" }, { "2", "6.0", "2.0" },
        { "3", "7.0", "1.0" } };
    ipm.setPresets(presets);
    EXPECT_EQ(ipm.presets(), presets);
    EXPECT_TRUE(ipm.setData(ipm.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(ipm.setData(ipm.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ipm.selectedPreset(), 2);
    EXPECT_EQ(ipm.data(ipm.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(ipm.data(ipm.index(2, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ipm.setSelectedPreset(-1);
    EXPECT_EQ(ipm.selectedPreset(), 2);
}

TEST(ProgramTableTest, SpaceTogglesTheCurrentStepsOutputInAView)
{
    StepsOf etp("5.0 1.0 01 00; 6.0 1.0 01 00");
    QTableView view;
    view.setModel(&etp);
    view.show();
    view.setCurrentIndex(etp.index(1, 5));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_FALSE(etp.outputOn(2));
    EXPECT_TRUE(etp.outputOn(1));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_TRUE(etp.outputOn(2));
}

// The heading names the location only when given; presets print their
// selection marks, steps a tick (two strokes) for each checked output, and no
// more than twenty rows while the table keeps them all.
TEST(TablePrinterTest, HeadingRowsMarksAndTicks)
{
    RecordingPage bare;
    TablePrinter::PrintIpmTable(bare, ProgramTable(TableKind::Ipm), { "(Untitle)", "", "" });
    EXPECT_NE(bare.find("Table Name : (Untitle)"), nullptr);
    EXPECT_NE(bare.find("Preset"), nullptr);
    EXPECT_EQ(bare.documentsEnded(), 1);

    PresetsOf ipm("12.0 1.00; 12.0 1.00; 12.0 1.00");
    ipm.setSelectedPreset(2);
    RecordingPage presets;
    TablePrinter::PrintIpmTable(presets, ipm, { "P", "", "" });
    QString marks;
    for (const auto& t : presets.texts())
        marks += t.x < 15.0 + (190.0 - 35.0) / 4 && t.y > 53.0 ? t.text : "";
    EXPECT_EQ(marks, QString::fromUtf8("○●○"));

    StepsOf etp(QStringList(25, "5.0 1.00 00 10").join("; "));
    etp.setOutputOn(2, false);
    RecordingPage steps;
    TablePrinter::PrintEtpTable(steps, etp, { "Burn-in", "Long run", "Bench 3" });
    EXPECT_NE(steps.find("Table Name : Burn-in  (Location : Bench 3)"), nullptr);
    EXPECT_NE(steps.find("Table Description : Long run"), nullptr);
    EXPECT_NE(steps.find("20"), nullptr);
    EXPECT_EQ(steps.find("21"), nullptr);
    EXPECT_EQ(etp.dataRows(), 25);
    // Slanted strokes are the ticks: the row of each, its top within the row.
    QString ticks;
    double lowest = 0;
    for (const auto& l : steps.lines()) {
        lowest = std::max({ lowest, l.y1, l.y2 });
        const double top = std::min(l.y1, l.y2) - 50.0;
        if (l.x1 != l.x2 && l.y1 != l.y2 && top < 40.0)
            ticks += QString::number(static_cast<int>(top / 10.0)) + QString::number(l.x1 > 144);
    }
    EXPECT_EQ(ticks, "11113131");
    EXPECT_EQ(lowest, 50.0 + 21 * 10.0);
}

} // namespace
