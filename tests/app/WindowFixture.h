#pragma once

#include "programs/ProgramTable.h"
#include "tests/app/MessageBoxes.h"
#include "tests/app/PanelHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <gtest/gtest.h>

#include <cstddef>
#include <utility>

// The window shown and active with the live-log timer stopped (the session
// runs only when the test lets time pass), and the storage tool bar and the External program grid
// at hand.
class WindowFixture : public ::testing::Test {
protected:
    void SetUp() override { showWindow(); }

    // Starts the window on the harness's data folder, again if need be.
    void showWindow()
    {
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        h.ui().TimerPVC->stop();
        h.w().show();
        h.w().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    }

    QCheckBox* output(int k) { return h.ui().OutputCK[static_cast<std::size_t>(k)]; }

    // Clicks a storage tool bar button; returns the texts of the boxes it showed.
    QStringList clickTool(int button, QList<MessageBoxes::Button> answers = {})
    {
        MessageBoxes boxes(std::move(answers));
        auto* action = h.find<QAction>(QStringLiteral("Toolbar2.Buttons(%1)").arg(button));
        QWidget* widget = h.ui().Toolbar2->widgetForAction(action);
        EXPECT_NE(nullptr, widget);
        if (widget)
            QTest::mouseClick(widget, Qt::LeftButton);
        return boxes.texts;
    }

    void setEtpRow(
        int r, const QString& v, const QString& c, const QString& m, const QString& s, bool on)
    {
        ProgramTable& etp = h.w().tableE();
        etp.setCell(r, 1, v);
        etp.setCell(r, 2, c);
        etp.setCell(r, 3, m);
        etp.setCell(r, 4, s);
        etp.setOutputOn(r, on);
    }

    // External program steps as "step|V|C|M|S|on" (or off) per row.
    QStringList etpRows()
    {
        const ProgramTable& etp = h.w().tableE();
        QStringList rows;
        for (int r = 1; r < etp.rows(); ++r) {
            rows << QStringList { etp.cell(r, 0), etp.cell(r, 1), etp.cell(r, 2), etp.cell(r, 3),
                etp.cell(r, 4),
                output(r)->isChecked() ? QStringLiteral("on") : QStringLiteral("off") }
                        .join(u'|');
        }
        return rows;
    }

    PanelHarness h;
};
