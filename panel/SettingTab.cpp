#include "panel/SettingTab.h"

#include "core/Captions.h"
#include "core/Numbers.h"

#include <algorithm>
#include <array>
#include <cmath>
#include <limits>

namespace SettingTab {
namespace {

constexpr std::array<int, 11> kSamplingSeconds { 1, 2, 3, 5, 6, 10, 12, 15, 20, 30, 60 };

float Single(double value)
{
    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -largest, largest));
}

// The bound check reads the same number that is written back: with a decimal
// comma, "12,5" is checked as 12.5, not as the 12 in front of the comma.
QString NormaliseLimit(const QString& text, float lower, float upper, QChar unit)
{
    const float value = Single(Numbers::LeadingNumber(Numbers::FutComma(text)));
    if (value > upper)
        return Numbers::ShortestForm(upper) + unit;
    if (value >= lower)
        return Numbers::ShortestForm(value) + unit;
    return Numbers::ShortestForm(lower) + unit;
}

std::optional<int> WholeNumber(QStringView text)
{
    const double value = Numbers::LeadingNumber(text);
    if (value <= 0 || value > std::numeric_limits<int>::max() || value != std::floor(value))
        return std::nullopt;
    return static_cast<int>(value);
}

} // namespace

QStringList SamplingEntries()
{
    QStringList entries;
    for (const int seconds : kSamplingSeconds)
        entries << QString::number(seconds) + u'S';
    return entries;
}

std::optional<int> SamplingIndex(int seconds)
{
    const auto* found = std::find(kSamplingSeconds.begin(), kSamplingSeconds.end(), seconds);
    if (found == kSamplingSeconds.end())
        return std::nullopt;
    return static_cast<int>(found - kSamplingSeconds.begin());
}

QString NormaliseVoltageLimit(const QString& text, float maxVolt)
{
    return NormaliseLimit(text, 1.0f, maxVolt, u'V');
}

QString NormaliseCurrentLimit(const QString& text, float maxCurr)
{
    return NormaliseLimit(text, 0.1f, maxCurr, u'A');
}

QString DefaultVoltageLimitText(float maxVolt)
{
    return Numbers::ShortestForm(maxVolt) + u'V';
}

QString DefaultCurrentLimitText(float maxCurr)
{
    return Numbers::ShortestForm(maxCurr) + u'A';
}

std::optional<int> PortNumber(const QString& entry)
{
    if (entry.size() < 4)
        return std::nullopt;
    return WholeNumber(QStringView(entry).mid(3));
}

std::optional<int> SamplingSeconds(const QString& entry)
{
    const std::optional<int> seconds = WholeNumber(entry);
    if (!seconds || !SamplingIndex(*seconds))
        return std::nullopt;
    return seconds;
}

float VoltageLimitValue(const QString& text)
{
    return Single(Numbers::LeadingNumber(Numbers::FutComma(Numbers::WithoutUnit(text, u'V'))));
}

float CurrentLimitValue(const QString& text)
{
    return Single(Numbers::LeadingNumber(Numbers::FutComma(Numbers::WithoutUnit(text, u'A'))));
}

QString SamplingChangeQuestion()
{
    return QStringLiteral("To change sampling time NOW\nWill erase existing sampled data !\n\n"
                          "Are you sure you want to do it ?");
}

QString NowSamplingPanelText(int seconds)
{
    return Captions::English().nowSampling + QStringLiteral(" : ") + QString::number(seconds)
        + u'S';
}

QString LimitsPanelText(float uvl, float ucl)
{
    const Captions& c = Captions::English();
    return c.uvl + QStringLiteral(" : ") + Numbers::ShortestForm(uvl) + QStringLiteral("V , ")
        + c.ucl + QStringLiteral(" : ") + Numbers::ShortestForm(ucl) + u'A';
}

} // namespace SettingTab
