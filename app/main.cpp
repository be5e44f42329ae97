#include "app/AppOptions.h"
#include "app/MainFrm.h"
#include "app/MainFrmUi.h"
#include "core/SignalPipe.h"
#include "core/SteadyClock.h"
#include "device/QtSerialTransport.h"
#include "session/PortLock.h"
#include "session/ProcessLock.h"
#include "session/QtTimerSource.h"
#include "storage/DataFolder.h"

#include <QApplication>
#include <QDir>
#include <QFileInfo>
#include <QMessageBox>
#include <QStandardPaths>
#include <QTabWidget>
#include <QTimer>
#include <csignal>
#include <cstdio>

namespace {

// A failed start is told on stderr, and in a box where there is a screen to
// show one: offscreen, nobody could close it and the program would never end.
void ReportFailedStart(const QString& message)
{
    std::fprintf(stderr, "ovolta-panel: %s\n", qPrintable(message));
    const QString platform = QGuiApplication::platformName();
    if (platform != QLatin1String("offscreen") && platform != QLatin1String("minimal"))
        QMessageBox::critical(nullptr, QApplication::applicationName(), message);
}

} // namespace

int main(int argc, char** argv)
{
    // --help and --version answer without a display.
    QStringList arguments;
    for (int i = 0; i < argc; ++i)
        arguments << QString::fromLocal8Bit(argv[i]);
    const AppOptions options = AppOptions::Parse(arguments);
    if (!options.error.isEmpty()) {
        std::fprintf(stderr, "%s\n", qPrintable(options.error));
        return 2;
    }
    if (options.showHelp) {
        std::printf("%s", qPrintable(AppOptions::HelpText()));
        return 0;
    }
    if (options.showVersion) {
        std::printf("ovolta-panel %s\n", OVOLTA_VERSION);
        return 0;
    }

    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Ovolta Panel"));
    QApplication::setOrganizationName(QStringLiteral("Ovolta"));
    QApplication::setApplicationVersion(QStringLiteral(OVOLTA_VERSION));

    const Outcome<QString> folder
        = DataFolder::Resolve(options.dataDir, QCoreApplication::applicationDirPath(),
            QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
    if (!folder) {
        std::fprintf(stderr, "ovolta-panel: %s\n", qPrintable(folder.error()));
        return 2;
    }
    const QString& dataFolder = *folder;
    // One panel per data folder: two would fight over its database. Taken
    // before anything else is touched, and held until the program ends.
    ProcessLock folderLock(QFileInfo(dataFolder).canonicalFilePath());
    if (!folderLock.tryLock()) {
        ReportFailedStart(QStringLiteral("The data folder %1 is in use by %2")
                              .arg(QDir::toNativeSeparators(dataFolder), folderLock.holderText()));
        return 1;
    }
    const QString portsFolder = QDir(dataFolder).filePath(QStringLiteral("ports"));
    QtSerialTransport transport(portsFolder);
    PortLock portLock(portsFolder);
    SteadyClock clock;
    QtTimerSource timers;
    MainFrm window({ transport, clock, timers, dataFolder, {}, {}, &portLock });
    // The program ends once the window has closed and the supply has left remote mode.
    QObject::connect(&window, &MainFrm::finished, &app, &QCoreApplication::quit);

    // A desktop session ends programs with SIGTERM at logout, a terminal with
    // SIGHUP: the window closes as its close button would, so the supply
    // leaves remote mode, also when the signal comes while it is connecting.
    SignalPipe quitSignals({ SIGINT, SIGTERM, SIGHUP });
    QObject::connect(&quitSignals, &SignalPipe::received, &window, &MainFrm::RequestQuit);

    QString error;
    if (!window.StartUp(&error)) {
        ReportFailedStart(error);
        return 1;
    }

    if (options.tab >= 0)
        window.controls().Tab1->setCurrentIndex(options.tab);
    if (options.size.isValid())
        window.resize(options.size);
    window.show();
    if (!options.screenshot.isEmpty()) {
        QTimer::singleShot(options.quitAfterMs > 0 ? options.quitAfterMs : 3000, &window, [&] {
            window.grab().save(options.screenshot);
            window.close();
        });
    } else if (options.quitAfterMs > 0) {
        QTimer::singleShot(options.quitAfterMs, &window, &QWidget::close);
    }
    QApplication::setQuitOnLastWindowClosed(true);
    const int status = QApplication::exec();
    return status;
}
