#include "programs/TableRules.h"
#include "programs/CellEditorRules.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

using CellEditorRules::CellPos;
const TableLimits kLimits { 36.0f, 5.0f, "0.00", 100 };
const TableLimits kTenthAmps { 36.0f, 5.0f, "0.0", 10 };
const TableLimits kLowVolts { 0.5f, 5.0f, "0.00", 100 };
const QString kV = "Voltage must be 1 - 36 and 1 digit of precision .";
const QString kA = "Current must be 0.01 - 5 and 2 digit of precision .";
const QString kM = "Minute must be 0 - 99.";
const QString kS = "Second must be 0 - 59.";

TEST(CellEditorRulesTest, KeyReleaseMirrorsTypedText)
{
    const struct {
        TableKind kind;
        int column;
        QString typed;
        std::optional<QString> cell;
    } cases[] = { { TableKind::Etp, 1, "12,5", "12.5" }, { TableKind::Etp, 1, "5", "5.0" },
        { TableKind::Etp, 1, "abc", "0.0" }, { TableKind::Etp, 1, "-3", "-3.0" },
        { TableKind::Etp, 2, "1,234", "1.23" }, { TableKind::Etp, 3, "7", "07" },
        { TableKind::Etp, 4, "4,6", "04" }, { TableKind::Etp, 5, "3", std::nullopt },
        { TableKind::Ipm, 2, "5", "05.0" }, { TableKind::Ipm, 2, "12,5", "12.5" },
        { TableKind::Ipm, 3, "1,25", "1.25" }, { TableKind::Ipm, 1, "2", std::nullopt } };
    for (const auto& c : cases) {
        EXPECT_EQ(CellEditorRules::MirrorKeyRelease(c.kind, c.column, c.typed, "0.00"), c.cell)
            << c.column << " '" << c.typed.toStdString() << "'";
    }
}

// Leaving a cell checks it: the message, the editor's replacement, the cell
// (step 1 is timed, step 2 is not), and whether the editor is laid again.
TEST(CellEditorRulesTest, LeavingACellChecksAndReplaces)
{
    struct Case {
        bool preset;
        int row, column;
        QString typed, message;
        std::optional<QString> editor;
        QString cell;
        const TableLimits& limits = kLimits;
    };
    const Case cases[] = { { false, 1, 1, "12,5", "", std::nullopt, "12.5" },
        { false, 1, 1, "5", "", std::nullopt, "05.0" },
        { false, 1, 1, "36", "", std::nullopt, "36.0" }, { false, 2, 1, "0.5", kV, "00.0", "00.0" },
        { false, 1, 1, "0.5", kV, "01.0", "01.0" }, { false, 1, 1, "40", kV, "36", "36.0" },
        { false, 1, 1, "999999999999999999999", kV, "36", "36.0" },
        { false, 1, 1, "abc", kV, "01.0", "01.0" },
        { false, 1, 2, "1,5", "", std::nullopt, "1.50" }, { false, 1, 2, "0", kA, "0.01", "0.01" },
        { false, 2, 2, "0", kA, "000", "0.00" }, { false, 1, 2, "7", kA, "5", "5.00" },
        { false, 1, 2, "0.001", kA, "0.01", "0.01" },
        { false, 1, 2, "0", kA, "0.1", "0.1", kTenthAmps },
        { false, 1, 1, "0", "Voltage must be 1 - 0.5 and 1 digit of precision .", "00.0", "00.0",
            kLowVolts },
        { false, 1, 3, "150", kM, "99", "99" }, { false, 1, 3, "7", "", std::nullopt, "07" },
        { false, 1, 3, "-5", kM, "00", "00" }, { false, 1, 3, "99.5", kM, "99", "99" },
        { false, 1, 4, "-3", kS, "00", "00" }, { false, 1, 4, "60", kS, "59", "59" },
        { false, 1, 4, "59", "", std::nullopt, "59" },
        { false, 1, 4, "zz", "", std::nullopt, "00" },
        { true, 2, 2, "12,5", "", std::nullopt, "12.5" }, { true, 2, 2, "0.5", kV, "1", "01.0" },
        { true, 2, 2, "40", kV, "36", "36.0" },
        { true, 2, 2, "0.5", "Voltage must be 1 - 0.5 and 1 digit of precision .", "0", "00.0",
            kLowVolts },
        { true, 2, 3, "0", kA, "0.01", "0.01" }, { true, 2, 3, "9", kA, "5", "5.00" },
        { true, 2, 3, "0", kA, "0.1", "0.1", kTenthAmps },
        { true, 2, 3, "0", "Current must be 0.01 - 0 and 2 digit of precision .", "0", "0.00",
            { 36.0f, 0.0f, "0.00", 100 } } };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.typed.toStdString() + " in column " + std::to_string(c.column));
        TableOf table = c.preset ? TableOf(TableKind::Ipm, " 1 05.0 1.00;  2 05.0 1.00")
                                 : TableOf(TableKind::Etp, "1 5.0 1.00 01 00; 2 5.0 1.00 00 00");
        const auto result = c.preset
            ? CellEditorRules::CommitIpmCell(table, c.row, c.column, c.typed, c.limits)
            : CellEditorRules::CommitEtpCell(table, c.row, c.column, c.typed, c.limits);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->message, c.message);
        EXPECT_EQ(result->editorText, c.editor);
        EXPECT_EQ(result->cellText, c.cell);
        EXPECT_EQ(table.cell(c.row, c.column), c.cell);
        EXPECT_EQ(result->relayEditor, c.editor && c.column < (c.preset ? 4 : 3));
    }
    // Columns without a check, the header row and rows beyond the table are left alone.
    TableOf etp(TableKind::Etp, "1 5.0 1.00 01 00");
    for (const auto& [row, column] : { std::pair { 1, 0 }, { 1, 5 }, { 2, 1 }, { 0, 1 } })
        EXPECT_FALSE(CellEditorRules::CommitEtpCell(etp, row, column, "9", kLimits).has_value());
    PresetsOf ipm("5.0 1.00");
    EXPECT_FALSE(CellEditorRules::CommitIpmCell(ipm, 1, 1, "9", kLimits).has_value());
    EXPECT_FALSE(CellEditorRules::CommitIpmCell(ipm, 2, 2, "9", kLimits).has_value());
    EXPECT_EQ(etp.cell(1, 0) + ipm.cell(1, 1), "11");
}

