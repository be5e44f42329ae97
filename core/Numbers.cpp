#include "core/Numbers.h"

#include <charconv>
#include <cmath>
#include <string>

namespace Numbers {
namespace {

// A non-negative decimal number as a digit string with the decimal point after
// the first `point` digits (point may be <= 0 or beyond the digits).
struct Decimal {
    std::string digits;
    int point = 1;
    bool negative = false;
};

Decimal ToDecimal(double value, int significantDigits)
{
    Decimal d;
    if (!std::isfinite(value) || value == 0.0) {
        d.digits.assign(1, '0');
        return d;
    }
    d.negative = value < 0;
    char buf[64];
    const auto res = std::to_chars(buf, buf + sizeof buf, std::fabs(value),
        std::chars_format::scientific, significantDigits - 1);
    const std::string text(buf, res.ptr);
    const auto e = text.find('e');
    for (std::size_t i = 0; i < e; ++i) {
        if (text[i] >= '0' && text[i] <= '9')
            d.digits += text[i];
    }
    d.point = std::stoi(text.substr(e + 1)) + 1;
    return d;
}

struct Picture {
    int minIntegerDigits = 1;
    int decimals = 0;
    QString suffix;
};

Picture ParsePicture(QStringView picture)
{
    Picture p;
    int i = 0;
    int zeros = 0;
    while (i < picture.size() && picture[i] == u'0') {
        ++zeros;
        ++i;
    }
    if (i < picture.size() && picture[i] == u'.') {
        ++i;
        while (i < picture.size() && picture[i] == u'0') {
            ++p.decimals;
            ++i;
        }
    }
    p.minIntegerDigits = zeros > 0 ? zeros : 1;
    p.suffix = picture.mid(i).toString();
    return p;
}

QString Format(Decimal d, QStringView pictureText)
{
    const Picture pic = ParsePicture(pictureText);
    if (d.point < 1) {
        d.digits.insert(0, static_cast<std::size_t>(1 - d.point), '0');
        d.point = 1;
    }
    const std::size_t keep
        = static_cast<std::size_t>(d.point) + static_cast<std::size_t>(pic.decimals);
    while (d.digits.size() < keep + 1)
        d.digits += '0';
    const bool roundUp = d.digits[keep] >= '5';
    d.digits.resize(keep);
    if (roundUp) {
        int i = static_cast<int>(keep) - 1;
        while (i >= 0 && d.digits[static_cast<std::size_t>(i)] == '9') {
            d.digits[static_cast<std::size_t>(i)] = '0';
            --i;
        }
        if (i >= 0) {
            ++d.digits[static_cast<std::size_t>(i)];
        } else {
            d.digits.insert(d.digits.begin(), '1');
            ++d.point;
        }
    }
    std::string integer = d.digits.substr(0, static_cast<std::size_t>(d.point));
    const std::string fraction = d.digits.substr(static_cast<std::size_t>(d.point));
    const std::size_t firstSignificant = integer.find_first_not_of('0');
    integer.erase(0, firstSignificant == std::string::npos ? integer.size() : firstSignificant);
    if (integer.size() < static_cast<std::size_t>(pic.minIntegerDigits))
        integer.insert(0, static_cast<std::size_t>(pic.minIntegerDigits) - integer.size(), '0');
    const bool isZero = d.digits.find_first_not_of('0') == std::string::npos;
    QString out;
    if (d.negative && !isZero)
        out += u'-';
    out += QString::fromLatin1(integer.data(), static_cast<qsizetype>(integer.size()));
    if (pic.decimals > 0) {
        out += u'.';
        out += QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
    }
    out += pic.suffix;
    return out;
}

} // namespace

double LeadingNumber(QStringView text)
{
    qsizetype i = 0;
    while (i < text.size() && (text[i] == u' ' || text[i] == u'\t'))
        ++i;
    QString number;
    if (i < text.size() && (text[i] == u'-' || text[i] == u'+')) {
        number += text[i];
        ++i;
    }
    bool seenDot = false;
    bool seenDigit = false;
    for (; i < text.size(); ++i) {
        const QChar c = text[i];
        if (c >= u'0' && c <= u'9') {
            number += c;
            seenDigit = true;
        } else if (c == u'.' && !seenDot) {
            number += c;
            seenDot = true;
        } else {
            break;
        }
    }
    if (!seenDigit)
        return 0.0;
    bool ok = false;
    const double value = number.toDouble(&ok); // QString::toDouble is locale independent
    return ok && std::isfinite(value) ? value : 0.0;
}

QString FormatNumber(double value, QStringView picture)
{
    return Format(ToDecimal(value, 15), picture);
}

QString FormatSingle(float value, QStringView picture)
{
    return Format(ToDecimal(static_cast<double>(value), 7), picture);
}

QString ShortestForm(float value)
{
    return ShortestForm(static_cast<double>(value), 7);
}

QString ShortestForm(double value, int significantDigits)
{
    Decimal d = ToDecimal(value, significantDigits);
    if (d.point < 1) {
        d.digits.insert(0, static_cast<std::size_t>(1 - d.point), '0');
        d.point = 1;
    }
    while (d.digits.size() < static_cast<std::size_t>(d.point))
        d.digits += '0';
    std::string integer = d.digits.substr(0, static_cast<std::size_t>(d.point));
    std::string fraction = d.digits.substr(static_cast<std::size_t>(d.point));
    while (!fraction.empty() && fraction.back() == '0')
        fraction.pop_back();
    const auto firstSignificant = integer.find_first_not_of('0');
    integer = firstSignificant == std::string::npos ? "0" : integer.substr(firstSignificant);
    QString out;
    if (d.negative && (integer != "0" || !fraction.empty()))
        out += u'-';
    out += QString::fromLatin1(integer.data(), static_cast<qsizetype>(integer.size()));
    if (!fraction.empty()) {
        out += u'.';
        out += QString::fromLatin1(fraction.data(), static_cast<qsizetype>(fraction.size()));
    }
    return out;
}

QString FutComma(const QString& text)
{
    for (qsizetype i = 0; i < text.size(); ++i) {
        if (text[i] == u'.' || text[i] == u',')
            return text.left(i) + u'.' + text.mid(i + 1);
    }
    return text;
}

QString WithoutUnit(const QString& text, QChar unit)
{
    QString out = text;
    out.remove(unit);
    return out;
}

} // namespace Numbers
