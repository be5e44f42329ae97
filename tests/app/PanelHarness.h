#pragma once

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "session/PortLock.h"
#include "sim/SimTransport.h"
#include "sim/SupplyFaults.h"
#include "tests/app/TestPrompts.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"
#include "tests/support/QtPrinting.h"

#include <QDir>
#include <QStringList>
#include <QTemporaryDir>
#include <memory>

// A main window on an in-process line with a virtual supply on Com1, a fake
// clock whose timers run the session when the test lets time pass, and a
// fresh data folder, whose "locks" folder holds the port locks.
class PanelHarness {
public:
    explicit PanelHarness(
        bool withSupply = true, const SupplyModel& model = SupplyModel::standard())
    {
        if (withSupply)
            supply = &transport.attachSupply(1, model);
        QDir(dir.path()).mkpath(QStringLiteral("locks"));
    }

    // Creates the window and runs start-up to the end of the connection;
    // false when start-up failed.
    bool start()
    {
        window = std::make_unique<MainFrm>(MainFrmDeps {
            transport, clock, timers, dir.path(), {}, databaseBusyTimeout, &portLock, &prompts });
        prompts.showOver(window.get());
        const bool started = window->StartUp(&startError);
        settle();
        return started;
    }

    // Lets time pass until the supply session has nothing left to do.
    void settle()
    {
        if (window)
            timers.runUntil([this] { return window->session().isIdle(); });
    }
    // Time passes until the next polling tick has its first exchange on the line.
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

    // The command lines the supply on Com1 received, in order.
    QStringList sent() const
    {
        QStringList lines;
        if (supply) {
            for (const QByteArray& line : supply->receivedLines())
                lines << QString::fromLatin1(line);
        }
        return lines;
    }
    void clearSent()
    {
        if (supply)
            supply->clearReceived();
    }
    void setFaults(const QString& faultText)
    {
        QString error;
        const auto faults = SupplyFaults::parse(faultText, &error);
        if (faults)
            supply->setFaults(*faults);
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
    QTemporaryDir dir;
    // Unset: the window's own wait for another program's lock on the database.
    std::optional<std::chrono::milliseconds> databaseBusyTimeout;
    PortLock portLock { dir.filePath("ports"), dir.filePath("locks") };
    // Outlives the window that asks through it.
    TestPrompts prompts;
    VirtualSupply* supply = nullptr;
    std::unique_ptr<MainFrm> window;
    QString startError;
};
