#include "sim/SimOptions.h"

#include "sim/VirtualSupply.h"

#include <QCommandLineParser>
#include <QDir>

#include <cmath>

namespace {

constexpr int kMaxPort = 255;
constexpr int kMaxNoise = 99;

std::optional<int> wholeNumber(const QString& text)
{
    bool ok = false;
    const int value = text.toInt(&ok);
    if (!ok || text.startsWith(QLatin1Char('+')) || text.trimmed() != text)
        return std::nullopt;
    return value;
}

} // namespace

QString SimOptions::usage()
{
    QStringList models;
    for (const SupplyModel& model : SupplyModel::all())
        models << model.code;
    return QStringLiteral(
        "Usage: ovolta-sim --data-dir DIR --port N [options]\n"
        "A stand-in power supply on a pseudo-terminal, linked as DIR/ports/ComN.\n"
        "\n"
        "  --data-dir DIR   folder that holds ports/ (created when missing)\n"
        "  --port N         port number 1 to %1\n"
        "  --model CODE     %2 (default %3)\n"
        "  --load OHMS      resistive load in ohms, 0 for a short, or \"open\" (default 10)\n"
        "  --fault LIST     %4\n"
        "  --noise DIGITS   readings wander by up to this many digits (default 0)\n"
        "  --trace FILE     write \"<ms> <line>\" for every line received\n"
        "  --help           show this text\n"
        "  --version        show the version\n"
        "\n"
        "Signals: SIGUSR1 unplugs or plugs the supply back in, SIGUSR2 re-plugs it\n"
        "on a new pseudo-terminal, SIGINT or SIGTERM remove the link and end.\n")
        .arg(kMaxPort)
        .arg(models.join(QStringLiteral(", ")), SupplyModel::standard().code,
            SupplyFaults::syntax());
}

std::optional<SimOptions> SimOptions::parse(const QStringList& arguments, QString* error)
{
    auto fail = [error](const QString& message) -> std::optional<SimOptions> {
        if (error)
            *error = message;
        return std::nullopt;
    };
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    const QCommandLineOption version(QStringLiteral("version"));
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("N"));
    const QCommandLineOption model(QStringLiteral("model"), {}, QStringLiteral("CODE"));
    const QCommandLineOption load(QStringLiteral("load"), {}, QStringLiteral("OHMS"));
    const QCommandLineOption fault(QStringLiteral("fault"), {}, QStringLiteral("LIST"));
    const QCommandLineOption noise(QStringLiteral("noise"), {}, QStringLiteral("DIGITS"));
    const QCommandLineOption trace(QStringLiteral("trace"), {}, QStringLiteral("FILE"));
    QCommandLineParser parser;
    parser.addOptions({ help, version, dataDir, port, model, load, fault, noise, trace });
    if (!parser.parse(arguments)) {
        const QStringList unknown = parser.unknownOptionNames();
        if (unknown.isEmpty())
            return fail(parser.errorText());
        const QString dashes = QLatin1String(unknown.first().size() == 1 ? "-" : "--");
        return fail(QStringLiteral("unknown option %1").arg(dashes + unknown.first()));
    }
    if (!parser.positionalArguments().isEmpty())
        return fail(
            QStringLiteral("unexpected argument '%1'").arg(parser.positionalArguments().first()));

    SimOptions options;
    options.help = parser.isSet(help);
    options.version = parser.isSet(version);
    if (parser.isSet(dataDir)) {
        if (parser.value(dataDir).isEmpty())
            return fail(QStringLiteral("--data-dir needs a folder"));
        // Absolute, as the panel makes its own: both then name the same
        // link whatever folder each was started in.
        options.dataDir = QDir(parser.value(dataDir)).absolutePath();
    }
    if (parser.isSet(port)) {
        const auto number = wholeNumber(parser.value(port));
        if (!number || *number < 1 || *number > kMaxPort)
            return fail(QStringLiteral("--port must be a number from 1 to %1, not '%2'")
                            .arg(kMaxPort)
                            .arg(parser.value(port)));
        options.port = *number;
    }
    if (parser.isSet(model)) {
        const auto found = SupplyModel::find(parser.value(model));
        if (!found)
            return fail(QStringLiteral("unknown model '%1'; see --help for the models")
                            .arg(parser.value(model)));
        options.model = *found;
    }
    if (parser.isSet(load)) {
        const QString value = parser.value(load);
        if (value == QLatin1String("open")) {
            options.loadOhms = VirtualSupply::kOpenCircuit;
        } else {
            bool ok = false;
            const double ohms = value.toDouble(&ok);
            if (!ok || !std::isfinite(ohms) || ohms < 0.0)
                return fail(QStringLiteral("--load must be ohms (0 or more) or \"open\", not '%1'")
                                .arg(value));
            options.loadOhms = ohms;
        }
    }
    if (parser.isSet(fault)) {
        QString why;
        const auto faults = SupplyFaults::parse(parser.value(fault), &why);
        if (!faults)
            return fail(QStringLiteral("--fault: %1").arg(why));
        options.faults = *faults;
    }
    if (parser.isSet(trace)) {
        options.traceFile = parser.value(trace);
        if (options.traceFile.isEmpty())
            return fail(QStringLiteral("--trace needs a file name"));
    }
    if (parser.isSet(noise)) {
        const auto digits = wholeNumber(parser.value(noise));
        if (!digits || *digits < 0 || *digits > kMaxNoise)
            return fail(QStringLiteral("--noise must be a number from 0 to %1, not '%2'")
                            .arg(kMaxNoise)
                            .arg(parser.value(noise)));
        options.noiseDigits = *digits;
    }

    if (options.help || options.version)
        return options;
    if (options.dataDir.isEmpty())
        return fail(QStringLiteral("--data-dir is required"));
    if (!parser.isSet(port))
        return fail(QStringLiteral("--port is required"));
    return options;
}
