#include "device/CommandSet.h"

#include "core/Numbers.h"

#include <cmath>

namespace CommandSet {
namespace {

// Characters start..start+length-1 of the reply (1-based), like a BASIC Mid$.
QString Mid(const QString& reply, int start, int length)
{
    return reply.mid(start - 1, length);
}

double NumberAt(const QString& reply, int start, int length)
{
    return Numbers::LeadingNumber(Mid(reply, start, length));
}

bool OkAt(const QString& reply, int position)
{
    return Mid(reply, position, 2) == QLatin1String("OK");
}

bool AllDigits(const QString& text)
{
    if (text.isEmpty())
        return false;
    for (const QChar c : text) {
        if (c < u'0' || c > u'9')
            return false;
    }
    return true;
}

} // namespace

QString EncodeVoltage(double volts)
{
    return Numbers::FormatNumber(volts * 10.0, u"000");
}

QString EncodeCurrent(double amps, int currScale)
{
    return Numbers::FormatNumber(amps * currScale, u"000");
}

QString EncodeLimit(float value, int scale)
{
    return Numbers::FormatSingle(value * static_cast<float>(scale), u"000");
}

QString SoutParameter(bool switchOff)
{
    return switchOff ? QStringLiteral("1") : QStringLiteral("0");
}

QString SevcParameter(double volts, double amps, int currScale, bool outputOn)
{
    return EncodeVoltage(volts) + EncodeCurrent(amps, currScale) + (outputOn ? u'1' : u'0');
}

QString PresetCode(double volts, double amps, int currScale)
{
    return EncodeVoltage(volts) + EncodeCurrent(amps, currScale);
}

QString RunmParameter(int memory)
{
    return QString::number(memory);
}

bool GmaxAcknowledged(const QString& reply)
{
    return OkAt(reply, 8);
}
bool SessAcknowledged(const QString& reply)
{
    return OkAt(reply, 1);
}
bool EndsAcknowledged(const QString& reply)
{
    return OkAt(reply, 2);
}
bool SetAcknowledged(const QString& reply)
{
    return OkAt(reply, 1);
}
bool ContainsOk(const QString& reply)
{
    return reply.contains(QLatin1String("OK"));
}
bool GetdAcknowledged(const QString& reply)
{
    return OkAt(reply, 11);
}
bool GetmAcknowledged(const QString& reply)
{
    return OkAt(reply, 22);
}

QString ModelCode(const QString& gmodReply)
{
    return gmodReply.left(4);
}

bool GmodAnswered(const QString& reply)
{
    const auto digit = [&reply](qsizetype i) { return reply[i] >= u'0' && reply[i] <= u'9'; };
    if (reply.size() < 4)
        return false;
    for (qsizetype i = 0; i < 4; ++i) {
        if (!digit(i))
            return false;
    }
    return reply.size() == 4 || !digit(4);
}

int CurrScaleFor(const QString& modelCode)
{
    return QStringLiteral("5812-5814-5914").contains(modelCode) ? 100 : 10;
}

QString CurrFormatFor(const QString& modelCode)
{
    return CurrScaleFor(modelCode) == 100 ? QStringLiteral("0.00") : QStringLiteral("0.0");
}

QString RatingTitle(const QString& modelCode)
{
    static const struct {
        const char* code;
        const char* title;
    } models[] = {
        { "5810", "Rating: 18V 10A" },
        { "5812", "Rating: 36V 5A" },
        { "5814", "Rating: 60V 2.5A" },
        { "5860", "Rating: 18V 15A" },
        { "5910", "Rating: 18V 20A" },
        { "5912", "Rating: 36V 10A" },
        { "5914", "Rating: 60V 5A" },
    };
    for (const auto& m : models) {
        if (modelCode == QLatin1String(m.code))
            return QString::fromLatin1(m.title);
    }
    return QStringLiteral("Rating: ");
}

Rating ParseGmax(const QString& reply, int currScale)
{
    Rating r;
    r.maxVolt = static_cast<float>(NumberAt(reply, 1, 3) / 10.0);
    r.maxCurr = static_cast<float>(NumberAt(reply, 4, 3) / currScale);
    return r;
}

float ParseLimit(const QString& reply, int scale)
{
    // Digits from the first character up to the separator; anything else reads 0.
    qsizetype end = 0;
    while (end < reply.size() && reply[end] >= u'0' && reply[end] <= u'9')
        ++end;
    // Limits come as three digits: a longer run is a spoilt reply (a stray
    // digit ahead of "360" would read as 936 V) and counts as no answer.
    if (end > 3)
        return 0;
    return static_cast<float>(Numbers::LeadingNumber(reply.left(end)) / scale);
}

float ParseLimitWithin(const QString& reply, int scale, float rating)
{
    const float limit = ParseLimit(reply, scale);
    return limit > rating ? 0.0f : limit;
}

Setpoints ParseGets(const QString& reply, int currScale, const QString& currFormat)
{
    if (reply.size() < 10)
        return { QStringLiteral("0.0"), currFormat };
    return { Numbers::FormatNumber(NumberAt(reply, 1, 3) / 10.0, u"0.0"),
        Numbers::FormatNumber(NumberAt(reply, 4, 3) / currScale, currFormat) };
}

QString CurrentFromHundredths(int hundredths, int currScale, const QString& currFormat)
{
    const long long units = static_cast<long long>(hundredths) * currScale / 100;
    return Numbers::FormatNumber(static_cast<double>(units) / currScale, currFormat);
}

std::optional<Reading> ParseGetd(const QString& reply, int currScale, const QString& currFormat)
{
    if (!GetdAcknowledged(reply))
        return std::nullopt;
    // A reply whose digit fields are not digits would show a wrong value: it
    // counts as no reply at all.
    const QString voltDigits = Mid(reply, 1, 4);
    const QString currDigits = Mid(reply, 5, 4);
    if (!AllDigits(voltDigits) || !AllDigits(currDigits))
        return std::nullopt;
    Reading r;
    r.volt = Numbers::FormatNumber(voltDigits.toInt() / 10.0, u"0.0");
    r.curr = CurrentFromHundredths(currDigits.toInt(), currScale, currFormat);
    r.constantVoltage = Mid(reply, 9, 1) == QLatin1String("0");
    return r;
}

std::optional<std::array<QString, 3>> ParseGetm(const QString& reply)
{
    if (!GetmAcknowledged(reply))
        return std::nullopt;
    return std::array<QString, 3> { Mid(reply, 1, 6), Mid(reply, 8, 6), Mid(reply, 15, 6) };
}

float PresetVoltFromCode(const QString& code)
{
    if (code.size() < 3)
        return 0;
    return static_cast<float>(Numbers::LeadingNumber(code.left(3)) / 10.0);
}

float PresetCurrFromCode(const QString& code, int currScale)
{
    if (code.size() < 6)
        return 0;
    return static_cast<float>(Numbers::LeadingNumber(code.mid(3, 3)) / currScale);
}

} // namespace CommandSet
