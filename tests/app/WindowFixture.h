#pragma once

#include "app/MainFrm.h"
#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/Prompts.h"
#include "app/RunnerControls.h"
#include "app/StepGrid.h"
#include "panel/SegmentDisplay.h"
#include "programs/ProgramTable.h"
#include "session/PortLock.h"
#include "sim/SimTransport.h"
#include "sim/SupplyFaults.h"
#include "storage/OvoltaDatabase.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/QtPrinting.h"

#include <QAbstractButton>
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QHeaderView>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QRegularExpression>
#include <QScopedValueRollback>
#include <QScrollBar>
#include <QTabWidget>
#include <QTableView>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QToolBar>
#include <functional>
#include <gtest/gtest.h>

// Answers message boxes with `answers` in order, then `answer` (else OK, else No), keeping their
// texts; other dialogs go by class into `dialogs` and to `onDialog`, else are rejected.
class MessageBoxes {
public:
    using Button = QMessageBox::StandardButton;

    explicit MessageBoxes(QList<Button> answers = {})
        : m_answers(std::move(answers))
    {
        QObject::connect(&m_timer, &QTimer::timeout, [this] { answerActive(); });
        m_timer.start();
    }

    void clear()
    {
        texts.clear();
        dialogs.clear();
        buttons = {};
        allOkOnly = true;
    }

    QStringList texts;
    QMessageBox::StandardButtons buttons; // of the latest box
    bool allOkOnly = true;
    Button answer = QMessageBox::Ok;
    std::function<void()> whileOpen; // runs while each box is open
    QStringList dialogs;
    std::function<void(QDialog&)> onDialog;

private:
    void answerActive()
    {
        QWidget* modal = QApplication::activeModalWidget();
        if (!modal || !modal->isVisible() || m_answering)
            return;
        auto* box = qobject_cast<QMessageBox*>(modal);
        if (auto* dialog = qobject_cast<QDialog*>(modal); dialog && !box) {
            dialogs << QString::fromLatin1(dialog->metaObject()->className());
            onDialog ? onDialog(*dialog) : dialog->reject();
        }
        if (!box)
            return;
        texts << box->text();
        if (whileOpen) {
            const QScopedValueRollback answering(m_answering, true);
            whileOpen();
        }
        buttons = box->standardButtons();
        allOkOnly = allOkOnly && buttons == QMessageBox::Ok;
        QAbstractButton* button = nullptr;
        for (const Button wanted : { answer, QMessageBox::Ok, QMessageBox::No })
            button = button ? button : box->button(wanted);
        if (!m_answers.isEmpty())
            button = box->button(m_answers.takeFirst());
        if (!button) {
            texts << QStringLiteral("<no such button>");
            button = box->buttons().constFirst();
        }
        button->click();
    }

    QList<Button> m_answers;
    QTimer m_timer;
    bool m_answering = false;
};

// Prompts whose file dialogs the test answers (empty: cancelled); the other dialogs stay real.
struct TestPrompts : Prompts {
    using Answer = std::function<QString(const QString& startOrFolder)>;
    Answer saveFile = [](const QString&) { return QString(); }; // given a name or a path
    Answer openFile = saveFile;
    std::unique_ptr<QtPrompts> real; // over the window

    void tell(const QString& t, Title title, Tone tone) override { real->tell(t, title, tone); }
    bool ask(const QString& question) override { return real->ask(question); }
    QString openFileName(const QString& dir, const QString&) override { return openFile(dir); }
    QString saveFileName(const QString& start, const QString&) override { return saveFile(start); }
    bool choosePrinter(QPrinter& printer) override { return real->choosePrinter(printer); }
};

// A main window on an in-process line (a supply on Com1), fake clock and timers, a fresh folder.
class PanelHarness {
public:
    explicit PanelHarness(
        bool withSupply = true, const SupplyModel& model = SupplyModel::standard())
    {
        if (withSupply)
            supply = &transport.attachSupply(1, model);
        QDir(dir.path()).mkpath(QStringLiteral("locks"));
    }

