#include "session/SupplySession.h"

#include "core/Numbers.h"
#include "device/CommandSet.h"
#include "programs/PresetTransfer.h"
#include "programs/TableRules.h"
#include "session/PortClaim.h"
#include "session/TimerSource.h"

#include <cmath>
#include <utility>

namespace {

const QString kGmax = QStringLiteral("GMAX");
const QString kGmod = QStringLiteral("GMOD");
const QString kGovp = QStringLiteral("GOVP");
const QString kGocp = QStringLiteral("GOCP");
const QString kSovp = QStringLiteral("SOVP");
const QString kSocp = QStringLiteral("SOCP");
const QString kSess = QStringLiteral("SESS");
const QString kGets = QStringLiteral("GETS");
const QString kGetm = QStringLiteral("GETM");
const QString kGetd = QStringLiteral("GETD");
const QString kVolt = QStringLiteral("VOLT");
const QString kCurr = QStringLiteral("CURR");
const QString kSout = QStringLiteral("SOUT");
const QString kSevc = QStringLiteral("SEVC");
const QString kProm = QStringLiteral("PROM");
const QString kRunm = QStringLiteral("RUNM");
const QString kEnds = QStringLiteral("ENDS");

constexpr int kGmodTries = 3;
constexpr int kGetmTries = 2;
constexpr int kSaveTries = 4;
constexpr int kUploadTries = 3;
constexpr double kBetweenCommands = 0.1;

void Call(const SupplySession::Done& done, bool ok)
{
    if (done)
        done(ok);
}

double Number(const QString& text)
{
    return Numbers::LeadingNumber(Numbers::FutComma(text));
}

// Volts × amperes in "0.0", or "0" when the result is a whole number.
QString PowerText(const QString& volt, const QString& curr)
{
    const double power = Numbers::LeadingNumber(volt) * Numbers::LeadingNumber(curr);
    const QString text = Numbers::FormatNumber(power, u"0.0");
    const double shown = Numbers::LeadingNumber(text);
    return shown == std::floor(shown) ? Numbers::FormatNumber(power, u"0") : text;
}

} // namespace

SupplySession::SupplySession(
    SerialTransport& transport, TimerSource& timers, LinkTiming timing, QObject* parent)
    : QObject(parent)
    , m_link(transport, timing)
    , m_line(m_link, timers)
    , m_pollTimer(timers.create([this] {
        m_pollTimer->start(kPollMs);
        pollTick();
    }))
    , m_stepTimer(timers.create([this] { stepTimedOut(); }))
{
    connect(&m_line, &SupplyLine::idle, this, &SupplySession::lineIdle);
}

SupplySession::~SupplySession() = default;

TableLimits SupplySession::limits() const
{
    return { m_state.uvl, m_state.ucl, m_state.currFormat, m_state.currScale };
}

bool SupplySession::accepting(const Done& done)
{
    if (m_ending)
        Call(done, false);
    return !m_ending;
}

// ---------------------------------------------------------------- connecting

void SupplySession::connectTo(int port)
{
    if (!accepting({}))
        return;
    // Requests made for the previous supply are not for this one.
    m_requests = {};
    m_line.step([this, port] {
        m_state.port = port;
        if (m_claim && !m_claim->claim(port)) {
            // A port another program talks on gets nothing: it counts as no supply.
            forgetSupply();
            Q_EMIT limitsChanged();
            Q_EMIT connectionDone(ConnectOutcome::PortInUse);
            return;
        }
        m_link.setPortNumber(port);
        connectSequence();
    });
}

void SupplySession::searchAndConnect(int highestPort)
{
    if (!accepting({}))
        return;
    QList<int> ports;
    for (int port = PortMap::kFirstPort; port <= highestPort; ++port)
        ports << port;
    m_line.step([this, ports] {
        trySearch(ports, false, [this](std::optional<int> port, bool skipped) {
            if (port) {
                m_state.port = *port;
                connectSequence();
                return;
            }
            Q_EMIT connectionDone(skipped ? ConnectOutcome::PortInUse : ConnectOutcome::NoSupply);
        });
    });
}