// Leaving the editor for another control clamps silently (out-of-range values:
// the limit rule's table); leaving it for "Run" or the toolbar stores nothing.
TEST(CellEditorRulesTest, EditorLosingFocus)
{
    const struct {
        int column;
        QString typed;
        std::optional<QString> cell;
        const char* focus = "CboPort";
    } cases[] = { { 1, "0.5", "01.0" }, { 1, "12,5", "12.5" }, { 1, "0", "00.0" },
        { 2, "0", "0.00" }, { 2, "1.5", "1.50" }, { 3, "0", "00" }, { 3, "42", "42" },
        { 4, "7", "07" }, { 5, "3", std::nullopt }, { 1, "999", std::nullopt, "CmdRunStop" },
        { 1, "999", std::nullopt, "Toolbar2" } };
    for (const auto& c : cases) {
        const auto loss
            = CellEditorRules::OnEtpEditorFocusLost(c.focus, c.column, c.typed, kLimits);
        EXPECT_EQ(loss.cellText, c.cell) << c.column << " " << c.typed.toStdString();
        EXPECT_EQ(loss.runCheck, QString(c.focus) == "CboPort");
    }
    using CellEditorRules::IpmFocusLoss;
    for (const QString name : { "CmdRunStop", "CmdRS", "CmdSS" }) {
        EXPECT_TRUE(CellEditorRules::IpmKeyReleaseHidesEditor(name));
        EXPECT_EQ(
            CellEditorRules::OnIpmEditorFocusLost(name, "1.0", "2.0"), IpmFocusLoss::HideOnly);
    }
    EXPECT_FALSE(CellEditorRules::IpmKeyReleaseHidesEditor("TextM"));
    EXPECT_EQ(CellEditorRules::OnIpmEditorFocusLost("TextM", "1", "2"), IpmFocusLoss::KeepEditor);
    EXPECT_EQ(
        CellEditorRules::OnIpmEditorFocusLost("CmbAddr", "1", "2"), IpmFocusLoss::CommitThenHide);
    EXPECT_EQ(CellEditorRules::OnIpmEditorFocusLost("CmbAddr", "2", "2"), IpmFocusLoss::HideOnly);
}

