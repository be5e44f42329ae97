// The panel when the supply misbehaves: it goes silent in the middle of
// polling, of a timed run, of "Save To PS" and of a connection, or its replies
// come back garbled, split, late, cut short, with a stray character ahead or
// far too long. The panel must go on working, show no value the supply did
// not send, send nothing above the limits, and recover once the supply answers.

#include "app/PresetGrid.h"
#include "app/StatusPanel.h"
#include "app/StepGrid.h"
#include "core/Numbers.h"
#include "device/SerialTransport.h"
#include "panel/SegmentDisplay.h"
#include "programs/ProgramTable.h"
#include "tests/app/MessageBoxes.h"
#include "tests/app/PanelHarness.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTest>
#include <functional>
#include <gtest/gtest.h>
#include <utility>

namespace {

// The line between the panel and the in-process supplies. It can change what
// the panel reads back, for the faults the stand-in supply cannot show itself:
// one command's replies spoilt while the others are sound, replies far too
// long, a reply that turns up in the next exchange.
class MangledLine : public SerialTransport {
public:
    // Command word of the exchange and the bytes that arrived: what the panel reads.
    std::function<QByteArray(const QByteArray& command, const QByteArray& reply)> mangle;
    // Bytes that reach the panel at the start of its next read.
    QByteArray heldOver;

    explicit MangledLine(SimTransport& inner)
        : m_inner(inner)
    {
    }
    void setPortNumber(int number) override { m_inner.setPortNumber(number); }
    int portNumber() const override { return m_inner.portNumber(); }
    bool open() override { return m_inner.open(); }
    void close() override { m_inner.close(); }
    bool isOpen() const override { return m_inner.isOpen(); }
    void discardBuffers() override { m_inner.discardBuffers(); }
    void write(const QByteArray& bytes) override
    {
        m_command = bytes.left(4);
        m_inner.write(bytes);
    }
    QByteArray readAll() override
    {
        const QByteArray reply = m_inner.readAll();
        return std::exchange(heldOver, {}) + (mangle ? mangle(m_command, reply) : reply);
    }

private:
    SimTransport& m_inner;
    QByteArray m_command;
};

// The window on the mangled line, with a supply on Com1 and an empty Com3 (a
// second supply can be put there); the live log is run by hand.
struct FaultHarness : PanelHarness {
    FaultHarness() { transport.addEmptyPort(3); }

    bool start()
    {
        window = std::make_unique<MainFrm>(MainFrmDeps { line, clock, timers, dir.path(), {} });
        const bool started = window->StartUp(&startError);
        settle();
        ui().TimerPVC->stop();
        return started;
    }
    void setFaults(const QString& text) { setFaults(*supply, text); }
    void setFaults(VirtualSupply& target, const QString& text)
    {
        QString error;
        const auto faults = SupplyFaults::parse(text, &error);
        ASSERT_TRUE(faults.has_value()) << error.toStdString();
        target.setFaults(*faults);
    }
    QString limitsPanel() { return ui().panel(StatusField::Limits)->text(); }
    // One tick of the live-log timer, as the timer runs it.
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
        const int steps = r.ampDigits / (100 / scale);
        return { Numbers::FormatNumber(r.voltDigits / 10.0, u"0.0"),
            Numbers::FormatNumber(static_cast<double>(steps) / scale, p().currFormat) };
    }
    // Switches to the named port on the Setting tab.
    void choosePort(const QString& name)
    {
        auto* port = find<QComboBox>(QStringLiteral("CboPort"));
        ASSERT_GE(port->findText(name), 0) << name.toStdString();
        port->setCurrentIndex(port->findText(name));
        ui().Tab1->setCurrentIndex(4);
        QTest::mouseClick(find<QPushButton>(QStringLiteral("CmdOK")), Qt::LeftButton);
        settle();
        ui().TimerPVC->stop();
    }

    MangledLine line { transport };
};

QStringList Received(const VirtualSupply& supply)
{
    QStringList lines;
    for (const QByteArray& line : supply.receivedLines())
        lines << QString::fromLatin1(line);
    return lines;
}

// The user types into a box and presses Enter.
void TypeAndEnter(QLineEdit* box, const QString& text)
{
    box->setFocus();
    box->selectAll();
    QTest::keyClicks(box, text);
    QTest::keyClick(box, Qt::Key_Return);
}

} // namespace

// ---------------------------------------------------------------- silence

