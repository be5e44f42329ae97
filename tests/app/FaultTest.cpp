// A supply gone silent or with spoilt replies: the panel goes on working, shows no value
// the supply did not send, sends nothing above the limits, and recovers once it answers.

#include "core/Numbers.h"
#include "tests/app/WindowFixture.h"

#include <QFrame>
#include <QSet>

namespace {

// Spoils one command's replies while the rest stay sound, or holds a reply over to the next one.
class MangledLine : public SimTransport {
public:
    using SimTransport::SimTransport;
    std::function<QByteArray(const QByteArray& command, const QByteArray& reply)> mangle;
    QByteArray heldOver;
    void write(const QByteArray& bytes) override
    {
        m_command = bytes.left(4);
        SimTransport::write(bytes);
    }
    QByteArray readAll() override
    {
        const QByteArray reply = SimTransport::readAll();
        return std::exchange(heldOver, {}) + (mangle ? mangle(m_command, reply) : reply);
    }

private:
    QByteArray m_command;
};

// A supply on Com1 and an empty Com3 on the mangled line; the live log is run by hand.
struct FaultHarness : PanelHarness {
    FaultHarness()
        : PanelHarness(false)
    {
        supply = &line.attachSupply(1);
        line.addEmptyPort(3);
        via = &line;
    }
    void logTick()
    {
        QMetaObject::invokeMethod(ui().TimerPVC, "timeout", Qt::DirectConnection);
        ui().TimerPVC->stop();
    }
    // The readings the supply's "GETD" gives now, as the panel shows them.
    std::pair<QString, QString> trueReading(const VirtualSupply& target)
    {
        const VirtualSupply::Reading r = target.reading();
        const int scale = p().currScale;
        return { Numbers::FormatNumber(r.voltDigits / 10.0, u"0.0"),
            Numbers::FormatNumber(
                static_cast<double>(r.ampDigits / (100 / scale)) / scale, p().currFormat) };
    }
    QString trueVolts() { return trueReading(*supply).first; }

    MangledLine line { clock };
};

} // namespace

TEST(FaultTest, SupplySilentInTheMiddleOfPollingIsMarkedAndRecovered)
{
    FaultHarness h;
    ASSERT_TRUE(h.start());
    MessageBoxes boxes;
    h.w().show();
    h.tick();
    auto* lcd = h.find<QFrame>("LCD");
    auto* lamp = h.find<QLabel>("P_Light");
    // The output switch is answered, then the supply stops in the same tick.
    h.w().session().requestOutput(false);
    h.setFaults("silent-after:1");
    h.tick();
    EXPECT_EQ(h.sent().mid(h.sent().size() - 2), QStringList({ "SOUT1", "GETD" }));
    h.tick();
    EXPECT_EQ(QStringList({ h.p().voltReading, h.p().currReading }), QStringList({ "-1", "-1" }));
    EXPECT_FALSE(lamp->isVisible());
    EXPECT_TRUE(lcd->isVisible()) << "the log has no missing sample yet";
    h.logTick();
    EXPECT_EQ(h.s().LogSamples.volts[0], LogSamples::kNoReading);
    h.tick();
    EXPECT_FALSE(lcd->isVisible());
    // Still usable: a typed voltage is kept and repeated, no message.
    PanelHarness::TypeEnter(h.ui().TextSetVC[0], "12");
    h.tick();
    h.tick();
    EXPECT_EQ(h.sent().filter("VOLT").size(), 2);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();
    // Answered again: the voltage goes out, the first reading lights the lamp and the panel.
    h.setFaults("none");
    h.tick();
    EXPECT_EQ(h.supply->setVoltDigits(), 120);
    h.tick();
    EXPECT_TRUE(h.p().voltReading == h.trueVolts() && lamp->isVisible() && lcd->isVisible());
    h.logTick();
    EXPECT_EQ(QString::number(h.s().LogSamples.volts[0]),
        QString::number(Numbers::LeadingNumber(h.p().voltReading)));
}

