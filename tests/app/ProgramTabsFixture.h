#pragma once

#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/PanelHarness.h"

#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <gtest/gtest.h>

// The window shown with its program tabs wired, a supply of the given model
// on Com1 (or none) and the live-log timer stopped: the session runs only when
// the test lets time pass.
class ProgramTabsFixture : public ::testing::Test {
protected:
    explicit ProgramTabsFixture(
        const SupplyModel& model = SupplyModel::standard(), bool withSupply = true)
        : h(withSupply, model)
    {
    }

    void SetUp() override
    {
        ASSERT_TRUE(h.start());
        h.ui().TimerPVC->stop();
        h.w().show();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    }

    ProgramTable& etp() { return h.w().tableE(); }
    ProgramTable& ipm() { return h.w().tableM(); }
    QCheckBox* outputBox(int k) { return h.find<QCheckBox>(QStringLiteral("OutputCK(%1)").arg(k)); }

    PanelHarness h;
};
