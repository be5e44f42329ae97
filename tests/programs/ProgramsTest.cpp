#include "programs/CellEditorRules.h"
#include "programs/ExtProgramRunner.h"
#include "programs/PresetTransfer.h"
#include "programs/TablePrinter.h"
#include "programs/TableRules.h"

#include "tests/support/QtPrinting.h"
#include "tests/support/RecordingPage.h"
#include <QAbstractItemModelTester>
#include <QTableView>
#include <QTest>

#include <gtest/gtest.h>

namespace {

using CellEditorRules::CellPos;
using Action = ExtProgramRunner::ClickAction;
constexpr TableKind E = TableKind::Etp, P = TableKind::Ipm;
constexpr int R = Qt::Key_Right, L = Qt::Key_Left, U = Qt::Key_Up, D = Qt::Key_Down;
const TableLimits kLimits { 36.0f, 5.0f, "0.00", 100 }, kTenths { 36.0f, 5.0f, "0.0", 10 };
const TableLimits kLowVolts { 0.5f, 5.0f, "0.00", 100 };
const QString kV = "Voltage must be 1 - 36 and 1 digit of precision .";
const QString kV05 = "Voltage must be 1 - 0.5 and 1 digit of precision .";
const QString kA = "Current must be 0.01 - 5 and 2 digit of precision .";
const QString kM = "Minute must be 0 - 99.", kS = "Second must be 0 - 59.";

// Rows apart by "; ", cells by a space; steps "volts amps minute second [off]"
// and presets "volts amps" are numbered from 1.
struct TableOf : ProgramTable {
    TableOf(TableKind kind, const QString& text)
        : ProgramTable(kind)
    {
        for (const QString& row : text.split("; ", Qt::SkipEmptyParts)) {
            const QStringList number { QString::number(rows()) };
            addRow(kind == E    ? number + row.split(' ')
                    : kind == P ? QStringList { "" } + number + row.split(' ')
                                : row.split(' '));
            if (kind == E)
                setOutputOn(dataRows(), !row.endsWith(" off"));
        }
    }
};

QString Repeat(const QString& s, int n, const char* apart = " ")
{
    return QStringList(n, s).join(apart);
}

// Typing mirrors; leaving a cell checks and replaces (step 2 is untimed), relaying the editor.
TEST(CellEditorRulesTest, TypingLeavingArrowsAndTheEditorsPlace)
{
    const std::tuple<TableKind, int, QString, std::optional<QString>> mirrors[]
        = { { E, 1, "12,5", "12.5" }, { E, 1, "5", "5.0" }, { E, 1, "abc", "0.0" },
              { E, 2, "1,234", "1.23" }, { E, 3, "7", "07" }, { E, 4, "4,6", "04" },
              { E, 5, "3", {} }, { P, 2, "5", "05.0" }, { P, 3, "1,25", "1.25" },
              { P, 1, "2", {} } };
    for (const auto& [kind, column, typed, cell] : mirrors) {
        EXPECT_EQ(CellEditorRules::MirrorKeyRelease(kind, column, typed, "0.00"), cell)
            << column << " '" << typed.toStdString() << "'";
    }
    const struct {
        TableKind kind;
        int row, column;
        QString typed, message;
        std::optional<QString> editor;
        QString cell;
        const TableLimits& limits = kLimits;
    } cases[] = { { E, 1, 1, "12,5", "", {}, "12.5" }, { E, 1, 1, "5", "", {}, "05.0" },
        { E, 1, 1, "36", "", {}, "36.0" }, { E, 1, 1, "36.04", kV, "36", "36.0" },
        { E, 2, 1, "0.5", kV, "00.0", "00.0" }, { E, 1, 1, "0.5", kV, "01.0", "01.0" },
        { E, 1, 1, "999999999999999999999", kV, "36", "36.0" },
        { E, 1, 1, "0", kV05, "00.0", "00.0", kLowVolts }, { E, 1, 2, "0", kA, "0.01", "0.01" },
        { E, 2, 2, "0", kA, "000", "0.00" }, { E, 1, 2, "7", kA, "5", "5.00" },
        { E, 1, 2, "0", kA, "0.1", "0.1", kTenths }, { E, 1, 3, "150", kM, "99", "99" },
        { E, 1, 3, "-5", kM, "00", "00" }, { E, 1, 3, "99.5", kM, "99", "99" },
        { E, 1, 4, "-3", kS, "00", "00" }, { E, 1, 4, "60", kS, "59", "59" },
        { E, 1, 4, "59", "", {}, "59" }, { E, 1, 4, "12,7", "", {}, "13" },
        { E, 1, 2, "1e9", "", {}, "1.00" }, { P, 2, 2, "12,5", "", {}, "12.5" },
        { P, 2, 2, "0.5", kV, "1", "01.0" }, { P, 2, 2, "0.5", kV05, "0", "00.0", kLowVolts },
        { P, 2, 3, "0", kA, "0.01", "0.01" },
        { P, 2, 3, "0", "Current must be 0.01 - 0 and 2 digit of precision .", "0", "0.00",
            { 36.0f, 0.0f, "0.00", 100 } } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + " in column " + std::to_string(c.column));
        TableOf table(c.kind, c.kind == E ? "5.0 1.00 01 00; 5.0 1.00 00 00" : "5.0 1.00; 5 1");
        const auto result = c.kind == P
            ? CellEditorRules::CommitIpmCell(table, c.row, c.column, c.typed, c.limits)
            : CellEditorRules::CommitEtpCell(table, c.row, c.column, c.typed, c.limits);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->message, c.message);
        EXPECT_EQ(result->editorText, c.editor);
        EXPECT_EQ(result->cellText + ' ' + table.cell(c.row, c.column), c.cell + ' ' + c.cell);
        EXPECT_EQ(result->relayEditor, c.editor && c.column < (c.kind == P ? 4 : 3));
    }
    // Unchecked columns, the header row, rows beyond the table (last two: presets).
    TableOf etp(E, "5.0 1.00 01 00"), ipm(P, "5.0 1.00");
    for (const auto& [row, column] : { std::pair { 1, 0 }, { 1, 5 }, { 2, 1 }, { 0, 1 } }) {
        EXPECT_FALSE(CellEditorRules::CommitEtpCell(etp, row, column, "9", kLimits).has_value());
        EXPECT_FALSE(
            CellEditorRules::CommitIpmCell(ipm, row, column + 1, "9", kLimits).has_value());
    }
    EXPECT_EQ(etp.cell(1, 0) + ipm.cell(1, 1), "11");

    // Losing focus clamps silently, but not for "Run" or the toolbar; presets: hides for a button.
    const struct {
        int column;
        QString typed;
        std::optional<QString> cell;
        const char* focus = "CboPort";
    } losses[] = { { 1, "0.5", "01.0" }, { 1, "12,5", "12.5" }, { 1, "0", "00.0" },
        { 2, "0", "0.00" }, { 3, "0", "00" }, { 4, "7", "07" }, { 5, "3", {} },
        { 1, "999", {}, "CmdRunStop" }, { 1, "999", {}, "Toolbar2" } };
    for (const auto& c : losses) {
        const auto loss
            = CellEditorRules::OnEtpEditorFocusLost(c.focus, c.column, c.typed, kLimits);
        EXPECT_EQ(loss.cellText, c.cell) << c.column << " " << c.typed.toStdString();
        EXPECT_EQ(loss.runCheck, QString(c.focus) == "CboPort");
    }
    using Loss = CellEditorRules::IpmFocusLoss;
    const std::tuple<const char*, const char*, Loss> ipmLosses[]
        = { { "CmdRunStop", "1", Loss::HideOnly }, { "CmdRS", "1", Loss::HideOnly },
              { "CmdSS", "1", Loss::HideOnly }, { "TextM", "1", Loss::KeepEditor },
              { "CmbAddr", "1", Loss::CommitThenHide }, { "CmbAddr", "2", Loss::HideOnly } };
    for (const auto& [focus, cell, loss] : ipmLosses) {
        EXPECT_EQ(CellEditorRules::OnIpmEditorFocusLost(focus, cell, "2"), loss) << focus;
        EXPECT_EQ(
            CellEditorRules::IpmKeyReleaseHidesEditor(focus), QString(focus).startsWith("Cmd"))
            << focus;
    }

    // Arrow keys. Tabs: 0 internal and 1 external program (20 steps), 2 presets (3).
    const std::tuple<int, int, int, int, std::optional<CellPos>> moves[]
        = { { 1, 3, 4, R, { { 4, 1 } } }, { 1, 20, 4, R, {} }, { 1, 3, 2, R, { { 3, 3 } } },
              { 1, 3, 1, L, { { 2, 4 } } }, { 1, 1, 1, L, {} }, { 1, 3, 3, L, { { 3, 2 } } },
              { 1, 1, 2, U, {} }, { 1, 2, 2, U, { { 1, 2 } } }, { 1, 20, 2, D, {} },
              { 1, 19, 2, D, { { 20, 2 } } }, { 1, 3, 2, Qt::Key_Return, {} },
              { 1, 3, 5, R, { { 4, 1 } } }, { 2, 1, 3, R, { { 2, 2 } } },
              { 2, 2, 2, L, { { 1, 3 } } }, { 2, 2, 1, L, {} }, { 1, 0, 1, D, {} } };
    for (const auto& [tab, row, column, key, to] : moves) {
        const ProgramTable table(static_cast<TableKind>(tab));
        QStringList headers;
        for (int k = 0; k < table.columns(); ++k)
            headers << table.headerText(k);
        EXPECT_EQ(CellEditorRules::MoveEditorByArrow(
                      tab, row, column, tab == 2 ? 4 : 21, table.columns(), headers, key),
            to)
            << "tab " << tab << " row " << row << " col " << column << " key " << key;
    }
    // The editor lies over the cell inside the grid's lines; editable cells, visible tab, no run.
    const TableOf step(E, "5.0 1.00 01 00"), preset(P, "05.0 1.00"), empty(E, "");
    const std::tuple<const ProgramTable&, bool, int, int, int, std::optional<QString>,
        std::optional<QRect>, bool, bool>
        layouts[] = { { step, false, 1, 1, 2, "1.00", QRect(900, 315, 1000, 270), true, false },
            { preset, false, 2, 1, 2, "05.0", QRect(915, 315, 985, 285), true, false },
            { step, true, 1, 1, 1, {}, {}, false, false }, // program running
            { step, false, 1, 1, 5, {}, {}, false, true }, // output column
            { step, false, 2, 1, 1, "5.0", {}, false, false }, // other tab
            { empty, false, 1, 0, 1, "Voltage", QRect(900, 315, 1000, 270), false, false } };
    for (const auto& [table, running, tab, row, column, text, rect, show, hide] : layouts) {
        const auto layout = CellEditorRules::LayEditor(
            table, running, tab, row, column, QRect(900, 300, 1000, 300));
        EXPECT_EQ(layout.text, text) << column;
        EXPECT_EQ(layout.rectTwips, rect) << column;
        EXPECT_EQ(std::pair(layout.show, layout.hide), std::pair(show, hide)) << column;
    }
}

