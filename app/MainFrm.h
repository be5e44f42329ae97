#pragma once

#include "app/MainFrmUi.h"
#include "app/WindowState.h"
#include "core/Captions.h"
#include "datalog/ChartRangeRules.h"
#include "datalog/LogPacing.h"
#include "device/DeviceLink.h"
#include "session/SupplySession.h"

#include <QMainWindow>
#include <chrono>
#include <memory>
#include <optional>

class Clock;
class OvoltaDatabase;
class PortLock;
class PresetControls;
class PresetGrid;
class ProgramTable;
class Prompts;
class RunnerControls;
class SetpointBoxes;
class StepGrid;
class TableGrid;
class SettingsPage;
class StorageActions;
class DataLogTab;
class FrontPanelControls;
class SerialTransport;
class TimerSource;

// What the window needs from outside: the serial line, the clock and the
// session's timers, the data folder, and the link's timing (shortened by tests
// and the demo).
struct MainFrmDeps {
    SerialTransport& transport;
    Clock& clock;
    TimerSource& timers;
    QString dataFolder;
    LinkTiming timing = {};
    // How long the database waits for a lock another program holds; unset:
    // the database's own few seconds (tests shorten it).
    std::optional<std::chrono::milliseconds> databaseBusyTimeout = {};
    // Keeps other programs off the port the window talks on, from its first
    // command to "ENDS"; none: no other program is minded.
    PortLock* portLock = nullptr;
    // Messages, questions and dialogs; none: the real Qt dialogs.
    Prompts* prompts = nullptr;
};

// The one main window. It owns the controls, the window's state, the database
// and the supply session; it draws what the session reports and wires control
// events to the controllers, which raise requests on the session.
class MainFrm : public QMainWindow {
    Q_OBJECT

public:
    explicit MainFrm(const MainFrmDeps& deps, QWidget* parent = nullptr);
    ~MainFrm() override;

    // Brings the window into its working state and starts looking for the
    // supply; false (with the database engine's message) when the database
    // cannot be opened or created.
    bool StartUp(QString* error);
    // A signal asks the program to end: the window closes as its close button
    // would, after the exchange under way, with "ENDS" last.
    void RequestQuit();

    // Connection: the chosen port is connected; the supply there is taken out
    // of remote mode.
    void ConnectSupply();
    void DisconnectSupply();
    // Lists the ports again (the Setting tab is shown or its list opened), so
    // that a supply plugged in after start-up can be chosen; keeps the choice.
    void RefreshPortList();

    SupplySession& session() { return m_session; }
    const SupplyState& supply() const { return m_session.state(); }
    Prompts& prompts() { return *m_prompts; }

    void ApplyLanguage(int language);

    WindowState& state() { return S; }
    MainFrmUi& controls() { return ui; }
    StepGrid& stepGrid() { return *m_gridE; }
    PresetGrid& presetGrid() { return *m_gridM; }
    RunnerControls& runner() { return *m_runner; }
    PresetControls& presetControls() { return *m_presetControls; }
    StorageActions& storage() { return *m_storage; }
    Clock& clock() { return m_clock; }
    void DrawChart();
    void setStatusLimits();
    OvoltaDatabase* database() { return m_db.get(); }
    const ChartRanges& chartRanges() const { return m_chart.ranges(); }
    ProgramTable& tableP() { return *m_tableP; }
    ProgramTable& tableE() { return *m_tableE; }
    ProgramTable& tableM() { return *m_tableM; }

Q_SIGNALS:
    // The window has closed and the supply session has ended.
    void finished();

protected:
    void closeEvent(QCloseEvent* event) override;
    void changeEvent(QEvent* event) override;
    void showEvent(QShowEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;

private:
    void fillPortList(const QList<int>& ports);
    void setupGrids();
    void wireEvents();
    void wireSession();
    void supplyConnected();
    void sessionEnded(bool acknowledged);
    // Takes a connected supply out of remote mode and ends the session, once.
    void shutDown();
    // The tab shown has changed: each controller shows its part of it.
    void showTab(Tab tab);
    void Form_Activate();

    Clock& m_clock;
    SupplySession m_session;
    QString m_dataFolder;
    std::optional<std::chrono::milliseconds> m_databaseBusyTimeout;
    PortLock* m_portLock;
    const Captions& m_captions = Captions::English();
    std::unique_ptr<Prompts> m_ownPrompts;
    Prompts* m_prompts;

    WindowState S;
    MainFrmUi ui;
    std::unique_ptr<OvoltaDatabase> m_db;
    std::unique_ptr<ProgramTable> m_tableP;
    std::unique_ptr<ProgramTable> m_tableE;
    std::unique_ptr<ProgramTable> m_tableM;
    // The controllers are the window's children, deleted before the tables.
    TableGrid* m_gridP = nullptr;
    StepGrid* m_gridE = nullptr;
    PresetGrid* m_gridM = nullptr;
    RunnerControls* m_runner = nullptr;
    PresetControls* m_presetControls = nullptr;
    SetpointBoxes* m_setpoints = nullptr;
    FrontPanelControls* m_frontPanel = nullptr;
    StorageActions* m_storage = nullptr;
    SettingsPage* m_settings = nullptr;
    DataLogTab* m_dataLog = nullptr;
    LogPacing m_pacing;
    ChartRangeRules m_chart;
    bool m_activated = false;
    bool m_shutDown = false;
    bool m_ended = false;
};
