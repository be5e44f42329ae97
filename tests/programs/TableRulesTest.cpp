#include "programs/TableRules.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

const TableLimits kLimits { 36.0f, 5.0f, "0.00", 100 };

// The step check colours voltage, current, minute and second of each row up to
// the first without a duration (G green, R dark red, - normal: rows from there
// on lose old colours) and enables "Run" for a first duration and a supply.
TEST(TableRulesTest, StepCheckColoursCellsAndEnablesRun)
{
    struct Case {
        std::vector<QStringList> rows; // voltage, current, minute, second
        const char* colours;
        bool runEnabled;
        bool connected = true;
    };
    const Case cases[] = {
        { { { "12.0", "1.00", "00", "10" } }, "GGGG", true },
        { { { "0.0", "5.00", "00", "10" } }, "GGGG", true }, // 0 V is a valid step
        { { { "0.5", "0.01", "00", "10" } }, "GGGG", true }, // below 1 V is fine here
        { { { "36.0", "0.00", "00", "10" } }, "GRGG", true }, // no current
        { { { "36.1", "5.01", "00", "10" } }, "RRGG", true }, // invalid cells keep "Run"
        { { { "-1.0", "-1.00", "00", "10" } }, "RRGG", true },
        { { { "12,5", "1,5", "00", "10" } }, "GGGG", true }, // decimal comma
        { { { "abc", "", "00", "10" } }, "GRGG", true }, // no number reads 0
        { { { "5.0", "1.00", "120", "75" } }, "GGRR", true },
        { { { "5.0", "1.00", "00", "05" }, { "99.0", "9.00", "00", "00" },
              { "99.0", "9.00", "01", "00" } },
            "GGGG ---- ----", true },
        { {}, "", false },
        { { { "5.0", "1.00", "00", "00" } }, "----", false },
        { { { "5.0", "1.00", "01", "00" } }, "GGGG", false, false },
    };
    for (const Case& c : cases) {
        TableOf etp(TableKind::Etp, {});
        for (const QStringList& cells : c.rows) {
            etp.addRow(QStringList { QString::number(etp.rows()) } + cells);
            for (int column = 1; column <= 4; ++column)
                etp.setColour(etp.dataRows(), column, CellColour::DarkRed);
        }
        EXPECT_EQ(TableRules::CheckEtpTable(etp, kLimits, c.connected), c.runEnabled) << c.colours;
        QStringList shown;
        for (int row = 1; row <= etp.dataRows(); ++row) {
            shown << "";
            for (int column = 1; column <= 4; ++column) {
                const CellColour colour = etp.colour(row, column);
                shown.last() += colour == CellColour::Green ? 'G'
                    : colour == CellColour::DarkRed         ? 'R'
                                                            : '-';
            }
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
    const double uvl = limits.uvl;
    const double ucl = limits.ucl;
    struct Case {
        const char* what;
        QStringList cells; // voltage, current, minute, second
        bool within; // voltage and current
        TableRules::Setting sent;
        QStringList step; // the step's cells after the clamp before a run
        QStringList preset; // a preset's voltage and current after the clamp before an upload
    };
    const Case cases[] = {
        { "within", { "12.0", "1.00", "01", "30" }, true, { 12.0, 1.0 },
            { "12.0", "1.00", "01", "30" }, { "12.0", "1.00" } },
        { "the limits typed", { "36.1", "2.55", "99", "59" }, true, { uvl, ucl },
            { "36.1", "2.55", "99", "59" }, { "36.1", "2.55" } },
        { "above", { "40", "3", "120", "75" }, false, { uvl, ucl }, { "36.1", "2.55", "99", "59" },
            { "36.1", "2.55" } },
        { "negative", { "-1.0", "-0.50", "-1", "-5" }, false, { 0.0, 0.0 },
            { "00.0", "0.00", "00", "00" }, { "-1.0", "-0.50" } },
    };
    for (const Case& c : cases) {
        const ProgramStep step { "1", c.cells[0], c.cells[1], c.cells[2], c.cells[3], true };
        const PresetRow preset { "1", c.cells[0], c.cells[1] };
        EXPECT_EQ(TableRules::WithinLimit(TableRules::TextNumber(c.cells[0]), limits.uvl)
                && TableRules::WithinLimit(TableRules::TextNumber(c.cells[1]), limits.ucl),
            c.within)
            << c.what;
        for (const TableRules::Setting sent : { TableRules::ClampToLimits(step, limits),
                 TableRules::ClampToLimits(preset, limits) }) {
            EXPECT_EQ(sent.volts, c.sent.volts) << c.what;
            EXPECT_EQ(sent.amps, c.sent.amps) << c.what;
        }
        ProgramTable etp(TableKind::Etp);
        etp.setSteps({ step });
        TableRules::ClampStepsToLimits(etp, 1, limits);
        const ProgramStep clamped = etp.step(1);
        EXPECT_EQ(QStringList({ clamped.voltage, clamped.current, clamped.minute, clamped.second }),
            c.step)
            << c.what;
        ProgramTable ipm(TableKind::Ipm);
        ipm.setPresets({ preset });
        EXPECT_EQ(TableRules::ClampPresetsToLimits(ipm, limits), c.preset != c.cells.mid(0, 2))
            << c.what;
        EXPECT_EQ(QStringList({ ipm.preset(1).voltage, ipm.preset(1).current }), c.preset)
            << c.what;
    }
}

// Presets: the voltage is valid from 1 V, the current above 0; a selector
// needs a current, and "Set" follows the selected preset, the run and the supply.
TEST(TableRulesTest, PresetChecksDecideSelectorsAndSet)
{
    const std::vector<std::pair<QString, QString>> values { { "0.5", "1.00" }, { "1.0", "0.00" },
        { "36.0", "5.00" } };
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
    PresetsOf comma(std::vector<std::pair<QString, QString>> { { "12.0", "0,5" } });
    EXPECT_EQ(TableRules::EnablePresetSelectors(comma), (std::array<bool, 4> { false, true }));
    struct Case {
        int selected;
        bool running, connected;
        std::optional<bool> setEnabled;
    };
    const Case cases[] = {
        { 1, false, true, false }, // preset 1 is invalid
        { 3, false, true, true },
        { 3, true, true, false },
        { 3, false, false, false },
        { 0, false, true, std::nullopt },
    };
    for (const Case& c : cases) {
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
    PresetsOf ipm({ { "12.0", "1.00" }, { "40.0", "1.00" }, { "5.0", "1.00" } });
    struct Case {
        int preset;
        bool running, connected, sends;
        int selected;
    };
    const Case cases[] = { { 1, false, true, true, 1 }, { 2, false, true, false, 2 },
        { 3, true, true, false, 3 }, { 3, false, false, false, 3 }, { 4, false, true, false, 3 },
        { 0, false, true, false, 3 } };
    for (const Case& c : cases) {
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
    TableOf etp(TableKind::Etp, { { "1", "9.0", "9.00", "09", "09" } });
    etp.setOutputOn(4, false);
    TableRules::InitEtpTable(etp, "0.00");
    ASSERT_EQ(etp.dataRows(), 20);
    for (int k = 1; k <= 20; ++k) {
        EXPECT_EQ(
            etp.step(k), (ProgramStep { QString::number(k), "0.0", "0.00", "00", "00", true }))
            << k;
    }
    etp.setCell(7, 1, "12.0");
    etp.setCell(7, 3, "05");
    etp.setOutputOn(7, false);
    TableRules::ClearTable(etp, "0.0");
    EXPECT_EQ(etp.dataRows(), 20);
    EXPECT_EQ(etp.step(7), (ProgramStep { "7", "00.0", "0.0", "00", "00", true }));

    PresetsOf ipm({ { "12.0", "1.00" }, { "5.0", "0.50" }, { "3.0", "0.10" } });
    TableRules::ClearTable(ipm, "0.00");
    EXPECT_EQ(ipm.preset(2), (PresetRow { "2", "00.0", "0.00" }));

    ProgramTable itp(TableKind::Itp);
    itp.addRow({ "1", "3.0", "1.0", "01", "00" });
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