// Colours (G green, R dark red, - none) up to the first untimed row; "Run" needs time and supply.
TEST(TableRulesTest, ChecksClampsPresetSelectorsClearingAndCycles)
{
    const std::tuple<QString, const char*, bool, bool> cases[]
        = { { "0.0 5.00 00 10", "GGGG", 1, 1 }, { "36.0 0.00 00 10", "GRGG", 1, 1 },
              { "36.1 5.01 00 10", "RRGG", 1, 1 }, { "12,5 0,01 00 10", "GGGG", 1, 1 },
              { "5.0 1.00 120 75", "GGRR", 1, 1 },
              { "5.0 1.00 00 05; 99.0 9.00 00 00; 99.0 9.00 01 00", "GGGG ---- ----", 1, 1 },
              { "", "", 0, 1 }, { "5.0 1.00 00 00", "----", 0, 1 }, { "5.0 1.00  ", "----", 0, 1 },
              { "5.0 1.00 01 00", "GGGG", 0, 0 } };
    for (const auto& [steps, colours, runEnabled, connected] : cases) {
        TableOf etp(E, steps);
        for (int cell = 7; cell < 6 * etp.rows(); ++cell)
            etp.setColour(cell / 6, cell % 6, CellColour::DarkRed);
        EXPECT_EQ(TableRules::CheckEtpTable(etp, kLimits, connected), runEnabled) << colours;
        QStringList shown;
        for (int row = 1; row <= etp.dataRows(); ++row) {
            shown << "";
            for (int column = 1; column <= 4; ++column)
                shown.last() += "-GR"[static_cast<int>(etp.colour(row, column))];
        }
        EXPECT_EQ(shown.join(' '), colours);
    }
    // Within: 0 .. limit in single precision. {typed, within, sent, grid before a run and upload}
    const TableLimits limits { 36.1f, 2.55f, "0.00", 100 };
    const double uvl = limits.uvl, ucl = limits.ucl;
    const std::tuple<QString, bool, TableRules::Setting, QString, QString> clamps[]
        = { { "12.0 1.00 01 30", true, { 12.0, 1.0 }, "12.0 1.00 01 30", "12.0 1.00" },
              { "36.1 2.55 99 59", true, { uvl, ucl }, "36.1 2.55 99 59", "36.1 2.55" },
              { "40 3 120 75", false, { uvl, ucl }, "36.1 2.55 99 59", "36.1 2.55" },
              { "-1.0 -0.50 -1 -5", false, { 0.0, 0.0 }, "00.0 0.00 00 00", "-1.0 -0.50" } };
    for (const auto& [typed, within, sent, clampedStep, clampedPreset] : clamps) {
        SCOPED_TRACE(typed.toStdString());
        TableOf etp(E, typed), ipm(P, typed.section(' ', 0, 1));
        const ProgramStep step = etp.step(1);
        EXPECT_EQ(TableRules::WithinLimit(TableRules::TextNumber(step.voltage), limits.uvl)
                && TableRules::WithinLimit(TableRules::TextNumber(step.current), limits.ucl),
            within);
        for (const TableRules::Setting out : { TableRules::ClampToLimits(step, limits),
                 TableRules::ClampToLimits(ipm.preset(1), limits) })
            EXPECT_EQ(std::pair(out.volts, out.amps), std::pair(sent.volts, sent.amps));
        TableRules::ClampStepsToLimits(etp, 1, limits);
        EXPECT_EQ(etp.steps(), TableOf(E, clampedStep).steps());
        EXPECT_EQ(TableRules::ClampPresetsToLimits(ipm, limits),
            clampedPreset != typed.section(' ', 0, 1));
        EXPECT_EQ(ipm.presets(), TableOf(P, clampedPreset).presets());
    }

    // Presets: volts from 1, current above 0; "Set" follows preset, run and supply.
    const QString values = "0.5 1.00; 1.0 0.00; 36.0 5.00";
    TableOf ipm(P, values);
    const TableRules::IpmCheck check = TableRules::CheckIpmTable(ipm, kLimits, false, true);
    QString shown;
    for (int row = 1; row <= 3; ++row)
        for (int column : { 2, 3 })
            shown += ipm.colour(row, column) == CellColour::Green ? 'G' : 'R';
    EXPECT_EQ(shown, "RGGRGG");
    EXPECT_EQ(check.selectorEnabled, (std::vector<bool> { false, false, false, true }));
    EXPECT_FALSE(check.setEnabled.has_value()); // nothing selected: "Set" untouched
    EXPECT_EQ(TableRules::EnablePresetSelectors(TableOf(P, "12.0 0,5; 5.0 0; 5.0 1.00")),
        (std::array<bool, 4> { false, true, false, true }));
    const std::tuple<int, bool, bool, std::optional<bool>> checks[]
        = { { 1, false, true, false }, { 3, false, true, true }, { 3, true, true, false },
              { 3, false, false, false }, { 0, false, true, {} } };
    for (const auto& [selected, running, connected, setEnabled] : checks) {
        TableOf table(P, values);
        table.setSelectedPreset(selected);
        EXPECT_EQ(
            TableRules::CheckIpmTable(table, kLimits, running, connected).setEnabled, setEnabled)
            << selected;
    }
    TableOf selectors(P, "12.0 1.00; 40.0 1.00; 5.0 1.00");
    const std::tuple<int, bool, bool, bool, int> clicks[] = { { 1, false, true, true, 1 },
        { 2, false, true, false, 2 }, { 3, true, true, false, 3 }, { 3, false, false, false, 3 },
        { 4, false, true, false, 3 }, { 0, false, true, false, 3 } };
    for (const auto& [preset, running, connected, sends, selected] : clicks) {
        EXPECT_EQ(TableRules::SelectPreset(selectors, preset, 36.0f, running, connected), sends);
        EXPECT_EQ(selectors.selectedPreset(), selected) << preset;
    }
    EXPECT_TRUE(TableRules::GridClickSelectsPreset(selectors, 1, true));
    EXPECT_FALSE(TableRules::GridClickSelectsPreset(selectors, 1, false));
    EXPECT_FALSE(TableRules::GridClickSelectsPreset(selectors, 2, true));

    // Twenty default steps; clearing keeps rows and numbers, not the internal program.
    TableOf etp(E, "9.0 9.00 09 09");
    etp.setOutputOn(4, false);
    TableRules::InitEtpTable(etp, "0.00");
    EXPECT_EQ(etp.steps(), TableOf(E, Repeat("0.0 0.00 00 00", 20, "; ")).steps());
    etp.setCell(7, 1, "12.0");
    etp.setOutputOn(7, false);
    TableRules::ClearTable(etp, "0.0");
    EXPECT_EQ(etp.steps(), TableOf(E, Repeat("00.0 0.0 00 00", 20, "; ")).steps());
    TableOf cleared(P, "12.0 1.00; 5.0 0.50; 3.0 0.10"), itp(TableKind::Itp, "1 3.0 1.0 01 00");
    TableRules::ClearTable(cleared, "0.00");
    EXPECT_EQ(cleared.presets(), TableOf(P, Repeat("00.0 0.00", 3, "; ")).presets());
    TableRules::ClearTable(itp, "0.0");
    EXPECT_EQ(itp.cell(1, 1), "3.0");
    // The cycle box holds a whole number; a negative one keeps its sign.
    const std::pair<QString, QString> cycles[] = { { "12.7", "13" }, { "3,6", "3" },
        { "5000", "999" }, { "999", "999" }, { "", "0" }, { "-12.4", "-12" }, { " 7x", "7" } };
    for (const auto& [typed, text] : cycles)
        EXPECT_EQ(TableRules::NormaliseCycleText(typed), text) << typed.toStdString();
    const std::pair<QString, int> counts[] = { { "2", 2 }, { "", 0 }, { "abc", 0 }, { "-1", -1 },
        { "12.7", 13 }, { "99999999999999", 999 }, { "-99999999999", -999 } };
    for (const auto& [text, count] : counts)
        EXPECT_EQ(TableRules::CycleCount(text), count) << text.toStdString();
}

