#include "cli/CliOptions.h"

#include "core/Numbers.h"
#include "device/PortMap.h"

#include <QCommandLineParser>
#include <QRegularExpression>

#include <algorithm>
#include <cmath>
#include <limits>
#include <tuple>

namespace {

using Command = CliOptions::Command;

const struct {
    const char* name;
    Command command;
} kCommands[] = {
    { "ports", Command::Ports },
    { "identify", Command::Identify },
    { "read", Command::Read },
    { "set", Command::Set },
    { "output", Command::Output },
    { "limits", Command::Limits },
    { "presets", Command::Presets },
    { "run", Command::Run },
    { "record", Command::Record },
};

constexpr double kShortestEvery = 0.2; // a reading takes 0.15 s
constexpr double kLongestEvery = 86400;

QString Quoted(const QString& text)
{
    return QLatin1Char('\'') + text + QLatin1Char('\'');
}

// A decimal number with nothing after it (a decimal comma counts as a point).
std::optional<double> PlainNumber(const QString& text)
{
    bool ok = false;
    const double value = Numbers::FutComma(text.trimmed()).toDouble(&ok);
    return ok && std::isfinite(value) ? std::optional(value) : std::nullopt;
}

std::optional<int> WholeNumber(const QString& text, int lowest, int highest)
{
    bool ok = false;
    const int value = text.trimmed().toInt(&ok);
    return ok && value >= lowest && value <= highest ? std::optional(value) : std::nullopt;
}

// The set-point and limit boxes read the number a text starts with; one that
// starts with none is a mistake, not zero.
bool StartsWithNumber(const QString& text)
{
    static const QRegularExpression number(QStringLiteral("^\\s*[+-]?(\\d|[.,]\\d)"));
    return number.match(text).hasMatch();
}

// Three presets "V,A V,A V,A", each value starting with a number.
bool PresetsText(const QString& text)
{
    const QStringList presets
        = text.split(QRegularExpression(QStringLiteral("\\s+")), Qt::SkipEmptyParts);
    if (presets.size() != 3)
        return false;
    for (const QString& preset : presets) {
        const QStringList values = preset.split(QLatin1Char(','));
        if (values.size() != 2 || !StartsWithNumber(values[0]) || !StartsWithNumber(values[1]))
            return false;
    }
    return true;
}

} // namespace

bool CliOptions::openEnded() const
{
    switch (command) {
    case Command::Read:
        return everySeconds > 0 && count == 0 && forMs == 0;
    case Command::Record:
        return forMs == 0;
    case Command::Run:
        return cycles == 0;
    default:
        return false;
    }
}

std::optional<qint64> CliOptions::DurationMs(const QString& text)
{
    static const QRegularExpression duration(
        QStringLiteral("^\\s*(\\d+(?:[.,]\\d+)?)\\s*([smhd]?)\\s*$"),
        QRegularExpression::CaseInsensitiveOption);
    const QRegularExpressionMatch match = duration.match(text);
    if (!match.hasMatch())
        return std::nullopt;
    const double number = *PlainNumber(match.captured(1));
    const QString unit = match.captured(2).toLower();
    const double seconds = unit == u"d" ? 86400.0
        : unit == u"h"                  ? 3600.0
        : unit == u"m"                  ? 60.0
                                        : 1.0;
    const double ms = std::round(number * seconds * 1000.0);
    if (ms < 1 || ms > 1e15)
        return std::nullopt;
    return static_cast<qint64>(ms);
}

