#include "storage/DataFolder.h"

#include "storage/OvoltaDatabase.h"

#include <QDir>
#include <QFileInfo>
#include <QStandardPaths>

namespace {
const QString kOption = QStringLiteral("--data-dir");
}

DataFolder::Choice DataFolder::OverrideFromArguments(const QStringList& arguments)
{
    Choice choice;
    for (qsizetype i = 1; i < arguments.size(); ++i) {
        const QString& argument = arguments.at(i);
        if (argument == kOption) {
            if (i + 1 >= arguments.size() || arguments.at(i + 1).isEmpty()) {
                choice.error = QStringLiteral("The option --data-dir needs a folder after it.");
                return choice;
            }
            choice.folder = arguments.at(i + 1);
            ++i;
        } else if (argument.startsWith(kOption + QLatin1Char('='))) {
            choice.folder = argument.mid(kOption.size() + 1);
            if (choice.folder.isEmpty()) {
                choice.error = QStringLiteral("The option --data-dir needs a folder after it.");
                return choice;
            }
        }
    }
    // The serial layer reads a relative port name as one under /dev: the
    // ports/ links of a relative folder would never be found.
    if (!choice.folder.isEmpty())
        choice.folder = QDir(choice.folder).absolutePath();
    return choice;
}

QString DataFolder::Choose(const Facts& facts)
{
    if (!facts.overrideDir.isEmpty())
        return facts.overrideDir;
    if (facts.databaseInProgramDir || facts.programDirWritable)
        return facts.programDir;
    return facts.appDataDir;
}

DataFolder::Choice DataFolder::Resolve(
    const QStringList& arguments, const QString& programDir, const QString& appDataDir)
{
    Choice choice = OverrideFromArguments(arguments);
    if (!choice.error.isEmpty())
        return choice;
    Facts facts;
    facts.overrideDir = choice.folder;
    facts.programDir = programDir;
    facts.databaseInProgramDir = QFileInfo::exists(
        QDir(programDir).filePath(QString::fromLatin1(OvoltaDatabase::kFileName)));
    const QFileInfo programInfo(programDir);
    facts.programDirWritable = programInfo.isDir() && programInfo.isWritable();
    facts.appDataDir = appDataDir;
    choice.folder = Choose(facts);
    if (!QDir().mkpath(choice.folder))
        choice.error = QStringLiteral("The folder '%1' cannot be created.").arg(choice.folder);
    return choice;
}

DataFolder::Choice DataFolder::Resolve(const QStringList& arguments, const QString& programDir)
{
    return Resolve(
        arguments, programDir, QStandardPaths::writableLocation(QStandardPaths::AppDataLocation));
}
