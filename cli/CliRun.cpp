#include "cli/CliRun.h"

#include "core/Clock.h"
#include "core/Numbers.h"
#include "device/PortMap.h"
#include "panel/SetpointEntry.h"
#include "panel/SettingTab.h"
#include "programs/CellEditorRules.h"
#include "programs/TableRules.h"
#include "session/PortLock.h"
#include "session/TimerSource.h"
#include "storage/CsvImporter.h"
#include "storage/OvoltaDatabase.h"
#include "storage/StoredTables.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QJsonArray>
#include <QRegularExpression>

#include <cmath>

namespace {

using Command = CliOptions::Command;
constexpr int kEtpSteps = 20;

double Number(const QString& text)
{
    return Numbers::LeadingNumber(Numbers::FutComma(text));
}

QString Shortest(float value)
{
    return Numbers::ShortestForm(value);
}

// A single-precision value as the number it shows (5.1, not 5.0999999).
double Json(float value)
{
    return Numbers::LeadingNumber(Shortest(value));
}

} // namespace

CliRun::CliRun(CliOptions options, const CliDeps& deps, QObject* parent)
    : QObject(parent)
    , m_options(std::move(options))
    , m_clock(deps.clock)
    , m_dataFolder(deps.dataFolder)
    , m_portsFolder(QDir(deps.dataFolder).filePath(QStringLiteral("ports")))
    , m_lock(deps.lock)
    , m_output(deps.out, deps.err, m_options.json)
    , m_session(deps.transport, deps.timers, deps.timing)
    , m_sampleTimer(deps.timers.create([this] { sampleDue(); }))
{
    m_session.setPortClaim(m_lock);
    connect(&m_session, &SupplySession::connectionDone, this, &CliRun::connected);
    connect(&m_session, &SupplySession::readingTaken, this, &CliRun::sampled);
    connect(&m_session, &SupplySession::stepSent, this, &CliRun::stepSent);
    connect(&m_session, &SupplySession::programEnded, this, [this](bool completed) {
        if (completed)
            finish(m_status);
    });
    connect(&m_session, &SupplySession::ended, this, [this] { Q_EMIT finished(m_status); });
}

CliRun::~CliRun() = default;

void CliRun::start()
{
    if (!prepare())
        return;
    if (m_options.command == Command::Ports)
        return listPorts(PortMap::kFirstPort);
    if (m_options.port > 0)
        m_session.connectTo(m_options.port);
    else
        m_session.searchAndConnect();
}

void CliRun::interrupt(int signalNumber)
{
    finish(m_options.openEnded() ? kDone : 128 + signalNumber);
}

// What can be refused before anything is sent.
bool CliRun::prepare()
{
    if (m_options.command == Command::Record) {
        const QString refusal = RecordFile::Refusal(m_options.out,
            m_options.force        ? RecordFile::Mode::Replace
                : m_options.append ? RecordFile::Mode::Append
                                   : RecordFile::Mode::New);
        if (!refusal.isEmpty())
            return fail(kUsage, refusal), false;
    }
    if (m_options.command != Command::Run)
        return true;
    if (!m_options.file.isEmpty()) {
        QFile file(m_options.file);
        if (!file.open(QIODevice::ReadOnly))
            return fail(kUsage,
                       QStringLiteral("Cannot read %1: %2")
                           .arg(m_options.file, file.errorString())),
                   false;
        Outcome<CsvImporter::EtpFile> imported = CsvImporter::ImportEtp(file.readAll());
        if (!imported)
            return fail(kUsage, imported.error()), false;
        m_steps = std::move(imported->steps);
        return true;
    }
    const Outcome<std::unique_ptr<OvoltaDatabase>> opened
        = OvoltaDatabase::OpenDatabase(m_dataFolder);
    if (!opened)
        return fail(kUsage, opened.error()), false;
    StoredTables::ProgramLoad load
        = StoredTables(**opened).loadProgram(StoredKind::ExternalProgram, m_options.table);
    if (!load.rows) {
        return fail(kUsage,
                   load.rows.error().isEmpty()
                       ? QStringLiteral("No table is stored as %1.").arg(m_options.table)
                       : load.rows.error()),
               false;
    }
    m_steps = std::move(load.rows).value();
    if (m_steps.size() > static_cast<std::size_t>(kEtpSteps))
        m_steps.resize(static_cast<std::size_t>(kEtpSteps));
    return true;
}

