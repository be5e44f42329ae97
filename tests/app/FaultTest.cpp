// The panel when the supply misbehaves: it goes silent in the middle of
// polling, of a timed run, of "Save To PS" and of a connection, or its replies
// come back garbled, split, late, cut short, with a stray character ahead or
// far too long. The panel must go on working, show no value the supply did
// not send, send nothing above the limits, and recover once the supply answers.

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/PresetControls.h"
#include "app/PresetGrid.h"
#include "app/RunnerControls.h"
#include "app/StatusPanel.h"
#include "app/StepGrid.h"
#include "core/Numbers.h"
#include "device/SerialTransport.h"
#include "panel/SegmentDisplay.h"
#include "programs/ProgramTable.h"
#include "sim/SimTransport.h"
#include "sim/SupplyFaults.h"
#include "tests/app/MessageBoxes.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"

#include <QComboBox>
#include <QFrame>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QRegularExpression>
#include <QSet>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <functional>
#include <gtest/gtest.h>
#include <memory>
#include <utility>

namespace {

// The line between the panel and the in-process supplies. It can change what
// the panel reads back, for the faults the stand-in supply cannot show itself:
// one command's replies spoilt while the others are sound, replies far too
// long, a reply that turns up in the next exchange.
class MangledLine : public SerialTransport {
public:
    // Command word of the exchange and the bytes that arrived: what the panel reads.
    using Mangle = std::function<QByteArray(const QByteArray& command, const QByteArray& reply)>;

    explicit MangledLine(SimTransport& inner)
        : m_inner(inner)
    {
    }

    Mangle mangle;
    // Bytes that reach the panel at the start of its next read.
    QByteArray heldOver;

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
        QByteArray reply = m_inner.readAll();
        if (mangle)
            reply = mangle(m_command, reply);
        return std::exchange(heldOver, QByteArray()) + reply;
    }

private:
    SimTransport& m_inner;
    QByteArray m_command;
};

// The window on the mangled line, with a supply on Com1 and an empty Com3
// (a second supply can be put there).
struct FaultHarness {
    explicit FaultHarness(const SupplyModel& model = SupplyModel::standard())
    {
        supply = &sim.attachSupply(1, model);
        sim.addEmptyPort(3);
    }

    bool start()
    {
        window = std::make_unique<MainFrm>(MainFrmDeps { line, clock, timers, dir.path(), {} });
        QString error;
        const bool started = window->StartUp(&error);
        settle();
        // The live log is run by hand.
        ui().TimerPVC->stop();
        return started;
    }

    void setFaults(VirtualSupply& target, const QString& text)
    {
        QString error;
        const auto faults = SupplyFaults::parse(text, &error);
        ASSERT_TRUE(faults.has_value()) << error.toStdString();
        target.setFaults(*faults);
    }
    void setFaults(const QString& text) { setFaults(*supply, text); }

    // Lets time pass until the supply session has nothing left to do.
    void settle()
    {
        timers.runUntil([this] { return window->session().isIdle(); });
    }
    void tick()
    {
        timers.advance(SupplySession::kPollMs);
        settle();
    }

    MainFrm& w() { return *window; }
    const SupplyState& p() const { return window->supply(); }
    MainFrmUi& ui() { return window->controls(); }
    WindowState& s() { return window->state(); }
    template <typename T> T* find(const QString& name) { return window->findChild<T*>(name); }
    QString panel(StatusField field) { return ui().panel(field)->text(); }

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

