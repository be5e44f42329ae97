#include "app/AppOptions.h"

AppOptions AppOptions::Parse(const QStringList& arguments)
{
    AppOptions options;
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& arg = arguments[i];
        auto value = [&](const QString& name) -> QString {
            if (arg.startsWith(name + u'='))
                return arg.mid(name.size() + 1);
            if (i + 1 < arguments.size())
                return arguments[++i];
            options.error = QStringLiteral("ovolta-panel: %1 needs a value").arg(name);
            return {};
        };
        if (arg == QLatin1String("--help") || arg == QLatin1String("-h")) {
            options.showHelp = true;
        } else if (arg == QLatin1String("--version")) {
            options.showVersion = true;
        } else if (arg == QLatin1String("--data-dir")
            || arg.startsWith(QLatin1String("--data-dir="))) {
            options.dataDir = value(QStringLiteral("--data-dir"));
        } else if (arg == QLatin1String("--screenshot")
            || arg.startsWith(QLatin1String("--screenshot="))) {
            options.screenshot = value(QStringLiteral("--screenshot"));
        } else if (arg == QLatin1String("--quit-after")
            || arg.startsWith(QLatin1String("--quit-after="))) {
            bool ok = false;
            const QString text = value(QStringLiteral("--quit-after"));
            options.quitAfterMs = text.toInt(&ok);
            if (!ok || options.quitAfterMs < 0)
                options.error
                    = QStringLiteral("ovolta-panel: --quit-after takes milliseconds, not '%1'")
                          .arg(text);
        } else if (arg == QLatin1String("--tab") || arg.startsWith(QLatin1String("--tab="))) {
            bool ok = false;
            const QString text = value(QStringLiteral("--tab"));
            options.tab = text.toInt(&ok);
            if (!ok || options.tab < 0 || options.tab > 4)
                options.error
                    = QStringLiteral("ovolta-panel: --tab takes 0 to 4, not '%1'").arg(text);
        } else if (arg == QLatin1String("--size") || arg.startsWith(QLatin1String("--size="))) {
            const QString text = value(QStringLiteral("--size"));
            const QStringList parts = text.split(u'x');
            bool okW = false;
            bool okH = false;
            if (parts.size() == 2)
                options.size = QSize(parts[0].toInt(&okW), parts[1].toInt(&okH));
            if (!okW || !okH || options.size.width() <= 0 || options.size.height() <= 0)
                options.error
                    = QStringLiteral("ovolta-panel: --size takes WIDTHxHEIGHT, not '%1'").arg(text);
        } else if (arg.startsWith(u'-') && !arg.startsWith(QLatin1String("-platform"))
            && !arg.startsWith(QLatin1String("-style"))) {
            options.error
                = QStringLiteral("ovolta-panel: unknown option '%1' (see --help)").arg(arg);
        }
        if (!options.error.isEmpty())
            break;
    }
    return options;
}

QString AppOptions::HelpText()
{
    return QStringLiteral(
        "Usage: ovolta-panel [options]\n"
        "Control panel for an Ovolta programmable DC power supply on a serial port.\n\n"
        "  --data-dir DIR     folder of the database Ovolta.DB and of the ports/ folder\n"
        "                     (default: the program's folder when writable or already\n"
        "                     holding the database, else the user's data folder)\n"
        "  --screenshot FILE  save a picture of the window after --quit-after ms, then quit\n"
        "  --quit-after MS    close the window after MS milliseconds\n"
        "  --tab N            show tab N (0 to 4) after start-up\n"
        "  --size WxH         window size in pixels\n"
        "  --version          print the version and exit\n"
        "  --help             print this text and exit\n\n"
        "Serial port n (Com1..Com32) is the entry ports/Com<n> of the data folder when it\n"
        "exists (a link to the device), else /dev/ttyUSB0-15, /dev/ttyACM0-7, /dev/ttyS0-7.\n");
}