void CliRun::connected(SupplySession::ConnectOutcome outcome)
{
    switch (outcome) {
    case SupplySession::ConnectOutcome::PortInUse:
        return fail(kInUse,
            m_lock && !m_lock->refusal().isEmpty()
                ? m_lock->refusal()
                : QStringLiteral("%1 is in use by another program.").arg(portText(m_options.port)));
    case SupplySession::ConnectOutcome::NoSupply:
        return fail(kFailed,
            m_options.port > 0
                ? QStringLiteral("No supply answered on %1.").arg(portText(m_options.port))
                : QStringLiteral("No supply answered on any port."));
    case SupplySession::ConnectOutcome::Connected:
        break;
    }
    switch (m_options.command) {
    case Command::Identify:
        return identify();
    case Command::Read:
        return startSampling();
    case Command::Set:
        return setSetpoints();
    case Command::Output:
        return switchOutput();
    case Command::Limits:
        return changeLimits();
    case Command::Presets:
        return transferPresets();
    case Command::Run:
        return runProgram();
    case Command::Record: {
        const QString error = m_record.open(m_options.out,
            m_options.force        ? RecordFile::Mode::Replace
                : m_options.append ? RecordFile::Mode::Append
                                   : RecordFile::Mode::New);
        if (!error.isEmpty())
            return fail(kUsage, error);
        m_recordOpen = true;
        return startSampling();
    }
    case Command::Ports:
        break;
    }
}

void CliRun::fail(int status, const QString& message)
{
    if (m_finishing)
        return;
    m_output.message(message);
    finish(status);
}

void CliRun::finish(int status)
{
    if (m_finishing)
        return;
    m_finishing = true;
    m_status = status;
    m_sampling = false;
    m_sampleTimer->stop();
    if (m_recordOpen) {
        m_output.note(m_summary.text());
        if (m_output.json())
            m_output.result({}, m_summary.json());
    }
    m_session.end();
}

bool CliRun::show(const QString& plain, const QJsonObject& json)
{
    if (m_output.result(plain, json))
        return true;
    finish(m_status);
    return false;
}

QString CliRun::portText(int port) const
{
    return QStringLiteral("%1 (%2)").arg(
        PortMap::PortName(port), PortLock::ResolvedDevice(port, m_portsFolder));
}

// ---------------------------------------------------------------- commands

void CliRun::listPorts(int port)
{
    for (; port <= PortMap::kLastPort; ++port) {
        const QFileInfo device(PortMap::DevicePath(port, m_portsFolder));
        if (device.exists() || device.isSymLink())
            break;
    }
    if (port > PortMap::kLastPort || m_finishing)
        return finish(kDone);
    m_session.probePort(port, [this](const SupplySession::PortProbe& probe) {
        const QString name = PortMap::PortName(probe.port);
        const QJsonValue none(QJsonValue::Null);
        QJsonObject json { { QStringLiteral("port"), name },
            { QStringLiteral("device"), PortLock::ResolvedDevice(probe.port, m_portsFolder) },
            { QStringLiteral("opens"), probe.opens },
            { QStringLiteral("in_use_by"), probe.inUse ? QJsonValue(m_lock->holder()) : none },
            { QStringLiteral("model"), none }, { QStringLiteral("rating"), none },
            { QStringLiteral("max_volts"), none }, { QStringLiteral("max_amps"), none } };
        QString state = probe.inUse ? QStringLiteral("in use by ") + m_lock->holder()
            : probe.opens           ? QStringLiteral("opens, no supply answers")
                                    : QStringLiteral("does not open");
        if (probe.answered) {
            const QString rating = CommandSet::RatingTitle(probe.modelCode);
            state = QStringLiteral("%1, %2").arg(probe.modelCode, rating);
            json[QStringLiteral("model")] = probe.modelCode;
            json[QStringLiteral("rating")] = rating;
            json[QStringLiteral("max_volts")] = Json(probe.rating.maxVolt);
            json[QStringLiteral("max_amps")] = Json(probe.rating.maxCurr);
        }
        if (show(portText(probe.port) + QStringLiteral(": ") + state, json))
            listPorts(probe.port + 1);
    });
}

