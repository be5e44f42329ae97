#pragma once

#include "device/CommandSet.h"
#include "device/DeviceLink.h"
#include "device/PortMap.h"
#include "programs/ExtProgramRunner.h"
#include "programs/ProgramTable.h"
#include "programs/TableLimits.h"
#include "session/SupplyLine.h"
#include "session/SupplyState.h"

#include <QList>
#include <QObject>

#include <functional>
#include <memory>
#include <optional>

class LineTimer;
class PortClaim;
class SerialTransport;
class TimerSource;

// The conversation with one supply, without a window: connecting, readings,
// set-points, output, limits, presets, program steps and the end, each a
// sequence of jobs on the asynchronous line. The session holds what it learnt
// of the supply and reports by signals; operations also take a callback with
// their outcome. Values come checked by the caller's entry rules; the session
// still refuses a set-point outside the limits in force.
class SupplySession : public QObject {
    Q_OBJECT

public:
    static constexpr int kPollMs = 800;

    enum class ConnectOutcome {
        Connected,
        NoSupply, // nothing answered "GMAX"
        PortInUse, // the port, or every port that might answer, is held by another program
    };
    using Done = std::function<void(bool ok)>;

    // A program step as it went out.
    struct SentStep {
        int row = 0;
        int cycle = 0;
        QString voltText;
        QString currText;
        bool outputOn = true;
        bool acknowledged = false;
    };

    // What one port holds, for a list of the ports.
    struct PortProbe {
        int port = 0;
        bool inUse = false; // another program holds it
        bool opens = false;
        bool answered = false; // "OK" to "GMAX"
        QString modelCode;
        CommandSet::Rating rating;
    };

    SupplySession(SerialTransport& transport, TimerSource& timers, LinkTiming timing = {},
        QObject* parent = nullptr);
    ~SupplySession() override;

    void setPortClaim(PortClaim* claim) { m_claim = claim; }
    const SupplyState& state() const { return m_state; }
    TableLimits limits() const;
    // The presets as last read from or stored in the supply (rows 1 to 3).
    const ProgramTable& presets() const { return *m_presetTable; }
    // Reads of the supply's presets go into ipm (the window's preset table)
    // instead of the session's own; it must outlive the session.
    void usePresetTable(ProgramTable& ipm) { m_presetTable = &ipm; }
    bool isEnding() const { return m_ending; }
    bool isIdle() const { return m_line.isIdle(); }

    // Connecting: "GMAX", "GMOD" (up to three tries), "GOVP", "GOCP", "SESS",
    // "GETS", "GETM"; then a polling tick when polling is on.
    void connectTo(int port);
    // The ports that open, from the highest down; the first that answers "GMAX"
    // is connected. Ports another program holds are skipped.
    void searchAndConnect(int highestPort = PortMap::kLastPort);
    // The ports of the map that open, in order, and those another program
    // holds (listed unopened: opening them could spoil that program's exchange).
    void listPorts(std::function<void(const QList<int>& ports)> done);
    // Asks the given ports for a supply ("GMAX"), from the last one back; done
    // gets the first that answers, which stays claimed, or nothing. Ports
    // another program holds are skipped.
    void searchPorts(const QList<int>& ports, std::function<void(std::optional<int>)> done);
    // Takes a connected supply out of remote mode ("ENDS") and lets the port
    // go, so that another one can be connected; the session goes on.
    void disconnect(Done done = {});
    // Asks a port for a supply as the search does ("GMAX"), and for its model
    // ("GMOD") when one answers; nothing that changes the supply.
    void probePort(int port, std::function<void(const PortProbe&)> done);
    // The sequence in progress finishes, the rest is dropped, a running program
    // stops as "Stop" stops it, and "ENDS" is the last line when a supply was
    // connected. Then ended(); the session takes no more requests.
    void end();

    // Operations, each queued as its own sequence.
    void readOutput(Done done = {});
    void setVoltage(double volts, Done done = {});
    void setCurrent(double amps, Done done = {});
    // "SOUT" and the pause after it. ok: the supply said "OK".
    void switchOutput(bool on, Done done = {});
    // The Setting tab's "OK": each limit that differs is sent and read back.
    // ok: the supply took every limit sent.
    void changeLimits(std::optional<float> uvl, std::optional<float> ucl, Done done = {});
    void readPresets(Done done = {});
    // "Save To PS": rows 1 to 3 with up to four "PROM" tries.
    void savePresets(const ProgramTable& ipm, Done done = {});
    // "Set" on the preset tab: up to three "PROM" tries, then "RUNM" for the
    // table's selected preset. ok: the preset was recalled.
    void uploadAndRecall(const ProgramTable& ipm, Done done = {});
    // "RUNM" for preset 1 to 3 of the supply, as last read.
    void recallPreset(int preset, Done done = {});

