#include "sim/VirtualSupply.h"

#include <algorithm>
#include <cmath>
#include <optional>

namespace {

constexpr int kMaxReadingDigits = 9999;

// Parameter digits: only decimal digits, minDigits to maxDigits of them.
std::optional<int> digitsValue(const QByteArray& text, qsizetype minDigits, qsizetype maxDigits)
{
    if (text.size() < minDigits || text.size() > maxDigits)
        return std::nullopt;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9')
            return std::nullopt;
        value = value * 10 + (c - '0');
    }
    return value;
}

QByteArray zeroPadded(int value, int width)
{
    return QByteArray::number(value).rightJustified(width, '0');
}

bool printable(const QByteArray& line)
{
    return std::all_of(line.begin(), line.end(), [](char c) { return c >= 0x20 && c <= 0x7e; });
}

// Line noise: never contains "O" or "K", so no acknowledgement test can pass on it.
QByteArray garbled(qsizetype size)
{
    static const QByteArray noise("\xff\x00?#~\x80\x1b%\xfe"
                                  "7\x03",
        11);
    QByteArray bytes(size, '\0');
    for (qsizetype i = 0; i < size; ++i)
        bytes[i] = noise.at(i % noise.size());
    return bytes;
}

} // namespace

VirtualSupply::VirtualSupply(const Clock& clock, const SupplyModel& model)
    : m_clock(clock)
    , m_model(model)
    , m_voltLimit(model.ratedVoltDigits)
    , m_currLimit(model.ratedCurrDigits)
{
    // Powered up at 5 V, 1 A, with three everyday presets.
    const int oneAmp = m_model.currScale;
    m_setCurr = oneAmp;
    m_presets
        = { Preset { 50, oneAmp }, Preset { 120, oneAmp * 2 }, Preset { 150, oneAmp * 3 / 2 } };
    for (Preset& preset : m_presets) {
        preset.voltDigits = std::min(preset.voltDigits, m_model.ratedVoltDigits);
        preset.currDigits = std::min(preset.currDigits, m_model.ratedCurrDigits);
    }
    clampSetpoint();
}

QByteArray VirtualSupply::answer(const QByteArray& line)
{
    QByteArray reply;
    for (const ReplyPiece& piece : respond(line))
        reply += piece.bytes;
    return reply;
}

QList<VirtualSupply::ReplyPiece> VirtualSupply::respond(const QByteArray& line)
{
    QByteArray stripped = line;
    while (stripped.endsWith('\r') || stripped.endsWith('\n'))
        stripped.chop(1);
    ++m_linesSinceFaults;
    m_received.append(ReceivedLine { m_clock.monotonicMs(), stripped, false });

    // A supply that is off or unplugged neither answers nor acts.
    if (silentNow())
        return {};
    const QByteArray reply = applyContentFaults(execute(stripped));
    if (reply.isEmpty())
        return {};
    m_received.last().answered = true;

    if (m_faults.splitMs > 0 && reply.size() > 1) {
        const qsizetype half = reply.size() / 2;
        return { ReplyPiece { m_faults.lateMs, reply.left(half) },
            ReplyPiece { m_faults.lateMs + m_faults.splitMs, reply.mid(half) } };
    }
    return { ReplyPiece { m_faults.lateMs, reply } };
}

void VirtualSupply::setFaults(const SupplyFaults& faults)
{
    m_faults = faults;
    m_linesSinceFaults = 0;
}

bool VirtualSupply::setLoadOhms(double ohms)
{
    if (std::isnan(ohms) || ohms < 0.0)
        return false;
    m_loadOhms = ohms;
    return true;
}

void VirtualSupply::setNoise(int digits, quint32 seed)
{
    m_noiseDigits = std::clamp(digits, 0, 99);
    m_noise.seed(seed);
}

void VirtualSupply::setSetpoint(int voltDigits, int currDigits)
{
    m_setVolt = voltDigits;
    m_setCurr = currDigits;
    clampSetpoint();
}

QList<QByteArray> VirtualSupply::receivedLines() const
{
    QList<QByteArray> lines;
    for (const ReceivedLine& received : m_received)
        lines.append(received.line);
    return lines;
}

VirtualSupply::Reading VirtualSupply::reading() const
{
    if (!m_outputOn)
        return {};
    const double setVolts = m_setVolt / 10.0;
    const double setAmps = static_cast<double>(m_setCurr) / m_model.currScale;
    const int setAmpHundredths = m_setCurr * (100 / m_model.currScale);
    if (std::isinf(m_loadOhms))
        return Reading { m_setVolt, 0, false };

    // Constant voltage while the load draws no more than the set current.
    if (m_loadOhms > 0.0 && setVolts / m_loadOhms <= setAmps + 1e-9) {
        const double amps = setVolts / m_loadOhms;
        return Reading { m_setVolt,
            std::min(kMaxReadingDigits, static_cast<int>(std::lround(amps * 100.0))), false };
    }
    const int volts = static_cast<int>(std::lround(setAmps * m_loadOhms * 10.0));
    return Reading { std::min(volts, m_setVolt), setAmpHundredths, true };
}

