#include "programs/PresetTransfer.h"

#include "tests/support/FakeClock.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

const TableLimits kHundredths { 36.0f, 5.0f, "0.00", 100 };
const TableLimits kTenths { 18.0f, 10.0f, "0.0", 10 };

struct Presets : ProgramTable {
    explicit Presets(const std::vector<std::pair<QString, QString>>& values)
        : ProgramTable(TableKind::Ipm)
    {
        int k = 1;
        for (const auto& [v, i] : values)
            addRow({ "", QString::number(k++), v, i });
    }
};

// A supply that answers from a script and remembers each line it got.
struct ScriptedSupply {
    explicit ScriptedSupply(std::vector<QString> script)
        : replies(std::move(script))
    {
    }
    std::vector<QString> replies;
    std::vector<QString> lines;
    std::size_t next = 0;
    Transact transact()
    {
        return [this](const QString& command, const QString& parameter) {
            lines.push_back(command + parameter);
            return next < replies.size() ? replies[next++] : QString();
        };
    }
};

const QString kGetmReply = "125125,050050,000000,OK\r";

TEST(PresetTransferTest, PromParameterJoinsTheThreeCodes)
{
    Presets ipm({ { "12.5", "1.25" }, { "5.0", "0.50" }, { "0.0", "0.00" } });
    EXPECT_EQ(PresetTransfer::PromParameter(ipm, 100), "125125050050000000");
    Presets tenths({ { "18.0", "10.0" }, { "1.0", "0.1" }, { "2,5", "0,5" } });
    EXPECT_EQ(PresetTransfer::PromParameter(tenths, 10), "180100010001025005");
}

TEST(PresetTransferTest, PromParameterNeedsThreeRowsAndSendsNoSign)
{
    EXPECT_FALSE(PresetTransfer::PromParameter(Presets({}), 100).has_value());
    EXPECT_FALSE(
        PresetTransfer::PromParameter(Presets({ { "1.0", "1.00" }, { "2.0", "1.00" } }), 100)
            .has_value());
    Presets odd({ { "-5", "-1" }, { "abc", "" }, { "1.0", "1.00" } });
    EXPECT_EQ(PresetTransfer::PromParameter(odd, 100), "000000000000010100");
}

TEST(PresetTransferTest, GetmReplyFillsTheTableAndSelectsTheMatchingPreset)
{
    ProgramTable ipm(TableKind::Ipm);
    ASSERT_TRUE(PresetTransfer::FillFromGetm(ipm, kGetmReply, "5.0", "0.50", kHundredths));
    ASSERT_EQ(ipm.dataRows(), 3);
    EXPECT_EQ(ipm.cell(1, 0), "");
    EXPECT_EQ(ipm.cell(1, 1), "1");
    EXPECT_EQ(ipm.cell(1, 2), "12.5");
    EXPECT_EQ(ipm.cell(1, 3), "1.25");
    EXPECT_EQ(ipm.cell(2, 2), "5.0");
    EXPECT_EQ(ipm.cell(2, 3), "0.50");
    EXPECT_EQ(ipm.cell(3, 2), "0.0");
    EXPECT_EQ(ipm.selectedPreset(), 2);
}

TEST(PresetTransferTest, LaterMatchingPresetTakesTheSelection)
{
    ProgramTable ipm(TableKind::Ipm);
    ASSERT_TRUE(
        PresetTransfer::FillFromGetm(ipm, "050050,120010,050050,OK", "5.0", "0.5", kHundredths));
    EXPECT_EQ(ipm.selectedPreset(), 3);
}

TEST(PresetTransferTest, SelectionStaysWhenNoPresetMatches)
{
    ProgramTable ipm(TableKind::Ipm);
    ipm.setSelectedPreset(1);
    ASSERT_TRUE(PresetTransfer::FillFromGetm(ipm, kGetmReply, "9.9", "0.50", kHundredths));
    EXPECT_EQ(ipm.selectedPreset(), 1);
}

TEST(PresetTransferTest, ReadTriesTwiceThenEmptiesTheTable)
{
    Presets ipm({ { "1.0", "1.00" }, { "2.0", "1.00" }, { "3.0", "1.00" } });
    ScriptedSupply supply({ "125125,050050,000000,XX", "" });
    EXPECT_FALSE(
        PresetTransfer::ReadPresetMemory(ipm, supply.transact(), "0.0", "0.00", kHundredths));
    EXPECT_EQ(supply.lines, (std::vector<QString> { "GETM", "GETM" }));
    EXPECT_EQ(ipm.rows(), 1);
}

TEST(PresetTransferTest, ReadSucceedsOnTheSecondTry)
{
    ProgramTable ipm(TableKind::Ipm);
    ScriptedSupply supply({ "garbage", kGetmReply });
    EXPECT_TRUE(
        PresetTransfer::ReadPresetMemory(ipm, supply.transact(), "12.5", "1.25", kHundredths));
    EXPECT_EQ(ipm.dataRows(), 3);
    EXPECT_EQ(ipm.selectedPreset(), 1);
}

TEST(PresetTransferTest, BadGetmRepliesLeaveTheTableUntouched)
{
    const QString bad[] = { "", "OK", "125125,050050,000000,O", "12512\r,OK", QString(200, 'x') };
    for (const QString& reply : bad) {
        Presets ipm(std::vector<std::pair<QString, QString>> { { "1.0", "1.00" } });
        EXPECT_FALSE(PresetTransfer::FillFromGetm(ipm, reply, "0.0", "0.00", kHundredths))
            << reply.toStdString();
        EXPECT_EQ(ipm.dataRows(), 1);
    }
}