void CliRun::identify()
{
    const SupplyState& s = m_session.state();
    const QString resolution = s.currScale == 100 ? QStringLiteral("0.01") : QStringLiteral("0.1");
    const QString output = !s.outputOn ? QStringLiteral("unknown")
        : *s.outputOn                  ? QStringLiteral("on")
                                       : QStringLiteral("off");
    QStringList lines { QStringLiteral("Port: ") + portText(s.port),
        QStringLiteral("Model: ") + s.modelCode, CommandSet::RatingTitle(s.modelCode),
        QStringLiteral("Maximum: %1V %2A")
            .arg(Shortest(s.maxVolt), Numbers::FormatSingle(s.maxCurr, s.currFormat)),
        QStringLiteral("Resolution: %1A").arg(resolution),
        QStringLiteral("UVL: %1V").arg(Shortest(s.uvl)),
        QStringLiteral("UCL: %1A").arg(Shortest(s.ucl)),
        QStringLiteral("Set-points: %1V %2A").arg(s.setVoltText, s.setCurrText),
        QStringLiteral("Output: ") + output };
    QJsonArray presets;
    presetLines(lines, presets);
    const QJsonObject json { { QStringLiteral("port"), PortMap::PortName(s.port) },
        { QStringLiteral("model"), s.modelCode },
        { QStringLiteral("rating"), CommandSet::RatingTitle(s.modelCode) },
        { QStringLiteral("max_volts"), Json(s.maxVolt) },
        { QStringLiteral("max_amps"), Json(s.maxCurr) },
        { QStringLiteral("resolution_amps"), Number(resolution) },
        { QStringLiteral("uvl_volts"), Json(s.uvl) }, { QStringLiteral("ucl_amps"), Json(s.ucl) },
        { QStringLiteral("set_volts"), Number(s.setVoltText) },
        { QStringLiteral("set_amps"), Number(s.setCurrText) },
        { QStringLiteral("output"),
            s.outputOn ? QJsonValue(*s.outputOn) : QJsonValue(QJsonValue::Null) },
        { QStringLiteral("presets"), presets } };
    if (show(lines.join(u'\n'), json))
        finish(kDone);
}

void CliRun::setSetpoints()
{
    // Both are checked before either is sent, by the set-point boxes' rules.
    const SupplyState& s = m_session.state();
    std::optional<double> volts;
    std::optional<double> amps;
    if (!m_options.volt.isEmpty()) {
        const EntryOutcome checked = SetpointEntry::ApplyVoltage(m_options.volt, s.uvl);
        if (!checked.messages.isEmpty())
            return fail(kUsage, checked.messages.first());
        volts = Number(checked.boxText);
    }
    if (!m_options.curr.isEmpty()) {
        const EntryOutcome checked
            = SetpointEntry::ApplyCurrent(m_options.curr, s.ucl, s.currFormat);
        if (!checked.messages.isEmpty())
            return fail(kUsage, checked.messages.first());
        amps = Number(checked.boxText);
    }
    const auto report = [this] {
        const SupplyState& now = m_session.state();
        if (show(QStringLiteral("Set-points: %1V %2A").arg(now.setVoltText, now.setCurrText),
                { { QStringLiteral("set_volts"), Number(now.setVoltText) },
                    { QStringLiteral("set_amps"), Number(now.setCurrText) } }))
            finish(kDone);
    };
    const auto sendCurrent = [this, amps, report] {
        if (!amps)
            return report();
        m_session.setCurrent(*amps, [this, report](bool ok) {
            if (!ok)
                return fail(kFailed, QStringLiteral("The supply did not acknowledge the current."));
            report();
        });
    };
    if (!volts)
        return sendCurrent();
    m_session.setVoltage(*volts, [this, sendCurrent](bool ok) {
        if (!ok)
            return fail(kFailed, QStringLiteral("The supply did not acknowledge the voltage."));
        sendCurrent();
    });
}

void CliRun::switchOutput()
{
    const bool on = m_options.outputOn;
    m_session.switchOutput(on, [this, on](bool ok) {
        if (!ok)
            return fail(
                kFailed, QStringLiteral("The supply did not acknowledge the output switch."));
        if (show(QStringLiteral("Output: ") + (on ? QStringLiteral("on") : QStringLiteral("off")),
                { { QStringLiteral("output"), on } }))
            finish(kDone);
    });
}

