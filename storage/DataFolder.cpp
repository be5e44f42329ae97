#include "storage/DataFolder.h"

#include "storage/OvoltaDatabase.h"

#include <QDir>
#include <QFileInfo>

QString DataFolder::Choose(const Facts& facts)
{
    if (!facts.overrideDir.isEmpty())
        return facts.overrideDir;
    if (facts.databaseInProgramDir || facts.programDirWritable)
        return facts.programDir;
    return facts.appDataDir;
}

Outcome<QString> DataFolder::Resolve(
    const QString& given, const QString& programDir, const QString& appDataDir)
{
    Facts facts;
    // The serial layer reads a relative port name as one under /dev: the
    // ports/ links of a relative folder would never be found.
    if (!given.isEmpty())
        facts.overrideDir = QDir(given).absolutePath();
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
