#include "programs/CellEditorRules.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

using CellEditorRules::CellPos;
using CellEditorRules::CommitResult;

namespace {

const TableLimits kLimits { 36.0f, 5.0f, "0.00", 100 };
const TableLimits kTenthAmps { 36.0f, 5.0f, "0.0", 10 };
const QString kVoltMsg = "Voltage must be 1 - 36 and 1 digit of precision .";
const QString kCurrMsg = "Current must be 0.01 - 5 and 2 digit of precision .";
const QString kMinuteMsg = "Minute must be 0 - 99.";
const QString kSecondMsg = "Second must be 0 - 59.";

// Step 1 is timed (01:00), step 2 is not (00:00).
struct TwoSteps : TableOf {
    TwoSteps()
        : TableOf(TableKind::Etp,
            { { "1", "5.0", "1.00", "01", "00" }, { "2", "5.0", "1.00", "00", "00" } })
    {
    }
};

struct Presets : PresetsOf {
    Presets()
        : PresetsOf({ { "05.0", "1.00" }, { "05.0", "1.00" }, { "05.0", "1.00" } })
    {
    }
};

TEST(CellEditorRulesTest, KeyReleaseMirrorsTypedText)
{
    struct Case {
        TableKind kind;
        int column;
        QString typed;
        std::optional<QString> cell;
    };
    const Case cases[] = {
        { TableKind::Etp, 1, "12,5", "12.5" },
        { TableKind::Etp, 1, "5", "5.0" },
        { TableKind::Etp, 1, "", "0.0" },
        { TableKind::Etp, 1, "abc", "0.0" },
        { TableKind::Etp, 1, "-3", "-3.0" }, // unchecked until the cell is left
        { TableKind::Etp, 2, "1,234", "1.23" },
        { TableKind::Etp, 3, "7", "07" },
        { TableKind::Etp, 4, "4,6", "04" }, // no decimal comma for minutes and seconds
        { TableKind::Etp, 0, "3", std::nullopt },
        { TableKind::Etp, 5, "3", std::nullopt },
        { TableKind::Itp, 1, "7,5", "7.5" },
        { TableKind::Itp, 4, "3", "03" },
        { TableKind::Ipm, 2, "5", "05.0" },
        { TableKind::Ipm, 2, "12,5", "12.5" },
        { TableKind::Ipm, 3, "1,25", "1.25" },
        { TableKind::Ipm, 1, "2", std::nullopt },
        { TableKind::Ipm, 0, "2", std::nullopt },
    };
    for (const Case& c : cases) {
        EXPECT_EQ(CellEditorRules::MirrorKeyRelease(c.kind, c.column, c.typed, "0.00"), c.cell)
            << static_cast<int>(c.kind) << " col " << c.column << " '" << c.typed.toStdString()
            << "'";
    }
}

TEST(CellEditorRulesTest, LeavingAnEtpCellChecksAndReplaces)
{
    struct Case {
        int row, column;
        QString typed;
        QString message;
        std::optional<QString> editor;
        QString cell;
        bool relay;
        const TableLimits* limits = &kLimits;
    };
    const TableLimits lowVolts { 0.5f, 5.0f, "0.00", 100 };
    const Case cases[] = {
        { 1, 1, "12,5", "", std::nullopt, "12.5", false },
        { 1, 1, "5", "", std::nullopt, "05.0", false },
        { 1, 1, "36", "", std::nullopt, "36.0", false },
        { 2, 1, "0.5", kVoltMsg, "00.0", "00.0", true }, // untimed row
        { 1, 1, "0.5", kVoltMsg, "01.0", "01.0", true }, // timed row
        { 1, 1, "40", kVoltMsg, "36", "36.0", true },
        { 1, 1, "999999999999999999999", kVoltMsg, "36", "36.0", true },
        { 1, 1, "abc", kVoltMsg, "01.0", "01.0", true },
        { 1, 1, "", kVoltMsg, "01.0", "01.0", true },
        { 1, 1, "-12", kVoltMsg, "01.0", "01.0", true },
        { 1, 1, "+5", "", std::nullopt, "05.0", false },
        { 1, 2, "1,5", "", std::nullopt, "1.50", false },
        { 1, 2, "0", kCurrMsg, "0.01", "0.01", true },
        { 2, 2, "0", kCurrMsg, "000", "0.00", true },
        { 1, 2, "7", kCurrMsg, "5", "5.00", true },
        { 1, 2, "-1", kCurrMsg, "0.01", "0.01", true },
        { 1, 2, "x", kCurrMsg, "0.01", "0.01", true },
        { 1, 2, "0.001", kCurrMsg, "0.01", "0.01", true }, // would be stored as zero
        { 1, 3, "150", kMinuteMsg, "99", "99", false },
        { 1, 3, "7", "", std::nullopt, "07", false },
        { 1, 3, "-5", kMinuteMsg, "00", "00", false },
        { 1, 3, "99.5", kMinuteMsg, "99", "99", false },
        { 1, 4, "-3", kSecondMsg, "00", "00", false },
        { 1, 4, "60", kSecondMsg, "59", "59", false },
        { 1, 4, "59", "", std::nullopt, "59", false },
        { 1, 4, "zz", "", std::nullopt, "00", false }, // no number is 0, which is in range
        // The smallest current follows the model's resolution; the message names 0.01.
        { 1, 2, "0", kCurrMsg, "0.1", "0.1", true, &kTenthAmps },
        // A supply limited below 1 V cannot take the 1 V floor.
        { 1, 1, "0", "Voltage must be 1 - 0.5 and 1 digit of precision .", "00.0", "00.0", true,
            &lowVolts },
    };
    for (const Case& c : cases) {
        TwoSteps etp;
        const auto result
            = CellEditorRules::CommitEtpCell(etp, c.row, c.column, c.typed, *c.limits);
        ASSERT_TRUE(result.has_value()) << c.typed.toStdString();
        const std::string what
            = "col " + std::to_string(c.column) + " '" + c.typed.toStdString() + "'";
        EXPECT_EQ(result->message, c.message) << what;
        EXPECT_EQ(result->editorText, c.editor) << what;
        EXPECT_EQ(result->cellText, c.cell) << what;
        EXPECT_EQ(etp.cell(c.row, c.column), c.cell) << what;
        EXPECT_EQ(result->relayEditor, c.relay) << what;
    }
}

TEST(CellEditorRulesTest, LeavingAPresetCellChecksAndReplaces)
{
    struct Case {
        int column;
        QString typed;
        TableLimits limits;
        QString message;
        QString cell;
    };
    const Case cases[] = {
        { 2, "12,5", kLimits, "", "12.5" },
        { 2, "0.5", kLimits, kVoltMsg, "01.0" },
        { 2, "", kLimits, kVoltMsg, "01.0" },
        { 2, "40", kLimits, kVoltMsg, "36.0" },
        { 2, "0.5", { 0.5f, 5.0f, "0.00", 100 },
            "Voltage must be 1 - 0.5 and 1 digit of precision .", "00.0" },
        { 3, "0", kLimits, kCurrMsg, "0.01" },
        { 3, "-2", kLimits, kCurrMsg, "0.01" },
        { 3, "9", kLimits, kCurrMsg, "5.00" },
        { 3, "0", kTenthAmps, kCurrMsg, "0.1" },
        { 3, "0", { 36.0f, 0.0f, "0.00", 100 },
            "Current must be 0.01 - 0 and 2 digit of precision .", "0.00" },
    };
    for (const Case& c : cases) {
        Presets ipm;
        const auto result = CellEditorRules::CommitIpmCell(ipm, 2, c.column, c.typed, c.limits);
        ASSERT_TRUE(result.has_value());
        EXPECT_EQ(result->message, c.message) << c.typed.toStdString();
        EXPECT_EQ(ipm.cell(2, c.column), c.cell) << c.typed.toStdString();
    }
    // Columns without a check, the header row and rows beyond the table are left alone.
    TwoSteps etp;
    for (const auto& [row, column] : { std::pair { 1, 0 }, { 1, 5 }, { 3, 1 }, { 0, 1 } })
        EXPECT_FALSE(CellEditorRules::CommitEtpCell(etp, row, column, "9", kLimits).has_value());
    EXPECT_EQ(etp.cell(1, 0), "1");
    Presets ipm;
    EXPECT_FALSE(CellEditorRules::CommitIpmCell(ipm, 1, 1, "9", kLimits).has_value());
    EXPECT_EQ(ipm.cell(1, 1), "1");
}

// Leaving the editor for another control clamps silently; leaving it for
// "Run" or the toolbar stores nothing, their click decides.
TEST(CellEditorRulesTest, EtpEditorLosingFocusClampsSilently)
{
    struct Case {
        int column;
        QString typed;
        std::optional<QString> cell;
        const char* focus = "CboPort";
    };
    const Case cases[] = { { 1, "0.5", "01.0" }, { 1, "40", "36.0" }, { 1, "12,5", "12.5" },
        { 1, "5", "05.0" }, { 1, "-5", "00.0" }, { 1, "abc", "00.0" }, { 2, "0", "0.00" },
        { 2, "-1", "0.00" }, { 2, "9", "5.00" }, { 2, "1.5", "1.50" }, { 3, "0", "00" },
        { 3, "150", "99" }, { 3, "42", "42" }, { 4, "-3", "00" }, { 4, "75", "59" },
        { 4, "7", "07" }, { 0, "3", std::nullopt }, { 5, "3", std::nullopt },
        { 1, "999", std::nullopt, "CmdRunStop" }, { 1, "999", std::nullopt, "Toolbar2" } };
    for (const Case& c : cases) {
        const auto loss
            = CellEditorRules::OnEtpEditorFocusLost(c.focus, c.column, c.typed, kLimits);
        EXPECT_EQ(loss.cellText, c.cell) << c.column << " " << c.typed.toStdString();
        EXPECT_EQ(loss.runCheck, QString(c.focus) == "CboPort");
    }
}

TEST(CellEditorRulesTest, PresetEditorFocusAndKeyRules)
{
    using CellEditorRules::IpmFocusLoss;
    for (const QString name : { "CmdRunStop", "CmdRS", "CmdSS" }) {
        EXPECT_TRUE(CellEditorRules::IpmKeyReleaseHidesEditor(name));
        EXPECT_EQ(
            CellEditorRules::OnIpmEditorFocusLost(name, "1.0", "2.0"), IpmFocusLoss::HideOnly);
    }
    EXPECT_FALSE(CellEditorRules::IpmKeyReleaseHidesEditor("TextM"));
    EXPECT_EQ(
        CellEditorRules::OnIpmEditorFocusLost("TextM", "1.0", "2.0"), IpmFocusLoss::KeepEditor);
    EXPECT_EQ(CellEditorRules::OnIpmEditorFocusLost("CmbAddr", "1.0", "2.0"),
        IpmFocusLoss::CommitThenHide);
    EXPECT_EQ(
        CellEditorRules::OnIpmEditorFocusLost("CmbAddr", "2.0", "2.0"), IpmFocusLoss::HideOnly);
}

TEST(CellEditorRulesTest, ArrowKeysMoveBetweenEditableCells)
{
    const QStringList etpHeaders { "Step", "Voltage", "Current", "Minute", "Second", "Output On" };
    const QStringList ipmHeaders { "Select", "Preset", "Voltage", "Current" };
    const QStringList itpHeaders { "Step", "Voltage", "Current", "Minute", "Second" };
    struct Case {
        int tab, row, column;
        int key;
        std::optional<CellPos> to;
    };
    // 20 steps: 21 rows with the header.
    const Case cases[] = {
        { 1, 3, 4, Qt::Key_Right, CellPos { 4, 1 } }, { 1, 20, 4, Qt::Key_Right, std::nullopt },
        { 1, 3, 2, Qt::Key_Right, CellPos { 3, 3 } }, { 1, 3, 1, Qt::Key_Left, CellPos { 2, 4 } },
        { 1, 1, 1, Qt::Key_Left, std::nullopt }, { 1, 3, 3, Qt::Key_Left, CellPos { 3, 2 } },
        { 1, 1, 2, Qt::Key_Up, std::nullopt }, { 1, 2, 2, Qt::Key_Up, CellPos { 1, 2 } },
        { 1, 20, 2, Qt::Key_Down, std::nullopt }, { 1, 19, 2, Qt::Key_Down, CellPos { 20, 2 } },
        { 1, 3, 2, Qt::Key_Return, std::nullopt },
        { 1, 3, 5, Qt::Key_Right, CellPos { 4, 1 } }, // from beyond the last editable column
        { 0, 3, 4, Qt::Key_Right, CellPos { 4, 1 } }, { 0, 3, 1, Qt::Key_Left, CellPos { 2, 4 } },
        { 2, 1, 3, Qt::Key_Right, CellPos { 2, 2 } }, { 2, 2, 2, Qt::Key_Left, CellPos { 1, 3 } },
        { 2, 2, 1, Qt::Key_Left, std::nullopt }, // never onto the fixed first column
        { 2, 3, 3, Qt::Key_Right, std::nullopt },
        { 1, 0, 1, Qt::Key_Down, std::nullopt }, // the header row is not edited
    };
    for (const Case& c : cases) {
        const QStringList& headers = c.tab == 1 ? etpHeaders : c.tab == 2 ? ipmHeaders : itpHeaders;
        const int rows = c.tab == 2 ? 4 : 21;
        EXPECT_EQ(CellEditorRules::MoveEditorByArrow(c.tab, c.row, c.column, rows,
                      static_cast<int>(headers.size()), headers, c.key),
            c.to)
            << "tab " << c.tab << " row " << c.row << " col " << c.column << " key " << c.key;
    }
}

// The editor is laid over the cell, inset by the grid's lines, and opens only
// on the visible table's editable cells while no program runs.
TEST(CellEditorRulesTest, EditorIsLaidOverTheCell)
{
    const QRect cell(900, 300, 1000, 300);
    TwoSteps etp;
    Presets ipm;
    ProgramTable itp(TableKind::Itp);
    itp.addRow({ "1", "2.0" });
    const ProgramTable empty(TableKind::Etp);
    struct Case {
        const char* what;
        const ProgramTable& table;
        bool running;
        int tab, row, column;
        std::optional<QString> text;
        std::optional<QRect> rect;
        bool show, hide;
    };
    const Case cases[] = {
        { "step", etp, false, 1, 1, 2, "1.00", QRect(900, 315, 1000, 270), true, false },
        { "preset", ipm, false, 2, 1, 2, "05.0", QRect(915, 315, 985, 285), true, false },
        { "internal step", itp, false, 0, 1, 1, "2.0", QRect(900, 315, 1000, 285), true, false },
        { "program running", etp, true, 1, 1, 1, std::nullopt, std::nullopt, false, false },
        { "output column", etp, false, 1, 1, 5, std::nullopt, std::nullopt, false, true },
        { "other tab", etp, false, 2, 1, 1, "5.0", std::nullopt, false, false },
        { "header row only", empty, false, 1, 0, 1, "Voltage", QRect(900, 315, 1000, 270), false,
            false },
    };
    for (const Case& c : cases) {
        const auto layout
            = CellEditorRules::LayEditor(c.table, c.running, c.tab, c.row, c.column, cell);
        EXPECT_EQ(layout.text, c.text) << c.what;
        EXPECT_EQ(layout.rectTwips, c.rect) << c.what;
        EXPECT_EQ(layout.show, c.show) << c.what;
        EXPECT_EQ(layout.hide, c.hide) << c.what;
    }
}

} // namespace