// The port is changed to a supply that stops answering after n lines of the connection
// (GMAX, GMOD, GOVP, GOCP, SESS, GETS, GETM twice when unanswered, GETD).
TEST(FaultTest, SupplySilentDuringAConnectionFollowsTheFailureRules)
{
    for (int n = 0; n <= 8; ++n) {
        SCOPED_TRACE(n);
        FaultHarness h;
        ASSERT_TRUE(h.start());
        VirtualSupply& second = h.line.attachSupply(3); // after start-up: the search keeps Com1
        MessageBoxes boxes;
        h.w().show();
        h.setFaults(QStringLiteral("silent-after:%1").arg(n), &second);
        h.choosePort("Com3");
        EXPECT_EQ(PanelHarness::Lines(second).first(), "GMAX");
        EXPECT_TRUE(h.p().connected == (n >= 1) && h.w().database()->CommPort() == 3);
        EXPECT_EQ(h.sent().last(), "ENDS") << "the old supply leaves remote mode";
        EXPECT_EQ(h.panel(7) == "No Connection", n == 0) << h.panel(7).toStdString();
        EXPECT_EQ(h.p().uvl, n >= 3 ? 36.0f : 0.0f);
        EXPECT_TRUE(n == 0 || h.p().ucl == (n >= 4 ? 5.1f : 0.0f)) << h.p().ucl;
        EXPECT_EQ(h.w().tableM().dataRows(), n >= 7 ? 3 : 0);
        EXPECT_EQ(h.w().windowTitle() == "Rating: ", n <= 1); // no model code
        // "OK" writes back no limit, read or not; a typed one goes out, its read-back unanswered.
        second.clearReceived();
        h.choosePort("Com3");
        PanelHarness::TypeEnter(h.ui().TextUCL, "2");
        h.choosePort("Com3");
        EXPECT_EQ(PanelHarness::Lines(second),
            n >= 1 ? QStringList({ "SOCP200", "GOCP" }) : QStringList());
        EXPECT_TRUE(n == 0 || h.p().ucl == 0.0f) << h.p().ucl;
        EXPECT_EQ(h.panel(7) == "UVL : 0V , UCL : 0A", n == 1 || n == 2)
            << h.panel(7).toStdString();
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();

        // A set-point goes out only inside the limits the panel could read.
        second.clearReceived();
        PanelHarness::TypeEnter(h.ui().TextSetVC[0], "12");
        h.tick();
        h.tick();
        const QStringList volts = PanelHarness::Lines(second).filter("VOLT");
        for (const QString& line : volts)
            EXPECT_LE(line.mid(4).toInt(), qRound(h.p().uvl * 10)) << line.toStdString();
        EXPECT_TRUE(n >= 3 || volts.isEmpty()) << volts.join(' ').toStdString();

        // Answered again: it reads at once, "OK" sends no unread limit; Com1 is as at start-up.
        h.setFaults("none", &second);
        if (n >= 1) {
            for (int i = 0; i < 3; ++i)
                h.tick();
            EXPECT_EQ(h.p().voltReading, h.trueReading(second).first);
            second.clearReceived();
            h.choosePort("Com3");
            EXPECT_EQ(
                PanelHarness::Lines(second).filter(QRegularExpression("^SO[VC]P")), QStringList());
        }
        h.choosePort("Com1");
        EXPECT_TRUE(h.p().connected && h.p().uvl == 36.0f && h.w().database()->CommPort() == 1);
        EXPECT_EQ(QStringList({ h.panel(7), h.p().voltReading }),
            QStringList({ "UVL : 36V , UCL : 5.1A", h.trueVolts() }));
        EXPECT_EQ(h.w().tableM().dataRows(), 3);
    }
}