std::optional<CliOptions> CliOptions::Parse(const QStringList& arguments, QString* error)
{
    const auto fail = [error](const QString& text) {
        if (error)
            *error = text;
        return std::optional<CliOptions>();
    };
    const QCommandLineOption dataDir(QStringLiteral("data-dir"), {}, QStringLiteral("DIR"));
    const QCommandLineOption port(QStringLiteral("port"), {}, QStringLiteral("N"));
    const QCommandLineOption json(QStringLiteral("json"));
    const QCommandLineOption help(QStringList { QStringLiteral("h"), QStringLiteral("help") });
    const QCommandLineOption version(QStringLiteral("version"));
    const QList<QCommandLineOption> globals { dataDir, port, json };

    QCommandLineParser first;
    first.setOptionsAfterPositionalArgumentsMode(QCommandLineParser::ParseAsPositionalArguments);
    first.addOptions(globals + QList { help, version });
    if (!first.parse(arguments))
        return fail(first.errorText());
    CliOptions o;
    o.help = first.isSet(help);
    o.version = first.isSet(version);
    QStringList rest = first.positionalArguments();
    if (o.help || o.version)
        return o;
    if (rest.isEmpty())
        return fail(QStringLiteral("No command given."));
    const QString name = rest.takeFirst();
    const auto* found = std::find_if(std::begin(kCommands), std::end(kCommands),
        [&](const auto& c) { return name == QLatin1String(c.name); });
    if (found == std::end(kCommands))
        return fail(QStringLiteral("Unknown command %1.").arg(Quoted(name)));
    o.command = found->command;

    const QCommandLineOption every(QStringLiteral("every"), {}, QStringLiteral("SECONDS"));
    const QCommandLineOption count(QStringLiteral("count"), {}, QStringLiteral("N"));
    const QCommandLineOption forOption(QStringLiteral("for"), {}, QStringLiteral("DURATION"));
    const QCommandLineOption volt(QStringLiteral("volt"), {}, QStringLiteral("V"));
    const QCommandLineOption curr(QStringLiteral("curr"), {}, QStringLiteral("A"));
    const QCommandLineOption uvl(QStringLiteral("uvl"), {}, QStringLiteral("V"));
    const QCommandLineOption ucl(QStringLiteral("ucl"), {}, QStringLiteral("A"));
    const QCommandLineOption store(QStringLiteral("store"), {}, QStringLiteral("PRESETS"));
    const QCommandLineOption recall(QStringLiteral("recall"), {}, QStringLiteral("K"));
    const QCommandLineOption table(QStringLiteral("table"), {}, QStringLiteral("NAME"));
    const QCommandLineOption cycles(QStringLiteral("cycles"), {}, QStringLiteral("N"));
    const QCommandLineOption out(QStringLiteral("out"), {}, QStringLiteral("FILE"));
    const QCommandLineOption append(QStringLiteral("append"));
    const QCommandLineOption force(QStringLiteral("force"));
    QList<QCommandLineOption> own;
    int positionalsAllowed = 0;
    switch (o.command) {
    case Command::Read:
        own = { every, count, forOption };
        break;
    case Command::Set:
        own = { volt, curr };
        break;
    case Command::Output:
        positionalsAllowed = 1;
        break;
    case Command::Limits:
        own = { uvl, ucl };
        break;
    case Command::Presets:
        own = { store, recall };
        break;
    case Command::Run:
        own = { table, cycles };
        positionalsAllowed = 1;
        break;
    case Command::Record:
        own = { every, forOption, out, append, force };
        break;
    default:
        break;
    }
    QCommandLineParser second;
    second.addOptions(globals + own);
    if (!second.parse(QStringList { arguments.value(0) } + rest))
        return fail(name + QStringLiteral(": ") + second.errorText());
    const QStringList positional = second.positionalArguments();
    if (positional.size() > positionalsAllowed)
        return fail(
            QStringLiteral("%1 takes no argument %2.").arg(name, Quoted(positional.last())));

    // Only the command's own options may be asked of the second parser.
    const auto isSet = [&](const QCommandLineOption& option) {
        return second.optionNames().contains(option.names().first());
    };
    const auto value = [&](const QCommandLineOption& option) {
        return isSet(option) ? second.value(option) : first.value(option);
    };
    o.dataDir = value(dataDir);
    o.json = first.isSet(json) || isSet(json);
    if (first.isSet(port) || isSet(port)) {
        const auto number = WholeNumber(value(port), PortMap::kFirstPort, PortMap::kLastPort);
        if (!number)
            return fail(QStringLiteral("--port takes a port number from 1 to 32, not %1.")
                            .arg(Quoted(value(port))));
        o.port = *number;
    }
    if (isSet(every)) {
        const auto seconds = PlainNumber(second.value(every));
        if (!seconds || *seconds < kShortestEvery || *seconds > kLongestEvery)
            return fail(QStringLiteral("--every takes seconds from 0.2 to 86400, not %1.")
                            .arg(Quoted(second.value(every))));
        o.everySeconds = *seconds;
    }
    if (isSet(count)) {
        const auto n = WholeNumber(second.value(count), 1, std::numeric_limits<int>::max());
        if (!n)
            return fail(QStringLiteral("--count takes a number of readings from 1 up, not %1.")
                            .arg(Quoted(second.value(count))));
        o.count = *n;
    }
    if (isSet(forOption)) {
        const auto ms = DurationMs(second.value(forOption));
        if (!ms)
            return fail(QStringLiteral("--for takes a duration such as 90s, 15m or 8h, not %1.")
                            .arg(Quoted(second.value(forOption))));
        o.forMs = *ms;
    }
    if (o.count > 0 && o.forMs > 0)
        return fail(QStringLiteral("--count and --for cannot be given together."));

    for (const auto& [option, text, what] :
        { std::tuple { &volt, &o.volt, "a voltage" }, std::tuple { &curr, &o.curr, "a current" },
            std::tuple { &uvl, &o.uvl, "a voltage" }, std::tuple { &ucl, &o.ucl, "a current" } }) {
        if (!isSet(*option))
            continue;
        *text = second.value(*option);
        if (!StartsWithNumber(*text))
            return fail(QStringLiteral("--%1 takes %2 such as 12.5, not %3.")
                            .arg(option->names().first(), QLatin1String(what), Quoted(*text)));
    }

    switch (o.command) {
    case Command::Set:
        if (o.volt.isEmpty() && o.curr.isEmpty())
            return fail(QStringLiteral("set needs --volt, --curr or both."));
        break;
    case Command::Output:
        if (positional.value(0) != u"on" && positional.value(0) != u"off")
            return fail(QStringLiteral("output takes on or off."));
        o.outputOn = positional.value(0) == u"on";
        break;
    case Command::Presets:
        o.store = second.value(store);
        if (isSet(store) && !PresetsText(o.store))
            return fail(QStringLiteral("--store takes three presets as \"V,A V,A V,A\", not %1.")
                            .arg(Quoted(o.store)));
        if (isSet(recall)) {
            const auto k = WholeNumber(second.value(recall), 1, 3);
            if (!k)
                return fail(QStringLiteral("--recall takes a preset 1, 2 or 3, not %1.")
                                .arg(Quoted(second.value(recall))));
            o.recall = *k;
        }
        break;
    case Command::Run:
        o.file = positional.value(0);
        o.table = second.value(table);
        if (o.file.isEmpty() == o.table.isEmpty())
            return fail(QStringLiteral("run takes a CSV file or --table NAME."));
        if (isSet(cycles)) {
            const auto n = WholeNumber(second.value(cycles), 0, 999);
            if (!n)
                return fail(QStringLiteral("--cycles takes a number of passes from 0 to 999 "
                                           "(0 repeats until interrupted), not %1.")
                                .arg(Quoted(second.value(cycles))));
            o.cycles = *n;
        }
        break;
    case Command::Record:
        o.out = second.value(out);
        o.append = isSet(append);
        o.force = isSet(force);
        if (o.everySeconds <= 0 || o.out.isEmpty())
            return fail(QStringLiteral("record needs --every SECONDS and --out FILE."));
        if (o.append && o.force)
            return fail(QStringLiteral("--append and --force cannot be given together."));
        break;
    default:
        break;
    }
    return o;
}

