#pragma once

#include "panel/SegmentStroke.h"
#include "panel/SpokenRow.h"

#include <QList>
#include <QRgb>
#include <QString>

// What the front panel's seven-segment displays show: the texts prepared for
// the cells and the strokes drawn from them. No widgets here; the window hands
// the strokes to its SegmentDisplay areas.
namespace FrontPanel {

// Voltage or current row of `PD`: up to five characters are padded on the left
// to five; a longer text is rounded to a whole number and padded to four.
QString ReadingRowText(const QString& reading);

struct PowerRow {
    QString rowText; // what the power row draws
    QString powerReading; // `PowerReading`, shortened when it was too long
};

// Power row of `PD`. A text longer than five characters is rewritten with one
// decimal, then as a whole number if still too long; a leading "." gets a "0";
// whole values are padded to four characters, others to five.
PowerRow PowerRowText(const QString& powerReading);

// Set-point row of `LcdPSetVC`: padded on the left to four characters.
QString SetpointRowText(const QString& setpointText);

struct ReadingDisplay {
    QList<SegmentStroke> strokes;
    QString powerReading; // the caller stores it back into `PowerReading`
    QList<SpokenRow> spoken; // voltage, current and power as drawn
};

// `DrawReadingDisplay`: the three rows of `PD`.
ReadingDisplay DrawReadingDisplay(
    const QString& voltReading, const QString& currReading, const QString& powerReading);

// `DrawSetpointDisplay`: the strokes of one `LcdPSetVC` from `SetVoltText` or
// `SetCurrText`; pair it with SetpointForeground for the colour.
QList<SegmentStroke> DrawSetpointDisplay(const QString& setpointText);

// The set-point of display index (0 voltage, 1 current) as a screen reader
// tells it.
SpokenRow SpokenSetpoint(int index, const QString& setpointText);

// Dark red while the mouse is over the display, black otherwise.
QRgb SetpointForeground(bool highlighted);

} // namespace FrontPanel
