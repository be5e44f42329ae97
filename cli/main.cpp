#include "cli/CliOptions.h"
#include "cli/CliRun.h"
#include "core/SignalPipe.h"
#include "core/SteadyClock.h"
#include "device/QtSerialTransport.h"
#include "session/PortLock.h"
#include "session/QtTimerSource.h"
#include "storage/DataFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QStandardPaths>

#include <csignal>
#include <cstdio>
#include <unistd.h>

int main(int argc, char** argv)
{
    QCoreApplication app(argc, argv);
    // The panel's names, so that the CLI finds the panel's data folder.
    QCoreApplication::setApplicationName(QStringLiteral("Ovolta Panel"));
    QCoreApplication::setOrganizationName(QStringLiteral("Ovolta"));
    QCoreApplication::setApplicationVersion(QStringLiteral(OVOLTA_VERSION));

    QString error;
    const std::optional<CliOptions> options
        = CliOptions::Parse(QCoreApplication::arguments(), &error);
    if (!options) {
        std::fprintf(stderr, "ovolta-cli: %s\nTry 'ovolta-cli --help'.\n", qPrintable(error));
        return CliRun::kUsage;
    }
    if (options->help) {
        std::fputs(qPrintable(CliOptions::HelpText()), stdout);
        return 0;
    }
    if (options->version) {
        std::puts("ovolta-cli " OVOLTA_VERSION);
        return 0;
    }

    const Outcome<QString> folder
        = DataFolder::Resolve(options->dataDir, QCoreApplication::applicationDirPath(),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!folder) {
        std::fprintf(stderr, "ovolta-cli: %s\n", qPrintable(folder.error()));
        return CliRun::kUsage;
    }

    // A reader that goes away (| head) must not kill the program before "ENDS".
    std::signal(SIGPIPE, SIG_IGN);
    SignalPipe signalPipe({ SIGINT, SIGTERM, SIGHUP });
    if (!signalPipe.isValid()) {
        std::fputs("ovolta-cli: cannot watch for signals\n", stderr);
        return CliRun::kFailed;
    }

    const QString portsFolder = QDir(*folder).filePath(QStringLiteral("ports"));
    QtSerialTransport transport(portsFolder);
    QtTimerSource timers;
    SteadyClock clock;
    PortLock lock(portsFolder);
    QFile out;
    QFile err;
    // On the descriptors themselves: each line reaches a pipe as it is written.
    out.open(STDOUT_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);
    err.open(STDERR_FILENO, QIODevice::WriteOnly | QIODevice::Unbuffered);

    CliRun run(*options, { transport, timers, clock, out, err, *folder, &lock, {} });
    QObject::connect(&signalPipe, &SignalPipe::received, &run, &CliRun::interrupt);
    QObject::connect(&run, &CliRun::finished, &app, &QCoreApplication::exit);
    QMetaObject::invokeMethod(&run, &CliRun::start, Qt::QueuedConnection);
    return QCoreApplication::exec();
}