void SupplySession::searchPorts(
    const QList<int>& ports, std::function<void(std::optional<int>)> done)
{
    if (!accepting({}))
        return;
    m_line.step([this, ports, done] {
        trySearch(ports, false, [done](std::optional<int> port, bool) { done(port); });
    });
}

void SupplySession::trySearch(
    QList<int> ports, bool skipped, std::function<void(std::optional<int> port, bool skipped)> done)
{
    while (!ports.isEmpty() && !m_ending) {
        const int port = ports.takeLast();
        if (m_claim && !m_claim->claim(port)) {
            skipped = true;
            continue;
        }
        m_link.setPortNumber(port);
        if (!m_link.open()) {
            if (m_claim)
                m_claim->release();
            continue;
        }
        // The search takes any "OK"; connecting then asks again and reads it by position.
        m_line.exchange(kGmax, {}, [this, port, ports, skipped, done](const QString& reply) {
            if (CommandSet::ContainsOk(reply))
                return done(port, skipped);
            if (m_claim)
                m_claim->release();
            trySearch(ports, skipped, done);
        });
        return;
    }
    done(std::nullopt, skipped);
}

void SupplySession::listPorts(std::function<void(const QList<int>& ports)> done)
{
    if (!accepting({}))
        return;
    // Opening a port is never done in the middle of an exchange.
    m_line.step([this, done] {
        const int current = m_link.portNumber();
        QList<int> ports;
        for (int port = PortMap::kFirstPort; port <= PortMap::kLastPort; ++port) {
            if (m_claim && m_claim->heldElsewhere(port)) {
                ports << port;
                continue;
            }
            m_link.setPortNumber(port);
            if (m_link.open()) {
                ports << port;
                m_link.close();
            }
        }
        m_link.setPortNumber(current);
        done(ports);
    });
}

void SupplySession::forgetSupply()
{
    m_state.connected = false;
    m_state.maxVolt = m_state.maxCurr = m_state.uvl = 0;
}

void SupplySession::disconnect(Done done)
{
    if (!accepting(done))
        return;
    m_line.step([this, done] {
        if (m_state.maxVolt <= 0) {
            if (m_claim)
                m_claim->release();
            return Call(done, false);
        }
        m_line.exchange(kEnds, {}, [this, done](const QString& reply) {
            const bool acknowledged = CommandSet::EndsAcknowledged(reply);
            m_state.remote = m_state.remote && !acknowledged;
            if (m_claim)
                m_claim->release();
            Call(done, acknowledged);
        });
    });
}

void SupplySession::connectSequence()
{
    m_state.connected = false;
    m_line.exchange(kGmax, {}, [this](const QString& gmax) {
        m_state.connected = CommandSet::GmaxAcknowledged(gmax);
        if (m_state.connected)
            return askModel(0, [this, gmax](const QString& gmod) { identified(gmax, gmod); });
        forgetSupply();
        Q_EMIT limitsChanged();
        connectionFinished(ConnectOutcome::NoSupply);
        // Without a supply nothing more goes to the port: it is free for others.
        m_line.step([this] {
            if (m_claim && !m_state.connected)
                m_claim->release();
        });
    });
}

void SupplySession::askModel(int attempt, std::function<void(const QString& gmod)> then)
{
    // Without a model code the current scale would be guessed, and on a model
    // counting tenths every current would go out ten times too large.
    m_line.pause(kBetweenCommands);
    m_line.exchange(kGmod, {}, [this, attempt, then](const QString& gmod) {
        if (!CommandSet::GmodAnswered(gmod) && attempt + 1 < kGmodTries)
            return askModel(attempt + 1, then);
        then(gmod);
    });
}

