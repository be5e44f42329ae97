#include "core/SignalPipe.h"
#include "core/SteadyClock.h"
#include "sim/PtySupply.h"
#include "sim/SimOptions.h"
#include "sim/VirtualSupply.h"

#include <QCoreApplication>

#include <csignal>
#include <cstdio>

namespace {

void say(std::FILE* stream, const QString& text)
{
    std::fputs(qPrintable(QStringLiteral("ovolta-sim: %1\n").arg(text)), stream);
    std::fflush(stream);
}

} // namespace

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    QString error;
    const auto options = SimOptions::parse(QCoreApplication::arguments(), &error);
    if (!options) {
        say(stderr, error + QStringLiteral("\nTry 'ovolta-sim --help'."));
        return 2;
    }
    if (options->help) {
        std::fputs(qPrintable(SimOptions::usage()), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("ovolta-sim " OVOLTA_VERSION);
        return 0;
    }

    SteadyClock clock;
    VirtualSupply supply(clock, options->model);
    supply.setLoadOhms(options->loadOhms);
    supply.setFaults(options->faults);
    supply.setNoise(options->noiseDigits, 1);

    // Signals are caught before the link exists, so a quick SIGTERM still cleans up.
    SignalPipe signalPipe({ SIGINT, SIGTERM, SIGUSR1, SIGUSR2 });
    if (!signalPipe.isValid()) {
        say(stderr, QStringLiteral("cannot watch for signals"));
        return 1;
    }
    PtySupply pty(clock, supply, options->dataDir, options->port);
    if (!options->traceFile.isEmpty() && !pty.setTrace(options->traceFile, &error)) {
        say(stderr, error);
        return 1;
    }
    if (!pty.start(&error)) {
        say(stderr, error);
        return 1;
    }
    const auto announce = [&]() {
        say(stdout, QStringLiteral("Com%1 -> %2").arg(options->port).arg(pty.slavePath()));
    };
    announce();

    QObject::connect(&signalPipe, &SignalPipe::received, &app, [&](int signalNumber) {
        if (signalNumber == SIGUSR1) {
            pty.setUnplugged(!pty.unplugged());
            say(stdout,
                pty.unplugged() ? QStringLiteral("unplugged") : QStringLiteral("plugged in"));
        } else if (signalNumber == SIGUSR2) {
            if (pty.replug(&error)) {
                announce();
            } else {
                say(stderr, error);
                QCoreApplication::exit(1);
            }
        } else {
            pty.stop();
            QCoreApplication::exit(0);
        }
    });
    return QCoreApplication::exec();
}
