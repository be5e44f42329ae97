#include "datalog/ChartRangeRules.h"

#include "core/Numbers.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace {

enum class End { Max, Min };

// A maximum may not reach the lowest value a minimum can take, and the other way
// round, so that "one step beyond the other combo" still fits within the limit.
double Clamped(double value, double limit, double step, End end)
{
    const double low = end == End::Max ? -limit + step : -limit;
    const double high = end == End::Min ? limit - step : limit;
    return std::clamp(value, low, high);
}

double WholeValue(const QString& text, End end)
{
    return Clamped(Numbers::LeadingNumber(text), ChartRangeRules::kValueLimit, 1.0, end);
}

double CurrValue(const QString& text, End end)
{
    return Clamped(
        Numbers::LeadingNumber(Numbers::FutComma(text)), ChartRangeRules::kValueLimit, 0.1, end);
}

double TimeValue(const QString& text)
{
    return std::clamp(
        Numbers::LeadingNumber(text), -ChartRangeRules::kTimeLimit, ChartRangeRules::kTimeLimit);
}

// The value as the current combos show it, to one decimal.
double ToTenth(double value)
{
    return Numbers::LeadingNumber(Numbers::FormatNumber(value, u"0.0"));
}

QString WholeText(double value, QChar unit)
{
    return Numbers::FormatNumber(value, u"0") + unit;
}

int NearestSecond(double seconds)
{
    return static_cast<int>(std::lround(seconds));
}

// One whole-unit pair (voltage or power): a max at or below the min becomes min + 1,
// a min at or above the max becomes max - 1.
QString WholeClick(
    const QString& maxText, const QString& minText, End clicked, QChar unit, float& target)
{
    const double maxValue = WholeValue(maxText, End::Max);
    const double minValue = WholeValue(minText, End::Min);
    QString text = clicked == End::Max ? maxText : minText;
    if (maxValue <= minValue)
        text = WholeText(clicked == End::Max ? minValue + 1.0 : maxValue - 1.0, unit);
    target = static_cast<float>(WholeValue(text, clicked));
    return text;
}

// The current pair. Both sides are compared as they will be shown, to one decimal:
// comparing the typed values would let 0.96 beside 1.0 round to an equal pair.
QString CurrClick(const QString& maxText, const QString& minText, End clicked, float& target)
{
    const double maxValue = ToTenth(CurrValue(maxText, End::Max));
    const double minValue = ToTenth(CurrValue(minText, End::Min));
    double value = clicked == End::Max ? maxValue : minValue;
    if (maxValue <= minValue)
        value = clicked == End::Max ? minValue + 0.1 : maxValue - 0.1;
    QString text = Numbers::FormatNumber(value, u"0.0A");
    target = static_cast<float>(CurrValue(text, clicked));
    return text;
}

// The labels at the bottom, middle and top of a value axis.
std::array<QString, 3> AxisLabels(float min, float max, QStringView picture)
{
    return { Numbers::FormatSingle(min, picture),
        Numbers::FormatSingle((max + min) / 2.0f, picture), Numbers::FormatSingle(max, picture) };
}

QStringList Steps(int from, int to, int step, const QString& unit)
{
    QStringList items;
    for (int v = from; v <= to; v += step)
        items << QString::number(v) + unit;
    return items;
}

} // namespace

ChartRangeRules::ChartRangeRules()
    : m_labels(InitialLabels())
{
}

QString ChartRangeRules::clickVMax(const QString& vMaxText, const QString& vMinText)
{
    QString text = WholeClick(vMaxText, vMinText, End::Max, u'V', m_ranges.ChartVMax);
    updateVoltLabels();
    return text;
}

QString ChartRangeRules::clickVMin(const QString& vMaxText, const QString& vMinText)
{
    QString text = WholeClick(vMaxText, vMinText, End::Min, u'V', m_ranges.ChartVMin);
    updateVoltLabels();
    return text;
}

QString ChartRangeRules::clickWMax(const QString& wMaxText, const QString& wMinText)
{
    QString text = WholeClick(wMaxText, wMinText, End::Max, u'W', m_ranges.ChartWMax);
    updatePowerLabels();
    return text;
}

QString ChartRangeRules::clickWMin(const QString& wMaxText, const QString& wMinText)
{
    QString text = WholeClick(wMaxText, wMinText, End::Min, u'W', m_ranges.ChartWMin);
    updatePowerLabels();
    return text;
}

