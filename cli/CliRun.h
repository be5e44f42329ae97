#pragma once

#include "cli/CliOptions.h"
#include "cli/CliOutput.h"
#include "cli/RecordFile.h"
#include "cli/SampleSummary.h"
#include "device/DeviceLink.h"
#include "programs/ProgramStep.h"
#include "programs/ProgramTable.h"
#include "session/SupplySession.h"

#include <QJsonArray>
#include <QObject>

#include <memory>
#include <vector>

class Clock;
class LineTimer;
class PortLock;
class QIODevice;
class SerialTransport;
class TimerSource;

// What a run of the CLI talks to: the line, the timers and the clock, the
// output streams, the data folder and the port lock.
struct CliDeps {
    SerialTransport& transport;
    TimerSource& timers;
    const Clock& clock;
    QIODevice& out;
    QIODevice& err;
    QString dataFolder;
    PortLock* lock = nullptr;
    LinkTiming timing = {};
};

// One command of ovolta-cli, from the checks that need no supply through the
// session to "ENDS", driven by the event loop; finished() gives the exit status.
class CliRun : public QObject {
    Q_OBJECT

public:
    static constexpr int kDone = 0;
    static constexpr int kFailed = 1; // the supply did not answer or acknowledge
    static constexpr int kUsage = 2; // bad usage or a refused value; nothing sent
    static constexpr int kInUse = 3; // another program holds the port

    CliRun(CliOptions options, const CliDeps& deps, QObject* parent = nullptr);
    ~CliRun() override;

    void start();
    // SIGINT, SIGTERM or SIGHUP: the command ends cleanly, "ENDS" last.
    void interrupt(int signalNumber);

Q_SIGNALS:
    void finished(int status);

private:
    bool prepare();
    void connected(SupplySession::ConnectOutcome outcome);
    void fail(int status, const QString& message);
    void finish(int status);
    // false when the output is gone: the run ends.
    bool show(const QString& plain, const QJsonObject& json);
    QString portText(int port) const;

    void listPorts(int port);
    void identify();
    void setSetpoints();
    void switchOutput();
    void changeLimits();
    void transferPresets();
    bool showPresets(int recalled);
    void presetLines(QStringList& lines, QJsonArray& json) const;
    void runProgram();
    void stepSent(const SupplySession::SentStep& step);
    void startSampling();
    void sampleDue();
    void sampled(const std::optional<SupplyReading>& reading);

    CliOptions m_options;
    const Clock& m_clock;
    QString m_dataFolder;
    QString m_portsFolder;
    PortLock* m_lock;
    CliOutput m_output;
    SupplySession m_session;
    std::unique_ptr<LineTimer> m_sampleTimer;
    std::vector<ProgramStep> m_steps;
    ProgramTable m_etp { TableKind::Etp };
    ProgramTable m_ipm { TableKind::Ipm };
    RecordFile m_record;
    bool m_recordOpen = false;
    SampleSummary m_summary;

    bool m_sampling = false;
    qint64 m_periodMs = 1000;
    qint64 m_wanted = 1; // samples to take; 0 until interrupted
    qint64 m_startMs = 0;
    qint64 m_dueIndex = 0;
    qint64 m_requested = 0;
    qint64 m_received = 0;
    qint64 m_answered = 0;
    QDateTime m_sampleTime;
    qint64 m_sampleElapsedMs = 0;

    int m_status = kDone;
    bool m_finishing = false;
};