QString CliOptions::HelpText()
{
    return QStringLiteral(
        R"(Usage: ovolta-cli [--data-dir DIR] [--port N] [--json] COMMAND [OPTIONS]
Drive, script and record an Ovolta power supply without a window.

Every command opens the session as the panel does (identification, limits,
remote mode) and ends it by taking the supply back to local mode, also when
it is interrupted by SIGINT, SIGTERM or SIGHUP. A port in use by the panel
or another ovolta-cli is left alone.

Options:
  --data-dir DIR    the data folder, as for ovolta-panel: its ports/ links
                    name the serial ports, its database holds stored tables
  --port N          talk to Com N; without it the ports that open are asked
                    from the highest down and the first supply that answers
                    is used
  --json            one JSON object per line for every result and reading,
                    numbers as numbers, units in the key names
  -h, --help        show this help and exit
  --version         show the version and exit

Commands:
  ports             each port Com N with its device, whether it opens, and
                    the model and rating of a supply that answers
  identify          model and rating, current resolution, voltage and
                    current upper limits (UVL, UCL), set-points, output
                    state, the three presets
  read [--every SECONDS] [--count N | --for DURATION]
                    readings: time, volts, amps, watts, regulation mode
                    (CV or CC); one reading without options; with --every
                    alone until interrupted. DURATION is a number of
                    seconds or a number with s, m, h or d (90s, 15m, 8h)
  set [--volt V] [--curr A]
                    new set-points, checked as the panel checks them
                    (1 V to UVL, above 0 A to UCL, the model's resolution;
                    a decimal comma is read as a point), acknowledged by
                    the supply before the command ends
  output on|off     switch the output on or off
  limits [--uvl V] [--ucl A]
                    show the limits, or set them and read them back as the
                    Setting tab does
  presets [--store "V,A V,A V,A"] [--recall 1|2|3]
                    show the presets; store all three; recall one (with
                    --store: store, then recall)
  run FILE.csv | --table NAME [--cycles N]
                    run an External Timed Program from a CSV file as the
                    panel exports it, or from a table stored in the data
                    folder's database, printing each step as it is sent;
                    steps are held to the limits; N passes (1 by default,
                    0 until interrupted); interrupted, it stops as the
                    panel's "Stop" does
  record --every SECONDS [--for DURATION] --out FILE.csv [--append|--force]
                    record readings into a CSV file, one row per sample
                    (time with its UTC offset, elapsed seconds, volts, amps,
                    watts, mode; empty values for a missed reading), each
                    row written and flushed as it is taken; a summary at
                    the end on standard error. An existing file is kept
                    unless --append adds to it or --force replaces it

Exit status:
  0   done (also when an open-ended read, record or run is interrupted)
  1   the supply did not answer or did not acknowledge, or the record file
      could not be written
  2   bad usage, or a value refused (nothing is sent)
  3   the port is in use by another program
  128+N  a command with an end of its own was interrupted by signal N
)");
}
