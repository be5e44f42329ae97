#include "panel/FrontPanel.h"

#include "core/Numbers.h"
#include "panel/DisplayGeometry.h"
#include "panel/PanelColours.h"
#include "panel/SevenSegment.h"

#include <cmath>

namespace FrontPanel {
namespace {

// A longer text keeps its length: digits past the last cell fall outside.
QString PadLeft(const QString& text, qsizetype width)
{
    return text.rightJustified(width, u' ');
}

// A row as drawn, blanks dropped, with its unit: "  5.0" gives "5.0 V".
SpokenRow Spoken(const QString& name, const QString& rowText, const QString& unit)
{
    return { name, rowText.trimmed() + u' ' + unit };
}

} // namespace

QString ReadingRowText(const QString& reading)
{
    if (reading.size() <= 5)
        return PadLeft(reading, 5);
    return PadLeft(Numbers::FormatNumber(Numbers::LeadingNumber(reading), u"0"), 4);
}

PowerRow PowerRowText(const QString& powerReading)
{
    PowerRow row;
    row.powerReading = powerReading;
    if (row.powerReading.size() > 5) {
        const double value = Numbers::LeadingNumber(row.powerReading);
        row.powerReading = Numbers::FormatNumber(value, u"0.0");
        if (row.powerReading.size() > 5)
            row.powerReading = Numbers::FormatNumber(value, u"0");
    }
    QString text = row.powerReading;
    if (text.startsWith(u'.'))
        text.prepend(u'0');
    const double value = Numbers::LeadingNumber(row.powerReading);
    row.rowText = PadLeft(text, value == std::floor(value) ? 4 : 5);
    return row;
}

QString SetpointRowText(const QString& setpointText)
{
    return PadLeft(setpointText, 4);
}

ReadingDisplay DrawReadingDisplay(
    const QString& voltReading, const QString& currReading, const QString& powerReading)
{
    ReadingDisplay display;
    const PowerRow power = PowerRowText(powerReading);
    display.powerReading = power.powerReading;
    const QString voltRow = ReadingRowText(voltReading);
    const QString currRow = ReadingRowText(currReading);
    display.strokes.reserve(64);
    SevenSegment::AppendRow(display.strokes, voltRow, kPD, kPD.rowTops[0]);
    SevenSegment::AppendRow(display.strokes, currRow, kPD, kPD.rowTops[1]);
    SevenSegment::AppendRow(display.strokes, power.rowText, kPD, kPD.rowTops[2]);
    display.spoken = { Spoken(QStringLiteral("Output voltage"), voltRow, QStringLiteral("V")),
        Spoken(QStringLiteral("Output current"), currRow, QStringLiteral("A")),
        Spoken(QStringLiteral("Output power"), power.rowText, QStringLiteral("W")) };
    return display;
}

QList<SegmentStroke> DrawSetpointDisplay(const QString& setpointText)
{
    return SevenSegment::Row(SetpointRowText(setpointText), kLcdPSetVC, kLcdPSetVC.rowTops[0]);
}

SpokenRow SpokenSetpoint(int index, const QString& setpointText)
{
    if (index == 0)
        return Spoken(QStringLiteral("Voltage set-point"), setpointText, QStringLiteral("V"));
    return Spoken(QStringLiteral("Current set-point"), setpointText, QStringLiteral("A"));
}

QRgb SetpointForeground(bool highlighted)
{
    return highlighted ? PanelColours::kHighlight : PanelColours::kBlack;
}

} // namespace FrontPanel
