#pragma once

#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "programs/ProgramTable.h"
#include "tests/app/PanelHarness.h"

#include <QAction>
#include <QCheckBox>
#include <QHeaderView>
#include <QRadioButton>
#include <QScrollBar>
#include <QTableView>
#include <QToolBar>

// The window shown and active, its live log stopped, a supply of the model on Com1 (or none).
class WindowFixture : public ::testing::Test {
protected:
    explicit WindowFixture(
        const SupplyModel& model = SupplyModel::standard(), bool withSupply = true)
        : h(withSupply, model)
    {
    }
    void SetUp() override { showWindow(); }
    void showWindow()
    {
        ASSERT_TRUE(h.start()) << h.startError.toStdString();
        h.w().show();
        activate();
    }
    // A closed message box gives the window back its activation only later.
    void activate()
    {
        h.w().activateWindow();
        ASSERT_TRUE(QTest::qWaitForWindowActive(&h.w()));
    }

    ProgramTable& etp() { return h.w().tableE(); }
    ProgramTable& ipm() { return h.w().tableM(); }
    OvoltaDatabase& db() { return *h.w().database(); }
    QCheckBox* output(int k) { return h.ui().OutputCK[static_cast<std::size_t>(k)]; }
    QRadioButton* selector(int k) { return h.ui().Option1[static_cast<std::size_t>(k)]; }
    QComboBox* combo(int tab) { return h.ui().CmbTableName[static_cast<std::size_t>(tab)]; }
    QLineEdit* description(int tab) { return h.ui().TextTableD[static_cast<std::size_t>(tab)]; }
    void showTab(int tab) { h.ui().Tab1->setCurrentIndex(tab); }

    // Clicks storage tool bar button 1..5; the texts of the boxes it showed.
    QStringList clickTool(int button, QList<MessageBoxes::Button> answers = {})
    {
        MessageBoxes boxes(std::move(answers));
        QAction* action = h.ui().storageButtons()[static_cast<std::size_t>(button - 1)];
        QTest::mouseClick(h.ui().Toolbar2->widgetForAction(action), Qt::LeftButton);
        return boxes.texts;
    }
    // Clicks a cell of a grid (table rows from 1).
    void clickCell(QTableView* grid, int row, int column)
    {
        if (!h.w().isActiveWindow())
            activate();
        const QRect cell = grid->visualRect(grid->model()->index(row - 1, column));
        QTest::mouseClick(grid->viewport(), Qt::LeftButton, {}, cell.center());
    }
    static void Retype(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
        QTest::keyClick(box, Qt::Key_Delete);
        QTest::keyClicks(box, text);
    }
    void typeName(int tab, const QString& name) { Retype(combo(tab)->lineEdit(), name); }
    void typeDescription(int tab, const QString& text) { Retype(description(tab), text); }
    QStringList save(int tab, const QString& name, QList<MessageBoxes::Button> answers = {})
    {
        showTab(tab);
        typeName(tab, name);
        return clickTool(1, std::move(answers));
    }
    // Chooses an entry of the name list with the arrow keys; the boxes shown.
    QStringList choose(int tab, const QString& name)
    {
        showTab(tab);
        const int index = combo(tab)->findText(name);
        EXPECT_GE(index, 0) << name.toStdString();
        MessageBoxes boxes;
        combo(tab)->setFocus();
        combo(tab)->setCurrentIndex(index == 0 ? 1 : index - 1);
        QTest::keyClick(combo(tab), index == 0 ? Qt::Key_Up : Qt::Key_Down);
        return boxes.texts;
    }
    // The stored names listed on a tab, without "(Untitle)".
    QStringList listed(int tab)
    {
        QStringList items;
        for (int i = 1; i < combo(tab)->count(); ++i)
            items << combo(tab)->itemText(i);
        return items;
    }
    QStringList column(const QString& sql)
    {
        QStringList values;
        SqlStatement query = db().sql().prepare(sql);
        while (query.step() == SqlStatement::Step::Row)
            values << query.text(0);
        return values;
    }
    bool tableExists(const QString& name) { return db().sql().tableNames().contains(name); }

    void setEtpRow(int r, const QString& v, const QString& c, const QString& m, const QString& s,
        bool on = true)
    {
        for (const auto& [col, text] : { std::pair { 1, v }, { 2, c }, { 3, m }, { 4, s } })
            etp().setCell(r, col, text);
        etp().setOutputOn(r, on);
    }
    // Steps as "step|V|C|M|S|on" (or off).
    QStringList etpRows()
    {
        QStringList rows;
        for (int r = 1; r < etp().rows(); ++r)
            rows << QStringList { etp().cell(r, 0), etp().cell(r, 1), etp().cell(r, 2),
                etp().cell(r, 3), etp().cell(r, 4), output(r)->isChecked() ? "on" : "off" }
                        .join(u'|');
        return rows;
    }
    // The preset table anew from "V|C" per preset.
    void setPresets(const QStringList& presets)
    {
        ipm().cutToHeader();
        for (int k = 0; k < presets.size(); ++k)
            ipm().addRow(
                QStringList { QString(), QString::number(k + 1) } + presets[k].split(u'|'));
    }
    // Presets as "preset|V|C".
    QStringList presetRows()
    {
        QStringList rows;
        for (int r = 1; r < ipm().rows(); ++r)
            rows << QStringList { ipm().cell(r, 1), ipm().cell(r, 2), ipm().cell(r, 3) }.join(u'|');
        return rows;
    }
    // A live log of count samples, newest first: sample i holds (base + i) V, (base + i) / 10 A.
    void recordLog(int count, int base = 1)
    {
        h.s().LogSamples.markEmpty();
        for (int i = count - 1; i >= 0; --i)
            h.s().LogSamples.shiftIn(static_cast<float>(base + i), (base + i) / 10.0f);
    }

    PanelHarness h;
};

inline bool SameSamples(const LogSamples& a, const LogSamples& b)
{
    return a.volts == b.volts && a.amps == b.amps;
}