bool VirtualSupply::silentNow() const
{
    if (m_faults.silent)
        return true;
    if (m_faults.silentAfterLines == SupplyFaults::kNever
        || m_linesSinceFaults <= m_faults.silentAfterLines)
        return false;
    return m_faults.silentForLines == SupplyFaults::kNever
        || m_linesSinceFaults <= qint64 { m_faults.silentAfterLines } + m_faults.silentForLines;
}

QByteArray VirtualSupply::applyContentFaults(QByteArray reply) const
{
    if (reply.isEmpty())
        return reply;
    if (m_faults.garbage)
        reply = garbled(reply.size());
    if (m_faults.truncate)
        reply.truncate(reply.size() / 2);
    if (m_faults.prefix)
        reply.prepend(m_faults.prefixChar);
    return reply;
}

QByteArray VirtualSupply::dataReply(const QByteArray& digits) const
{
    return digits + "\rOK\r";
}

QByteArray VirtualSupply::measurement()
{
    Reading now = reading();
    if (m_noiseDigits > 0 && m_outputOn) {
        auto wander = [this](int value) {
            const int shift = m_noise.bounded(-m_noiseDigits, m_noiseDigits + 1);
            return std::clamp(value + shift, 0, kMaxReadingDigits);
        };
        now.voltDigits = wander(now.voltDigits);
        now.ampDigits = wander(now.ampDigits);
    }
    return zeroPadded(now.voltDigits, 4) + zeroPadded(now.ampDigits, 4)
        + (now.constantCurrent ? "1" : "0");
}

void VirtualSupply::clampSetpoint()
{
    m_setVolt = std::clamp(m_setVolt, 0, m_voltLimit);
    m_setCurr = std::clamp(m_setCurr, 0, m_currLimit);
}

QByteArray VirtualSupply::execute(const QByteArray& line)
{
    if (line.size() < 4 || !printable(line))
        return {};
    const QByteArray command = line.left(4);
    const QByteArray params = line.mid(4);
    static const QByteArray ok("OK\r");

    // Queries take no parameters.
    if (params.isEmpty()) {
        if (command == "GMAX")
            return dataReply(
                zeroPadded(m_model.ratedVoltDigits, 3) + zeroPadded(m_model.ratedCurrDigits, 3));
        if (command == "GMOD")
            return dataReply(m_model.code.toLatin1());
        if (command == "GOVP")
            return dataReply(zeroPadded(m_voltLimit, 3));
        if (command == "GOCP")
            return dataReply(zeroPadded(m_currLimit, 3));
        if (command == "GETS")
            return dataReply(zeroPadded(m_setVolt, 3) + zeroPadded(m_setCurr, 3));
        if (command == "GETD")
            return dataReply(measurement());
        if (command == "GETM") {
            QByteArray groups;
            for (const Preset& preset : m_presets)
                groups
                    += zeroPadded(preset.voltDigits, 3) + zeroPadded(preset.currDigits, 3) + '\r';
            return groups + ok;
        }
        if (command == "SESS") {
            m_remote = true;
            return ok;
        }
        if (command == "ENDS") {
            m_remote = false;
            return "\r" + ok;
        }
        return {};
    }

    if (command == "VOLT" || command == "CURR" || command == "SOVP" || command == "SOCP") {
        const auto value = digitsValue(params, 3, 4);
        if (!value)
            return {};
        if (command == "VOLT")
            m_setVolt = *value;
        else if (command == "CURR")
            m_setCurr = *value;
        else if (command == "SOVP")
            m_voltLimit = std::min(*value, m_model.ratedVoltDigits);
        else
            m_currLimit = std::min(*value, m_model.ratedCurrDigits);
        clampSetpoint();
        return ok;
    }
    if (command == "SOUT") {
        if (params != "0" && params != "1")
            return {};
        m_outputOn = params == "0";
        return ok;
    }
    if (command == "SEVC") {
        const auto volts = digitsValue(params.left(3), 3, 3);
        const auto amps = digitsValue(params.mid(3, 3), 3, 3);
        const QByteArray flag = params.mid(6);
        if (params.size() != 7 || !volts || !amps || (flag != "0" && flag != "1"))
            return {};
        m_setVolt = *volts;
        m_setCurr = *amps;
        clampSetpoint();
        m_outputOn = flag == "1";
        return ok;
    }
    if (command == "PROM") {
        if (params.size() != 18)
            return {};
        std::array<Preset, 3> presets {};
        for (int k = 0; k < 3; ++k) {
            const auto volts = digitsValue(params.mid(qsizetype { 6 } * k, 3), 3, 3);
            const auto amps = digitsValue(params.mid(6 * k + 3, 3), 3, 3);
            if (!volts || !amps)
                return {};
            presets[static_cast<size_t>(k)] = Preset { std::min(*volts, m_model.ratedVoltDigits),
                std::min(*amps, m_model.ratedCurrDigits) };
        }
        m_presets = presets;
        return ok;
    }
    if (command == "RUNM") {
        const auto index = digitsValue(params, 1, 1);
        if (!index || *index > 2)
            return {};
        const Preset& preset = m_presets[static_cast<size_t>(*index)];
        m_setVolt = preset.voltDigits;
        m_setCurr = preset.currDigits;
        clampSetpoint();
        return ok;
    }
    return {};
}
