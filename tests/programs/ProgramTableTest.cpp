#include "programs/ProgramTable.h"

#include "tests/support/QtPrinting.h"
#include <QAbstractItemModelTester>
#include <QSignalSpy>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

// Cells are addressed by row and column or by row times columns plus column;
// cells outside the table read empty and are never written.
TEST(ProgramTableTest, CellsInsideAndOutsideTheTable)
{
    ProgramTable etp(TableKind::Etp);
    etp.addRow({ "1", "5.0", "1.0", "01", "30" });
    etp.addRow({ "2", "6.0", "2.0", "02", "00" });
    EXPECT_EQ(etp.cellAt(2 * 6 + 3), "02");
    etp.setCellAt(2 * 6 + 4, "45");
    EXPECT_EQ(etp.cell(2, 4), "45");
    EXPECT_EQ(etp.columnOf("Voltage"), 1);
    etp.setCell(0, 3, " Minute ");
    EXPECT_EQ(etp.columnOf("Minute"), 3); // captions are compared trimmed
    EXPECT_EQ(etp.columnOf("Nothing"), -1);

    ProgramTable ipm(TableKind::Ipm);
    ipm.addRow({ "", "1", "12.0", "1.0" });
    const std::pair<int, int> outside[] = { { -1, 0 }, { 0, -1 }, { 2, 0 }, { 1, 4 }, { 99, 99 } };
    for (const auto& [row, column] : outside) {
        ipm.setCell(row, column, "x");
        EXPECT_EQ(ipm.cell(row, column), "") << row << "," << column;
        ipm.setColour(row, column, CellColour::Green);
        EXPECT_EQ(ipm.colour(row, column), CellColour::Normal);
    }
    EXPECT_EQ(ipm.cellAt(-3), "");
    ipm.setCellAt(-3, "x");
    ipm.setCellAt(100, "x");
    EXPECT_EQ(ipm.rows(), 2);
    // Rows are padded and trimmed to the columns; the header row is never dropped.
    ipm.addRow({ "", "2", "3.0", "1.0", "surplus" });
    ipm.addRow({ "", "3" });
    EXPECT_EQ(ipm.cell(2, 3), "1.0");
    EXPECT_EQ(ipm.cell(3, 3), "");
    EXPECT_EQ(ipm.columns(), 4);
    for (int count : { 0, -5 }) {
        ipm.setRowCount(count);
        EXPECT_EQ(ipm.rows(), 1);
        EXPECT_EQ(ipm.headerText(2), "Voltage");
    }
}

// Qt's model tester watches every change; the views rely on the signals
// naming the changed cell.
TEST(ProgramTableTest, ModelStaysConsistentAndSignalsTheChangedCell)
{
    ProgramTable etp(TableKind::Etp);
    QAbstractItemModelTester tester(&etp, QAbstractItemModelTester::FailureReportingMode::Fatal);
    for (int k = 1; k <= 5; ++k)
        etp.addRow({ QString::number(k), "1.0", "1.0", "00", "10" });
    etp.setRowCount(3);
    etp.setRowCount(8);
    QSignalSpy changed(&etp, &QAbstractItemModel::dataChanged);
    QSignalSpy header(&etp, &QAbstractItemModel::headerDataChanged);
    etp.setCell(1, 2, "2.0");
    etp.setCell(1, 2, "2.0"); // unchanged text: no signal
    etp.setColour(2, 1, CellColour::DarkRed);
    etp.setOutputOn(1, false);
    ASSERT_EQ(changed.count(), 3);
    EXPECT_EQ(changed.at(0).at(0).toModelIndex(), etp.index(0, 2));
    EXPECT_EQ(changed.at(1).at(0).toModelIndex(), etp.index(1, 1));
    EXPECT_EQ(changed.at(2).at(0).toModelIndex(), etp.index(0, 5));
    EXPECT_EQ(etp.data(etp.index(0, 5), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    EXPECT_TRUE(etp.setData(etp.index(0, 5), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(etp.outputOn(1));
    etp.setCell(0, 1, "Volts");
    EXPECT_EQ(header.count(), 1);
    etp.cutToHeader();
    EXPECT_EQ(etp.rowCount(), 0);
}

// Steps and presets are the rows: setting them keeps the table to their count
// and writes in place. Output flags are on by default and outlive the rows; a
// step whose output is unset keeps its flag.
TEST(ProgramTableTest, StepsAndPresetsAreTheRows)
{
    ProgramTable etp(TableKind::Etp);
    EXPECT_TRUE(etp.outputOn(7));
    EXPECT_FALSE(etp.outputOn(0));
    const std::vector<ProgramStep> two { { "1", "5.0", "1.0", "01", "30", true },
        { "2", "6.0", "2.0", "02", "00", false } };
    etp.setSteps(two);
    EXPECT_EQ(etp.cell(2, 3), "02");
    EXPECT_EQ(etp.steps(), two);
    etp.cutToHeader();
    etp.setSteps({ { "1", "", "", "", "", std::nullopt }, { "2", "", "", "", "", std::nullopt } });
    EXPECT_FALSE(etp.step(2).output());
    etp.setAllOutputsOn();
    EXPECT_TRUE(etp.outputOn(2));

    ProgramTable ipm(TableKind::Ipm);
    QAbstractItemModelTester tester(&ipm, QAbstractItemModelTester::FailureReportingMode::Fatal);
    const std::vector<PresetRow> presets { { "1", "5.0", "1.0" }, { "2", "6.0", "2.0" },
        { "3", "7.0", "1.0" } };
    ipm.setPresets(presets);
    EXPECT_EQ(ipm.cell(2, 0), "");
    EXPECT_EQ(ipm.presets(), presets);
    // The selection shows as the Select column's check.
    EXPECT_EQ(ipm.selectedPreset(), 0);
    EXPECT_TRUE(ipm.setData(ipm.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_EQ(ipm.selectedPreset(), 2);
    EXPECT_EQ(ipm.data(ipm.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(ipm.data(ipm.index(0, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);
    ipm.setSelectedPreset(-1);
    EXPECT_EQ(ipm.selectedPreset(), 2);
}

TEST(ProgramTableTest, SpaceTogglesTheCurrentStepsOutputInAView)
{
    ProgramTable etp(TableKind::Etp);
    etp.addRow({ "1", "5.0", "1.0", "01", "00" });
    etp.addRow({ "2", "6.0", "1.0", "01", "00" });
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

} // namespace
