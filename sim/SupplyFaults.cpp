#include "sim/SupplyFaults.h"

#include <QStringList>

namespace {

// Longest delay or line count accepted: a minute of delay, a million lines.
constexpr int kMaxDelayMs = 60000;
constexpr int kMaxLines = 1000000;

std::optional<int> wholeNumber(const QString& text, int min, int max)
{
    if (text.isEmpty() || text.size() > 9)
        return std::nullopt;
    for (const QChar c : text) {
        if (c < QLatin1Char('0') || c > QLatin1Char('9'))
            return std::nullopt;
    }
    const int value = text.toInt();
    if (value < min || value > max)
        return std::nullopt;
    return value;
}

QString badNumber(const QString& item, const QString& what, int min, int max)
{
    return QStringLiteral("fault '%1': %2 must be a whole number from %3 to %4")
        .arg(item, what)
        .arg(min)
        .arg(max);
}

} // namespace

bool SupplyFaults::any() const
{
    return *this != SupplyFaults {};
}

QString SupplyFaults::syntax()
{
    return QStringLiteral("none, silent, silent-after:N[:M], garbage, truncate, prefix[:C], "
                          "split:MS, late:MS (comma-separated)");
}

std::optional<SupplyFaults> SupplyFaults::parse(const QString& text, QString* error)
{
    SupplyFaults faults;
    const QString trimmed = text.trimmed();
    if (trimmed.isEmpty() || trimmed == QLatin1String("none"))
        return faults;

    auto fail = [error](const QString& message) -> std::optional<SupplyFaults> {
        if (error)
            *error = message;
        return std::nullopt;
    };

    for (const QString& rawItem : trimmed.split(QLatin1Char(','))) {
        const QString item = rawItem.trimmed();
        if (item.isEmpty())
            return fail(QStringLiteral("empty fault in '%1'; expected %2").arg(text, syntax()));
        const QStringList parts = item.split(QLatin1Char(':'));
        const QString& name = parts.first();
        const qsizetype args = parts.size() - 1;

        auto noArguments = [&]() { return args == 0; };
        if (name == QLatin1String("silent") && noArguments()) {
            faults.silent = true;
        } else if (name == QLatin1String("garbage") && noArguments()) {
            faults.garbage = true;
        } else if (name == QLatin1String("truncate") && noArguments()) {
            faults.truncate = true;
        } else if (name == QLatin1String("prefix") && args <= 1) {
            faults.prefix = true;
            if (args == 1) {
                const QString& c = parts.at(1);
                if (c.size() != 1 || c.at(0).unicode() < 0x21 || c.at(0).unicode() > 0x7e)
                    return fail(QStringLiteral("fault '%1': the prefix must be one printable "
                                               "character, as in prefix:#")
                                    .arg(item));
                faults.prefixChar = c.at(0).toLatin1();
            }
        } else if (name == QLatin1String("silent-after") && (args == 1 || args == 2)) {
            const auto after = wholeNumber(parts.at(1), 0, kMaxLines);
            if (!after)
                return fail(badNumber(item, QStringLiteral("the line count"), 0, kMaxLines));
            faults.silentAfterLines = *after;
            if (args == 2) {
                const auto lasting = wholeNumber(parts.at(2), 1, kMaxLines);
                if (!lasting)
                    return fail(
                        badNumber(item, QStringLiteral("the silent line count"), 1, kMaxLines));
                faults.silentForLines = *lasting;
            }
        } else if ((name == QLatin1String("split") || name == QLatin1String("late")) && args == 1) {
            const auto ms = wholeNumber(parts.at(1), 1, kMaxDelayMs);
            if (!ms)
                return fail(
                    badNumber(item, QStringLiteral("the delay in milliseconds"), 1, kMaxDelayMs));
            (name == QLatin1String("split") ? faults.splitMs : faults.lateMs) = *ms;
        } else if (name == QLatin1String("silent-after")) {
            return fail(QStringLiteral("fault '%1' needs a line count, as in silent-after:12 or "
                                       "silent-after:12:5")
                            .arg(item));
        } else if (name == QLatin1String("split") || name == QLatin1String("late")) {
            return fail(QStringLiteral("fault '%1' needs one delay in milliseconds, as in %2:40")
                            .arg(item, name));
        } else if (name == QLatin1String("silent") || name == QLatin1String("garbage")
            || name == QLatin1String("truncate") || name == QLatin1String("prefix")) {
            return fail(QStringLiteral("fault '%1' takes no such argument").arg(item));
        } else {
            return fail(QStringLiteral("unknown fault '%1'; expected %2").arg(item, syntax()));
        }
    }
    return faults;
}