// Tabs: 0 internal and 1 external program (20 steps), 2 presets (3).
TEST(CellEditorRulesTest, ArrowKeysMoveBetweenEditableCells)
{
    const struct {
        int tab, row, column, key;
        std::optional<CellPos> to;
    } cases[] = { { 1, 3, 4, Qt::Key_Right, CellPos { 4, 1 } },
        { 1, 20, 4, Qt::Key_Right, std::nullopt }, { 1, 3, 2, Qt::Key_Right, CellPos { 3, 3 } },
        { 1, 3, 1, Qt::Key_Left, CellPos { 2, 4 } }, { 1, 1, 1, Qt::Key_Left, std::nullopt },
        { 1, 3, 3, Qt::Key_Left, CellPos { 3, 2 } }, { 1, 1, 2, Qt::Key_Up, std::nullopt },
        { 1, 2, 2, Qt::Key_Up, CellPos { 1, 2 } }, { 1, 20, 2, Qt::Key_Down, std::nullopt },
        { 1, 19, 2, Qt::Key_Down, CellPos { 20, 2 } }, { 1, 3, 2, Qt::Key_Return, std::nullopt },
        { 1, 3, 5, Qt::Key_Right, CellPos { 4, 1 } }, { 0, 3, 4, Qt::Key_Right, CellPos { 4, 1 } },
        { 0, 3, 1, Qt::Key_Left, CellPos { 2, 4 } }, { 2, 1, 3, Qt::Key_Right, CellPos { 2, 2 } },
        { 2, 2, 2, Qt::Key_Left, CellPos { 1, 3 } }, { 2, 2, 1, Qt::Key_Left, std::nullopt },
        { 2, 3, 3, Qt::Key_Right, std::nullopt }, { 1, 0, 1, Qt::Key_Down, std::nullopt } };
    for (const auto& c : cases) {
        const ProgramTable table(static_cast<TableKind>(c.tab));
        QStringList headers;
        for (int column = 0; column < table.columns(); ++column)
            headers << table.headerText(column);
        EXPECT_EQ(CellEditorRules::MoveEditorByArrow(
                      c.tab, c.row, c.column, c.tab == 2 ? 4 : 21, table.columns(), headers, c.key),
            c.to)
            << "tab " << c.tab << " row " << c.row << " col " << c.column << " key " << c.key;
    }
}

// The editor is laid over the cell, inset by the grid's lines, and opens only
// on the visible table's editable cells while no program runs.
TEST(CellEditorRulesTest, EditorIsLaidOverTheCell)
{
    const StepsOf etp("5.0 1.00 01 00"), itp("2.0 1.0 01 00", TableKind::Itp), empty("");
    const PresetsOf ipm("05.0 1.00");
    const struct {
        const ProgramTable& table;
        bool running;
        int tab, row, column;
        std::optional<QString> text;
        std::optional<QRect> rect;
        bool show, hide;
    } cases[] = { { etp, false, 1, 1, 2, "1.00", QRect(900, 315, 1000, 270), true, false },
        { ipm, false, 2, 1, 2, "05.0", QRect(915, 315, 985, 285), true, false },
        { itp, false, 0, 1, 1, "2.0", QRect(900, 315, 1000, 285), true, false },
        { etp, true, 1, 1, 1, std::nullopt, std::nullopt, false, false }, // program running
        { etp, false, 1, 1, 5, std::nullopt, std::nullopt, false, true }, // output column
        { etp, false, 2, 1, 1, "5.0", std::nullopt, false, false }, // other tab
        { empty, false, 1, 0, 1, "Voltage", QRect(900, 315, 1000, 270), false, false } };
    for (const auto& c : cases) {
        const auto layout = CellEditorRules::LayEditor(
            c.table, c.running, c.tab, c.row, c.column, QRect(900, 300, 1000, 300));
        EXPECT_EQ(layout.text, c.text) << c.column;
        EXPECT_EQ(layout.rectTwips, c.rect) << c.column;
        EXPECT_EQ(layout.show, c.show) << c.column;
        EXPECT_EQ(layout.hide, c.hide) << c.column;
    }
}