QString ChartRangeRules::clickCMax(const QString& cMaxText, const QString& cMinText)
{
    QString text = CurrClick(cMaxText, cMinText, End::Max, m_ranges.ChartCMax);
    updateCurrLabels(QStringLiteral("0.00A"));
    return text;
}

QString ChartRangeRules::clickCMin(const QString& cMaxText, const QString& cMinText)
{
    QString text = CurrClick(cMaxText, cMinText, End::Min, m_ranges.ChartCMin);
    updateCurrLabels(QStringLiteral("0.00A"));
    return text;
}

QString ChartRangeRules::clickTMin(const QString& tMinText, const QString& tLenText)
{
    const double start = TimeValue(tMinText);
    m_ranges.ChartTStart = NearestSecond(start);
    m_ranges.ChartTEnd = NearestSecond(start + TimeValue(tLenText));
    updateTimeLabels();
    return tMinText;
}

QString ChartRangeRules::clickTLen(const QString& tMinText, const QString& tLenText)
{
    QString text = tLenText;
    const double length = TimeValue(text);
    if (length < 0)
        text = WholeText(std::fabs(length), u'S');
    // Anything that would round to an empty window counts as 0, not only 0 itself.
    if (NearestSecond(TimeValue(text)) == 0)
        text = QStringLiteral("1S");
    m_ranges.ChartTEnd = NearestSecond(TimeValue(text) + TimeValue(tMinText));
    updateTimeLabels();
    return text;
}

QString ChartRangeRules::commitVMax(const QString& vMaxText, const QString& vMinText)
{
    return clickVMax(NormaliseWholeText(vMaxText, u'V'), vMinText);
}

QString ChartRangeRules::commitVMin(const QString& vMaxText, const QString& vMinText)
{
    return clickVMin(vMaxText, NormaliseWholeText(vMinText, u'V'));
}

QString ChartRangeRules::commitWMax(const QString& wMaxText, const QString& wMinText)
{
    return clickWMax(NormaliseWholeText(wMaxText, u'W'), wMinText);
}

QString ChartRangeRules::commitWMin(const QString& wMaxText, const QString& wMinText)
{
    return clickWMin(wMaxText, NormaliseWholeText(wMinText, u'W'));
}

QString ChartRangeRules::commitCMax(const QString& cMaxText, const QString& cMinText)
{
    return clickCMax(cMaxText, cMinText);
}

QString ChartRangeRules::commitCMin(const QString& cMaxText, const QString& cMinText)
{
    return clickCMin(cMaxText, cMinText);
}

QString ChartRangeRules::commitTMin(const QString& tMinText, const QString& tLenText)
{
    return clickTMin(NormaliseTimeText(tMinText), tLenText);
}

QString ChartRangeRules::commitTLen(const QString& tMinText, const QString& tLenText, bool enterKey)
{
    const bool zero = Numbers::LeadingNumber(tLenText) == 0.0;
    const QString typed = enterKey && zero ? QStringLiteral("1") : tLenText;
    return clickTLen(tMinText, NormaliseTimeText(typed));
}

QString ChartRangeRules::NormaliseWholeText(const QString& text, QChar unit)
{
    const double value = std::clamp(Numbers::LeadingNumber(text), -kValueLimit, kValueLimit);
    return WholeText(value, unit);
}

QString ChartRangeRules::NormaliseTimeText(const QString& text)
{
    const double whole = std::floor(TimeValue(text));
    const QChar last = text.isEmpty() ? QChar() : text.back().toUpper();
    double seconds = whole;
    if (last == u'H')
        seconds = whole * 3600.0;
    else if (last == u'M')
        seconds = whole * 60.0;
    return WholeText(std::clamp(seconds, -kTimeLimit, kTimeLimit), u'S');
}