void CliRun::changeLimits()
{
    const SupplyState& s = m_session.state();
    std::optional<float> uvl;
    std::optional<float> ucl;
    // The Setting tab's boxes keep a limit within 1 V to the rating and 0.1 A
    // to the rating; here a value they would change is refused instead.
    if (!m_options.uvl.isEmpty()) {
        uvl = SettingTab::VoltageLimitValue(m_options.uvl);
        if (SettingTab::VoltageLimitValue(
                SettingTab::NormaliseVoltageLimit(m_options.uvl, s.maxVolt))
            != *uvl)
            return fail(kUsage, QStringLiteral("UVL must be 1 - %1").arg(Shortest(s.maxVolt)));
    }
    if (!m_options.ucl.isEmpty()) {
        ucl = SettingTab::CurrentLimitValue(m_options.ucl);
        if (SettingTab::CurrentLimitValue(
                SettingTab::NormaliseCurrentLimit(m_options.ucl, s.maxCurr))
            != *ucl)
            return fail(kUsage, QStringLiteral("UCL must be 0.1 - %1").arg(Shortest(s.maxCurr)));
    }
    m_session.changeLimits(uvl, ucl, [this](bool taken) {
        const SupplyState& now = m_session.state();
        if (!show(QStringLiteral("UVL: %1V\nUCL: %2A").arg(Shortest(now.uvl), Shortest(now.ucl)),
                { { QStringLiteral("uvl_volts"), Json(now.uvl) },
                    { QStringLiteral("ucl_amps"), Json(now.ucl) } }))
            return;
        if (!taken)
            return fail(kFailed, QStringLiteral("The supply did not take the limits."));
        finish(kDone);
    });
}

void CliRun::transferPresets()
{
    const TableLimits limits = m_session.limits();
    const int recall = m_options.recall;
    m_ipm.cutToHeader();
    if (!m_options.store.isEmpty()) {
        // Each value as the preset grid's editor takes it, with its message.
        const QStringList presets
            = m_options.store.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
        for (int k = 1; k <= 3; ++k) {
            const QStringList values = presets[k - 1].split(u',');
            m_ipm.addRow({ QString(), QString::number(k) });
            for (const int column : { 2, 3 }) {
                const auto commit
                    = CellEditorRules::CommitIpmCell(m_ipm, k, column, values[column - 2], limits);
                if (commit && !commit->message.isEmpty())
                    return fail(
                        kUsage, QStringLiteral("Preset %1: %2").arg(k).arg(commit->message));
            }
        }
    } else {
        m_ipm.setPresets(m_session.presets().presets());
    }
    if (recall > 0) {
        if (m_ipm.dataRows() < 3)
            return fail(kFailed, QStringLiteral("The supply did not report its presets."));
        if (!TableRules::CheckIpmTable(m_ipm, limits, false, true).selectorEnabled[recall]) {
            return fail(kUsage,
                QStringLiteral("Preset %1 (%2V %3A) is outside the limits UVL %4V, UCL %5A.")
                    .arg(recall)
                    .arg(m_ipm.preset(recall).voltage, m_ipm.preset(recall).current,
                        Shortest(limits.uvl), Shortest(limits.ucl)));
        }
    }
    const auto done = [this, recall](bool ok) {
        if (!ok) {
            return fail(kFailed,
                recall > 0 ? QStringLiteral("The supply did not recall preset %1.").arg(recall)
                           : QStringLiteral("The supply did not store the presets."));
        }
        if (showPresets(recall))
            finish(kDone);
    };
    if (!m_options.store.isEmpty() && recall > 0) {
        m_ipm.setSelectedPreset(recall);
        m_session.uploadAndRecall(m_ipm, done);
    } else if (!m_options.store.isEmpty()) {
        m_session.savePresets(m_ipm, done);
    } else if (recall > 0) {
        m_session.recallPreset(recall, done);
    } else if (showPresets(0)) {
        finish(m_session.presets().dataRows() == 3 ? kDone : kFailed);
    }
}

void CliRun::presetLines(QStringList& lines, QJsonArray& json) const
{
    const std::vector<PresetRow> presets = m_session.presets().presets();
    const QString& currFormat = m_session.state().currFormat;
    for (int k = 1; k <= static_cast<int>(presets.size()); ++k) {
        const PresetRow& preset = presets[static_cast<std::size_t>(k - 1)];
        const double volts = Number(preset.voltage);
        const double amps = Number(preset.current);
        lines << QStringLiteral("Preset %1: %2V %3A")
                     .arg(k)
                     .arg(Numbers::FormatNumber(volts, u"0.0"),
                         Numbers::FormatNumber(amps, currFormat));
        json.append(QJsonObject { { QStringLiteral("preset"), k },
            { QStringLiteral("volts"), volts }, { QStringLiteral("amps"), amps } });
    }
    if (presets.empty())
        lines << QStringLiteral("Presets: not reported");
}

bool CliRun::showPresets(int recalled)
{
    const SupplyState& s = m_session.state();
    QStringList lines;
    QJsonArray presets;
    presetLines(lines, presets);
    QJsonObject json { { QStringLiteral("presets"), presets } };
    if (recalled > 0) {
        lines << QStringLiteral("Recalled preset %1: set-points %2V %3A")
                     .arg(recalled)
                     .arg(s.setVoltText, s.setCurrText);
        json.insert(QStringLiteral("recalled"), recalled);
        json.insert(QStringLiteral("set_volts"), Number(s.setVoltText));
        json.insert(QStringLiteral("set_amps"), Number(s.setCurrText));
    }
    return show(lines.join(u'\n'), json);
}