// The step check colours voltage, current, minute and second of each row up to
// the first without a duration (G green, R dark red, - normal: rows from there
// on lose old colours) and enables "Run" for a first duration and a supply.
TEST(TableRulesTest, StepCheckColoursCellsAndEnablesRun)
{
    const struct {
        QString steps;
        const char* colours;
        bool runEnabled;
        bool connected = true;
    } cases[] = { { "12.0 1.00 00 10", "GGGG", true },
        { "0.0 5.00 00 10", "GGGG", true }, // 0 V is a valid step
        { "0.5 0.01 00 10", "GGGG", true }, // below 1 V is fine here
        { "36.0 0.00 00 10", "GRGG", true }, // no current
        { "36.1 5.01 00 10", "RRGG", true }, // invalid cells keep "Run"
        { "-1.0 -1.00 00 10", "RRGG", true }, { "12,5 1,5 00 10", "GGGG", true }, // decimal comma
        { "abc  00 10", "GRGG", true }, // no number reads 0
        { "5.0 1.00 120 75", "GGRR", true },
        { "5.0 1.00 00 05; 99.0 9.00 00 00; 99.0 9.00 01 00", "GGGG ---- ----", true },
        { "", "", false }, { "5.0 1.00 00 00", "----", false },
        { "5.0 1.00 01 00", "GGGG", false, false } };
    for (const auto& c : cases) {
        StepsOf etp(c.steps);
        for (int row = 1; row <= etp.dataRows(); ++row) {
            for (int column = 1; column <= 4; ++column)
                etp.setColour(row, column, CellColour::DarkRed);
        }
        EXPECT_EQ(TableRules::CheckEtpTable(etp, kLimits, c.connected), c.runEnabled) << c.colours;
        QStringList shown;
        for (int row = 1; row <= etp.dataRows(); ++row) {
            shown << "";
            for (int column = 1; column <= 4; ++column)
                shown.last() += "-GR"[static_cast<int>(etp.colour(row, column))];
        }
        EXPECT_EQ(shown.join(' '), c.colours);
    }
}

// One rule for every step and preset bound for the supply: a value is within
// its limit from 0 up to the limit in single precision; what is sent is
// clamped into that range; before a run or an upload the grid is made to show
// it, except that a negative preset keeps its text.
TEST(TableRulesTest, LimitRuleForStepsAndPresets)
{
    const TableLimits limits { 36.1f, 2.55f, "0.00", 100 };
    const double uvl = limits.uvl, ucl = limits.ucl;
    const struct {
        QString step; // as typed
        bool within; // voltage and current
        TableRules::Setting sent;
        QString clampedStep, clampedPreset; // in the grid before a run or an upload
    } cases[] = { { "12.0 1.00 01 30", true, { 12.0, 1.0 }, "12.0 1.00 01 30", "12.0 1.00" },
        { "36.1 2.55 99 59", true, { uvl, ucl }, "36.1 2.55 99 59", "36.1 2.55" },
        { "40 3 120 75", false, { uvl, ucl }, "36.1 2.55 99 59", "36.1 2.55" },
        { "-1.0 -0.50 -1 -5", false, { 0.0, 0.0 }, "00.0 0.00 00 00", "-1.0 -0.50" } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.step.toStdString());
        StepsOf etp(c.step);
        PresetsOf ipm(c.step.section(' ', 0, 1));
        const ProgramStep step = etp.step(1);
        EXPECT_EQ(TableRules::WithinLimit(TableRules::TextNumber(step.voltage), limits.uvl)
                && TableRules::WithinLimit(TableRules::TextNumber(step.current), limits.ucl),
            c.within);
        for (const TableRules::Setting sent : { TableRules::ClampToLimits(step, limits),
                 TableRules::ClampToLimits(ipm.preset(1), limits) }) {
            EXPECT_EQ(sent.volts, c.sent.volts);
            EXPECT_EQ(sent.amps, c.sent.amps);
        }
        TableRules::ClampStepsToLimits(etp, 1, limits);
        EXPECT_EQ(etp.steps().front(), StepsOf(c.clampedStep).steps().front());
        EXPECT_EQ(TableRules::ClampPresetsToLimits(ipm, limits),
            c.clampedPreset != c.step.section(' ', 0, 1));
        EXPECT_EQ(ipm.presets().front(), PresetsOf(c.clampedPreset).presets().front());
    }
}