void SupplySession::identified(const QString& gmax, const QString& gmod)
{
    m_state.modelCode = CommandSet::GmodAnswered(gmod) ? CommandSet::ModelCode(gmod) : QString();
    m_state.currScale = CommandSet::CurrScaleFor(m_state.modelCode);
    m_state.currFormat = CommandSet::CurrFormatFor(m_state.modelCode);
    const CommandSet::Rating rating = CommandSet::ParseGmax(gmax, m_state.currScale);
    m_state.maxVolt = rating.maxVolt;
    m_state.maxCurr = rating.maxCurr;

    m_line.exchange(kGovp, {}, [this](const QString& reply) {
        m_state.uvl = CommandSet::ParseLimitWithin(reply, 10, m_state.maxVolt);
    });
    m_line.exchange(kGocp, {}, [this](const QString& reply) {
        m_state.ucl = CommandSet::ParseLimitWithin(reply, m_state.currScale, m_state.maxCurr);
        Q_EMIT limitsChanged();
    });
    m_line.exchange(kSess, {},
        [this](const QString& reply) { m_state.remote = CommandSet::SessAcknowledged(reply); });
    m_line.exchange(kGets, {}, [this](const QString& reply) {
        const CommandSet::Setpoints sp
            = CommandSet::ParseGets(reply, m_state.currScale, m_state.currFormat);
        m_state.setVoltText = sp.volt;
        m_state.setCurrText = sp.curr;
        Q_EMIT setpointsChanged();
    });
    readPresetMemory(0, {});
    m_line.step([this] { connectionFinished(ConnectOutcome::Connected); });
}

void SupplySession::connectionFinished(ConnectOutcome outcome)
{
    Q_EMIT connectionDone(outcome);
    if (!m_polling)
        return;
    // Connecting ends with one tick, so that the readings show at once (also
    // when the session is ending: the tick belongs to the connection).
    tickBody();
    if (m_state.maxVolt > 0 && !m_ending)
        m_pollTimer->start(kPollMs);
    else
        m_pollTimer->stop();
}

void SupplySession::probePort(int port, std::function<void(const PortProbe&)> done)
{
    if (!accepting({}))
        return;
    m_line.step([this, port, done] {
        PortProbe probe;
        probe.port = port;
        probe.inUse = m_claim && !m_claim->claim(port);
        m_link.setPortNumber(port);
        probe.opens = !probe.inUse && m_link.open();
        if (!probe.opens) {
            if (m_claim && !probe.inUse)
                m_claim->release();
            return done(probe);
        }
        m_line.exchange(kGmax, {}, [this, probe, done](const QString& gmax) mutable {
            probe.answered = CommandSet::ContainsOk(gmax);
            if (probe.answered) {
                return askModel(0, [this, probe, gmax, done](const QString& gmod) mutable {
                    probe.modelCode
                        = CommandSet::GmodAnswered(gmod) ? CommandSet::ModelCode(gmod) : QString();
                    probe.rating
                        = CommandSet::ParseGmax(gmax, CommandSet::CurrScaleFor(probe.modelCode));
                    if (m_claim)
                        m_claim->release();
                    done(probe);
                });
            }
            if (m_claim)
                m_claim->release();
            done(probe);
        });
    });
}

void SupplySession::end()
{
    if (m_ending)
        return;
    m_ending = true;
    m_pollTimer->stop();
    stopProgram();
    m_requests = {};
    m_line.dropQueued();
    m_line.stepLast([this] {
        if (m_state.maxVolt <= 0) {
            if (m_claim)
                m_claim->release();
            Q_EMIT ended(false);
            return;
        }
        m_line.exchange(kEnds, {}, [this](const QString& reply) {
            const bool acknowledged = CommandSet::EndsAcknowledged(reply);
            m_state.remote = m_state.remote && !acknowledged;
            if (m_claim)
                m_claim->release();
            Q_EMIT ended(acknowledged);
        });
    });
}