TEST(FaultTest, SupplySilentInTheMiddleOfPollingIsMarkedAndRecovered)
{
    FaultHarness h;
    ASSERT_TRUE(h.start());
    MessageBoxes boxes;
    h.w().show();
    h.tick();
    const auto good = h.trueReading(*h.supply);
    ASSERT_EQ(h.p().voltReading, good.first);
    auto* lcd = h.find<QFrame>(QStringLiteral("LCD"));
    auto* lamp = h.find<QLabel>(QStringLiteral("P_Light"));

    // The output switch is answered, then the supply stops in the same tick.
    h.w().session().requestOutput(false);
    h.setFaults(QStringLiteral("silent-after:1"));
    h.tick();
    EXPECT_EQ(h.sent().mid(h.sent().size() - 2), QStringList({ "SOUT1", "GETD" }));
    EXPECT_EQ(h.p().voltReading, good.first) << "one miss changes nothing";
    EXPECT_TRUE(lcd->isVisible());

    h.tick();
    EXPECT_EQ(h.p().voltReading, QStringLiteral("-1"));
    EXPECT_EQ(h.p().currReading, QStringLiteral("-1"));
    EXPECT_FALSE(lamp->isVisible());
    EXPECT_TRUE(lcd->isVisible()) << "the log has no missing sample yet";

    // The live-log timer records the missing reading; the next tick hides the panel.
    h.logTick();
    EXPECT_EQ(h.s().LogSamples.volts[0], LogSamples::kNoReading);
    h.tick();
    EXPECT_FALSE(lcd->isVisible());

    // Still usable while the supply is silent: a typed voltage is kept and
    // repeated, the tabs switch, nothing blocks.
    TypeAndEnter(h.ui().TextSetVC[0], QStringLiteral("12"));
    h.tick();
    h.tick();
    EXPECT_EQ(h.sent().filter("VOLT").size(), 2);
    h.ui().Tab1->setCurrentIndex(3);
    h.ui().Tab1->setCurrentIndex(1);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();

    // The supply answers again: the voltage goes out, the first reading lights
    // the lamp and shows the panel.
    h.setFaults(QStringLiteral("none"));
    h.tick();
    EXPECT_EQ(h.supply->setVoltDigits(), 120);
    h.tick();
    EXPECT_EQ(h.p().voltReading, h.trueReading(*h.supply).first);
    EXPECT_TRUE(lamp->isVisible());
    EXPECT_TRUE(lcd->isVisible());
    h.logTick();
    EXPECT_EQ(QString::number(h.s().LogSamples.volts[0]),
        QString::number(Numbers::LeadingNumber(h.p().voltReading)));
}

TEST(FaultTest, SupplySilentDuringATimedRunSkipsTheStepsItMissedAndGoesOn)
{
    FaultHarness h;
    ASSERT_TRUE(h.start());
    h.w().show();
    ProgramTable& etp = h.w().tableE();
    for (int row = 1; row <= 4; ++row) {
        const QString cells[] = { QString::number(2 * row) + ".0", "0.50", "00", "05" };
        for (int column = 1; column <= 4; ++column)
            etp.setCell(row, column, cells[column - 1]);
    }
    etp.setCell(5, 3, QStringLiteral("00"));
    etp.setCell(5, 4, QStringLiteral("00"));
    h.find<QLineEdit>(QStringLiteral("TextCycle(1)"))->setText(QStringLiteral("1"));
    h.ui().Tab1->setCurrentIndex(1);
    h.w().stepGrid().check();
    h.clearSent();

    ASSERT_TRUE(h.ui().CmdRunStop->isEnabled());
    QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
    ASSERT_TRUE(h.w().session().programRunning());

    // Step 1 answered; steps 2 and 3 meet a silent supply; step 4 is answered again.
    QStringList shown;
    QStringList readings;
    for (int step = 1; step <= 4; ++step) {
        h.setFaults(step == 2 || step == 3 ? QStringLiteral("silent") : QStringLiteral("none"));
        h.timers.runUntil([&] { return h.sent().filter(QStringLiteral("SEVC")).size() == step; });
        h.settle();
        shown << h.p().setVoltText;
        h.tick();
        readings << h.p().voltReading;
    }
    h.timers.runUntil([&] { return !h.w().session().programRunning(); });

    EXPECT_EQ(h.sent().filter(QStringLiteral("SEVC")),
        QStringList({ "SEVC0200501", "SEVC0400501", "SEVC0600501", "SEVC0800501" }));
    EXPECT_EQ(shown, QStringList({ "2.0", "2.0", "2.0", "8.0" }));
    EXPECT_EQ(readings.at(2), QStringLiteral("-1"));
    EXPECT_EQ(readings.at(3), h.trueReading(*h.supply).first);
    EXPECT_EQ(h.ui().CmdRunStop->text(), QStringLiteral("Run"));
    EXPECT_EQ(h.supply->setVoltDigits(), 80);
}