    FakeClock clock;
    FakeTimers timers { clock };
    SimTransport sim { clock };
    MangledLine line { sim };
    QTemporaryDir dir;
    VirtualSupply* supply = nullptr;
    std::unique_ptr<MainFrm> window;
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

void ChoosePort(FaultHarness& h, const QString& name)
{
    auto* port = h.find<QComboBox>(QStringLiteral("CboPort"));
    const int index = port->findText(name);
    ASSERT_GE(index, 0) << name.toStdString();
    port->setCurrentIndex(index);
    h.ui().Tab1->setCurrentIndex(4);
    QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdOK")), Qt::LeftButton);
    h.settle();
    h.ui().TimerPVC->stop();
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
    EXPECT_EQ(
        Received(*h.supply).mid(Received(*h.supply).size() - 2), QStringList({ "SOUT1", "GETD" }));
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
    EXPECT_EQ(Received(*h.supply).filter("VOLT").size(), 2);
    h.ui().Tab1->setCurrentIndex(3);
    h.ui().Tab1->setCurrentIndex(1);
    EXPECT_TRUE(boxes.texts.isEmpty()) << boxes.texts.join('|').toStdString();

    // The supply answers again: the voltage goes out, then readings come back.
    h.setFaults(QStringLiteral("none"));
    h.tick();
    EXPECT_EQ(h.supply->setVoltDigits(), 120);
    h.tick();
    EXPECT_EQ(h.p().voltReading, h.trueReading(*h.supply).first);
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
    const QStringList volts { "2.0", "4.0", "6.0", "8.0" };
    for (int row = 1; row <= 4; ++row) {
        etp.setCell(row, 1, volts[row - 1]);
        etp.setCell(row, 2, QStringLiteral("0.50"));
        etp.setCell(row, 3, QStringLiteral("00"));
        etp.setCell(row, 4, QStringLiteral("05"));
    }
    etp.setCell(5, 3, QStringLiteral("00"));
    etp.setCell(5, 4, QStringLiteral("00"));
    h.find<QLineEdit>(QStringLiteral("TextCycle(1)"))->setText(QStringLiteral("1"));
    h.ui().Tab1->setCurrentIndex(1);
    h.w().stepGrid().check();
    h.supply->clearReceived();

    auto* runStop = h.find<QPushButton>(QStringLiteral("CmdRunStop"));
    ASSERT_TRUE(runStop->isEnabled());
    QTest::mouseClick(runStop, Qt::LeftButton);
    ASSERT_TRUE(h.w().session().programRunning());

    // Step 1 answered; steps 2 and 3 meet a silent supply; step 4 is answered again.
    QStringList shown;
    QStringList readings;
    for (int step = 1; step <= 4; ++step) {
        h.setFaults(step == 2 || step == 3 ? QStringLiteral("silent") : QStringLiteral("none"));
        h.timers.runUntil(
            [&] { return Received(*h.supply).filter(QStringLiteral("SEVC")).size() == step; });
        h.settle();
        shown << h.p().setVoltText;
        h.tick();
        readings << h.p().voltReading;
    }
    h.timers.runUntil([&] { return !h.w().session().programRunning(); });

    EXPECT_EQ(Received(*h.supply).filter(QStringLiteral("SEVC")),
        QStringList({ "SEVC0200501", "SEVC0400501", "SEVC0600501", "SEVC0800501" }));
    EXPECT_EQ(shown, QStringList({ "2.0", "2.0", "2.0", "8.0" }));
    EXPECT_EQ(readings.at(2), QStringLiteral("-1"));
    EXPECT_EQ(readings.at(3), h.trueReading(*h.supply).first);
    EXPECT_FALSE(h.w().session().programRunning());
    EXPECT_EQ(runStop->text(), QStringLiteral("Run"));
    EXPECT_EQ(h.supply->setVoltDigits(), 80);
}

// "Save To PS" against a supply that drops out or whose replies are spoilt:
// it tries at most four times, stops at the first acknowledged try, and the
// poll always resumes. A supply that hears the line stores the presets even
// when its reply is lost.
TEST(FaultTest, SaveToPsTriesFourTimesAndThePollAlwaysResumes)
{
    struct Case {
        const char* faults;
        int proms;
        bool stored;
    };
    const Case cases[] = {
        { "none", 1, true },
        { "silent", 4, false },
        { "silent-after:0:1", 2, true },
        { "silent-after:0:3", 4, true },
        { "silent-after:0:4", 4, false },
        { "garbage", 4, true },
        { "truncate", 4, true },
        { "split:300", 4, true },
        // The first reply turns up during the second try.
        { "late:400", 2, true },
    };
    for (const Case& c : cases) {
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
        h.supply->clearReceived();
        h.setFaults(QLatin1String(c.faults));

        QTest::mouseClick(h.find<QPushButton>(QStringLiteral("CmdSS")), Qt::LeftButton);
        h.settle();
        EXPECT_EQ(Received(*h.supply).filter(QStringLiteral("PROM")).size(), c.proms);
        if (c.stored) {
            EXPECT_EQ(h.supply->presets()[0], (VirtualSupply::Preset { 100, 25 }));
        } else {
            EXPECT_EQ(h.supply->presets(), before);
        }
        // The table keeps what the user typed.
        EXPECT_EQ(ipm.cell(1, 2), QStringLiteral("10.0"));

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
        VirtualSupply& second = h.sim.attachSupply(3);
        MessageBoxes boxes;
        h.w().show();
        ASSERT_TRUE(h.p().connected);
        h.setFaults(second, QStringLiteral("silent-after:%1").arg(n));

        ChoosePort(h, QStringLiteral("Com3"));
        // GMAX, GMOD, GOVP, GOCP, SESS, GETS, GETM (twice when unanswered), GETD.
        EXPECT_EQ(Received(second).first(), QStringLiteral("GMAX"));
        EXPECT_EQ(h.p().connected, n >= 1);
        EXPECT_EQ(h.panel(StatusField::Limits) == QStringLiteral("No Connection"), n == 0)
            << h.panel(StatusField::Limits).toStdString();
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
        for (const QString& line : Received(second).filter(QStringLiteral("VOLT")))
            EXPECT_LE(line.mid(4).toInt(), qRound(h.p().uvl * 10)) << line.toStdString();
        if (n < 3) {
            EXPECT_TRUE(Received(second).filter(QStringLiteral("VOLT")).isEmpty());
        }

        // The supply answers again: a connected panel reads at once; back on
        // Com1 everything is as at start-up.
        h.setFaults(second, QStringLiteral("none"));
        if (n >= 1) {
            for (int i = 0; i < 3; ++i)
                h.tick();
            EXPECT_EQ(h.p().voltReading, h.trueReading(second).first);
        }
        ChoosePort(h, QStringLiteral("Com1"));
        EXPECT_TRUE(h.p().connected);
        EXPECT_EQ(h.p().uvl, 36.0f);
        EXPECT_EQ(h.panel(StatusField::Limits), QStringLiteral("UVL : 36V , UCL : 5.1A"));
        EXPECT_EQ(h.w().tableM().dataRows(), 3);
        EXPECT_EQ(h.p().voltReading, h.trueReading(*h.supply).first);
    }
}

// ---------------------------------------------------------------- spoilt replies

namespace {

constexpr int kRatedVoltDigits = 360;
constexpr int kRatedCurrDigits = 510;

QByteArray Garbled(const QByteArray& reply)
{
    QByteArray bytes = reply;
    for (qsizetype i = 0; i < bytes.size(); ++i)
        bytes[i] = static_cast<char>(0x80 | (i * 37));
    return bytes;
}

struct Spoiler {
    const char* name;
    // Turns the reply of the spoilt command into what the panel reads.
    std::function<QByteArray(const QByteArray&, MangledLine&)> spoil;
};

const QList<Spoiler>& Spoilers()
{
    static const QList<Spoiler> spoilers {
        { "garbage", [](const QByteArray& r, MangledLine&) { return Garbled(r); } },
        { "truncate", [](const QByteArray& r, MangledLine&) { return r.left(r.size() / 2); } },
        { "prefix", [](const QByteArray& r, MangledLine&) { return '\xff' + r; } },
        { "prefix digit", [](const QByteArray& r, MangledLine&) { return '9' + r; } },
        { "prefix OK", [](const QByteArray& r, MangledLine&) { return "OK" + r; } },
        // The first half now; the rest is gone before the next exchange.
        { "split", [](const QByteArray& r, MangledLine&) { return r.left(r.size() / 2); } },
        // Nothing now; the reply turns up in the next exchange, after its discard.
        { "late",
            [](const QByteArray& r, MangledLine& line) {
                line.heldOver = r;
                return QByteArray();
            } },
        { "split late",
            [](const QByteArray& r, MangledLine& line) {
                line.heldOver = r.mid(r.size() / 2);
                return r.left(r.size() / 2);
            } },
        { "long tail",
            [](const QByteArray& r, MangledLine&) { return r + QByteArray(64 * 1024, '7'); } },
        { "long digits",
            [](const QByteArray&, MangledLine&) { return QByteArray(100000, '9') + "\rOK\r"; } },
        { "long OK", [](const QByteArray&, MangledLine&) { return QByteArray(1 << 20, 'O'); } },
        { "only OK",
            [](const QByteArray&, MangledLine&) {
                return QByteArray("OKOKOKOKOKOKOKOKOKOKOKOK");
            } },
    };
    return spoilers;
}

const QStringList kCommands { "GMAX", "GMOD", "GOVP", "GOCP", "SESS", "GETS", "GETM", "GETD",
    "VOLT", "CURR", "SOUT", "SEVC", "PROM", "RUNM", "SOVP", "SOCP" };

// Values of a command line as digits: voltage and current parts.
struct LineValues {
    QList<int> volts;
    QList<int> amps;
};

LineValues ValuesOf(const QString& line)
{
    const QString command = line.left(4);
    const QString p = line.mid(4);
    LineValues v;
    if (command == QLatin1String("VOLT") || command == QLatin1String("SOVP"))
        v.volts << p.toInt();
    else if (command == QLatin1String("CURR") || command == QLatin1String("SOCP"))
        v.amps << p.toInt();
    else if (command == QLatin1String("SEVC")) {
        v.volts << p.left(3).toInt();
        v.amps << p.mid(3, 3).toInt();
    } else if (command == QLatin1String("PROM")) {
        for (int k = 0; k < 3; ++k) {
            v.volts << p.mid(6 * k, 3).toInt();
            v.amps << p.mid(6 * k + 3, 3).toInt();
        }
    }
    return v;
}

// A working session: polls, set-points typed and clicked, the output switch,
// new limits, a timed run, presets set, saved and read.
class Session {
public:
    explicit Session(FaultHarness& h)
        : m_h(h)
    {
    }

