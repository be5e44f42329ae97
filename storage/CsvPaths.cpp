#include "storage/CsvPaths.h"

namespace CsvPaths {
namespace {

qsizetype FileNameStart(const QString& path)
{
    const qsizetype slash = path.lastIndexOf(QLatin1Char('/'));
    const qsizetype backslash = path.lastIndexOf(QLatin1Char('\\'));
    return std::max(slash, backslash) + 1;
}

// Index of the first "." of the file name after its leading dots, or -1.
qsizetype ExtensionDot(const QString& path)
{
    qsizetype i = FileNameStart(path);
    while (i < path.size() && path.at(i) == QLatin1Char('.'))
        ++i;
    return path.indexOf(QLatin1Char('.'), i);
}

} // namespace

QString FileName(const QString& path)
{
    return path.mid(FileNameStart(path));
}

QString WithCsvExtension(const QString& path)
{
    const qsizetype dot = ExtensionDot(path);
    return (dot < 0 ? path : path.left(dot)) + QStringLiteral(".csv");
}

QString ImportBaseName(const QString& path)
{
    const QString name = FileName(path);
    const qsizetype dot = name.indexOf(QLatin1Char('.'));
    return dot < 0 ? name : name.left(dot);
}

std::optional<QString> ProposedExportName(
    StoredKind kind, LogSource source, const QDateTime& now, const QString& storedLogName)
{
    switch (kind) {
    case StoredKind::ExternalProgram:
        return QStringLiteral("ETP-A-0001.csv");
    case StoredKind::PresetMemory:
        return QStringLiteral("IPM-A-0001.csv");
    case StoredKind::DataLog:
        if (source == LogSource::Live)
            return QStringLiteral("Now-") + now.toString(QStringLiteral("yyyyMMdd-HHmmss"))
                + QStringLiteral(".csv");
        if (source == LogSource::Stored) {
            // A stored name may hold slashes; they must not turn into folders.
            QString name = storedLogName;
            name.replace(QLatin1Char('/'), QLatin1Char('_'));
            name.replace(QLatin1Char('\\'), QLatin1Char('_'));
            return QStringLiteral("Log-") + name + QStringLiteral(".csv");
        }
        return std::nullopt;
    case StoredKind::InternalProgram:
        break;
    }
    return std::nullopt;
}

} // namespace CsvPaths