// Each timer tick, then the poll sends a due step; traces waits, lines and "end".
struct Runner {
    ExtProgramRunner runner;
    TableLimits limits = kTenths;
    QStringList trace;

    void ticks(const ProgramTable& etp, int n, const TableLimits* lowerAfterSend = nullptr)
    {
        for (int i = 0; i < n; ++i) {
            const auto tick = runner.ExtStepTick(etp);
            trace << (tick.runCompleted ? "end" : QString::number(tick.intervalMs));
            if (tick.runCompleted)
                return;
            if (const auto step = runner.PendingStep(etp, limits)) {
                trace << step->sevcParameter;
                runner.StepSent();
                limits = lowerAfterSend ? *lowerAfterSend : limits;
            }
        }
    }
};

// Long steps wait in minute blocks; a row without time ends; cycles 0 or none run
// until stopped; no sign sent, no 0 ms wait; lowered limits hold at once.
TEST(ExtProgramRunnerTest, RunSendsEachStepOnceAndWaitsItsTime)
{
    const TableLimits lowered { 5.0f, 1.0f, "0.0", 10 };
    const struct {
        QString steps;
        const char* cycles;
        QString trace;
        int ticks = 25, tab = 1;
        bool lower = false, connected = true;
    } cases[] = { { "12.0 1.5 02 30", "1", "60000 1200151 60000 30000 end" },
        { "5.0 1.0 00 05; 6.0 1.0 01 30; 7.0 1.0 00 00", "2",
            Repeat("5000 0500101 60000 0600101 30000", 2) + " end" },
        { "5.0 1.0 00 01; 9 1  ; 5.0 1.0 00 01", "1", "1000 0500101 end" }, // empty time cells
        { "5.0 1.0 00 01; 6.0 1.0 00 02", "0", Repeat("1000 0500101 2000 0600101", 3), 6 },
        { "12.0 1.5 00 05; 3.0 0.5 00 05 off", "1", "5000 1200151 5000 0300050 end" },
        { "-5.0 -1.0 00 05; 5.0 1.0 -1 60", "1", "5000 0000001 1 0500101 end" },
        { Repeat("5.0 1.0 00 01", 20, "; "), "1", Repeat("1000 0500101", 20) + " end" },
        { "12.0 1.5 00 05; 5.0 1.0 00 05", "1", "5000 1200151 5000 0500101 end", 25, 1, true },
        { "5.0 1.0 00 05", "-1", "refused" }, { "", "1", "refused" },
        { "5.0 1.0 00 00", "1", "refused" }, { "5.0 1.0 00 05", "1", "ignored", 25, 0 },
        { "5.0 1.0 00 05", "1", "ignored", 25, 1, false, false } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.steps.toStdString() + " x " + c.cycles);
        TableOf etp(E, c.steps);
        Runner run;
        const auto action = run.runner.RunStopClick(c.tab, c.connected, c.cycles, etp, kTenths);
        if (action.action == Action::Started)
            run.ticks(etp, c.ticks, c.lower ? &lowered : nullptr);
        else
            run.trace << (action.action == Action::Refused ? "refused" : "ignored");
        EXPECT_EQ(run.trace.join(' '), c.trace);
        EXPECT_EQ(run.runner.ExtProgramRunning(),
            action.action == Action::Started && !c.trace.endsWith("end"));
    }
    // After a stop in a long step the next run must not wait out its remainder.
    TableOf longStep(E, "12,5 1.5 05 00 off; 99.0 1.0 00 05");
    Runner run;
    EXPECT_EQ(run.runner.RunStopClick(1, true, "1", longStep, kTenths).intervalMs, 1);
    EXPECT_FALSE(run.runner.PendingStep(longStep, kTenths).has_value()); // nothing before the tick
    run.runner.ExtStepTick(longStep);
    const auto step = run.runner.PendingStep(longStep, kTenths);
    ASSERT_TRUE(step.has_value());
    EXPECT_EQ(step->voltText + ' ' + step->currText + ' ' + QString::number(step->outputOn),
        "12.5 1.5 0");
    run.runner.StepSent();
    run.ticks(longStep, 1);
    EXPECT_EQ(run.runner.ExtMinuteBlocks(), 2);
    EXPECT_EQ(run.runner.RunStopClick(1, true, "1", longStep, kTenths).action, Action::Stopped);
    EXPECT_FALSE(run.runner.PendingStep(longStep, kTenths).has_value());
    ASSERT_EQ(run.runner.RunStopClick(1, true, "1", longStep, kTenths).action, Action::Started);
    run.trace.clear();
    run.ticks(longStep, 1);
    EXPECT_EQ(run.trace.join(' '), "60000 1250150");
    EXPECT_EQ(run.runner.ExtRemainMs(), 240000);
}