// ---------------------------------------------------------------- operations

void SupplySession::readOutput(Done done)
{
    if (accepting(done))
        m_line.exchange(
            kGetd, {}, [this, done](const QString& reply) { Call(done, takeReading(reply)); });
}

bool SupplySession::takeReading(const QString& reply)
{
    const auto parsed = CommandSet::ParseGetd(reply, m_state.currScale, m_state.currFormat);
    if (parsed) {
        m_state.voltReading = parsed->volt;
        m_state.currReading = parsed->curr;
        m_state.cvMode = parsed->constantVoltage;
        m_state.lastPollOk = true;
    }
    m_state.powerReading = PowerText(m_state.voltReading, m_state.currReading);
    if (!parsed) {
        // One failure changes nothing; the second in a row marks the readings missing.
        if (!m_state.lastPollOk)
            m_state.voltReading = m_state.currReading = QStringLiteral("-1");
        m_state.lastPollOk = false;
        Q_EMIT readingTaken(std::nullopt);
        return false;
    }
    Q_EMIT readingTaken(SupplyReading {
        parsed->volt, parsed->curr, m_state.powerReading, parsed->constantVoltage });
    return true;
}

void SupplySession::setVoltage(double volts, Done done)
{
    if (accepting(done))
        m_line.step([this, volts, done] { sendVoltage(volts, done); });
}

void SupplySession::setCurrent(double amps, Done done)
{
    if (accepting(done))
        m_line.step([this, amps, done] { sendCurrent(amps, done); });
}

void SupplySession::sendVoltage(double volts, Done done)
{
    if (!TableRules::WithinLimit(volts, m_state.uvl))
        return Call(done, false);
    m_line.exchange(kVolt, CommandSet::EncodeVoltage(volts), [this, volts, done](const QString& r) {
        const bool acknowledged = CommandSet::SetAcknowledged(r);
        if (acknowledged) {
            m_state.setVoltText = Numbers::FormatNumber(volts, u"0.0");
            Q_EMIT setpointsChanged();
        }
        Call(done, acknowledged);
    });
}

void SupplySession::sendCurrent(double amps, Done done)
{
    if (!TableRules::WithinLimit(amps, m_state.ucl))
        return Call(done, false);
    m_line.exchange(kCurr, CommandSet::EncodeCurrent(amps, m_state.currScale),
        [this, amps, done](const QString& r) {
            const bool acknowledged = CommandSet::SetAcknowledged(r);
            if (acknowledged) {
                m_state.setCurrText = Numbers::FormatNumber(amps, m_state.currFormat);
                Q_EMIT setpointsChanged();
            }
            Call(done, acknowledged);
        });
}

void SupplySession::switchOutput(bool on, Done done)
{
    if (accepting(done))
        m_line.step([this, on, done] { sendOutput(on, done); });
}

void SupplySession::sendOutput(bool on, Done done)
{
    auto acknowledged = std::make_shared<bool>(false);
    m_line.exchange(kSout, CommandSet::SoutParameter(!on),
        [acknowledged](const QString& reply) { *acknowledged = CommandSet::ContainsOk(reply); });
    m_line.pause(kBetweenCommands);
    m_line.step([this, on, done, acknowledged] {
        m_state.outputOn = on;
        Q_EMIT outputChanged(on);
        Call(done, *acknowledged);
    });
}

void SupplySession::changeLimits(std::optional<float> uvl, std::optional<float> ucl, Done done)
{
    if (!accepting(done))
        return;
    m_line.step([this, uvl, ucl, done] {
        // Limits go only to a supply that answered: without one the read-back
        // would put 0 V into force.
        if (!m_state.connected)
            return Call(done, false);
        auto taken = std::make_shared<bool>(true);
        if (uvl && *uvl != m_state.uvl)
            sendLimit(true, *uvl, taken);
        if (ucl && *ucl != m_state.ucl)
            sendLimit(false, *ucl, taken);
        m_line.step([this, taken, done] {
            Q_EMIT limitsChanged();
            Call(done, *taken);
        });
    });
}

