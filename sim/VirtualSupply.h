#pragma once

#include "core/Clock.h"
#include "sim/SupplyFaults.h"
#include "sim/SupplyModel.h"

#include <QByteArray>
#include <QList>
#include <QRandomGenerator>

#include <array>
#include <limits>

// A stand-in for one supply of the family: it answers command lines the way the
// panel expects the real thing to, drives a resistive load, and shows faults on
// demand. It knows nothing of the panel's own command code, so the two check
// each other.
class VirtualSupply {
public:
    static constexpr double kOpenCircuit = std::numeric_limits<double>::infinity();

    // A piece of a reply and when it leaves the supply, counted from the line.
    struct ReplyPiece {
        qint64 delayMs = 0;
        QByteArray bytes;
        friend bool operator==(const ReplyPiece&, const ReplyPiece&) = default;
    };
    struct ReceivedLine {
        qint64 atMs = 0; // monotonic time of the injected clock
        QByteArray line; // as received, line end stripped
        bool answered = false; // a reply went out (the supply acted on it)
    };
    struct Preset {
        int voltDigits = 0; // volts x 10
        int currDigits = 0; // amperes x the model's current scale
        friend bool operator==(const Preset&, const Preset&) = default;
    };
    struct Reading {
        int voltDigits = 0; // volts x 10
        int ampDigits = 0; // amperes x 100, whatever the model
        bool constantCurrent = false;
    };

    explicit VirtualSupply(const Clock& clock, const SupplyModel& model = SupplyModel::standard());

    // One line in (command word and parameters, line end stripped), the reply's
    // bytes out; "" when the supply stays silent. Delays of split and late
    // replies are ignored here; respond() keeps them.
    QByteArray answer(const QByteArray& line);
    QList<ReplyPiece> respond(const QByteArray& line);

    // Faults apply from the next line on; the line count of silent-after starts anew.
    void setFaults(const SupplyFaults& faults);
    const SupplyFaults& faults() const { return m_faults; }

    // Load in ohms: a positive number, 0 for a short, kOpenCircuit for none.
    // Anything else (negative, not a number) is refused and changes nothing.
    bool setLoadOhms(double ohms);
    double loadOhms() const { return m_loadOhms; }
    // Readings wander by up to +-digits, repeatably for a given seed; 0 turns it off.
    void setNoise(int digits, quint32 seed);

    // Front-panel operation, for setting a scene up.
    void setSetpoint(int voltDigits, int currDigits);
    void setOutputOn(bool on) { m_outputOn = on; }

    const SupplyModel& model() const { return m_model; }
    const QList<ReceivedLine>& received() const { return m_received; }
    QList<QByteArray> receivedLines() const;
    void clearReceived() { m_received.clear(); }
    int setVoltDigits() const { return m_setVolt; }
    int setCurrDigits() const { return m_setCurr; }
    int voltLimitDigits() const { return m_voltLimit; }
    int currLimitDigits() const { return m_currLimit; }
    bool outputOn() const { return m_outputOn; }
    bool remote() const { return m_remote; }
    const std::array<Preset, 3>& presets() const { return m_presets; }
    // What "GETD" reports now, before noise.
    Reading reading() const;

private:
    QByteArray execute(const QByteArray& line);
    bool silentNow() const;
    QByteArray applyContentFaults(QByteArray reply) const;
    QByteArray dataReply(const QByteArray& digits) const;
    QByteArray measurement();
    void clampSetpoint();

    const Clock& m_clock;
    SupplyModel m_model;
    SupplyFaults m_faults;
    qint64 m_linesSinceFaults = 0;
    QList<ReceivedLine> m_received;

    int m_setVolt = 50;
    int m_setCurr = 0;
    int m_voltLimit = 0;
    int m_currLimit = 0;
    bool m_outputOn = true;
    bool m_remote = false;
    std::array<Preset, 3> m_presets {};

    double m_loadOhms = 10.0;
    int m_noiseDigits = 0;
    QRandomGenerator m_noise;
};
