#include "app/AppOptions.h"

#include <QCommandLineParser>

namespace {

// The options QApplication reads itself.
bool IsQtOption(const QString& argument)
{
    return argument.startsWith(QLatin1String("-platform"))
        || argument.startsWith(QLatin1String("-style"));
}

} // namespace

AppOptions AppOptions::Parse(const QStringList& arguments)
{
    AppOptions options;
    const auto fail = [&options](const QString& text) {
        options.error = QStringLiteral("ovolta-panel: ") + text;
        return options;
    };
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption screenshot(QStringLiteral("screenshot"), {}, QStringLiteral("FILE"));
    const QCommandLineOption quitAfter(QStringLiteral("quit-after"), {}, QStringLiteral("MS"));
    const QCommandLineOption tab(QStringLiteral("tab"), {}, QStringLiteral("N"));
    const QCommandLineOption size(QStringLiteral("size"), {}, QStringLiteral("WxH"));
    QCommandLineParser parser;
    parser.addOptions({ help, version, dataDir, screenshot, quitAfter, tab, size });
    QStringList ours;
    for (const QString& argument : arguments) {
        if (!IsQtOption(argument))
            ours << argument;
    }
    if (!parser.parse(ours)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return fail(parser.errorText());
        const QString dashes = QLatin1String(unknown.first().size() == 1 ? "-" : "--");
        return fail(
            QStringLiteral("unknown option '%1' (see --help)").arg(dashes + unknown.first()));
    }

    options.showHelp = parser.isSet(help);
    options.showVersion = parser.isSet(version);
    options.dataDir = parser.value(dataDir);
    if (parser.isSet(dataDir) && options.dataDir.isEmpty())
        return fail(QStringLiteral("The option --data-dir needs a folder after it."));
    options.screenshot = parser.value(screenshot);
    bool ok = true;
    if (parser.isSet(quitAfter)) {
        options.quitAfterMs = parser.value(quitAfter).toInt(&ok);
        if (!ok || options.quitAfterMs < 0)
            return fail(QStringLiteral("--quit-after takes milliseconds, not '%1'")
                            .arg(parser.value(quitAfter)));
    }
    if (parser.isSet(tab)) {
        options.tab = parser.value(tab).toInt(&ok);
        if (!ok || options.tab < 0 || options.tab > 4)
            return fail(QStringLiteral("--tab takes 0 to 4, not '%1'").arg(parser.value(tab)));
    }
    if (parser.isSet(size)) {
        const QStringList parts = parser.value(size).split(u'x');
        bool okHeight = false;
        ok = false;
        if (parts.size() == 2)
            options.size = QSize(parts[0].toInt(&ok), parts[1].toInt(&okHeight));
        if (!ok || !okHeight || options.size.width() <= 0 || options.size.height() <= 0)
            return fail(
                QStringLiteral("--size takes WIDTHxHEIGHT, not '%1'").arg(parser.value(size)));
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
