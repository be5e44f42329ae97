#include "panel/SetpointEntry.h"

#include "core/Captions.h"
#include "core/Numbers.h"

#include <algorithm>
#include <limits>

namespace SetpointEntry {
namespace {

bool VoltageRejected(float v, float uvl)
{
    return v < 1.0f || v > uvl;
}

// Besides the range, a current that rounds to zero in the model's format is
// refused: the box would show it green and the supply would get 0 A.
bool CurrentRejected(float c, float ucl, const QString& currFormat)
{
    return c <= 0.0f || c > ucl
        || Numbers::LeadingNumber(Numbers::FormatSingle(c, currFormat)) <= 0;
}

QString ZeroCurrentText(const QString& currFormat)
{
    return Numbers::FormatSingle(0.0f, currFormat) + u'A';
}

void TakeOver(EntryOutcome& into, const EntryOutcome& from)
{
    into.messages += from.messages;
    into.boxText = from.boxText;
    into.colour = from.colour;
    into.pending = from.pending;
}

EntryOutcome Applied(EntryOutcome checked)
{
    checked.pending
        = checked.pending == PendingChange::Clear ? PendingChange::Clear : PendingChange::Set;
    return checked;
}

} // namespace

float Value(const QString& text)
{
    const double value = Numbers::LeadingNumber(Numbers::FutComma(text));
    constexpr double largest = std::numeric_limits<float>::max();
    return static_cast<float>(std::clamp(value, -largest, largest));
}

QString VoltageMessage(float uvl)
{
    const Captions& c = Captions::English();
    return c.voltage + c.mustBe + QStringLiteral(" 1 - ") + Numbers::ShortestForm(uvl) + u' '
        + c.and_ + QStringLiteral(" 1 ") + c.digitOfPrecision;
}

QString CurrentEnterMessage(float ucl)
{
    const Captions& c = Captions::English();
    return c.current + c.mustBe + QStringLiteral(" 0.01 - ") + Numbers::ShortestForm(ucl) + u' '
        + c.and_ + QStringLiteral(" 2 ") + c.digitOfPrecision;
}

QString CurrentLostFocusMessage(float ucl)
{
    const Captions& c = Captions::English();
    return c.current + c.mustBe + QStringLiteral(" 0.01 - ") + Numbers::ShortestForm(ucl) + u' '
        + c.and_ + QStringLiteral(" 2 digit o precision .");
}

PairCheck KeyReleased(const QString& voltText, const QString& currText, float uvl, float ucl)
{
    const float v = Value(voltText);
    const float c = Value(currText);
    const bool acceptable = v > 0.0f && v <= uvl && c > 0.0f && c <= ucl;
    return { acceptable, acceptable ? EntryColour::Accepted : EntryColour::Black };
}

EntryOutcome VoltageLostFocus(const QString& voltText, float uvl)
{
    const float v = Value(voltText);
    EntryOutcome out;
    if (VoltageRejected(v, uvl)) {
        out.messages << VoltageMessage(uvl);
        out.boxText = QStringLiteral("0.00V");
        out.colour = EntryColour::WindowText;
        out.pending = PendingChange::Clear;
    } else {
        out.boxText = Numbers::FormatSingle(v, u"00.0V");
        out.colour = EntryColour::Accepted;
    }
    return out;
}

EntryOutcome CurrentLostFocus(const QString& currText, float ucl, const QString& currFormat)
{
    const float c = Value(currText);
    EntryOutcome out;
    if (CurrentRejected(c, ucl, currFormat)) {
        out.messages << CurrentLostFocusMessage(ucl);
        out.boxText = currFormat + u'A';
        out.colour = EntryColour::WindowText;
        out.pending = PendingChange::Clear;
    } else {
        out.boxText = Numbers::FormatSingle(c, currFormat) + u'A';
        out.colour = EntryColour::Accepted;
    }
    return out;
}

EntryOutcome ApplyVoltage(const QString& voltText, float uvl)
{
    return Applied(VoltageLostFocus(voltText, uvl));
}

EntryOutcome ApplyCurrent(const QString& currText, float ucl, const QString& currFormat)
{
    return Applied(CurrentLostFocus(currText, ucl, currFormat));
}

EntryOutcome VoltageEnter(
    const QString& voltText, bool voltButtonEnabled, const QString& currText, float uvl)
{
    EntryOutcome out;
    out.boxText = voltText;
    if (VoltageRejected(Value(voltText), uvl)) {
        out.messages << VoltageMessage(uvl);
        out.boxText = QStringLiteral("00.0V");
        out.focus = EntryFocus::SelectAll;
        out.pending = PendingChange::Clear;
    }
    if (voltButtonEnabled) {
        const QString formatted = Numbers::FormatSingle(Value(out.boxText), u"0.0V");
        TakeOver(out, ApplyVoltage(formatted, uvl));
        out.focus = EntryFocus::Keep;
        return out;
    }
    out.focus = Value(currText) == 0.0f ? EntryFocus::MoveToCurrentBox : EntryFocus::SelectAll;
    return out;
}

EntryOutcome CurrentEnter(
    const QString& currText, bool currButtonEnabled, float ucl, const QString& currFormat)
{
    EntryOutcome out;
    out.boxText = currText;
    if (CurrentRejected(Value(currText), ucl, currFormat)) {
        out.messages << CurrentEnterMessage(ucl);
        out.boxText = ZeroCurrentText(currFormat);
        out.pending = PendingChange::Clear;
    }
    if (currButtonEnabled) {
        const QString formatted = Numbers::FormatSingle(Value(out.boxText), currFormat) + u'A';
        TakeOver(out, ApplyCurrent(formatted, ucl, currFormat));
    }
    out.focus = EntryFocus::SelectAll;
    return out;
}

} // namespace SetpointEntry