void SupplySession::sendLimit(bool voltage, float wanted, const std::shared_ptr<bool>& taken)
{
    const int scale = voltage ? 10 : m_state.currScale;
    m_line.exchange(voltage ? kSovp : kSocp, CommandSet::EncodeLimit(wanted, scale));
    m_line.pause(kBetweenCommands);
    // What the supply answers is the limit now, whatever was asked.
    m_line.exchange(
        voltage ? kGovp : kGocp, {}, [this, voltage, wanted, scale, taken](const QString& r) {
            float& limit = voltage ? m_state.uvl : m_state.ucl;
            limit = CommandSet::ParseLimitWithin(
                r, scale, voltage ? m_state.maxVolt : m_state.maxCurr);
            if (limit != wanted)
                *taken = false;
        });
    m_line.pause(kBetweenCommands);
}

void SupplySession::readPresets(Done done)
{
    if (accepting(done))
        m_line.step([this, done] { readPresetMemory(0, done); });
}

void SupplySession::readPresetMemory(int attempt, Done done)
{
    m_line.exchange(kGetm, {}, [this, attempt, done](const QString& reply) {
        if (PresetTransfer::FillFromGetm(
                *m_presetTable, reply, m_state.setVoltText, m_state.setCurrText, limits())) {
            Q_EMIT presetsChanged();
            Q_EMIT presetsRead(true);
            return Call(done, true);
        }
        if (attempt + 1 < kGetmTries)
            return readPresetMemory(attempt + 1, done);
        m_presetTable->cutToHeader();
        Q_EMIT presetsChanged();
        Q_EMIT presetsRead(false);
        Call(done, false);
    });
}

void SupplySession::takePresets(const ProgramTable& ipm)
{
    // The table the supply's presets are read into is already what was stored.
    if (&ipm == m_presetTable) {
        Q_EMIT presetsChanged();
        return;
    }
    m_presets.cutToHeader();
    for (int k = 1; k <= ipm.dataRows(); ++k)
        m_presets.addRow({ QString(), QString::number(k), ipm.cell(k, 2), ipm.cell(k, 3) });
    m_presets.setSelectedPreset(ipm.selectedPreset());
    Q_EMIT presetsChanged();
}

void SupplySession::tryProm(const QString& parameter, int attempt, int tries, bool pauseFirst,
    std::function<void(bool)> done)
{
    if (pauseFirst)
        m_line.pause(kBetweenCommands);
    m_line.exchange(kProm, parameter, [=, this](const QString& reply) {
        if (CommandSet::ContainsOk(reply))
            return done(true);
        if (!pauseFirst)
            m_line.pause(kBetweenCommands);
        if (attempt + 1 < tries)
            return tryProm(parameter, attempt + 1, tries, pauseFirst, done);
        done(false);
    });
}

void SupplySession::savePresets(const ProgramTable& ipm, Done done)
{
    if (!accepting(done))
        return;
    const std::optional<QString> parameter = PresetTransfer::PromParameter(ipm, limits());
    if (!parameter)
        return Call(done, false);
    m_line.step([this, &ipm, parameter, done] {
        tryProm(*parameter, 0, kSaveTries, false, [this, &ipm, done](bool stored) {
            if (stored)
                takePresets(ipm);
            Call(done, stored);
        });
    });
}

void SupplySession::uploadAndRecall(const ProgramTable& ipm, Done done)
{
    if (accepting(done))
        m_line.step([this, &ipm, done] { sendPresetsAndRecall(ipm, done); });
}

