#include "programs/PresetTransfer.h"

#include "tests/programs/Tables.h"
#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

const TableLimits kHundredths { 36.0f, 5.0f, "0.00", 100 };
const TableLimits kTenths { 18.0f, 10.0f, "0.0", 10 };

const QString kGetmReply = "125125,050050,000000,OK\r";

// Three presets or nothing, each kept to the limit rule.
TEST(PresetTransferTest, PromParameterJoinsTheThreeCodes)
{
    using Values = std::vector<std::pair<QString, QString>>;
    const std::pair<Values, std::optional<QString>> cases[] = {
        { { { "12.5", "1.25" }, { "5.0", "0.50" }, { "0.0", "0.00" } }, "125125050050000000" },
        { { { "40", "6" }, { "-5", "-1" }, { "abc", "" } }, "360500000000000000" },
        { { { "1.0", "1.00" }, { "2.0", "1.00" } }, std::nullopt },
    };
    for (const auto& [values, parameter] : cases)
        EXPECT_EQ(PresetTransfer::PromParameter(PresetsOf(values), kHundredths), parameter);
    PresetsOf tenths({ { "18.0", "10.0" }, { "1.0", "0.1" }, { "2,5", "0,5" } });
    EXPECT_EQ(PresetTransfer::PromParameter(tenths, kTenths), "180100010001025005");
}

// The presets read fill the table; the last one matching the setpoints is
// selected, and with none matching the selection stays. A bad reply leaves the
// table untouched.
TEST(PresetTransferTest, GetmReplyFillsTheTableAndSelectsTheMatchingPreset)
{
    const struct {
        QString reply;
        const char *volts, *amps;
        bool filled;
        int selected;
    } cases[] = { { kGetmReply, "5.0", "0.50", true, 2 },
        { "050050,120010,050050,OK", "5.0", "0.5", true, 3 },
        { kGetmReply, "9.9", "0.50", true, 1 }, { "", "0.0", "0.00", false, 1 },
        { "OK", "0.0", "0.00", false, 1 }, { "125125,050050,000000,O", "0.0", "0.00", false, 1 },
        { "12512\r,OK", "0.0", "0.00", false, 1 }, { QString(200, 'x'), "0.0", "0.00", false, 1 } };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.reply.toStdString());
        PresetsOf ipm({ { "1.0", "1.00" }, { "2.0", "1.00" } });
        ipm.setSelectedPreset(1);
        EXPECT_EQ(
            PresetTransfer::FillFromGetm(ipm, c.reply, c.volts, c.amps, kHundredths), c.filled);
        EXPECT_EQ(ipm.dataRows(), c.filled ? 3 : 2);
        EXPECT_EQ(ipm.selectedPreset(), c.selected);
    }
    ProgramTable ipm(TableKind::Ipm);
    ASSERT_TRUE(PresetTransfer::FillFromGetm(ipm, kGetmReply, "5.0", "0.50", kHundredths));
    EXPECT_EQ(ipm.presets(),
        (std::vector<PresetRow> {
            { "1", "12.5", "1.25" }, { "2", "5.0", "0.50" }, { "3", "0.0", "0.00" } }));
    EXPECT_EQ(ipm.cell(1, 0), "");
}

TEST(PresetTransferTest, ReadFroPsActsOnlyOnThePresetTab)
{
    using PresetTransfer::ReadRequest;
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(2), ReadRequest::RaiseReadPending);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(0), ReadRequest::FocusButton);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(1), ReadRequest::FocusButton);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(3), ReadRequest::Nothing);
}

TEST(PresetTransferTest, SetNeedsASupplyAndRows)
{
    PresetsOf full({ { "1.0", "1.00" }, { "2.0", "1.00" }, { "3.0", "1.00" } });
    EXPECT_TRUE(PresetTransfer::SetRequestsUpload(true, full));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(false, full));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(true, ProgramTable(TableKind::Ipm)));
}

TEST(PresetTransferTest, RecalledSetpointsUseTheModelsFormat)
{
    PresetsOf ipm({ { "18.0", "10.0" }, { "1", "0,5" } });
    const auto sp = PresetTransfer::RecalledSetpoints(ipm, 2, kTenths);
    EXPECT_EQ(sp.volt, "1.0");
    EXPECT_EQ(sp.curr, "0.5");
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), std::nullopt);
    ipm.setSelectedPreset(1);
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), "0");
}

} // namespace
