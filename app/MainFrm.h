#pragma once

#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "datalog/ChartRangeRules.h"
#include "datalog/LogPacing.h"
#include "device/DeviceLink.h"
#include "panel/OutputSwitch.h"
#include "panel/SetpointClicks.h"

#include <QMainWindow>
#include <chrono>
#include <deque>
#include <functional>
#include <memory>
#include <optional>

class Clock;
class OvoltaDatabase;
class PortLock;
class ProgramTable;
class ProgramTabs;
class SetpointBoxes;
class SettingsPage;
class StorageActions;
class DataLogTab;
class SerialTransport;
class Waiter;

// What the window needs from outside: the serial line, the clock and the wait,
// the data folder, and the link's timing (shortened by tests and the demo).
struct MainFrmDeps {
    SerialTransport& transport;
    Clock& clock;
    Waiter& waiter;
    QString dataFolder;
    LinkTiming timing = {};
    // How long the database waits for a lock another program holds; unset:
    // the database's own few seconds (tests shorten it).
    std::optional<std::chrono::milliseconds> databaseBusyTimeout = {};
    // Keeps other programs off the port the window talks on, from its first
    // command to "ENDS"; none: no other program is minded.
    PortLock* portLock = nullptr;
};

// The one main window. It owns the controls, the shared state, the database
// and the device link, and wires control events to the subsystem code.
class MainFrm : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrm(const MainFrmDeps& deps, QWidget* parent = nullptr);
    ~MainFrm() override;

    // Brings the window into its working state; false (with the database
    // engine's message) when the database cannot be opened or created.
    bool StartUp(QString* error);
    // A signal asks the program to end: the window closes as its close button
    // would; during start-up, start-up ends first, at its next safe point.
    void RequestQuit();
    bool quitRequested() const { return m_quitRequested; }

    // Device link and connection.
    void ConnectSupply();
    void DisconnectSupply();
    void PollTick();
    // Lists the ports again (the Setting tab is shown or its list opened), so
    // that a supply plugged in after start-up can be chosen; keeps the choice.
    void RefreshPortList();
    // Why the window may not talk on port: "Com5 (/dev/ttyUSB0) is in use by
    // ovolta-cli (pid 1234)"; empty when it may.
    QString portRefusal(int port) const;

    // The line is taken: an exchange is on it, or a sequence of exchanges
    // (a tick, a connection, a preset upload, the Setting tab's "OK") is
    // between two of its exchanges. Closing and direct senders wait for it.
    bool lineBusy() const { return m_link.isOpen() || m_sequences > 0; }
    // While the line is busy: calls retry again a little later (in context)
    // and returns true.
    bool retryWhileLineBusy(const QObject* context, std::function<void()> retry);
    // Runs show, which opens a modal box, at once; inside the wait of an
    // exchange, once the line is free instead (boxes in the order asked): the
    // box's own loop would hold the wait, and with it the polling, the live
    // log and the program runner, for as long as the box stays open.
    void showWhenLineFree(std::function<void()> show);
    // An OK-only message box, opened the same way.
    void tell(const QString& text);
    class Sequence {
    public:
        explicit Sequence(MainFrm& window)
            : m_window(window)
        {
            ++m_window.m_sequences;
        }
        ~Sequence() { --m_window.m_sequences; }
        Sequence(const Sequence&) = delete;
        Sequence& operator=(const Sequence&) = delete;

    private:
        MainFrm& m_window;
    };

    // Front panel.
    void DrawReadingDisplay();
    void DrawSetpointDisplay(int index, bool highlighted);
    void ClearHoverHighlights();
    // The output switch shows the given output state (after a program step).
    void ShowOutputState(bool outputOn);
    bool extProgramRunning() const;

    void ApplyLanguage(int language);
    void UpdateStorageButtons();

    WindowState& state() { return S; }
    MainFrmUi& controls() { return ui; }
    ProgramTabs& programs() { return *m_programs; }
    StorageActions& storage() { return *m_storage; }
    LogPacing& pacing() { return m_pacing; }
    ChartRangeRules& chart() { return m_chart; }
    Clock& clock() { return m_clock; }
    void DrawChart();
    void setStatusLimits();
    DeviceLink& link() { return m_link; }
    OvoltaDatabase* database() { return m_db.get(); }
    const ChartRanges& chartRanges() const { return m_chart.ranges(); }
    ProgramTable& tableP() { return *m_tableP; }
    ProgramTable& tableE() { return *m_tableE; }
    ProgramTable& tableM() { return *m_tableM; }

protected:
    void closeEvent(QCloseEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void enumeratePorts();
    void searchPorts();
    // Takes the port before its first command; false when another program has it.
    bool claimPort(int port);
    void releasePort();
    void setupGrids();
    void wireEvents();
    void showSwitchPicture();
    void applyChartTexts(const RangeComboTexts& texts);
    void TimerGetD_Timer();
    void TimerPVC_Timer();
    void pollTickBody();
    void showWaitingBoxes();
    // Stops the timers and takes a connected supply out of remote mode, once.
    void shutDown();
    void setLcdVisible(bool visible);
    void LcdPSetVC_MouseMove(int index);
    void LcdPSetVC_MouseUp(int index, Qt::MouseButton button);
    // A left click on the output switch or its label, or Space on the switch.
    void ImageOnOff_Click();
    void Tab1_Click();
    void Form_Activate();
    void Toolbar2_MouseMove();
    SetpointState setpointState() const;

    SerialTransport& m_transport;
    Clock& m_clock;
    DeviceLink m_link;
    QString m_dataFolder;
    std::optional<std::chrono::milliseconds> m_databaseBusyTimeout;
    PortLock* m_portLock;
    const Captions& m_captions = Captions::English();

    WindowState S;
    MainFrmUi ui;
    std::unique_ptr<OvoltaDatabase> m_db;
    std::unique_ptr<ProgramTable> m_tableP;
    std::unique_ptr<ProgramTable> m_tableE;
    std::unique_ptr<ProgramTable> m_tableM;
    std::unique_ptr<ProgramTabs> m_programs;
    std::unique_ptr<SetpointBoxes> m_setpoints;
    std::unique_ptr<SettingsPage> m_settings;
    std::unique_ptr<StorageActions> m_storage;
    std::unique_ptr<DataLogTab> m_dataLog;
    OutputSwitch m_switch;
    LogPacing m_pacing;
    ChartRangeRules m_chart;
    int m_sequences = 0;
    std::deque<std::function<void()>> m_waitingBoxes;
    bool m_activated = false;
    bool m_shutDown = false;
    bool m_startingUp = false;
    bool m_quitRequested = false;
};