void SupplySession::sendPresetsAndRecall(const ProgramTable& ipm, Done done)
{
    const std::optional<QString> parameter = PresetTransfer::PromParameter(ipm, limits());
    if (!parameter)
        return Call(done, false);
    tryProm(*parameter, 0, kUploadTries, true, [this, &ipm, done](bool stored) {
        if (stored)
            takePresets(ipm);
        m_line.pause(kBetweenCommands);
        m_line.step([this, &ipm, done, stored] {
            // The selection is read after the waits, as it may have changed.
            const std::optional<QString> recall = PresetTransfer::RecallParameter(ipm);
            if (!stored || !recall)
                return Call(done, false);
            sendRecall(*recall,
                PresetTransfer::RecalledSetpoints(ipm, ipm.selectedPreset(), limits()), done);
        });
    });
}

void SupplySession::recallPreset(int preset, Done done)
{
    if (!accepting(done))
        return;
    m_line.step([this, preset, done] {
        if (preset < 1 || preset > 3 || preset > m_presetTable->dataRows())
            return Call(done, false);
        sendRecall(CommandSet::RunmParameter(preset - 1),
            PresetTransfer::RecalledSetpoints(*m_presetTable, preset, limits()), done);
    });
}

void SupplySession::sendRecall(
    const QString& parameter, const CommandSet::Setpoints& setpoints, Done done)
{
    m_line.exchange(kRunm, parameter, [this, setpoints, done](const QString& reply) {
        const bool acknowledged = CommandSet::ContainsOk(reply);
        if (acknowledged) {
            m_state.setVoltText = setpoints.volt;
            m_state.setCurrText = setpoints.curr;
            Q_EMIT setpointsChanged();
        }
        Call(done, acknowledged);
    });
}

// ---------------------------------------------------------------- polling

void SupplySession::startPolling()
{
    if (m_polling || m_ending)
        return;
    m_polling = true;
    if (m_state.maxVolt > 0) {
        m_line.step([this] { tickBody(); });
        m_pollTimer->start(kPollMs);
    }
}

void SupplySession::stopPolling()
{
    m_polling = false;
    m_pollTimer->stop();
}

void SupplySession::requestVoltage(double volts)
{
    m_requests.typedVolt = volts;
}

void SupplySession::requestCurrent(double amps)
{
    m_requests.typedCurr = amps;
}

void SupplySession::requestDisplaySetpoint(int index, const QString& text)
{
    (index == 0 ? m_state.setVoltText : m_state.setCurrText) = text;
    (index == 0 ? m_requests.displayVolt : m_requests.displayCurr) = true;
}

void SupplySession::requestOutput(bool on)
{
    m_requests.output = on;
}

void SupplySession::requestPresetUpload(const ProgramTable& ipm)
{
    m_requests.presetUpload = &ipm;
}

void SupplySession::requestPresetRead()
{
    m_requests.presetRead = true;
}

void SupplySession::cancelTypedRequest(int index)
{
    (index == 0 ? m_requests.typedVolt : m_requests.typedCurr).reset();
}

void SupplySession::pollTick()
{
    // A tick that comes while the line is taken does nothing; missed ticks
    // are not made up.
    if (!m_ending && m_state.maxVolt > 0 && m_line.isIdle())
        m_line.step([this] { tickBody(); });
}