    // The polling cycle: a tick every 800 ms serves at most one kind of
    // set-point request, or else the output, a due program step, a preset
    // upload and a preset read, and then reads the output. A tick that finds
    // the line busy does nothing.
    void startPolling();
    void stopPolling();
    bool isPolling() const { return m_polling; }
    // A typed set-point: sent alone by a tick; a voltage is sent again until
    // the supply acknowledges it (unless a newer one replaced it).
    void requestVoltage(double volts);
    void requestCurrent(double amps);
    // A set-point changed on the front panel's displays; both go in one tick.
    void requestDisplaySetpoint(int index, const QString& text);
    void requestOutput(bool on);
    void requestPresetUpload(const ProgramTable& ipm);
    void requestPresetRead();
    // The typed set-point not yet sent is no longer wanted (the entry was refused).
    void cancelTypedRequest(int index);

    // The External Timed Program, with its steps served by the polling cycle.
    // False when the runner refuses (negative cycles, step 1 without duration,
    // no supply).
    bool startProgram(ProgramTable& etp, int cycles);
    // The "Run"/"Stop" button: starts the program, or stops the one running.
    ExtProgramRunner::ClickResult runStopClick(ProgramTable& etp, const QString& cycleText);
    void stopProgram();
    bool programRunning() const { return m_runner.ExtProgramRunning(); }

Q_SIGNALS:
    void connectionDone(SupplySession::ConnectOutcome outcome);
    // Every "GETD": the reading, or nothing when the reply did not count.
    void readingTaken(const std::optional<SupplyReading>& reading);
    void setpointsChanged();
    void limitsChanged();
    void outputChanged(bool on);
    void presetsChanged();
    // The presets were read from the supply ("GETM"); ok false: no readable answer.
    void presetsRead(bool ok);
    // A tick is about to send the requested preset upload: the table may be
    // brought within the limits now.
    void presetUploadStarting();
    void stepSent(const SupplySession::SentStep& step);
    void programEnded(bool completed);
    void ended(bool acknowledged);
    void lineIdle();

private:
    struct Requests {
        std::optional<double> typedVolt;
        std::optional<double> typedCurr;
        bool displayVolt = false;
        bool displayCurr = false;
        std::optional<bool> output;
        const ProgramTable* presetUpload = nullptr;
        bool presetRead = false;
    };

    bool accepting(const Done& done);
    void trySearch(QList<int> ports, bool skipped,
        std::function<void(std::optional<int> port, bool skipped)> done);
    // No supply on the port: nothing known of one.
    void forgetSupply();
    void connectSequence();
    void askModel(int attempt, std::function<void(const QString& gmod)> then);
    void identified(const QString& gmax, const QString& gmod);
    void connectionFinished(ConnectOutcome outcome);
    // The sequences themselves, queued behind the job that calls them.
    void sendVoltage(double volts, Done done);
    void sendCurrent(double amps, Done done);
    void sendOutput(bool on, Done done);
    void sendLimit(bool voltage, float wanted, const std::shared_ptr<bool>& taken);
    void readPresetMemory(int attempt, Done done);
    void takePresets(const ProgramTable& ipm);
    void tryProm(const QString& parameter, int attempt, int tries, bool pauseFirst,
        std::function<void(bool)> done);
    void sendPresetsAndRecall(const ProgramTable& ipm, Done done);
    void sendRecall(const QString& parameter, const CommandSet::Setpoints& setpoints, Done done);
    bool takeReading(const QString& reply);
    void pollTick();
    void tickBody();
    void dispatchStep();
    void stepTimedOut();

    DeviceLink m_link;
    SupplyLine m_line;
    std::unique_ptr<LineTimer> m_pollTimer;
    std::unique_ptr<LineTimer> m_stepTimer;
    PortClaim* m_claim = nullptr;
    SupplyState m_state;
    ProgramTable m_presets { TableKind::Ipm };
    ProgramTable* m_presetTable = &m_presets;
    ExtProgramRunner m_runner;
    ProgramTable* m_program = nullptr;
    int m_runNumber = 0;
    Requests m_requests;
    bool m_polling = false;
    bool m_tickQueued = false;
    bool m_ending = false;
};