// "Save To PS" against a supply that drops out or whose replies are spoilt:
// it tries at most four times, stops at the first acknowledged try, and the
// poll always resumes. A supply that hears the line stores the presets even
// when its reply is lost.
TEST(FaultTest, SaveToPsTriesFourTimesAndThePollAlwaysResumes)
{
    const struct {
        const char* faults;
        int proms;
        bool stored;
    } cases[] = {
        { "none", 1, true }, { "silent", 4, false }, { "silent-after:0:1", 2, true },
        { "silent-after:0:3", 4, true }, { "silent-after:0:4", 4, false }, { "garbage", 4, true },
        { "truncate", 4, true }, { "split:300", 4, true },
        { "late:400", 2, true }, // the first reply turns up during the second try
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.faults);
        FaultHarness h;
        ASSERT_TRUE(h.start());
        h.w().show();
        h.ui().Tab1->setCurrentIndex(2);
        ProgramTable& ipm = h.w().tableM();
        ASSERT_EQ(ipm.dataRows(), 3);
        ipm.setCell(1, 2, QStringLiteral("10.0"));
        ipm.setCell(1, 3, QStringLiteral("0.25"));
        h.w().presetGrid().check();
        const auto before = h.supply->presets();
        h.clearSent();
        h.setFaults(c.faults);

        QTest::mouseClick(h.ui().CmdSS, Qt::LeftButton);
        h.settle();
        EXPECT_EQ(h.sent().filter(QStringLiteral("PROM")).size(), c.proms);
        if (c.stored) {
            EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 100, 25 }));
        } else {
            EXPECT_EQ(h.supply->presets(), before);
        }
        EXPECT_EQ(ipm.cell(1, 2), QStringLiteral("10.0")) << "the table keeps what was typed";

        h.setFaults(QStringLiteral("none"));
        h.tick();
        EXPECT_EQ(h.p().voltReading, h.trueReading(*h.supply).first);
    }
}

// The port is changed on the Setting tab to a supply that stops answering
// after n lines of the connection.
TEST(FaultTest, SupplySilentDuringAConnectionFollowsTheFailureRules)
{
    for (int n = 0; n <= 8; ++n) {
        SCOPED_TRACE(n);
        FaultHarness h;
        ASSERT_TRUE(h.start());
        // Plugged in after start-up, so that the port search keeps Com1.
        VirtualSupply& second = h.transport.attachSupply(3);
        MessageBoxes boxes;
        h.w().show();
        ASSERT_TRUE(h.p().connected);
        h.setFaults(second, QStringLiteral("silent-after:%1").arg(n));

        h.choosePort(QStringLiteral("Com3"));
        // GMAX, GMOD, GOVP, GOCP, SESS, GETS, GETM (twice when unanswered), GETD.
        EXPECT_EQ(Received(second).first(), QStringLiteral("GMAX"));
        EXPECT_EQ(h.p().connected, n >= 1);
        EXPECT_EQ(h.limitsPanel() == QStringLiteral("No Connection"), n == 0)
            << h.limitsPanel().toStdString();
        EXPECT_EQ(h.p().uvl, n >= 3 ? 36.0f : 0.0f);
        if (n >= 1) {
            EXPECT_EQ(h.p().ucl, n >= 4 ? 5.1f : 0.0f);
        }
        EXPECT_EQ(h.w().tableM().dataRows(), n >= 7 ? 3 : 0);
        if (n == 0) {
            EXPECT_EQ(h.w().windowTitle(), QStringLiteral("Rating: "));
        }
        EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();

        // A set-point goes out only inside the limits the panel could read.
        second.clearReceived();
        TypeAndEnter(h.ui().TextSetVC[0], QStringLiteral("12"));
        h.tick();
        h.tick();
        const QStringList volts = Received(second).filter(QStringLiteral("VOLT"));
        for (const QString& line : volts)
            EXPECT_LE(line.mid(4).toInt(), qRound(h.p().uvl * 10)) << line.toStdString();
        EXPECT_TRUE(n >= 3 || volts.isEmpty()) << volts.join(' ').toStdString();

        // The supply answers again: a connected panel reads at once; back on
        // Com1 everything is as at start-up.
        h.setFaults(second, QStringLiteral("none"));
        if (n >= 1) {
            for (int i = 0; i < 3; ++i)
                h.tick();
            EXPECT_EQ(h.p().voltReading, h.trueReading(second).first);
        }
        h.choosePort(QStringLiteral("Com1"));
        EXPECT_TRUE(h.p().connected);
        EXPECT_EQ(h.p().uvl, 36.0f);
        EXPECT_EQ(h.limitsPanel(), QStringLiteral("UVL : 36V , UCL : 5.1A"));
        EXPECT_EQ(h.w().tableM().dataRows(), 3);
        EXPECT_EQ(h.p().voltReading, h.trueReading(*h.supply).first);
    }
}

