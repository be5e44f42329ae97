#include "panel/SetpointEntry.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

using P = PendingChange;
using F = EntryFocus;

TEST(SetpointEntry, ValueReadsCommasLettersAndHugeNumbers)
{
    const struct {
        const char* text;
        float value;
    } cases[] = { { "12,5", 12.5f }, { "12.5V", 12.5f }, { "", 0.0f }, { "abc", 0.0f },
        { "-3", -3.0f }, { " 7", 7.0f }, { "1,2,3", 1.2f }, { "V12", 0.0f } };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(SetpointEntry::Value(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(SetpointEntry::Value(QString(300, u'9')), std::numeric_limits<float>::max());
    EXPECT_EQ(SetpointEntry::Value(u'-' + QString(300, u'9')), -std::numeric_limits<float>::max());
}

// The messages as the user reads them, typos included.
TEST(SetpointEntry, MessagesNameTheLimit)
{
    EXPECT_EQ(
        SetpointEntry::VoltageMessage(30), "Voltage must be 1 - 30 and 1 digit of precision .");
    EXPECT_EQ(SetpointEntry::CurrentEnterMessage(2.5f),
        "Current must be 0.01 - 2.5 and 2 digit of precision .");
    EXPECT_EQ(SetpointEntry::CurrentLostFocusMessage(2.5f),
        "Current must be 0.01 - 2.5 and 2 digit o precision .");
}

// Typing in either box: the apply buttons are on exactly for an acceptable pair.
TEST(SetpointEntry, KeyReleaseChecksThePair)
{
    const struct {
        const char* volt;
        const char* curr;
        float uvl, ucl;
        bool acceptable;
    } cases[] = { { "12.5V", "1.00A", 30, 2.5f, true }, { "0.5", "1", 30, 2.5f, true },
        { "30", "2.5", 30, 2.5f, true }, { "12,5", "2,5", 30, 2.5f, true },
        { "1e9", "1", 30, 2.5f, true }, { "30.1", "1", 30, 2.5f, false },
        { "12", "0", 30, 2.5f, false }, { "0", "1", 30, 2.5f, false },
        { "12", "2.51", 30, 2.5f, false }, { "abc", "1", 30, 2.5f, false },
        { "12", "", 30, 2.5f, false }, { "-5", "1", 30, 2.5f, false },
        { "99999999999999999999", "1", 30, 2.5f, false }, { "5", "1", 0, 0, false } };
    for (const auto& c : cases) {
        const PairCheck check = SetpointEntry::KeyReleased(
            QString::fromLatin1(c.volt), QString::fromLatin1(c.curr), c.uvl, c.ucl);
        EXPECT_EQ(check.acceptable, c.acceptable) << c.volt << " / " << c.curr;
        EXPECT_EQ(check.colour, c.acceptable ? EntryColour::Accepted : EntryColour::Black)
            << c.volt << " / " << c.curr;
    }
}

// Focus leaving a box and its apply button run the same check; only an accepted
// value raises the request, a rejected one clears it and resets the box.
TEST(SetpointEntry, LostFocusAndApply)
{
    const struct {
        bool current;
        const char* text;
        float limit; // UVL or UCL; 0 when the limit queries went unanswered
        const char* format;
        const char* box;
        bool rejected;
    } cases[] = { { false, "12,5", 30, "", "12.5V", false },
        { false, "30", 30, "", "30.0V", false }, { false, "1", 30, "", "01.0V", false },
        { false, "29.96", 30, "", "30.0V", false }, { false, "0.99", 30, "", "0.00V", true },
        { false, "30.01", 30, "", "0.00V", true }, { false, "", 30, "", "0.00V", true },
        { false, "volts", 30, "", "0.00V", true }, { false, "-12", 30, "", "0.00V", true },
        { false, "99999999999999999999", 30, "", "0.00V", true },
        { false, "5", 0, "", "0.00V", true }, { true, "1,25", 2.5f, "0.00", "1.25A", false },
        { true, "2.5", 2.5f, "0.00", "2.50A", false },
        { true, "0.01", 2.5f, "0.00", "0.01A", false },
        { true, "1.25", 2.5f, "0.0", "1.3A", false }, { true, "2.51", 2.5f, "0.00", "0.00A", true },
        { true, "0", 2.5f, "0.00", "0.00A", true }, { true, "", 2.5f, "0.0", "0.0A", true },
        { true, "amps", 2.5f, "0.0", "0.0A", true },
        { true, "0.04", 2.5f, "0.0", "0.0A", true }, // rounds to 0 A in the model's format
        { true, "1", 0, "0.0", "0.0A", true } };
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.current ? "current " : "voltage ") + c.text);
        const QString text = QString::fromLatin1(c.text);
        const QString format = QString::fromLatin1(c.format);
        const EntryOutcome lost = c.current ? SetpointEntry::CurrentLostFocus(text, c.limit, format)
                                            : SetpointEntry::VoltageLostFocus(text, c.limit);
        const EntryOutcome applied = c.current ? SetpointEntry::ApplyCurrent(text, c.limit, format)
                                               : SetpointEntry::ApplyVoltage(text, c.limit);
        const QString message = c.current ? SetpointEntry::CurrentLostFocusMessage(c.limit)
                                          : SetpointEntry::VoltageMessage(c.limit);
        EXPECT_EQ(lost.boxText, QString::fromLatin1(c.box));
        EXPECT_EQ(lost.messages, c.rejected ? QStringList { message } : QStringList {});
        EXPECT_EQ(lost.colour, c.rejected ? EntryColour::WindowText : EntryColour::Accepted);
        EXPECT_EQ(lost.pending, c.rejected ? P::Clear : P::Keep);
        EXPECT_EQ(applied.boxText, lost.boxText);
        EXPECT_EQ(applied.pending, c.rejected ? P::Clear : P::Set);
    }
}