// Presets: the voltage is valid from 1 V, the current above 0; a selector
// needs a current, and "Set" follows the selected preset, the run and the supply.
TEST(TableRulesTest, PresetChecksDecideSelectorsAndSet)
{
    const QString values = "0.5 1.00; 1.0 0.00; 36.0 5.00";
    PresetsOf ipm(values);
    const TableRules::IpmCheck check = TableRules::CheckIpmTable(ipm, kLimits, false, true);
    QString shown;
    for (int row = 1; row <= 3; ++row) {
        for (int column : { 2, 3 })
            shown += ipm.colour(row, column) == CellColour::Green ? 'G' : 'R';
    }
    EXPECT_EQ(shown, "RGGRGG");
    EXPECT_EQ(check.selectorEnabled, (std::vector<bool> { false, false, false, true }));
    EXPECT_FALSE(check.setEnabled.has_value()); // nothing selected: "Set" untouched
    EXPECT_EQ(TableRules::EnablePresetSelectors(PresetsOf("12.0 0,5")),
        (std::array<bool, 4> { false, true }));
    const struct {
        int selected;
        bool running, connected;
        std::optional<bool> setEnabled;
    } cases[] = { { 1, false, true, false }, { 3, false, true, true }, { 3, true, true, false },
        { 3, false, false, false }, { 0, false, true, std::nullopt } };
    for (const auto& c : cases) {
        PresetsOf table(values);
        table.setSelectedPreset(c.selected);
        EXPECT_EQ(TableRules::CheckIpmTable(table, kLimits, c.running, c.connected).setEnabled,
            c.setEnabled)
            << c.selected;
    }
}

// A selector click selects the preset whatever it holds; it sends only a valid
// preset while no program runs and a supply is connected.
TEST(TableRulesTest, SelectorClickSelectsAndDecidesSet)
{
    PresetsOf ipm("12.0 1.00; 40.0 1.00; 5.0 1.00");
    const struct {
        int preset;
        bool running, connected, sends;
        int selected;
    } cases[] = { { 1, false, true, true, 1 }, { 2, false, true, false, 2 },
        { 3, true, true, false, 3 }, { 3, false, false, false, 3 }, { 4, false, true, false, 3 },
        { 0, false, true, false, 3 } };
    for (const auto& c : cases) {
        EXPECT_EQ(TableRules::SelectPreset(ipm, c.preset, 36.0f, c.running, c.connected), c.sends)
            << c.preset;
        EXPECT_EQ(ipm.selectedPreset(), c.selected) << c.preset;
    }
    EXPECT_TRUE(TableRules::GridClickSelectsPreset(ipm, 1, true));
    EXPECT_FALSE(TableRules::GridClickSelectsPreset(ipm, 1, false));
    EXPECT_FALSE(TableRules::GridClickSelectsPreset(ipm, 2, true));
}

// A new program has twenty default steps; clearing keeps the rows and step
// numbers, and leaves the internal program alone.
TEST(TableRulesTest, InitAndClearTables)
{
    StepsOf etp("9.0 9.00 09 09");
    etp.setOutputOn(4, false);
    TableRules::InitEtpTable(etp, "0.00");
    EXPECT_EQ(etp.steps(), StepsOf(QStringList(20, "0.0 0.00 00 00").join("; ")).steps());
    etp.setCell(7, 1, "12.0");
    etp.setCell(7, 3, "05");
    etp.setOutputOn(7, false);
    TableRules::ClearTable(etp, "0.0");
    EXPECT_EQ(etp.dataRows(), 20);
    EXPECT_EQ(etp.step(7), (ProgramStep { "7", "00.0", "0.0", "00", "00", true }));
    PresetsOf ipm("12.0 1.00; 5.0 0.50; 3.0 0.10");
    TableRules::ClearTable(ipm, "0.00");
    EXPECT_EQ(ipm.preset(2), (PresetRow { "2", "00.0", "0.00" }));
    StepsOf itp("3.0 1.0 01 00", TableKind::Itp);
    TableRules::ClearTable(itp, "0.0");
    EXPECT_EQ(itp.cell(1, 1), "3.0");
}

TEST(TableRulesTest, CycleBoxNormalisesToAWholeNumber)
{
    const std::pair<QString, QString> shown[] = { { "12.7", "13" }, { "5000", "999" },
        { "999", "999" }, { "0", "0" }, { "", "0" }, { "abc", "0" }, { "-1", "-1" },
        { "-12.4", "-12" }, { " 7x", "7" }, { "1000.5", "999" } };
    for (const auto& [typed, text] : shown)
        EXPECT_EQ(TableRules::NormaliseCycleText(typed), text) << typed.toStdString();
    const std::pair<QString, int> counts[] = { { "2", 2 }, { "", 0 }, { "-1", -1 }, { "12.7", 13 },
        { "99999999999999", 999 }, { "-99999999999", -999 } };
    for (const auto& [text, count] : counts)
        EXPECT_EQ(TableRules::CycleCount(text), count) << text.toStdString();
}

} // namespace