void CliRun::runProgram()
{
    m_etp.cutToHeader();
    m_etp.setSteps(m_steps);
    m_session.startPolling();
    if (!m_session.startProgram(m_etp, m_options.cycles))
        fail(kUsage, QStringLiteral("The program does not start: its step 1 has no duration."));
}

void CliRun::stepSent(const SupplySession::SentStep& step)
{
    if (!step.acknowledged)
        m_status = kFailed;
    show(QStringLiteral("Step %1, cycle %2: %3V %4A, output %5%6")
             .arg(step.row)
             .arg(step.cycle)
             .arg(step.voltText, step.currText,
                 step.outputOn ? QStringLiteral("on") : QStringLiteral("off"),
                 step.acknowledged ? QString() : QStringLiteral(" (not acknowledged)")),
        { { QStringLiteral("time"), RecordFile::TimeText(m_clock.now()) },
            { QStringLiteral("step"), step.row }, { QStringLiteral("cycle"), step.cycle },
            { QStringLiteral("volts"), Number(step.voltText) },
            { QStringLiteral("amps"), Number(step.currText) },
            { QStringLiteral("output"), step.outputOn },
            { QStringLiteral("acknowledged"), step.acknowledged } });
}

// ---------------------------------------------------------------- readings

void CliRun::startSampling()
{
    m_sampling = true;
    m_periodMs = m_options.everySeconds > 0 ? std::llround(m_options.everySeconds * 1000.0) : 1000;
    m_wanted = m_options.count > 0                          ? m_options.count
        : m_options.everySeconds > 0 || m_options.forMs > 0 ? 0
                                                            : 1;
    m_startMs = m_clock.monotonicMs();
    m_dueIndex = 0;
    sampleDue();
}

void CliRun::sampleDue()
{
    if (!m_sampling)
        return;
    const qint64 elapsed = m_clock.monotonicMs() - m_startMs;
    m_sampleTime = m_clock.now();
    m_sampleElapsedMs = elapsed;
    ++m_requested;
    m_session.readOutput();
    // Due times count from the start on the monotonic clock, so no drift builds
    // up; those missed while the process stood still are skipped.
    m_dueIndex = std::max(m_dueIndex + 1, (elapsed + m_periodMs - 1) / m_periodMs);
    const bool last = m_wanted > 0
        ? m_requested >= m_wanted
        : m_options.forMs > 0 && m_dueIndex * m_periodMs >= m_options.forMs;
    if (last)
        m_wanted = m_requested;
    else
        m_sampleTimer->start(m_dueIndex * m_periodMs - elapsed);
}

void CliRun::sampled(const std::optional<SupplyReading>& reading)
{
    if (!m_sampling)
        return;
    ++m_received;
    if (reading)
        ++m_answered;
    if (m_recordOpen) {
        m_summary.add(reading);
        if (!m_record.write(m_sampleTime, m_sampleElapsedMs / 1000.0, reading))
            return fail(kFailed,
                QStringLiteral("Cannot write %1: %2").arg(m_options.out, m_record.errorString()));
    }
    const QString time = RecordFile::TimeText(m_sampleTime);
    const QJsonValue none(QJsonValue::Null);
    QJsonObject json { { QStringLiteral("time"), time }, { QStringLiteral("volts"), none },
        { QStringLiteral("amps"), none }, { QStringLiteral("watts"), none },
        { QStringLiteral("mode"), none } };
    QString plain = time + QStringLiteral(" no reading");
    if (reading) {
        const QString mode = reading->constantVoltage ? QStringLiteral("CV") : QStringLiteral("CC");
        json[QStringLiteral("volts")] = Number(reading->volt);
        json[QStringLiteral("amps")] = Number(reading->curr);
        json[QStringLiteral("watts")] = Number(reading->power);
        json[QStringLiteral("mode")] = mode;
        plain = QStringLiteral("%1 %2V %3A %4W %5")
                    .arg(time, reading->volt, reading->curr, reading->power, mode);
    }
    if ((m_options.command == Command::Read || m_output.json()) && !show(plain, json))
        return;
    if (m_wanted == 0 || m_received < m_wanted)
        return;
    if (m_options.command == Command::Read && m_answered == 0)
        return fail(kFailed, QStringLiteral("The supply did not answer."));
    finish(kDone);
}