// Enter applies when the apply button is on; otherwise a bad value is reset and
// the focus moves on to an empty current box.
TEST(SetpointEntry, EnterInTheVoltageBox)
{
    const struct {
        const char* volt;
        bool enabled;
        const char* curr;
        int messages;
        const char* box;
        EntryFocus focus;
        PendingChange pending;
    } cases[] = {
        { "12,5", true, "1", 0, "12.5V", F::Keep, P::Set },
        { "5", true, "1", 0, "05.0V", F::Keep, P::Set },
        { "12", false, "0", 0, "12", F::MoveToCurrentBox, P::Keep },
        { "12", false, "0.0A", 0, "12", F::MoveToCurrentBox, P::Keep },
        { "12", false, "9", 0, "12", F::SelectAll, P::Keep },
        { "40", false, "0", 1, "00.0V", F::MoveToCurrentBox, P::Clear },
        { "40", false, "1", 1, "00.0V", F::SelectAll, P::Clear },
        { "", false, "", 1, "00.0V", F::MoveToCurrentBox, P::Clear },
        { "junk", true, "1", 2, "0.00V", F::Keep, P::Clear },
        // Passes the key-release check (the apply button is on), not Enter's.
        { "0.5", true, "1", 2, "0.00V", F::Keep, P::Clear },
    };
    for (const auto& c : cases) {
        const EntryOutcome out = SetpointEntry::VoltageEnter(
            QString::fromLatin1(c.volt), c.enabled, QString::fromLatin1(c.curr), 30);
        EXPECT_EQ(out.messages.size(), c.messages) << c.volt;
        EXPECT_EQ(out.boxText, QString::fromLatin1(c.box)) << c.volt;
        EXPECT_EQ(out.focus, c.focus) << c.volt;
        EXPECT_EQ(out.pending, c.pending) << c.volt;
    }
}

TEST(SetpointEntry, EnterInTheCurrentBox)
{
    const QString enter = SetpointEntry::CurrentEnterMessage(2.5f);
    const QString lost = SetpointEntry::CurrentLostFocusMessage(2.5f);
    const struct {
        const char* curr;
        bool enabled;
        const char* format;
        QStringList messages;
        const char* box;
        PendingChange pending;
    } cases[] = {
        { "1,5", true, "0.00", {}, "1.50A", P::Set },
        { "1.5", false, "0.00", {}, "1.5", P::Keep },
        { "3", false, "0.00", { enter }, "0.00A", P::Clear },
        { "3", true, "0.0", { enter, lost }, "0.0A", P::Clear },
        { "-0.5", true, "0.00", { enter, lost }, "0.00A", P::Clear },
    };
    for (const auto& c : cases) {
        const EntryOutcome out = SetpointEntry::CurrentEnter(
            QString::fromLatin1(c.curr), c.enabled, 2.5f, QString::fromLatin1(c.format));
        EXPECT_EQ(out.messages, c.messages) << c.curr;
        EXPECT_EQ(out.boxText, QString::fromLatin1(c.box)) << c.curr;
        EXPECT_EQ(out.focus, F::SelectAll) << c.curr;
        EXPECT_EQ(out.pending, c.pending) << c.curr;
    }
}

} // namespace
