#pragma once

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/Prompts.h"
#include "panel/SegmentDisplay.h"
#include "session/PortLock.h"
#include "sim/SimTransport.h"
#include "sim/SupplyFaults.h"
#include "storage/OvoltaDatabase.h"
#include "tests/app/MessageBoxes.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/QtPrinting.h"

#include <QComboBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QStringList>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <memory>

// The window's prompts with the file dialogs answered by the test (the chosen
// path, empty: cancelled); message boxes and the print dialog stay real.
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

// A main window on an in-process line with a virtual supply on Com1, a fake clock
// whose timers run the session as the test lets time pass, and a fresh data folder.
class PanelHarness {
public:
    explicit PanelHarness(
        bool withSupply = true, const SupplyModel& model = SupplyModel::standard())
    {
        if (withSupply)
            supply = &transport.attachSupply(1, model);
        QDir(dir.path()).mkpath(QStringLiteral("locks"));
    }

    // Creates the window and runs start-up to the end of the connection; the live log is
    // stopped (tests run it by hand).
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

    // Lets time pass until the supply session has nothing left to do.
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
    // One polling tick with all it sends.
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
    // On Com1's supply unless another target is given.
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
    // The user replaces a box's text by typing and presses Enter.
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
    // Set: the line the window talks on instead of `transport`.
    SerialTransport* via = nullptr;
    QTemporaryDir dir;
    // Unset: the window's own wait for another program's lock on the database.
    std::optional<std::chrono::milliseconds> databaseBusyTimeout;
    PortLock portLock { dir.filePath("ports"), dir.filePath("locks") };
    TestPrompts prompts; // outlives the window that asks through it
    VirtualSupply* supply = nullptr;
    std::unique_ptr<MainFrm> window;
    QString startError;
};
