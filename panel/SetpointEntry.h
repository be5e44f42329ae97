#pragma once

#include <QString>
#include <QStringList>

// Text colour of a set-point box after a check.
enum class EntryColour {
    Unchanged,
    Accepted, // green
    Black, // the pair is not acceptable yet
    WindowText, // the system's window-text colour, after a reset
};

// What happens to the focus of the box after Enter.
enum class EntryFocus { Keep, SelectAll, MoveToCurrentBox };

// What the window does with `TextSetPending(i)` after an entry.
enum class PendingChange { Keep, Set, Clear };

// Result of an Enter, apply or lost-focus on `TextSetVC(i)`: the window shows
// the messages in order (OK only), then takes over the rest.
struct EntryOutcome {
    QStringList messages;
    QString boxText;
    EntryColour colour = EntryColour::Unchanged;
    EntryFocus focus = EntryFocus::Keep;
    PendingChange pending = PendingChange::Keep;
};

// Result of a key release in either box: both boxes take the colour, both
// apply buttons (and their toolbars) are enabled exactly when acceptable.
struct PairCheck {
    bool acceptable = false;
    EntryColour colour = EntryColour::Black;
};

// Rules of the two set-point boxes `TextSetVC(0)` (voltage) and `TextSetVC(1)`
// (current). A rejected value is never left pending: the box is reset and the
// window clears the request, so the supply is not sent a value the panel has
// just refused.
namespace SetpointEntry {

// The value of a typed text: decimal comma accepted, leading number read, held
// in single precision (huge values stop at the largest single).
float Value(const QString& text);

PairCheck KeyReleased(const QString& voltText, const QString& currText, float uvl, float ucl);

// Enter in the voltage box. `voltButtonEnabled` is the state of the voltage
// apply button; `currText` the current box, where the focus may move.
EntryOutcome VoltageEnter(
    const QString& voltText, bool voltButtonEnabled, const QString& currText, float uvl);
// Enter in the current box.
EntryOutcome CurrentEnter(
    const QString& currText, bool currButtonEnabled, float ucl, const QString& currFormat);

// The apply buttons (`ToolbarSetVolt`, `ToolbarSetCurr`): request and check.
EntryOutcome ApplyVoltage(const QString& voltText, float uvl);
EntryOutcome ApplyCurrent(const QString& currText, float ucl, const QString& currFormat);

// Focus leaves the box.
EntryOutcome VoltageLostFocus(const QString& voltText, float uvl);
EntryOutcome CurrentLostFocus(const QString& currText, float ucl, const QString& currFormat);

// The message texts, with the limit in its shortest form.
QString VoltageMessage(float uvl);
QString CurrentEnterMessage(float ucl);
QString CurrentLostFocusMessage(float ucl);

} // namespace SetpointEntry
