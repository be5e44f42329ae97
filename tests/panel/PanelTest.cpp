#include "panel/DisplayGeometry.h"
#include "panel/FrontPanel.h"
#include "panel/OutputSwitch.h"
#include "panel/PanelColours.h"
#include "panel/SegmentDisplay.h"
#include "panel/SetpointClicks.h"
#include "panel/SetpointEntry.h"
#include "panel/SettingTab.h"
#include "panel/SevenSegment.h"
#include "tests/support/QtPrinting.h"

#include <QTest>

#include <cctype>
#include <gtest/gtest.h>

namespace {

using P = PendingChange;
using F = EntryFocus;
constexpr auto L = Qt::LeftButton;
constexpr auto R = Qt::RightButton;
const std::optional<QString> kNone;

SetpointState State(
    const char* v, const char* c, float uvl = 30, float ucl = 2.5f, const char* f = "0.00")
{
    return { .setVoltText = v, .setCurrText = c, .uvl = uvl, .ucl = ucl, .currFormat = f };
}

} // namespace

// Rows in place; digits inside their cells, no two alike; a comma as a point; others no cell.
TEST(FrontPanel, RowsGlyphsSwitchAndPainting)
{
    const std::pair<const char*, const char*> readings[]
        = { { "12.34", "12.34" }, { "123.45", " 123" }, { "5.0", "  5.0" },
              { "1234567", "1234567" }, { "abcdef", "   0" }, { "999.99", "1000" } };
    for (const auto& [reading, row] : readings)
        EXPECT_EQ(FrontPanel::ReadingRowText(reading), row) << reading;
    EXPECT_EQ(FrontPanel::SetpointRowText("5.0") + FrontPanel::SetpointRowText({}), " 5.0    ");
    // {power reading, its row, the reading rewritten}
    const std::tuple<const char*, const char*, const char*> powers[] = { { "60", "  60", "60" },
        { ".5", "  0.5", ".5" }, { "15.4", " 15.4", "15.4" }, { "12.345", " 12.3", "12.3" },
        { "1234.5", "1235", "1235" }, { "", "    ", "" }, { "abcdefg", " 0.0", "0.0" } };
    for (const auto& [power, row, rewritten] : powers) {
        const FrontPanel::PowerRow out = FrontPanel::PowerRowText(power);
        EXPECT_EQ(out.rowText + "|" + out.powerReading, QString(row) + "|" + rewritten) << power;
    }
    const auto drawn = FrontPanel::DrawReadingDisplay("88.8", "20.57", "1234.2");
    EXPECT_EQ(drawn.strokes,
        SevenSegment::Row(u" 88.8", kPD, 1) + SevenSegment::Row(u"20.57", kPD, 19)
            + SevenSegment::Row(u"1234", kPD, 37));
    EXPECT_EQ(drawn.powerReading, "1234");
    for (const SegmentStroke& s : drawn.strokes)
        EXPECT_TRUE(kPD.userSpace.contains(s.from) && kPD.userSpace.contains(s.to));
    EXPECT_EQ(FrontPanel::DrawSetpointDisplay("5.0"), SevenSegment::Row(u" 5.0", kLcdPSetVC, 1));
    const QRectF cell(10, 20, 5, 10);
    QList<QList<SegmentStroke>> seen;
    for (const QChar digit : QStringLiteral("0123456789")) {
        const QList<SegmentStroke> glyph = SevenSegment::Glyph(digit, QPointF(10, 20), 5);
        EXPECT_FALSE(glyph.isEmpty() || seen.contains(glyph)) << digit.toLatin1();
        for (const SegmentStroke& s : glyph)
            EXPECT_TRUE(cell.contains(s.from) && cell.contains(s.to)) << digit.toLatin1();
        seen << glyph;
    }
    for (const QChar c : QStringLiteral(" .,-+eE/:aZ\u00e9\u0660"))
        EXPECT_TRUE(SevenSegment::Glyph(c, QPointF(0, 0), 5).isEmpty()) << int(c.unicode());
    const std::pair<const char16_t*, const char16_t*> alike[]
        = { { u"1,5", u"1.5" }, { u"1x-2", u"12" }, { u"    ", u"" } };
    for (const auto& [text, drawnAs] : alike)
        EXPECT_EQ(SevenSegment::Row(text, kPD, 19), SevenSegment::Row(drawnAs, kPD, 19))
            << QString::fromUtf16(text).toStdString();
    EXPECT_TRUE(SevenSegment::Row(u"", kPD, 1).isEmpty());
    const QString garbage = QString(5000, u'8') + QString(5000, u'.') + QString(QChar(u'\0'))
        + QStringLiteral("\t\r\n");
    EXPECT_EQ(SevenSegment::Row(garbage, kPD, 1).size(), 5000 * 2 + 5000);

    // Switch events from power-up: h hover (H while the external program runs: nothing), c clear
    // it, 0/1 the polling tick's off/on (mouse still over), o/i a program step's off/on (plain).
    using S = SwitchPicture;
    const std::pair<const char*, SwitchPicture> cases[]
        = { { "", S::On }, { "hh", S::OnHovered }, { "hcc", S::On }, { "01ch", S::OnHovered },
              { "0ch", S::OffHovered }, { "0chc", S::Off }, { "h0", S::OffHovered },
              { "h01", S::OnHovered }, { "H", S::On }, { "o", S::Off }, { "oi", S::On } };
    for (const auto& [events, picture] : cases) {
        SCOPED_TRACE(events);
        OutputSwitch sw;
        for (const char* e = events; *e; ++e)
            *e == 'c'                     ? sw.clearHover()
                : std::tolower(*e) == 'h' ? sw.hover(*e == 'H')
                : std::isdigit(*e)        ? sw.switched(*e == '1')
                                          : sw.shows(*e == 'i');
        const bool hovered = picture == S::OnHovered || picture == S::OffHovered;
        EXPECT_EQ(std::tuple(sw.picture(), sw.isOn(), sw.labelColour()),
            std::tuple(picture, picture == S::On || picture == S::OnHovered,
                hovered ? PanelColours::kHighlight : PanelColours::kBlack));
    }
    EXPECT_TRUE(!OutputSwitch::clickRequestsToggle(true) // not while a program runs
        && OutputSwitch::clickRequestsToggle(false));

    // Digits painted in the foreground, new strokes replacing the old; odd sizes do not crash.
    SegmentDisplay display(kLcdPSetVC.userSpace);
    display.resize(180, 80);
    display.setStrokes(FrontPanel::DrawSetpointDisplay("8.8"));
    display.setStrokes(FrontPanel::DrawSetpointDisplay("1.0"));
    display.setForeground(QColor(PanelColours::kHighlight));
    const QImage image = display.grab().toImage();
    const auto at = [&](double x, double y) { // a point of the display's user space
        return image.pixel(static_cast<int>(x * 180 / kLcdPSetVC.userSpace.width()),
            static_cast<int>(y * 80 / kLcdPSetVC.userSpace.height()));
    };
    // The 1 (right side of cell two), the dot before cell three; the empty first cell, the 8's top.
    EXPECT_EQ(QList<QRgb>({ at(10, 4), at(13 - 1.7, 7), at(2.5, 4), at(8.5, 1) }),
        QList<QRgb>({ PanelColours::kHighlight, PanelColours::kHighlight,
            PanelColours::kLcdBackground, PanelColours::kLcdBackground }));

    SegmentDisplay reading(kPD.userSpace), degenerate { QRectF() };
    reading.setStrokes(FrontPanel::DrawReadingDisplay("88.88", "88.88", "88.88").strokes);
    degenerate.setStrokes(FrontPanel::DrawSetpointDisplay("1.0"));
    for (const QSize size : { QSize(0, 0), QSize(1, 1), QSize(3, 200), QSize(2000, 2) }) {
        reading.resize(size);
        EXPECT_EQ(reading.grab().size(), size);
    }
    degenerate.resize(20, 20);
    EXPECT_EQ(degenerate.grab().toImage().pixel(10, 10), PanelColours::kLcdBackground);
}

