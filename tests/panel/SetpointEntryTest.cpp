#include "panel/SetpointEntry.h"

#include "tests/support/QtPrinting.h"

#include <gtest/gtest.h>

namespace {

const QString kVoltMessage30 = QStringLiteral("Voltage must be 1 - 30 and 1 digit of precision .");
const QString kCurrEnterMessage
    = QStringLiteral("Current must be 0.01 - 2.5 and 2 digit of precision .");
const QString kCurrLostFocusMessage
    = QStringLiteral("Current must be 0.01 - 2.5 and 2 digit o precision .");

TEST(SetpointEntryValue, CommaLettersAndHugeNumbers)
{
    const struct {
        const char* text;
        float value;
    } cases[] = { { "12,5", 12.5f }, { "12.5V", 12.5f }, { "", 0.0f }, { "abc", 0.0f },
        { "-3", -3.0f }, { " 7", 7.0f }, { "1,2,3", 1.2f }, { "0.05A", 0.05f }, { "V12", 0.0f } };
    for (const auto& c : cases)
        EXPECT_FLOAT_EQ(SetpointEntry::Value(QString::fromLatin1(c.text)), c.value) << c.text;
    EXPECT_EQ(SetpointEntry::Value(QString(300, u'9')), std::numeric_limits<float>::max());
    EXPECT_EQ(SetpointEntry::Value(u'-' + QString(300, u'9')), -std::numeric_limits<float>::max());
}

TEST(SetpointEntryKeyRelease, PairAcceptability)
{
    const struct {
        const char* volt;
        const char* curr;
        bool acceptable;
    } cases[] = { { "12.5V", "1.00A", true }, { "0.5", "1", true }, { "30", "2.5", true },
        { "30.1", "1", false }, { "12", "0", false }, { "0", "1", false }, { "12", "2.51", false },
        { "abc", "1", false }, { "12", "", false }, { "-5", "1", false }, { "12,5", "2,5", true },
        { "1e9", "1", true }, { "99999999999999999999", "1", false } };
    for (const auto& c : cases) {
        const PairCheck check = SetpointEntry::KeyReleased(
            QString::fromLatin1(c.volt), QString::fromLatin1(c.curr), 30, 2.5f);
        EXPECT_EQ(check.acceptable, c.acceptable) << c.volt << " / " << c.curr;
        EXPECT_EQ(check.colour, c.acceptable ? EntryColour::Accepted : EntryColour::Black)
            << c.volt << " / " << c.curr;
    }
}

TEST(SetpointEntryLostFocus, Voltage)
{
    const struct {
        const char* text;
        const char* box;
        bool rejected;
    } cases[] = { { "5", "05.0V", false }, { "12,5", "12.5V", false }, { "30", "30.0V", false },
        { "1", "01.0V", false }, { "0.99", "0.00V", true }, { "30.01", "0.00V", true },
        { "", "0.00V", true }, { "volts", "0.00V", true }, { "-12", "0.00V", true },
        { "99999999999999999999", "0.00V", true }, { "29.96", "30.0V", false } };
    for (const auto& c : cases) {
        const EntryOutcome out = SetpointEntry::VoltageLostFocus(QString::fromLatin1(c.text), 30);
        EXPECT_EQ(out.boxText, QString::fromLatin1(c.box)) << c.text;
        EXPECT_EQ(out.messages, c.rejected ? QStringList { kVoltMessage30 } : QStringList {})
            << c.text;
        EXPECT_EQ(out.colour, c.rejected ? EntryColour::WindowText : EntryColour::Accepted)
            << c.text;
        EXPECT_EQ(out.pending, c.rejected ? PendingChange::Clear : PendingChange::Keep) << c.text;
    }
}

TEST(SetpointEntryLostFocus, Current)
{
    const struct {
        const char* text;
        const char* format;
        const char* box;
        bool rejected;
    } cases[] = {
        { "1.25", "0.00", "1.25A", false },
        { "1,25", "0.00", "1.25A", false },
        { "2.5", "0.00", "2.50A", false },
        { "0.01", "0.00", "0.01A", false },
        { "2.51", "0.00", "0.00A", true },
        { "0", "0.00", "0.00A", true },
        { "", "0.0", "0.0A", true },
        { "amps", "0.0", "0.0A", true },
        { "-1", "0.0", "0.0A", true },
        { "1.25", "0.0", "1.3A", false },
        // Rounds to zero in the model's format: would be sent as 0 A.
        { "0.04", "0.0", "0.0A", true },
    };
    for (const auto& c : cases) {
        const EntryOutcome out = SetpointEntry::CurrentLostFocus(
            QString::fromLatin1(c.text), 2.5f, QString::fromLatin1(c.format));
        EXPECT_EQ(out.boxText, QString::fromLatin1(c.box)) << c.text;
        EXPECT_EQ(out.messages, c.rejected ? QStringList { kCurrLostFocusMessage } : QStringList {})
            << c.text;
        EXPECT_EQ(out.colour, c.rejected ? EntryColour::WindowText : EntryColour::Accepted)
            << c.text;
    }
}

TEST(SetpointEntryApply, RaisesTheRequestOnlyForAcceptedValues)
{
    const EntryOutcome good = SetpointEntry::ApplyVoltage(QStringLiteral("12.5V"), 30);
    EXPECT_EQ(good.pending, PendingChange::Set);
    EXPECT_EQ(good.boxText, QStringLiteral("12.5V"));

    const EntryOutcome bad = SetpointEntry::ApplyVoltage(QStringLiteral("31"), 30);
    EXPECT_EQ(bad.pending, PendingChange::Clear);
    EXPECT_EQ(bad.boxText, QStringLiteral("0.00V"));

    EXPECT_EQ(
        SetpointEntry::ApplyCurrent(QStringLiteral("1.5"), 2.5f, QStringLiteral("0.00")).pending,
        PendingChange::Set);
    EXPECT_EQ(
        SetpointEntry::ApplyCurrent(QStringLiteral("x"), 2.5f, QStringLiteral("0.00")).pending,
        PendingChange::Clear);
}

TEST(SetpointEntryEnter, VoltageCases)
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
        { "12,5", true, "1", 0, "12.5V", EntryFocus::Keep, PendingChange::Set },
        { "5", true, "1", 0, "05.0V", EntryFocus::Keep, PendingChange::Set },
        { "12", false, "0", 0, "12", EntryFocus::MoveToCurrentBox, PendingChange::Keep },
        { "12", false, "0.0A", 0, "12", EntryFocus::MoveToCurrentBox, PendingChange::Keep },
        { "12", false, "9", 0, "12", EntryFocus::SelectAll, PendingChange::Keep },
        { "40", false, "0", 1, "00.0V", EntryFocus::MoveToCurrentBox, PendingChange::Clear },
        { "40", false, "1", 1, "00.0V", EntryFocus::SelectAll, PendingChange::Clear },
        { "", false, "", 1, "00.0V", EntryFocus::MoveToCurrentBox, PendingChange::Clear },
        { "junk", true, "1", 2, "0.00V", EntryFocus::Keep, PendingChange::Clear },
        // Passes the key-release check (the apply button is on), not Enter's.
        { "0.5", true, "1", 2, "0.00V", EntryFocus::Keep, PendingChange::Clear },
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

TEST(SetpointEntryEnter, CurrentCases)
{
    const struct {
        const char* curr;
        bool enabled;
        const char* format;
        QStringList messages;
        const char* box;
        PendingChange pending;
    } cases[] = {
        { "1,5", true, "0.00", {}, "1.50A", PendingChange::Set },
        { "1.5", false, "0.00", {}, "1.5", PendingChange::Keep },
        { "3", false, "0.00", { kCurrEnterMessage }, "0.00A", PendingChange::Clear },
        { "3", true, "0.0", { kCurrEnterMessage, kCurrLostFocusMessage }, "0.0A",
            PendingChange::Clear },
        { "-0.5", true, "0.00", { kCurrEnterMessage, kCurrLostFocusMessage }, "0.00A",
            PendingChange::Clear },
    };
    for (const auto& c : cases) {
        const EntryOutcome out = SetpointEntry::CurrentEnter(
            QString::fromLatin1(c.curr), c.enabled, 2.5f, QString::fromLatin1(c.format));
        EXPECT_EQ(out.messages, c.messages) << c.curr;
        EXPECT_EQ(out.boxText, QString::fromLatin1(c.box)) << c.curr;
        EXPECT_EQ(out.focus, EntryFocus::SelectAll) << c.curr;
        EXPECT_EQ(out.pending, c.pending) << c.curr;
    }
}

TEST(SetpointEntryEnter, NoLimitsRejectEverything)
{
    // Unanswered limit queries leave UVL and UCL at 0.
    EXPECT_EQ(
        SetpointEntry::VoltageLostFocus(QStringLiteral("5"), 0).pending, PendingChange::Clear);
    EXPECT_EQ(
        SetpointEntry::CurrentLostFocus(QStringLiteral("1"), 0, QStringLiteral("0.0")).pending,
        PendingChange::Clear);
    EXPECT_FALSE(
        SetpointEntry::KeyReleased(QStringLiteral("5"), QStringLiteral("1"), 0, 0).acceptable);
}

} // namespace