// "PROM" only with three presets; "GETM" selects the last matching the set-points.
TEST(PresetTransferTest, PresetsToAndFromTheSupplyReadSetAndRecall)
{
    const TableLimits tenths { 18.0f, 10.0f, "0.0", 10 };
    const QString getm = "125125,050050,000000,OK\r";
    // Presets, limits, "PROM" parameter, reply, set-points, selection and presets after.
    const std::tuple<QString, const TableLimits&, std::optional<QString>, QString, const char*,
        const char*, int, QString>
        cases[] = { { "12.5 1.25; 5.0 0.50; 0.0 0.00", kLimits, "125125050050000000", getm, "5.0",
                        "0.50", 2, "12.5 1.25; 5.0 0.50; 0.0 0.00" },
            { "40 6; -5 -1; abc ", kLimits, "360500000000000000", "050050,120010,050050,OK", "5.0",
                "0.5", 3, "5.0 0.50; 12.0 0.10; 5.0 0.50" },
            { "18.0 10.0; 1.0 0.1; 2,5 0,5", tenths, "180100010001025005", getm, "9.9", "0.50", 1,
                "12.5 12.5; 5.0 5.0; 0.0 0.0" },
            { "1.0 1.00; 2.0 1.00", kLimits, {}, "", "0", "0", 1, "1.0 1.00; 2.0 1.00" },
            { "1.0 1.00", kLimits, {}, "125125,050050,000000,O", "0", "0", 1, "1.0 1.00" } };
    for (const auto& [presets, limits, prom, reply, volts, amps, selected, after] : cases) {
        SCOPED_TRACE(reply.toStdString());
        TableOf ipm(P, presets);
        ipm.setSelectedPreset(1);
        EXPECT_EQ(PresetTransfer::PromParameter(ipm, limits), prom);
        EXPECT_EQ(
            PresetTransfer::FillFromGetm(ipm, reply, volts, amps, limits), reply.contains("OK"));
        EXPECT_EQ(ipm.presets(), TableOf(P, after).presets());
        EXPECT_EQ(ipm.selectedPreset(), selected);
    }
    namespace T = PresetTransfer;
    const auto sp = T::RecalledSetpoints(TableOf(P, "18.0 10.0; 1 0,5"), 2, tenths);
    EXPECT_EQ(sp.volt + ' ' + sp.curr, "1.0 0.5");
    using T::ReadRequest;
    EXPECT_EQ((std::array { T::ReadFroPsClick(0), T::ReadFroPsClick(1), T::ReadFroPsClick(2),
                  T::ReadFroPsClick(3) }),
        (std::array { ReadRequest::FocusButton, ReadRequest::FocusButton,
            ReadRequest::RaiseReadPending, ReadRequest::Nothing }));
    TableOf ipm(P, "18.0 10.0");
    EXPECT_EQ(std::tuple(T::SetRequestsUpload(true, ipm), T::SetRequestsUpload(false, ipm),
                  T::SetRequestsUpload(true, TableOf(P, "")), T::RecallParameter(ipm)),
        std::tuple(true, false, false, std::nullopt));
    ipm.setSelectedPreset(1);
    EXPECT_EQ(T::RecallParameter(ipm), "0");
}