// ---------------------------------------------------------------- spoilt replies

namespace {

constexpr int kRatedVoltDigits = 360;
constexpr int kRatedCurrDigits = 510;

struct Spoiler {
    const char* name;
    // Turns the reply of the spoilt command into what the panel reads.
    std::function<QByteArray(const QByteArray&, MangledLine&)> spoil;
};

using R = const QByteArray&;
using L = MangledLine&;
const QList<Spoiler> kSpoilers {
    { "garbage",
        [](R r, L) {
            QByteArray bytes = r;
            for (qsizetype i = 0; i < bytes.size(); ++i)
                bytes[i] = static_cast<char>(0x80 | (i * 37));
            return bytes;
        } },
    { "truncate", [](R r, L) { return r.left(r.size() / 2); } },
    { "prefix", [](R r, L) { return '\xff' + r; } },
    { "prefix digit", [](R r, L) { return '9' + r; } },
    { "prefix OK", [](R r, L) { return "OK" + r; } },
    // The first half now; the rest is gone before the next exchange.
    { "split", [](R r, L) { return r.left(r.size() / 2); } },
    // Nothing now; the reply turns up in the next exchange, after its discard.
    { "late",
        [](R r, L line) {
            line.heldOver = r;
            return QByteArray();
        } },
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

// The volts and the amps, as digits, that a command line carries.
std::pair<QList<int>, QList<int>> ValuesOf(const QString& line)
{
    const QString command = line.left(4);
    const QString p = line.mid(4);
    if (command == u"VOLT" || command == u"SOVP")
        return { { p.toInt() }, {} };
    if (command == u"CURR" || command == u"SOCP")
        return { {}, { p.toInt() } };
    QList<int> volts, amps;
    const int sets = command == u"SEVC" ? 1 : command == u"PROM" ? 3 : 0;
    for (int k = 0; k < sets; ++k) {
        volts << p.mid(6 * k, 3).toInt();
        amps << p.mid(6 * k + 3, 3).toInt();
    }
    return { volts, amps };
}

// A working session: polls, set-points typed and clicked, the output switch,
// new limits, a timed run, presets set, saved and read. Collects what went wrong.
class Session {
public:
    explicit Session(FaultHarness& h)
        : m_h(h)
    {
    }

    QStringList problems;

    void run()
    {
        FaultHarness& h = m_h;
        h.w().show();
        checkLimits();
        tick();
        tick();

        // New limits on the Setting tab, within the rating.
        h.ui().Tab1->setCurrentIndex(4);
        TypeAndEnter(h.ui().TextUVL, QStringLiteral("20"));
        TypeAndEnter(h.ui().TextUCL, QStringLiteral("2"));
        QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdOK")), Qt::LeftButton);
        h.settle();
        checkLimits();

        // Set-points typed near the limits, and clicked up on the displays.
        h.ui().Tab1->setCurrentIndex(1);
        TypeAndEnter(h.ui().TextSetVC[0], QStringLiteral("19.9"));
        tick();
        TypeAndEnter(h.ui().TextSetVC[1], QStringLiteral("1.99"));
        tick();
        for (int i = 0; i < 3; ++i) {
            for (SegmentDisplay* display : h.ui().LcdPSetVC)
                QTest::mouseClick(display, Qt::LeftButton);
            tick();
        }
        h.w().session().requestOutput(false);
        tick();

        // A short run of two steps, one of them above the limits.
        ProgramTable& etp = h.w().tableE();
        if (etp.dataRows() >= 3) {
            const struct {
                int row, column;
                const char* text;
            } cells[] = { { 1, 1, "30.0" }, { 1, 2, "4.00" }, { 1, 4, "05" }, { 2, 1, "15.0" },
                { 2, 4, "05" }, { 3, 3, "00" }, { 3, 4, "00" } };
            for (const auto& c : cells)
                etp.setCell(c.row, c.column, c.text);
            h.w().stepGrid().check();
            QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
            for (int i = 0; i < 20 && h.w().session().programRunning(); ++i)
                tick();
            if (h.w().session().programRunning())
                QTest::mouseClick(h.ui().CmdRunStop, Qt::LeftButton);
        }

        // Presets: Set, Save To PS, Read Fro PS.
        h.ui().Tab1->setCurrentIndex(2);
        ProgramTable& ipm = h.w().tableM();
        if (ipm.dataRows() == 3) {
            ipm.setCell(2, 2, QStringLiteral("35.0"));
            ipm.setCell(2, 3, QStringLiteral("5.00"));
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
        checkSentLines();
    }

private:
    // A tick, and the reading shown must be one the supply gave before or after it.
    void tick()
    {
        collectTrueReading();
        m_h.tick();
        collectTrueReading();
        const QString v = m_h.p().voltReading;
        const QString c = m_h.p().currReading;
        const bool missing = v == u"-1" && c == u"-1";
        const bool none = v.isEmpty() && c.isEmpty();
        if (!missing && !none && (!m_voltsSent.contains(v) || !m_ampsSent.contains(c)))
            problems << QStringLiteral("reading %1 V %2 A was never sent").arg(v, c);
    }

    void collectTrueReading()
    {
        const auto reading = m_h.trueReading(*m_h.supply);
        m_voltsSent.insert(reading.first);
        m_ampsSent.insert(reading.second);
    }

    // Limits and scale as the supply's own: a late reply to one command must
    // not be read as another's answer.
    void checkLimits()
    {
        const SupplyState& p = m_h.p();
        if (p.uvl * 10 > kRatedVoltDigits + 0.01f || p.ucl * p.currScale > kRatedCurrDigits + 0.01f
            || p.uvl > p.maxVolt || p.ucl > p.maxCurr)
            problems << QStringLiteral("limits %1 V %2 A, rating read %3 V %4 A")
                            .arg(p.uvl)
                            .arg(p.ucl)
                            .arg(p.maxVolt)
                            .arg(p.maxCurr);
        if (!p.modelCode.isEmpty() && p.modelCode != m_h.supply->model().code)
            problems << QStringLiteral("model code %1").arg(p.modelCode);
    }

    // Nothing above the rating, and after the new limits nothing above them.
    void checkSentLines()
    {
        const QStringList lines = m_h.sent();
        const qsizetype limitsAt
            = lines.lastIndexOf(QRegularExpression(QStringLiteral("^SO[VC]P")));
        const int uvl = qRound(m_h.p().uvl * 10);
        const int ucl = qRound(m_h.p().ucl * m_h.p().currScale);
        for (qsizetype i = 0; i < lines.size(); ++i) {
            const bool limited = limitsAt >= 0 && i > limitsAt;
            const auto [volts, amps] = ValuesOf(lines[i]);
            for (const int v : volts) {
                if (v > kRatedVoltDigits || (limited && v > uvl))
                    problems << QStringLiteral("sent %1 with UVL %2").arg(lines[i]).arg(uvl);
            }
            for (const int a : amps) {
                if (a > kRatedCurrDigits || (limited && a > ucl))
                    problems << QStringLiteral("sent %1 with UCL %2").arg(lines[i]).arg(ucl);
            }
        }
    }

    FaultHarness& m_h;
    QSet<QString> m_voltsSent;
    QSet<QString> m_ampsSent;
};

// A whole session with the harness set up by prepare; returns its problems.
QStringList RunSession(const std::function<void(FaultHarness&)>& prepare)
{
    FaultHarness h;
    prepare(h);
    if (!h.start())
        return { QStringLiteral("start-up failed: ") + h.startError };
    MessageBoxes boxes;
    Session session(h);
    session.run();
    return session.problems;
}

} // namespace

// Each command's replies spoilt in each way while the rest of the line is
// sound, through a whole working session; one test per kind of spoilt reply.
class SpoiltReplies : public testing::TestWithParam<int> { };

TEST_P(SpoiltReplies, AtEveryCommandShowNothingFalseAndSendNothingTooHigh)
{
    const Spoiler& spoiler = kSpoilers[GetParam()];
    for (const QString& command : kCommands) {
        SCOPED_TRACE(
            QStringLiteral("%1 at %2").arg(QLatin1String(spoiler.name), command).toStdString());
        const QStringList problems = RunSession([&](FaultHarness& h) {
            h.line.mangle = [&](const QByteArray& word, const QByteArray& reply) {
                return word != command.toLatin1() || reply.isEmpty() ? reply
                                                                     : spoiler.spoil(reply, h.line);
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
        const QStringList problems
            = RunSession([&](FaultHarness& h) { h.setFaults(*h.supply, faults); });
        EXPECT_TRUE(problems.isEmpty()) << problems.join('\n').toStdString();
    }
}