    QStringList problems;

    void tick()
    {
        collectTrueReading();
        m_h.tick();
        collectTrueReading();
        checkReadings();
    }

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
            for (int index = 0; index < 2; ++index)
                QTest::mouseClick(
                    h.ui().LcdPSetVC[static_cast<std::size_t>(index)], Qt::LeftButton);
            tick();
        }
        h.w().session().requestOutput(false);
        tick();

        // A short run of two steps, one of them above the limits.
        ProgramTable& etp = h.w().tableE();
        if (etp.dataRows() >= 3) {
            etp.setCell(1, 1, QStringLiteral("30.0"));
            etp.setCell(1, 2, QStringLiteral("4.00"));
            etp.setCell(1, 4, QStringLiteral("05"));
            etp.setCell(2, 1, QStringLiteral("15.0"));
            etp.setCell(2, 4, QStringLiteral("05"));
            etp.setCell(3, 3, QStringLiteral("00"));
            etp.setCell(3, 4, QStringLiteral("00"));
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
    void collectTrueReading()
    {
        const auto reading = m_h.trueReading(*m_h.supply);
        m_voltsSent.insert(reading.first);
        m_ampsSent.insert(reading.second);
    }

    void checkReadings()
    {
        const QString v = m_h.p().voltReading;
        const QString c = m_h.p().currReading;
        const bool missing = v == QLatin1String("-1") && c == QLatin1String("-1");
        const bool none = v.isEmpty() && c.isEmpty();
        if (!missing && !none && (!m_voltsSent.contains(v) || !m_ampsSent.contains(c)))
            problems << QStringLiteral("reading %1 V %2 A was never sent").arg(v, c);
    }

    void checkLimits()
    {
        if (m_h.p().uvl * 10 > kRatedVoltDigits + 0.01f
            || m_h.p().ucl * m_h.p().currScale > kRatedCurrDigits + 0.01f)
            problems << QStringLiteral("limits %1 V %2 A above the rating")
                            .arg(m_h.p().uvl)
                            .arg(m_h.p().ucl);
        // Limits and scale as the supply's own: a late reply to one command
        // must not be read as another's answer.
        if (m_h.p().uvl > m_h.p().maxVolt || m_h.p().ucl > m_h.p().maxCurr)
            problems << QStringLiteral("limits %1 V %2 A above the rating read %3 V %4 A")
                            .arg(m_h.p().uvl)
                            .arg(m_h.p().ucl)
                            .arg(m_h.p().maxVolt)
                            .arg(m_h.p().maxCurr);
        if (!m_h.p().modelCode.isEmpty() && m_h.p().modelCode != m_h.supply->model().code)
            problems << QStringLiteral("model code %1").arg(m_h.p().modelCode);
    }

    void checkSentLines()
    {
        for (const QString& line : Received(*m_h.supply)) {
            const LineValues v = ValuesOf(line);
            for (const int volts : v.volts) {
                if (volts > kRatedVoltDigits)
                    problems << QStringLiteral("sent above the rating: ") + line;
            }
            for (const int amps : v.amps) {
                if (amps > kRatedCurrDigits)
                    problems << QStringLiteral("sent above the rating: ") + line;
            }
        }
        // After the new limits, nothing above the limits the panel holds.
        const QStringList lines = Received(*m_h.supply);
        const qsizetype sovp = lines.lastIndexOf(QRegularExpression(QStringLiteral("^SO[VC]P")));
        const float uvl = m_h.p().uvl;
        const float ucl = m_h.p().ucl;
        for (qsizetype i = sovp + 1; sovp >= 0 && i < lines.size(); ++i) {
            const LineValues v = ValuesOf(lines[i]);
            for (const int volts : v.volts) {
                if (lines[i].startsWith(QLatin1String("VOLT"))
                    || lines[i].startsWith(QLatin1String("SEVC"))
                    || lines[i].startsWith(QLatin1String("PROM"))) {
                    if (volts > qRound(uvl * 10))
                        problems << QStringLiteral("sent above UVL %1: ").arg(uvl) + lines[i];
                }
            }
            for (const int amps : v.amps) {
                if (amps > qRound(ucl * m_h.p().currScale))
                    problems << QStringLiteral("sent above UCL %1: ").arg(ucl) + lines[i];
            }
        }
    }

    FaultHarness& m_h;
    QSet<QString> m_voltsSent;
    QSet<QString> m_ampsSent;
};

} // namespace

// Each command's replies spoilt in each way while the rest of the line is
// sound, through a whole working session.
// One case per kind of spoilt reply, so that each runs as a test of its own.
class SpoiltReplies : public testing::TestWithParam<int> { };

TEST_P(SpoiltReplies, AtEveryCommandShowNothingFalseAndSendNothingTooHigh)
{
    const Spoiler& spoiler = Spoilers()[GetParam()];
    for (const QString& command : kCommands) {
        SCOPED_TRACE(
            QStringLiteral("%1 at %2").arg(QLatin1String(spoiler.name), command).toStdString());
        FaultHarness h;
        h.line.mangle = [&](const QByteArray& word, const QByteArray& reply) {
            if (word != command.toLatin1() || reply.isEmpty())
                return reply;
            return spoiler.spoil(reply, h.line);
        };
        ASSERT_TRUE(h.start());
        MessageBoxes boxes;
        Session session(h);
        session.run();
        EXPECT_TRUE(session.problems.isEmpty()) << session.problems.join('\n').toStdString();
    }
}

INSTANTIATE_TEST_SUITE_P(
    FaultTest, SpoiltReplies, testing::Range(0, static_cast<int>(Spoilers().size())));

// The supply's own faults on every reply, from start-up on.
TEST(FaultTest, SupplyFaultsOnEveryReplyShowNothingFalseAndSendNothingTooHigh)
{
    for (const char* faults : { "garbage", "truncate", "prefix", "prefix:5", "prefix:O", "split:40",
             "split:300", "late:100", "late:200", "late:300", "late:400", "silent-after:9:3",
             "silent-after:20:5,split:100" }) {
        SCOPED_TRACE(faults);
        FaultHarness h;
        h.setFaults(QLatin1String(faults));
        ASSERT_TRUE(h.start());
        MessageBoxes boxes;
        Session session(h);
        session.run();
        EXPECT_TRUE(session.problems.isEmpty()) << session.problems.join('\n').toStdString();
    }
}
