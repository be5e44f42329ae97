#include "sim/SimOptions.h"

#include "sim/VirtualSupply.h"

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
    SimOptions options;
    bool havePort = false;
    auto fail = [error](const QString& message) -> std::optional<SimOptions> {
        if (error)
            *error = message;
        return std::nullopt;
    };

    static const QStringList withValue { QStringLiteral("--data-dir"), QStringLiteral("--port"),
        QStringLiteral("--model"), QStringLiteral("--load"), QStringLiteral("--fault"),
        QStringLiteral("--trace"), QStringLiteral("--noise") };

    for (qsizetype i = 0; i < arguments.size(); ++i) {
        QString name = arguments.at(i);
        QString value;
        bool inlineValue = false;
        if (name.startsWith(QLatin1String("--")) && name.contains(QLatin1Char('='))) {
            const qsizetype equals = name.indexOf(QLatin1Char('='));
            value = name.mid(equals + 1);
            name = name.left(equals);
            inlineValue = true;
        }
        if (name == QLatin1String("--help") || name == QLatin1String("-h")) {
            options.help = true;
            continue;
        }
        if (name == QLatin1String("--version")) {
            options.version = true;
            continue;
        }
        if (!withValue.contains(name)) {
            if (name.startsWith(QLatin1Char('-')))
                return fail(QStringLiteral("unknown option %1").arg(name));
            return fail(QStringLiteral("unexpected argument '%1'").arg(name));
        }
        if (!inlineValue) {
            if (i + 1 >= arguments.size())
                return fail(QStringLiteral("%1 needs a value").arg(name));
            value = arguments.at(++i);
        }

        if (name == QLatin1String("--data-dir")) {
            if (value.isEmpty())
                return fail(QStringLiteral("--data-dir needs a folder"));
            // Absolute, as the panel makes its own: both then name the same
            // link whatever folder each was started in.
            options.dataDir = QDir(value).absolutePath();
        } else if (name == QLatin1String("--port")) {
            const auto port = wholeNumber(value);
            if (!port || *port < 1 || *port > kMaxPort)
                return fail(QStringLiteral("--port must be a number from 1 to %1, not '%2'")
                                .arg(kMaxPort)
                                .arg(value));
            options.port = *port;
            havePort = true;
        } else if (name == QLatin1String("--model")) {
            const auto model = SupplyModel::find(value);
            if (!model)
                return fail(
                    QStringLiteral("unknown model '%1'; see --help for the models").arg(value));
            options.model = *model;
        } else if (name == QLatin1String("--load")) {
            if (value == QLatin1String("open")) {
                options.loadOhms = VirtualSupply::kOpenCircuit;
            } else {
                bool ok = false;
                const double ohms = value.toDouble(&ok);
                if (!ok || !std::isfinite(ohms) || ohms < 0.0)
                    return fail(QStringLiteral("--load must be ohms (0 or more) or \"open\", "
                                               "not '%1'")
                                    .arg(value));
                options.loadOhms = ohms;
            }
        } else if (name == QLatin1String("--fault")) {
            QString why;
            const auto faults = SupplyFaults::parse(value, &why);
            if (!faults)
                return fail(QStringLiteral("--fault: %1").arg(why));
            options.faults = *faults;
        } else if (name == QLatin1String("--trace")) {
            if (value.isEmpty())
                return fail(QStringLiteral("--trace needs a file name"));
            options.traceFile = value;
        } else {
            const auto noise = wholeNumber(value);
            if (!noise || *noise < 0 || *noise > kMaxNoise)
                return fail(QStringLiteral("--noise must be a number from 0 to %1, not '%2'")
                                .arg(kMaxNoise)
                                .arg(value));
            options.noiseDigits = *noise;
        }
    }

    if (options.help || options.version)
        return options;
    if (options.dataDir.isEmpty())
        return fail(QStringLiteral("--data-dir is required"));
    if (!havePort)
        return fail(QStringLiteral("--port is required"));
    return options;
}