void SupplySession::tickBody()
{
    // Each request is read when its turn comes: one raised during an earlier
    // exchange of this tick is still served by it.
    Requests& r = m_requests;
    if (r.typedVolt) {
        const double volts = *std::exchange(r.typedVolt, std::nullopt);
        // A value the limits no longer allow is dropped, not tried again.
        if (!TableRules::WithinLimit(volts, m_state.uvl))
            return;
        // Sent again by the next tick until acknowledged, unless replaced meanwhile.
        sendVoltage(volts, [this, volts](bool acknowledged) {
            if (!acknowledged && !m_requests.typedVolt && !m_ending)
                m_requests.typedVolt = volts;
        });
        return;
    }
    if (r.typedCurr) {
        sendCurrent(*std::exchange(r.typedCurr, std::nullopt), {});
        return;
    }
    if (r.displayVolt || r.displayCurr) {
        if (std::exchange(r.displayVolt, false))
            m_line.step([this] { sendVoltage(Number(m_state.setVoltText), {}); });
        if (std::exchange(r.displayCurr, false))
            m_line.step([this] { sendCurrent(Number(m_state.setCurrText), {}); });
        return;
    }
    if (r.output)
        sendOutput(*std::exchange(r.output, std::nullopt), {});
    m_line.step([this] { dispatchStep(); });
    m_line.step([this] {
        if (const ProgramTable* ipm = std::exchange(m_requests.presetUpload, nullptr)) {
            Q_EMIT presetUploadStarting();
            sendPresetsAndRecall(*ipm, {});
        }
    });
    m_line.step([this] {
        if (std::exchange(m_requests.presetRead, false))
            readPresetMemory(0, {});
    });
    m_line.exchange(kGetd, {}, [this](const QString& reply) { takeReading(reply); });
}

// ---------------------------------------------------------------- program

bool SupplySession::startProgram(ProgramTable& etp, int cycles)
{
    if (m_ending || programRunning())
        return false;
    return runStopClick(etp, QString::number(cycles)).action
        == ExtProgramRunner::ClickAction::Started;
}

ExtProgramRunner::ClickResult SupplySession::runStopClick(
    ProgramTable& etp, const QString& cycleText)
{
    const bool wasRunning = programRunning();
    const ExtProgramRunner::ClickResult click = m_runner.RunStopClick(
        ExtProgramRunner::kProgramTab, m_state.connected && !m_ending, cycleText, etp, limits());
    if (click.action == ExtProgramRunner::ClickAction::Started) {
        m_program = &etp;
        ++m_runNumber;
        m_stepTimer->start(click.intervalMs);
    } else if (click.action == ExtProgramRunner::ClickAction::Stopped && wasRunning) {
        m_stepTimer->stop();
        m_program = nullptr;
        Q_EMIT programEnded(false);
    }
    return click;
}

void SupplySession::stopProgram()
{
    if (!programRunning())
        return;
    // As "Stop": the supply keeps the last step; nothing is sent.
    m_runner.Stop();
    m_stepTimer->stop();
    m_program = nullptr;
    Q_EMIT programEnded(false);
}

void SupplySession::stepTimedOut()
{
    if (!m_program)
        return;
    const ExtProgramRunner::TickResult tick = m_runner.ExtStepTick(*m_program);
    if (tick.runCompleted) {
        m_program = nullptr;
        Q_EMIT programEnded(true);
        return;
    }
    m_stepTimer->start(tick.intervalMs);
}

void SupplySession::dispatchStep()
{
    if (!m_program)
        return;
    const std::optional<ExtProgramRunner::StepCommand> step
        = m_runner.PendingStep(*m_program, limits());
    if (!step)
        return;
    const int run = m_runNumber;
    const SentStep sent { step->row, m_runner.ExtCycleNo(), step->voltText, step->currText,
        step->outputOn, false };
    m_line.exchange(kSevc, step->sevcParameter, [this, sent](const QString& reply) {
        SentStep answered = sent;
        answered.acknowledged = CommandSet::ContainsOk(reply);
        if (answered.acknowledged) {
            m_state.setVoltText = sent.voltText;
            m_state.setCurrText = sent.currText;
            m_state.outputOn = sent.outputOn;
            Q_EMIT setpointsChanged();
            Q_EMIT outputChanged(sent.outputOn);
        }
        Q_EMIT stepSent(answered);
    });
    m_line.pause(kBetweenCommands);
    // A stop and a new start during the exchange must find their own step 1 still due.
    m_line.step([this, run] {
        if (run == m_runNumber)
            m_runner.StepSent();
    });
}
