#include "storage/DataFolder.h"

#include "storage/OvoltaDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kOption = QStringLiteral("--data-dir");
}

Outcome<QString> DataFolder::OverrideFromArguments(const QStringList& arguments)
{
    const Failure noFolder { QStringLiteral("The option --data-dir needs a folder after it.") };
    QString folder;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == kOption) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty())
                return noFolder;
            folder = arguments.at(i + 1);
            ++i;
        } else if (argument.startsWith(kOption + QLatin1Char('='))) {
            folder = argument.mid(kOption.size() + 1);
            if (folder.isEmpty())
                return noFolder;
        }
    }
    // The serial layer reads a relative port name as one under /dev: the
    // ports/ links of a relative folder would never be found.
    if (!folder.isEmpty())
        folder = QDir(folder).absolutePath();
    return folder;
}

QString DataFolder::Choose(const Facts& facts)
{
    if (!facts.overrideDir.isEmpty())
        return facts.overrideDir;
    if (facts.databaseInProgramDir || facts.programDirWritable)
        return facts.programDir;
    return facts.appDataDir;
}

Outcome<QString> DataFolder::Resolve(
    const QStringList& arguments, const QString& programDir, const QString& appDataDir)
{
    const Outcome<QString> given = OverrideFromArguments(arguments);
    if (!given)
        return given;
    Facts facts;
    facts.overrideDir = *given;
    facts.programDir = programDir;
    facts.databaseInProgramDir = QFileInfo::exists(
        QDir(programDir).filePath(QString::fromLatin1(OvoltaDatabase::kFileName)));
    const QFileInfo programInfo(programDir);
    facts.programDirWritable = programInfo.isDir() && programInfo.isWritable();
    facts.appDataDir = appDataDir;
    const QString folder = Choose(facts);
    if (!QDir().mkpath(folder))
        return Failure { QStringLiteral("The folder '%1' cannot be created.").arg(folder) };
    return folder;
}

Outcome<QString> DataFolder::Resolve(const QStringList& arguments, const QString& programDir)
{
    return Resolve(
        arguments, programDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
