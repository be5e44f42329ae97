#include "panel/FrontPanel.h"

#include "device/Numbers.h"
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
    display.strokes.reserve(64);
    SevenSegment::AppendRow(display.strokes, ReadingRowText(voltReading), kPD, kPD.rowTops[0]);
    SevenSegment::AppendRow(display.strokes, ReadingRowText(currReading), kPD, kPD.rowTops[1]);
    SevenSegment::AppendRow(display.strokes, power.rowText, kPD, kPD.rowTops[2]);
    return display;
}

QList<SegmentStroke> DrawSetpointDisplay(const QString& setpointText)
{
    return SevenSegment::Row(SetpointRowText(setpointText), kLcdPSetVC, kLcdPSetVC.rowTops[0]);
}

QRgb SetpointForeground(bool highlighted)
{
    return highlighted ? PanelColours::kHighlight : PanelColours::kBlack;
}

} // namespace FrontPanel