    // Runs start-up to the end of the connection; the live log stays stopped (run by hand).
    bool start()
    {
        window = std::make_unique<MainFrm>(MainFrmDeps { via ? *via : transport, clock, timers,
            dir.path(), {}, databaseBusyTimeout, &portLock, &prompts });
        prompts.real = std::make_unique<QtPrompts>(window.get());
        const bool started = window->StartUp(&startError);
        settle();
        ui().TimerPVC->stop();
        return started;
    }

    void settle()
    {
        if (window)
            timers.runUntil([this] { return window->session().isIdle(); });
    }
    // Until the next polling tick has its first exchange on the line.
    void startTick()
    {
        timers.runUntil([this] { return !window->session().isIdle(); });
    }
    void tick()
    {
        timers.advance(SupplySession::kPollMs);
        settle();
    }

    MainFrm& w() { return *window; }
    const SupplyState& p() const { return window->supply(); }
    MainFrmUi& ui() { return window->controls(); }
    WindowState& s() { return window->state(); }
    QString panel(int k) { return find<QLabel>(QString("StatusBar1.Panels(%1)").arg(k))->text(); }

    // The command lines a supply received, in order; sent(): the one on Com1.
    static QStringList Lines(const VirtualSupply& from)
    {
        QStringList lines;
        for (const QByteArray& line : from.receivedLines())
            lines << QString::fromLatin1(line);
        return lines;
    }
    QStringList sent() const { return supply ? Lines(*supply) : QStringList(); }
    void clearSent()
    {
        if (supply)
            supply->clearReceived();
    }
    void setFaults(const QString& faultText, VirtualSupply* target = nullptr)
    {
        QString error;
        const auto faults = SupplyFaults::parse(faultText, &error);
        ASSERT_TRUE(faults.has_value()) << error.toStdString();
        (target ? target : supply)->setFaults(*faults);
    }

    // Chooses a port on the Setting tab and clicks "OK"; the live log stays stopped.
    void choosePort(const QString& name)
    {
        auto* port = find<QComboBox>(QStringLiteral("CboPort"));
        ASSERT_GE(port->findText(name), 0) << name.toStdString();
        port->setCurrentIndex(port->findText(name));
        ui().Tab1->setCurrentIndex(4);
        QTest::mouseClick(find<QPushButton>(QStringLiteral("CmdOK")), Qt::LeftButton);
        settle();
        ui().TimerPVC->stop();
    }
    static void TypeEnter(QLineEdit* box, const QString& text)
    {
        box->setFocus();
        box->selectAll();
        QTest::keyClicks(box, text);
        QTest::keyClick(box, Qt::Key_Return);
    }

    // The port lock another program on this machine would take.
    std::unique_ptr<PortLock> anotherProgram() const
    {
        return std::make_unique<PortLock>(dir.filePath("ports"), dir.filePath("locks"));
    }

    template <typename T> T* find(const QString& name) { return window->findChild<T*>(name); }

    FakeClock clock;
    FakeTimers timers { clock };
    SimTransport transport { clock };
    SerialTransport* via = nullptr; // set: the line instead of `transport`
    QTemporaryDir dir;
    std::optional<std::chrono::milliseconds> databaseBusyTimeout; // unset: the window's own
    PortLock portLock { dir.filePath("ports"), dir.filePath("locks") };
    TestPrompts prompts; // outlives the window that asks through it
    VirtualSupply* supply = nullptr;
    std::unique_ptr<MainFrm> window;
    QString startError;
};

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
    void click(QWidget* widget, QPoint at = {})
    {
        if (!h.w().isActiveWindow())
            activate();
        QTest::mouseClick(widget, Qt::LeftButton, {}, at);
    }
    void clickCell(QTableView* grid, int row, int column) // table rows from 1
    {
        click(grid->viewport(), grid->visualRect(grid->model()->index(row - 1, column)).center());
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
