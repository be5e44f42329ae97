// Sample prints for the pictures in docs/ (run by scripts/print-sample.sh): the
// Data Log tab with a live log recorded from the virtual supply, and an External
// Timed Program table, each printed to PDF by the panel's own printing code.
// The window runs on a clock that moves only when told to, so the 45 samples
// take no time.

#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "app/Printing.h"
#include "app/WindowState.h"
#include "programs/ProgramTable.h"
#include "sim/SimTransport.h"
#include "tests/support/FakeClock.h"
#include "tests/support/FakeTimers.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QPrinter>
#include <QTabWidget>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>

#include <cstdio>

namespace {

constexpr int kEtpTab = 1;
constexpr int kLogTab = 3;

bool PrintTab(MainFrm& window, int tab, const QString& path, QPageLayout::Orientation orientation)
{
    window.findChild<QTabWidget*>(QStringLiteral("Tab1"))->setCurrentIndex(tab);
    QPrinter printer(QPrinter::HighResolution);
    printer.setOutputFormat(QPrinter::PdfFormat);
    printer.setOutputFileName(path);
    printer.setPageSize(QPageSize(QPageSize::A4));
    printer.setPageOrientation(orientation);
    QString error;
    if (Printing::PrintCurrentTab(window, printer, &error))
        return true;
    std::fprintf(stderr, "print-sample: %s: %s\n", qPrintable(path), qPrintable(error));
    return false;
}

void Type(MainFrm& window, const char* name, const QString& text)
{
    QWidget* box = window.findChild<QWidget*>(QLatin1String(name));
    QTest::keyClick(box, Qt::Key_A, Qt::ControlModifier);
    QTest::keyClicks(box, text);
}

} // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    if (argc != 2) {
        std::fputs(
            "Usage: print-sample FOLDER (writes log-print.pdf and table-print.pdf)\n", stderr);
        return 2;
    }
    const QDir out(QString::fromLocal8Bit(argv[1]));
    QTemporaryDir data;
    FakeClock clock;
    FakeTimers timers(clock);
    SimTransport transport(clock);
    VirtualSupply& supply = transport.attachSupply(1);
    MainFrm window({ transport, clock, timers, data.path() });
    const auto settle = [&] { timers.runUntil([&] { return window.session().isIdle(); }); };
    QString error;
    if (!QDir().mkpath(out.path()) || !window.StartUp(&error)) {
        std::fprintf(stderr, "print-sample: %s\n", qPrintable(error));
        return 1;
    }
    settle();
    // Samples are taken by hand below; the real timer would add its own.
    window.controls().TimerPVC->stop();
    window.show();
    Type(window, "TextLocation", QStringLiteral("Bench 3"));
    Type(window, "TextEngineryD", QStringLiteral("Burn-in of the 24 V rail"));

    // A ramp to 24 V on 10 ohms, a heavier load that drives the supply into
    // current limiting, a few seconds without answers, and a lower level.
    WindowState& state = window.state();
    supply.setNoise(2, 7);
    supply.setOutputOn(true);
    supply.setLoadOhms(10.0);
    state.LogSamples.markEmpty();
    for (int i = 0; i < 45; ++i) {
        if (i <= 12)
            supply.setSetpoint(20 * i, 300);
        if (i == 22)
            supply.setLoadOhms(6.0);
        if (i == 30)
            supply.setFaults(*SupplyFaults::parse(QStringLiteral("silent"), nullptr));
        if (i == 33) {
            supply.setFaults({});
            supply.setSetpoint(120, 300);
        }
        // One live-log sample as the sampling timer takes it, after the polls.
        timers.advance(state.SampleTime * 1000);
        settle();
        state.LogSamples.record(window.supply().voltReading, window.supply().currReading);
    }
    if (!PrintTab(
            window, kLogTab, out.filePath(QStringLiteral("log-print.pdf")), QPageLayout::Landscape))
        return 1;

    const char* steps[][4] = {
        { "05.0", "1.00", "00", "30" },
        { "12.0", "1.50", "01", "00" },
        { "24.0", "2.50", "10", "00" },
        { "00.0", "0.00", "00", "15" },
        { "24.0", "3.00", "05", "00" },
        { "12.0", "1.50", "02", "30" },
        { "05.0", "1.00", "00", "45" },
        { "00.0", "0.00", "00", "10" },
    };
    window.findChild<QTabWidget*>(QStringLiteral("Tab1"))->setCurrentIndex(kEtpTab);
    ProgramTable& table = window.tableE();
    int row = 1;
    for (const auto& step : steps) {
        for (int column = 1; column <= 4; ++column)
            table.setCell(row, column, QLatin1String(step[column - 1]));
        table.setOutputOn(row, QLatin1String(step[0]) != QLatin1String("00.0"));
        ++row;
    }
    table.setRowCount(9);
    Type(window, "CmbTableName(1)", QStringLiteral("Soak cycle"));
    Type(window, "TextTableD(1)", QStringLiteral("Warm-up, soak at full load, cool-down"));
    return PrintTab(window, kEtpTab, out.filePath(QStringLiteral("table-print.pdf")),
               QPageLayout::Portrait)
        ? 0
        : 1;
}