// Under Qt's model tester; outputs are on by default, outlive the rows, Space toggles.
TEST(ProgramTableTest, StepsPresetsChecksCellsAndPrinting)
{
    using Tester = QAbstractItemModelTester;
    ProgramTable etp(E), ipm(P);
    Tester etpTester(&etp, Tester::FailureReportingMode::Fatal);
    Tester ipmTester(&ipm, Tester::FailureReportingMode::Fatal);
    EXPECT_TRUE(etp.outputOn(7) && !etp.outputOn(0));
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
    EXPECT_FALSE(etp.data(etp.index(1, 0), Qt::CheckStateRole).isValid()); // no preset box
    EXPECT_TRUE(etp.outputOn(2));
    etp.setOutputOn(2, false);
    etp.cutToHeader();
    etp.setSteps({ { "1", "", "", "", "", std::nullopt }, { "2", "", "", "", "", std::nullopt } });
    EXPECT_FALSE(etp.step(2).output());
    etp.setAllOutputsOn();
    EXPECT_TRUE(etp.outputOn(2));

    const std::vector<PresetRow> presets { { "1", "5.0", "1.0" }, { "2", "6.0", "2.0" },
        { "3", "7.0", "1.0" } };
    ipm.setPresets(presets);
    EXPECT_EQ(ipm.presets(), presets);
    EXPECT_TRUE(ipm.setData(ipm.index(2, 0), Qt::Checked, Qt::CheckStateRole));
    EXPECT_TRUE(ipm.setData(ipm.index(1, 0), Qt::Checked, Qt::CheckStateRole));
    ipm.setSelectedPreset(-1);
    EXPECT_EQ(ipm.selectedPreset(), 2);
    EXPECT_EQ(ipm.data(ipm.index(1, 0), Qt::CheckStateRole).toInt(), Qt::Checked);
    EXPECT_EQ(ipm.data(ipm.index(2, 0), Qt::CheckStateRole).toInt(), Qt::Unchecked);

    QTableView view;
    view.setModel(&etp);
    view.show();
    view.setCurrentIndex(etp.index(1, 5));
    view.setFocus();
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_EQ(std::pair(etp.outputOn(1), etp.outputOn(2)), std::pair(true, false));
    QTest::keyClick(&view, Qt::Key_Space);
    EXPECT_TRUE(etp.outputOn(2));

    // Cells outside read empty and are never written; rows fit the columns.
    TableOf steps(E, "5.0 1.0 01 30; 6.0 2.0 02 00"), one(P, "12.0 1.0");
    steps.setCell(2, 4, "45");
    EXPECT_EQ(steps.cell(2, 3) + steps.cell(2, 4), "0245");
    for (const auto& [row, column] : { std::pair { -1, 0 }, { 0, -1 }, { 2, 0 }, { 1, 4 } }) {
        one.setCell(row, column, "x");
        one.setColour(row, column, CellColour::Green);
        EXPECT_EQ(std::pair(one.cell(row, column), one.colour(row, column)),
            std::pair(QString(), CellColour::Normal))
            << row << "," << column;
    }
    one.addRow({ "", "2", "3.0", "1.0", "surplus" });
    one.addRow({ "", "3" });
    EXPECT_EQ(one.cell(2, 3) + one.cell(3, 3), "1.0");
    EXPECT_EQ(one.columns(), 4);
    one.setRowCount(-5);
    EXPECT_EQ(one.rows(), 1);

    // Printed: an empty table; marks; a tick per checked output; twenty rows at most.
    RecordingPage bare, presetPage, stepPage;
    TablePrinter::PrintIpmTable(bare, ProgramTable(P), { "(Untitle)", "", "" });
    EXPECT_EQ(bare.documentsEnded(), 1);

    TableOf marked(P, "12.0 1.00; 12.0 1.00; 12.0 1.00");
    marked.setSelectedPreset(2);
    TablePrinter::PrintIpmTable(presetPage, marked, { "P", "", "" });
    QString marks;
    for (const auto& t : presetPage.texts())
        marks += t.x < 15.0 + (190.0 - 35.0) / 4 && t.y > 53.0 ? t.text : "";
    EXPECT_EQ(marks, QString::fromUtf8("○●○"));

    TableOf longTable(E, Repeat("5.0 1.00 00 10", 25, "; "));
    longTable.setOutputOn(2, false);
    TablePrinter::PrintEtpTable(stepPage, longTable, { "Burn-in", "Long run", "Bench 3" });
    EXPECT_TRUE(stepPage.find("20") && !stepPage.find("21"));
    QString ticks; // slanted strokes: row, and whether in the last column
    double lowest = 0;
    for (const auto& l : stepPage.lines()) {
        lowest = std::max({ lowest, l.y1, l.y2 });
        const double top = std::min(l.y1, l.y2) - 50.0;
        if (l.x1 != l.x2 && l.y1 != l.y2 && top < 40.0)
            ticks += QString::number(static_cast<int>(top / 10.0)) + QString::number(l.x1 > 144);
    }

    EXPECT_EQ(std::pair(ticks, lowest), std::pair(QString("11113131"), 50.0 + 21 * 10.0));
}

} // namespace