// A click steps 0.1 within 1 V .. UVL or 0.1 A .. UCL, never past a (lowered) limit; hints match.
TEST(Setpoints, ClickStepsHintsKeysFocusEnterAndSettings)
{
    // {0 voltage / 1 current, display, limit, current format, button, new display}
    const std::tuple<int, const char*, float, const char*, Qt::MouseButton, std::optional<QString>>
        cases[] = { { 0, "5.0", 30, "", L, "5.1" }, { 0, "29.9", 30, "", L, "30.0" },
            { 0, "30.0", 30, "", L, kNone }, { 0, "30.0", 30, "", R, "29.9" },
            { 0, "1.0", 30, "", R, kNone }, { 0, "25.0", 12.5f, "", R, "12.5" },
            { 0, "5.0", 30, "", Qt::MiddleButton, kNone }, { 1, "1.00", 2.5f, "0.00", L, "1.10" },
            { 1, "2.45", 2.5f, "0.00", L, "2.50" }, { 1, "2.50", 2.5f, "0.00", L, kNone },
            { 1, "0.10", 2.5f, "0.00", R, kNone }, { 1, "0.15", 2.5f, "0.00", R, "0.05" },
            { 1, "1.0", 2.5f, "0.0", R, "0.9" }, { 1, "3.0", 2.5f, "0.0", L, "2.5" } };
    for (const auto& [index, text, limit, format, button, result] : cases) {
        const SetpointState state
            = index == 0 ? State(text, "1.00", limit) : State("5.0", text, 30, limit, format);
        EXPECT_EQ(SetpointClicks::Clicked(index, button, state), result)
            << index << " " << text << " limit " << limit << " button " << button;
    }
    const QString up = "Left Click +0.1", down = "Right Click -0.1", both = up + " , " + down;
    const std::tuple<int, const char*, const char*, QString> hints[]
        = { { 0, "1.0", "1.00", up }, { 0, "1.1", "1.00", both }, { 0, "30.0", "1.00", down },
              { 0, "30.5", "1.00", "Right Click = UVL" }, { 1, "5.0", "0.10", up },
              { 1, "5.0", "0.11", both }, { 1, "5.0", "2.50", down } };
    for (const auto& [index, volt, curr, hint] : hints)
        EXPECT_EQ(SetpointClicks::HoverHint(index, State(volt, curr)), hint)
            << index << " " << volt << " " << curr;
    // Nothing while the external program runs or on a bad index.
    SetpointState running = State("5.0", "1.00"), idle = running;
    running.extProgramRunning = true;
    namespace C = SetpointClicks;
    EXPECT_EQ(std::tuple(C::Clicked(1, R, running), C::HoverHint(0, running),
                  C::ClickHighlights(L, running), C::ClickHighlights(R, idle)),
        std::tuple(kNone, kNone, false, true));
    for (const int index : { -1, 2 })
        EXPECT_EQ(std::pair(C::Clicked(index, L, idle), C::HoverHint(index, idle)),
            std::pair(kNone, kNone))
            << index;

    // The typed value; the apply buttons, focus and Enter.
    EXPECT_FLOAT_EQ(SetpointEntry::Value("12,5"), 12.5f);
    EXPECT_EQ(SetpointEntry::Value(QString(300, u'9')), std::numeric_limits<float>::max());
    EXPECT_EQ(SetpointEntry::Value(u'-' + QString(300, u'9')), -std::numeric_limits<float>::max());
    // Typing in either box: the apply buttons are on exactly for an acceptable pair.
    const std::tuple<const char*, const char*, float, float, bool> pairs[]
        = { { "12.5V", "1.00A", 30, 2.5f, true }, { "0.5", "1", 30, 2.5f, true },
              { "30", "2.5", 30, 2.5f, true }, { "30.1", "1", 30, 2.5f, false },
              { "12", "0", 30, 2.5f, false }, { "0", "1", 30, 2.5f, false },
              { "12", "2.51", 30, 2.5f, false }, { "5", "1", 0, 0, false } };
    for (const auto& [volt, curr, uvl, ucl, acceptable] : pairs) {
        const PairCheck check = SetpointEntry::KeyReleased(volt, curr, uvl, ucl);
        EXPECT_EQ(std::pair(check.acceptable, check.colour),
            std::pair(acceptable, acceptable ? EntryColour::Accepted : EntryColour::Black))
            << volt << " / " << curr;
    }

    // Leaving a box and its apply button: one check; a rejected value clears the request and box.
    // {current box, text, UVL or UCL (0: the limit queries went unanswered), format, box after}
    const std::tuple<bool, const char*, float, const char*, const char*, bool> boxes[]
        = { { false, "12,5", 30, "", "12.5V", false }, { false, "30", 30, "", "30.0V", false },
              { false, "1", 30, "", "01.0V", false }, { false, "29.96", 30, "", "30.0V", false },
              { false, "0.99", 30, "", "0.00V", true }, { false, "30.01", 30, "", "0.00V", true },
              { false, "volts", 30, "", "0.00V", true }, { false, "5", 0, "", "0.00V", true },
              { true, "1,25", 2.5f, "0.00", "1.25A", false },
              { true, "2.5", 2.5f, "0.00", "2.50A", false },
              { true, "0.01", 2.5f, "0.00", "0.01A", false },
              { true, "1.25", 2.5f, "0.0", "1.3A", false },
              { true, "2.51", 2.5f, "0.00", "0.00A", true },
              { true, "amps", 2.5f, "0.0", "0.0A", true },
              { true, "0.04", 2.5f, "0.0", "0.0A", true }, // rounds to 0 A in the model's format
              { true, "1", 0, "0.0", "0.0A", true } };
    for (const auto& [current, text, limit, format, box, rejected] : boxes) {
        SCOPED_TRACE(std::string(current ? "current " : "voltage ") + text);
        const EntryOutcome lost = current ? SetpointEntry::CurrentLostFocus(text, limit, format)
                                          : SetpointEntry::VoltageLostFocus(text, limit);
        const EntryOutcome applied = current ? SetpointEntry::ApplyCurrent(text, limit, format)
                                             : SetpointEntry::ApplyVoltage(text, limit);
        const QString message = current ? SetpointEntry::CurrentLostFocusMessage(limit)
                                        : SetpointEntry::VoltageMessage(limit);
        EXPECT_EQ(std::tuple(lost.boxText, lost.messages, lost.colour, lost.pending,
                      applied.boxText, applied.pending),
            std::tuple(QString(box), rejected ? QStringList { message } : QStringList {},
                rejected ? EntryColour::WindowText : EntryColour::Accepted,
                rejected ? P::Clear : P::Keep, QString(box), rejected ? P::Clear : P::Set));
    }

    // Enter applies when the button is on, else resets a bad value; focus on to an empty current
    // box ("0.5" passes key release, not Enter). {text, on, current, messages, box, focus, request}
    const std::tuple<const char*, bool, const char*, qsizetype, const char*, EntryFocus,
        PendingChange>
        voltages[] = { { "12,5", true, "1", 0, "12.5V", F::Keep, P::Set },
            { "12", false, "9", 0, "12", F::SelectAll, P::Keep },
            { "40", false, "0", 1, "00.0V", F::MoveToCurrentBox, P::Clear },
            { "", false, "", 1, "00.0V", F::MoveToCurrentBox, P::Clear },
            { "0.5", true, "1", 2, "0.00V", F::Keep, P::Clear } };
    for (const auto& [volt, enabled, curr, messages, box, focus, pending] : voltages) {
        const EntryOutcome out = SetpointEntry::VoltageEnter(volt, enabled, curr, 30);
        EXPECT_EQ(std::tuple(out.messages.size(), out.boxText, out.focus, out.pending),
            std::tuple(messages, QString(box), focus, pending))
            << volt;
    }
    // In the current box the focus stays.
    const QString enter = SetpointEntry::CurrentEnterMessage(2.5f);
    const QString lost = SetpointEntry::CurrentLostFocusMessage(2.5f);
    const std::tuple<const char*, bool, const char*, QStringList, const char*, PendingChange>
        currents[] = { { "1,5", true, "0.00", {}, "1.50A", P::Set },
            { "1.5", false, "0.00", {}, "1.5", P::Keep },
            { "3", false, "0.00", { enter }, "0.00A", P::Clear },
            { "3", true, "0.0", { enter, lost }, "0.0A", P::Clear } };
    for (const auto& [curr, enabled, format, messages, box, pending] : currents) {
        const EntryOutcome out = SetpointEntry::CurrentEnter(curr, enabled, 2.5f, format);
        EXPECT_EQ(std::tuple(out.messages, out.boxText, out.focus, out.pending),
            std::tuple(messages, QString(box), F::SelectAll, pending))
            << curr;
    }

    // Settings: sampling entries, ports and limits.
    const QStringList entries = SettingTab::SamplingEntries();
    for (int i = 0; i < entries.size(); ++i) // each entry reads back as its own index
        EXPECT_EQ(
            SettingTab::SamplingIndex(SettingTab::SamplingSeconds(entries[i]).value_or(0)), i);
    for (const char* text : { "", "S", "0S", "4S", "-3S", "abc", "2.5S", "99999999999S", "61S" })
        EXPECT_EQ(SettingTab::SamplingSeconds(text), std::nullopt) << text;
    EXPECT_FALSE(SettingTab::SamplingIndex(4) || SettingTab::SamplingIndex(0));
    // The port number from the fourth character on.
    const std::pair<const char*, std::optional<int>> ports[] = { { "Com3", 3 }, { "Com12", 12 },
        { "Com", {} }, { "Com0", {} }, { "Com2.5", {} }, { "Com99999999999", {} } };
    for (const auto& [entry, port] : ports)
        EXPECT_EQ(SettingTab::PortNumber(entry), port) << entry;

    // A typed limit is brought into 1 (0.1 A) .. rating, as sent and shown; the check reads the
    // number the result shows (36,5 is above 36); beyond any number is none, so the lowest.
    const std::tuple<bool, QString, float, const char*> limits[] = { { false, "12,5", 36, "12.5V" },
        { false, "0.5", 36, "1V" }, { false, "1", 36, "1V" }, { false, "40", 36, "36V" },
        { false, "36", 36, "36V" }, { false, "30.00", 36, "30V" }, { false, "36,5", 36, "36V" },
        { false, "5", 0, "0V" }, { false, QString(4000, u'9'), 36, "1V" },
        { true, "2,5", 5.1f, "2.5A" }, { true, "0.05", 5.1f, "0.1A" }, { true, "6", 5.1f, "5.1A" },
        { true, "1.25A", 2.5f, "1.25A" } };
    for (const auto& [current, text, rating, result] : limits) {
        EXPECT_EQ(current ? SettingTab::NormaliseCurrentLimit(text, rating)
                          : SettingTab::NormaliseVoltageLimit(text, rating),
            QString(result))
            << text.left(30).toStdString() << " rating " << rating;
    }
    EXPECT_FLOAT_EQ(SettingTab::VoltageLimitValue("V12,5V"), 12.5f);
    EXPECT_FLOAT_EQ(SettingTab::CurrentLimitValue("2.5A"), 2.5f);
    EXPECT_EQ(SettingTab::VoltageLimitValue(QString(300, u'9')), std::numeric_limits<float>::max());
}
