#pragma once

#include "session/SupplyState.h"

#include <QJsonObject>
#include <QString>

#include <optional>

// The end summary of a recording: samples, dropouts, and the least, mean and
// greatest of each value. Nothing is kept per sample.
class SampleSummary {
public:
    void add(const std::optional<SupplyReading>& reading);
    qint64 samples() const { return m_samples; }
    qint64 dropouts() const { return m_dropouts; }
    QString text() const;
    QJsonObject json() const;

private:
    struct Range {
        double least = 0;
        double greatest = 0;
        double sum = 0;
        qint64 count = 0;
        void add(double value);
        QString text(const char* name) const;
        QJsonValue json() const;
    };

    qint64 m_samples = 0;
    qint64 m_dropouts = 0;
    Range m_volts;
    Range m_amps;
    Range m_watts;
};