namespace {

constexpr int kRatedVoltDigits = 360, kRatedCurrDigits = 510;

using Spoil = std::function<QByteArray(const QByteArray&, MangledLine&)>;
using R = const QByteArray&;
using L = MangledLine&;
const QList<std::pair<const char*, Spoil>> kSpoilers {
    { "garbage",
        [](R r, L) {
            QByteArray bytes = r;
            for (qsizetype i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>(0x80 | (i * 37));
            return bytes;
        } },
    { "truncate", [](R r, L) { return r.left(r.size() / 2); } }, // also a split whose rest is lost
    { "prefix", [](R r, L) { return '\xff' + r; } },
    { "prefix digit", [](R r, L) { return '9' + r; } },
    { "prefix OK", [](R r, L) { return "OK" + r; } },
    { "late", [](R r, L line) { return std::exchange(line.heldOver, r), QByteArray(); } },
    { "split late",
        [](R r, L line) {
            line.heldOver = r.mid(r.size() / 2);
            return r.left(r.size() / 2);
        } },
    { "long tail", [](R r, L) { return r + QByteArray(64 * 1024, '7'); } },
    { "long digits", [](R, L) { return QByteArray(100000, '9') + "\rOK\r"; } },
    { "long OK", [](R, L) { return QByteArray(1 << 20, 'O'); } },
    { "only OK", [](R, L) { return QByteArray("OKOKOKOKOKOKOKOKOKOKOKOK"); } },
};

const QStringList kCommands { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "GETD",
    "VOLT", "CURR", "SOUT", "SEVC", "PROM", "RUNM", "SOVP", "SOCP" };

// Polls, new limits, set-points typed and clicked, the output, a run, presets; what went wrong.
QStringList RunSession(const std::function<void(FaultHarness&)>& prepare)
{
    FaultHarness h;
    prepare(h);
    if (!h.start())
        return { "start-up failed: " + h.startError };
    QStringList problems;
    QSet<QString> volts, amps;
    const auto collect = [&] {
        const auto [v, c] = h.trueReading(*h.supply);
        volts.insert(v);
        amps.insert(c);
    };
    // A tick; the reading shown must be one the supply gave before or after it.
    const auto tick = [&] {
        collect();
        h.tick();
        collect();
        const QString v = h.p().voltReading, c = h.p().currReading;
        if (!(v == u"-1" && c == u"-1") && !(v.isEmpty() && c.isEmpty())
            && (!volts.contains(v) || !amps.contains(c)))
            problems << QStringLiteral("reading %1 V %2 A was never sent").arg(v, c);
    };
    // Limits and model as the supply's own: a late reply to one command is not another's answer.
    const auto checkLimits = [&] {
        const SupplyState& p = h.p();
        if (p.uvl * 10 > kRatedVoltDigits + 0.01f || p.ucl * p.currScale > kRatedCurrDigits + 0.01f
            || p.uvl > p.maxVolt || p.ucl > p.maxCurr)
            problems << QString::asprintf(
                "limits %g V %g A, rating %g V %g A", p.uvl, p.ucl, p.maxVolt, p.maxCurr);
        if (!p.modelCode.isEmpty() && p.modelCode != h.supply->model().code)
            problems << "model code " + p.modelCode;
    };
    MessageBoxes boxes;
    h.w().show();
    checkLimits();
    tick();
    tick();
    h.ui().Tab1->setCurrentIndex(4); // new limits, within the rating
    PanelHarness::TypeEnter(h.ui().TextUVL, "20");
    PanelHarness::TypeEnter(h.ui().TextUCL, "2");
    h.choosePort("Com1");
    checkLimits();
    h.ui().Tab1->setCurrentIndex(1); // set-points typed near the limits, clicked up
    PanelHarness::TypeEnter(h.ui().TextSetVC[0], "19.9");
    tick();
    PanelHarness::TypeEnter(h.ui().TextSetVC[1], "1.99");
    tick();
    for (int i = 0; i < 3; ++i) {
        for (SegmentDisplay* display : h.ui().LcdPSetVC)
            QTest::mouseClick(display, Qt::LeftButton);
        tick();
    }
    h.w().session().requestOutput(false);
    tick();
    ProgramTable& etp = h.w().tableE(); // two steps, one of them above the limits
    if (etp.dataRows() >= 3) {
        for (const auto& [row, column, text] : { std::tuple { 1, 1, "30.0" }, { 1, 2, "4.00" },
                 { 1, 4, "05" }, { 2, 1, "15.0" }, { 2, 4, "05" }, { 3, 3, "00" }, { 3, 4, "00" } })
            etp.setCell(row, column, text);
        h.w().stepGrid().check();
        QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
        for (int i = 0; i < 20 && h.w().session().programRunning(); ++i)
            tick();
        if (h.w().session().programRunning())
            QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
    }
    h.ui().Tab1->setCurrentIndex(2); // presets: Set, Save To PS, Read Fro PS
    ProgramTable& ipm = h.w().tableM();
    if (ipm.dataRows() == 3) {
        ipm.setCell(2, 2, "35.0");
        ipm.setCell(2, 3, "5.00");
        h.w().presetGrid().check();
        h.w().session().requestPresetUpload(ipm);
        tick();
        QTest::mouseClick(h.ui().CmdSS, Qt::LeftButton);
        h.settle();
    }
    QTest::mouseClick(h.ui().CmdRS, Qt::LeftButton);
    tick();
    tick();
    checkLimits();
    // Nothing above the rating, and after the new limits nothing above them.
    const QStringList lines = h.sent();
    const qsizetype limitsAt = lines.lastIndexOf(QRegularExpression("^SO[VC]P"));
    const int uvl = qRound(h.p().uvl * 10), ucl = qRound(h.p().ucl * h.p().currScale);
    for (qsizetype i = 0; i < lines.size(); ++i) {
        const QString command = lines[i].left(4), p = lines[i].mid(4);
        const auto check = [&](const QString& digits, int rated, int limit) {
            if (digits.toInt() > rated || (limitsAt >= 0 && i > limitsAt && digits.toInt() > limit))
                problems
                    << QStringLiteral("sent %1 with UVL %2 UCL %3").arg(lines[i]).arg(uvl).arg(ucl);
        };
        if (command == u"VOLT" || command == u"SOVP")
            check(p, kRatedVoltDigits, uvl);
        if (command == u"CURR" || command == u"SOCP")
            check(p, kRatedCurrDigits, ucl);
        for (int k = 0; k < (command == u"SEVC" ? 1 : command == u"PROM" ? 3 : 0); ++k) {
            check(p.mid(6 * k, 3), kRatedVoltDigits, uvl);
            check(p.mid(6 * k + 3, 3), kRatedCurrDigits, ucl);
        }
    }
    return problems;
}

} // namespace

// Each command's replies spoilt while the rest stay sound; one test per kind of spoilt reply.
class SpoiltReplies : public testing::TestWithParam<int> { };

TEST_P(SpoiltReplies, AtEveryCommandShowNothingFalseAndSendNothingTooHigh)
{
    const auto& spoiler = kSpoilers[GetParam()]; // a structured binding cannot be captured
    const auto& spoil = spoiler.second;
    for (const QString& command : kCommands) {
        SCOPED_TRACE(
            QStringLiteral("%1 at %2").arg(QLatin1String(spoiler.first), command).toStdString());
        const QStringList problems = RunSession([&](FaultHarness& h) {
            h.line.mangle = [&](const QByteArray& word, const QByteArray& reply) {
                return word != command.toLatin1() || reply.isEmpty() ? reply : spoil(reply, h.line);
            };
        });
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(FaultTest, SpoiltReplies, testing::Range(0, int(kSpoilers.size())));

// The supply's own faults on every reply, from start-up on.
TEST(FaultTest, SupplyFaultsOnEveryReplyShowNothingFalseAndSendNothingTooHigh)
{
    for (const char* faults : { "garbage", "truncate", "prefix", "prefix:5", "prefix:O", "split:40",
             "split:300", "late:100", "late:200", "late:300", "late:400", "silent-after:9:3",
             "silent-after:20:5,split:100" }) {
        SCOPED_TRACE(faults);
        const QStringList problems = RunSession([&](FaultHarness& h) { h.setFaults(faults); });
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    }
}