RangeComboTexts ChartRangeRules::resetForConnection(
    bool connected, float maxVolt, float maxCurr, const QString& currFormat)
{
    ChartRanges r;
    if (connected) {
        r.ChartCMax = maxCurr;
        r.ChartVMax = maxVolt;
        r.ChartWMax = maxVolt * maxCurr;
    } else {
        r.ChartCMax = 5.0f;
        r.ChartVMax = 40.0f;
        r.ChartWMax = 200.0f;
    }
    r.ChartCMin = 0.0f;
    r.ChartVMin = 0.0f;
    r.ChartWMin = 0.0f;
    r.ChartTEnd = 120;
    r.ChartTStart = 0;
    m_ranges = r;

    updateCurrLabels(currFormat + u'A');
    updateVoltLabels();
    updateTimeLabels();
    updatePowerLabels();

    RangeComboTexts texts;
    texts.CmbVMax = Numbers::FormatSingle(r.ChartVMax, u"0V");
    texts.CmbVMin = Numbers::FormatSingle(r.ChartVMin, u"0V");
    texts.CmbCMax = Numbers::FormatSingle(r.ChartCMax, u"0.0A");
    texts.CmbCMin = Numbers::FormatSingle(r.ChartCMin, u"0.0A");
    texts.CmbWMax = Numbers::FormatSingle(r.ChartWMax, u"0W");
    texts.CmbWMin = Numbers::FormatSingle(r.ChartWMin, u"0W");
    texts.CmbTMin = QString::number(r.ChartTStart) + u'S';
    texts.CmbTLen = QStringLiteral("120S");
    return texts;
}

ChartLabels ChartRangeRules::InitialLabels()
{
    ChartLabels labels;
    labels.PLabV = { QStringLiteral("00.0V"), QStringLiteral("20.0V"), QStringLiteral("40.0V") };
    labels.PLabC = { QStringLiteral("0.00A"), QStringLiteral("2.50A"), QStringLiteral("5.00A") };
    labels.PLabW = { QStringLiteral("00.0W"), QStringLiteral("2.50W"), QStringLiteral("5.00W") };
    labels.PLabT = { QStringLiteral("0S"), QStringLiteral("5S"), QStringLiteral("10S") };
    return labels;
}

QStringList ChartRangeRules::VMaxItems()
{
    return Steps(5, 60, 5, QStringLiteral("V"));
}

QStringList ChartRangeRules::VMinItems()
{
    return Steps(0, 55, 5, QStringLiteral("V"));
}

QStringList ChartRangeRules::WMaxItems()
{
    return Steps(50, 400, 50, QStringLiteral("W"));
}

QStringList ChartRangeRules::WMinItems()
{
    return Steps(0, 350, 50, QStringLiteral("W"));
}

QStringList ChartRangeRules::CMaxItems()
{
    QStringList items;
    for (int i = 0; i <= 7; ++i)
        items << Numbers::FormatNumber(i + 1, u"0.0");
    return items;
}

QStringList ChartRangeRules::CMinItems()
{
    QStringList items;
    for (int i = 0; i <= 7; ++i)
        items << Numbers::FormatNumber(i, u"0.0");
    return items;
}

QStringList ChartRangeRules::TMinItems()
{
    return { QStringLiteral("0S"), QStringLiteral("10S"), QStringLiteral("30S"),
        QStringLiteral("60S"), QStringLiteral("600S"), QStringLiteral("3600S"),
        QStringLiteral("36000S"), QStringLiteral("360000S") };
}

QStringList ChartRangeRules::TLenItems()
{
    return { QStringLiteral("10S"), QStringLiteral("30S"), QStringLiteral("60S"),
        QStringLiteral("120S"), QStringLiteral("720S"), QStringLiteral("3600S"),
        QStringLiteral("36000S"), QStringLiteral("108000S") };
}

void ChartRangeRules::updateVoltLabels()
{
    m_labels.PLabV = AxisLabels(m_ranges.ChartVMin, m_ranges.ChartVMax, u"0.0V");
}

void ChartRangeRules::updatePowerLabels()
{
    m_labels.PLabW = AxisLabels(m_ranges.ChartWMin, m_ranges.ChartWMax, u"0.0W");
}

void ChartRangeRules::updateCurrLabels(const QString& picture)
{
    m_labels.PLabC = AxisLabels(m_ranges.ChartCMin, m_ranges.ChartCMax, picture);
}

void ChartRangeRules::updateTimeLabels()
{
    const ChartRanges& r = m_ranges;
    m_labels.PLabT[0] = Numbers::FormatNumber(r.ChartTStart, u"0S");
    m_labels.PLabT[1]
        = Numbers::FormatNumber((static_cast<double>(r.ChartTEnd) + r.ChartTStart) / 2.0, u"0S");
    m_labels.PLabT[2] = Numbers::FormatNumber(r.ChartTEnd, u"0S");
}
