#pragma once

#include <QString>
#include <QStringView>

// Conversions between numbers and the texts the panel shows, types and sends.
namespace Numbers {

// Lenient leading-number read: leading blanks skipped, an optional sign, digits
// and at most one "." up to the first other character. No number gives 0.
// "12.5V" -> 12.5, "-3" -> -3, "" -> 0, "abc" -> 0.
double LeadingNumber(QStringView text);

// Picture formats: "0", "00", "000", "0.0", "00.0", "0.00", optionally followed
// by a literal unit ("0.0V", "0.00A"). The picture's integer zeros are the
// minimum integer digits, its fraction zeros the exact number of decimals.
// Rounds half away from zero on the value's decimal form: FormatNumber takes a
// double read with 15 significant digits, FormatSingle a single-precision value
// read with 7 (so 1.15f formats with "0.0" as 1.2, not 1.1).
QString FormatNumber(double value, QStringView picture);
QString FormatSingle(float value, QStringView picture);

// Shortest plain decimal form of a single-precision value: up to 7 significant
// digits, no trailing zeros, no exponent. 36 -> "36", 5.1f -> "5.1".
QString ShortestForm(float value);
// The same for a value read with the given significant digits (15 for grid
// texts written to files).
QString ShortestForm(double value, int significantDigits);

// Turns the first "," or "." of a text into "."; the rest is left as it is.
// "12,5" -> "12.5", "1,2,3" -> "1.2,3".
QString FutComma(const QString& text);

// The text with every occurrence of unit removed ("12.5V" without "V").
QString WithoutUnit(const QString& text, QChar unit);

} // namespace Numbers
