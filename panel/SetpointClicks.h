#pragma once

#include <QString>
#include <Qt>

#include <optional>

// What the clicks on the set-point displays `LcdPSetVC(0..1)` see of the window.
struct SetpointState {
    QString setVoltText; // `SetVoltText`
    QString setCurrText; // `SetCurrText`
    float uvl = 0;
    float ucl = 0;
    QString currFormat = QStringLiteral("0.0");
    bool extProgramRunning = false;
};

// Stepping a set-point by clicking its display (left +0.1, right -0.1) and the
// hint that tells which clicks would change it. Index 0 is the voltage
// display, 1 the current display.
namespace SetpointClicks {

// The new set-point text for a released button, or nothing when the click
// changes nothing (limit reached, other button, external program running, bad
// index). A new text means `DragSetPending(index)` is to be raised.
std::optional<QString> Clicked(int index, Qt::MouseButton button, const SetpointState& state);

// Whether a release redraws the display highlighted (always, unless the
// external program runs or the button is neither left nor right).
bool ClickHighlights(Qt::MouseButton button, const SetpointState& state);

// The tool-tip for the mouse over display `index`, or nothing while the
// external program runs.
std::optional<QString> HoverHint(int index, const SetpointState& state);

// Tool-tips the displays carry before the first hover.
QString InitialHint(int index);

} // namespace SetpointClicks