TEST(PresetTransferTest, ReadFroPsActsOnlyOnThePresetTab)
{
    using PresetTransfer::ReadRequest;
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(2), ReadRequest::RaiseReadPending);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(0), ReadRequest::FocusButton);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(1), ReadRequest::FocusButton);
    EXPECT_EQ(PresetTransfer::ReadFroPsClick(3), ReadRequest::Nothing);
}

TEST(PresetTransferTest, SaveToPsTriesFourTimesWithAPauseAfterEachFailure)
{
    Presets ipm({ { "12.5", "1.25" }, { "5.0", "0.50" }, { "0.0", "0.00" } });
    FakeClock clock;
    FakeWaiter waiter(clock);
    ScriptedSupply supply({ "", "O", "ERR", "NO" });
    EXPECT_FALSE(PresetTransfer::SavePresetsToSupply(2, ipm, 100, supply.transact(), waiter));
    EXPECT_EQ(supply.lines.size(), 4u);
    EXPECT_EQ(supply.lines[0], "PROM125125050050000000");
    EXPECT_EQ(waiter.totalWaitedMs(), 400);

    ScriptedSupply later({ "", "OK" });
    FakeWaiter waiter2(clock);
    EXPECT_TRUE(PresetTransfer::SavePresetsToSupply(2, ipm, 100, later.transact(), waiter2));
    EXPECT_EQ(later.lines.size(), 2u);
    EXPECT_EQ(waiter2.totalWaitedMs(), 100);
}

TEST(PresetTransferTest, SaveToPsSendsNothingElsewhereOrWithoutRows)
{
    FakeClock clock;
    FakeWaiter waiter(clock);
    Presets full({ { "1.0", "1.00" }, { "2.0", "1.00" }, { "3.0", "1.00" } });
    ProgramTable empty(TableKind::Ipm);
    ScriptedSupply supply({ "OK" });
    EXPECT_FALSE(PresetTransfer::SavePresetsToSupply(0, full, 100, supply.transact(), waiter));
    EXPECT_FALSE(PresetTransfer::SavePresetsToSupply(1, full, 100, supply.transact(), waiter));
    EXPECT_FALSE(PresetTransfer::SavePresetsToSupply(2, empty, 100, supply.transact(), waiter));
    EXPECT_TRUE(supply.lines.empty());
}

TEST(PresetTransferTest, SetNeedsASupplyAndRows)
{
    Presets full({ { "1.0", "1.00" }, { "2.0", "1.00" }, { "3.0", "1.00" } });
    EXPECT_TRUE(PresetTransfer::SetRequestsUpload(true, full));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(false, full));
    EXPECT_FALSE(PresetTransfer::SetRequestsUpload(true, ProgramTable(TableKind::Ipm)));
}

TEST(PresetTransferTest, UploadThenRecallTheSelectedPreset)
{
    Presets ipm({ { "12.5", "1.25" }, { "5.0", "0.50" }, { "3.0", "0.10" } });
    ipm.setSelectedPreset(2);
    FakeClock clock;
    FakeWaiter waiter(clock);
    ScriptedSupply supply({ "", "OK", "OK" });
    const auto setpoints
        = PresetTransfer::UploadAndRecall(ipm, kHundredths, supply.transact(), waiter);
    EXPECT_EQ(supply.lines,
        (std::vector<QString> { "PROM125125050050030010", "PROM125125050050030010", "RUNM1" }));
    ASSERT_TRUE(setpoints.has_value());
    EXPECT_EQ(setpoints->volt, "5.0");
    EXPECT_EQ(setpoints->curr, "0.50");
    EXPECT_EQ(waiter.totalWaitedMs(), 300);
}

TEST(PresetTransferTest, UploadWithoutSelectionRecallsNothing)
{
    Presets ipm({ { "12.5", "1.25" }, { "5.0", "0.50" }, { "3.0", "0.10" } });
    FakeClock clock;
    FakeWaiter waiter(clock);
    ScriptedSupply supply({ "OK" });
    EXPECT_FALSE(PresetTransfer::UploadAndRecall(ipm, kHundredths, supply.transact(), waiter));
    EXPECT_EQ(supply.lines, (std::vector<QString> { "PROM125125050050030010" }));
}

TEST(PresetTransferTest, FailedUploadOrRecallChangesNoSetpoints)
{
    Presets ipm({ { "12.5", "1.25" }, { "5.0", "0.50" }, { "3.0", "0.10" } });
    ipm.setSelectedPreset(3);
    FakeClock clock;
    FakeWaiter waiter(clock);
    ScriptedSupply silent({ "", "", "" });
    EXPECT_FALSE(PresetTransfer::UploadAndRecall(ipm, kHundredths, silent.transact(), waiter));
    EXPECT_EQ(silent.lines.size(), 3u); // three tries, no recall

    ScriptedSupply noRecall({ "OK", "ERR" });
    EXPECT_FALSE(PresetTransfer::UploadAndRecall(ipm, kHundredths, noRecall.transact(), waiter));
    EXPECT_EQ(noRecall.lines.back(), "RUNM2");
}

TEST(PresetTransferTest, RecalledSetpointsUseTheModelsFormat)
{
    Presets ipm({ { "18.0", "10.0" }, { "1", "0,5" } });
    const auto sp = PresetTransfer::RecalledSetpoints(ipm, 2, kTenths);
    EXPECT_EQ(sp.volt, "1.0");
    EXPECT_EQ(sp.curr, "0.5");
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), std::nullopt);
    ipm.setSelectedPreset(1);
    EXPECT_EQ(PresetTransfer::RecallParameter(ipm), "0");
}

} // namespace
