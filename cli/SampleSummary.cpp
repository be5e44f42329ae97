#include "cli/SampleSummary.h"

#include "core/Numbers.h"

#include <algorithm>
#include <cmath>

namespace {

// Means to four decimals: more digits than the readings have say nothing.
double Rounded(double value)
{
    return std::round(value * 1e4) / 1e4;
}

} // namespace

void SampleSummary::Range::add(double value)
{
    least = count ? std::min(least, value) : value;
    greatest = count ? std::max(greatest, value) : value;
    sum += value;
    ++count;
}

QString SampleSummary::Range::text(const char* name) const
{
    if (count == 0)
        return QStringLiteral("%1: no readings").arg(QLatin1String(name));
    return QStringLiteral("%1: min %2 mean %3 max %4")
        .arg(QLatin1String(name))
        .arg(least)
        .arg(Rounded(sum / static_cast<double>(count)))
        .arg(greatest);
}

QJsonValue SampleSummary::Range::json() const
{
    if (count == 0)
        return QJsonValue::Null;
    return QJsonObject { { QStringLiteral("min"), least },
        { QStringLiteral("mean"), Rounded(sum / static_cast<double>(count)) },
        { QStringLiteral("max"), greatest } };
}

void SampleSummary::add(const std::optional<SupplyReading>& reading)
{
    ++m_samples;
    if (!reading) {
        ++m_dropouts;
        return;
    }
    m_volts.add(Numbers::LeadingNumber(reading->volt));
    m_amps.add(Numbers::LeadingNumber(reading->curr));
    m_watts.add(Numbers::LeadingNumber(reading->power));
}

QString SampleSummary::text() const
{
    return QStringLiteral("%1 samples, %2 dropouts\n%3\n%4\n%5")
        .arg(m_samples)
        .arg(m_dropouts)
        .arg(m_volts.text("volts"), m_amps.text("amps"), m_watts.text("watts"));
}

QJsonObject SampleSummary::json() const
{
    return { { QStringLiteral("samples"), m_samples }, { QStringLiteral("dropouts"), m_dropouts },
        { QStringLiteral("volts"), m_volts.json() }, { QStringLiteral("amps"), m_amps.json() },
        { QStringLiteral("watts"), m_watts.json() } };
}
